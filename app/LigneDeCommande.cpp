#include "app/LigneDeCommande.h"

#include "analysis/Analyse.h"
#include "analysis/MoteurAnalyse.h"
#include "app/LigneDeCommandeImpact.h"
#include "commun/Reglages.h"
#include "commun/modDeclarations.h"
#include "localisation/LireLangue.h"
#include "platform/Chemins.h"
#include "platform/ErreurExecution.h"
#include "platform/Texte.h"

#include <QDateTime>
#include <QFileInfo>

#include <cstdlib>

namespace corvanel {

using namespace Qt::StringLiterals;

namespace {

QString dossierInutilisable(const char *cle, const QString &dossier)
{
    return remplacer(texte(QStringLiteral("Errors"), QString::fromLatin1(cle)), u"[folder]", dossier);
}

void ecrire(std::FILE *f, const QString &texte)
{
    const QByteArray octets = QString(texte).replace(QStringLiteral("\r\n"), QStringLiteral("\n")).toUtf8();
    std::fwrite(octets.constData(), 1, static_cast<size_t>(octets.size()), f);
}

} // namespace

// The language file: the one given, else the one the window would use.
void choisirLangue(const QString &demandee)
{
    if (!demandee.isEmpty()) {
        const QFileInfo info(demandee);
        const bool chemin = demandee.contains(u'/') || demandee.contains(u'\\') || info.isFile();
        FichierLangue = chemin ? info.absoluteFilePath() : DossierAppli + QStringLiteral("lang/") + demandee;
        NomFichierLangue = QFileInfo(FichierLangue).fileName();
        return;
    }
    NomFichierLangue = reglages().lire(QStringLiteral("Options"), QStringLiteral("Langue"), LangueParDefaut);
    FichierLangue = DossierAppli + QStringLiteral("lang/") + NomFichierLangue;
    if (!QFileInfo(FichierLangue).isFile()) {
        NomFichierLangue = LangueParDefaut;
        FichierLangue = DossierAppli + QStringLiteral("lang/") + NomFichierLangue;
    }
}

void ecrireConsole(std::FILE *f, const QString &texte)
{
    ecrire(f, texte);
}

bool preparerConsole(const QString &langue, const QString &dossierJeu, std::FILE *erreurs)
{
    choisirLangue(langue);
    // A language file that is not there ends the command before any line is
    // written, not after a whole listing has gone to the standard output.
    if (!QFileInfo(FichierLangue).isFile())
        LireLangue(FichierLangue, QStringLiteral("Language"), QStringLiteral("HelpFile"));

    const QFileInfo jeu(dossierJeu);
    if (!jeu.isDir()) {
        ecrire(erreurs, u"corvanel: "_s + dossierInutilisable("Error68", dossierJeu) + u'\n');
        return false;
    }
    DossierMSTS = avecSeparateurFinal(jeu.absoluteFilePath());
    const auto consists = trouverSansCasse(DossierMSTS, QStringLiteral("TRAINS/CONSISTS"));
    if (!consists || !QFileInfo(*consists).isDir()) {
        ecrire(erreurs, u"corvanel: "_s + dossierInutilisable("Error69", dossierJeu) + u'\n');
        return false;
    }
    DossierConsists = avecSeparateurFinal(*consists);
    DossierTrainset = avecSeparateurFinal(trouverSansCasse(DossierMSTS, QStringLiteral("TRAINS/TRAINSET"))
                                              .value_or(DossierMSTS + QStringLiteral("TRAINS/TRAINSET")));
    return true;
}

int executerAnalyse(const OptionsAnalyse &options, std::FILE *sortie, std::FILE *erreurs)
{
    if (!preparerConsole(options.langue, options.dossierJeu, erreurs))
        return SortieInutilisable;

    // Every text the mode needs, before anything is written: a missing or
    // incomplete language file ends the run there, with nothing on stdout.
    const auto message = [](const char *cle) { return texte(QStringLiteral("Messages"), QLatin1String(cle)); };
    QStringList textes;
    if (options.mode == OptionsAnalyse::Mode::Scan)
        textes = {message("Msg02"), message("Msg03"), message("Msg04"), message("Msg05")};
    else if (options.mode == OptionsAnalyse::Mode::RapportTexte)
        textes = {message("Msg27"), message("Msg20"), message("Msg21")};
    else if (options.mode == OptionsAnalyse::Mode::RapportCsv)
        textes = {message("Msg27")};

    try {
        if (options.mode == OptionsAnalyse::Mode::Utilisations)
            return executerUtilisations(sortie, erreurs);
        if (options.mode == OptionsAnalyse::Mode::Routes)
            return executerRoutes(sortie, erreurs);
        MoteurAnalyse moteur(DossierConsists, DossierTrainset);
        SuiviAnalyse suivi;
        if (options.mode == OptionsAnalyse::Mode::Scan) {
            suivi.consist = [&](const ConsistJuge &c) {
                if (c.invalide && !c.partiel)
                    ecrire(sortie, c.entree->nom + u'\n');
            };
            const BilanAnalyse bilan = moteur.analyser(Profondeur::PremiereFaute, suivi);
            QString resume = remplacer(textes[0], u"[num]", QString::number(bilan.consists));
            resume += QStringLiteral("\n\n");
            if (bilan.invalides == 0)
                resume += textes[1];
            else if (bilan.invalides == 1)
                resume += textes[2];
            else
                resume += remplacer(textes[3], u"[num]", QString::number(bilan.invalides));
            ecrire(erreurs, resume + u'\n');
            return bilan.invalides == 0 ? SortieSain : SortieInvalides;
        }

        Rapport rapport(textes[0]);
        suivi.consist = [&](const ConsistJuge &c) { rapport.ajouter(c); };
        moteur.analyser(Profondeur::Entiere, suivi);
        const QStringList lignes =
            options.mode == OptionsAnalyse::Mode::RapportTexte
                ? lignesTexte(enteteListe(textes[1], textes[2], QDateTime::currentDateTime()), rapport.lignes())
                : lignesCsv(rapport.lignes());
        for (const QString &l : lignes)
            ecrire(sortie, l + u'\n');
        return rapport.lignes().isEmpty() ? SortieSain : SortieInvalides;
    } catch (const ErreurExecution &e) {
        ecrire(erreurs, QStringLiteral("corvanel: ") + texteRapportFatal(VarianteRapport::ErreurNo, e) + u'\n');
        return SortieInutilisable;
    }
}

Reponse InteractionConsole::message(const Message &m)
{
    ecrire(m_erreurs, QStringLiteral("corvanel: ") + m.texte + u'\n');
    return m.boutons == Boutons::OK ? Reponse::OK : Reponse::Non;
}

bool InteractionConsole::demarrerProgramme(const QString &, const QStringList &, ErreurExecution *erreur)
{
    if (erreur)
        *erreur = ErreurExecution(NumErreur::AppelIncorrect, QStringLiteral("not available from the command line"));
    return false;
}

void InteractionConsole::terminer(int)
{
    std::fflush(nullptr);
    std::_Exit(SortieInutilisable);
}

} // namespace corvanel
