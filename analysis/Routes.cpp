#include "analysis/Routes.h"

#include "analysis/ConsistsNommes.h"
#include "analysis/LecteurRoutes.h"
#include "analysis/Manquants.h"
#include "analysis/Vehicules.h"
#include "platform/ErreurExecution.h"

#include <QHash>
#include <QSet>

#include <QThread>

#include <algorithm>
#include <atomic>
#include <optional>
#include <thread>
#include <tuple>
#include <vector>

namespace corvanel {

namespace {

struct ServiceLu {
    EtatFichier etat = EtatFichier::Absent;
    ContenuService contenu;
    QString chemin; // the whole path, when it exists
};

ServiceLu lireServiceLu(const QString &dossier, const QString &surDisque)
{
    ServiceLu s;
    s.chemin = joindre(dossier, surDisque);
    const std::optional<QString> texte = texteDeFichier(dossier, EntreeDossier{surDisque, {}, true});
    if (texte)
        s.contenu = lireService(*texte);
    s.etat = texte && s.contenu.lisible ? EtatFichier::Lu : EtatFichier::Illisible;
    return s;
}

// Runs `travail(i)` for every i below `n` on a few threads: reading and
// taking apart thousands of small files is processor work that another core
// shares. `travail` must touch nothing another i touches.
template <typename Fonction> void enParallele(qsizetype n, Fonction travail)
{
    std::atomic<qsizetype> suivant{0};
    const auto boucle = [&] {
        for (qsizetype i = suivant++; i < n; i = suivant++)
            travail(i);
    };
    const qsizetype aides = std::min<qsizetype>(std::clamp(QThread::idealThreadCount(), 1, 4) - 1, n - 1);
    std::vector<std::thread> fils;
    for (qsizetype k = 0; k < aides; ++k)
        fils.emplace_back(boucle);
    boucle();
    for (std::thread &f : fils)
        f.join();
}

// What `lire` gives for key `c`, worked out the first time only: each file is
// read once, however many activities and timetables name it. The reference
// holds until the next insertion into `lus`.
template <typename T, typename Fonction> const T &unique(QHash<QString, T> &lus, const QString &c, Fonction lire)
{
    const auto it = lus.constFind(c);
    if (it != lus.cend())
        return *it;
    return *lus.insert(c, lire());
}

// The missing things of one activity or timetable, in the order first met.
struct Manque {
    QString ecrit;
    EffetManque effet;
    QList<Intermediaire> par;
};

class Manques {
public:
    void ajouter(const QString &c, const QString &ecrit, EffetManque effet, const Intermediaire &par)
    {
        const auto it = m_index.constFind(c);
        if (it == m_index.cend()) {
            m_index.insert(c, m_lignes.size());
            m_lignes.append({ecrit, effet, {par}});
            return;
        }
        Manque &m = m_lignes[*it];
        m.effet = std::max(m.effet, effet);
        if (!m.par.contains(par))
            m.par.append(par);
    }
    const QList<Manque> &lignes() const { return m_lignes; }

private:
    QHash<QString, qsizetype> m_index;
    QList<Manque> m_lignes;
};

// The missing things the consists and loose vehicles an activity or a
// timetable names add to its rows.
class Verification {
public:
    Verification(const QString &dossierConsists, const QString &dossierTrainset)
        : m_consists(dossierConsists, dossierTrainset)
    {
    }

    ConsistsNommes &consists() { return m_consists; }

    // The consist's missing things, with `effetPremier` for its first vehicle.
    void consist(Manques &m, const QString &nom, EffetManque effetPremier, const Intermediaire &par)
    {
        const QString ecrit = QStringLiteral("CONSISTS/") + nom;
        const ConsistNomme &lu = m_consists.consist(nom);
        if (lu.etat != EtatFichier::Lu) {
            m.ajouter(cleDeNom(u'c', nom), ecrit,
                      lu.etat == EtatFichier::Absent ? EffetManque::Bloque : EffetManque::Illisible, par);
            return;
        }
        const Intermediaire parConsist{GenreIntermediaire::Consist, nom, {}};
        for (const VehiculeAbsent &v : lu.absents)
            m.ajouter(cleDeNom(u'v', v.ecrit), v.ecrit, v.premier ? effetPremier : EffetManque::Degrade, parConsist);
    }

