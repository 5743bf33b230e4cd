#pragma once
// The commands behind the main window's buttons and menu items, each in the
// file of its subsystem. The window's event procedures only hand over.
namespace corvanel {

class frmCorvanel;

// analysis/
void Rechercher(frmCorvanel &f);            // cmdRechercher
void EnregistrerListe(frmCorvanel &f);      // mnuEnregistrerListe
void OuvrirRapportDetaille(frmCorvanel &f); // cmdRapportDetaille
void OuvrirManquants(frmCorvanel &f);       // mnuManquants
void OuvrirRoutes(frmCorvanel &f);          // mnuRoutes

// fileops/
void SupprimerConsists(frmCorvanel &f);  // cmdSupprimer
void NettoyerRepertoire(frmCorvanel &f); // cmdNettoyer
void ProprietesFichier(frmCorvanel &f);  // mnuProprietesFichier
void DeplacerConsists(frmCorvanel &f);   // cmdDeplacerVers

// ui/ and localisation/
void EditerFichierCourant(frmCorvanel &f); // mnuEditerFichier
void ChoisirEditeur(frmCorvanel &f);       // mnuEditeurFichiers
void AfficherAide(frmCorvanel &f);         // mnuAfficher
void AfficherFAQ(frmCorvanel &f);          // mnuFAQ
void AfficherHistorique(frmCorvanel &f);   // mnuHistorique
void AfficherSiteInternet(frmCorvanel &f); // mnuSiteInternet
void AfficherAPropos(frmCorvanel &f);      // mnuAbout

} // namespace corvanel
