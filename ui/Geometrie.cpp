#include "ui/Geometrie.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QFrame>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QProgressBar>
#include <QRadioButton>
#include <QStyle>
#include <QStyleOptionButton>
#include <QTableView>
#include <QWidget>

#include <algorithm>
#include <cmath>

namespace corvanel {

QFont policeFenetres(bool gras)
{
    QFont f(QStringLiteral("Arial"));
    f.setStyleHint(QFont::SansSerif);
    f.setPointSizeF(8.25);
    f.setBold(gras);
    return f;
}

void preparerDialogue(QWidget &dialogue)
{
    dialogue.setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    dialogue.setFont(policeFenetres());
}

void preparerGrille(QTableView &grille)
{
    grille.setEditTriggers(QAbstractItemView::NoEditTriggers);
    grille.setWordWrap(false);
    grille.setTextElideMode(Qt::ElideMiddle);
    grille.verticalHeader()->hide();
    grille.verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    grille.verticalHeader()->setDefaultSectionSize(QFontMetrics(policeFenetres()).height() + 5);
    grille.horizontalHeader()->setHighlightSections(false);
}

QProgressBar *jaugeAuRepos(QWidget *parent)
{
    auto *jauge = new QProgressBar(parent);
    jauge->setTextVisible(false);
    jauge->setRange(0, 1);
    jauge->setValue(0);
    return jauge;
}

QFrame *ligneBleue(QWidget *parent)
{
    auto *ligne = new QFrame(parent);
    ligne->setFrameShape(QFrame::HLine);
    ligne->setStyleSheet(QStringLiteral("color: #000080;"));
    return ligne;
}

int enPixels(int twips, double echelle)
{
    return static_cast<int>(std::lround(twips / TwipsParPixel * echelle));
}

void Disposition::placer(QWidget *w, int gauche, int haut, int largeur, int hauteur)
{
    m_places.push_back({w, QRect(gauche, haut, largeur, hauteur)});
}

QSize Disposition::appliquer(double echelle, int largeur, int hauteur) const
{
    for (const Place &p : m_places) {
        p.widget->setGeometry(enPixels(p.twips.x(), echelle), enPixels(p.twips.y(), echelle),
                              enPixels(p.twips.width(), echelle), enPixels(p.twips.height(), echelle));
    }
    return {enPixels(largeur, echelle), enPixels(hauteur, echelle)};
}

double Disposition::echelleNecessaire() const
{
    double echelle = 1.0;
    for (const Place &p : m_places) {
        const double largeur = p.twips.width() / TwipsParPixel;
        int besoin = 0;
        if (auto *b = qobject_cast<QAbstractButton *>(p.widget)) {
            // Check boxes and option buttons need their indicator too;
            // sizeHint() accounts for it.
            besoin = b->sizeHint().width();
            if (!qobject_cast<QCheckBox *>(b) && !qobject_cast<QRadioButton *>(b))
                besoin = b->fontMetrics().horizontalAdvance(QString(b->text()).remove(u'&')) + 8;
        } else if (auto *g = qobject_cast<QGroupBox *>(p.widget)) {
            besoin = g->fontMetrics().horizontalAdvance(QString(g->title()).remove(u'&')) + 24;
        } else if (auto *l = qobject_cast<QLabel *>(p.widget)) {
            if (l->property("legende").toBool() && !l->wordWrap())
                besoin = l->fontMetrics().horizontalAdvance(QString(l->text()).remove(u'&'));
        }
        if (besoin > 0 && largeur > 0)
            echelle = std::max(echelle, besoin / largeur);
    }
    return std::min(echelle, 2.0);
}

} // namespace corvanel
