#include "ui/ListeNoms.h"

#include <QListWidget>

namespace corvanel {

DelegueListeNoms::DelegueListeNoms(QListWidget *liste) : QStyledItemDelegate(liste), m_liste(liste)
{
    liste->setUniformItemSizes(true);
    liste->setItemDelegate(this);
    connect(liste->model(), &QAbstractItemModel::modelReset, this, [this] { m_largeurTexte = 0; });
}

void DelegueListeNoms::ajouter(const QString &nom)
{
    m_largeurTexte = std::max(m_largeurTexte, m_liste->fontMetrics().horizontalAdvance(nom));
    m_liste->addItem(nom);
}

QSize DelegueListeNoms::sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    // The size of this entry, its text widened to the widest name.
    QSize taille = QStyledItemDelegate::sizeHint(option, index);
    const int largeurTexte = m_liste->fontMetrics().horizontalAdvance(index.data().toString());
    taille.rwidth() += std::max(0, m_largeurTexte - largeurTexte);
    return taille;
}

} // namespace corvanel
