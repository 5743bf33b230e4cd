#include "fileops/frmNouveauDossier.h"

#include "commun/Interaction.h"
#include "fileops/Echecs.h"
#include "fileops/SystemeFichiers.h"
#include "fileops/frmDeplacerVers.h"
#include "localisation/LireLangue.h"
#include "platform/ErreurExecution.h"
#include "platform/Texte.h"
#include "ui/Geometrie.h"
#include "ui/ListeDossiers.h"

#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace corvanel {

namespace {

constexpr int Largeur = 5400;
constexpr int Hauteur = 1830;

// Tested in this order; the broken bar is the code page's character 166.
// The vertical bar is left to the system, which refuses it where names
// cannot hold it (Windows) and keeps it where they can.
constexpr char16_t Refuses[] = {u'"', u'/', u'\\', u':', u'?', u'<', u'>', u'*', u'\u00A6'};

// The line shown under Error13: each character after one blank, the double
// quote last.
QString listeRefuses()
{
    return QStringLiteral(" / \\ : ? < > * \u00A6 \"");
}

} // namespace

bool contientCaractereRefuse(const QString &nom)
{
    for (const char16_t c : Refuses) {
        if (nom.contains(QChar(c)))
            return true;
    }
    return false;
}

frmNouveauDossier::frmNouveauDossier(frmDeplacerVers &destination) : QDialog(&destination), m_destination(destination)
{
    setWindowTitle(QStringLiteral("Nouveau dossier"));
    preparerDialogue(*this);
    Disposition d;

    fraDossier = new QGroupBox(this);
    d.placer(fraDossier, 105, 30, 3900, 1695);
    Picture1 = new QWidget(fraDossier);
    d.placer(Picture1, 105, 150, 3690, 1440);
    lbl1 = new QLabel(QStringLiteral("Dossier :"), Picture1);
    lbl1->setProperty("legende", true);
    d.placer(lbl1, 60, 45, 3570, 225);
    lbl2 = new QLabel(Picture1);
    lbl2->setWordWrap(true);
    lbl2->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    d.placer(lbl2, 60, 300, 3570, 450);
    lbl3 = new QLabel(QStringLiteral("Nouveau dossier :"), Picture1);
    lbl3->setProperty("legende", true);
    d.placer(lbl3, 60, 780, 3570, 225);
    txtNouveauDossier = new QLineEdit(Picture1);
    d.placer(txtNouveauDossier, 60, 1035, 3570, 315);

    cmdOK = new QPushButton(QStringLiteral("OK"), this);
    d.placer(cmdOK, 4110, 120, 1185, 345);
    cmdAnnuler = new QPushButton(QStringLiteral("Annuler"), this);
    d.placer(cmdAnnuler, 4110, 540, 1185, 345);
    cmdOK->setDefault(true);
    cmdAnnuler->setAutoDefault(false);

    connect(cmdOK, &QPushButton::clicked, this, &frmNouveauDossier::cmdOK_Click);
    connect(cmdAnnuler, &QPushButton::clicked, this, &frmNouveauDossier::cmdAnnuler_Click);

    Form_Load();
    setFixedSize(d.appliquer(d.echelleNecessaire(), Largeur, Hauteur));
    txtNouveauDossier->setFocus();
}

void frmNouveauDossier::Form_Load()
{
    setWindowTitle(texte(QStringLiteral("Form"), QStringLiteral("Form02")));
    cmdOK->setText(texte(QStringLiteral("Button"), QStringLiteral("Button08")));
    cmdAnnuler->setText(texte(QStringLiteral("Button"), QStringLiteral("Button09")));
    // Both labels read the one key: the language files have no text of
    // their own for the name box.
    lbl1->setText(texte(QStringLiteral("Label"), QStringLiteral("Label03")));
    lbl3->setText(texte(QStringLiteral("Label"), QStringLiteral("Label03")));
    lbl2->setText(QDir::toNativeSeparators(m_destination.CheDossier->chemin()));
}

void frmNouveauDossier::cmdOK_Click()
{
    const QString nom = sansBlancs(txtNouveauDossier->text());
    txtNouveauDossier->setText(nom);
    if (nom.isEmpty()) {
        interaction().erreur(texte(QStringLiteral("Errors"), QStringLiteral("Error12")));
        return;
    }
    if (contientCaractereRefuse(nom)) {
        const QString saut = SautDeLigne.toString();
        interaction().erreur(texte(QStringLiteral("Errors"), QStringLiteral("Error13")) + saut + saut + listeRefuses());
        return;
    }
    const QString chemin = m_destination.txtDeplacerVers->text() + nom;
    try {
        if (sf::dossierExiste(chemin)) {
            interaction().erreur(texte(QStringLiteral("Errors"), QStringLiteral("Error06")));
            return;
        }
        sf::creerDossier(chemin);
        ListeDossiers &liste = *m_destination.CheDossier;
        liste.rafraichir();
        // Opening the new folder raises the list's change event, which puts
        // its path into the destination text.
        if (!liste.definirChemin(chemin))
            throw ErreurExecution(NumErreur::CheminIntrouvable);
    } catch (const ErreurExecution &e) {
        // A folder the system refuses (no right to write there, a name it
        // will not take, a path too long) is an ordinary event: it is
        // reported and the user picks another name or place.
        signalerEchec(chemin, e);
        return;
    }
    accept();
}

void frmNouveauDossier::cmdAnnuler_Click()
{
    reject();
}

} // namespace corvanel
