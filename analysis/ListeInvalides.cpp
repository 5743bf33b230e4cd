// Saving the invalid-consist list as a text file.
#include "analysis/Analyse.h"
#include "analysis/Ecriture.h"
#include "localisation/LireLangue.h"
#include "ui/Commandes.h"
#include "ui/Pointeur.h"
#include "ui/frmCorvanel.h"

#include <QDateTime>
#include <QListWidget>

namespace corvanel {

void EnregistrerListe(frmCorvanel &f)
{
    const Choix choix = interaction().enregistrerFichier(
        choixEnregistrement(texte(QStringLiteral("Filter"), QStringLiteral("Filter01"))));
    if (!choix)
        return;

    definirPointeur(Pointeur::Sablier);
    // Every entry, selected or not, in list order.
    QStringList noms;
    noms.reserve(f.lstLFI->count());
    for (int i = 0; i < f.lstLFI->count(); ++i)
        noms << f.lstLFI->item(i)->text();
    const QStringList entete =
        enteteListe(texte(QStringLiteral("Messages"), QStringLiteral("Msg20")),
                    texte(QStringLiteral("Messages"), QStringLiteral("Msg21")), QDateTime::currentDateTime());
    const std::optional<QString> echec = ecrireFichier(*choix, listeTexte(entete, noms));
    definirPointeur(Pointeur::ParDefaut);
    // A save that failed is said, so the user never believes a list was
    // kept that is not on the disk.
    if (echec)
        signalerEchecEcriture(*choix, *echec);
}

} // namespace corvanel
