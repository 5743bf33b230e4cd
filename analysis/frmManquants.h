#pragma once
// The missing-stock window: one row per missing vehicle (folder, file, the
// number of consists naming it, where a file of that name stands elsewhere
// in the trainset), the consists naming the selected one, and the repairs:
// replace it across those consists, undo the last replacement.
#include "analysis/Manquants.h"
#include "ui/ModeleLignes.h"

#include <QDialog>
#include <QStringList>

#include <functional>
#include <optional>

class QLabel;
class QLineEdit;
class QListWidget;
class QProgressBar;
class QPushButton;
class QSortFilterProxyModel;
class QTableView;

namespace corvanel {

class frmCorvanel;

class ModeleManquants : public ModeleLignes<VehiculeManquant> {
    Q_OBJECT
public:
    using ModeleLignes::ModeleLignes;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
};

class frmManquants : public QDialog {
    Q_OBJECT
public:
    // `principale`: the main window, scanned again after a change.
    explicit frmManquants(frmCorvanel *principale, QWidget *parent = nullptr);

    QTableView *MSHFlexGrid = nullptr;
    QLabel *lblConsists = nullptr;
    QListWidget *lstConsists = nullptr;
    QLabel *lblInformations = nullptr;
    QProgressBar *pbJauge = nullptr;
    QPushButton *cmdActualiser = nullptr;
    QPushButton *cmdRemplacer = nullptr;
    QPushButton *cmdAnnuler = nullptr;
    QPushButton *cmdFermer = nullptr;

    ModeleManquants &modele() { return *m_modele; }
    // The row selected, in the model's order; -1 for none.
    int ligneChoisie() const;

    void cmdActualiser_Click();
    // Asks for NEW, confirms with the number of consists, replaces, shows
    // the summary, then refreshes this window and the main list.
    void cmdRemplacer_Click();
    void cmdAnnuler_Click();
    void cmdFermer_Click();
    bool Form_Unload();
    void MSHFlexGrid_SelectionChange();

protected:
    void reject() override;

private:
    void Form_Load();
    void occuper(bool occupe);
    void apresChangement(const QString &resume);
    frmCorvanel *m_principale;
    ModeleManquants *m_modele = nullptr;
    QSortFilterProxyModel *m_tri = nullptr;
};

// The chooser of NEW: the trainset's vehicles of OLD's kind, those found
// elsewhere first (the first one selected), with a filter box.
class frmChoixVehicule : public QDialog {
    Q_OBJECT
public:
    frmChoixVehicule(const QString &ancien, const QStringList &ailleurs, const QStringList &vehicules,
                     QWidget *parent = nullptr);

    QLabel *lbl1 = nullptr;
    QLabel *lblFiltre = nullptr;
    QLineEdit *txtFiltre = nullptr;
    QListWidget *lstVehicules = nullptr;
    QPushButton *cmdOK = nullptr;
    QPushButton *cmdAnnuler = nullptr;

    // The vehicle chosen, relative to the trainset with "/"; empty for none.
    QString choix() const;

private:
    void txtFiltre_Change();
};

// Replace with... for the vehicle `manquant` ("Folder/Name.eng|.wag"): asks
// for NEW in the chooser (`ailleurs` first), confirms with the number of
// consists, replaces with backups. `occuper` marks `fenetre` busy while the
// work runs, `jauge` shows it. Returns the summary to show once the window
// has been refreshed; nothing when the user stopped or an error was told.
std::optional<QString> remplacerVehiculeManquant(QWidget &fenetre, QProgressBar *jauge,
                                                 const std::function<void(bool)> &occuper, const QString &manquant,
                                                 const QStringList &ailleurs);

} // namespace corvanel
