#include "analysis/ConsistsNommes.h"

#include "analysis/LecteurConsist.h"
#include "analysis/MoteurAnalyse.h"
#include "platform/ErreurExecution.h"
#include "platform/ListeDossier.h"

#include <QSet>

#include <utility>

namespace corvanel {

namespace {

QString ecritVehicule(QStringView dossier, QStringView nom, QStringView extension)
{
    return dossier.toString() + u'/' + nom.toString() + extension.toString();
}

} // namespace

QString cleDeNom(QChar genre, const QString &relatif)
{
    return genre + QString(relatif).replace(u'\\', u'/').toCaseFolded();
}

ConsistsNommes::ConsistsNommes(const QString &dossierConsists, const QString &dossierTrainset)
    : m_consists(dossierConsists), m_racineConsists(dossierConsists), m_racineTrainset(dossierTrainset),
      m_trainset(dossierTrainset)
{
}

ConsistsNommes::~ConsistsNommes()
{
    if (m_fil.joinable())
        m_fil.join();
}

void ConsistsNommes::annoncer(const QString &nom)
{
    m_annonces.insert(cleDeNom(u'c', nom), nom);
}

void ConsistsNommes::lireAnnonces()
{
    if (m_fil.joinable()) {
        m_fil.join();
        m_annonces.clear();
        return;
    }
    QSet<QString> voulus; // as on disk, directly in the consist folder
    for (const QString &nom : std::as_const(m_annonces)) {
        const auto surDisque = m_consists.fichierSurDisque(nom);
        if (surDisque && !surDisque->contains(u'/') && estNomConsist(*surDisque))
            voulus.insert(*surDisque);
    }
    m_annonces.clear();
    if (!voulus.isEmpty() && voulus.size() * 4 >= nombreDeFichiers())
        m_lusAvance = lireParLeMoteur(&voulus);
}

void ConsistsNommes::lireToutEnAvance()
{
    m_fil = std::thread([this] { m_lusAvance = lireParLeMoteur(nullptr); });
}

qsizetype ConsistsNommes::nombreDeFichiers() const
{
    try {
        return listerDossier(m_racineConsists).size();
    } catch (const ErreurExecution &) {
        return 0;
    }
}

const ConsistNomme &ConsistsNommes::consist(const QString &nom)
{
    const QString c = cleDeNom(u'c', nom);
    if (const auto connu = m_lus.constFind(c); connu != m_lus.cend())
        return *connu;
    ConsistNomme lu;
    if (const auto surDisque = m_consists.fichierSurDisque(nom)) {
        const auto avance = m_lusAvance.constFind(*surDisque);
        lu = avance != m_lusAvance.cend() ? *avance : lire(*surDisque);
    }
    return *m_lus.insert(c, std::move(lu));
}

bool ConsistsNommes::vehiculeExiste(QStringView cle, qsizetype longueurDossier)
{
    return m_trainset.existe(cle, longueurDossier);
}

// The consists of `voulus` (as on disk), or every one when it is null, as
// the engine judges them. One it cannot read stops it: that one and those
// after it are left out, to be read one by one when asked for.
QHash<QString, ConsistNomme> ConsistsNommes::lireParLeMoteur(const QSet<QString> *voulus) const
{
    QHash<QString, ConsistNomme> lus;
    MoteurAnalyse moteur(m_racineConsists, m_racineTrainset);
    ConsistNomme courant;
    bool premier = true;
    SuiviAnalyse suivi;
    suivi.consist = [&](const ConsistJuge &c) {
        if (voulus && !voulus->contains(c.entree->nom))
            return;
        for (const VehiculeLu &v : c.vehicules) {
            if (!v.saine)
                continue;
            if (!v.existe)
                courant.absents.append({ecritVehicule(v.dossier, v.nom, v.extension), premier});
            premier = false;
        }
        if (c.partiel)
            return;
        courant.etat = c.disparu ? EtatFichier::Absent : EtatFichier::Lu;
        lus.insert(c.entree->nom, std::exchange(courant, {}));
        premier = true;
    };
    try {
        moteur.analyser(Profondeur::Entiere, suivi);
    } catch (const ErreurExecution &) {
    }
    return lus;
}

ConsistNomme ConsistsNommes::lire(const QString &surDisque)
{
    ConsistNomme lu;
    int err = 0;
    const std::unique_ptr<QIODevice> source = ouvrirEntree(m_racineConsists, EntreeDossier{surDisque, {}, true}, err);
    if (!source) {
        lu.etat = EtatFichier::Illisible;
        return lu;
    }
    try {
        LecteurConsist lecteur(*source);
        QStringView ligne;
        bool premier = true;
        while (lecteur.lire(ligne)) {
            const LigneVehicule v = analyserLigne(ligne);
            if (!v.vehicule || !v.saine)
                continue;
            if (!m_trainset.existe(v)) {
                lu.absents.append({ecritVehicule(v.dossier, v.nom, v.extension), premier});
            }
            premier = false;
        }
        lu.etat = EtatFichier::Lu;
    } catch (const ErreurExecution &) {
        lu.etat = EtatFichier::Illisible;
        lu.absents.clear();
    }
    return lu;
}

} // namespace corvanel
