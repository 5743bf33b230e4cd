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

// The file-system root (the system drive's root on Windows).
QString racineSysteme();

// Where the folder choosers open. On Windows "C:\", as Corvanel has always
// opened them there; elsewhere nobody may write to the root, and the user's
// home folder stands in for it: a place the user knows and can write to.
// The root when the home folder cannot be listed.
QString dossierDepart();

// Why a folder cannot be opened in a folder list, in the system's words;
// empty when it can be listed.
QString raisonDossierIllisible(const QString &dossier);

} // namespace corvanel
