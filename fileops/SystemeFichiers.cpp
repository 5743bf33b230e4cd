// Placeholder until the full layer lands: plain Qt calls, no attributes
// beyond read-only, no fault injection.
#include "fileops/SystemeFichiers.h"

#include "app/ErreurExecution.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>

namespace corvanel::sf {

int lireAttributs(const QString &chemin)
{
    const QFileInfo i(chemin);
    if (!i.exists())
        throw ErreurExecution(NumErreur::FichierIntrouvable);
    return i.isWritable() ? 0 : LectureSeule;
}

void definirAttributs(const QString &chemin, int attributs)
{
    auto p = QFile::permissions(chemin);
    if (attributs & LectureSeule)
        p &= ~(QFile::WriteOwner | QFile::WriteUser | QFile::WriteGroup | QFile::WriteOther);
    else
        p |= QFile::WriteOwner | QFile::WriteUser;
    if (!QFile::setPermissions(chemin, p))
        throw ErreurExecution(NumErreur::PermissionRefusee);
}

void supprimerFichier(const QString &chemin)
{
    if (!QFile::remove(chemin))
        throw ErreurExecution(NumErreur::PermissionRefusee);
}

void supprimerDossier(const QString &chemin)
{
    if (!QDir(chemin).removeRecursively())
        throw ErreurExecution(NumErreur::PermissionRefusee);
}

void supprimerLien(const QString &chemin)
{
    supprimerFichier(chemin);
}

void copierFichier(const QString &source, const QString &destination)
{
    QFile::remove(destination);
    if (!QFile::copy(source, destination))
        throw ErreurExecution(NumErreur::PermissionRefusee);
}

void creerDossier(const QString &chemin)
{
    if (!QDir().mkdir(chemin))
        throw ErreurExecution(NumErreur::AccesChemin);
}

QDateTime dateModification(const QString &chemin)
{
    return QFileInfo(chemin).lastModified();
}

std::int64_t taille(const QString &chemin)
{
    return QFileInfo(chemin).size();
}

bool fichierExiste(const QString &chemin)
{
    return QFileInfo(chemin).isFile();
}

bool dossierExiste(const QString &chemin)
{
    return QFileInfo(chemin).isDir();
}

void injecterPanne(Operation, const QString &, int, std::int64_t) {}
void retirerPannes() {}

} // namespace corvanel::sf
