#include "ui/Geometrie.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QEvent>
#include <QFrame>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QProgressBar>
#include <QRadioButton>
#include <QSortFilterProxyModel>
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

QTableView *grilleTriable(QWidget *parent, QAbstractItemModel *modele, QSortFilterProxyModel *&tri)
{
    tri = new QSortFilterProxyModel(parent);
    tri->setSourceModel(modele);
    tri->setSortRole(Qt::UserRole);
    auto *grille = new QTableView(parent);
    grille->setModel(tri);
    grille->setSelectionMode(QAbstractItemView::SingleSelection);
    grille->setSelectionBehavior(QAbstractItemView::SelectRows);
    preparerGrille(*grille);
    grille->horizontalHeader()->setStretchLastSection(true);
    return grille;
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

void Disposition::placer(QWidget *w, int gauche, int haut, int largeur, int hauteur, int ancres)
{
    m_places.push_back({w, QRect(gauche, haut, largeur, hauteur), ancres});
}

QSize Disposition::appliquer(double echelle, int largeur, int hauteur, QSize surplus) const
{
    const int dx = std::max(0, surplus.width()), dy = std::max(0, surplus.height());
    for (const Place &p : m_places) {
        const auto plus = [&p](int ancre, int d) { return (p.ancres & ancre) ? d : 0; };
        p.widget->setGeometry(enPixels(p.twips.x(), echelle) + plus(Ancre::Droite, dx),
                              enPixels(p.twips.y(), echelle) + plus(Ancre::Bas, dy),
                              enPixels(p.twips.width(), echelle) + plus(Ancre::Largeur, dx),
                              enPixels(p.twips.height(), echelle) + plus(Ancre::Hauteur, dy));
    }
    return {enPixels(largeur, echelle), enPixels(hauteur, echelle)};
}

namespace {

// Lays the controls out again at each resize of the window's client area.
class Extension : public QObject {
public:
    Extension(QWidget &client, const Disposition &d, double echelle, int largeur, int hauteur, QSize taille)
        : QObject(&client), m_client(client), m_disposition(d), m_echelle(echelle), m_largeur(largeur),
          m_hauteur(hauteur), m_taille(taille)
    {
        setObjectName(QStringLiteral("corvanel-extension"));
        client.installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *objet, QEvent *evenement) override
    {
        if (objet == &m_client && evenement->type() == QEvent::Resize)
            m_disposition.appliquer(m_echelle, m_largeur, m_hauteur, m_client.size() - m_taille);
        return false;
    }

private:
    QWidget &m_client;
    Disposition m_disposition;
    double m_echelle;
    int m_largeur, m_hauteur;
    QSize m_taille;
};

} // namespace

void rendreExtensible(QWidget &client, const Disposition &d, int largeur, int hauteur)
{
    delete client.findChild<QObject *>(QStringLiteral("corvanel-extension"), Qt::FindDirectChildrenOnly);
    const double echelle = d.echelleNecessaire();
    const QSize taille = d.appliquer(echelle, largeur, hauteur);
    client.setMinimumSize(taille);
    new Extension(client, d, echelle, largeur, hauteur, taille);
    // Not yet shown or sized, a widget's size means nothing: the design's.
    const QSize actuelle =
        client.isVisible() || client.testAttribute(Qt::WA_Resized) ? client.size().expandedTo(taille) : taille;
    d.appliquer(echelle, largeur, hauteur, actuelle - taille);
    client.resize(actuelle);
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
