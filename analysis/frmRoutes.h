#pragma once
// The routes window: one row per activity and Open Rails timetable of the
// game's routes, with its route, whether it can start, and how many things
// it misses, the files that cannot start first; the selected file's missing
// things below, each with what named it. A missing vehicle can be replaced
// across the consists as in the missing-stock window; the file naming a
// missing consist, service or path opens in the text editor.
#include "analysis/Routes.h"
#include "ui/ModeleLignes.h"

#include <QDialog>
#include <QStringList>

class QLabel;
class QProgressBar;
class QPushButton;
class QSortFilterProxyModel;
class QTableView;
class QTreeWidget;

namespace corvanel {

class frmCorvanel;

class ModeleRoutes : public ModeleLignes<VerdictFichier> {
    Q_OBJECT
public:
    using ModeleLignes::ModeleLignes;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
};

class frmRoutes : public QDialog {
    Q_OBJECT
public:
    // `principale`: the main window, scanned again after a replacement.
    explicit frmRoutes(frmCorvanel *principale, QWidget *parent = nullptr);

    QTableView *MSHFlexGrid = nullptr;
    QLabel *lblManques = nullptr;
    QTreeWidget *lstManques = nullptr;
    QLabel *lblInformations = nullptr;
    QProgressBar *pbJauge = nullptr;
    QPushButton *cmdActualiser = nullptr;
    QPushButton *cmdRemplacer = nullptr;
    QPushButton *cmdOuvrir = nullptr;
    QPushButton *cmdFermer = nullptr;

    ModeleRoutes &modele() { return *m_modele; }
    // The file selected, in the model's order; -1 for none.
    int ligneChoisie() const;
    // The missing thing selected in the lower list; nullptr for none.
    const ManqueRoute *manqueChoisi() const;

    // Checks every route again on another thread, the bar showing the files
    // read, and fills the grid.
    void cmdActualiser_Click();
    // Replace with... for the selected missing vehicle.
    void cmdRemplacer_Click();
    // Opens the file that first named the selected missing consist, service
    // or path (or the unreadable file itself) in the text editor.
    void cmdOuvrir_Click();
    void cmdFermer_Click();
    bool Form_Unload();
    void MSHFlexGrid_SelectionChange();
    void lstManques_SelectionChange();

protected:
    void reject() override;

private:
    void Form_Load();
    void occuper(bool occupe);
    frmCorvanel *m_principale;
    ModeleRoutes *m_modele = nullptr;
    QSortFilterProxyModel *m_tri = nullptr;
    bool m_occupe = false;
};

// What the lower list shows of a missing thing: the thing, its effect and
// what named it, in the language in use.
QStringList colonnesManque(const ManqueRoute &m);

// Whether `manquant` is a vehicle ("Folder/Name.eng|.wag") rather than a
// path, service or consist.
bool estVehicule(const QString &manquant);

} // namespace corvanel
