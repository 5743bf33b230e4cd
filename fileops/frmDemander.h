#pragma once
// The overwrite confirmation of the move: names entry Compteur of the main
// window's list, shows size and date of the file already at the destination
// and of the consist, and carries out the answer. Yes copies the consist over
// the existing file; Yes to all and No to all change the destination dialog's
// rule for the rest of the move; No, and the frame's close box, change
// nothing. No button answers Enter or Escape.
#include "platform/ErreurExecution.h"

#include <QDateTime>
#include <QDialog>

#include <functional>

#include <optional>

class QLabel;
class QPushButton;

namespace corvanel {

class frmCorvanel;
class frmDeplacerVers;

class frmDemander : public QDialog {
    Q_OBJECT
public:
    frmDemander(frmCorvanel &principale, frmDeplacerVers &destination);

    QLabel *lbl1 = nullptr;
    QLabel *lbl2 = nullptr;
    QLabel *lbl3 = nullptr;
    QLabel *lbl4 = nullptr;
    QLabel *lbl5 = nullptr;
    QLabel *lbl6 = nullptr;
    QLabel *lbl7 = nullptr;
    QPushButton *cmdOui = nullptr;
    QPushButton *cmdOuiTous = nullptr;
    QPushButton *cmdNon = nullptr;
    QPushButton *cmdNonTous = nullptr;

    void cmdOui_Click();
    void cmdOuiTous_Click();
    void cmdNon_Click();
    void cmdNonTous_Click();

    // Run by Yes before its copy: puts the existing file where it can be
    // got back. False: it stays, and nothing is copied.
    std::function<bool()> avantCopie;

    // True once Yes has copied the consist over the existing file.
    bool copie() const { return m_copie; }
    // The failure of Yes's copy. The dialog does not report it: it hands it
    // back to the move command, whose fatal report covers it.
    const std::optional<ErreurExecution> &echec() const { return m_echec; }

protected:
    void keyPressEvent(QKeyEvent *e) override;

private:
    void Form_Load();
    QString m_consist;
    QString m_existant;
    frmDeplacerVers &m_destination;
    bool m_copie = false;
    std::optional<ErreurExecution> m_echec;
};

} // namespace corvanel
