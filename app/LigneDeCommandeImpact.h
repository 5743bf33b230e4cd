#pragma once
// "--used-by": which services of the game's routes use an invalid consist,
// and which activities run them; "--routes": whether each activity and
// timetable will run. CSV for scripts.
#include <QString>
#include <QStringList>

#include <cstdio>

namespace corvanel {

// For the game folder in use (DossierMSTS, DossierConsists, DossierTrainset
// set): one line "consist,route,service,activities" per invalid consist and
// service that uses it, to `sortie` (UTF-8, LF); a summary to `erreurs`.
// Returns SortieSain when no invalid consist is used, SortieInvalides when
// one is. Throws ErreurExecution when the consist folder cannot be read.
int executerUtilisations(std::FILE *sortie, std::FILE *erreurs);

// "--routes": one line "route,file,effect,missing" per activity or timetable
// and thing it names that is missing (or the file unreadable), to `sortie`;
// the counts to `erreurs`. SortieSain when nothing is missing, else
// SortieInvalides.
int executerRoutes(std::FILE *sortie, std::FILE *erreurs);

} // namespace corvanel
