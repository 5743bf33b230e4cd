#include "platform/Instance.h"
#include <QLockFile>
// stub: replaced
namespace corvanel {
InstanceUnique::InstanceUnique(const QString &c) : m_chemin(c) {}
InstanceUnique::~InstanceUnique() = default;
bool InstanceUnique::acquerir() { return true; }
QString InstanceUnique::cheminParDefaut() { return {}; }
}