    void vehicule(Manques &m, const VehiculeNomme &v, const Intermediaire &par)
    {
        const QString ecrit = v.dossier + u'/' + v.nom + (v.moteur ? QStringLiteral(".eng") : QStringLiteral(".wag"));
        if (!m_consists.vehiculeExiste(ecrit, v.dossier.size()))
            m.ajouter(cleDeNom(u'v', ecrit), ecrit, EffetManque::Degrade, par);
    }

private:
    ConsistsNommes m_consists;
};

// One route: its PATHS and SERVICES looked up in any letter case, each
// service read once.
class Route {
public:
    Route(const DossierRoute &r, Verification &v) : m_dossier(r.chemin), m_fichiers(r.chemin), m_verification(v) {}

    void chemin(Manques &m, const QString &nom, const Intermediaire &par)
    {
        const QString ecrit = QStringLiteral("PATHS/") + nom;
        if (!m_fichiers.fichierExiste(ecrit))
            m.ajouter(cleDeNom(u'p', nom), ecrit, EffetManque::Bloque, par);
    }

    const QString &dossier() const { return m_dossier; }
    qsizetype nombreDeServices() const
    {
        return fichiersRoute(m_dossier, u"SERVICES", {QStringLiteral(".srv")}).size();
    }

    // The service `nom`'s file as on disk (relative to the route), when it
    // has not been read yet and exists; a missing one is kept as such.
    std::optional<QString> serviceALire(const QString &nom)
    {
        const QString ecrit = QStringLiteral("SERVICES/") + nom + QStringLiteral(".srv");
        const QString c = cleDeNom(u's', ecrit);
        if (m_services.contains(c))
            return std::nullopt;
        const auto surDisque = m_fichiers.fichierSurDisque(ecrit);
        if (!surDisque)
            m_services.insert(c, ServiceLu{});
        return surDisque;
    }
    void garderService(const QString &nom, ServiceLu lu)
    {
        m_services.insert(cleDeNom(u's', QStringLiteral("SERVICES/") + nom + QStringLiteral(".srv")), std::move(lu));
    }

    // The consist the service `nom` runs, when it can be read and names one.
    std::optional<QString> consistDe(const QString &nom)
    {
        const ServiceLu &s = lu(QStringLiteral("SERVICES/") + nom + QStringLiteral(".srv"));
        if (s.etat != EtatFichier::Lu || s.contenu.consist.isEmpty())
            return std::nullopt;
        return s.contenu.consist + QStringLiteral(".con");
    }

    // A service and all it names; `principal` for the player's.
    void service(Manques &m, const QString &nom, bool principal, const Intermediaire &par)
    {
        const QString ecrit = QStringLiteral("SERVICES/") + nom + QStringLiteral(".srv");
        const ServiceLu &s = lu(ecrit);
        if (s.etat != EtatFichier::Lu) {
            m.ajouter(cleDeNom(u's', nom), ecrit,
                      s.etat == EtatFichier::Absent ? EffetManque::Bloque : EffetManque::Illisible, par);
            return;
        }
        const Intermediaire parService{GenreIntermediaire::Service, nom, s.chemin};
        if (const auto c = consistDe(nom))
            m_verification.consist(m, *c, principal ? EffetManque::Bloque : EffetManque::Degrade, parService);
        if (!s.contenu.chemin.isEmpty())
            chemin(m, s.contenu.chemin + QStringLiteral(".pat"), parService);
    }

private:
    const ServiceLu &lu(const QString &ecrit)
    {
        return unique(m_services, cleDeNom(u's', ecrit), [&] {
            const auto surDisque = m_fichiers.fichierSurDisque(ecrit);
            return surDisque ? lireServiceLu(m_dossier, *surDisque) : ServiceLu{};
        });
    }

