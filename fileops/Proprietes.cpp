#include "ui/Commandes.h"

namespace corvanel {

// Not built yet: the command does nothing.
void ProprietesFichier(frmCorvanel &) {}

} // namespace corvanel
