// The file-operation layer: injected failures, what every platform
// shares, and the POSIX attributes and deletions (copies are in
// SystemeFichiersCopie.cpp, Windows in SystemeFichiersWin.cpp).
#include "fileops/SystemeFichiers.h"

#include "fileops/SystemeFichiersInterne.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMutex>
#include <QMutexLocker>
#include <QRandomGenerator>

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
#else
#include <io.h>
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
        const bool toutes = p.operation == Operation::Toutes && operation != Operation::Montage;
        if ((p.operation == operation || toutes) && chemin.contains(p.fragment))
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
    // "\\" separates only on Windows; elsewhere it is a character of a name.
#ifdef Q_OS_WIN
    const auto separateur = [](QStringView v) { return std::max(v.lastIndexOf(u'/'), v.lastIndexOf(u'\\')); };
#else
    const auto separateur = [](QStringView v) { return v.lastIndexOf(u'/'); };
#endif
    QStringView n(chemin);
    while (n.size() > 1 && separateur(n) == n.size() - 1)
        n.chop(1);
    const qsizetype barre = separateur(n);
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

#ifndef Q_OS_WIN
unsigned masqueCreation()
{
    static const mode_t masque = [] {
        const mode_t m = ::umask(022);
        ::umask(m);
        return m;
    }();
    return masque;
}
#endif

QString cheminEssai(const QString &dossier)
{
    return QDir(dossier).filePath(
        QStringLiteral(".corvanel-essai-%1").arg(QRandomGenerator::global()->generate(), 8, 16, QLatin1Char('0')));
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

void ajouterContenu(const QString &chemin, const QByteArray &octets)
{
    interne::verifierPanne(Operation::Ecriture, chemin);
    QFile f(chemin);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Append) || f.write(octets) != octets.size() || !f.flush())
        throw ErreurExecution::depuisFichier(f);
#ifdef Q_OS_WIN
    const bool surDisque = ::_commit(f.handle()) == 0;
#else
    const bool surDisque = ::fsync(f.handle()) == 0;
#endif
    if (!surDisque)
        throw erreurSysteme(errno);
}

EtatAttributs rendreNormal(const QString &chemin)
{
    EtatAttributs etat = sauverAttributs(chemin);
    definirAttributs(chemin, 0);
    return etat;
}