    QString m_dossier;
    VerificateurVehicules m_fichiers; // not vehicles here: the route's own files
    Verification &m_verification;
    QHash<QString, ServiceLu> m_services;
};

void activite(Route &route, Verification &v, const ContenuActivite &a, const QString &fichier, Manques &m)
{
    const Intermediaire lui{GenreIntermediaire::Fichier, {}, fichier};
    if (!a.chemin.isEmpty())
        route.chemin(m, a.chemin + QStringLiteral(".pat"), lui);
    if (!a.servicePrincipal.isEmpty())
        route.service(m, a.servicePrincipal, true, lui);
    for (const QString &s : a.services)
        route.service(m, s, false, lui);
    for (const VehiculeNomme &vn : a.vehiculesLibres)
        v.vehicule(m, vn, {GenreIntermediaire::ConsistLibre, {}, fichier});
}

void horaire(Route &route, Verification &v, const ContenuHoraire &h, const QString &fichier, Manques &m)
{
    for (const TrainHoraire &t : h.trains) {
        const Intermediaire train{GenreIntermediaire::TrainHoraire, t.nom, fichier};
        for (const QString &c : t.consists)
            v.consist(m, c, EffetManque::Degrade, train);
        if (!t.chemin.isEmpty())
            route.chemin(m, t.chemin, train);
    }
}

bool avant(const ManqueRoute &a, const ManqueRoute &b)
{
    for (const auto &[x, y] :
         {std::pair{&a.route, &b.route}, std::pair{&a.fichier, &b.fichier}, std::pair{&a.manquant, &b.manquant}}) {
        if (const int c = x->compare(*y, Qt::CaseInsensitive))
            return c < 0;
    }
    return std::tie(a.route, a.fichier, a.manquant) < std::tie(b.route, b.fichier, b.manquant);
}

} // namespace

BilanRoutes verifierRoutes(const QString &dossierJeu, const QString &dossierConsists, const QString &dossierTrainset,
                           Progression *avancement)
{
    Verification verification(dossierConsists, dossierTrainset);
    // Every activity and timetable read and taken apart first, with the
    // services they name: then the consists they all name are read in one
    // pass.
    struct Examen {
        Route *route = nullptr;
        QString nomRoute;
        QString fichier;
        QString chemin;
        bool lisible = false;
        std::optional<ContenuActivite> activite;
        std::optional<ContenuHoraire> horaire;
    };
    std::vector<std::unique_ptr<Route>> routes;
    struct AExaminer {
        Route *route;
        QString nomRoute;
        FichierRoute fichier;
        bool horaire;
    };
    QList<AExaminer> aExaminer;
    for (const DossierRoute &r : dossiersRoutes(dossierJeu)) {
        routes.push_back(std::make_unique<Route>(r, verification));
        for (const FichierRoute &f : fichiersRoute(r.chemin, u"ACTIVITIES", {QStringLiteral(".act")}))
            aExaminer.append({routes.back().get(), r.nom, f, false});
        for (const FichierRoute &f : fichiersRoute(r.chemin, u"ACTIVITIES/OpenRails", extensionsHoraires()))
            aExaminer.append({routes.back().get(), r.nom, f, true});
    }
    if (avancement)
        avancement->total += aExaminer.size();
    // Services and timetables many beside the consist folder name a good
    // part of it (a timetable counted as the tens of trains it usually
    // holds): the engine then reads it whole while the routes are read.
    qsizetype nomsPossibles = 0;
    for (const auto &r : routes)
        nomsPossibles += r->nombreDeServices();
    for (const AExaminer &a : std::as_const(aExaminer))
        nomsPossibles += a.horaire ? 50 : 0;
    if (nomsPossibles > 0 && nomsPossibles * 4 >= verification.consists().nombreDeFichiers())
        verification.consists().lireToutEnAvance();
    QList<Examen> examens(aExaminer.size());
    // Each thread writes its own elements, through a pointer taken once.
    Examen *const examinees = examens.data();
    enParallele(aExaminer.size(), [&](qsizetype i) {
        const AExaminer &a = aExaminer.at(i);
        Examen &e = examinees[i];
        e = {a.route, a.nomRoute, a.fichier.entree.nom, joindre(a.fichier.dossier, a.fichier.entree.nom), false,
             {},      {}};
        if (const std::optional<QString> texte = texteDeFichier(a.fichier.dossier, a.fichier.entree);
            texte && a.horaire) {
            e.horaire = lireHoraire(*texte);
            e.lisible = e.horaire->lisible;
        } else if (texte) {
            e.activite = lireActivite(*texte);
            e.lisible = e.activite->lisible;
        }
        if (avancement)
            ++avancement->faits;
    });

    // The services the activities name, each read once.
    struct ServiceALire {
        Route *route;
        QString nom;
        QString surDisque;
        ServiceLu lu;
    };
    QList<ServiceALire> services;
    for (const Examen &e : std::as_const(examens)) {
        if (!e.activite)
            continue;
        for (const QString &s : QStringList{e.activite->servicePrincipal} + e.activite->services) {
            if (s.isEmpty())
                continue;
            if (const auto surDisque = e.route->serviceALire(s)) {
                services.append({e.route, s, *surDisque, {}});
                e.route->garderService(s, ServiceLu{EtatFichier::Illisible, {}, {}}); // taken, read below
            }
        }
    }
    ServiceALire *const aLire = services.data();
    enParallele(services.size(), [&](qsizetype i) {
        ServiceALire &s = aLire[i];
        s.lu = lireServiceLu(s.route->dossier(), s.surDisque);
    });
    for (ServiceALire &s : services)
        s.route->garderService(s.nom, std::move(s.lu));

    for (const Examen &e : std::as_const(examens)) {
        if (e.horaire) {
            for (const TrainHoraire &t : e.horaire->trains) {
                for (const QString &c : t.consists)
                    verification.consists().annoncer(c);
            }
        } else if (e.activite) {
            for (const QString &s : QStringList{e.activite->servicePrincipal} + e.activite->services) {
                if (const auto c = s.isEmpty() ? std::nullopt : e.route->consistDe(s))
                    verification.consists().annoncer(*c);
            }
        }
    }
    verification.consists().lireAnnonces();

    BilanRoutes bilan;
    for (const Examen &e : std::as_const(examens)) {
        ++bilan.fichiers;
        bilan.verifies.append({e.nomRoute, e.fichier, e.chemin});
        if (!e.lisible) {
            bilan.manques.append({e.nomRoute,
                                  e.fichier,
                                  EffetManque::Illisible,
                                  QString(),
                                  {{GenreIntermediaire::Fichier, {}, e.chemin}}});
            ++bilan.bloques;
            continue;
        }
        Manques m;
        if (e.horaire)
            horaire(*e.route, verification, *e.horaire, e.chemin, m);
        else
            activite(*e.route, verification, *e.activite, e.chemin, m);
        EffetManque pire = EffetManque::Degrade;
        for (const Manque &l : m.lignes()) {
            bilan.manques.append({e.nomRoute, e.fichier, l.effet, l.ecrit, l.par});
            pire = std::max(pire, l.effet);
        }
        if (!m.lignes().isEmpty())
            ++(pire == EffetManque::Degrade ? bilan.lacunaires : bilan.bloques);
    }
    std::stable_sort(bilan.manques.begin(), bilan.manques.end(), avant);
    return bilan;
}

QList<VerdictFichier> verdictsParFichier(const BilanRoutes &bilan)
{
    QList<VerdictFichier> verdicts;
    verdicts.reserve(bilan.verifies.size());
    // Keyed exactly: two files differing only in letter case are two rows,
    // as the check read them.
    QHash<std::pair<QString, QString>, qsizetype> index;
    for (const FichierVerifie &f : bilan.verifies)
        verdicts.append({f, EffetManque::Degrade, {}});
    // By route and file, as the rows: the folders list in no set order.
    std::stable_sort(verdicts.begin(), verdicts.end(), [](const VerdictFichier &a, const VerdictFichier &b) {
        const ManqueRoute x{a.fichier.route, a.fichier.fichier, {}, {}, {}};
        const ManqueRoute y{b.fichier.route, b.fichier.fichier, {}, {}, {}};
        return avant(x, y);
    });
    for (qsizetype i = 0; i < verdicts.size(); ++i)
        index.insert({verdicts[i].fichier.route, verdicts[i].fichier.fichier}, i);
    for (const ManqueRoute &m : bilan.manques) {
        const auto it = index.constFind({m.route, m.fichier});
        if (it == index.cend())
            continue;
        VerdictFichier &v = verdicts[*it];
        v.pire = v.manques.isEmpty() ? m.effet : std::max(v.pire, m.effet);
        v.manques.append(m);
    }
    return verdicts;
}

QString motEffet(EffetManque effet)
{
    switch (effet) {
    case EffetManque::Degrade:
        return QStringLiteral("degrades");
    case EffetManque::Bloque:
        return QStringLiteral("blocks");
    case EffetManque::Illisible:
        break;
    }
    return QStringLiteral("unreadable");
}

QString csvRoutes(const QList<ManqueRoute> &manques)
{
    QString csv;
    for (const ManqueRoute &m : manques) {
        csv += champCsv(m.route) + u',' + champCsv(m.fichier) + u',' + motEffet(m.effet) + u',' + champCsv(m.manquant) +
               u'\n';
    }
    return csv;
}

} // namespace corvanel
