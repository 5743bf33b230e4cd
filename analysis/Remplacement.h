#pragma once
// Replacing one vehicle by another in every consist that names it and in
// the loose consists of the routes' activities, and undoing the last
// replacement. Only the two names of each vehicle line change: every other
// byte of a file (byte-order mark, encoding, line ends, an activity's UiD, a
// missing last line end) stays as it was. Each file's original bytes are
// kept in a backup folder first, outside the game's folders.
#include "analysis/Manquants.h"
#include "platform/ErreurExecution.h"

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

namespace corvanel {

// A vehicle file relative to the trainset folder.
struct CheminVehicule {
    QString dossier;   // components as given ("\" or "/")
    QString nom;       // without extension
    QString extension; // ".eng" or ".wag", lower case

    // "Folder/Name.ext" with "/".
    QString texte() const;
};

// "Folder/Name.ext" ("/" or "\" between components, extension ".eng" or
// ".wag" in any case); none for anything else, a component "." or ".."
// included.
std::optional<CheminVehicule> analyserCheminVehicule(const QString &relatif);

// NEW as it must be written into consists: the file found below the trainset
// folder with letter case ignored, spelt as on disk, its folder components
// joined by "\". None when no such file exists or its name cannot stand in a
// consist (a double quote).
std::optional<CheminVehicule> vehiculeSurDisque(const QString &dossierTrainset, const CheminVehicule &demande);

// The new bytes of one consist.
struct Substitution {
    QByteArray octets;          // the whole consist after the change
    int lignes = 0;             // vehicle lines that named OLD
    bool intraduisible = false; // Windows-1252 cannot hold NEW: nothing may change
    bool utf8Invalide = false;  // a line to change is not valid UTF-8: nothing may change
};

// Changes, in a consist's bytes, every sound vehicle line whose extension
// is OLD's and whose folder and name equal OLD's (letter case ignored, "\"
// and "/" alike). A name that stood in quotes stays in quotes; an unquoted
// one whose new text holds a blank gets them. With `seulement` (line numbers
// as lignesVehiculesLibres gives them), no other line is looked at.
Substitution substituer(QByteArrayView octets, const CheminVehicule &ancien, const CheminVehicule &nouveau,
                        const QList<qsizetype> *seulement = nullptr);

// The same for an activity: only the vehicle lines of its loose consists
// (ActivityObjects); none changes in an activity that cannot be taken apart.
Substitution substituerActivite(QByteArrayView octets, const CheminVehicule &ancien, const CheminVehicule &nouveau);

// How the replacement names an activity: "ROUTES/<route>/ACTIVITIES/<file>",
// the route's folder and the file as on disk.
QString cheminActivite(const QString &route, const QString &fichier);

// Why a consist or an activity was left as it was.
enum class Motif {
    Codage,        // Windows-1252 cannot hold NEW
    Utf8Invalide,  // a line to change is not valid UTF-8
    LectureSeule,  // read-only or hidden, and no one to ask (command line)
    Refuse,        // read-only or hidden, and the user said No
    ModifieDepuis, // undo: changed since the replacement
    LienSortant,   // a symbolic link to a file outside the consist (activities) folder
    NomRefuse,     // undo: the manifest names no plain file of the consist folder (no plain route and activity)
    Disparu,       // undo: no longer in the consist (activities) folder
    Echec,         // a failure of the system; `detail` describes it
    DossierRisque, // run as administrator, an activities folder another account could change
};

struct ConsistLaisse {
    QString nom;
    Motif motif;
    QString detail; // for Echec: "Erreur n° ..." as the failure reports read

    bool operator==(const ConsistLaisse &) const = default;
};

struct Bilan {
    QStringList changes; // consists, in the scan's order
    QList<ConsistLaisse> laisses;
    // Activities, as cheminActivite() names them, by route then file.
    QStringList activites;
    QList<ConsistLaisse> activitesLaissees;
    QString sauvegarde; // the backup folder written, if any

    bool vide() const
    {
        return changes.isEmpty() && laisses.isEmpty() && activites.isEmpty() && activitesLaissees.isEmpty();
    }
    bool sansLaisses() const { return laisses.isEmpty() && activitesLaissees.isEmpty(); }
};

// Asked before a read-only or hidden consist is written; false leaves it.
// Without it such a consist is left (Motif::LectureSeule).
using Autorisation = std::function<bool(const QString &nom)>;

struct DemandeRemplacement {
    QString dossierJeu;
    QString dossierConsists;
    CheminVehicule ancien;
    CheminVehicule nouveau;  // as vehiculeSurDisque gives it
    bool simulation = false; // only tell what would change
    Autorisation autoriser;
    Avancement avancement;
    Battement battement;
};

// The backup folder could not be made: nothing was changed.
class SauvegardeImpossible : public ErreurExecution {
public:
    SauvegardeImpossible(const ErreurExecution &e, QString dossier)
        : ErreurExecution(e.numero(), e.description()), dossier(std::move(dossier))
    {
    }
    QString dossier;
};

// Replaces in every consist of the scan, then in the loose consists of every
// activity (ROUTES/*/ACTIVITIES/*.act, letter case ignored). A file that
// fails is reported and the others go on; none is ever left half-written. Throws
// ErreurExecution when the consist folder cannot be listed or the backup
// folder cannot be made (nothing changed then).
Bilan remplacer(const DemandeRemplacement &d);

// How a consist left by a failure is described: "Erreur n° ", the number,
// ". ", the description and a full stop.
QString descriptionEchec(const ErreurExecution &e);

// The backups: "Corvanel/backups/<date-time>/" in the user's data folder.
QString dossierSauvegardes();

// An activity as a manifest notes it: its route's folder and its file, both
// bare names, or a line that is not such a record (`valide` false).
struct ActiviteNotee {
    QString route;
    QString fichier;
    bool valide = false;
};

// The most recent replacement on a game folder not undone yet.
struct Sauvegarde {
    QString dossier;
    QString ancien, nouveau; // as "Folder/Name.ext"
    QDateTime date;
    QStringList consists;
    QList<ActiviteNotee> activites;
};
std::optional<Sauvegarde> derniereSauvegarde(const QString &dossierJeu);

// Restores, byte for byte, the consists and activities of that replacement,
// leaving those changed since (reported as ModifieDepuis); the backup then counts as
// undone. Nothing to undo: an empty Bilan with `sauvegarde` empty.
Bilan annulerDernier(const QString &dossierJeu, const QString &dossierConsists, const Autorisation &autoriser = {},
                     const Avancement &avancement = {}, const Battement &battement = {});

} // namespace corvanel
