#pragma once
// What the window and the command line both say of a replacement or an undo.
#include "analysis/Remplacement.h"

#include <QString>
#include <QStringList>

namespace corvanel {

// Message `numero` of the language file in use, and the same with its
// "[num]" filled in.
QString message(int numero);
QString avecNombre(int numero, qsizetype n);

// Texts shared with the window: why a consist, or an activity, was left
// ("[file]" and, for a replacement, "[new]" filled in), and the summary of a
// replacement, a trial run or an undo. `nommerActivites`: the activities
// changed are named too (the command line prints them already).
enum class Resume { Remplacement, Simulation, Annulation };
QString texteLaisse(const ConsistLaisse &l, const QString &nouveau, bool activite = false);
QStringList lignesBilan(const Bilan &b, const QString &nouveau, Resume resume, bool nommerActivites = false);

} // namespace corvanel
