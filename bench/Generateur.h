#pragma once
// Builds a large, believable game folder for the benchmarks: many consists
// (55% Windows-1252, 40% UTF-16 LE with its mark, 5% UTF-8), thousands of
// trainset folders with distinct names, 5 to 40 vehicle lines a consist
// spelt in mixed letter case, 23% of the consists invalid. Either mostly as
// on disk, or, as add-ons from many authors do, each vehicle in about eight
// letter cases.
#include <QByteArray>
#include <QString>

#include <cstdint>
#include <vector>

namespace corvanel::bench {

struct Taille {
    int consists = 20000;
    int dossiers = 3000;
    int lignesMin = 5; // vehicle lines a consist: about 450,000 for 20,000
    int lignesMax = 40;
    int invalidesPourMille = 230;
    // 0: a vehicle line spelt mostly as on disk, a ninth of its folders and
    // names in capitals, a ninth in small letters; N: each line spelt in one
    // of N letter cases drawn evenly (at most 8).
    int casses = 0;
};

struct Bilan {
    std::int64_t octets = 0;
    std::int64_t lignesVehicule = 0;
    int invalidesAttendus = 0;
    qint64 graphies = 0;        // distinct spellings of the sound vehicle lines
    qint64 vehiculesNommes = 0; // the vehicles they name, letter case ignored
};

// Writes the tree under `racine` (which must exist), deterministically.
Bilan generer(const QString &racine, const Taille &t);

// The names in `dossier` (encoded, ending with "/"), hidden ones left out,
// with plain system calls: what the copy time starts with.
std::vector<QByteArray> nomsDuDossier(const QByteArray &dossier);

} // namespace corvanel::bench
