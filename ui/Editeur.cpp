#include "ui/Commandes.h"

namespace corvanel {

// Not built yet: the command does nothing.
void EditerFichierCourant(frmCorvanel &) {}
void ChoisirEditeur(frmCorvanel &) {}

} // namespace corvanel
