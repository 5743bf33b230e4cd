// The file-operation layer: injected failures, what every platform
// shares, and the POSIX attributes and deletions (copies are in
// SystemeFichiersCopie.cpp, Windows in SystemeFichiersWin.cpp).
#include "fileops/SystemeFichiers.h"

#include "fileops/SystemeFichiersInterne.h"

#include <QFileInfo>
#include <QMutex>
#include <QMutexLocker>

#include <algorithm>
#include <cerrno>
#include <vector>

#ifndef Q_OS_WIN
#include <QFile>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>
#endif

namespace corvanel::sf {

namespace interne {

namespace {
QMutex g_verrou;
std::vector<Panne> g_pannes;
} // namespace

std::optional<Panne> pannePour(Operation operation, const QString &chemin)
{
    const QMutexLocker verrou(&g_verrou);
    for (const Panne &p : g_pannes) {
        if ((p.operation == operation || p.operation == Operation::Toutes) && chemin.contains(p.fragment))
            return p;
    }
    return std::nullopt;
}

void verifierPanne(Operation operation, const QString &chemin)
{
    if (const auto p = pannePour(operation, chemin))
        throw erreurSysteme(p->err);
}

bool nonSupporte(int err)
{
    return err == ENOTSUP || err == EOPNOTSUPP;
}

bool sansAttributsEtendus(const QString &chemin)
{
    const auto p = pannePour(Operation::Attributs, chemin);
    if (!p)
        return false;
    if (nonSupporte(p->err))
        return true;
    throw erreurSysteme(p->err);
}

bool nomCache(const QString &chemin)
{
    QStringView n(chemin);
    while (n.size() > 1 && (n.endsWith(u'/') || n.endsWith(u'\\')))
        n.chop(1);
    const qsizetype barre = std::max(n.lastIndexOf(u'/'), n.lastIndexOf(u'\\'));
    n = n.mid(barre + 1);
    return n.startsWith(u'.') && n != u"." && n != u"..";
}

// "0x" and hexadecimal digits, up to the first null: Wine's form, and the
// head of Samba's longer binary form. Anything else stored counts as 0, as
// Wine reads it.
int analyserAttributsDos(QByteArrayView brut)
{
    const qsizetype nul = brut.indexOf('\0');
    const QByteArrayView texte = nul >= 0 ? brut.first(nul) : brut;
    if (texte.size() <= 2 || texte[0] != '0' || (texte[1] != 'x' && texte[1] != 'X'))
        return 0;
    bool ok = false;
    const uint valeur = texte.sliced(2).toUInt(&ok, 16);
    return ok ? static_cast<int>(valeur & 0x7fffffff) : 0;
}

} // namespace interne

void injecterPanne(Operation operation, const QString &fragment, int err, std::int64_t apresOctets)
{
    const QMutexLocker verrou(&interne::g_verrou);
    interne::g_pannes.push_back({operation, fragment, err, apresOctets});
}

void retirerPannes()
{
    const QMutexLocker verrou(&interne::g_verrou);
    interne::g_pannes.clear();
}

ErreurExecution erreurSysteme(int err)
{
    const ErreurExecution e = ErreurExecution::depuisErrno(err);
    // Where the classic number says it all, its description alone reads as
    // the game's platform would; elsewhere ("Erreur d'accès au chemin" for a
    // file system without extended attributes, "Permission refusée" for a
    // read-only medium) the system's words tell the user what happened.
    switch (err) {
    case ENOENT:
    case EACCES:
    case EPERM:
    case ENOSPC:
    case EEXIST:
        return e;
    default:
        return ErreurExecution(e.numero(),
                               e.description() + QStringLiteral(" (") + qt_error_string(err) + QStringLiteral(")"));
    }
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

#ifndef Q_OS_WIN

namespace {

using namespace interne;

constexpr const char *NomAttributsDos = "user.DOSATTRIB";
// The DOS bits this layer sets; read-only lives in the permission bits.
constexpr int BitsGeres = Cache | Archive;
constexpr mode_t BitsEcriture = S_IWUSR | S_IWGRP | S_IWOTH;

QByteArray natif(const QString &chemin)
{
    return QFile::encodeName(chemin);
}

struct stat etat(const QString &chemin, bool dossierAttendu = false)
{
    struct stat st {};
    if (::lstat(natif(chemin).constData(), &st) != 0) {
        const int err = errno;
        if (err == ENOENT && dossierAttendu)
            throw ErreurExecution(NumErreur::CheminIntrouvable);
        throw erreurSysteme(err);
    }
    return st;
}

mode_t masqueCreation()
{
    static const mode_t masque = [] {
        const mode_t m = ::umask(022);
        ::umask(m);
        return m;
    }();
    return masque;
}

// The stored value; none when nothing is stored or the file system keeps no
// extended attributes. A value that cannot be read counts as none, as it
// does for Wine: the file stays usable.
std::optional<int> valeurStockee(const QByteArray &chemin, bool sansXattr)
{
    if (sansXattr)
        return std::nullopt;
    QByteArray tampon(128, Qt::Uninitialized);
    for (int essai = 0; essai < 3; ++essai) {
        const ssize_t n = ::lgetxattr(chemin.constData(), NomAttributsDos, tampon.data(), tampon.size());
        if (n >= 0)
            return analyserAttributsDos(QByteArrayView(tampon).first(n));
        if (errno != ERANGE)
            return std::nullopt;
        const ssize_t besoin = ::lgetxattr(chemin.constData(), NomAttributsDos, nullptr, 0);
        if (besoin < 0)
            return std::nullopt;
        tampon.resize(besoin + 1);
    }
    return std::nullopt;
}

// 0, or the errno value of the failure.
int ecrireValeur(const QByteArray &chemin, int valeur, bool sansXattr)
{
    if (sansXattr)
        return ENOTSUP;
    // Wine's own form: no null, lower-case digits.
    const QByteArray texte = "0x" + QByteArray::number(valeur, 16);
    if (::lsetxattr(chemin.constData(), NomAttributsDos, texte.constData(), texte.size(), 0) != 0)
        return errno;
    return 0;
}

void effacerValeur(const QByteArray &chemin, bool sansXattr)
{
    if (sansXattr)
        return;
    if (::lremovexattr(chemin.constData(), NomAttributsDos) != 0 && errno != ENODATA && !nonSupporte(errno))
        throw erreurSysteme(errno);
}

void changerMode(const QByteArray &chemin, mode_t avant, mode_t apres)
{
    if (avant != apres && ::chmod(chemin.constData(), apres) != 0)
        throw erreurSysteme(errno);
}

} // namespace

int lireAttributs(const QString &chemin)
{
    const bool sansXattr = sansAttributsEtendus(chemin);
    const struct stat st = etat(chemin);
    const bool lien = S_ISLNK(st.st_mode);
    int a = 0;
    if (S_ISDIR(st.st_mode))
        a |= Dossier;
    if (!lien && (st.st_mode & BitsEcriture) == 0)
        a |= LectureSeule;
    if (const auto stockee = valeurStockee(natif(chemin), sansXattr))
        a |= *stockee & (Cache | Systeme | Archive);
    else if (nomCache(chemin))
        a |= Cache;
    return a;
}

void definirAttributs(const QString &chemin, int attributs)
{
    const bool sansXattr = sansAttributsEtendus(chemin);
    const QByteArray c = natif(chemin);
    const struct stat st = etat(chemin);
    const bool lien = S_ISLNK(st.st_mode);
    const bool dossier = S_ISDIR(st.st_mode);
    const bool lectureSeule = (attributs & LectureSeule) && !dossier;

    // What reading gives when nothing is stored.
    const int implicite = nomCache(chemin) ? Cache : 0;
    const auto stockee = valeurStockee(c, sansXattr);
    // Samba may keep read-only in the value as well; it follows the request
    // so that both never disagree.
    const int voulue = (stockee.value_or(0) & ~(BitsGeres | LectureSeule)) | (attributs & BitsGeres) |
                       (lectureSeule ? LectureSeule : 0);

    if (lien && lectureSeule)
        throw erreurSysteme(EPERM); // a link has no permission bits of its own

    const mode_t avant = st.st_mode & 07777;
    mode_t apres = avant;
    if (lectureSeule)
        apres &= ~BitsEcriture;
    else if ((avant & BitsEcriture) == 0)
        apres |= (S_IRUSR | S_IWUSR | ((avant & (S_IRGRP | S_IROTH)) >> 1)) & ~masqueCreation();

    // Only a writable file's extended attributes can be changed (root
    // aside): a read-only file is given its owner's write for the while.
    const bool ecrire = (voulue & ~LectureSeule) != 0 || implicite != 0; // "0x0" unhides a "." name
    const bool effacer = !ecrire && stockee.has_value();
    mode_t courant = avant;
    if (!lien && (ecrire || effacer) && (avant & S_IWUSR) == 0) {
        changerMode(c, courant, avant | S_IWUSR);
        courant = avant | S_IWUSR;
    }
    try {
        if (ecrire) {
            if (const int err = ecrireValeur(c, voulue, sansXattr)) {
                // Links keep no user attributes (EPERM). Without a place to
                // store the value the file reads as `implicite`: good enough
                // when that is what was asked, or when every attribute is
                // being cleared.
                const bool pasDePlace = nonSupporte(err) || (lien && err == EPERM);
                if (!pasDePlace || (attributs != 0 && (attributs & BitsGeres) != implicite))
                    throw erreurSysteme(pasDePlace ? ENOTSUP : err);
            }
        } else if (effacer) {
            effacerValeur(c, sansXattr);
        }
    } catch (...) {
        if (courant != avant)
            ::chmod(c.constData(), avant);
        throw;
    }
    if (!lien)
        changerMode(c, courant, apres);
}

bool existe(const QString &chemin)
{
    struct stat st {};
    return ::lstat(natif(chemin).constData(), &st) == 0;
}

bool estLien(const QString &chemin)
{
    struct stat st {};
    return ::lstat(natif(chemin).constData(), &st) == 0 && S_ISLNK(st.st_mode);
}

void supprimerFichier(const QString &chemin)
{
    verifierPanne(Operation::Suppression, chemin);
    const struct stat st = etat(chemin);
    if (S_ISDIR(st.st_mode))
        throw erreurSysteme(EISDIR);
    if (!S_ISLNK(st.st_mode) && (st.st_mode & BitsEcriture) == 0)
        throw ErreurExecution(NumErreur::PermissionRefusee);
    if (::unlink(natif(chemin).constData()) != 0)
        throw erreurSysteme(errno);
}

void supprimerLien(const QString &chemin)
{
    verifierPanne(Operation::Suppression, chemin);
    const struct stat st = etat(chemin);
    if (!S_ISLNK(st.st_mode))
        throw ErreurExecution(NumErreur::AppelIncorrect);
    if (::unlink(natif(chemin).constData()) != 0)
        throw erreurSysteme(errno);
}

namespace {

struct Entree {
    QByteArray nom;
    mode_t mode;
};

// The entries of an open folder, "." and ".." left out, types not followed.
std::vector<Entree> entrees(int fd)
{
    const int copie = ::dup(fd);
    if (copie < 0)
        throw erreurSysteme(errno);
    DIR *d = ::fdopendir(copie);
    if (!d) {
        const int err = errno;
        ::close(copie);
        throw erreurSysteme(err);
    }
    // The copy shares the original's position, which an earlier listing
    // left at the end.
    ::rewinddir(d);
    std::vector<Entree> liste;
    errno = 0;
    while (const dirent *e = ::readdir(d)) {
        const char *n = e->d_name;
        if (n[0] == '.' && (n[1] == 0 || (n[1] == '.' && n[2] == 0)))
            continue;
        struct stat st {};
        if (::fstatat(fd, n, &st, AT_SYMLINK_NOFOLLOW) != 0) {
            const int err = errno;
            ::closedir(d);
            throw erreurSysteme(err);
        }
        liste.push_back({QByteArray(n), st.st_mode});
        errno = 0;
    }
    const int err = errno;
    ::closedir(d);
    if (err != 0)
        throw erreurSysteme(err);
    return liste;
}

int ouvrirDossier(int parent, const char *nom)
{
    const int fd = ::openat(parent, nom, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        throw erreurSysteme(errno);
    return fd;
}

struct Descripteur {
    int fd;
    ~Descripteur() { ::close(fd); }
};

// Force False: anything read-only inside refuses the whole deletion, before
// anything is removed, so that a refusal never leaves half a folder.
void verifierSupprimable(int fd, const QString &chemin)
{
    for (const Entree &e : entrees(fd)) {
        const QString sous = chemin + u'/' + QFile::decodeName(e.nom);
        verifierPanne(Operation::Suppression, sous);
        if (S_ISLNK(e.mode))
            continue;
        if ((e.mode & BitsEcriture) == 0)
            throw ErreurExecution(NumErreur::PermissionRefusee);
        if (S_ISDIR(e.mode)) {
            const Descripteur d{ouvrirDossier(fd, e.nom.constData())};
            verifierSupprimable(d.fd, sous);
        }
    }
}

void vider(int fd)
{
    for (const Entree &e : entrees(fd)) {
        // Links are unlinked like files: their targets are never reached.
        if (S_ISDIR(e.mode)) {
            {
                const Descripteur d{ouvrirDossier(fd, e.nom.constData())};
                vider(d.fd);
            }
            if (::unlinkat(fd, e.nom.constData(), AT_REMOVEDIR) != 0)
                throw erreurSysteme(errno);
        } else if (::unlinkat(fd, e.nom.constData(), 0) != 0) {
            throw erreurSysteme(errno);
        }
    }
}

// What DeleteFolder refuses of a folder that is not a link.
void verifierDossier(const struct stat &st, const QString &chemin)
{
    if (!S_ISDIR(st.st_mode))
        throw ErreurExecution(NumErreur::CheminIntrouvable);
    if ((st.st_mode & BitsEcriture) == 0)
        throw ErreurExecution(NumErreur::PermissionRefusee);
    const Descripteur d{ouvrirDossier(AT_FDCWD, natif(chemin).constData())};
    verifierSupprimable(d.fd, chemin);
}

} // namespace

void interne::verifierRetrait(const QString &chemin)
{
    verifierPanne(Operation::Suppression, chemin);
    const struct stat st = etat(chemin);
    if (S_ISLNK(st.st_mode))
        return;
    if (S_ISDIR(st.st_mode))
        verifierDossier(st, chemin);
    else if ((st.st_mode & BitsEcriture) == 0)
        throw ErreurExecution(NumErreur::PermissionRefusee);
}

void supprimerDossier(const QString &chemin)
{
    verifierPanne(Operation::Suppression, chemin);
    const struct stat st = etat(chemin, true);
    const QByteArray c = natif(chemin);
    if (S_ISLNK(st.st_mode)) {
        if (::unlink(c.constData()) != 0)
            throw erreurSysteme(errno);
        return;
    }
    verifierDossier(st, chemin);
    {
        const Descripteur d{ouvrirDossier(AT_FDCWD, c.constData())};
        vider(d.fd);
    }
    if (::rmdir(c.constData()) != 0)
        throw erreurSysteme(errno);
}

void creerDossier(const QString &chemin)
{
    verifierPanne(Operation::CreationDossier, chemin);
    if (::mkdir(natif(chemin).constData(), 0777) == 0)
        return;
    const int err = errno;
    // MkDir's own numbers: an existing path is an access error, a missing
    // parent a path not found.
    if (err == EEXIST)
        throw ErreurExecution(NumErreur::AccesChemin);
    if (err == ENOENT)
        throw ErreurExecution(NumErreur::CheminIntrouvable);
    throw erreurSysteme(err);
}

#endif

} // namespace corvanel::sf
