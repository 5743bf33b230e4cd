#include "localisation/LireLangue.h"

#include "commun/Interaction.h"
#include "commun/modDeclarations.h"
#include "localisation/Catalogue.h"
#include "localisation/FichierIni.h"
#include "platform/ErreurExecution.h"
#include "platform/Texte.h"

#include <QFileInfo>

namespace corvanel {

QString texteManquant(const QString &Section, const QString &Cle, const QString &nomFichier)
{
    return QStringLiteral("La section [") + Section + QStringLiteral("] ou la clé \"") + Cle +
           QStringLiteral("\" n'existe pas dans le fichier de langue \"") + nomFichier + QStringLiteral("\".");
}

QString LireLangue(const QString &Fichier, const QString &Section, const QString &Cle, bool Obligatoire)
{
    // These messages cannot come from the language file whose failure they
    // report, so they are written here, in French. They name the file by its
    // bare name (NomFichierLangue) even when another path was looked up.
    if (!QFileInfo(Fichier).isFile()) {
        interaction().erreur(QStringLiteral("Le fichier de langue suivant n'existe pas : ") + NomFichierLangue +
                             QStringLiteral("\r\n\r\nImpossible de continuer."));
        terminerProgramme(1);
    }

    try {
        const QString texteLu = sansBlancs(lireCleIniFichier(Fichier, Section, Cle));
        if (Obligatoire && texteLu.isEmpty()) {
            interaction().erreur(texteManquant(Section, Cle, NomFichierLangue) +
                                 QStringLiteral("\r\n\r\nVeuillez corriger le problème, puis relancer Corvanel."));
            terminerProgramme(1);
        }
        return avecSautsDeLigne(texteLu);
    } catch (const ErreurExecution &e) {
        rapportFatal(VarianteRapport::ErreurNo, e);
    }
}

QString texte(const QString &Section, const QString &Cle)
{
    const EntreeCatalogue *entree = entreeCatalogue(Section, Cle);
    if (!entree || !entree->repliDefaut)
        return LireLangue(FichierLangue, Section, Cle, true);
    const QString lu = LireLangue(FichierLangue, Section, Cle, false);
    if (!lu.isEmpty())
        return lu;
    // A newer key missing from an older or translated file: the default
    // file's text, and failing that the key itself, never an end.
    const QString defaut = DossierAppli + QStringLiteral("lang/") + LangueParDefaut;
    if (QFileInfo(defaut).isFile()) {
        const QString repli = LireLangue(defaut, Section, Cle, false);
        if (!repli.isEmpty())
            return repli;
    }
    return Cle;
}

} // namespace corvanel
