#pragma once
// A consist's name, type, size and date, and its read-only, hidden and
// archive attributes, which the user can change. It shows the main window's
// current entry, read again at each opening.
#include <QDialog>

class QCheckBox;
class QGroupBox;
class QLabel;
class QPushButton;

namespace corvanel {

class frmCorvanel;

class frmProprietesFichier : public QDialog {
    Q_OBJECT
public:
    explicit frmProprietesFichier(QWidget *parent = nullptr);

    QGroupBox *fraProprietesGenerales = nullptr;
    QLabel *lblNom = nullptr;
    QLabel *lblType = nullptr;
    QLabel *lblTaille = nullptr;
    QLabel *lblModif = nullptr;
    QGroupBox *fraAttributs = nullptr;
    QWidget *Picture1 = nullptr;
    QCheckBox *chkLectureSeule = nullptr;
    QCheckBox *chkCache = nullptr;
    QCheckBox *chkArchive = nullptr;
    QPushButton *cmdAppliquer = nullptr;
    QPushButton *cmdFermer = nullptr;

    // The file shown.
    QString CheminFichier;

    // Puts the captions and reads the file of `principale`'s current entry.
    // False when the list has no current entry, or, after a critical message
    // naming the file with the system's description, when the file cannot be
    // read (deleted or renamed since the scan): the dialog must not be shown
    // then.
    bool Form_Load(const frmCorvanel &principale);

    void chkLectureSeule_Click();
    void chkCache_Click();
    void chkArchive_Click();
    // Writes the ticked attributes. A change the file system refuses is
    // reported (critical message) and leaves the button enabled.
    void cmdAppliquer_Click();
    void cmdFermer_Click();
};

} // namespace corvanel
