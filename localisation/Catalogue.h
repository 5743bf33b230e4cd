#pragma once
// Every section and key the program looks up, with the placeholders its
// caller replaces. Language files are checked against this list.
#include <QList>
#include <QString>
#include <QStringList>

namespace corvanel {

struct EntreeCatalogue {
    QString section;
    QString cle;
    QStringList marques; // placeholders the caller replaces, e.g. "[num]"
    // Looked up only when the language file is not the default one.
    bool seulementHorsDefaut = false;
};

const QList<EntreeCatalogue> &catalogue();

} // namespace corvanel
