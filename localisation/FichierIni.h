#pragma once
// Reads one key of an INI-style file the way Windows' GetPrivateProfileString
// does: section and key names without regard to case, the text after the
// first "=", surrounding blanks dropped, one pair of enclosing quotes removed,
// Windows-1252 text, the empty text for anything missing.
#include <QByteArrayView>
#include <QString>

namespace corvanel {

// The longest text a lookup returns (a 255-character buffer less its end).
inline constexpr int LongueurMaxTexteIni = 254;

// Looks the key up in the file's bytes. The first matching key of the first
// matching section wins.
QString lireCleIni(QByteArrayView contenu, QStringView section, QStringView cle);

// Same on a file; an unreadable file gives the empty text.
QString lireCleIniFichier(const QString &chemin, QStringView section, QStringView cle);

} // namespace corvanel
