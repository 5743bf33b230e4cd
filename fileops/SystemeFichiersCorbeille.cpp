// Sending what a command removes to the system's trash, for every platform:
// the trash itself is Qt's (QFile::moveToTrash).
#include "fileops/SystemeFichiers.h"

#include "fileops/SystemeFichiersInterne.h"

#include <QFile>
#include <QFileInfo>
#include <QStorageInfo>

namespace corvanel::sf {

namespace {

bool versLaCorbeille(const QString &chemin)
{
    if (interne::pannePour(Operation::Corbeille, chemin))
        return false;
#ifndef Q_OS_WIN
    // Qt picks the trash of the volume a link leads to: a link to another
    // volume would have a trash made there and then be refused, one leading
    // nowhere is refused. Deleted as a link instead, nothing made elsewhere.
    if (estLien(chemin) && QStorageInfo(chemin) != QStorageInfo(QFileInfo(chemin).absolutePath()))
        return false;
#endif
    // One rename into the trash: a folder goes whole or stays as it was.
    return QFile::moveToTrash(chemin);
}

} // namespace

bool retirer(const QString &chemin, bool corbeille)
{
    if (corbeille) {
        interne::verifierRetrait(chemin);
        if (versLaCorbeille(chemin))
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
