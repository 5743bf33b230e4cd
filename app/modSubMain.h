#pragma once
// Start-up: refuses a second copy, resolves the language file, finds the
// game folder and shows the main window.
#include <QString>

#include <memory>
#include <optional>

namespace corvanel {

class frmCorvanel;
class InstanceUnique;

struct OptionsDemarrage {
    // The program's folder; empty: where the program stands.
    QString dossierAppli;
    // A game folder given on the command line, taken as the registry's value.
    std::optional<QString> dossierJeu;
    // A language file given on the command line, for this run only: the
    // setting keeps the user's choice.
    QString langue;
};

// Returns the shown main window, or nullptr when another copy is running
// (this copy then ends silently). Every other failure ends the program
// through the seam.
std::unique_ptr<frmCorvanel> Main(const OptionsDemarrage &options, InstanceUnique &instance);

// The game folder from the registry value (or `valeur` when given), else,
// without `valeur`, the one last chosen in the folder dialog (setting
// "Options"/"DossierJeu") while it still holds the game, else from the
// folder dialog, whose choice is then kept in that setting. Ends the program
// when the user gives up.
QString TrouverDossierMSTS(const std::optional<QString> &valeur = std::nullopt);

// The game's sub-folder (e.g. "TRAINS/CONSISTS/") as it is spelt on disk,
// whatever its letter case, ending in one separator.
QString sousDossierJeu(const QString &dossierMSTS, const QString &relatif);

// Makes `dossierMSTS` the game folder in use: DossierMSTS, DossierConsists
// and DossierTrainset, as spelt on disk.
void utiliserDossierJeu(const QString &dossierMSTS);

} // namespace corvanel
