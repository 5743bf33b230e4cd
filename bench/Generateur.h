#pragma once
// Builds a large, believable game folder for the benchmarks: many consists
// (half of them UTF-16 with a byte-order mark, as the game's editors save
// them), thousands of trainset folders, a share of missing vehicles and
// unsound lines, names in mixed letter case.
#include <QString>

#include <cstdint>

namespace corvanel::bench {

struct Taille {
    int consists = 20000;
    int dossiers = 3000;
    int vehiculesParConsist = 22; // about 450,000 vehicle lines for 20,000
};

struct Bilan {
    std::int64_t octets = 0;
    std::int64_t lignesVehicule = 0;
    int invalidesAttendus = 0;
};

// Writes the tree under `racine` (which must exist), deterministically.
Bilan generer(const QString &racine, const Taille &t);

} // namespace corvanel::bench
