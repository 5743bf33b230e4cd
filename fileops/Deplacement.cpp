// The move command: copy the chosen consists to the folder picked in the
// destination dialog, by the rule for files already there, and take out of
// the consist folder only those whose copy is complete.
#include "ui/Commandes.h"

#include "app/ErreurExecution.h"
#include "app/Interaction.h"
#include "app/Texte.h"
#include "app/modDeclarations.h"
#include "fileops/Echecs.h"
#include "fileops/Impact.h"
#include "fileops/SystemeFichiers.h"
#include "fileops/frmDemander.h"
#include "fileops/frmDeplacerVers.h"
#include "localisation/LireLangue.h"
#include "platform/ListeDossier.h"
#include "ui/frmCorvanel.h"

#include <QFileInfo>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QRadioButton>

#include <cerrno>
#include <memory>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#endif

namespace corvanel {

namespace {

// The destination reached through a link or a second mount may be the
// consist itself: "copying" it over itself and then deleting it would lose
// it, so such an entry is left alone.
bool memeFichier(const QString &a, const QString &b)
{
#ifdef Q_OS_UNIX
    struct stat sa {};
    struct stat sb {};
    if (::stat(QFile::encodeName(a).constData(), &sa) != 0 || ::stat(QFile::encodeName(b).constData(), &sb) != 0)
        return false;
    return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
#else
    const QString ca = QFileInfo(a).canonicalFilePath();
    return !ca.isEmpty() && ca.compare(QFileInfo(b).canonicalFilePath(), Qt::CaseInsensitive) == 0;
#endif
}

// The original's file dates had whole seconds; a consist changed within the
// same second as the destination file is not newer.
bool plusRecent(const QString &source, const QString &destination)
{
    return sf::dateModification(source).toSecsSinceEpoch() > sf::dateModification(destination).toSecsSinceEpoch();
}

// One list entry. Any failure leaves as ErreurExecution for the command's
// report; what was not copied is never deleted.
void deplacerEntree(frmCorvanel &f, frmDeplacerVers &dv, std::int64_t index)
{
    const QListWidgetItem *entree = f.lstLFI->item(static_cast<int>(index));
    if (!entree)
        return;
    const QString nom = entree->text();
    const QString source = DossierConsists + nom;
    if (!(dv.optFichiers[1]->isChecked() || entree->isSelected()))
        return;
    // A name on disk the system's encoding cannot give back: the path misses
    // it, and it would be passed over as gone while the end says it moved.
    if (nomInjoignable(DossierConsists, nom)) {
        signalerEchec(source, sf::erreurSysteme(EILSEQ));
        return;
    }
    if (!sf::fichierExiste(source))
        return;

    if (sf::lireAttributs(source) & (sf::Cache | sf::LectureSeule)) {
        const QString question =
            avecSautsDeLigne(remplacer(texte(QStringLiteral("Messages"), QStringLiteral("Msg06")), u"[file]", nom));
        if (!interaction().question(question))
            return;
        sf::definirAttributs(source, 0);
    }

    const QString destination = dv.txtDeplacerVers->text() + nom;
    bool copie = false;
    if (!sf::fichierExiste(destination)) {
        sf::copierFichier(source, destination);
        copie = true;
    } else {
        if (memeFichier(source, destination))
            return;
        // The three rules are tested one after the other on the buttons as
        // they stand then: Yes to all turns "ask" into "overwrite" for this
        // very entry.
        if (dv.optFichierExiste[0]->isChecked()) {
            Compteur = index;
            frmDemander demande(f, dv);
            interaction().montrerModal(demande);
            if (demande.echec())
                throw *demande.echec();
            copie = demande.copie();
        }
        if (dv.optFichierExiste[1]->isChecked()) {
            sf::copierFichier(source, destination);
            copie = true;
        }
        if (dv.optFichierExiste[2]->isChecked() && plusRecent(source, destination)) {
            sf::copierFichier(source, destination);
            copie = true;
        }
    }
    // A consist whose destination file was kept (skip, not newer, No, No to
    // all, the question closed) stays where it is; the closing scan lists it
    // again. The original deleted it all the same and lost it.
    if (copie)
        sf::supprimerFichier(source);
}

void deplacer(frmCorvanel &f, frmDeplacerVers &dv)
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
    const std::int64_t dernier = nombre - 1;
    for (std::int64_t i = 0; i <= dernier; ++i) {
        Compteur = i;
        interaction().laisserPasserEvenements();
        Compteur = i;
        deplacerEntree(f, dv, i);
        f.pbJauge->setValue(static_cast<int>(i + 1));
    }

    f.pbJauge->setValue(0);
    interaction().information(texte(QStringLiteral("Messages"), QStringLiteral("Msg13")));
}

} // namespace

void DeplacerConsists(frmCorvanel &f)
{
    Annule = true;
    auto dialogue = std::make_unique<frmDeplacerVers>(f);
    interaction().montrerModal(*dialogue);
    if (Annule)
        return;
    if (!confirmerUtilisations(f, consistsChoisis(f, dialogue->optFichiers[1]->isChecked())))
        return;

    try {
        deplacer(f, *dialogue);
    } catch (const ErreurExecution &e) {
        rapportFatal(VarianteRapport::ErreurNo, e);
    }
    dialogue.reset();
    f.cmdRechercher_Click();
}

} // namespace corvanel
