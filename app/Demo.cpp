#include "app/Demo.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTextStream>

namespace corvanel {

namespace {
// Attributes git cannot keep (read-only), listed beside the demo.
const QString FichierAttributs = QStringLiteral(".demo-attributes");
const QString PrefixeTemporaire = QStringLiteral("corvanel-demo-");
const QString NomJeu = QStringLiteral("MSTS");
} // namespace

QString copierDemo(const QString &dossierDemo, QString *erreur)
{
    const QDir source(dossierDemo);
    if (!QFileInfo(dossierDemo).isDir()) {
        *erreur = QStringLiteral("demo folder not found: %1").arg(dossierDemo);
        return {};
    }
    QTemporaryDir temp(QDir::tempPath() + u'/' + PrefixeTemporaire + QStringLiteral("XXXXXX"));
    if (!temp.isValid()) {
        *erreur = temp.errorString();
        return {};
    }
    temp.setAutoRemove(false);
    const QString cible = temp.path() + u'/' + NomJeu;
    QDirIterator it(dossierDemo, QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    QDir().mkpath(cible);
    while (it.hasNext()) {
        const QString chemin = it.next();
        const QString relatif = source.relativeFilePath(chemin);
        if (relatif == FichierAttributs || relatif == QStringLiteral(".gitattributes"))
            continue;
        const QString destination = cible + u'/' + relatif;
        if (it.fileInfo().isDir()) {
            QDir().mkpath(destination);
        } else {
            QDir().mkpath(QFileInfo(destination).absolutePath());
            QFile::remove(destination);
            if (!QFile::copy(chemin, destination)) {
                *erreur = QStringLiteral("cannot copy %1").arg(relatif);
                return {};
            }
            QFile::setPermissions(destination, QFile::permissions(destination) | QFile::WriteOwner);
        }
    }
    QFile attributs(source.filePath(FichierAttributs));
    if (attributs.open(QIODevice::ReadOnly | QIODevice::Text)) {
        QTextStream flux(&attributs);
        while (!flux.atEnd()) {
            const QString ligne = flux.readLine().trimmed();
            if (ligne.startsWith(QLatin1String("readonly "))) {
                const QString f = cible + u'/' + ligne.mid(9);
                QFile::setPermissions(f, QFile::permissions(f) & ~(QFile::WriteOwner | QFile::WriteUser |
                                                                   QFile::WriteGroup | QFile::WriteOther));
            }
        }
    }
    return cible;
}

void supprimerDemo(const QString &copie)
{
    // Only what copierDemo made: a path that merely names another folder
    // must never lead to removing it.
    const QFileInfo jeu(copie);
    const QFileInfo temporaire(jeu.absolutePath());
    if (copie.isEmpty() || jeu.fileName() != NomJeu || !temporaire.fileName().startsWith(PrefixeTemporaire) ||
        temporaire.absolutePath() != QFileInfo(QDir::tempPath()).absoluteFilePath())
        return;
    QDir(temporaire.absoluteFilePath()).removeRecursively();
}

} // namespace corvanel
