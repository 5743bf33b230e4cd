#include "app/frmParcourir1.h"

#include "commun/Interaction.h"
#include "commun/modDeclarations.h"
#include "localisation/LireLangue.h"
#include "platform/Chemins.h"
#include "platform/Texte.h"
#include "ui/Geometrie.h"
#include "ui/ListeDossiers.h"
#include "ui/Pointeur.h"

#include <QCloseEvent>
#include <QFrame>
#include <QPushButton>

namespace corvanel {

bool estDossierMSTS(const QString &dossier)
{
    // Both names are always looked up, so the answer never depends on
    // which file a listing happens to reach first.
    const bool train = fichierExisteSansCasse(dossier, QStringLiteral("train.exe"));
    const bool launcher = fichierExisteSansCasse(dossier, QStringLiteral("launcher.exe"));
    return train && launcher;
}

frmParcourir1::frmParcourir1(QWidget *parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Parcourir..."));
    preparerDialogue(*this);
    Disposition d;
    DirListBox = new ListeDossiers(this);
    d.placer(DirListBox, 105, 105, 4110, 2010);
    DriveListBox = new ListeDisques(this);
    d.placer(DriveListBox, 105, 2205, 4110, 330);
    Line1 = ligneBleue(this);
    d.placer(Line1, 105, 2617, 4095, 15);
    cmdOK = new QPushButton(QStringLiteral("OK"), this);
    d.placer(cmdOK, 1050, 2730, 1065, 330);
    cmdAnnuler = new QPushButton(QStringLiteral("Annuler"), this);
    d.placer(cmdAnnuler, 2205, 2730, 1065, 330);
    cmdOK->setDefault(true);
    cmdAnnuler->setAutoDefault(false);

    connect(DirListBox, &ListeDossiers::changement, this, &frmParcourir1::DirListBox_Change);
    connect(DriveListBox, &ListeDisques::changement, this, &frmParcourir1::DriveListBox_Change);
    connect(cmdOK, &QPushButton::clicked, this, &frmParcourir1::cmdOK_Click);
    connect(cmdAnnuler, &QPushButton::clicked, this, &frmParcourir1::cmdAnnuler_Click);

    Form_Load();
    setFixedSize(d.appliquer(d.echelleNecessaire(), 4320, 3150));
}

void frmParcourir1::Form_Load()
{
    setWindowTitle(texte(QStringLiteral("Form"), QStringLiteral("Form06")));
    cmdOK->setText(texte(QStringLiteral("Button"), QStringLiteral("Button08")));
    cmdAnnuler->setText(texte(QStringLiteral("Button"), QStringLiteral("Button09")));
    cmdOK->setEnabled(false);
    Annule = false;
    // "C:\" on Windows, the home folder elsewhere: see dossierDepart().
    const QString depart = dossierDepart();
    DriveListBox->afficherDisqueDe(depart);
    DirListBox->definirChemin(depart);
    DirListBox_Change();
    definirPointeur(Pointeur::ParDefaut);
}

void frmParcourir1::DirListBox_Change()
{
    DossierMSTS = avecSeparateurFinal(DirListBox->chemin());
    cmdOK->setEnabled(estDossierMSTS(DossierMSTS));
}

void frmParcourir1::DriveListBox_Change()
{
    QString erreur;
    if (!DirListBox->definirChemin(DriveListBox->disque(), &erreur)) {
        interaction().erreur(erreur);
        DriveListBox->afficherDisqueDe(DirListBox->chemin());
    }
}

void frmParcourir1::cmdOK_Click()
{
    definirPointeur(Pointeur::FlecheSablier);
    accept();
}

void frmParcourir1::cmdAnnuler_Click()
{
    DossierMSTS.clear();
    definirPointeur(Pointeur::FlecheSablier);
    Annule = true;
    QDialog::reject();
}

// Escape and the frame's close box act as the cancel button: going on with
// whatever folder was last shown would start on a folder without the game.
void frmParcourir1::reject()
{
    cmdAnnuler_Click();
}

void frmParcourir1::closeEvent(QCloseEvent *e)
{
    if (isVisible())
        cmdAnnuler_Click();
    e->accept();
}

} // namespace corvanel
