#include "analysis/Sauvegardes.h"

#include "analysis/Analyse.h"
#include "analysis/Remplacement.h"
#include "analysis/Utilisations.h"
#include "fileops/DossierOuvert.h"
#include "fileops/SystemeFichiers.h"
#include "platform/ListeDossier.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStandardPaths>

#include <algorithm>
#include <cerrno>

namespace corvanel {

namespace {

const QString NomManifeste = QStringLiteral("manifest.jsonl");

QByteArray ligneJson(const QJsonObject &o)
{
    return QJsonDocument(o).toJson(QJsonDocument::Compact) + '\n';
}

QString empreinte(const QByteArray &octets)
{
    return QString::fromLatin1(QCryptographicHash::hash(octets, QCryptographicHash::Sha256).toHex());
}

QString sansBarreFinale(QString chemin)
{
    while (chemin.size() > 1 && (chemin.endsWith(u'/') || chemin.endsWith(u'\\')))
        chemin.chop(1);
    return chemin;
}

void creerChemin(const QString &chemin, bool prive = false)
{
    if (sf::dossierExiste(chemin))
        return;
    const QString parent = QFileInfo(chemin).absolutePath();
    if (parent != chemin)
        creerChemin(parent);
    try {
        sf::creerDossier(chemin, prive);
    } catch (const ErreurExecution &) {
        if (!sf::dossierExiste(chemin)) // made meanwhile by another copy of the program
            throw;
    }
}

// Each folder of `relatif` below `base` (which exists), for the owner alone.
void creerDossiersPrives(const QString &base, const QString &relatif)
{
    QString chemin = base;
    for (const QString &composant : relatif.split(u'/')) {
        chemin += u'/' + composant;
        if (sf::dossierExiste(chemin))
            continue;
        try {
            sf::creerDossier(chemin, true);
        } catch (const ErreurExecution &) {
            if (!sf::dossierExiste(chemin))
                throw;
        }
    }
}

bool dedans(const QString &chemin, const QString &dossier)
{
    return !dossier.isEmpty() && (chemin + u'/').startsWith(dossier + u'/', Qt::CaseInsensitive);
}

struct ManifesteLu {
    Sauvegarde sauvegarde;
    QString jeu;
    QStringList empreintes;
    QStringList empreintesActivites;
    qsizetype nombre = 0; // consists and activities noted
    bool annule = false;
};

// `detail`: the consists' names and hashes too; without it, only how many
// there are, which is all it takes to pass over an older replacement or one
// undone already (a manifest notes tens of thousands of consists).
std::optional<ManifesteLu> lireManifeste(const QString &dossier, bool detail)
{
    QFile f(dossier + u'/' + NomManifeste);
    if (!f.open(QIODevice::ReadOnly))
        return std::nullopt;
    ManifesteLu m;
    m.sauvegarde.dossier = dossier;
    bool tete = true;
    for (const QByteArray &ligne : f.readAll().split('\n')) {
        // Written compact, keys in order: a consist's line needs no parsing
        // to be counted. Anything else (a line edited by hand) is parsed.
        if (!tete && !detail && (ligne.startsWith("{\"consist\":") || ligne.startsWith("{\"activite\":"))) {
            ++m.nombre;
            continue;
        }
        const QJsonObject o = QJsonDocument::fromJson(ligne).object();
        if (o.isEmpty())
            continue;
        if (tete) {
            m.jeu = o.value(u"jeu").toString();
            m.sauvegarde.ancien = o.value(u"ancien").toString();
            m.sauvegarde.nouveau = o.value(u"nouveau").toString();
            m.sauvegarde.date = QDateTime::fromString(o.value(u"date").toString(), Qt::ISODateWithMs);
            tete = false;
        } else if (o.contains(u"annule")) {
            m.annule = true;
        } else if (o.contains(u"activite") || o.contains(u"route")) {
            ++m.nombre;
            if (detail) {
                // Its own kind, held to exactly what the replacement writes:
                // anything more or less is no activity to write.
                const bool strict = o.size() == 3 && o.value(u"activite").isString() && o.value(u"route").isString() &&
                                    o.value(u"sha256").isString();
                m.sauvegarde.activites.append({o.value(u"route").toString(), o.value(u"activite").toString(), strict});
                m.empreintesActivites.append(o.value(u"sha256").toString());
            }
        } else {
            ++m.nombre;
            if (detail) {
                m.sauvegarde.consists.append(o.value(u"consist").toString());
                m.empreintes.append(o.value(u"sha256").toString());
            }
        }
    }
    if (tete)
        return std::nullopt;
    return m;
}

std::optional<ManifesteLu> dernierManifeste(const QString &dossierJeu)
{
    const QString jeu = identiteJeu(dossierJeu);
    const QDir racine(dossierSauvegardes());
    // The folders' names are their UTC dates: the last by name is the last made.
    for (const QString &nom : racine.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name | QDir::Reversed)) {
        const auto m = lireManifeste(racine.filePath(nom), false);
        if (m && !m->annule && m->nombre > 0 && m->jeu == jeu)
            return lireManifeste(racine.filePath(nom), true);
    }
    return std::nullopt;
}

} // namespace

