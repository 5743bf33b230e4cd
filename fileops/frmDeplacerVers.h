#pragma once
// The destination dialog of the move: folder, which entries, and what to do
// with a file of the same name already at the destination. It does no file
// work. OK leaves Annule False and only hides the dialog, so the move
// command can read its controls afterwards; Cancel, Escape and the frame's
// close box leave Annule True. While the move runs, the overwrite
// confirmation may change the chosen rule in optFichierExiste.
#include <QDialog>

#include <array>

class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace corvanel {

class frmCorvanel;
class ListeDisques;
class ListeDossiers;

class frmDeplacerVers : public QDialog {
    Q_OBJECT
public:
    // Reads the selection of the main window's list when OK is pressed.
    explicit frmDeplacerVers(frmCorvanel &principale);

    QLabel *lbl1 = nullptr;
    // The destination, always ending in exactly one separator.
    QLineEdit *txtDeplacerVers = nullptr;
    QFrame *Line1 = nullptr;
    QGroupBox *fraFichiers = nullptr;
    QWidget *Picture1 = nullptr;
    // 0: selected entries only; 1: all entries (preset).
    std::array<QRadioButton *, 2> optFichiers{};
    QGroupBox *fraFichierExiste = nullptr;
    QWidget *Picture2 = nullptr;
    // 0: ask; 1: overwrite (preset); 2: overwrite if newer; 3: skip.
    std::array<QRadioButton *, 4> optFichierExiste{};
    QGroupBox *fraDestination = nullptr;
    QWidget *Picture3 = nullptr;
    ListeDossiers *CheDossier = nullptr;
    ListeDisques *CheDisque = nullptr;
    QPushButton *cmdNouveauDossier = nullptr;
    QPushButton *cmdOK = nullptr;
    QPushButton *cmdAnnuler = nullptr;

    void CheDisque_Change();
    void CheDossier_Change();
    void cmdNouveauDossier_Click();
    void cmdOK_Click();
    void cmdAnnuler_Click();

protected:
    void reject() override;

private:
    void Form_Load();
    frmCorvanel &m_principale;
};

// True when two folder paths name the same folder as far as their texts
// tell: both made absolute and clean, letters compared without case.
bool memeDossier(const QString &a, const QString &b);

} // namespace corvanel
