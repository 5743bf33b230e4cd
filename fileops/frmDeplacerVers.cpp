#include "fileops/frmDeplacerVers.h"

#include "commun/Interaction.h"
#include "commun/modDeclarations.h"
#include "fileops/Echecs.h"
#include "fileops/frmNouveauDossier.h"
#include "localisation/LireLangue.h"
#include "platform/Texte.h"
#include "platform/Volumes.h"
#include "ui/Geometrie.h"
#include "ui/ListeDossiers.h"
#include "ui/Modal.h"
#include "ui/frmCorvanel.h"

#include <QButtonGroup>
#include <QDir>
#include <QFileInfo>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>

namespace corvanel {

namespace {

// Design size of the client area, in twips.
constexpr int Largeur = 6600;
constexpr int Hauteur = 4830;

QString absoluEtPropre(const QString &chemin)
{
    return QDir::cleanPath(QFileInfo(QDir::fromNativeSeparators(chemin)).absoluteFilePath());
}

} // namespace

bool memeDossier(const QString &a, const QString &b)
{
    return absoluEtPropre(a).compare(absoluEtPropre(b), Qt::CaseInsensitive) == 0;
}

frmDeplacerVers::frmDeplacerVers(frmCorvanel &principale) : QDialog(&principale), m_principale(principale)
{
    setWindowTitle(QString::fromUtf8("Déplacer les fichiers vers..."));
    preparerDialogue(*this);
    Disposition d;

    lbl1 = new QLabel(QString::fromUtf8("Déplacer les fichiers vers :"), this);
    lbl1->setProperty("legende", true);
    d.placer(lbl1, 105, 105, 6390, 225);
    txtDeplacerVers = new QLineEdit(this);
    txtDeplacerVers->setReadOnly(true);
    d.placer(txtDeplacerVers, 105, 345, 6390, 315);
    Line1 = ligneBleue(this);
    d.placer(Line1, 105, 765, 6390, 15);

    // Left half: which entries, then the rule for existing files.
    fraFichiers = new QGroupBox(QStringLiteral("Fichiers"), this);
    d.placer(fraFichiers, 105, 885, 3090, 1065);
    Picture1 = new QWidget(fraFichiers);
    d.placer(Picture1, 105, 210, 2880, 750);
    const char *fichiers[] = {"&Fichiers sélectionnés", "&Tous les fichiers"};
    auto *groupeFichiers = new QButtonGroup(this);
    for (int i = 0; i < 2; ++i) {
        optFichiers[i] = new QRadioButton(QString::fromUtf8(fichiers[i]), Picture1);
        groupeFichiers->addButton(optFichiers[i], i);
        d.placer(optFichiers[i], 105, 60 + i * 330, 2670, 285);
    }

    fraFichierExiste = new QGroupBox(QStringLiteral("Si un fichier existe"), this);
    d.placer(fraFichierExiste, 105, 2055, 3090, 1695);
    Picture2 = new QWidget(fraFichierExiste);
    d.placer(Picture2, 105, 210, 2880, 1380);
    const char *existe[] = {"&Demander", "&Ecraser", "Ecraser si plus &récent", "&Passer"};
    auto *groupeExiste = new QButtonGroup(this);
    for (int i = 0; i < 4; ++i) {
        optFichierExiste[i] = new QRadioButton(QString::fromUtf8(existe[i]), Picture2);
        groupeExiste->addButton(optFichierExiste[i], i);
        d.placer(optFichierExiste[i], 105, 60 + i * 315, 2670, 285);
    }
    // Every move builds a fresh dialog, so each starts from these: all
    // entries, overwrite.
    optFichiers[1]->setChecked(true);
    optFichierExiste[1]->setChecked(true);

    // Right half: folder list, drive list below it, the new-folder button.
    fraDestination = new QGroupBox(QStringLiteral("Destination"), this);
    d.placer(fraDestination, 3300, 885, 3195, 3390);
    Picture3 = new QWidget(fraDestination);
    d.placer(Picture3, 105, 210, 2985, 3075);
    CheDossier = new ListeDossiers(Picture3);
    d.placer(CheDossier, 60, 60, 2865, 2070);
    CheDisque = new ListeDisques(Picture3);
    d.placer(CheDisque, 60, 2205, 2865, 315);
    cmdNouveauDossier = new QPushButton(QStringLiteral("Nouveau &dossier"), Picture3);
    cmdNouveauDossier->setAutoDefault(false);
    d.placer(cmdNouveauDossier, 60, 2640, 2865, 345);

    cmdOK = new QPushButton(QStringLiteral("OK"), this);
    d.placer(cmdOK, 3990, 4380, 1200, 345);
    cmdAnnuler = new QPushButton(QStringLiteral("Annuler"), this);
    d.placer(cmdAnnuler, 5295, 4380, 1200, 345);
    cmdOK->setDefault(true);
    cmdAnnuler->setAutoDefault(false);

    connect(CheDossier, &ListeDossiers::changement, this, &frmDeplacerVers::CheDossier_Change);
    connect(CheDisque, &ListeDisques::changement, this, &frmDeplacerVers::CheDisque_Change);
    connect(cmdNouveauDossier, &QPushButton::clicked, this, &frmDeplacerVers::cmdNouveauDossier_Click);
    connect(cmdOK, &QPushButton::clicked, this, &frmDeplacerVers::cmdOK_Click);
    connect(cmdAnnuler, &QPushButton::clicked, this, &frmDeplacerVers::cmdAnnuler_Click);

    Form_Load();
    setFixedSize(d.appliquer(d.echelleNecessaire(), Largeur, Hauteur));
}

void frmDeplacerVers::Form_Load()
{
    const auto cle = [](const char *section, const char *nom) {
        return texte(QString::fromLatin1(section), QString::fromLatin1(nom));
    };
    setWindowTitle(cle("Form", "Form01"));
    fraFichiers->setTitle(cle("Frame", "Frame07"));
    fraFichierExiste->setTitle(cle("Frame", "Frame08"));
    fraDestination->setTitle(cle("Frame", "Frame09"));
    cmdOK->setText(cle("Button", "Button08"));
    cmdAnnuler->setText(cle("Button", "Button09"));
    cmdNouveauDossier->setText(cle("Button", "Button10"));
    lbl1->setText(cle("Label", "Label02"));
    optFichiers[0]->setText(cle("OptionButton", "OptionButton01"));
    optFichiers[1]->setText(cle("OptionButton", "OptionButton02"));
    optFichierExiste[0]->setText(cle("OptionButton", "OptionButton03"));
    optFichierExiste[1]->setText(cle("OptionButton", "OptionButton04"));
    optFichierExiste[2]->setText(cle("OptionButton", "OptionButton05"));
    optFichierExiste[3]->setText(cle("OptionButton", "OptionButton06"));

    // "C:\" on Windows; elsewhere nobody may write to the root, and the
    // home folder stands in for it (dossierDepart()).
    const QString depart = dossierDepart();
    CheDisque->afficherDisqueDe(depart);
    CheDossier->definirChemin(depart);
    CheDossier_Change();
}

void frmDeplacerVers::CheDisque_Change()
{
    // The drive list keeps the drive picked even when it cannot be read, so
    // the user sees what was tried; the folder list and the text stay as they
    // were, still pointing at a usable folder.
    QString erreur;
    if (!CheDossier->definirChemin(CheDisque->disque(), &erreur))
        interaction().erreur(erreur + u'.');
}

void frmDeplacerVers::CheDossier_Change()
{
    // The path is kept as it is, blanks included: a folder "Old " exists
    // apart from "Old", and trimming would send the consists to the wrong
    // folder.
    txtDeplacerVers->setText(avecSeparateurFinal(QDir::toNativeSeparators(CheDossier->chemin())));
}

void frmDeplacerVers::cmdNouveauDossier_Click()
{
    frmNouveauDossier dialogue(*this);
    montrerModal(dialogue);
}

void frmDeplacerVers::cmdOK_Click()
{
    // Written differently ("/./", a doubled or missing final separator, a
    // relative form) the consist folder is still the consist folder: moving
    // onto itself would copy each consist over itself and then delete it.
    if (memeDossier(txtDeplacerVers->text(), DossierConsists)) {
        interaction().erreur(texte(QStringLiteral("Errors"), QStringLiteral("Error08")));
        return;
    }
    if (optFichiers[0]->isChecked() && m_principale.lstLFI->selectedItems().size() < 1) {
        interaction().erreur(texte(QStringLiteral("Errors"), QStringLiteral("Error07")));
        return;
    }
    // Where nobody may write ("/" on Linux), the first copy would fail;
    // better to say so while another folder can still be chosen.
    if (refuserDossierSansEcriture(txtDeplacerVers->text()))
        return;
    Annule = false;
    accept();
}

void frmDeplacerVers::cmdAnnuler_Click()
{
    Annule = true;
    QDialog::reject();
}

// Escape and the frame's close box both come through here: either way the
// move must not run.
void frmDeplacerVers::reject()
{
    cmdAnnuler_Click();
}

} // namespace corvanel
