#include "app/LigneDeCommandeReparation.h"

#include "analysis/Manquants.h"
#include "analysis/TextesReparation.h"
#include "app/LigneDeCommande.h"
#include "commun/modDeclarations.h"
#include "fileops/DossierOuvert.h"
#include "fileops/Echecs.h"
#include "localisation/LireLangue.h"
#include "platform/Texte.h"

namespace corvanel {

namespace {

void dire(std::FILE *f, const QString &texte)
{
    ecrireConsole(f, texte + u'\n');
}

// The consists, then the activities whose loose consists named OLD.
void direChanges(std::FILE *sortie, const Bilan &b)
{
    for (const QStringList *noms : {&b.changes, &b.activites}) {
        for (const QString &nom : *noms)
            dire(sortie, nom);
    }
}

int manquants(std::FILE *sortie, std::FILE *erreurs)
{
    const QList<VehiculeManquant> lignes = chercherManquants(DossierConsists, DossierTrainset);
    const QByteArray csv = csvManquants(lignes);
    std::fwrite(csv.constData(), 1, static_cast<size_t>(csv.size()), sortie);
    dire(erreurs, avecNombre(61, lignes.size()));
    return lignes.isEmpty() ? SortieSain : SortieInvalides;
}

// OLD and NEW as the replacement needs them, or the reason it cannot be done.
std::optional<QString> verifier(const OptionsReparation &o, CheminVehicule &ancien, CheminVehicule &nouveau)
{
    const auto erreur = [](int numero) {
        return texte(QStringLiteral("Errors"), QStringLiteral("Error%1").arg(numero));
    };
    for (const QString *chemin : {&o.ancien, &o.nouveau}) {
        if (!analyserCheminVehicule(*chemin))
            return remplacer(erreur(32), u"[file]", *chemin);
    }
    ancien = *analyserCheminVehicule(o.ancien);
    const CheminVehicule demande = *analyserCheminVehicule(o.nouveau);
    if (demande.extension != ancien.extension)
        return remplacer(remplacer(erreur(31), u"[old]", o.ancien), u"[new]", o.nouveau);
    const auto trouve = vehiculeSurDisque(DossierTrainset, demande);
    if (!trouve)
        return remplacer(erreur(30), u"[new]", o.nouveau);
    nouveau = *trouve;
    return std::nullopt;
}

// Run as administrator, a folder another account could swap stops a command
// that writes, before anything is read.
bool refuse(std::FILE *erreurs)
{
    const auto refus = refusAdministrateur({DossierConsists});
    if (refus)
        dire(erreurs, QStringLiteral("corvanel: ") + *refus);
    return refus.has_value();
}

int remplacement(const OptionsReparation &o, std::FILE *sortie, std::FILE *erreurs)
{
    if (!o.simulation && refuse(erreurs))
        return SortieInutilisable;
    CheminVehicule ancien, nouveau;
    if (const auto raison = verifier(o, ancien, nouveau)) {
        dire(erreurs, QStringLiteral("corvanel: ") + *raison);
        return SortieInutilisable;
    }
    DemandeRemplacement d;
    d.dossierJeu = DossierMSTS;
    d.dossierConsists = DossierConsists;
    d.ancien = ancien;
    d.nouveau = nouveau;
    d.simulation = o.simulation;
    Bilan b;
    try {
        b = remplacer(d);
    } catch (const SauvegardeImpossible &e) {
        QString t = remplacer(texte(QStringLiteral("Errors"), QStringLiteral("Error33")), u"[folder]", e.dossier);
        dire(erreurs, QStringLiteral("corvanel: ") + remplacer(t, u"[error]", descriptionEchec(e)));
        return SortieInutilisable;
    }
    direChanges(sortie, b);
    if (b.vide()) {
        dire(erreurs, remplacer(message(63), u"[old]", ancien.texte()));
        return SortieInvalides;
    }
    for (const QString &l : lignesBilan(b, nouveau.texte(), o.simulation ? Resume::Simulation : Resume::Remplacement))
        dire(erreurs, l);
    return b.sansLaisses() ? SortieSain : SortieInvalides;
}

int annulation(std::FILE *sortie, std::FILE *erreurs)
{
    if (refuse(erreurs))
        return SortieInutilisable;
    const Bilan b = annulerDernier(DossierMSTS, DossierConsists);
    if (b.sauvegarde.isEmpty()) {
        dire(erreurs, message(74));
        return SortieInvalides;
    }
    direChanges(sortie, b);
    for (const QString &l : lignesBilan(b, {}, Resume::Annulation))
        dire(erreurs, l);
    return b.sansLaisses() ? SortieSain : SortieInvalides;
}

} // namespace

int executerReparation(const OptionsReparation &options, std::FILE *sortie, std::FILE *erreurs)
{
    if (!preparerConsole(options.langue, options.dossierJeu, erreurs))
        return SortieInutilisable;
    try {
        switch (options.mode) {
        case OptionsReparation::Mode::Manquants:
            return manquants(sortie, erreurs);
        case OptionsReparation::Mode::Remplacer:
            return remplacement(options, sortie, erreurs);
        case OptionsReparation::Mode::Annuler:
            return annulation(sortie, erreurs);
        }
    } catch (const ErreurExecution &e) {
        dire(erreurs, QStringLiteral("corvanel: ") + texteRapportFatal(VarianteRapport::ErreurNo, e));
    } catch (const sf::NomDeplace &n) {
        dire(erreurs, QStringLiteral("corvanel: ") + texteNomDeplace(n.chemin));
    }
    return SortieInutilisable;
}

} // namespace corvanel
