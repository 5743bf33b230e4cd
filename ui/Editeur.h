#pragma once
// Opening a consist in the user's own text editor, set with the program
// chooser frmParcourir2 and kept in the setting "Options"/"Editeur".
#include <QString>

namespace corvanel {

// Starts the editor with `Fichier` (blanks at both ends removed) as its one
// argument, without a shell and without waiting. No editor set: Error09; no
// file at the editor's path: Error10. A program that cannot be started ends
// in the fatal-error report.
void EditerFichier(const QString &Fichier);

} // namespace corvanel
