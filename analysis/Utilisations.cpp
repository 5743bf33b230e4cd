#include "analysis/Utilisations.h"

#include "analysis/LecteurConsist.h"
#include "analysis/LecteurRoutes.h"
#include "platform/ErreurExecution.h"
#include "platform/ListeDossier.h"

#include <QHash>
#include <QSet>

#include <algorithm>
#include <cerrno>

namespace corvanel {

namespace {

using Fichier = FichierRoute;

struct Route {
    QString nom;
    QList<Fichier> services;
    QList<Fichier> activites;
};

QString sansExtension(const Fichier &f)
{
    return f.entree.nom.chopped(4);
}

// Hands each line of a file to `surLigne` until it returns false. A file
// that cannot be opened or read ends there, without a word.
template <typename Fonction> void lireLignes(const Fichier &f, Fonction surLigne)
{
    int err = 0;
    const std::unique_ptr<QIODevice> source = ouvrirEntree(f.dossier, f.entree, err);
    if (!source)
        return;
    try {
        LecteurConsist lecteur(*source);
        QStringView ligne;
        while (lecteur.lire(ligne)) {
            if (!surLigne(ligne))
                return;
        }
    } catch (const ErreurExecution &) {
    }
}

void avancer(Progression *avancement, std::int64_t fichiers = 1)
{
    if (avancement)
        avancement->faits += fichiers;
}

struct Trouve {
    qsizetype rang; // the consist's place in the list given
    ServiceUtilisateur service;
};

// The services of one route that use a consist of `cles` (folded names
// without ".con", each with the places of the consists of that name).
void lireServices(const Route &route, const QHash<QString, QList<qsizetype>> &cles, QList<Trouve> &trouves,
                  QHash<QString, QList<qsizetype>> &parService, Progression *avancement)
{
    static constexpr QStringView Mot = u"Train_Config";
    for (const Fichier &f : route.services) {
        QString cle;
        // Only the first Train_Config counts: a service runs one consist.
        lireLignes(f, [&](QStringView ligne) {
            const qsizetype p = ligne.indexOf(Mot);
            if (p < 0)
                return true;
            cle = jetonApres(ligne, p + Mot.size()).toString().toCaseFolded();
            return false;
        });
        avancer(avancement);
        const auto consists = cles.constFind(cle);
        if (cle.isEmpty() || consists == cles.cend())
            continue;
        const QString nom = sansExtension(f);
        for (const qsizetype rang : *consists) {
            parService[nom.toCaseFolded()].append(trouves.size());
            trouves.append({rang, {QString(), route.nom, nom, {}}});
        }
    }
}

void lireActivites(const Route &route, const QHash<QString, QList<qsizetype>> &parService, QList<Trouve> &trouves,
                   Progression *avancement)
{
    static constexpr QStringView Mot = u"Service_Definition"; // Player_Service_Definition too
    for (const Fichier &f : route.activites) {
        QSet<qsizetype> utilises;
        lireLignes(f, [&](QStringView ligne) {
            for (qsizetype p = ligne.indexOf(Mot); p >= 0; p = ligne.indexOf(Mot, p + Mot.size())) {
                const QStringView jeton = jetonApres(ligne, p + Mot.size());
                if (jeton.isEmpty())
                    continue;
                const auto services = parService.constFind(jeton.toString().toCaseFolded());
                if (services != parService.cend())
                    utilises.unite(QSet<qsizetype>(services->cbegin(), services->cend()));
            }
            return true;
        });
        avancer(avancement);
        const QString nom = sansExtension(f);
        for (const qsizetype i : std::as_const(utilises))
            trouves[i].service.activites.append(nom);
    }
}

bool estBlanc(QChar c)
{
    return c == u' ' || c == u'\t';
}

} // namespace

QString joindre(const QString &dossier, const QString &nom)
{
#ifdef Q_OS_WIN
    const bool separateur = dossier.endsWith(u'/') || dossier.endsWith(u'\\');
#else
    const bool separateur = dossier.endsWith(u'/');
#endif
    return separateur ? dossier + nom : dossier + u'/' + nom;
}

namespace {

// A folder that cannot be listed holds nothing: one unreadable route must
// not hide what the others say.
QList<EntreeDossier> entreesOuRien(const QString &dossier)
{
    try {
        return listerDossier(dossier);
    } catch (const ErreurExecution &) {
        return {};
    }
}

QList<EntreeDossier> sousDossiers(const QString &dossier, QStringView nom)
{
    QList<EntreeDossier> trouves = entreesOuRien(dossier);
    trouves.removeIf([&](const EntreeDossier &e) {
        return !e.dossier || nomInjoignable(e) || e.nom.compare(nom, Qt::CaseInsensitive) != 0;
    });
    return trouves;
}

} // namespace

QList<DossierRoute> dossiersRoutes(const QString &dossierJeu)
{
    QList<DossierRoute> routes;
    for (const EntreeDossier &r : sousDossiers(dossierJeu, u"ROUTES")) {
        const QString dossierRoutes = joindre(dossierJeu, r.nom);
        for (const EntreeDossier &e : entreesOuRien(dossierRoutes)) {
            if (e.dossier && !nomInjoignable(e))
                routes.append({e.nom, joindre(dossierRoutes, e.nom)});
        }
    }
    return routes;
}

QList<FichierRoute> fichiersRoute(const QString &route, QStringView sousDossier, const QStringList &extensions)
{
    QStringList dossiers{route};
    for (const QStringView nom : sousDossier.split(u'/')) {
        QStringList suivants;
        for (const QString &d : std::as_const(dossiers)) {
            for (const EntreeDossier &e : sousDossiers(d, nom))
                suivants.append(joindre(d, e.nom));
        }
        dossiers = suivants;
    }
    QList<FichierRoute> trouves;
    for (const QString &dossier : std::as_const(dossiers)) {
        for (const EntreeDossier &e : entreesOuRien(dossier)) {
            if (!e.fichier)
                continue;
            // The extension and at least one character before it.
            for (const QString &extension : extensions) {
                if (e.nom.size() > extension.size() && e.nom.endsWith(extension, Qt::CaseInsensitive)) {
                    trouves.append({dossier, e});
                    break;
                }
            }
        }
    }
    return trouves;
}

const QStringList &extensionsHoraires()
{
    static const QStringList extensions{QStringLiteral(".timetable_or"), QStringLiteral(".timetable-or")};
    return extensions;
}

std::optional<QByteArray> octetsDeFichier(const QString &dossier, const EntreeDossier &entree, int &err)
{
    const std::unique_ptr<QIODevice> source = ouvrirEntree(dossier, entree, err);
    if (!source)
        return std::nullopt;
    QByteArray octets;
    char tampon[64 * 1024];
    for (;;) {
        const qint64 lus = source->read(tampon, sizeof tampon);
        if (lus < 0) {
            err = EIO;
            return std::nullopt;
        }
        if (lus == 0)
            return octets;
        octets.append(tampon, lus);
    }
}

std::optional<QString> texteDeFichier(const QString &dossier, const EntreeDossier &entree)
{
    int err = 0;
    const std::optional<QByteArray> octets = octetsDeFichier(dossier, entree, err);
    if (!octets)
        return std::nullopt;
    return decoderTexte(*octets);
}

QList<HoraireUtilisateur> horairesUtilisant(const QString &dossierJeu, const QStringList &consists,
                                            Progression *avancement)
{
    QHash<QString, qsizetype> rangs;
    for (qsizetype i = 0; i < consists.size(); ++i)
        rangs.insert(consists[i].toCaseFolded(), i);
    struct Trouve {
        qsizetype rang;
        HoraireUtilisateur horaire;
    };
    QList<Trouve> trouves;
    QList<std::pair<DossierRoute, QList<FichierRoute>>> routes;
    for (const DossierRoute &r : dossiersRoutes(dossierJeu)) {
        routes.append({r, fichiersRoute(r.chemin, u"ACTIVITIES/OpenRails", extensionsHoraires())});
        if (avancement)
            avancement->total += routes.constLast().second.size();
    }
    for (const auto &[route, horaires] : std::as_const(routes)) {
        for (const FichierRoute &f : horaires) {
            if (avancement)
                ++avancement->faits;
            const std::optional<QString> texte = texteDeFichier(f.dossier, f.entree);
            if (!texte)
                continue;
            QSet<qsizetype> vus;
            for (const TrainHoraire &t : lireHoraire(*texte).trains) {
                for (const QString &c : t.consists) {
                    const auto it = rangs.constFind(c.toCaseFolded());
                    if (it != rangs.cend() && !vus.contains(*it)) {
                        vus.insert(*it);
                        trouves.append({*it, {consists[*it], route.nom, f.entree.nom}});
                    }
                }
            }
        }
    }
    std::stable_sort(trouves.begin(), trouves.end(), [](const Trouve &a, const Trouve &b) {
        if (a.rang != b.rang)
            return a.rang < b.rang;
        if (const int c = a.horaire.route.compare(b.horaire.route, Qt::CaseInsensitive))
            return c < 0;
        return a.horaire.horaire.compare(b.horaire.horaire, Qt::CaseInsensitive) < 0;
    });
    QList<HoraireUtilisateur> resultat;
    for (Trouve &t : trouves)
        resultat.append(std::move(t.horaire));
    return resultat;
}

QStringView jetonApres(QStringView ligne, qsizetype fin)
{
    qsizetype i = fin;
    while (i < ligne.size() && estBlanc(ligne[i]))
        ++i;
    if (i >= ligne.size() || ligne[i] != u'(')
        return {};
    ++i;
    while (i < ligne.size() && estBlanc(ligne[i]))
        ++i;
    if (i >= ligne.size())
        return {};
    if (ligne[i] == u'"') {
        const qsizetype q = ligne.indexOf(u'"', i + 1);
        return q < 0 ? QStringView() : ligne.sliced(i + 1, q - i - 1);
    }
    qsizetype j = i;
    while (j < ligne.size() && !estBlanc(ligne[j]) && ligne[j] != u'(' && ligne[j] != u')' && ligne[j] != u'"')
        ++j;
    return ligne.sliced(i, j - i);
}

bool avantSansCasse(const QString &a, const QString &b)
{
    const int c = a.compare(b, Qt::CaseInsensitive);
    return c != 0 ? c < 0 : a < b;
}

QList<ServiceUtilisateur> servicesUtilisant(const QString &dossierJeu, const QStringList &consists,
                                            Progression *avancement)
{
    QHash<QString, QList<qsizetype>> cles;
    for (qsizetype i = 0; i < consists.size(); ++i) {
        const QString &c = consists[i];
        cles[(c.endsWith(u".con", Qt::CaseInsensitive) ? c.chopped(4) : c).toCaseFolded()].append(i);
    }

    QList<Route> routes;
    for (const DossierRoute &r : dossiersRoutes(dossierJeu)) {
        routes.append({r.nom, fichiersRoute(r.chemin, u"SERVICES", {QStringLiteral(".srv")}),
                       fichiersRoute(r.chemin, u"ACTIVITIES", {QStringLiteral(".act")})});
        if (avancement)
            avancement->total += routes.constLast().services.size() + routes.constLast().activites.size();
    }

    QList<Trouve> trouves;
    for (const Route &route : std::as_const(routes)) {
        QHash<QString, QList<qsizetype>> parService;
        lireServices(route, cles, trouves, parService, avancement);
        // Activities are the bulk of the reading; a route none of whose
        // services matters has none worth reading.
        if (parService.isEmpty())
            avancer(avancement, route.activites.size());
        else
            lireActivites(route, parService, trouves, avancement);
    }

    std::sort(trouves.begin(), trouves.end(), [](const Trouve &a, const Trouve &b) {
        if (a.rang != b.rang)
            return a.rang < b.rang;
        if (const int c = a.service.route.compare(b.service.route, Qt::CaseInsensitive))
            return c < 0;
        if (const int c = a.service.service.compare(b.service.service, Qt::CaseInsensitive))
            return c < 0;
        if (a.service.route != b.service.route)
            return a.service.route < b.service.route;
        return a.service.service < b.service.service;
    });
    QList<ServiceUtilisateur> resultat;
    resultat.reserve(trouves.size());
    for (Trouve &t : trouves) {
        t.service.consist = consists[t.rang];
        std::sort(t.service.activites.begin(), t.service.activites.end(), avantSansCasse);
        // The same name twice: two ACTIVITIES folders differing in case.
        t.service.activites.erase(std::unique(t.service.activites.begin(), t.service.activites.end()),
                                  t.service.activites.end());
        resultat.append(std::move(t.service));
    }
    return resultat;
}

} // namespace corvanel
