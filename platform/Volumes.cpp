#include "platform/Volumes.h"

#include "platform/Texte.h"

#include <QDir>
#include <QHash>
#include <QSet>
#include <QStorageInfo>

#include <algorithm>

#ifdef Q_OS_WIN
#include <windows.h>
#else
#include <QFile>

#include <cerrno>
#include <dirent.h>
#include <unistd.h>
#endif

namespace corvanel {

namespace {

#ifndef Q_OS_WIN
// Kernel and service file systems: nothing a user keeps files on.
bool estPseudo(const QByteArray &type)
{
    static const QSet<QByteArray> pseudos = {
        "proc",        "sysfs",       "cgroup",  "cgroup2",  "devpts",
        "devtmpfs",    "mqueue",      "debugfs", "tracefs",  "securityfs",
        "pstore",      "bpf",         "autofs",  "configfs", "fusectl",
        "hugetlbfs",   "binfmt_misc", "nsfs",    "efivarfs", "rpc_pipefs",
        "nfsd",        "selinuxfs",   "ramfs",   "rootfs",   "fuse.gvfsd-fuse",
        "fuse.portal",
    };
    return pseudos.contains(type);
}

bool estSous(const QString &chemin, QStringView dossier)
{
    return chemin == dossier ||
           (chemin.startsWith(dossier) && chemin.size() > dossier.size() && chemin[dossier.size()] == u'/');
}

bool retenu(const QStorageInfo &volume)
{
    const QString racine = volume.rootPath();
    const QByteArray type = volume.fileSystemType();
    if (estPseudo(type))
        return false;
    if (racine != u"/" && (estSous(racine, u"/proc") || estSous(racine, u"/sys") || estSous(racine, u"/dev")))
        return false;
    // Snap packages each mount a read-only image of their own.
    if (type == "squashfs" && estSous(racine, u"/snap"))
        return false;
    // Memory file systems serve the system (/run, /dev/shm, /tmp...), except
    // a root in memory (live systems) or one mounted where removable media go.
    if (type == "tmpfs")
        return racine == u"/" || estSous(racine, u"/media") || estSous(racine, u"/mnt") ||
               estSous(racine, u"/run/media");
    return true;
}
#endif

QString libelle(const QStorageInfo &volume)
{
#ifdef Q_OS_WIN
    // "c: [SYSTEM]", as Windows drive lists show a drive.
    const QString racine = volume.rootPath();
    QString texte =
        racine.size() >= 2 && racine[1] == u':' ? racine.left(2).toLower() : QDir::toNativeSeparators(racine);
#else
    QString texte = volume.rootPath();
#endif
    const QString nom = volume.name();
    if (!nom.isEmpty())
        texte += QStringLiteral(" [") + nom + u']';
    return texte;
}

QString pourComparer(const QString &chemin)
{
    QString c = QDir::cleanPath(QDir::fromNativeSeparators(chemin));
    if (c.endsWith(u'/') && c.size() > 1)
        c.chop(1);
    return c;
}

constexpr Qt::CaseSensitivity CasseChemins =
#ifdef Q_OS_WIN
    Qt::CaseInsensitive;
#else
    Qt::CaseSensitive;
#endif

} // namespace

QList<Volume> volumesMontes()
{
    QList<QStorageInfo> retenus;
    QHash<QString, qsizetype> places;
    for (const QStorageInfo &volume : QStorageInfo::mountedVolumes()) {
        if (!volume.isValid() || !volume.isReady())
            continue;
#ifndef Q_OS_WIN
        if (!retenu(volume))
            continue;
#endif
        // A folder mounted over twice is one drive, the one mounted last
        // being the one seen there.
        const auto place = places.constFind(volume.rootPath());
        if (place != places.cend()) {
            retenus[*place] = volume;
            continue;
        }
        places.insert(volume.rootPath(), retenus.size());
        retenus.append(volume);
    }

    QList<Volume> volumes;
    volumes.reserve(retenus.size());
    for (const QStorageInfo &volume : retenus)
        volumes.append({avecSeparateurFinal(QDir::toNativeSeparators(volume.rootPath())), libelle(volume)});

    const QString systeme = racineSysteme();
    std::sort(volumes.begin(), volumes.end(), [&](const Volume &a, const Volume &b) {
        const bool aSysteme = a.racine.compare(systeme, CasseChemins) == 0;
        const bool bSysteme = b.racine.compare(systeme, CasseChemins) == 0;
        if (aSysteme != bSysteme)
            return aSysteme;
        return a.racine.compare(b.racine, CasseChemins) < 0;
    });
    return volumes;
}

QString racineDuVolume(const QString &chemin, const QList<Volume> &volumes)
{
    const QString c = pourComparer(chemin);
    QString meilleure;
    qsizetype longueur = -1;
    for (const Volume &volume : volumes) {
        const QString r = pourComparer(volume.racine);
        if (r.isEmpty())
            continue;
        // "/media/usb" holds "/media/usb/x", not "/media/usb2/x".
        const bool tient =
            c.compare(r, CasseChemins) == 0 ||
            (c.startsWith(r, CasseChemins) && (r.endsWith(u'/') || (c.size() > r.size() && c[r.size()] == u'/')));
        if (tient && r.size() > longueur) {
            meilleure = volume.racine;
            longueur = r.size();
        }
    }
    return meilleure;
}

QString racineSysteme()
{
#ifdef Q_OS_WIN
    return avecSeparateurFinal(QDir::toNativeSeparators(QDir::rootPath()));
#else
    return QStringLiteral("/");
#endif
}

QString dossierDepart()
{
#ifdef Q_OS_WIN
    return racineSysteme();
#else
    const QString maison = QDir::cleanPath(QDir::homePath());
    if (QDir::isAbsolutePath(maison) && raisonDossierIllisible(maison).isEmpty())
        return avecSeparateurFinal(maison);
    return racineSysteme();
#endif
}

QString raisonDossierIllisible(const QString &dossier)
{
#ifdef Q_OS_WIN
    const std::wstring motif = (avecSeparateurFinal(QDir::toNativeSeparators(dossier)) + u'*').toStdWString();
    WIN32_FIND_DATAW trouve;
    const HANDLE h = FindFirstFileW(motif.c_str(), &trouve);
    if (h == INVALID_HANDLE_VALUE) {
        const DWORD code = GetLastError();
        // An empty root lists nothing, which is no failure.
        return code == ERROR_FILE_NOT_FOUND ? QString() : qt_error_string(int(code));
    }
    FindClose(h);
    return {};
#else
    const QByteArray natif = QFile::encodeName(dossier);
    DIR *d = ::opendir(natif.constData());
    if (!d)
        return qt_error_string(errno);
    ::closedir(d);
    // Listed but not entered: its sub-folders could not be told apart from
    // its files.
    if (::access(natif.constData(), X_OK) != 0)
        return qt_error_string(errno);
    return {};
#endif
}

} // namespace corvanel
