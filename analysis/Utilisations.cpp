#include "analysis/Utilisations.h"

#include "analysis/LecteurConsist.h"
#include "app/ErreurExecution.h"
#include "platform/ListeDossier.h"

#include <QHash>
#include <QSet>

#include <algorithm>

namespace corvanel {

namespace {

struct Fichier {
    QString dossier;
    EntreeDossier entree;
};

struct Route {
    QString nom;
    QList<Fichier> services;
    QList<Fichier> activites;
};

QString joindre(const QString &dossier, const QString &nom)
{
#ifdef Q_OS_WIN
    const bool separateur = dossier.endsWith(u'/') || dossier.endsWith(u'\\');
#else
    const bool separateur = dossier.endsWith(u'/');
#endif
    return separateur ? dossier + nom : dossier + u'/' + nom;
}

// A folder that cannot be listed holds nothing: one unreadable route must
// not hide what the others say.
QList<EntreeDossier> entrees(const QString &dossier)
{
    try {
        return listerDossier(dossier);
    } catch (const ErreurExecution &) {
        return {};
    }
}

// The sub-folders of `dossier` called `nom` in any letter case (on a
// case-sensitive file system there may be more than one).
QList<EntreeDossier> sousDossiers(const QString &dossier, QStringView nom)
{
    QList<EntreeDossier> trouves = entrees(dossier);
    trouves.removeIf([&](const EntreeDossier &e) {
        return !e.dossier || nomInjoignable(e) || e.nom.compare(nom, Qt::CaseInsensitive) != 0;
    });
    return trouves;
}

QList<Fichier> fichiers(const QString &route, QStringView sousDossier, QStringView extension)
{
    QList<Fichier> trouves;
    for (const EntreeDossier &d : sousDossiers(route, sousDossier)) {
        const QString dossier = joindre(route, d.nom);
        for (const EntreeDossier &e : entrees(dossier)) {
            // The extension and at least one character before it.
            if (e.fichier && e.nom.size() > extension.size() && e.nom.endsWith(extension, Qt::CaseInsensitive))
                trouves.append({dossier, e});
        }
    }
    return trouves;
}

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

void avancer(Avancement *avancement, std::int64_t fichiers = 1)
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
                  QHash<QString, QList<qsizetype>> &parService, Avancement *avancement)
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
                   Avancement *avancement)
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
                                            Avancement *avancement)
{
    QHash<QString, QList<qsizetype>> cles;
    for (qsizetype i = 0; i < consists.size(); ++i) {
        const QString &c = consists[i];
        cles[(c.endsWith(u".con", Qt::CaseInsensitive) ? c.chopped(4) : c).toCaseFolded()].append(i);
    }

    QList<Route> routes;
    for (const EntreeDossier &r : sousDossiers(dossierJeu, u"ROUTES")) {
        const QString dossierRoutes = joindre(dossierJeu, r.nom);
        for (const EntreeDossier &e : entrees(dossierRoutes)) {
            if (!e.dossier || nomInjoignable(e))
                continue;
            const QString dossier = joindre(dossierRoutes, e.nom);
            routes.append({e.nom, fichiers(dossier, u"SERVICES", u".srv"), fichiers(dossier, u"ACTIVITIES", u".act")});
            if (avancement)
                avancement->total += routes.constLast().services.size() + routes.constLast().activites.size();
        }
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
