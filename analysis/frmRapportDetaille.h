#pragma once
// The detailed report window: on request it reads every consist again and
// shows one row per faulty vehicle line (the consist, then the missing
// vehicle's folder and file in double quotes, or the unreadable-line notice
// in both). The report can be saved as CSV or text, and a consist named in
// the grid opens in the text editor.
#include "analysis/Analyse.h"

#include <QAbstractTableModel>
#include <QDialog>
#include <QList>
#include <QStringList>

class QProgressBar;
class QPushButton;
class QTableView;

namespace corvanel {

// The grid's content. Without columns (a new window, or a refresh that found
// nothing) the grid shows no header either; during and after a refresh that
// found faults it has the three headed columns.
class ModeleRapport : public QAbstractTableModel {
    Q_OBJECT
public:
    using QAbstractTableModel::QAbstractTableModel;

    // No row, no column.
    void vider();
    // The three headed columns, no row.
    void commencer(const QStringList &entetes);
    // Shows the rows of `toutes` not shown yet; `toutes` only ever grows.
    void rattraper(const QList<LigneRapport> &toutes);
    const QList<LigneRapport> &lignes() const { return m_lignes; }

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;

private:
    QStringList m_entetes;
    QList<LigneRapport> m_lignes;
};

class frmRapportDetaille : public QDialog {
    Q_OBJECT
public:
    explicit frmRapportDetaille(QWidget *parent = nullptr);

    QTableView *MSHFlexGrid = nullptr;
    QPushButton *cmdActualiser = nullptr;
    QPushButton *cmdEnregistrer = nullptr;
    QPushButton *cmdFermer = nullptr;
    QProgressBar *pbJauge = nullptr;

    ModeleRapport &modele() { return *m_modele; }

    // Reads the consist folder again and fills the grid; a failure ends the
    // program with the fatal-error report.
    void cmdActualiser_Click();
    // Saves the grid: CSV when the chosen name ends in ".csv" exactly, the
    // text listing otherwise.
    void cmdEnregistrer_Click();
    void cmdFermer_Click();
    // False while a refresh runs (the progress bar is not at 0): the window
    // stays.
    bool Form_Unload();
    // From a refresh's first step to its end: the window refuses to close.
    bool commandeEnCours = false;
    // A cell activated (double click, Enter): a consist cell opens that
    // consist in the text editor; the vehicle columns do nothing.
    void MSHFlexGrid_Click(const QModelIndex &cellule);

protected:
    // Escape and the frame's close box come here too.
    void reject() override;
    bool eventFilter(QObject *objet, QEvent *evenement) override;

private:
    void Form_Load();
    ModeleRapport *m_modele = nullptr;
};

} // namespace corvanel
