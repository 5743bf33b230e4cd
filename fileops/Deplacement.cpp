// The move command: copy the chosen consists to the folder picked in the
// destination dialog, by the rule for files already there, and take out of
// the consist folder only those whose copy is complete.
#include "ui/Commandes.h"

#include "commun/Interaction.h"
#include "commun/modDeclarations.h"
#include "fileops/Echecs.h"
#include "fileops/Impact.h"
#include "fileops/SystemeFichiers.h"
#include "fileops/frmDemander.h"
#include "fileops/frmDeplacerVers.h"
#include "localisation/LireLangue.h"
#include "platform/ErreurExecution.h"
#include "platform/ListeDossier.h"
#include "platform/Texte.h"
#include "ui/Modal.h"
#include "ui/frmCorvanel.h"

#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QListWidget>
#include <QMultiHash>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QRandomGenerator>
#include <QSet>

#include <algorithm>
#include <cerrno>
#include <functional>
#include <memory>
#include <optional>

namespace corvanel {

namespace {

// Dates are compared to the second, the precision FAT sticks and Windows'
// dialogs give: a consist changed within the same second as the destination
// file is not newer.
bool plusRecent(const QString &source, const QString &destination)
{
    return sf::dateModification(source).toSecsSinceEpoch() > sf::dateModification(destination).toSecsSinceEpoch();
}

// The copy as read back by its own name holds the consist's bytes.
bool memesOctets(const QString &source, const QString &copie)
{
    QFile a(source), b(copie);
    if (!a.open(QIODevice::ReadOnly) || !b.open(QIODevice::ReadOnly) || a.size() != b.size())
        return false;
    constexpr qint64 Bloc = 1 << 20;
    while (!a.atEnd()) {
        const QByteArray x = a.read(Bloc);
        if (x.isEmpty() || x != b.read(Bloc))
            return false;
    }
    return b.atEnd();
}

QString erreur(const char *cle, const QString &nom)
{
    return avecSautsDeLigne(remplacer(texte(QStringLiteral("Errors"), QString::fromLatin1(cle)), u"[file]", nom));
}

// A name as a folder that ignores letter case and Unicode normalisation
// compares it.
QString plie(const QString &nom)
{
    return nom.normalized(QString::NormalizationForm_C).toCaseFolded();
}

// What one run has done so far.
struct Bilan {
    std::int64_t deplaces = 0;
    std::int64_t laisses = 0;
    // The question before a file replaced at the destination that cannot go
    // to the trash is lost.
    SuppressionDefinitive definitive;
    // The files this run wrote, by identity: on a folder that does not tell
    // "A.con" from "a.con" and keeps one inode for both (FAT sticks, SMB
    // shares) the next consist's name leads to one of them.
    QList<sf::Identite> ecrits;
    // And by name: a FUSE folder without fixed inode numbers that ignores
    // case gives "a.con" an inode of its own although it leads to the "A.con"
    // written before, and only the folder's listing tells. Listed once, when
    // a name first leads to a file already there, then kept up to date.
    QMultiHash<QString, QString> ecritsParPli; // folded name -> name written

    bool ecritIci(const QString &dossier, const QString &nom)
    {
        const auto i = sf::identite(dossier + nom);
        if (!i)
            return false;
        if (std::any_of(ecrits.begin(), ecrits.end(), [&](const sf::Identite &e) { return e.memeFichier(*i); }))
            return true;
        const QString cle = plie(nom);
        const QList<QString> ecritsMemePli = ecritsParPli.values(cle);
        if (ecritsMemePli.isEmpty())
            return false;
        const Liste &l = lister(dossier);
        // Unlisted, or a name written that the listing shows under another
        // spelling: which entry that was cannot be told, so none is written
        // over.
        if (l.illisible || ecritsMemePli.contains(nom) ||
            std::any_of(ecritsMemePli.begin(), ecritsMemePli.end(),
                        [&](const QString &e) { return !l.noms.contains(e); }))
            return true;
        if (l.noms.contains(nom))
            return false; // a file of its own beside the ones written
        // Matched another way: it is the entry listed under the same fold.
        const QList<QString> listes = l.parPli.values(cle);
        return std::any_of(listes.begin(), listes.end(), [&](const QString &n) { return ecritsMemePli.contains(n); });
    }

