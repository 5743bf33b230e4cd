// Tools > Language: the user picks another language file, remembered for the
// next start; the main window then puts the new texts on itself.
#include "localisation/ChoixLangue.h"
#include "commun/Interaction.h"
#include "commun/Reglages.h"
#include "commun/modDeclarations.h"
#include "localisation/Catalogue.h"
#include "localisation/LireLangue.h"
#include "localisation/TraductionsQt.h"

#include <QFileInfo>

namespace corvanel {

ChoixFichier choixFichierLangue()
{
    ChoixFichier c;
    c.titre = texte(QStringLiteral("Messages"), QStringLiteral("Msg22"));
    c.extensionParDefaut = QStringLiteral("lng");
    c.filtre = texte(QStringLiteral("Filter"), QStringLiteral("Filter03"));
    c.doitExister = true;
    c.dossierInitial = DossierAppli + QStringLiteral("lang");
    return c;
}

bool ChoisirLangue()
{
    const ChoixFichier c = choixFichierLangue();
    // A chooser that fails for any other reason answers like a cancel: going
    // on with empty names would end the program at the next lookup.
    const Choix choisi = interaction().ouvrirFichier(c);
    if (!choisi || choisi->isEmpty())
        return false;
    const QFileInfo info(*choisi);
    // A file that lacks a text would end the program at its first lookup,
    // and at every later start once the setting names it: it is refused
    // before anything changes, and the language in use stays.
    if (const EntreeCatalogue *manque = premiereEntreeManquante(info.absoluteFilePath())) {
        interaction().erreur(texteManquant(manque->section, manque->cle, info.fileName()) + QStringLiteral("\r\n\r\n") +
                             texte(QStringLiteral("Messages"), QStringLiteral("Msg50")));
        return false;
    }
    NomFichierLangue = info.fileName();
    FichierLangue = info.absoluteFilePath();
    // Written before the texts are applied, so the choice is kept even if
    // applying them ends the program on a broken file.
    reglages().ecrire(QStringLiteral("Options"), QStringLiteral("Langue"), NomFichierLangue);
    chargerTraductionsQt(FichierLangue);
    return true;
}

} // namespace corvanel
