// The external text editor: opening a consist in it and choosing it.
#include "ui/Editeur.h"

#include "commun/Interaction.h"
#include "commun/Reglages.h"
#include "commun/modDeclarations.h"
#include "localisation/LireLangue.h"
#include "platform/ErreurExecution.h"
#include "platform/Texte.h"
#include "ui/Commandes.h"
#include "ui/Modal.h"
#include "ui/frmCorvanel.h"
#include "ui/frmParcourir2.h"

#include <QFileInfo>
#include <QListWidget>

namespace corvanel {

namespace {

QString editeurRegle()
{
    return reglages().lire(QStringLiteral("Options"), QStringLiteral("Editeur"));
}

// FileExists: a folder of that name does not count.
bool fichierExiste(const QString &chemin)
{
    return !chemin.isEmpty() && QFileInfo(chemin).isFile();
}

} // namespace

void EditerFichier(const QString &Fichier)
{
    const QString editeur = sansBlancs(editeurRegle());
    if (editeur.isEmpty()) {
        interaction().erreur(texte(QStringLiteral("Errors"), QStringLiteral("Error09")));
        return;
    }
    if (!fichierExiste(editeur)) {
        interaction().erreur(texte(QStringLiteral("Errors"), QStringLiteral("Error10")));
        return;
    }
    // The path goes over as one argument and no shell reads it: quotes, ";"
    // or "$" in a consist's name stay part of the name and run nothing.
    ErreurExecution erreur(NumErreur::AppelIncorrect);
    if (!interaction().demarrerProgramme(editeur, {sansBlancs(Fichier)}, &erreur))
        rapportFatal(VarianteRapport::ErreurNoSansPoint, erreur);
}

void EditerFichierCourant(frmCorvanel &f)
{
    const int courant = f.lstLFI->currentRow();
    if (courant < 0)
        return;
    EditerFichier(DossierConsists + f.lstLFI->item(courant)->text());
}

void ChoisirEditeur(frmCorvanel &f)
{
    // The question tests the setting as stored, blanks and all; only
    // EditerFichier trims it.
    if (fichierExiste(editeurRegle())) {
        const QString question = avecSautsDeLigne(
            remplacer(texte(QStringLiteral("Messages"), QStringLiteral("Msg29")), u"[editor]", editeurRegle()));
        if (!interaction().question(question))
            return;
    }
    frmParcourir2 choix(&f);
    montrerModal(choix);
}

} // namespace corvanel
