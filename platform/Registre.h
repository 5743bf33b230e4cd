#pragma once
// The game's installation folder as its installer recorded it in the
// registry value "HKLM\Software\Microsoft\Microsoft Games\Train Simulator\1.0\Path".
// On Windows the real registry (also under Wow6432Node); elsewhere the same
// value read from the Wine prefix's system.reg and translated to a native path.
#include <QByteArrayView>
#include <QString>

#include <optional>

namespace corvanel {

// The value as a native path, or the empty text when it is missing or
// cannot be read.
QString lireDossierMSTSRegistre();

// --- Pieces of the Wine reading, apart so they can be tested -------------

// The Wine prefix in use: $WINEPREFIX, else ~/.wine.
QString prefixeWine();

// Reads a REG_SZ (or str(2)) value from the text of a Wine registry file.
// `cle` is the key path below the hive root ("Software\\Microsoft\\...", with
// single backslashes), compared without regard to case, as is the value name.
// Wine's escapes (\\ \" \n \r \t \0 \xHHHH, \ooo) are undone.
std::optional<QString> lireValeurRegWine(QByteArrayView contenu, QStringView cle, QStringView nomValeur);

// Translates a Windows path ("C:\Program Files\...") into a native path
// through the prefix's drive mapping (dosdevices/c: -> drive_c), components
// matched without regard to case where they exist. Empty when the drive is
// not mapped.
QString traduireCheminWine(const QString &prefixe, const QString &cheminWindows);

} // namespace corvanel
