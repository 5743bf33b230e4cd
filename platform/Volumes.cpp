#include "platform/Volumes.h"
// stub: replaced
namespace corvanel {
QList<Volume> volumesMontes() { return {{QStringLiteral("/"), QStringLiteral("/")}}; }
QString racineDuVolume(const QString &, const QList<Volume> &) { return QStringLiteral("/"); }
QString racineSysteme() { return QStringLiteral("/"); }
}
