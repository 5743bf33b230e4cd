#include "ui/Commandes.h"

namespace corvanel {

// Not built yet: the command does nothing.
void AfficherAide(frmCorvanel &) {}
void AfficherFAQ(frmCorvanel &) {}
void AfficherHistorique(frmCorvanel &) {}
void AfficherSiteInternet(frmCorvanel &) {}
void AfficherAPropos(frmCorvanel &) {}

} // namespace corvanel
