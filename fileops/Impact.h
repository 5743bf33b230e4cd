#pragma once
// Before consists leave the consist folder: the routes' services that use
// them stop working, and with them every activity that runs those services.
#include <QStringList>

namespace corvanel {

class frmCorvanel;

// When a service or an Open Rails timetable of the game's routes uses one of
// `consists` (file names as the list shows them), asks whether to go on:
// Yes/No, No the default, exclamation icon, up to ten lines "consist: route /
// service (N activities)" then "consist: route / timetable (timetable)", and
// how many more. The routes are read once, off the
// window's thread, with the progress bar moving; the window's commands and
// status are as before when it returns. True when the command may go on.
bool confirmerUtilisations(frmCorvanel &f, const QStringList &consists);

// Setting "Options"/"Corbeille" (default True): delete and clean-up send
// what they remove to the trash.
bool corbeilleVoulue();

// The completion text of delete and clean-up with, when the trash is used,
// the line that counts what went there.
QString avecLigneCorbeille(const QString &fin, bool corbeille, qsizetype dansLaCorbeille);

// The entries of the invalid-consist list, in its order: the selected ones,
// or all of them.
QStringList consistsChoisis(const frmCorvanel &f, bool tous = false);

} // namespace corvanel
