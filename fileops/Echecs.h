#pragma once
// The message by which a file command reports one item it could not change
// and then goes on: the item, then the failure as the fatal-error report
// words it, without the report's closing advice, since nothing ends.
#include "platform/ErreurExecution.h"

#include <QString>

namespace corvanel {

// `chemin` shown with the system's separators, an empty line, then
// "Erreur n° ", the number, ". ", the description and a full stop.
QString texteEchec(const QString &chemin, const ErreurExecution &e);

// Shows it: OK, critical icon, title "Corvanel".
void signalerEchec(const QString &chemin, const ErreurExecution &e);

// For the choosers of a folder to write into: tries writing a file into
// `dossier`; when that is refused, says so (Error20 naming the folder, an
// empty line, the system's description) and returns true, so that the
// chooser stays open for another choice.
bool refuserDossierSansEcriture(const QString &dossier);

} // namespace corvanel
