#include "ui/frmParcourir2.h"

#include "commun/Interaction.h"
#include "commun/Reglages.h"
#include "localisation/LireLangue.h"
#include "platform/Texte.h"
#include "platform/Volumes.h"
#include "ui/Geometrie.h"
#include "ui/ListeDossiers.h"

#include <QDir>
#include <QFrame>
#include <QPushButton>

namespace corvanel {

frmParcourir2::frmParcourir2(QWidget *parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Editeur de fichiers texte..."));
    preparerDialogue(*this);
    Disposition d;
    DirListBox = new ListeDossiers(this);
    d.placer(DirListBox, 105, 105, 2850, 2490);
    DriveListBox = new ListeDisques(this);
    d.placer(DriveListBox, 105, 2625, 2850, 330);
    FileListBox = new ListeFichiers(this);
    d.placer(FileListBox, 3045, 105, 2850, 2820);
    Line = ligneBleue(this);
    d.placer(Line, 105, 3038, 5775, 15);
    cmdOK = new QPushButton(QStringLiteral("OK"), this);
    d.placer(cmdOK, 3570, 3150, 1065, 330);
    cmdAnnuler = new QPushButton(QStringLiteral("Annuler"), this);
    d.placer(cmdAnnuler, 4725, 3150, 1065, 330);
    cmdOK->setDefault(true);
    cmdAnnuler->setAutoDefault(false);

    connect(DirListBox, &ListeDossiers::changement, this, &frmParcourir2::DirListBox_Change);
    connect(DriveListBox, &ListeDisques::changement, this, &frmParcourir2::DriveListBox_Change);
    connect(cmdOK, &QPushButton::clicked, this, &frmParcourir2::cmdOK_Click);
    connect(cmdAnnuler, &QPushButton::clicked, this, &frmParcourir2::cmdAnnuler_Click);

    Form_Load();
    setFixedSize(d.appliquer(d.echelleNecessaire(), 6000, 3585));
}

void frmParcourir2::Form_Load()
{
    setWindowTitle(texte(QStringLiteral("Form"), QStringLiteral("Form06")));
    cmdOK->setText(texte(QStringLiteral("Button"), QStringLiteral("Button08")));
    cmdAnnuler->setText(texte(QStringLiteral("Button"), QStringLiteral("Button09")));
    // "C:\" on Windows, the home folder elsewhere: see dossierDepart().
    const QString depart = dossierDepart();
    DriveListBox->afficherDisqueDe(depart);
    DirListBox->definirChemin(depart);
    DirListBox_Change();
}

void frmParcourir2::DirListBox_Change()
{
    FileListBox->definirDossier(DirListBox->chemin());
}

void frmParcourir2::DriveListBox_Change()
{
    // A volume that cannot be read leaves the folder and program lists as
    // they were; the drive list keeps showing the volume that failed.
    QString erreur;
    if (!DirListBox->definirChemin(DriveListBox->disque(), &erreur))
        interaction().erreur(erreur);
}

void frmParcourir2::cmdOK_Click()
{
    // No test that a program is selected: the folder and a separator are
    // kept then, and the next edit reports that the editor is missing.
    const QString chemin = FileListBox->dossier() + u'/' + FileListBox->nomFichier();
    reglages().ecrire(QStringLiteral("Options"), QStringLiteral("Editeur"),
                      sansBlancs(QDir::toNativeSeparators(chemin)));
    accept();
}

void frmParcourir2::cmdAnnuler_Click()
{
    reject();
}

} // namespace corvanel
