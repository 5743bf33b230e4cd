#include "app/LigneDeCommande.h"

#include "analysis/Analyse.h"
#include "analysis/LecteurConsist.h"
#include "analysis/Vehicules.h"
#include "app/ErreurExecution.h"
#include "app/LigneDeCommandeImpact.h"
#include "app/Reglages.h"
#include "app/Texte.h"
#include "app/modDeclarations.h"
#include "localisation/LireLangue.h"
#include "platform/Chemins.h"

#include <QDateTime>
#include <QFileInfo>

#include <cstdlib>

namespace corvanel {

namespace {

void ecrire(std::FILE *f, const QString &texte)
{
    const QByteArray octets = QString(texte).replace(QStringLiteral("\r\n"), QStringLiteral("\n")).toUtf8();
    std::fwrite(octets.constData(), 1, static_cast<size_t>(octets.size()), f);
}

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

} // namespace

int executerAnalyse(const OptionsAnalyse &options, std::FILE *sortie, std::FILE *erreurs)
{
    choisirLangue(options.langue);

    const QFileInfo jeu(options.dossierJeu);
    if (!jeu.isDir()) {
        ecrire(erreurs, QStringLiteral("corvanel: %1: not a folder\n").arg(options.dossierJeu));
        return SortieInutilisable;
    }
    DossierMSTS = avecSeparateurFinal(jeu.absoluteFilePath());
    const auto consists = trouverSansCasse(DossierMSTS, QStringLiteral("TRAINS/CONSISTS"));
    if (!consists || !QFileInfo(*consists).isDir()) {
        ecrire(erreurs, QStringLiteral("corvanel: %1: no TRAINS/CONSISTS folder in it\n").arg(options.dossierJeu));
        return SortieInutilisable;
    }
    DossierConsists = avecSeparateurFinal(*consists);
    DossierTrainset = avecSeparateurFinal(trouverSansCasse(DossierMSTS, QStringLiteral("TRAINS/TRAINSET"))
                                              .value_or(DossierMSTS + QStringLiteral("TRAINS/TRAINSET")));

    try {
        if (options.mode == OptionsAnalyse::Mode::Utilisations)
            return executerUtilisations(sortie, erreurs);
        const QList<EntreeDossier> fichiers = fichiersConsists(DossierConsists);
        VerificateurVehicules vehicules(DossierTrainset);
        LectureAnticipee lecture(DossierConsists, fichiers);

        if (options.mode == OptionsAnalyse::Mode::Scan) {
            std::int64_t examines = 0;
            std::int64_t invalides = 0;
            for (const EntreeDossier &f : fichiers) {
                if (!estNomConsist(f.nom))
                    continue;
                ++examines;
                if (consistInvalide(DossierConsists, lecture.suivant(), vehicules)) {
                    ++invalides;
                    ecrire(sortie, f.nom + u'\n');
                }
            }
            QString resume = remplacer(texte(QStringLiteral("Messages"), QStringLiteral("Msg02")), u"[num]",
                                       QString::number(examines));
            resume += QStringLiteral("\n\n");
            if (invalides == 0)
                resume += texte(QStringLiteral("Messages"), QStringLiteral("Msg03"));
            else if (invalides == 1)
                resume += texte(QStringLiteral("Messages"), QStringLiteral("Msg04"));
            else
                resume += remplacer(texte(QStringLiteral("Messages"), QStringLiteral("Msg05")), u"[num]",
                                    QString::number(invalides));
            ecrire(erreurs, resume + u'\n');
            return invalides == 0 ? SortieSain : SortieInvalides;
        }

        Rapport rapport(texte(QStringLiteral("Messages"), QStringLiteral("Msg27")));
        for (const EntreeDossier &f : fichiers) {
            if (estNomConsist(f.nom))
                rapport.examiner(DossierConsists, lecture.suivant(), vehicules);
        }
        const QStringList lignes =
            options.mode == OptionsAnalyse::Mode::RapportTexte
                ? lignesTexte(enteteListe(texte(QStringLiteral("Messages"), QStringLiteral("Msg20")),
                                          texte(QStringLiteral("Messages"), QStringLiteral("Msg21")),
                                          QDateTime::currentDateTime()),
                              rapport.lignes())
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
    return m.boutons == Boutons::OuiNon ? Reponse::Non : Reponse::OK;
}

bool InteractionConsole::demarrerProgramme(const QString &, const QStringList &, QString *erreur)
{
    if (erreur)
        *erreur = QStringLiteral("not available from the command line");
    return false;
}

void InteractionConsole::terminer(int)
{
    std::fflush(nullptr);
    std::_Exit(SortieInutilisable);
}

} // namespace corvanel
