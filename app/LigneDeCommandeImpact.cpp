#include "app/LigneDeCommandeImpact.h"

#include "analysis/Analyse.h"
#include "analysis/Manquants.h"
#include "analysis/MoteurAnalyse.h"
#include "analysis/Routes.h"
#include "analysis/Utilisations.h"
#include "app/LigneDeCommande.h"
#include "commun/modDeclarations.h"
#include "localisation/LireLangue.h"
#include "platform/Texte.h"

namespace corvanel {

namespace {

// The invalid consists of the consist folder, in the scan's order. The one
// place that asks the scan.
QStringList consistsInvalides()
{
    MoteurAnalyse moteur(DossierConsists, DossierTrainset);
    QStringList noms;
    SuiviAnalyse suivi;
    suivi.consist = [&noms](const ConsistJuge &c) {
        if (c.invalide && !c.partiel)
            noms << c.entree->nom;
    };
    moteur.analyser(Profondeur::PremiereFaute, suivi);
    return noms;
}

void ecrireUtf8(std::FILE *f, const QString &texte)
{
    const QByteArray octets = texte.toUtf8();
    std::fwrite(octets.constData(), 1, static_cast<size_t>(octets.size()), f);
}

} // namespace

int executerUtilisations(std::FILE *sortie, std::FILE *erreurs)
{
    const QStringList invalides = consistsInvalides();
    const QList<ServiceUtilisateur> services = servicesUtilisant(DossierMSTS, invalides);
    QString csv;
    QStringList utilises;
    for (const ServiceUtilisateur &s : services) {
        csv += champCsv(s.consist) + u',' + champCsv(s.route) + u',' + champCsv(s.service) + u',' +
               champCsv(s.activites.join(u';')) + u'\n';
        if (utilises.isEmpty() || utilises.constLast() != s.consist)
            utilises << s.consist;
    }
    ecrireUtf8(sortie, csv);
    ecrireUtf8(erreurs, remplacer(texte(QStringLiteral("Messages"), QStringLiteral("Msg97")), u"[num]",
                                  QString::number(utilises.size())) +
                            u'\n');
    return services.isEmpty() ? SortieSain : SortieInvalides;
}

int executerRoutes(std::FILE *sortie, std::FILE *erreurs)
{
    // The summary's texts before any row: a language file without them
    // ends the run with nothing on the standard output.
    const auto message = [](const char *cle) { return texte(QStringLiteral("Messages"), QLatin1String(cle)); };
    const QStringList textes{message("Msg100"), message("Msg101"), message("Msg102")};
    const BilanRoutes bilan = verifierRoutes(DossierMSTS, DossierConsists, DossierTrainset);
    ecrireUtf8(sortie, csvRoutes(bilan.manques));
    QString resume;
    for (const auto &[texteResume, nombre] : {std::pair{textes[0], bilan.fichiers}, std::pair{textes[1], bilan.bloques},
                                              std::pair{textes[2], bilan.lacunaires}})
        resume += remplacer(texteResume, u"[num]", QString::number(nombre)) + u'\n';
    ecrireUtf8(erreurs, resume);
    return bilan.manques.isEmpty() ? SortieSain : SortieInvalides;
}

} // namespace corvanel
