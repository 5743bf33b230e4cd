#pragma once
// Whether the routes' activities and timetables will run: `corvanel --routes`
// on a generated folder of a large install's size, against the floor of
// reading the same files with plain system calls.
#include "bench/Reparation.h"

#include <QString>

namespace corvanel::bench {

// Adds to the game folder `jeu` (whose consist folder holds at least 20,000
// consists named as the generator names them) 50 routes with 2,000
// activities, 10,000 services and 50 timetables naming every one of those
// consists; prints the floor, `corvanel --routes` (best of three, through
// `meilleure`) and their ratio.
void mesurerActivites(const QString &programme, const QString &jeu, const Lanceur &meilleure);

} // namespace corvanel::bench
