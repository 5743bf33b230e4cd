#include "ui/Commandes.h"

namespace corvanel {

// Not built yet: the command does nothing.
void NettoyerRepertoire(frmCorvanel &) {}

} // namespace corvanel
