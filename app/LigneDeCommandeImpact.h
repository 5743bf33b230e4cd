#pragma once
// "--used-by": which services of the game's routes use an invalid consist,
// and which activities run them, as CSV for scripts.
#include <QString>
#include <QStringList>

#include <cstdio>

namespace corvanel {

// One CSV field as RFC 4180 has it: quoted, inner quotes doubled, when it
// holds a comma, a quote, a CR or an LF; as it is otherwise.
QString champCsv(const QString &texte);

// For the game folder in use (DossierMSTS, DossierConsists, DossierTrainset
// set): one line "consist,route,service,activities" per invalid consist and
// service that uses it, to `sortie` (UTF-8, LF); a summary to `erreurs`.
// Returns SortieSain when no invalid consist is used, SortieInvalides when
// one is. Throws ErreurExecution when the consist folder cannot be read.
int executerUtilisations(std::FILE *sortie, std::FILE *erreurs);

} // namespace corvanel
