#pragma once
// The repair commands' figures: `--missing` against `--report` on the same
// tree, and replacing a vehicle named by many consists (then undoing it)
// against copying those consists, which is the least a safe replacement
// must do: it keeps a copy of each before writing it.
#include <QString>
#include <QStringList>

#include <functional>

namespace corvanel::bench {

struct Temps {
    double secondes = 0;
    long memoireKo = 0;
    int code = -1;
};
using Lanceur = std::function<Temps(const QStringList &arguments)>;

// `une` runs a command once, `meilleure` keeps the best of three. The
// replacement's tree goes under `racine`.
void mesurerReparation(const QString &programme, const QString &jeu, const QString &racine, int consists,
                       const Lanceur &une, const Lanceur &meilleure);

} // namespace corvanel::bench
