#include "fileops/frmProprietesFichier.h"

#include "commun/Interaction.h"
#include "commun/modDeclarations.h"
#include "fileops/Echecs.h"
#include "fileops/SystemeFichiers.h"
#include "localisation/LireLangue.h"
#include "platform/ErreurExecution.h"
#include "platform/Texte.h"
#include "ui/Geometrie.h"
#include "ui/frmCorvanel.h"

#include <QCheckBox>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QMimeDatabase>
#include <QPushButton>

#include <cerrno>

namespace corvanel {

namespace {

// Design size of the client area, in twips.
constexpr int LargeurClient = 5370;
constexpr int HauteurClient = 3915;

constexpr int BitsMontres = sf::LectureSeule | sf::Cache | sf::Archive;

QString legende(const char *section, const char *cle)
{
    return texte(QString::fromLatin1(section), QString::fromLatin1(cle));
}

} // namespace

frmProprietesFichier::frmProprietesFichier(QWidget *parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Propriétés du fichier"));
    preparerDialogue(*this);

    fraProprietesGenerales = new QGroupBox(QStringLiteral("Propriétés générales"), this);
    lblNom = new QLabel(QStringLiteral("Nom :"), fraProprietesGenerales);
    lblType = new QLabel(QStringLiteral("Type :"), fraProprietesGenerales);
    lblTaille = new QLabel(QStringLiteral("Taille :"), fraProprietesGenerales);
    lblModif = new QLabel(QStringLiteral("Dernière modification :"), fraProprietesGenerales);
    fraAttributs = new QGroupBox(QStringLiteral("Attributs"), this);
    Picture1 = new QWidget(fraAttributs);
    chkLectureSeule = new QCheckBox(QStringLiteral("Lecture seule"), Picture1);
    chkCache = new QCheckBox(QStringLiteral("Caché"), Picture1);
    chkArchive = new QCheckBox(QStringLiteral("Archive"), Picture1);
    cmdAppliquer = new QPushButton(QStringLiteral("Appliquer"), this);
    cmdFermer = new QPushButton(QStringLiteral("&Fermer"), this);
    cmdAppliquer->setAutoDefault(false);
    cmdFermer->setDefault(true);

    connect(chkLectureSeule, &QCheckBox::clicked, this, &frmProprietesFichier::chkLectureSeule_Click);
    connect(chkCache, &QCheckBox::clicked, this, &frmProprietesFichier::chkCache_Click);
    connect(chkArchive, &QCheckBox::clicked, this, &frmProprietesFichier::chkArchive_Click);
    connect(cmdAppliquer, &QPushButton::clicked, this, &frmProprietesFichier::cmdAppliquer_Click);
    connect(cmdFermer, &QPushButton::clicked, this, &frmProprietesFichier::cmdFermer_Click);
    setTabOrder(chkLectureSeule, chkCache);
    setTabOrder(chkCache, chkArchive);
    setTabOrder(chkArchive, cmdAppliquer);
    setTabOrder(cmdAppliquer, cmdFermer);
}

bool frmProprietesFichier::Form_Load(const frmCorvanel &principale)
{
    setWindowTitle(legende("Form", "Form07"));
    fraProprietesGenerales->setTitle(legende("Frame", "Frame10"));
    fraAttributs->setTitle(legende("Frame", "Frame11"));
    cmdFermer->setText(legende("Button", "Button11"));
    cmdAppliquer->setText(legende("Button", "Button12"));
    chkLectureSeule->setText(legende("CheckBox", "CheckBox01"));
    chkCache->setText(legende("CheckBox", "CheckBox02"));
    chkArchive->setText(legende("CheckBox", "CheckBox03"));

    // The entry with the focus, selected or not.
    const QListWidgetItem *entree = principale.lstLFI->currentItem();
    if (!entree)
        return false;
    CheminFichier = DossierConsists + entree->text();
    int attributs = 0;
    try {
        // Read first: a consist deleted or renamed since the scan fails here,
        // before any label shows half of it.
        attributs = sf::lireAttributs(CheminFichier);
    } catch (const ErreurExecution &e) {
        signalerEchec(CheminFichier, e);
        return false;
    }
    const QFileInfo info(CheminFichier);
    lblNom->setText(legende("Label", "Label09") + u' ' + info.fileName());
    lblType->setText(legende("Label", "Label10") + u' ' + QMimeDatabase().mimeTypeForFile(info).comment());
    lblTaille->setText(remplacer(legende("Label", "Label11"), u"[size]", QString::number(info.size())));
    lblModif->setText(legende("Label", "Label12") + u' ' + dateGenerale(info.lastModified()));

    chkLectureSeule->setChecked(attributs & sf::LectureSeule);
    chkCache->setChecked(attributs & sf::Cache);
    chkArchive->setChecked(attributs & sf::Archive);
    cmdAppliquer->setEnabled(false);

    // Placed once the captions are known, so that a long translation grows
    // the window instead of being cut.
    Disposition d;
    d.placer(fraProprietesGenerales, 105, 105, 5160, 1560);
    d.placer(lblNom, 210, 315, 4740, 240);
    d.placer(lblType, 210, 615, 4740, 240);
    d.placer(lblTaille, 210, 915, 4740, 240);
    d.placer(lblModif, 210, 1215, 4740, 240);
    d.placer(fraAttributs, 105, 1770, 5160, 1560);
    d.placer(Picture1, 105, 210, 4950, 1245);
    d.placer(chkLectureSeule, 105, 105, 3000, 285);
    d.placer(chkCache, 105, 465, 3000, 285);
    d.placer(chkArchive, 105, 825, 3000, 285);
    d.placer(cmdAppliquer, 2835, 3450, 1170, 345);
    d.placer(cmdFermer, 4095, 3450, 1170, 345);
    setFixedSize(d.appliquer(d.echelleNecessaire(), LargeurClient, HauteurClient));
    return true;
}

void frmProprietesFichier::chkLectureSeule_Click()
{
    cmdAppliquer->setEnabled(true);
}

void frmProprietesFichier::chkCache_Click()
{
    cmdAppliquer->setEnabled(true);
}

void frmProprietesFichier::chkArchive_Click()
{
    cmdAppliquer->setEnabled(true);
}

void frmProprietesFichier::cmdAppliquer_Click()
{
    const int voulus = (chkLectureSeule->isChecked() ? sf::LectureSeule : 0) | (chkCache->isChecked() ? sf::Cache : 0) |
                       (chkArchive->isChecked() ? sf::Archive : 0);
    if (refuserAdministrateur({DossierConsists}))
        return;
    try {
        // The dialog stayed open for a while: the folder must still be the
        // one the scan listed, and the name lead to the entry it holds.
        const auto dossier = ouvrirConsistsListes();
        if (!dossier)
            throw sf::NomDeplace{CheminFichier};
        dossier->verifier(QFileInfo(CheminFichier).fileName());
        // Step by step on fresh reads, as the game's tool does. A bit is
        // added with "or": on a file system without extended attributes a
        // "." name stays hidden after the clearing, and adding 2 to it would
        // turn it into the system bit.
        sf::definirAttributs(CheminFichier, 0);
        if (chkLectureSeule->isChecked())
            sf::definirAttributs(CheminFichier, sf::LectureSeule);
        if (chkCache->isChecked())
            sf::definirAttributs(CheminFichier, sf::lireAttributs(CheminFichier) | sf::Cache);
        if (chkArchive->isChecked())
            sf::definirAttributs(CheminFichier, sf::lireAttributs(CheminFichier) | sf::Archive);
        // Clearing never fails for want of a place to store it; a "." name
        // that stays hidden all the same is told, not passed over.
        if ((sf::lireAttributs(CheminFichier) & BitsMontres) != voulus)
            throw sf::erreurSysteme(ENOTSUP);
    } catch (const ErreurExecution &e) {
        signalerEchec(CheminFichier, e);
        return;
    } catch (const sf::NomDeplace &n) {
        interaction().erreur(texteNomDeplace(n.chemin));
        return;
    }
    cmdAppliquer->setEnabled(false);
}

void frmProprietesFichier::cmdFermer_Click()
{
    close();
}

} // namespace corvanel