    void noterEcrit(const QString &dossier, const QString &nom)
    {
        const QString cle = plie(nom);
        ecritsParPli.insert(cle, nom);
        if (!m_liste || m_liste->noms.contains(nom))
            return;
        if (m_liste->parPli.contains(cle)) {
            // Beside a name that folds the same: whether it went there or
            // beside it, only the folder can say.
            m_liste.reset();
            lister(dossier);
        } else {
            m_liste->noms.insert(nom);
            m_liste->parPli.insert(cle, nom);
        }
    }

private:
    struct Liste {
        QSet<QString> noms;
        QMultiHash<QString, QString> parPli;
        bool illisible = false;
    };
    std::optional<Liste> m_liste;

    const Liste &lister(const QString &dossier)
    {
        if (!m_liste) {
            m_liste.emplace();
            try {
                for (const EntreeDossier &e : listerDossier(dossier)) {
                    m_liste->noms.insert(e.nom);
                    m_liste->parPli.insert(plie(e.nom), e.nom);
                }
            } catch (const ErreurExecution &) {
                m_liste->illisible = true;
            }
        }
        return *m_liste;
    }
};

// The file a copy replaces at the destination, kept where it can be got back
// until its consist has left the consist folder: in the trash (setting
// Corbeille), or beside it under a temporary name, deleted once the move is
// done. A file the trash does not take is lost only with the user's yes.
class Remplace {
public:
    Remplace(QString chemin, QString nom) : m_chemin(std::move(chemin)), m_nom(std::move(nom)) {}

