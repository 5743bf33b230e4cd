#include "ui/frmCorvanel.h"

#include "commun/Interaction.h"
#include "commun/Reglages.h"
#include "commun/modDeclarations.h"
#include "localisation/ChoixLangue.h"
#include "ui/Commandes.h"
#include "ui/ListeNoms.h"

#include <QCloseEvent>
#include <QIcon>
#include <QLabel>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>

// Q_INIT_RESOURCE must be used outside any namespace.
static void chargerRessources()
{
    Q_INIT_RESOURCE(corvanel);
}

namespace corvanel {

frmCorvanel::frmCorvanel(QWidget *parent) : QMainWindow(parent)
{
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    setWindowIcon(iconeProgramme());
    construire();
}

QIcon iconeProgramme()
{
    // A static library's resources must be registered by hand.
    static const bool charge = (chargerRessources(), true);
    Q_UNUSED(charge);
    QIcon icone;
    for (int taille : {16, 32, 48, 64, 128, 256})
        icone.addFile(QStringLiteral(":/icones/corvanel-%1.png").arg(taille), QSize(taille, taille));
    return icone;
}

frmCorvanel::~frmCorvanel() = default;

void frmCorvanel::cmdRechercher_Click()
{
    Rechercher(*this);
}
void frmCorvanel::mnuEnregistrerListe_Click()
{
    EnregistrerListe(*this);
}
void frmCorvanel::cmdRapportDetaille_Click()
{
    OuvrirRapportDetaille(*this);
}
void frmCorvanel::cmdSupprimer_Click()
{
    SupprimerConsists(*this);
}
void frmCorvanel::cmdNettoyer_Click()
{
    NettoyerRepertoire(*this);
}
void frmCorvanel::mnuProprietesFichier_Click()
{
    ProprietesFichier(*this);
}
void frmCorvanel::cmdDeplacerVers_Click()
{
    DeplacerConsists(*this);
}
void frmCorvanel::mnuAfficher_Click()
{
    AfficherAide(*this);
}
void frmCorvanel::mnuFAQ_Click()
{
    AfficherFAQ(*this);
}
void frmCorvanel::mnuHistorique_Click()
{
    AfficherHistorique(*this);
}
void frmCorvanel::mnuSiteInternet_Click()
{
    AfficherSiteInternet(*this);
}
void frmCorvanel::mnuAbout_Click()
{
    AfficherAPropos(*this);
}
void frmCorvanel::mnuEditerFichier_Click()
{
    EditerFichierCourant(*this);
}
void frmCorvanel::mnuEditeurFichiers_Click()
{
    ChoisirEditeur(*this);
}
void frmCorvanel::mnuManquants_Click()
{
    OuvrirManquants(*this);
}
void frmCorvanel::mnuRoutes_Click()
{
    OuvrirRoutes(*this);
}
void frmCorvanel::mnuMenuLangue_Click()
{
    if (ChoisirLangue())
        TraduireFenetrePrincipale(*this, FichierLangue);
}

void frmCorvanel::occuper()
{
    activerMenu(mnuFichier, false);
    activerMenu(mnuOutils, false);
    activerMenu(mnuAide, false);
    for (QPushButton *b : {cmdRechercher, cmdRapportDetaille, cmdNettoyer, cmdDeplacerVers, cmdSupprimer,
                           cmdSelectionner[0], cmdSelectionner[1]})
        b->setEnabled(false);
    mnuEnregistrerListe->setEnabled(false);
    lstLFI->setEnabled(false);
}

void frmCorvanel::liberer()
{
    activerMenu(mnuFichier, true);
    activerMenu(mnuOutils, true);
    activerMenu(mnuAide, true);
    cmdRechercher->setEnabled(true);
    cmdRapportDetaille->setEnabled(true);
    cmdNettoyer->setEnabled(true);
}

void frmCorvanel::informations(const QString &texte)
{
    lblInformations->setText(QString(texte).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
}

void frmCorvanel::lstLFI_Click()
{
    const bool courant = lstLFI->currentRow() > -1;
    mnuEditerFichier->setEnabled(courant);
    mnuProprietesFichier->setEnabled(courant);
}

void frmCorvanel::cmdSelectionner_Click(int Index)
{
    // One change of the whole selection: entry by entry, each change
    // compares the selection with the last, and thousands of entries took
    // seconds.
    if (Index != 1)
        lstLFI->selectAll();
    else
        lstLFI->clearSelection();
    lstLFI->setCurrentRow(-1, QItemSelectionModel::NoUpdate);
    lstLFI_Click();
}

void frmCorvanel::ajouterInvalide(const QString &nom)
{
    m_noms->ajouter(nom);
}

void frmCorvanel::mnuQuitter_Click()
{
    terminerProgramme(0);
}

bool frmCorvanel::Form_Unload()
{
    // A command is running from its first step, and while the bar is not at 0.
    const bool refuse = commandeEnCours || pbJauge->value() != 0;
    // "Demarrage" False asks for the window's position to be kept; anything
    // that is not a Boolean counts as True rather than failing the close.
    const bool demarrage =
        commeBooleen(reglages().lire(QStringLiteral("Options"), QStringLiteral("Demarrage"), QStringLiteral("True")))
            .value_or(true);
    if (!demarrage) {
        const QRect cadre = frameGeometry();
        reglages().ecrire(QStringLiteral("Fenetre"), QStringLiteral("Top"), QString::number(cadre.top() * 15));
        reglages().ecrire(QStringLiteral("Fenetre"), QStringLiteral("Left"), QString::number(cadre.left() * 15));
    }
    return !refuse;
}

void frmCorvanel::closeEvent(QCloseEvent *e)
{
    if (Form_Unload())
        e->accept();
    else
        e->ignore();
}

} // namespace corvanel
