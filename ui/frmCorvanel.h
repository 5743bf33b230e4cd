#pragma once
// The main window. Other commands reach its controls directly, as the
// design has them do: they fill and read lstLFI, enable and disable the
// commands, write lblInformations and drive pbJauge.
#include <QMainWindow>

#include <array>

#include "ui/Geometrie.h"

class QAction;
class QIcon;
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QMenu;
class QProgressBar;
class QPushButton;

namespace corvanel {

class DelegueListeNoms;

class frmCorvanel : public QMainWindow {
    Q_OBJECT
public:
    explicit frmCorvanel(QWidget *parent = nullptr);
    ~frmCorvanel() override;

    // Controls.
    QGroupBox *fraDossierMSTS = nullptr;
    QWidget *Picture4 = nullptr;
    QLineEdit *txtDossierMSTS = nullptr;
    QGroupBox *fraLFI = nullptr;
    QWidget *Picture1 = nullptr;
    QListWidget *lstLFI = nullptr;
    std::array<QPushButton *, 2> cmdSelectionner{};
    QGroupBox *fraRFI = nullptr;
    QWidget *Picture2 = nullptr;
    QPushButton *cmdRechercher = nullptr;
    QPushButton *cmdRapportDetaille = nullptr;
    QPushButton *cmdNettoyer = nullptr;
    QGroupBox *fraTFI = nullptr;
    QWidget *Picture3 = nullptr;
    QPushButton *cmdDeplacerVers = nullptr;
    QPushButton *cmdSupprimer = nullptr;
    // Shown while a move runs: the move stops after the consist in hand.
    QPushButton *cmdAnnuler = nullptr;
    bool annulationDemandee = false;
    QFrame *LineMenu = nullptr;
    QLabel *lblInformations = nullptr;
    QProgressBar *pbJauge = nullptr;

    // Menus: the three top menus and their items.
    QMenu *mnuFichier = nullptr;
    QAction *mnuEditerFichier = nullptr;
    QAction *mnuProprietesFichier = nullptr;
    QAction *mnuEnregistrerListe = nullptr;
    QAction *mnuQuitter = nullptr;
    QMenu *mnuOutils = nullptr;
    QAction *mnuMenuLangue = nullptr;
    QAction *mnuEditeurFichiers = nullptr;
    QAction *mnuManquants = nullptr;
    QAction *mnuRoutes = nullptr;
    QMenu *mnuAide = nullptr;
    QAction *mnuAfficher = nullptr;
    QAction *mnuFAQ = nullptr;
    QAction *mnuHistorique = nullptr;
    QAction *mnuSiteInternet = nullptr;
    QAction *mnuAbout = nullptr;

    // A disabled top menu puts its items out of reach, shortcuts included,
    // so no command starts while another holds the window.
    static void activerMenu(QMenu *menu, bool actif);
    static bool menuActif(const QMenu *menu);

    // The busy state of the scan and the clean-up: the three menus, the five
    // command buttons, both selection buttons, the save item and the list
    // disabled, in this order.
    void occuper();
    // The end of that state: the three menus, then search, report and
    // clean-up enabled; the list commands are left to the caller.
    void liberer();
    // Sets the status text (its line breaks are CR LF, as everywhere).
    void informations(const QString &texte);
    // Adds a consist to the list of invalid ones.
    void ajouterInvalide(const QString &nom);

    // Places the controls at the scale the current captions need and fixes
    // the window's size.
    void disposer();

    // Event procedures.
    void cmdRechercher_Click();
    void lstLFI_Click();
    void cmdSelectionner_Click(int Index);
    void mnuEnregistrerListe_Click();
    void cmdRapportDetaille_Click();
    void cmdSupprimer_Click();
    void cmdNettoyer_Click();
    void mnuProprietesFichier_Click();
    void cmdDeplacerVers_Click();
    void mnuAfficher_Click();
    void mnuFAQ_Click();
    void mnuHistorique_Click();
    void mnuSiteInternet_Click();
    void mnuAbout_Click();
    void mnuEditerFichier_Click();
    void mnuEditeurFichiers_Click();
    void mnuManquants_Click();
    void mnuRoutes_Click();
    void mnuMenuLangue_Click();
    void mnuQuitter_Click();
    // The frame's close box; returns false when the window must stay.
    bool Form_Unload();
    // Set by a command from its very first step (before the bar moves) to
    // its end: the window refuses to close meanwhile.
    bool commandeEnCours = false;

protected:
    void closeEvent(QCloseEvent *e) override;

private:
    DelegueListeNoms *m_noms = nullptr;
    void construire();
    void construireMenus();
    QAction *article(QMenu *menu, const QString &legende, const QKeySequence &raccourci,
                     void (frmCorvanel::*procedure)());
    Disposition m_disposition;
};

// The program's icon, in every size it ships.
QIcon iconeProgramme();

// Puts the captions of the language file on the main window, in the order
// the language files list them; a missing text ends the program.
void TraduireFenetrePrincipale(frmCorvanel &fenetre, const QString &Fichier);

} // namespace corvanel
