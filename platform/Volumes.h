#pragma once
// The mounted volumes, which the folder and program choosers offer as drives.
#include <QString>
#include <QStringList>

namespace corvanel {

struct Volume {
    QString racine;  // root path of the volume, ending in a separator
    QString libelle; // what the drive list shows
};

// Ready, real volumes, the file-system root first; pseudo file systems
// (proc, sysfs, cgroup, ...) are left out.
QList<Volume> volumesMontes();

// The volume that holds a path: the longest root that starts it.
QString racineDuVolume(const QString &chemin, const QList<Volume> &volumes);

// The file-system root where choosers start (the original's "C:\").
QString racineSysteme();

} // namespace corvanel
