#include "app/modSubMain.h"

#include "app/LigneDeCommande.h"
#include "app/frmParcourir1.h"
#include "commun/Interaction.h"
#include "commun/Reglages.h"
#include "commun/modDeclarations.h"
#include "localisation/LireLangue.h"
#include "localisation/TraductionsQt.h"
#include "platform/Chemins.h"
#include "platform/ErreurExecution.h"
#include "platform/Instance.h"
#include "platform/Registre.h"
#include "platform/Texte.h"
#include "ui/Modal.h"
#include "ui/Pointeur.h"
#include "ui/frmCorvanel.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QLineEdit>
#include <QScreen>

namespace corvanel {

namespace {
// The game folder last chosen in the folder dialog.
const QString DossierJeu = QStringLiteral("DossierJeu");
} // namespace

QString sousDossierJeu(const QString &dossierMSTS, const QString &relatif)
{
    return avecSeparateurFinal(trouverSansCasse(dossierMSTS, relatif).value_or(dossierMSTS + relatif));
}

void utiliserDossierJeu(const QString &dossierMSTS)
{
    DossierMSTS = avecSeparateurFinal(dossierMSTS);
    DossierConsists = sousDossierJeu(DossierMSTS, QStringLiteral("TRAINS/CONSISTS"));
    DossierTrainset = sousDossierJeu(DossierMSTS, QStringLiteral("TRAINS/TRAINSET"));
}

QString TrouverDossierMSTS(const std::optional<QString> &valeur)
{
    const QString lue = valeur ? QFileInfo(*valeur).absoluteFilePath() : lireDossierMSTSRegistre();
    if (!lue.isEmpty())
        DossierMSTS = lue;
    DossierMSTS = avecSeparateurFinal(DossierMSTS);
    if (estDossierMSTS(DossierMSTS))
        return DossierMSTS;
    // Most players on Linux have no registry value (Open Rails content,
    // another Wine prefix): the folder they showed last time stands in for
    // it, as long as it still holds the game.
    if (!valeur) {
        const QString retenu = reglages().lire(QStringLiteral("Options"), DossierJeu);
        if (!retenu.isEmpty() && estDossierMSTS(avecSeparateurFinal(retenu)))
            return DossierMSTS = avecSeparateurFinal(retenu);
    }

    // A folder given on the command line is named, so a mistyped path is seen.
    const QString question = valeur ? remplacer(texte(QStringLiteral("Errors"), QStringLiteral("Error60")), u"[folder]",
                                                QDir::toNativeSeparators(QFileInfo(*valeur).absoluteFilePath()))
                                    : texte(QStringLiteral("Errors"), QStringLiteral("Error01"));
    if (!interaction().question(question, Icone::Exclamation)) {
        interaction().erreur(texte(QStringLiteral("Errors"), QStringLiteral("Error02")));
        terminerProgramme(1);
    }
    frmParcourir1 dialogue;
    montrerModal(dialogue);
    if (Annule) {
        interaction().erreur(texte(QStringLiteral("Errors"), QStringLiteral("Error02")));
        terminerProgramme(1);
    }
    reglages().ecrire(QStringLiteral("Options"), DossierJeu, DossierMSTS);
    return DossierMSTS;
}

std::unique_ptr<frmCorvanel> Main(const OptionsDemarrage &options, InstanceUnique &instance)
{
    try {
        if (!instance.acquerir())
            return nullptr;
        definirPointeur(Pointeur::FlecheSablier);

        DossierAppli = avecSeparateurFinal(options.dossierAppli.isEmpty() ? dossierProgramme() : options.dossierAppli);
        NomFichierLangue = reglages().lire(QStringLiteral("Options"), QStringLiteral("Langue"), LangueParDefaut);
        FichierLangue = DossierAppli + QStringLiteral("lang/") + NomFichierLangue;
        const bool pourCeLancement = !options.langue.isEmpty();
        if (pourCeLancement)
            choisirLangue(options.langue);
        if (!QFileInfo(FichierLangue).isFile()) {
            NomFichierLangue = LangueParDefaut;
            FichierLangue = DossierAppli + QStringLiteral("lang/") + NomFichierLangue;
            if (!QFileInfo(FichierLangue).isFile()) {
                interaction().erreur(
                    QStringLiteral("Impossible de charger un fichier de langue. Veuillez réinstaller Corvanel."));
                terminerProgramme(1);
            }
        }
        if (!pourCeLancement)
            reglages().ecrire(QStringLiteral("Options"), QStringLiteral("Langue"), NomFichierLangue);
        // Before the first question, so that its buttons are in the language too.
        chargerTraductionsQt(FichierLangue);

        utiliserDossierJeu(TrouverDossierMSTS(options.dossierJeu));

        auto fenetre = std::make_unique<frmCorvanel>();
        fenetre->txtDossierMSTS->setText(QDir::toNativeSeparators(DossierMSTS));
        TraduireFenetrePrincipale(*fenetre, FichierLangue);
        if (QScreen *ecran = QGuiApplication::primaryScreen()) {
            QRect cadre = fenetre->frameGeometry();
            cadre.moveCenter(ecran->availableGeometry().center());
            fenetre->move(cadre.topLeft());
        }
        fenetre->show();
        definirPointeur(Pointeur::ParDefaut);
        return fenetre;
    } catch (const ErreurExecution &e) {
        rapportFatal(VarianteRapport::ErreurNoColle, e);
    }
}

} // namespace corvanel
