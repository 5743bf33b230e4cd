#pragma once
// Whether each activity and Open Rails timetable of the game's routes will
// run: the paths, services, consists and vehicles it names, and what Open
// Rails does when one is missing. Every folder and file name is looked up in
// any letter case, as the game's own lookups are on Windows; each activity,
// service, timetable and consist is read once.
#include "analysis/Utilisations.h"

#include <QList>
#include <QString>
#include <QStringList>

namespace corvanel {

// Ordered from the mildest: where one thing is met several times in a file,
// the worse effect stands.
enum class EffetManque {
    Degrade,  // a vehicle is skipped (a train left with none is removed)
    Bloque,   // the activity, or that timetable train, cannot start
    Illisible // the file, or a file it names, cannot be read or taken apart
};

// One missing thing of one activity or timetable. `manquant` is
// "PATHS/P.pat", "SERVICES/S.srv", "CONSISTS/C.con" (with its sub-folder) or
// "Folder/Name.eng|.wag" under TRAINSET, spelt as first met; empty on the
// row that says the activity or timetable itself is unreadable.
struct ManqueRoute {
    QString route;   // the route's folder, as on disk
    QString fichier; // the activity or timetable, as on disk
    EffetManque effet = EffetManque::Degrade;
    QString manquant;

    bool operator==(const ManqueRoute &) const = default;
};

struct BilanRoutes {
    qsizetype fichiers = 0;   // activities and timetables checked
    qsizetype bloques = 0;    // that cannot start (or cannot be read)
    qsizetype lacunaires = 0; // that run with gaps only
    // One row per file and missing thing (letter case ignored), sorted by
    // route, file and missing thing, letter case ignored, then exactly.
    QList<ManqueRoute> manques;
};

// Checks every route of `dossierJeu`, whose consists are in
// `dossierConsists` and vehicles in `dossierTrainset`. Never fails: a folder
// that cannot be listed holds nothing, a file that cannot be read is a row.
BilanRoutes verifierRoutes(const QString &dossierJeu, const QString &dossierConsists, const QString &dossierTrainset,
                           Progression *avancement = nullptr);

// The word of an effect in the CSV, the same in every language.
QString motEffet(EffetManque effet);

// The rows as CSV (RFC 4180, LF): route,file,effect,missing.
QString csvRoutes(const QList<ManqueRoute> &manques);

} // namespace corvanel
