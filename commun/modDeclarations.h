#pragma once
// The program's shared state: the folders every command works on, the
// language file in use, and the flags and counters that the windows and
// commands hand to each other. Folders always end in one native separator.
#include <QString>

#include <cstdint>

namespace corvanel {

inline const QString LangueParDefaut = QStringLiteral("crv-1.0.7-french.lng");
inline const QString TitreFenetre = QStringLiteral("Corvanel Version 1.0.7");

extern QString DossierAppli;
extern QString NomFichierLangue;
extern QString FichierLangue;
extern QString DossierMSTS;
extern QString DossierConsists;
extern QString DossierTrainset;
// The consist folder the last scan listed (volume and file number; 0 and 0
// before any scan): the delete and the move act on that folder alone.
extern std::uint64_t VolumeConsistsListes;
extern std::uint64_t NumeroConsistsListes;
// Cancel flag of the modal dialogs.
extern bool Annule;
// Shared list-loop counter; wide enough for the largest installations.
extern std::int64_t Compteur;
extern std::int64_t Compteur2;

// Back to the values at program start (used by tests between cases).
void reinitialiserDeclarations();

} // namespace corvanel
