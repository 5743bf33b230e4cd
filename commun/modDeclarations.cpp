#include "commun/modDeclarations.h"

namespace corvanel {

QString DossierAppli;
QString NomFichierLangue;
QString FichierLangue;
QString DossierMSTS;
QString DossierConsists;
QString DossierTrainset;
std::uint64_t VolumeConsistsListes = 0;
std::uint64_t NumeroConsistsListes = 0;
bool Annule = false;
std::int64_t Compteur = 0;
std::int64_t Compteur2 = 0;

void reinitialiserDeclarations()
{
    DossierAppli.clear();
    NomFichierLangue.clear();
    FichierLangue.clear();
    DossierMSTS.clear();
    DossierConsists.clear();
    DossierTrainset.clear();
    VolumeConsistsListes = 0;
    NumeroConsistsListes = 0;
    Annule = false;
    Compteur = 0;
    Compteur2 = 0;
}

} // namespace corvanel