    // Before the copy over it; false when the user keeps it (nothing moved).
    bool ecarter(Bilan &bilan)
    {
        if (m_corbeille || m_deCote || !sf::existe(m_chemin))
            return true;
        if (corbeilleVoulue()) {
            sf::RefusCorbeille raison{};
            m_corbeille = sf::versLaCorbeille(m_chemin, raison);
            if (m_corbeille)
                return true;
            if (!bilan.definitive.pour(m_nom)(raison))
                return false;
        }
        const QString dossier = QFileInfo(m_chemin).path() + u'/';
        QString aCote;
        do
            aCote =
                dossier +
                QStringLiteral("~crv%1.tmp").arg(QRandomGenerator::global()->bounded(0x10000), 4, 16, QLatin1Char('0'));
        while (sf::existe(aCote));
        sf::mettreDeCote(m_chemin, aCote);
        m_deCote = aCote;
        return true;
    }
    // The move of its consist went through: set aside is lost now, as the
    // user agreed.
    void oublier()
    {
        if (m_deCote)
            sf::supprimerFichier(*m_deCote);
    }
    // The move of its consist did not go through: back in its place, the
    // copy being gone. Throws when it cannot be put back.
    void remettre()
    {
        if (m_corbeille) {
            sf::sortirDeLaCorbeille(*m_corbeille, m_chemin);
        } else if (m_deCote) {
            sf::mettreDeCote(*m_deCote, m_chemin);
        }
        m_corbeille.reset();
        m_deCote.reset();
    }

private:
    QString m_chemin;
    QString m_nom;
    std::optional<QString> m_corbeille; // where the trash holds it
    std::optional<QString> m_deCote;
};

// Copies one consist by the rule for a file already there. True when a copy
// was made; any failure of the copy leaves as ErreurExecution.
bool copier(frmCorvanel &f, frmDeplacerVers &dv, std::int64_t index, const QString &source, const QString &destination,
            const std::function<bool()> &ecarter)
{
    // Whatever stands there, a dangling link or a pipe included, is a file
    // already there: the rules apply to it. A folder is never replaced.
    if (!sf::existe(destination)) {
        sf::copierFichier(source, destination);
        return true;
    }
    if (sf::dossierExiste(destination) && !sf::estLien(destination))
        throw sf::erreurSysteme(EISDIR);
    bool copie = false;
    // The three rules are tested one after the other on the buttons as they
    // stand then: Yes to all turns "ask" into "overwrite" for this very entry.
    if (dv.optFichierExiste[0]->isChecked()) {
        Compteur = index;
        frmDemander demande(f, dv);
        demande.avantCopie = ecarter;
        montrerModal(demande);
        if (demande.echec())
            throw *demande.echec();
        copie = demande.copie();
    }
    if (!copie && dv.optFichierExiste[1]->isChecked()) {
        if (!ecarter())
            return false;
        sf::copierFichier(source, destination);
        copie = true;
    }
    if (!copie && dv.optFichierExiste[2]->isChecked() && plusRecent(source, destination)) {
        if (!ecarter())
            return false;
        sf::copierFichier(source, destination);
        copie = true;
    }
    return copie;
}

// One list entry; true when it was taken up and moved. A consist that is not
// moved stays in the consist folder as it was, attributes included; a copy
// that fails is told and the run goes on. What was not copied, or what might
// be the copy itself, is never deleted.
bool deplacerEntree(frmCorvanel &f, frmDeplacerVers &dv, const sf::DossierOuvert *dossier, std::int64_t index,
                    Bilan &bilan)
{
    const QListWidgetItem *entree = f.lstLFI->item(static_cast<int>(index));
    if (!entree || !(dv.optFichiers[1]->isChecked() || entree->isSelected()))
        return false;
    const QString nom = entree->text();
    const QString source = DossierConsists + nom;
    if (!sf::fichierExiste(source)) {
        // Not gone but a name on disk the system's encoding cannot give back:
        // the path misses it. Tested only now, since a valid name may show
        // the same replacement characters, and the path reaches that one.
        if (nomInjoignable(DossierConsists, nom)) {
            signalerEchec(source, sf::erreurSysteme(EILSEQ));
            ++bilan.laisses;
        }
        return false;
    }
    // The folder was gone when the command began: this is not it.
    if (!dossier) {
        interaction().erreur(texteNomDeplace(source));
        ++bilan.laisses;
        return false;
    }

    std::optional<sf::EtatAttributs> attributs;
    if (sf::lireAttributs(source) & (sf::Cache | sf::LectureSeule)) {
        const QString question =
            avecSautsDeLigne(remplacer(texte(QStringLiteral("Messages"), QStringLiteral("Msg06")), u"[file]", nom));
        if (!interaction().question(question)) {
            ++bilan.laisses;
            return false;
        }
        // The folder may have been swapped while the question was open: its
        // path leads elsewhere, and nothing is changed or put back through it.
        try {
            dossier->verifier(nom);
        } catch (const sf::NomDeplace &n) {
            interaction().erreur(texteNomDeplace(n.chemin));
            ++bilan.laisses;
            return false;
        }
        attributs = sf::rendreNormal(source);
    }
    const auto laisser = [&] {
        ++bilan.laisses;
        try {
            if (attributs && sf::existe(source))
                sf::restaurerAttributs(source, *attributs);
        } catch (const ErreurExecution &e) {
            signalerEchec(source, e);
        }
        return false;
    };

    const QString destination = dv.txtDeplacerVers->text() + nom;
    const auto avant = sf::identite(source);
    if (!avant)
        return false; // gone meanwhile, as at the start
    // The destination reached through a link is the consist itself.
    const auto cible = sf::identite(destination);
    if (cible && cible->memeFichier(*avant))
        return laisser();
    // A move never overwrites what it wrote itself.
    if (bilan.ecritIci(dv.txtDeplacerVers->text(), nom)) {
        interaction().erreur(erreur("Error18", nom));
        return laisser();
    }
    Remplace remplace(destination, nom);
    // Back in its place when the consist does not leave; a failure there is
    // told too, the file staying where it was put.
    const auto remettreRemplace = [&] {
        try {
            remplace.remettre();
        } catch (const ErreurExecution &e) {
            signalerEchec(destination, e);
        }
    };
    // Through a second mount of the consist folder, the file to replace is
    // the consist itself, which then leaves with it: put back, never copied.
    bool soiMeme = false;
    const auto ecarter = [&] {
        if (!remplace.ecarter(bilan))
            return false;
        soiMeme = !sf::existe(source);
        return !soiMeme;
    };
    try {
        if (!copier(f, dv, index, source, destination, ecarter)) {
            remettreRemplace();
            if (soiMeme)
                interaction().erreur(erreur("Error19", nom));
            return laisser();
        }
    } catch (const ErreurExecution &e) {
        remettreRemplace();
        signalerEchec(source, e);
        return laisser();
    }

    // Deleted only if it is still the file that was read, and the copy is
    // not that very file: through a second mount the "copy" was put in place
    // of the consist. The copy is read back by its own name: on a folder
    // that gives each name its own inode, the identity alone cannot tell it
    // from another file.
    const auto apres = sf::identite(source);
    const auto copie = sf::identite(destination);
    if (copie)
        bilan.ecrits.append(*copie);
    bilan.noterEcrit(dv.txtDeplacerVers->text(), nom);
    if (!apres) {
        ++bilan.deplaces; // taken away meanwhile: the copy is all there is
        return true;
    }
    if (*apres != *avant || !copie || copie->memeFichier(*apres) || !memesOctets(source, destination)) {
        interaction().erreur(erreur("Error19", nom));
        return laisser();
    }
    try {
        dossier->retirer(nom, false);
    } catch (const sf::NomDeplace &n) {
        // The copy is made; the consist stays where the scan listed it.
        interaction().erreur(texteNomDeplace(n.chemin));
        ++bilan.laisses;
        return false;
    } catch (const ErreurExecution &e) {
        // The consist cannot leave (a folder the user may not write): it
        // would be there twice. The copy goes again, the destination is as
        // it was, and the run goes on.
        try {
            sf::supprimerFichier(destination);
            remettreRemplace();
            interaction().erreur(texteEchec(source, e) + QStringLiteral("\r\n\r\n") + erreur("Error50", nom));
        } catch (const ErreurExecution &e2) {
            signalerEchec(destination, e2);
        }
        return laisser();
    }
    try {
        remplace.oublier();
    } catch (const ErreurExecution &e) {
        signalerEchec(destination, e);
    }
    ++bilan.deplaces;
    return true;
}

void deplacer(frmCorvanel &f, frmDeplacerVers &dv, const sf::DossierOuvert *dossier)
{
    // Other commands started from the events the loop lets through would
    // share Compteur and the list with it; the closing scan gives them back.
    f.occuper();
    f.informations(QStringLiteral(" ") + SautDeLigne.toString() +
                   texte(QStringLiteral("Messages"), QStringLiteral("Msg12")));
    const int nombre = f.lstLFI->count();
    f.pbJauge->setRange(0, nombre);
    f.pbJauge->setValue(0);

    // A local index keeps the loop's place whatever the events do to
    // Compteur; Compteur follows it for the overwrite confirmation.
    Bilan bilan;
    const std::int64_t dernier = nombre - 1;
    f.annulationDemandee = false;
    f.cmdAnnuler->show();
    for (std::int64_t i = 0; i <= dernier; ++i) {
        Compteur = i;
        interaction().laisserPasserEvenements();
        // Between two consists: each one is whole in one place or the other.
        if (f.annulationDemandee)
            break;
        Compteur = i;
        deplacerEntree(f, dv, dossier, i, bilan);
        f.pbJauge->setValue(static_cast<int>(i + 1));
    }

    f.pbJauge->setValue(0);
    QString compte = remplacer(texte(QStringLiteral("Messages"), QStringLiteral("Msg30")), u"[num]",
                               QString::number(bilan.deplaces));
    compte = remplacer(compte, u"[left]", QString::number(bilan.laisses));
    f.cmdAnnuler->hide();
    if (f.annulationDemandee)
        compte += QStringLiteral("\r\n\r\n") + texte(QStringLiteral("Messages"), QStringLiteral("Msg153"));
    interaction().information(texte(QStringLiteral("Messages"), QStringLiteral("Msg13")) + QStringLiteral("\r\n\r\n") +
                              avecSautsDeLigne(compte));
}

} // namespace

void DeplacerConsists(frmCorvanel &f)
{
    if (refuserAdministrateur({DossierConsists}))
        return;
    Annule = true;
    auto dialogue = std::make_unique<frmDeplacerVers>(f);
    montrerModal(*dialogue);
    if (Annule)
        return;
    if (refuserAdministrateur({dialogue->txtDeplacerVers->text()}))
        return;
    if (!confirmerUtilisations(f, consistsChoisis(f, dialogue->optFichiers[1]->isChecked())))
        return;

    try {
        // Opened once: every consist leaves the folder the scan listed.
        const auto dossier = ouvrirConsistsListes();
        deplacer(f, *dialogue, dossier.get());
    } catch (const sf::NomDeplace &n) {
        interaction().erreur(texteNomDeplace(n.chemin));
    } catch (const ErreurExecution &e) {
        rapportFatal(VarianteRapport::ErreurNo, e);
    }
    dialogue.reset();
    f.cmdRechercher_Click();
}

} // namespace corvanel
