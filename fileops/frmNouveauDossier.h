#pragma once
// Asks for the name of a new folder, makes it inside the destination dialog's
// current folder and opens it there, so that it becomes the destination.
// A refused name keeps the dialog open with the trimmed name in the box; a
// failure of the file system past the checks ends the program with the
// "Erreur " form of the fatal report.
#include <QDialog>

class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace corvanel {

class frmDeplacerVers;

class frmNouveauDossier : public QDialog {
    Q_OBJECT
public:
    explicit frmNouveauDossier(frmDeplacerVers &destination);

    QGroupBox *fraDossier = nullptr;
    QWidget *Picture1 = nullptr;
    QLabel *lbl1 = nullptr;
    QLabel *lbl2 = nullptr;
    QLabel *lbl3 = nullptr;
    QLineEdit *txtNouveauDossier = nullptr;
    QPushButton *cmdOK = nullptr;
    QPushButton *cmdAnnuler = nullptr;

    void cmdOK_Click();
    void cmdAnnuler_Click();

private:
    void Form_Load();
    frmDeplacerVers &m_destination;
};

// The characters a folder name may not hold, in the order they are tested.
bool contientCaractereRefuse(const QString &nom);

} // namespace corvanel