QString dossierSauvegardes()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + QStringLiteral("/Corvanel/backups");
}

QString identiteJeu(const QString &dossierJeu)
{
    const QFileInfo info(dossierJeu);
    const QString canonique = info.canonicalFilePath();
    return sansBarreFinale(canonique.isEmpty() ? info.absoluteFilePath() : canonique);
}

bool nomDeRouteSimple(const QString &nom)
{
    return nomDeConsistSimple(nom) && !nom.contains(u'\\');
}

bool nomDeConsistSimple(const QString &nom)
{
#ifdef Q_OS_WIN
    const bool separateur = nom.contains(u'\\') || nom.contains(u':');
#else
    const bool separateur = false;
#endif
    return !nom.isEmpty() && nom != u"." && nom != u".." && !nom.contains(u'/') && !nom.contains(QChar(0)) &&
           !separateur;
}

QString descriptionEchec(const ErreurExecution &e)
{
    return QStringLiteral("Erreur n° ") + QString::number(e.numero()) + QStringLiteral(". ") + e.description() + u'.';
}

EcrivainSauvegarde::EcrivainSauvegarde(const QString &dossierJeu, const QString &dossierConsists, const QString &ancien,
                                       const QString &nouveau)
{
    const QString racine = QDir::cleanPath(QFileInfo(dossierSauvegardes()).absoluteFilePath());
    const QDateTime maintenant = QDateTime::currentDateTimeUtc();
    m_dossier = racine + u'/' + maintenant.toString(QStringLiteral("yyyy-MM-dd_HH-mm-ss-zzz"));
    try {
        const QString consists = sansBarreFinale(QFileInfo(dossierConsists).canonicalFilePath());
        if (dedans(racine, consists) || dedans(racine, sansBarreFinale(QDir::cleanPath(dossierConsists))))
            throw ErreurExecution(NumErreur::AccesChemin);
        creerChemin(racine, true);
        // Made open to all by an earlier version: closed now, before a copy
        // of a consist goes in.
        if (!sf::estLien(racine))
            QFile::setPermissions(racine, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        const QString base = m_dossier;
        for (int n = 2; sf::existe(m_dossier); ++n)
            m_dossier = base + u'_' + QString::number(n);
        sf::creerDossier(m_dossier, true);
        m_manifeste = m_dossier + u'/' + NomManifeste;
        const QByteArray entete = ligneJson({{"jeu", identiteJeu(dossierJeu)},
                                             {"consists", dossierConsists},
                                             {"ancien", ancien},
                                             {"nouveau", nouveau},
                                             {"date", maintenant.toString(Qt::ISODateWithMs)}});
        // Written through to the disk: not on the window's thread.
        sansBloquer([&] { sf::ecrireContenu(m_manifeste, entete, false, true); });
        m_ignoreCasse = sf::existe(m_dossier + u'/' + NomManifeste.toUpper());
    } catch (const ErreurExecution &e) {
        throw SauvegardeImpossible(e, m_dossier);
    }
}

QList<std::optional<ErreurExecution>> EcrivainSauvegarde::garder(const QList<AGarder> &consists)
{
    QList<std::optional<ErreurExecution>> resultats(consists.size());
    sf::LotEcritures lot;
    QList<qsizetype> prepares;
    for (qsizetype i = 0; i < consists.size(); ++i) {
        const AGarder &a = consists[i];
        const QString relatif = a.route.isEmpty() ? a.nom : cheminActivite(a.route, a.nom);
        try {
            if (m_ignoreCasse) {
                const QString pli = relatif.normalized(QString::NormalizationForm_C).toCaseFolded();
                if (m_plisGardes.contains(pli))
                    throw sf::erreurSysteme(EEXIST);
                m_plisGardes.insert(pli);
            }
            if (!a.route.isEmpty())
                creerDossiersPrives(m_dossier, QFileInfo(relatif).path());
            lot.preparer(m_dossier + u'/' + relatif, a.original, false, true);
            prepares.append(i);
        } catch (const ErreurExecution &e) {
            resultats[i] = e;
        }
    }
    const auto places = lot.placer();
    QByteArray lignes;
    for (qsizetype k = 0; k < prepares.size(); ++k) {
        const qsizetype i = prepares[k];
        resultats[i] = places[k];
        if (places[k])
            continue;
        const AGarder &a = consists[i];
        if (a.route.isEmpty())
            lignes += ligneJson({{"consist", a.nom}, {"sha256", empreinte(a.nouveau)}});
        else
            lignes += ligneJson({{"activite", a.nom}, {"route", a.route}, {"sha256", empreinte(a.nouveau)}});
    }
    // Noted before the consists are written: every consist changed is in
    // the manifest, even if the program stops the next moment.
    if (!lignes.isEmpty()) {
        try {
            sf::ajouterContenu(m_manifeste, lignes);
        } catch (const ErreurExecution &e) {
            for (auto &r : resultats) {
                if (!r)
                    r = e;
            }
        }
    }
    return resultats;
}

EcrituresConsists::EcrituresConsists(Bilan &bilan, std::function<void()> battement, const sf::DossierOuvert &consists)
    : m_bilan(bilan), m_battement(std::move(battement)), m_consists(consists)
{
}

void EcrituresConsists::ecrire(const QString &nom, QByteArray original, QByteArray nouveau)
{
    ecrire(m_consists, {}, nom, std::move(original), std::move(nouveau));
}

void EcrituresConsists::ecrire(const sf::DossierOuvert &dossier, const QString &route, const QString &nom,
                               QByteArray original, QByteArray nouveau)
{
    ajouter({m_rang++, {nom, std::move(original), std::move(nouveau), route}, &dossier});
}

void EcrituresConsists::ajouter(Ecriture e)
{
    m_octetsLot += e.consist.original.size() + e.consist.nouveau.size();
    m_lot.append(std::move(e));
    // Enough to make the waits for the disk short, little enough to hold
    // (each file of a lot stays open until the lot is written).
    if (m_lot.size() >= 128 || m_octetsLot >= 32 * 1024 * 1024)
        ecrireLot();
}

void EcrituresConsists::dejaFait(const QString &nom, const QString &route)
{
    m_changes.append({m_rang++, !route.isEmpty(), route.isEmpty() ? nom : cheminActivite(route, nom)});
}

void EcrituresConsists::laisser(ConsistLaisse laisse, bool activite)
{
    m_laisses.append({m_rang++, activite, std::move(laisse)});
}

void pourUnFichier(const std::function<void()> &etape, const std::function<void(Motif, const QString &)> &laisser)
{
    try {
        etape();
    } catch (const SauvegardeImpossible &) {
        throw;
    } catch (const Laisse &l) {
        laisser(l.motif, {});
    } catch (const sf::LienSortant &) {
        laisser(Motif::LienSortant, {});
    } catch (const ErreurExecution &e) {
        laisser(Motif::Echec, descriptionEchec(e));
    }
}

void EcrituresConsists::ecrireLot()
{
    QList<Ecriture> lot = std::exchange(m_lot, {});
    m_octetsLot = 0;
    if (m_battement)
        m_battement();
    // Every wait for the disk of a lot (backups, manifest, consists) happens
    // off the window's thread: on a busy disk one flush can take longer than
    // the window may stand still.
    QList<Laisse> laisses;
    QList<Change> changes;
    const auto nomme = [](const Ecriture &e) {
        return e.consist.route.isEmpty() ? e.consist.nom : cheminActivite(e.consist.route, e.consist.nom);
    };
    sansBloquer([&] {
        const auto echec = [&](const Ecriture &e, const ErreurExecution &err) {
            laisses.append({e.rang, !e.consist.route.isEmpty(), {nomme(e), Motif::Echec, descriptionEchec(err)}});
        };
        // Without its backup on the disk, a consist is not written.
        if (m_sauvegarde) {
            QList<EcrivainSauvegarde::AGarder> consists;
            for (const Ecriture &e : lot)
                consists.append(e.consist);
            const auto gardes = m_sauvegarde->garder(consists);
            QList<Ecriture> suivants;
            for (qsizetype i = 0; i < lot.size(); ++i) {
                if (gardes[i])
                    echec(lot[i], *gardes[i]);
                else
                    suivants.append(std::move(lot[i]));
            }
            lot = std::move(suivants);
        }
        sf::LotEcritures ecritures;
        QList<const Ecriture *> prepares;
        for (const Ecriture &e : lot) {
            try {
                ecritures.preparer(*e.dossier, e.consist.nom, e.consist.nouveau, true);
                prepares.append(&e);
            } catch (const ErreurExecution &err) {
                echec(e, err);
            }
        }
        const auto places = ecritures.placer();
        for (qsizetype k = 0; k < prepares.size(); ++k) {
            if (places[k])
                echec(*prepares[k], *places[k]);
            else
                changes.append({prepares[k]->rang, !prepares[k]->consist.route.isEmpty(), nomme(*prepares[k])});
        }
    });
    m_laisses.append(std::move(laisses));
    m_changes.append(std::move(changes));
}

void EcrituresConsists::terminer()
{
    if (!m_lot.isEmpty())
        ecrireLot();
    const auto parRang = [](const auto &a, const auto &b) { return a.rang < b.rang; };
    std::stable_sort(m_changes.begin(), m_changes.end(), parRang);
    std::stable_sort(m_laisses.begin(), m_laisses.end(), parRang);
    for (auto &c : m_changes)
        (c.activite ? m_bilan.activites : m_bilan.changes).append(std::move(c.nom));
    for (auto &l : m_laisses)
        (l.activite ? m_bilan.activitesLaissees : m_bilan.laisses).append(std::move(l.laisse));
    m_changes.clear();
    m_laisses.clear();
}

std::optional<Sauvegarde> derniereSauvegarde(const QString &dossierJeu)
{
    const auto m = dernierManifeste(dossierJeu);
    if (!m)
        return std::nullopt;
    return m->sauvegarde;
}

DossiersActivites::DossiersActivites() = default;
DossiersActivites::~DossiersActivites() = default;

const sf::DossierOuvert &DossiersActivites::ouvrir(const QString &chemin)
{
    const auto it = m_ouverts.find(chemin);
    if (it != m_ouverts.end())
        return *it->second;
    // As for the consist folder: another account could swap what it holds
    // for links while the administrator's command writes there.
    if (sf::privilegie() && sf::cheminRisque(chemin))
        throw Laisse{Motif::DossierRisque};
    std::unique_ptr<sf::DossierOuvert> dossier;
    try {
        dossier = std::make_unique<sf::DossierOuvert>(chemin);
    } catch (const sf::NomDeplace &) {
        throw sf::LienSortant();
    }
    return *m_ouverts.emplace(chemin, std::move(dossier)).first->second;
}

namespace {

// The ACTIVITIES folder of the route folder named exactly `a.route` (ROUTES
// and ACTIVITIES in any letter case) that holds the activity `a.fichier`,
// named exactly; each route's activities listed once.
std::optional<QString> dossierActivite(const QString &dossierJeu, const ActiviteNotee &a,
                                       QHash<QString, QList<FichierRoute>> &parRoute)
{
    auto it = parRoute.find(a.route);
    if (it == parRoute.end()) {
        QList<FichierRoute> fichiers;
        for (const DossierRoute &r : dossiersRoutes(dossierJeu)) {
            if (r.nom == a.route)
                fichiers += fichiersRoute(r.chemin, u"ACTIVITIES", {QStringLiteral(".act")});
        }
        it = parRoute.insert(a.route, fichiers);
    }
    for (const FichierRoute &f : std::as_const(*it)) {
        if (f.entree.nom == a.fichier && !nomInjoignable(f.entree))
            return f.dossier;
    }
    return std::nullopt;
}

} // namespace

Bilan annulerDernier(const QString &dossierJeu, const QString &dossierConsists, const Autorisation &autoriser,
                     const Avancement &avancement, const Battement &battement)
{
    Bilan b;
    const auto m = dernierManifeste(dossierJeu);
    if (!m)
        return b;
    b.sauvegarde = m->sauvegarde.dossier;
    const sf::DossierOuvert dossier(dossierConsists);
    DossiersActivites dossiersActivites;
    EcrituresConsists ecritures(b, battement, dossier);

    // Puts one file back as the replacement found it, consist or activity
    // (`route` not empty, its original at `nomme` in the backup folder),
    // unless it changed since. Throws Laisse, or the failure, for a file left.
    const auto restaurer = [&](const sf::DossierOuvert &dans, const QString &route, const QString &nom,
                               const QString &nomme, const QString &attendue) {
        QByteArray actuels;
        try {
            actuels = dans.lire(nom);
        } catch (const sf::LienSortant &) {
            throw;
        } catch (const ErreurExecution &e) {
            if (e.numero() != NumErreur::FichierIntrouvable)
                throw;
            throw Laisse{Motif::Disparu};
        }
        QFile copie(b.sauvegarde + u'/' + nomme);
        if (!copie.open(QIODevice::ReadOnly))
            throw ErreurExecution::depuisFichier(copie);
        QByteArray originaux = copie.readAll();
        // As it was already: a write that failed, or put back by hand.
        if (actuels == originaux)
            return;
        if (empreinte(actuels) != attendue)
            throw Laisse{Motif::ModifieDepuis};
        if (sf::lireAttributs(dans.chemin(nom)) & (sf::LectureSeule | sf::Cache)) {
            if (!autoriser)
                throw Laisse{Motif::LectureSeule};
            if (!autoriser(nomme))
                throw Laisse{Motif::Refuse};
        }
        ecritures.ecrire(dans, route, nom, {}, std::move(originaux));
    };

    const QStringList &consists = m->sauvegarde.consists;
    const QList<ActiviteNotee> &activites = m->sauvegarde.activites;
    const qsizetype total = consists.size() + activites.size();
    const auto avancer = [&](qsizetype fait) {
        if (avancement)
            avancement(fait, total);
        if (battement)
            battement();
    };
    for (qsizetype i = 0; i < consists.size(); ++i) {
        avancer(i + 1);
        const QString &nom = consists[i];
        pourUnFichier(
            [&] {
                // Nothing read or written by a name that could leave the folder.
                if (!nomDeConsistSimple(nom))
                    throw Laisse{Motif::NomRefuse};
                restaurer(dossier, {}, nom, nom, m->empreintes[i]);
            },
            [&](Motif motif, const QString &detail) {
                ecritures.laisser({nom, motif, detail});
            });
    }
    QHash<QString, QList<FichierRoute>> parRoute;
    for (qsizetype i = 0; i < activites.size(); ++i) {
        avancer(consists.size() + i + 1);
        const ActiviteNotee &a = activites[i];
        const QString nomme = cheminActivite(a.route, a.fichier);
        pourUnFichier(
            [&] {
                // Only a route's folder and a file of its ACTIVITIES folder:
                // never a path, which could lead the undo anywhere.
                if (!a.valide || !nomDeRouteSimple(a.route) || !nomDeRouteSimple(a.fichier))
                    throw Laisse{Motif::NomRefuse};
                const std::optional<QString> chemin = dossierActivite(dossierJeu, a, parRoute);
                if (!chemin)
                    throw Laisse{Motif::Disparu};
                restaurer(dossiersActivites.ouvrir(*chemin), a.route, a.fichier, nomme, m->empreintesActivites[i]);
            },
            [&](Motif motif, const QString &detail) {
                ecritures.laisser({nomme, motif, detail}, true);
            });
    }
    ecritures.terminer();
    // Undone even with files left: their original bytes stay in the backup
    // folder, and the next undo goes on to the replacement before.
    try {
        const QByteArray annule = ligneJson({{"annule", QDateTime::currentDateTimeUtc().toString(Qt::ISODateWithMs)}});
        sansBloquer([&] { sf::ajouterContenu(b.sauvegarde + u'/' + NomManifeste, annule); });
    } catch (const ErreurExecution &) {
        // Not marked: a second undo finds the files restored already.
    }
    return b;
}

} // namespace corvanel
