#pragma once
// Text helpers shared by every subsystem: the Windows-1252 code page that the
// game's tools and our language files use, and the small string rules the
// whole program follows (line breaks, placeholders, trimming).
#include <QByteArray>
#include <QString>
#include <QStringView>

class QDateTime;

namespace corvanel {

// Windows-1252 ("ANSI") to Unicode. The five bytes the code page leaves
// undefined map to the control characters of the same value, as Windows does.
QString depuisAnsi(QByteArrayView octets);
// The same, appended to `texte`.
void ajouterAnsi(QString &texte, QByteArrayView octets);
// The same, written from `sortie` on (room for octets.size() characters).
void ecrireAnsi(QByteArrayView octets, char16_t *sortie);

// Unicode to Windows-1252; a character the code page cannot hold becomes "?".
QByteArray versAnsi(QStringView texte);
// True when Windows-1252 holds every character of the text.
bool tientEnAnsi(QStringView texte);

// The line break the program puts into texts ("%n" in language files).
inline constexpr QStringView SautDeLigne = u"\r\n";

// Removes blanks (code 32 only) at both ends; tabs stay, as in the game's tools.
QString sansBlancs(QStringView texte);
QStringView rognerBlancs(QStringView texte);

// Every "%n" becomes a line break (plain, case-sensitive, left to right).
QString avecSautsDeLigne(QString texte);

// Plain, case-sensitive replacement of every occurrence of a placeholder.
QString remplacer(QString texte, QStringView marque, QStringView valeur);

// A file date in the system's general date format: the short date, a blank,
// and the time with its seconds (two files changed the same minute must look
// different), without the time-zone name the long time format carries.
QString dateGenerale(const QDateTime &date);

// Appends the native folder separator unless the text already ends in one.
QString avecSeparateurFinal(QString dossier);

} // namespace corvanel
