// The consist scan behind "Rechercher": lists every invalid consist of the
// consist folder, with progress, a summary and the list commands enabled.
#include "analysis/Analyse.h"
#include "analysis/MoteurAnalyse.h"
#include "commun/Interaction.h"
#include "commun/modDeclarations.h"
#include "fileops/DossierOuvert.h"
#include "localisation/LireLangue.h"
#include "platform/ErreurExecution.h"
#include "platform/Texte.h"
#include "ui/Commandes.h"
#include "ui/Pointeur.h"
#include "ui/frmCorvanel.h"

#include <QAction>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>

#include <memory>

namespace corvanel {

void Rechercher(frmCorvanel &f)
{
    try {
        definirPointeur(Pointeur::Sablier);
        f.occuper();
        f.lstLFI->clear();
        // Running from here on, before the bar first moves: listing a large
        // folder lets events through, the close box among them.
        f.commandeEnCours = true;
        const std::unique_ptr<bool, void (*)(bool *)> finCommande(&f.commandeEnCours, [](bool *b) { *b = false; });
        laisserPasserEvenementsDuProgramme();

        // The bar is brought up to date when events run: moved for every
        // file, it would repaint itself hundreds of times on the spot.
        int valeur = 0;
        Cadence cadence(-1, [&] { f.pbJauge->setValue(valeur); });
        SuiviAnalyse suivi;
        suivi.liste = [&](qsizetype fichiers) {
            f.pbJauge->setMinimum(0);
            f.pbJauge->setMaximum(static_cast<int>(fichiers));
            f.pbJauge->setValue(0);
            f.informations(QStringLiteral(" \r\n") + texte(QStringLiteral("Messages"), QStringLiteral("Msg01")));
            Compteur = 0;
        };
        suivi.avance = [&](qsizetype passes) { valeur = static_cast<int>(passes); };
        suivi.battement = [&cadence] { cadence.battre(); };
        suivi.consist = [&](const ConsistJuge &c) {
            if (c.partiel)
                return;
            ++Compteur;
            if (c.invalide)
                f.ajouterInvalide(c.entree->nom);
        };
        // Noted before the listing: a folder swapped in afterwards is not the
        // one whose names the list shows.
        VolumeConsistsListes = NumeroConsistsListes = 0;
        try {
            const sf::DossierOuvert liste(DossierConsists);
            VolumeConsistsListes = liste.identite().volume;
            NumeroConsistsListes = liste.identite().numero;
        } catch (const sf::NomDeplace &) {
            // A link in its place: no command that changes files acts there.
        } catch (const ErreurExecution &) {
            // Missing: the listing below says so.
        }
        auto moteur = std::make_unique<MoteurAnalyse>(DossierConsists, DossierTrainset);
        moteur->analyser(Profondeur::PremiereFaute, suivi);
        libererSansBloquer(moteur);

        f.pbJauge->setValue(valeur);
        const int trouves = f.lstLFI->count();
        QString resume =
            remplacer(texte(QStringLiteral("Messages"), QStringLiteral("Msg02")), u"[num]", QString::number(Compteur));
        resume += QStringLiteral("\r\n\r\n");
        if (trouves == 0)
            resume += texte(QStringLiteral("Messages"), QStringLiteral("Msg03"));
        else if (trouves == 1)
            resume += texte(QStringLiteral("Messages"), QStringLiteral("Msg04"));
        else
            resume += remplacer(texte(QStringLiteral("Messages"), QStringLiteral("Msg05")), u"[num]",
                                QString::number(trouves));
        f.informations(resume);
        f.pbJauge->setValue(0);

        f.liberer();
        if (trouves > 0) {
            f.cmdDeplacerVers->setEnabled(true);
            f.cmdSupprimer->setEnabled(true);
            f.cmdSelectionner[0]->setEnabled(true);
            f.cmdSelectionner[1]->setEnabled(true);
            f.mnuEnregistrerListe->setEnabled(true);
            f.lstLFI->setEnabled(true);
            f.lstLFI->setCurrentRow(-1, QItemSelectionModel::NoUpdate);
        }
        f.lstLFI_Click();
        definirPointeur(Pointeur::ParDefaut);
    } catch (const ErreurExecution &e) {
        rapportFatal(VarianteRapport::ErreurNo, e);
    }
}

} // namespace corvanel
