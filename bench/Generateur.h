#pragma once
// Builds a large, believable game folder for the benchmarks: many consists
// (55% Windows-1252, 40% UTF-16 LE with its mark, 5% UTF-8), thousands of
// trainset folders with distinct names, 5 to 40 vehicle lines a consist
// spelt in mixed letter case, 23% of the consists invalid.
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
};

struct Bilan {
    std::int64_t octets = 0;
    std::int64_t lignesVehicule = 0;
    int invalidesAttendus = 0;
};

// Writes the tree under `racine` (which must exist), deterministically.
Bilan generer(const QString &racine, const Taille &t);

// The names in `dossier` (encoded, ending with "/"), hidden ones left out,
// with plain system calls: what the floor and the copy time start with.
std::vector<QByteArray> nomsDuDossier(const QByteArray &dossier);

// Opens the file, reads it to its end and closes it with plain system calls;
// the bytes read (0 when it cannot be opened). What every floor is made of.
qint64 lireEnEntier(const QByteArray &chemin);

} // namespace corvanel::bench
