#pragma once
#include <QString>

namespace corvanel {

// The program's own web site and address, shown in the About box.
inline const QString SiteInternet = QStringLiteral("https://corvanel.example.org/");
inline const QString AdresseAuteur = QStringLiteral("corvanel@example.org");

// The copyright notice line: the years, then the holder as the language file
// names it (Language/Author), so that it reads in the user's language.
QString ligneCopyright();

// The About box's text: nine lines, twelve with the translator's credits
// when the language file in use is not the default one.
QString texteAPropos();

} // namespace corvanel
