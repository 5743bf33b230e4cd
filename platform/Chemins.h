#pragma once
// Paths as the game's own platform sees them: letter case does not matter.
// Content copied from Windows keeps any mix of cases, so on a case-sensitive
// file system every component we look for is matched whatever its case.
#include <QString>

#include <optional>

namespace corvanel {

// Finds `relatif` (components separated by "/" or "\") under `base`, each
// component matched exactly first, then without regard to case. Returns the
// existing path as it is on disk (base kept as given, native separators), or
// nullopt when some component does not exist. An empty `relatif` gives base.
std::optional<QString> trouverSansCasse(const QString &base, const QString &relatif);

// True when a regular file (not a folder) exists at the path found that way.
bool fichierExisteSansCasse(const QString &base, const QString &relatif);
bool dossierExisteSansCasse(const QString &base, const QString &relatif);

// The program's own folder (DossierAppli), ending in one separator: the
// executable's folder when lang/ stands beside it (build tree, Windows),
// otherwise the installed data folder (<prefix>/share/corvanel/).
QString dossierProgramme();

} // namespace corvanel
