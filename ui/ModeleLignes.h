#pragma once
// A grid's rows of one type under headed columns, replaced all at once; the
// windows' models only say what each cell shows.
#include <QAbstractTableModel>
#include <QList>
#include <QStringList>

namespace corvanel {

template <typename Ligne> class ModeleLignes : public QAbstractTableModel {
public:
    using QAbstractTableModel::QAbstractTableModel;

    void definir(const QStringList &entetes, QList<Ligne> lignes)
    {
        beginResetModel();
        m_entetes = entetes;
        m_lignes = std::move(lignes);
        endResetModel();
    }
    const QList<Ligne> &lignes() const { return m_lignes; }
    const QStringList &entetes() const { return m_entetes; }

    int rowCount(const QModelIndex &parent = {}) const override
    {
        return parent.isValid() ? 0 : static_cast<int>(m_lignes.size());
    }
    int columnCount(const QModelIndex &parent = {}) const override
    {
        return parent.isValid() ? 0 : static_cast<int>(m_entetes.size());
    }
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override
    {
        if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 && section < m_entetes.size())
            return m_entetes[section];
        return {};
    }

protected:
    QStringList m_entetes;
    QList<Ligne> m_lignes;
};

} // namespace corvanel
