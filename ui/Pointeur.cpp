#include "ui/Pointeur.h"

#include <QCursor>
#include <QGuiApplication>

namespace corvanel {

namespace {
Pointeur g_pointeur = Pointeur::ParDefaut;
}

void definirPointeur(Pointeur p)
{
    // One override cursor at most, so that setting the default always
    // gives the normal pointer back whatever came before.
    if (p == Pointeur::ParDefaut) {
        while (QGuiApplication::overrideCursor())
            QGuiApplication::restoreOverrideCursor();
    } else {
        const QCursor c(p == Pointeur::Sablier ? Qt::WaitCursor : Qt::BusyCursor);
        if (QGuiApplication::overrideCursor())
            QGuiApplication::changeOverrideCursor(c);
        else
            QGuiApplication::setOverrideCursor(c);
    }
    g_pointeur = p;
}

Pointeur pointeurActuel()
{
    return g_pointeur;
}

} // namespace corvanel
