#include "fileops/Echecs.h"

#include "commun/Interaction.h"
#include "commun/modDeclarations.h"
#include "fileops/DossierOuvert.h"
#include "fileops/SystemeFichiers.h"
#include "localisation/LireLangue.h"
#include "platform/Texte.h"

#include <QDir>

namespace corvanel {

QString texteEchec(const QString &chemin, const ErreurExecution &e)
{
    return QDir::toNativeSeparators(chemin) + QStringLiteral("\r\n\r\nErreur n° ") + QString::number(e.numero()) +
           QStringLiteral(". ") + e.description() + u'.';
}

void signalerEchec(const QString &chemin, const ErreurExecution &e)
{
    interaction().erreur(texteEchec(chemin, e));
}

sf::AvantSuppressionDefinitive SuppressionDefinitive::pour(const QString &nom)
{
    return [this, nom](sf::RefusCorbeille refus) {
        if (m_tous)
            return true;
        const QString M = QStringLiteral("Messages");
        const QString raison =
            texte(M, refus == sf::RefusCorbeille::SansCorbeille ? QStringLiteral("Msg151") : QStringLiteral("Msg152"));
        const QString t = remplacer(remplacer(texte(M, QStringLiteral("Msg150")), u"[file]", nom), u"[reason]", raison);
        const Reponse r = interaction().message({avecSautsDeLigne(t), Boutons::OuiTousNon, Icone::Exclamation});
        m_tous = r == Reponse::OuiATous;
        return r == Reponse::Oui || m_tous;
    };
}

bool refuserDossierSansEcriture(const QString &dossier)
{
    const QString raison = sf::ecritureRefusee(dossier);
    if (raison.isEmpty())
        return false;
    const QString t = remplacer(texte(QStringLiteral("Errors"), QStringLiteral("Error20")), u"[folder]",
                                QDir::toNativeSeparators(dossier));
    interaction().erreur(avecSautsDeLigne(t) + QStringLiteral("\r\n\r\n") + raison);
    return true;
}

std::optional<QString> refusAdministrateur(const QStringList &dossiers)
{
    if (!sf::privilegie())
        return std::nullopt;
    for (const QString &dossier : dossiers) {
        const auto r = sf::cheminRisque(dossier);
        if (!r)
            continue;
        const QString raison = r->autreCompte ? remplacer(texte(QStringLiteral("Errors"), QStringLiteral("Error41")),
                                                          u"[owner]", r->compte)
                                              : texte(QStringLiteral("Errors"), QStringLiteral("Error42"));
        QString t = remplacer(texte(QStringLiteral("Errors"), QStringLiteral("Error40")), u"[reason]", raison);
        return avecSautsDeLigne(remplacer(t, u"[folder]", QDir::toNativeSeparators(r->chemin)));
    }
    return std::nullopt;
}

bool refuserAdministrateur(const QStringList &dossiers)
{
    const auto refus = refusAdministrateur(dossiers);
    if (refus)
        interaction().erreur(*refus);
    return refus.has_value();
}

std::unique_ptr<sf::DossierOuvert> ouvrirConsistsListes()
{
    std::optional<sf::Identite> liste;
    if (VolumeConsistsListes != 0 || NumeroConsistsListes != 0) {
        liste.emplace();
        liste->volume = VolumeConsistsListes;
        liste->numero = NumeroConsistsListes;
    }
    try {
        return std::make_unique<sf::DossierOuvert>(DossierConsists, liste);
    } catch (const ErreurExecution &e) {
        if (e.numero() != NumErreur::CheminIntrouvable)
            throw;
        return nullptr;
    }
}

QString texteNomDeplace(const QString &chemin)
{
    return avecSautsDeLigne(remplacer(texte(QStringLiteral("Errors"), QStringLiteral("Error43")), u"[file]",
                                      QDir::toNativeSeparators(chemin)));
}

} // namespace corvanel
