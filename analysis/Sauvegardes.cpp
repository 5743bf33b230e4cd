#include "analysis/Sauvegardes.h"

#include "analysis/Remplacement.h"
#include "fileops/SystemeFichiers.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStandardPaths>

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

void creerChemin(const QString &chemin)
{
    if (sf::dossierExiste(chemin))
        return;
    const QString parent = QFileInfo(chemin).absolutePath();
    if (parent != chemin)
        creerChemin(parent);
    try {
        sf::creerDossier(chemin);
    } catch (const ErreurExecution &) {
        if (!sf::dossierExiste(chemin)) // made meanwhile by another copy of the program
            throw;
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
    bool annule = false;
};

std::optional<ManifesteLu> lireManifeste(const QString &dossier)
{
    QFile f(dossier + u'/' + NomManifeste);
    if (!f.open(QIODevice::ReadOnly))
        return std::nullopt;
    ManifesteLu m;
    m.sauvegarde.dossier = dossier;
    bool tete = true;
    for (const QByteArray &ligne : f.readAll().split('\n')) {
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
        } else {
            m.sauvegarde.consists.append(o.value(u"consist").toString());
            m.empreintes.append(o.value(u"sha256").toString());
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
        auto m = lireManifeste(racine.filePath(nom));
        if (m && !m->annule && !m->sauvegarde.consists.isEmpty() && m->jeu == jeu)
            return m;
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
        creerChemin(racine);
        const QString base = m_dossier;
        for (int n = 2; sf::existe(m_dossier); ++n)
            m_dossier = base + u'_' + QString::number(n);
        sf::creerDossier(m_dossier);
        m_manifeste = m_dossier + u'/' + NomManifeste;
        sf::ecrireContenu(m_manifeste, ligneJson({{"jeu", identiteJeu(dossierJeu)},
                                                  {"consists", dossierConsists},
                                                  {"ancien", ancien},
                                                  {"nouveau", nouveau},
                                                  {"date", maintenant.toString(Qt::ISODateWithMs)}}));
    } catch (const ErreurExecution &e) {
        throw SauvegardeImpossible(e, m_dossier);
    }
}

void EcrivainSauvegarde::garder(const QString &nom, const QByteArray &original, const QByteArray &nouveau)
{
    sf::ecrireContenu(m_dossier + u'/' + nom, original);
    // Noted before the consist is written: every consist changed is in the
    // manifest, even if the program stops the next moment.
    sf::ajouterContenu(m_manifeste, ligneJson({{"consist", nom}, {"sha256", empreinte(nouveau)}}));
}

std::optional<Sauvegarde> derniereSauvegarde(const QString &dossierJeu)
{
    const auto m = dernierManifeste(dossierJeu);
    if (!m)
        return std::nullopt;
    return m->sauvegarde;
}

Bilan annulerDernier(const QString &dossierJeu, const QString &dossierConsists, const Autorisation &autoriser,
                     const Avancement &avancement, const Battement &battement)
{
    Bilan b;
    const auto m = dernierManifeste(dossierJeu);
    if (!m)
        return b;
    b.sauvegarde = m->sauvegarde.dossier;
    const QStringList &consists = m->sauvegarde.consists;
    for (qsizetype i = 0; i < consists.size(); ++i) {
        if (avancement)
            avancement(i + 1, consists.size());
        if (battement)
            battement();
        const QString &nom = consists[i];
        const QString chemin = dossierConsists + nom;
        const auto laisser = [&](Motif motif, const QString &detail = {}) { b.laisses.append({nom, motif, detail}); };
        try {
            QFile courant(chemin);
            if (!courant.exists()) {
                laisser(Motif::ModifieDepuis);
                continue;
            }
            if (!courant.open(QIODevice::ReadOnly))
                throw ErreurExecution::depuisFichier(courant);
            const QByteArray actuels = courant.readAll();
            courant.close();
            QFile copie(b.sauvegarde + u'/' + nom);
            if (!copie.open(QIODevice::ReadOnly))
                throw ErreurExecution::depuisFichier(copie);
            const QByteArray originaux = copie.readAll();
            // As it was already: a write that failed, or put back by hand.
            if (actuels == originaux)
                continue;
            if (empreinte(actuels) != m->empreintes[i]) {
                laisser(Motif::ModifieDepuis);
                continue;
            }
            if (sf::lireAttributs(chemin) & (sf::LectureSeule | sf::Cache)) {
                if (!autoriser) {
                    laisser(Motif::LectureSeule);
                    continue;
                }
                if (!autoriser(nom)) {
                    laisser(Motif::Refuse);
                    continue;
                }
            }
            sf::ecrireContenu(chemin, originaux, true);
            b.changes.append(nom);
        } catch (const ErreurExecution &e) {
            laisser(Motif::Echec, descriptionEchec(e));
        }
    }
    // Undone even with consists left: their original bytes stay in the
    // backup folder, and the next undo goes on to the replacement before.
    try {
        sf::ajouterContenu(b.sauvegarde + u'/' + NomManifeste,
                           ligneJson({{"annule", QDateTime::currentDateTimeUtc().toString(Qt::ISODateWithMs)}}));
    } catch (const ErreurExecution &) {
        // Not marked: a second undo finds the consists restored already.
    }
    return b;
}

} // namespace corvanel