void remettre(const QString &chemin, const std::optional<EtatAttributs> &etat) noexcept
{
    try {
        if (etat && existe(chemin))
            restaurerAttributs(chemin, *etat);
    } catch (const ErreurExecution &) {
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
constexpr int BitsGeres = Cache | Systeme | Archive;
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

EtatAttributs sauverAttributs(const QString &chemin)
{
    const QByteArray c = natif(chemin);
    EtatAttributs e;
    e.mode = etat(chemin).st_mode & 07777;
    const ssize_t n = ::lgetxattr(c.constData(), NomAttributsDos, nullptr, 0);
    if (n >= 0) {
        e.valeur = QByteArray(n, Qt::Uninitialized);
        const ssize_t lu = ::lgetxattr(c.constData(), NomAttributsDos, e.valeur.data(), e.valeur.size());
        e.valeur.truncate(std::max<ssize_t>(lu, 0));
        if (e.valeur.isNull())
            e.valeur = QByteArray("");
    }
    return e;
}

void restaurerAttributs(const QString &chemin, const EtatAttributs &e)
{
    const QByteArray c = natif(chemin);
    const struct stat st = etat(chemin);
    if (S_ISLNK(st.st_mode))
        return;
    // The value first: a read-only mode would refuse it.
    changerMode(c, st.st_mode & 07777, (st.st_mode & 07777) | S_IWUSR);
    int err = 0;
    if (e.valeur.isNull()) {
        if (::lremovexattr(c.constData(), NomAttributsDos) != 0 && errno != ENODATA && !nonSupporte(errno))
            err = errno;
    } else if (::lsetxattr(c.constData(), NomAttributsDos, e.valeur.constData(), e.valeur.size(), 0) != 0) {
        err = errno;
    }
    changerMode(c, (st.st_mode & 07777) | S_IWUSR, e.mode);
    if (err != 0)
        throw erreurSysteme(err);
}

std::optional<Identite> identite(const QString &chemin)
{
    struct stat st {};
    if (::stat(natif(chemin).constData(), &st) != 0)
        return std::nullopt;
    Identite i{static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino), st.st_size,
               std::int64_t(st.st_mtim.tv_sec) * 1'000'000'000 + st.st_mtim.tv_nsec};
    if (pannePour(Operation::Montage, chemin))
        i.volume = ~i.volume;
    return i;
}

namespace {

// The mount an entry of an open folder is on, not following a link: the
// device, and the mount's own number where the system gives it (a bind mount
// of the same file system has the same device).
struct Montage {
    std::uint64_t volume = 0;
    std::uint64_t numero = 0;
    bool operator==(const Montage &) const = default;
};

Montage montage(int dossier, const char *nom)
{
    struct statx sx {};
    if (::statx(dossier, nom, AT_SYMLINK_NOFOLLOW | AT_NO_AUTOMOUNT, STATX_MNT_ID, &sx) != 0)
        throw erreurSysteme(errno);
    return {(std::uint64_t(sx.stx_dev_major) << 32) | sx.stx_dev_minor,
            (sx.stx_mask & STATX_MNT_ID) ? sx.stx_mnt_id : 0};
}

} // namespace

bool surAutreMontage(const QString &chemin)
{
    if (pannePour(Operation::Montage, chemin))
        return true;
    const QByteArray c = natif(chemin);
    const QByteArray parent = natif(QFileInfo(chemin).absolutePath());
    return montage(AT_FDCWD, c.constData()) != montage(AT_FDCWD, parent.constData());
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
    // The duplicated descriptor shares the first one's position, which an
    // earlier listing left at the end.
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
// anything is removed, so that a refusal never leaves half a folder. As
// "rm --one-file-system", a folder on another mount is never gone into: what
// is mounted there (another disk, or the consist folder itself) is not the
// folder's to lose.
void verifierSupprimable(int fd, const QString &chemin, const Montage &reference)
{
    for (const Entree &e : entrees(fd)) {
        const QString sous = chemin + u'/' + QFile::decodeName(e.nom);
        verifierPanne(Operation::Suppression, sous);
        if (S_ISLNK(e.mode))
            continue;
        if ((e.mode & BitsEcriture) == 0)
            throw ErreurExecution(NumErreur::PermissionRefusee);
        if (S_ISDIR(e.mode)) {
            if (pannePour(Operation::Montage, sous) || montage(fd, e.nom.constData()) != reference)
                throw AutreMontage{sous};
            const Descripteur d{ouvrirDossier(fd, e.nom.constData())};
            verifierSupprimable(d.fd, sous, reference);
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

// What DeleteFolder refuses of a folder that is not a link, found before
// anything is removed.
void verifierDossier(const struct stat &st, const QString &chemin)
{
    if (!S_ISDIR(st.st_mode))
        throw ErreurExecution(NumErreur::CheminIntrouvable);
    if ((st.st_mode & BitsEcriture) == 0)
        throw ErreurExecution(NumErreur::PermissionRefusee);
    if (surAutreMontage(chemin))
        throw AutreMontage{chemin};
    const QByteArray c = natif(chemin);
    const Descripteur d{ouvrirDossier(AT_FDCWD, c.constData())};
    verifierSupprimable(d.fd, chemin, montage(AT_FDCWD, c.constData()));
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

void interne::supprimerDans(int dossier, const QByteArray &nom, const QString &chemin)
{
    verifierPanne(Operation::Suppression, chemin);
    struct stat st {};
    if (::fstatat(dossier, nom.constData(), &st, AT_SYMLINK_NOFOLLOW) != 0)
        throw erreurSysteme(errno);
    if (!S_ISDIR(st.st_mode)) {
        if (!S_ISLNK(st.st_mode) && (st.st_mode & BitsEcriture) == 0)
            throw ErreurExecution(NumErreur::PermissionRefusee);
        if (::unlinkat(dossier, nom.constData(), 0) != 0)
            throw erreurSysteme(errno);
        return;
    }
    if ((st.st_mode & BitsEcriture) == 0)
        throw ErreurExecution(NumErreur::PermissionRefusee);
    const Montage ici = montage(dossier, ".");
    if (pannePour(Operation::Montage, chemin) || montage(dossier, nom.constData()) != ici)
        throw AutreMontage{chemin};
    {
        const Descripteur d{ouvrirDossier(dossier, nom.constData())};
        verifierSupprimable(d.fd, chemin, ici);
        vider(d.fd);
    }
    if (::unlinkat(dossier, nom.constData(), AT_REMOVEDIR) != 0)
        throw erreurSysteme(errno);
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

void creerDossier(const QString &chemin, bool prive)
{
    verifierPanne(Operation::CreationDossier, chemin);
    if (::mkdir(natif(chemin).constData(), prive ? 0700 : 0777) == 0)
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

QString ecritureRefusee(const QString &dossier)
{
    const QString essai = cheminEssai(dossier);
    if (const auto p = pannePour(Operation::Ecriture, essai))
        return qt_error_string(p->err);
    const QByteArray c = natif(essai);
    const int fd = ::open(c.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0)
        return qt_error_string(errno);
    ::close(fd);
    ::unlink(c.constData());
    return {};
}

#endif

} // namespace corvanel::sf
