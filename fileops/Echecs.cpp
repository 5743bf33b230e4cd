#include "fileops/Echecs.h"

#include "commun/Interaction.h"
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

} // namespace corvanel
