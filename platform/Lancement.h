#pragma once
// Starting another program without waiting for it (the user's text editor).
#include <QString>
#include <QStringList>

namespace corvanel {

// Starts `programme` with `arguments`, each handed over as it is (no shell),
// and returns at once. Returns 0 once it runs, else the system's error number
// (errno) of the failed start, e.g. EACCES for a file that may not be run.
int demarrerDetache(const QString &programme, const QStringList &arguments);

} // namespace corvanel
