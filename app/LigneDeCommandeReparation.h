#pragma once
// Repairing consists from the command line: the missing stock as CSV,
// replacing a vehicle across consists, undoing the last replacement.
#include "analysis/Remplacement.h"

#include <QString>
#include <QStringList>

#include <cstdio>

namespace corvanel {

struct OptionsReparation {
    enum class Mode { Manquants, Remplacer, Annuler };
    Mode mode = Mode::Manquants;
    QString dossierJeu;
    QString langue;
    QString ancien;  // --from
    QString nouveau; // --to
    bool simulation = false;
};

// --missing: 0 nothing missing, 1 something, 2 the folder cannot be used.
// --replace: 0 every consist naming OLD changed, 1 none names it or some were
// left, 2 it cannot be done. --undo: 0 all restored, 1 nothing to undo or
// some left, 2 the folder cannot be used. Results to `sortie`, the summary
// and every consist left to `erreurs` (both UTF-8, LF).
int executerReparation(const OptionsReparation &options, std::FILE *sortie, std::FILE *erreurs);

} // namespace corvanel
