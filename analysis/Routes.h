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

// What named a missing thing on the way from the activity or timetable: the
// window says through what it is missing, and opens the file that names it.
enum class GenreIntermediaire {
    Fichier,      // the activity or timetable itself (its header, its services)
    Service,      // a service: its consist or its path
    Consist,      // a consist: one of its vehicles
    ConsistLibre, // one of an activity's loose consists
    TrainHoraire  // a timetable's train: its consists or its path
};

struct Intermediaire {
    GenreIntermediaire genre = GenreIntermediaire::Fichier;
    QString nom;     // the service, consist or train, as written; empty for the others
    QString fichier; // the file naming the missing thing; empty for a consist

    bool operator==(const Intermediaire &) const = default;
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
    // Every way the file reaches it, first met first; detail for the window,
    // not part of what the row is.
    QList<Intermediaire> par;

    bool operator==(const ManqueRoute &o) const
    {
        return route == o.route && fichier == o.fichier && effet == o.effet && manquant == o.manquant;
    }
};

// An activity or timetable checked, sound or not.
struct FichierVerifie {
    QString route;   // as on disk
    QString fichier; // as on disk
    QString chemin;  // the whole path
};

struct BilanRoutes {
    qsizetype fichiers = 0;   // activities and timetables checked
    qsizetype bloques = 0;    // that cannot start (or cannot be read)
    qsizetype lacunaires = 0; // that run with gaps only
    // One row per file and missing thing (letter case ignored), sorted by
    // route, file and missing thing, letter case ignored, then exactly.
    QList<ManqueRoute> manques;
    // Every activity and timetable checked, in the order read.
    QList<FichierVerifie> verifies;
};

// Checks every route of `dossierJeu`, whose consists are in
// `dossierConsists` and vehicles in `dossierTrainset`. Never fails: a folder
// that cannot be listed holds nothing, a file that cannot be read is a row.
BilanRoutes verifierRoutes(const QString &dossierJeu, const QString &dossierConsists, const QString &dossierTrainset,
                           Progression *avancement = nullptr);

// One activity or timetable and what it misses, for the window.
struct VerdictFichier {
    FichierVerifie fichier;
    EffetManque pire = EffetManque::Degrade; // the worst effect; says nothing when `manques` is empty
    QList<ManqueRoute> manques;              // in the order of `bilan.manques`
};

// Every file of `bilan.verifies` with its rows, sorted by route and file as
// the rows are.
QList<VerdictFichier> verdictsParFichier(const BilanRoutes &bilan);

// The word of an effect in the CSV, the same in every language.
QString motEffet(EffetManque effet);

// The rows as CSV (RFC 4180, LF): route,file,effect,missing.
QString csvRoutes(const QList<ManqueRoute> &manques);

} // namespace corvanel
