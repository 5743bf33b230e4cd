#pragma once
// The folder dialog of start-up: the user walks volumes and folders until
// the folder shown holds the game ("train.exe" and "launcher.exe"); only
// then is OK usable. It leaves its answer in DossierMSTS and Annule.
#include <QDialog>

class QFrame;
class QPushButton;

namespace corvanel {

class ListeDisques;
class ListeDossiers;

class frmParcourir1 : public QDialog {
    Q_OBJECT
public:
    explicit frmParcourir1(QWidget *parent = nullptr);

    ListeDossiers *DirListBox = nullptr;
    ListeDisques *DriveListBox = nullptr;
    QFrame *Line1 = nullptr;
    QPushButton *cmdOK = nullptr;
    QPushButton *cmdAnnuler = nullptr;

    void DirListBox_Change();
    void DriveListBox_Change();
    void cmdOK_Click();
    void cmdAnnuler_Click();

protected:
    void closeEvent(QCloseEvent *e) override;
    void reject() override;

private:
    void Form_Load();
};

// True when both game executables stand directly in the folder, whatever
// their letter case.
bool estDossierMSTS(const QString &dossier);

} // namespace corvanel
