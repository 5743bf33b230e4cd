// CopyFile on POSIX systems. The copy is written in full beside the
// destination and only then renamed over it: a disk that fills up, a crash
// or a failing medium leaves the destination as it was. Beside the
// destination, the rename never crosses file systems, whatever the source.
#include "fileops/SystemeFichiers.h"

#include "fileops/DossierOuvert.h"
#include "fileops/SystemeFichiersInterne.h"

#ifndef Q_OS_WIN

#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <memory>
#include <vector>

namespace corvanel::sf {

namespace {

using namespace interne;

// Owns the temporary file until it has been renamed into place. Made and
// renamed relative to its folder, held open: what becomes of the folder's
// path meanwhile does not move the write elsewhere.
class Temporaire {
public:
    // In the folder `dossier` holds (its own duplicate kept).
    explicit Temporaire(int dossier, bool prive = false)
    {
        m_dossier = ::fcntl(dossier, F_DUPFD_CLOEXEC, 0);
        if (m_dossier < 0)
            throw erreurSysteme(errno);
        creer(prive);
    }
    // Beside `destination`, in the folder its path names.
    explicit Temporaire(const QString &destination)
    {
        const QByteArray dossier = QFile::encodeName(QFileInfo(destination).absolutePath());
        m_dossier = ::open(dossier.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (m_dossier < 0) {
            const int err = errno;
            throw err == ENOENT ? ErreurExecution(NumErreur::CheminIntrouvable) : erreurSysteme(err);
        }
        creer(false);
    }
    ~Temporaire()
    {
        if (m_fd >= 0)
            ::close(m_fd);
        if (!m_place && !m_nom.isEmpty())
            ::unlinkat(m_dossier, m_nom.constData(), 0);
        ::close(m_dossier);
    }
    Temporaire(const Temporaire &) = delete;
    Temporaire &operator=(const Temporaire &) = delete;

    int fd() const { return m_fd; }
    int dossier() const { return m_dossier; }
    void fermer()
    {
        const int fd = m_fd;
        m_fd = -1;
        if (::close(fd) != 0)
            throw erreurSysteme(errno);
    }
    // `nom`: an entry of the same folder, replaced whatever it is (a link
    // there is replaced, never followed).
    void placer(const QByteArray &nom)
    {
        if (::renameat(m_dossier, m_nom.constData(), m_dossier, nom.constData()) != 0)
            throw erreurSysteme(errno);
        m_place = true;
    }

private:
    // Hidden, and not ending in ".con": a copy left behind by a crash is
    // never taken for a consist, and the clean-up removes it. Short: the
    // consist's own name may already be as long as a name can be. Created
    // new (O_EXCL), never through something already there.
    void creer(bool prive)
    {
        static constexpr char Chiffres[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
        for (int essai = 0; essai < 100; ++essai) {
            QByteArray nom = ".crv-";
            for (int i = 0; i < 6; ++i)
                nom += Chiffres[QRandomGenerator::system()->bounded(int(sizeof Chiffres - 1))];
            m_fd = ::openat(m_dossier, nom.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                            prive ? 0600 : 0666);
            if (m_fd >= 0) {
                m_nom = nom;
                return;
            }
            if (errno != EEXIST) {
                const int err = errno;
                ::close(m_dossier);
                throw err == ENOENT ? ErreurExecution(NumErreur::CheminIntrouvable) : erreurSysteme(err);
            }
        }
        ::close(m_dossier);
        throw erreurSysteme(EEXIST);
    }

    int m_dossier = -1;
    QByteArray m_nom;
    int m_fd = -1;
    bool m_place = false;
};

struct Source {
    int fd;
    ~Source() { ::close(fd); }
};

void ecrireTout(int fd, const char *octets, ssize_t n)
{
    while (n > 0) {
        const ssize_t ecrits = ::write(fd, octets, n);
        if (ecrits < 0) {
            if (errno == EINTR)
                continue;
            throw erreurSysteme(errno);
        }
        octets += ecrits;
        n -= ecrits;
    }
}

// Hidden and archive travel with the file, as they do on the game's
// platform. A destination that cannot keep them still gets the copy: its
// content is what the user asked for.
void copierAttributsDos(int source, int destination)
{
    char valeur[256];
    const ssize_t n = ::fgetxattr(source, "user.DOSATTRIB", valeur, sizeof valeur);
    if (n > 0)
        ::fsetxattr(destination, "user.DOSATTRIB", valeur, static_cast<size_t>(n), 0);
}

// A new name is durable only once the folder itself is on disk.
void synchroniserDossier(int dossier)
{
    ::fsync(dossier);
}

} // namespace

void copierFichier(const QString &source, const QString &destination)
{
    auto panne = pannePour(Operation::Copie, source);
    if (!panne)
        panne = pannePour(Operation::Copie, destination);
    if (panne && panne->apresOctets < 0)
        throw erreurSysteme(panne->err);

    const QByteArray dest = QFile::encodeName(destination);
    struct stat etatDest {};
    if (::lstat(dest.constData(), &etatDest) == 0) {
        if (S_ISDIR(etatDest.st_mode))
            throw erreurSysteme(EISDIR);
        if (!S_ISLNK(etatDest.st_mode) && (etatDest.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0)
            throw ErreurExecution(NumErreur::PermissionRefusee);
    } else if (errno != ENOENT) {
        throw erreurSysteme(errno);
    }

    const Source src{::open(QFile::encodeName(source).constData(), O_RDONLY | O_CLOEXEC)};
    if (src.fd < 0)
        throw erreurSysteme(errno);
    struct stat etatSource {};
    if (::fstat(src.fd, &etatSource) != 0)
        throw erreurSysteme(errno);
    if (!S_ISREG(etatSource.st_mode))
        throw ErreurExecution(NumErreur::FichierIntrouvable);

    Temporaire tmp(destination);
    std::int64_t total = 0;
    QByteArray tampon(64 * 1024, Qt::Uninitialized);
    for (;;) {
        const ssize_t lus = ::read(src.fd, tampon.data(), tampon.size());
        if (lus < 0) {
            if (errno == EINTR)
                continue;
            throw erreurSysteme(errno);
        }
        if (lus == 0)
            break;
        ssize_t aEcrire = lus;
        if (panne && total + lus >= panne->apresOctets)
            aEcrire = static_cast<ssize_t>(panne->apresOctets - total);
        ecrireTout(tmp.fd(), tampon.constData(), aEcrire);
        total += aEcrire;
        if (aEcrire < lus)
            throw erreurSysteme(panne->err);
    }
    if (panne) // an injected failure always fails; a smaller file is written whole first
        throw erreurSysteme(panne->err);

    if (::fsync(tmp.fd()) != 0)
        throw erreurSysteme(errno);
    struct stat etatCopie {};
    if (::fstat(tmp.fd(), &etatCopie) != 0)
        throw erreurSysteme(errno);
    // The source may have changed while it was read; a copy of another size
    // is not the file the user chose.
    if (etatCopie.st_size != etatSource.st_size || total != etatSource.st_size)
        throw ErreurExecution(NumErreur::ErreurES);

    copierAttributsDos(src.fd, tmp.fd());
    // Permissions as the source has them; a file system that keeps none
    // (FAT) refuses, and the copy is still whole.
    ::fchmod(tmp.fd(), etatSource.st_mode & 07777);
    // Last, so that nothing written afterwards moves the date.
    const struct timespec dates[2] = {{0, UTIME_OMIT}, etatSource.st_mtim};
    if (::futimens(tmp.fd(), dates) != 0)
        throw erreurSysteme(errno);
    tmp.fermer();
    tmp.placer(QFile::encodeName(QFileInfo(destination).fileName()));
    synchroniserDossier(tmp.dossier());
}

namespace {

// A new content written beside its file, not yet in its place.
struct Preparee {
    std::unique_ptr<Temporaire> tmp;
    QByteArray cible; // the entry of tmp's folder it replaces
};

} // namespace

// A link's other targets (another folder, a chain of links, nothing) are
// refused: writing there would change a file the folder does not hold.
QByteArray interne::cibleDans(int dossier, const QByteArray &nom, std::optional<struct stat> &st)
{
    struct stat e {};
    if (::fstatat(dossier, nom.constData(), &e, AT_SYMLINK_NOFOLLOW) != 0) {
        if (errno != ENOENT)
            throw erreurSysteme(errno);
        st.reset();
        return nom;
    }
    st = e;
    if (!S_ISLNK(e.st_mode))
        return nom;
    QByteArray lien(PATH_MAX, Qt::Uninitialized);
    const ssize_t n = ::readlinkat(dossier, nom.constData(), lien.data(), lien.size());
    if (n < 0 || n >= lien.size())
        throw LienSortant();
    lien.truncate(n);
    const qsizetype barre = lien.lastIndexOf('/');
    const QByteArray base = lien.mid(barre + 1);
    if (base.isEmpty() || base == "." || base == "..")
        throw LienSortant();
    if (barre >= 0) {
        // A target written with a folder ("./b.con", a full path): that
        // folder must be this very one.
        const QByteArray chemin = barre == 0 ? QByteArray("/") : lien.left(barre);
        const int autre = ::openat(dossier, chemin.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (autre < 0)
            throw LienSortant();
        struct stat a {};
        struct stat d {};
        const bool meme =
            ::fstat(autre, &a) == 0 && ::fstat(dossier, &d) == 0 && a.st_dev == d.st_dev && a.st_ino == d.st_ino;
        ::close(autre);
        if (!meme)
            throw LienSortant();
    }
    if (::fstatat(dossier, base.constData(), &e, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISREG(e.st_mode))
        throw LienSortant();
    st = e;
    return base;
}

namespace {

// Everything ecrireContenu does before the rename, relative to the folder
// `dossier` holds; `chemin` names the entry for injected failures.
// `attendre`: wait until the content is on the disk.
Preparee preparerContenu(int dossier, const QByteArray &nom, const QString &chemin, const QByteArray &octets,
                         bool lectureSeuleAdmise, bool attendre, bool prive)
{
    const auto panne = pannePour(Operation::Ecriture, chemin);
    if (panne && panne->apresOctets < 0)
        throw erreurSysteme(panne->err);

    // Through a link, the file it names is the one written: the link stays.
    std::optional<struct stat> avant;
    const QByteArray cible = cibleDans(dossier, nom, avant);
    if (avant) {
        if (S_ISDIR(avant->st_mode))
            throw erreurSysteme(EISDIR);
        if (!lectureSeuleAdmise && (avant->st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0)
            throw ErreurExecution(NumErreur::PermissionRefusee);
    }

    Preparee p{std::make_unique<Temporaire>(dossier, prive), cible};
    Temporaire &tmp = *p.tmp;
    const qsizetype aEcrire = panne ? std::min<qsizetype>(octets.size(), panne->apresOctets) : octets.size();
    ecrireTout(tmp.fd(), octets.constData(), aEcrire);
    if (panne)
        throw erreurSysteme(panne->err);
    if (attendre && ::fsync(tmp.fd()) != 0)
        throw erreurSysteme(errno);
    if (avant) {
        const Source ancien{::openat(dossier, cible.constData(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC)};
        if (ancien.fd >= 0)
            copierAttributsDos(ancien.fd, tmp.fd());
        // Root writes files it does not own: the owner stays who it was.
        if (::fchown(tmp.fd(), avant->st_uid, avant->st_gid) != 0 && errno != EPERM)
            throw erreurSysteme(errno);
        ::fchmod(tmp.fd(), avant->st_mode & 07777);
    } else {
        ::fchmod(tmp.fd(), (prive ? 0600 : 0666) & ~masqueCreation());
    }
    if (attendre) {
        tmp.fermer();
    } else {
#ifdef __linux__
        // The disk starts on it now; the lot's wait finds it mostly done.
        ::sync_file_range(tmp.fd(), 0, 0, SYNC_FILE_RANGE_WRITE);
#endif
    }
    return p;
}

// The folder a path names, opened for the while of one write.
struct Parent {
    int fd;
    QByteArray nom;
    explicit Parent(const QString &chemin) : nom(QFile::encodeName(QFileInfo(chemin).fileName()))
    {
        fd =
            ::open(QFile::encodeName(QFileInfo(chemin).absolutePath()).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (fd < 0) {
            const int err = errno;
            throw err == ENOENT ? ErreurExecution(NumErreur::CheminIntrouvable) : erreurSysteme(err);
        }
    }
    ~Parent() { ::close(fd); }
    Parent(const Parent &) = delete;
    Parent &operator=(const Parent &) = delete;
};

} // namespace

void ecrireContenu(const QString &chemin, const QByteArray &octets, bool lectureSeuleAdmise, bool prive)
{
    const Parent parent(chemin);
    Preparee p = preparerContenu(parent.fd, parent.nom, chemin, octets, lectureSeuleAdmise, true, prive);
    p.tmp->placer(p.cible);
    synchroniserDossier(p.tmp->dossier());
}

struct LotEcritures::Prive {
    std::vector<Preparee> preparees;
};

LotEcritures::LotEcritures() : d(std::make_unique<Prive>()) {}
LotEcritures::~LotEcritures() = default;

qsizetype LotEcritures::taille() const
{
    return qsizetype(d->preparees.size());
}

void LotEcritures::preparer(const QString &chemin, const QByteArray &octets, bool lectureSeuleAdmise, bool prive)
{
    const Parent parent(chemin);
    d->preparees.push_back(preparerContenu(parent.fd, parent.nom, chemin, octets, lectureSeuleAdmise, false, prive));
}

void LotEcritures::preparer(const DossierOuvert &dossier, const QString &nom, const QByteArray &octets,
                            bool lectureSeuleAdmise)
{
    d->preparees.push_back(preparerContenu(dossier.descripteur(), QFile::encodeName(nom), dossier.chemin(nom), octets,
                                           lectureSeuleAdmise, false, false));
}

QList<std::optional<ErreurExecution>> LotEcritures::placer()
{
    std::vector<Preparee> preparees = std::move(d->preparees);
    d->preparees.clear();
    QList<std::optional<ErreurExecution>> resultats(qsizetype(preparees.size()));
    // Every content on the disk before any replaces its file. The lot's
    // files are still open: the first wait commits what the others need
    // too, so theirs are short, and other programs' writes are not waited
    // for as a flush of the whole file system would.
    for (size_t i = 0; i < preparees.size(); ++i) {
        try {
            Temporaire &tmp = *preparees[i].tmp;
            if (::fsync(tmp.fd()) != 0)
                throw erreurSysteme(errno);
            tmp.fermer();
        } catch (const ErreurExecution &e) {
            resultats[qsizetype(i)] = e;
        }
    }
    std::vector<std::pair<dev_t, ino_t>> synchronises;
    for (size_t i = 0; i < preparees.size(); ++i) {
        if (resultats[qsizetype(i)])
            continue;
        try {
            preparees[i].tmp->placer(preparees[i].cible);
        } catch (const ErreurExecution &e) {
            resultats[qsizetype(i)] = e;
            continue;
        }
        // Each folder once: most lots write into one.
        const int dossier = preparees[i].tmp->dossier();
        struct stat st {};
        if (::fstat(dossier, &st) != 0)
            continue;
        const std::pair cle{st.st_dev, st.st_ino};
        if (std::find(synchronises.begin(), synchronises.end(), cle) == synchronises.end()) {
            synchronises.push_back(cle);
            synchroniserDossier(dossier);
        }
    }
    return resultats;
}

} // namespace corvanel::sf

#endif
