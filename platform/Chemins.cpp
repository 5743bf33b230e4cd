#include "platform/Chemins.h"
// stub: replaced
namespace corvanel {
std::optional<QString> trouverSansCasse(const QString &base, const QString &) { return base; }
bool fichierExisteSansCasse(const QString &, const QString &) { return false; }
bool dossierExisteSansCasse(const QString &, const QString &) { return false; }
QString dossierProgramme() { return {}; }
}
