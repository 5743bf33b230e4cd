#pragma once
// A list of file names, one line each in one font, that stays quick with
// thousands of entries: every entry takes the size of the first, so adding
// one does not make the list measure them all again; the width it scrolls
// over still follows the widest name added.
#include <QStyledItemDelegate>

class QListWidget;

namespace corvanel {

class DelegueListeNoms : public QStyledItemDelegate {
public:
    // Installs itself on `liste`; forgets the widths when the list is cleared.
    explicit DelegueListeNoms(QListWidget *liste);

    // Adds an entry at the end, widening the list to fit it.
    void ajouter(const QString &nom);

    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override;

private:
    QListWidget *m_liste;
    int m_largeurTexte = 0;
};

} // namespace corvanel
