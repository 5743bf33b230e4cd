#pragma once
// The program chooser of the editor command: the user walks volumes and
// folders and picks a program; OK keeps it as the text editor in the setting
// "Options"/"Editeur". Cancel, Escape and the frame's close box change
// nothing.
#include <QDialog>

class QFrame;
class QPushButton;

namespace corvanel {

class ListeDisques;
class ListeDossiers;
class ListeFichiers;

class frmParcourir2 : public QDialog {
    Q_OBJECT
public:
    explicit frmParcourir2(QWidget *parent = nullptr);

    ListeDossiers *DirListBox = nullptr;
    ListeDisques *DriveListBox = nullptr;
    ListeFichiers *FileListBox = nullptr;
    QFrame *Line = nullptr;
    QPushButton *cmdOK = nullptr;
    QPushButton *cmdAnnuler = nullptr;

    void DirListBox_Change();
    void DriveListBox_Change();
    void cmdOK_Click();
    void cmdAnnuler_Click();

private:
    void Form_Load();
};

} // namespace corvanel
