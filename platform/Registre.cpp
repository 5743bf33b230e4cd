#include "platform/Registre.h"
// stub: replaced
namespace corvanel {
QString lireDossierMSTSRegistre() { return {}; }
QString prefixeWine() { return {}; }
std::optional<QString> lireValeurRegWine(QByteArrayView, QStringView, QStringView) { return std::nullopt; }
QString traduireCheminWine(const QString &, const QString &) { return {}; }
}
