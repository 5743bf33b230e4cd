#pragma once
#include <QString>

namespace corvanel {

// Looks up one text of a language file: trimmed, every "%n" turned into a line
// break, at most 254 characters. A missing file, or (with Obligatoire) a
// missing or blank text, shows the fixed French message and ends the program.
QString LireLangue(const QString &Fichier, const QString &Section, const QString &Cle, bool Obligatoire = true);

// The first line of the missing-text message: the language file `nomFichier`
// (a bare name) lacks the text of section `Section`, key `Cle`.
QString texteManquant(const QString &Section, const QString &Cle, const QString &nomFichier);

// The same in the language file in use (FichierLangue). A key added since
// the 1.0.7 files (EntreeCatalogue::repliDefaut) that the file lacks takes the
// default language file's text instead, and never ends the program.
QString texte(const QString &Section, const QString &Cle);

} // namespace corvanel
