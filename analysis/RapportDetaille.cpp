// The detailed report's refresh and export, and opening its window.
#include "analysis/Analyse.h"
#include "analysis/Ecriture.h"
#include "analysis/MoteurAnalyse.h"
#include "analysis/frmRapportDetaille.h"
#include "commun/Interaction.h"
#include "commun/modDeclarations.h"
#include "localisation/LireLangue.h"
#include "platform/ErreurExecution.h"
#include "ui/Commandes.h"
#include "ui/Modal.h"
#include "ui/Pointeur.h"
#include "ui/frmCorvanel.h"

#include <QDateTime>
#include <QFileInfo>
#include <QProgressBar>
#include <QPushButton>
#include <QTableView>

#include <algorithm>
#include <memory>

namespace corvanel {

void OuvrirRapportDetaille(frmCorvanel &f)
{
    // A new window each time: the previous report does not survive.
    frmRapportDetaille fenetre(&f);
    montrerModal(fenetre);
}

void frmRapportDetaille::cmdActualiser_Click()
{
    definirPointeur(Pointeur::Sablier);
    m_modele->commencer({texte(QStringLiteral("MSHFlexGrid"), QStringLiteral("MSHFGCol01")),
                         texte(QStringLiteral("MSHFlexGrid"), QStringLiteral("MSHFGCol02")),
                         texte(QStringLiteral("MSHFlexGrid"), QStringLiteral("MSHFGCol03"))});
    MSHFlexGrid->setEnabled(false);
    cmdEnregistrer->setEnabled(false);
    cmdFermer->setEnabled(false);
    cmdActualiser->setEnabled(false);
    // Running from here on, before the bar first moves (see Rechercher).
    commandeEnCours = true;
    const std::unique_ptr<bool, void (*)(bool *)> finCommande(&commandeEnCours, [](bool *b) { *b = false; });
    laisserPasserEvenementsDuProgramme();

    try {
        // Freed with the engine, off the window's thread: tens of thousands
        // of rows and their index on a large installation.
        auto rapport = std::make_unique<Rapport>(texte(QStringLiteral("Messages"), QStringLiteral("Msg27")));
        // The bar and the grid are brought up to date when events run, not
        // for every file: each would repaint on the spot.
        int valeur = 0;
        Cadence cadence(-1, [&] {
            pbJauge->setValue(valeur);
            m_modele->rattraper(rapport->lignes());
        });
        SuiviAnalyse suivi;
        suivi.liste = [&](qsizetype fichiers) {
            // A range of 0 to 0 would turn the bar into a busy indicator.
            pbJauge->setRange(0, std::max<int>(1, static_cast<int>(fichiers)));
            pbJauge->setValue(0);
        };
        suivi.avance = [&](qsizetype passes) { valeur = static_cast<int>(passes); };
        suivi.battement = [&cadence] { cadence.battre(); };
        suivi.consist = [&](const ConsistJuge &c) { rapport->ajouter(c); };
        auto moteur = std::make_unique<MoteurAnalyse>(DossierConsists, DossierTrainset);
        moteur->analyser(Profondeur::Entiere, suivi);
        pbJauge->setValue(valeur);
        m_modele->rattraper(rapport->lignes());
        libererSansBloquer(moteur, rapport);
    } catch (const ErreurExecution &e) {
        rapportFatal(VarianteRapport::ErreurNoSansPoint, e);
    }

    // Nothing found: not even the header row stays.
    if (m_modele->rowCount() == 0)
        m_modele->vider();
    pbJauge->setValue(0);
    cmdFermer->setEnabled(true);
    cmdActualiser->setEnabled(true);
    MSHFlexGrid->setEnabled(true);
    cmdEnregistrer->setEnabled(m_modele->rowCount() > 0);
    definirPointeur(Pointeur::ParDefaut);
}

void frmRapportDetaille::cmdEnregistrer_Click()
{
    const Choix choix = interaction().enregistrerFichier(
        choixEnregistrement(texte(QStringLiteral("Filter"), QStringLiteral("Filter02"))));
    if (!choix)
        return;

    definirPointeur(Pointeur::Sablier);
    const QList<LigneRapport> &lignes = m_modele->lignes();
    // Only the name counts, and only ".csv" in lower case.
    const bool csv = QFileInfo(*choix).fileName().endsWith(u".csv", Qt::CaseSensitive);
    const QByteArray octets = csv ? exportCsv(lignes)
                                  : exportTexte(enteteListe(texte(QStringLiteral("Messages"), QStringLiteral("Msg20")),
                                                            texte(QStringLiteral("Messages"), QStringLiteral("Msg21")),
                                                            QDateTime::currentDateTime()),
                                                lignes);
    // The export ends with the grid's last cell current, as Corvanel 1.0's
    // export did, so the view shows where the saved text ends.
    if (!lignes.isEmpty())
        MSHFlexGrid->setCurrentIndex(m_modele->index(m_modele->rowCount() - 1, 2));
    const std::optional<QString> echec = ecrireFichier(*choix, octets);
    definirPointeur(Pointeur::ParDefaut);
    // A failed save must not pass for a kept report.
    if (echec)
        signalerEchecEcriture(*choix, *echec);
}

} // namespace corvanel
