#include "ui/frmCorvanel.h"

#include "app/Interaction.h"
#include "app/Reglages.h"

#include <QCloseEvent>
#include <QListWidget>
#include <QProgressBar>

namespace corvanel {

frmCorvanel::frmCorvanel(QWidget *parent) : QMainWindow(parent)
{
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                   | Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    construire();
}

frmCorvanel::~frmCorvanel() = default;

// Commands still to come answer nothing yet; their buttons and menu items
// are in place so that the window looks and behaves as it will.
void frmCorvanel::cmdRechercher_Click() {}
void frmCorvanel::mnuEnregistrerListe_Click() {}
void frmCorvanel::cmdRapportDetaille_Click() {}
void frmCorvanel::cmdSupprimer_Click() {}
void frmCorvanel::cmdNettoyer_Click() {}
void frmCorvanel::mnuProprietesFichier_Click() {}
void frmCorvanel::cmdDeplacerVers_Click() {}
void frmCorvanel::mnuAfficher_Click() {}
void frmCorvanel::mnuFAQ_Click() {}
void frmCorvanel::mnuHistorique_Click() {}
void frmCorvanel::mnuSiteInternet_Click() {}
void frmCorvanel::mnuAbout_Click() {}
void frmCorvanel::mnuEditerFichier_Click() {}
void frmCorvanel::mnuEditeurFichiers_Click() {}
void frmCorvanel::mnuMenuLangue_Click() {}

void frmCorvanel::lstLFI_Click()
{
    const bool courant = lstLFI->currentRow() > -1;
    mnuEditerFichier->setEnabled(courant);
    mnuProprietesFichier->setEnabled(courant);
}

void frmCorvanel::cmdSelectionner_Click(int Index)
{
    const bool etat = Index != 1;
    for (int i = 0; i < lstLFI->count(); ++i)
        lstLFI->item(i)->setSelected(etat);
    lstLFI->setCurrentRow(-1, QItemSelectionModel::NoUpdate);
    lstLFI_Click();
}

void frmCorvanel::mnuQuitter_Click()
{
    terminerProgramme(0);
}

bool frmCorvanel::Form_Unload()
{
    // A command is running while the progress bar is not at 0.
    const bool refuse = pbJauge->value() != 0;
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
