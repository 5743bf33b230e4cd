#pragma once
// What the routes make of consists: a route's services (ROUTES/<route>/
// SERVICES/*.srv) each run one consist, named by their first Train_Config,
// and its activities (ACTIVITIES/*.act) run services of the same route,
// named by Service_Definition or Player_Service_Definition. Removing a
// consist breaks every activity that runs a service using it.
//
// Files are decoded as consists are. Folder names and extensions match in
// any letter case; names in the files are compared with case ignored. A
// file that cannot be read, is empty or does not follow the layout uses
// nothing; nothing here ever fails.
#include "platform/ListeDossier.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <QStringView>

#include <atomic>
#include <cstdint>
#include <optional>

namespace corvanel {

// One service that uses a consist, and the activities that use it.
struct ServiceUtilisateur {
    QString consist;       // as given (the consist's file name, as the scan lists it)
    QString route;         // the route's folder name, as on disk
    QString service;       // the service's file name without its extension, as on disk
    QStringList activites; // file names without ".act", sorted by sortierSansCasse()

    bool operator==(const ServiceUtilisateur &) const = default;
};

// How far the reading has gone, for a progress bar on another thread: files
// read or passed over, out of the files found.
struct Progression {
    std::atomic<std::int64_t> faits{0};
    std::atomic<std::int64_t> total{0};
};

// The services of `dossierJeu` that use one of `consists` (file names ending
// in ".con"), consist by consist in the order given, each consist's services
// ordered by route and then service, letter case ignored (then exactly).
// Each file is read at most once; services stop at their first Train_Config,
// and only the activities of routes where some service uses one of
// `consists` are read.
QList<ServiceUtilisateur> servicesUtilisant(const QString &dossierJeu, const QStringList &consists,
                                            Progression *avancement = nullptr);

// A file of a route's sub-folder: the folder as found, the entry as listed.
struct FichierRoute {
    QString dossier;
    EntreeDossier entree;
};

struct DossierRoute {
    QString nom;    // as on disk
    QString chemin; // the route's folder
};

// Every folder of the game's ROUTES folder (its name in any letter case; on
// a case-sensitive file system, every folder of that name).
QList<DossierRoute> dossiersRoutes(const QString &dossierJeu);
// The files of `route`'s sub-folder `sousDossier` ("A/B": each component in
// any letter case) whose name ends in one of `extensions` in any letter case,
// with at least one character before it. Not sub-folders.
QList<FichierRoute> fichiersRoute(const QString &route, QStringView sousDossier, const QStringList &extensions);

// The names an Open Rails timetable's file ends in: ".timetable_or",
// ".timetable-or".
const QStringList &extensionsHoraires();

// The whole text of a route's file, decoded as consists are; none when it
// cannot be opened or read.
std::optional<QString> texteDeFichier(const QString &dossier, const EntreeDossier &entree);
// Its bytes as they are; none, with the errno value in `err`, when it cannot
// be opened or read.
std::optional<QByteArray> octetsDeFichier(const QString &dossier, const EntreeDossier &entree, int &err);

// `dossier` and `nom` joined by one separator.
QString joindre(const QString &dossier, const QString &nom);

// The token that follows a keyword ending at `fin` in `ligne`: blanks or
// tabs, "(", blanks or tabs, then a quoted token (up to the next quote) or a
// bare one (up to a blank, tab, "(", ")" or quote). Empty when the line does
// not have that shape or the token is empty.
QStringView jetonApres(QStringView ligne, qsizetype fin);

// Letter case ignored, then exactly: a stable order for names that differ
// only in case.
bool avantSansCasse(const QString &a, const QString &b);

// A timetable of the routes whose trains use a consist.
struct HoraireUtilisateur {
    QString consist; // as given
    QString route;   // as on disk
    QString horaire; // the timetable's file name, as on disk
};

// The timetables of `dossierJeu` whose trains use one of `consists` (file
// names directly in the consist folder), consist by consist in the order
// given, then by route and timetable, letter case ignored.
QList<HoraireUtilisateur> horairesUtilisant(const QString &dossierJeu, const QStringList &consists,
                                            Progression *avancement = nullptr);

} // namespace corvanel
