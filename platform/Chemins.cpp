#include "platform/Chemins.h"

#include "platform/Texte.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStringList>

namespace corvanel {

namespace {

QStringList composants(const QString &relatif)
{
    static const QRegularExpression separateurs(QStringLiteral("[/\\\\]"));
    return relatif.split(separateurs, Qt::SkipEmptyParts);
}

QString joindre(const QString &dossier, const QString &nom)
{
    if (dossier.isEmpty())
        return nom;
    if (dossier.endsWith(u'/') || dossier.endsWith(u'\\'))
        return dossier + nom;
    return dossier + u'/' + nom;
}

#ifndef Q_OS_WIN
// The entry of `dossier` that stands for `nom`: the exact name when it is
// there, otherwise the first (by name, so the choice does not depend on the
// order the file system lists them in) that differs only by case.
std::optional<QString> entreeSansCasse(const QString &dossier, const QString &nom)
{
    const QString exact = joindre(dossier, nom);
    if (QFileInfo::exists(exact))
        return exact;

    const QDir d(dossier.isEmpty() ? QStringLiteral(".") : dossier);
    const QStringList entrees =
        d.entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
    for (const QString &entree : entrees) {
        if (entree.compare(nom, Qt::CaseInsensitive) != 0)
            continue;
        const QString trouve = joindre(dossier, entree);
        // A link pointing nowhere is listed but leads nowhere.
        if (QFileInfo::exists(trouve))
            return trouve;
    }
    return std::nullopt;
}
#endif

} // namespace

std::optional<QString> trouverSansCasse(const QString &base, const QString &relatif)
{
    const QStringList noms = composants(relatif);
#ifdef Q_OS_WIN
    // The file system already ignores case.
    QString chemin = base;
    for (const QString &nom : noms)
        chemin = joindre(chemin, nom);
    if (!noms.isEmpty() && !QFileInfo::exists(chemin))
        return std::nullopt;
    return QDir::toNativeSeparators(chemin);
#else
    QString chemin = base;
    for (const QString &nom : noms) {
        const std::optional<QString> suivant = entreeSansCasse(chemin, nom);
        if (!suivant)
            return std::nullopt;
        chemin = *suivant;
    }
    return chemin;
#endif
}

bool fichierExisteSansCasse(const QString &base, const QString &relatif)
{
    const std::optional<QString> chemin = trouverSansCasse(base, relatif);
    return chemin && QFileInfo(*chemin).isFile();
}

bool dossierExisteSansCasse(const QString &base, const QString &relatif)
{
    const std::optional<QString> chemin = trouverSansCasse(base, relatif);
    return chemin && QFileInfo(*chemin).isDir();
}

QString dossierProgramme()
{
    const QString dossierExe = QCoreApplication::applicationDirPath();
    if (QFileInfo(dossierExe + QStringLiteral("/lang")).isDir())
        return avecSeparateurFinal(QDir::toNativeSeparators(dossierExe));

    // Installed: bin/ and share/corvanel/ under the same prefix, unless the
    // data folder was configured as an absolute path.
    const QString donnees = QStringLiteral(CORVANEL_DATA_DIR_REL);
    const QString dossier = QDir::isAbsolutePath(donnees)
                                ? QDir::cleanPath(donnees)
                                : QDir::cleanPath(dossierExe + QStringLiteral("/../") + donnees);
    return avecSeparateurFinal(QDir::toNativeSeparators(dossier));
}

} // namespace corvanel
