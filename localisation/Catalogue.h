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
    // Added after the language files of 1.0.7: a file that lacks it borrows
    // the default language file's text instead of stopping the program, so a
    // translator's older file keeps working.
    bool repliDefaut = false;
};

const QList<EntreeCatalogue> &catalogue();

// The entry for a section and key (letter case ignored), or null.
const EntreeCatalogue *entreeCatalogue(const QString &section, const QString &cle);

// The first entry the program needs that the language file at `chemin`
// lacks or leaves blank (all of them when it cannot be read), or null when
// it has them all. Entries that fall back to the default file are not needed,
// nor those looked up only beside another file than the default one when the
// file bears the default one's name.
const EntreeCatalogue *premiereEntreeManquante(const QString &chemin);

} // namespace corvanel
