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
#include <QList>
#include <QString>
#include <QStringList>
#include <QStringView>

#include <atomic>
#include <cstdint>

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
struct Avancement {
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
                                            Avancement *avancement = nullptr);

// The token that follows a keyword ending at `fin` in `ligne`: blanks or
// tabs, "(", blanks or tabs, then a quoted token (up to the next quote) or a
// bare one (up to a blank, tab, "(", ")" or quote). Empty when the line does
// not have that shape or the token is empty.
QStringView jetonApres(QStringView ligne, qsizetype fin);

// Letter case ignored, then exactly: a stable order for names that differ
// only in case.
bool avantSansCasse(const QString &a, const QString &b);

} // namespace corvanel
