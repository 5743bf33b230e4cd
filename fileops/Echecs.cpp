#include "fileops/Echecs.h"

#include "app/Interaction.h"

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

} // namespace corvanel
