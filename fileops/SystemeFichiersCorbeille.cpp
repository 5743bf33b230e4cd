// Sending what a command removes to the system's trash, for every platform:
// the trash itself is Qt's (QFile::moveToTrash).
#include "fileops/SystemeFichiers.h"

#include "fileops/SystemeFichiersInterne.h"
#include "platform/ErreurExecution.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QStorageInfo>

#include <cerrno>
#include <cstdio>

namespace corvanel::sf {

namespace {

#ifndef Q_OS_WIN
// Qt (6.4) falls back on the home trash whenever the volume's own cannot be
// used, and when it cannot make that one either (a data folder whose parent
// is missing), it moves the item into the working folder and calls it done.
// Made here first, private as the trash wants; without it, no trash.
bool corbeilleMaisonPrete()
{
    const QString donnees = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    if (donnees.isEmpty() || !QDir().mkpath(donnees))
        return false;
    const QString corbeille = QDir(donnees).filePath(QStringLiteral("Trash"));
    return QFileInfo(corbeille).isDir() ||
           QDir(donnees).mkdir(QStringLiteral("Trash"),
                               QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
}
#endif

void renommerSansRemplacer(const QString &de, const QString &vers)
{
    if (existe(vers))
        throw ErreurExecution(NumErreur::FichierExiste);
    if (std::rename(QFile::encodeName(de).constData(), QFile::encodeName(vers).constData()) != 0)
        throw erreurSysteme(errno);
}

} // namespace

bool interne::versLaCorbeille(const QString &chemin, RefusCorbeille *raison, QString *ou)
{
    RefusCorbeille ignoree;
    if (!raison)
        raison = &ignoree;
    *raison = RefusCorbeille::Refusee;
    if (interne::pannePour(Operation::Corbeille, chemin))
        return false;
#ifndef Q_OS_WIN
    if (!corbeilleMaisonPrete()) {
        *raison = RefusCorbeille::SansCorbeille;
        return false;
    }
    // Qt picks the trash of the volume a link leads to: a link to another
    // volume would have a trash made there and then be refused, one leading
    // nowhere is refused. Deleted as a link instead, nothing made elsewhere.
    if (estLien(chemin) && QStorageInfo(chemin) != QStorageInfo(QFileInfo(chemin).absolutePath()))
        return false;
#endif
    // One rename into the trash: a folder goes whole or stays as it was.
    QString place;
    if (!QFile::moveToTrash(chemin, &place))
        return false;
#ifndef Q_OS_WIN
    // Anywhere but a trash (a relative place is the working folder): put
    // back, and deleted as if there were no trash.
    if (QFileInfo(place).isRelative()) {
        QFile::rename(place, chemin);
        return false;
    }
#endif
    if (ou)
        *ou = place;
    return true;
}

std::optional<QString> versLaCorbeille(const QString &chemin, RefusCorbeille &raison)
{
    interne::verifierPanne(Operation::Suppression, chemin);
    QString place;
    if (!interne::versLaCorbeille(chemin, &raison, &place))
        return std::nullopt;
    return place;
}

void sortirDeLaCorbeille(const QString &place, const QString &chemin)
{
    renommerSansRemplacer(place, chemin);
#ifndef Q_OS_WIN
    // The record beside it would put back a second time what is back.
    const QFileInfo f(place);
    QFile::remove(f.dir().filePath(QStringLiteral("../info/")) + f.fileName() + QStringLiteral(".trashinfo"));
#endif
}

void mettreDeCote(const QString &chemin, const QString &aCote)
{
    interne::verifierPanne(Operation::Suppression, chemin);
    renommerSansRemplacer(chemin, aCote);
}

bool retirer(const QString &chemin, bool corbeille)
{
    if (corbeille) {
        interne::verifierRetrait(chemin);
        if (interne::versLaCorbeille(chemin))
            return true;
    }
    if (estLien(chemin))
        supprimerLien(chemin);
    else if (dossierExiste(chemin))
        supprimerDossier(chemin);
    else
        supprimerFichier(chemin);
    return false;
}

} // namespace corvanel::sf
