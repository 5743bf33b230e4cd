#pragma once
// Qt's own texts (the buttons of message boxes, the file dialogs) in the
// language of the language file in use.
#include <QString>

namespace corvanel {

// Loads Qt's translations for the language that the language file `fichier`
// names in its optional key [Language] Qt (e.g. "fr"), or for the system's
// locale when it names none, in place of those loaded before. Where Qt's
// translation files are not installed its texts stay English, silently.
void chargerTraductionsQt(const QString &fichier);

} // namespace corvanel
