#pragma once
// Window layouts are designed in twips (1/1440 inch, 15 to a pixel at 96 dpi):
// fine enough to place each control exactly, whatever the screen's density.
// A Disposition remembers each control's design rectangle and places them all
// at one scale, so a window can grow evenly when a translation needs more
// room, keeping its arrangement and proportions.
#include <QFont>
#include <QRect>
#include <QSize>

#include <vector>

class QWidget;
class QAbstractButton;
class QAbstractItemModel;
class QGroupBox;
class QSortFilterProxyModel;
class QLabel;
class QFrame;
class QProgressBar;
class QTableView;

namespace corvanel {

inline constexpr double TwipsParPixel = 15.0;

// Arial 8.25 points, the font of every window (Liberation Sans stands in).
QFont policeFenetres(bool gras = false);

// How a control follows a window the user makes larger than designed: it
// keeps its place and size unless it moves with the right or bottom edge, or
// stretches with the window's width or height.
namespace Ancre {
enum : int { Droite = 1, Bas = 2, Largeur = 4, Hauteur = 8 };
}

class Disposition {
public:
    void placer(QWidget *w, int gauche, int haut, int largeur, int hauteur, int ancres = 0);
    // Places every control at the scale, moved and stretched by `surplus`
    // pixels the window has beyond its design; returns the client size of a
    // window designed as `largeur` x `hauteur` twips.
    QSize appliquer(double echelle, int largeur, int hauteur, QSize surplus = {}) const;

    // The smallest scale (at least 1, at most 2) at which every button's
    // caption, frame's title and label marked with the property "legende"
    // fits its design width.
    double echelleNecessaire() const;

private:
    struct Place {
        QWidget *widget;
        QRect twips;
        int ancres;
    };
    std::vector<Place> m_places;
};

int enPixels(int twips, double echelle = 1.0);

// A window the user may resize and maximise: `client` (a dialog, or a main
// window's central widget) opens at its designed size, never gets smaller,
// and its controls follow their anchors as it grows. Called again (a new
// language, a new scale), it replaces the earlier arrangement.
void rendreExtensible(QWidget &client, const Disposition &d, int largeur, int hauteur);

// Every dialog: a fixed frame with a close box only, in the windows' font.
void preparerDialogue(QWidget &dialogue);
// The dark blue rule the choosers draw above their buttons.
QFrame *ligneBleue(QWidget *parent);
// A grid of the report windows: read-only, no row headers, one line of
// text a row, tight, so a long report shows many rows at once.
void preparerGrille(QTableView &grille);
// Such a grid over `modele`, one whole row selectable at a time, sorted by a
// click on a header through a proxy that reads Qt::UserRole (given back in
// `tri`); the last column takes what is left of the width.
QTableView *grilleTriable(QWidget *parent, QAbstractItemModel *modele, QSortFilterProxyModel *&tri);
// A progress bar without text, at rest (0 of 1).
QProgressBar *jaugeAuRepos(QWidget *parent);

} // namespace corvanel
