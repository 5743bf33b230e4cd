#pragma once
// Writing a file the user chose (saved list, report export) in one piece,
// and what both commands show around it.
#include "commun/Interaction.h"

#include <QByteArray>
#include <QString>

#include <optional>

namespace corvanel {

// Replaces or creates `chemin` with exactly `octets`. The bytes go to a
// temporary file beside the target, which takes the target's place only once
// everything is on disk: a failure at any point leaves an existing file as it
// was. Returns nothing on success, else the system's description of the
// failure.
std::optional<QString> ecrireFichier(const QString &chemin, const QByteArray &octets);

// Tells the user that `chemin` could not be written: the path, a blank line
// and the description; OK, critical icon, title "Corvanel".
void signalerEchecEcriture(const QString &chemin, const QString &description);

// The save dialog of the saved list and of the report export: title Msg19,
// default suffix "txt", asks before replacing a file, refuses a read-only
// one, opens in the consist folder. Only the filter differs.
ChoixFichier choixEnregistrement(const QString &filtre);

} // namespace corvanel
