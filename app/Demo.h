#pragma once
#include <QString>

namespace corvanel {

// Copies the bundled demo game folder into a fresh temporary folder and
// returns the copy's path (empty, with a description, on failure).
QString copierDemo(const QString &dossierDemo, QString *erreur);

// Removes a copy made by copierDemo, with the temporary folder made for it.
// Any other path (empty included) is left alone.
void supprimerDemo(const QString &copie);

} // namespace corvanel
