// The delete command behind "Supprimer": removes the selected invalid
// consists after one confirmation, asking again for each read-only or
// hidden one, then scans the folder again.
#include "commun/Interaction.h"
#include "commun/modDeclarations.h"
#include "fileops/Echecs.h"
#include "fileops/Impact.h"
#include "fileops/SystemeFichiers.h"
#include "localisation/LireLangue.h"
#include "platform/ErreurExecution.h"
#include "platform/ListeDossier.h"
#include "platform/Texte.h"
#include "ui/Commandes.h"
#include "ui/frmCorvanel.h"

#include <QListWidget>
#include <QProgressBar>

#include <cerrno>

namespace corvanel {

namespace {

QString message(const char *cle)
{
    return texte(QStringLiteral("Messages"), QString::fromLatin1(cle));
}

// One selected consist; returns once it is deleted or left by the user's
// choice. A failure is told with the consist's name and the system's reason,
// and the others go on. True when it went to the trash.
bool supprimerConsist(const sf::DossierOuvert *dossier, const QString &nom, bool corbeille,
                      SuppressionDefinitive &definitive)
{
    const QString chemin = DossierConsists + nom;
    std::optional<sf::EtatAttributs> attributs;
    try {
        // Deleted outside the program since the scan: nothing left to do,
        // as the move treats it. Unless its name on disk is not one the
        // system's encoding can give back: the path misses it, and passing it
        // over as gone would claim a deletion that never happened. Told; the
        // others go on. (A valid name may show the same replacement
        // characters: the path reaches that one first.)
        if (!sf::existe(chemin)) {
            if (nomInjoignable(DossierConsists, nom))
                signalerEchec(chemin, sf::erreurSysteme(EILSEQ));
            return false;
        }
        // The folder was gone when the command began: this is not it.
        if (!dossier)
            throw sf::NomDeplace{chemin};
        if (sf::lireAttributs(chemin) & (sf::LectureSeule | sf::Cache)) {
            const QString question = avecSautsDeLigne(remplacer(message("Msg06"), u"[file]", nom));
            if (!interaction().question(question))
                return false;
            // The folder may have been swapped while the question was open.
            dossier->verifier(nom);
            attributs = sf::rendreNormal(chemin);
        }
        // A folder put there since the scan is not the consist the user chose.
        if (sf::dossierExiste(chemin) && !sf::estLien(chemin))
            throw sf::erreurSysteme(EISDIR);
        switch (dossier->retirer(nom, corbeille, definitive.pour(nom))) {
        case sf::Retrait::Corbeille:
            return true;
        case sf::Retrait::Laisse:
            sf::remettre(chemin, attributs);
            return false;
        case sf::Retrait::Supprime:
            return false;
        }
        return false;
    } catch (const sf::NomDeplace &n) {
        // Its path leads elsewhere now: nothing is put back through it.
        interaction().erreur(texteNomDeplace(n.chemin));
        return false;
    } catch (const ErreurExecution &e) {
        // It may have gone while the question was open.
        if (!sf::existe(chemin))
            return false;
        // A folder the user may not write refuses every consist alike: each
        // is told, none ends the program.
        sf::remettre(chemin, attributs);
        signalerEchec(chemin, e);
        return false;
    }
}

} // namespace

void SupprimerConsists(frmCorvanel &f)
{
    const int choisis = static_cast<int>(f.lstLFI->selectedItems().size());
    if (choisis == 0) {
        interaction().erreur(message("Msg23"));
        return;
    }
    if (refuserAdministrateur({DossierConsists}))
        return;
    const QString avertissement = message("Msg07") + QStringLiteral("\r\n\r\n");
    const QString confirmation = choisis == 1
                                     ? avertissement + message("Msg08")
                                     : avertissement + remplacer(message("Msg09"), u"[num]", QString::number(choisis));
    if (!interaction().question(confirmation, Icone::Exclamation))
        return;
    if (!confirmerUtilisations(f, consistsChoisis(f)))
        return;

    // Held back like the clean-up holds them: a command started from the
    // events let through below would pull the list from under the loop. The
    // closing scan gives every control its state back.
    f.occuper();
    f.informations(QStringLiteral(" \r\n") + message("Msg10"));

    // Opened once: every consist is deleted from the folder the scan listed,
    // whatever its path leads to by the time of each.
    std::unique_ptr<sf::DossierOuvert> dossier;
    try {
        dossier = ouvrirConsistsListes();
    } catch (const sf::NomDeplace &n) {
        interaction().erreur(texteNomDeplace(n.chemin));
        f.cmdRechercher_Click();
        return;
    } catch (const ErreurExecution &e) {
        rapportFatal(VarianteRapport::ErreurNo, e);
    }

    // The entries as they stand now, read once: the loop keeps its place
    // whatever the events let through do to the list.
    struct Entree {
        QString nom;
        bool choisie;
    };
    QList<Entree> entrees;
    for (int i = 0; i < f.lstLFI->count(); ++i)
        entrees.append({f.lstLFI->item(i)->text(), f.lstLFI->item(i)->isSelected()});

    f.pbJauge->setMinimum(0);
    f.pbJauge->setMaximum(static_cast<int>(entrees.size()));
    f.pbJauge->setValue(0);
    const bool corbeille = corbeilleVoulue();
    qsizetype dansLaCorbeille = 0;
    SuppressionDefinitive definitive;
    for (qsizetype i = 0; i < entrees.size(); ++i) {
        Compteur = i;
        interaction().laisserPasserEvenements();
        if (entrees[i].choisie && supprimerConsist(dossier.get(), entrees[i].nom, corbeille, definitive))
            ++dansLaCorbeille;
        f.pbJauge->setValue(static_cast<int>(i + 1));
    }
    f.pbJauge->setValue(0);

    interaction().information(avecLigneCorbeille(message("Msg11"), corbeille, dansLaCorbeille));
    f.cmdRechercher_Click();
}

} // namespace corvanel
