#pragma once
// What a delete or move asks before consists leave: the routes' services and
// activities, read on a generated game folder of a large install's size.
#include <QString>

namespace corvanel::bench {

// Writes 5,000 services and 2,000 activities (UTF-16, as the game's editors
// save them) under `racine`, reads them as the delete command does, and
// prints the time and the bytes read against the bytes on disk; then the
// main window's delete up to its question, answered No.
void mesurerUtilisations(const QString &racine);

} // namespace corvanel::bench
