#pragma once
#include <QString>

namespace corvanel {

// Copies the bundled demo game folder into a fresh temporary folder and
// returns the copy's path (empty, with a description, on failure). The
// copy is left in place so the user can look at what the program did.
QString copierDemo(const QString &dossierDemo, QString *erreur);

} // namespace corvanel
