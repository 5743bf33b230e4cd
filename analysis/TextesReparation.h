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

// Texts shared with the window: why a consist was left ("[file]" and, for a
// replacement, "[new]" filled in), and the summary of a replacement or undo.
QString texteLaisse(const ConsistLaisse &l, const QString &nouveau);
QStringList lignesBilan(const Bilan &b, const QString &nouveau, const QString &cleResume);

} // namespace corvanel
