#pragma once
// Missing stock: every vehicle the consists name that does not exist, how
// many consists name it, and where a file of the same name stands elsewhere
// in the trainset (a vehicle moved to another folder by a newer release).
#include "analysis/LecteurConsist.h"
#include "platform/ListeDossier.h"

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>

#include <functional>

namespace corvanel {

struct VehiculeManquant {
    QString dossier;      // as the first consist of the scan spells it
    QString fichier;      // name and ".eng" or ".wag", spelt likewise
    QStringList consists; // the consists naming it, each once, in the scan's order
    // Files of the same name (letter case ignored) anywhere below the
    // trainset folder: relative paths with "/", sorted without regard to case.
    QStringList ailleurs;
};

// Where a long walk stands: `fait` of `total` consist-folder entries.
using Avancement = std::function<void(qsizetype fait, qsizetype total)>;

// Calls `surVehicule` with every sound vehicle line of every consist of the
// consist folder, in the scan's order, and whether the vehicle exists. The
// one place where the repairs drive the scan. Throws ErreurExecution when
// the folder cannot be listed or a consist cannot be read.
using SurVehicule = std::function<void(const EntreeDossier &consist, const LigneVehicule &v, bool existe)>;
void parcourirConsists(const QString &dossierConsists, const QString &dossierTrainset, const SurVehicule &surVehicule,
                       const Avancement &avancement = {}, const Battement &battement = {});

// The rows: most consists first, then folder, then file, letter case
// ignored. Vehicles are the same when folder ("\" and "/" alike) and file
// match, letter case ignored. Throws as parcourirConsists.
QList<VehiculeManquant> chercherManquants(const QString &dossierConsists, const QString &dossierTrainset,
                                          const Avancement &avancement = {}, const Battement &battement = {});

// Every file below `dossierTrainset` whose name, letter case ignored, is one
// of `noms` (given case-folded): by case-folded name, the paths relative to
// the trainset with "/", sorted without regard to case, then exactly. Links
// to folders are not followed.
QHash<QString, QStringList> trouverDansTrainset(const QString &dossierTrainset, const QSet<QString> &noms);

// Every vehicle file (".eng" or ".wag" as `extension` says, any letter case)
// below the trainset folder, relative with "/", sorted without regard to
// case. Links to folders are not followed.
QStringList vehiculesDuTrainset(const QString &dossierTrainset, const QString &extension);

// The key under which a vehicle is the same whatever its spelling.
QString cleVehicule(QStringView dossier, QStringView fichier);

// Sorts paths without regard to case, then exactly.
void trierSansCasse(QStringList &chemins);

// The rows as CSV (RFC 4180 quoting, UTF-8, LF): folder, file, number of
// consists, the other places joined by ";".
QByteArray csvManquants(const QList<VehiculeManquant> &lignes);
// One CSV field, quoted when it holds a comma, a double quote or a line end.
QString champCsv(const QString &texte);

} // namespace corvanel
