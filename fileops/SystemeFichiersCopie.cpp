// CopyFile on POSIX systems. The copy is written in full beside the
// destination and only then renamed over it: a disk that fills up, a crash
// or a failing medium leaves the destination as it was. Beside the
// destination, the rename never crosses file systems, whatever the source.
#include "fileops/SystemeFichiers.h"

#include "fileops/SystemeFichiersInterne.h"

#ifndef Q_OS_WIN

#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cerrno>
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

// Owns the temporary file until it has been renamed into place.
class Temporaire {
public:
    explicit Temporaire(const QString &destination)
    {
        const QFileInfo info(destination);
        // Hidden, and not ending in ".con": a copy left behind by a crash is
        // never taken for a consist, and the clean-up removes it. Short: the
        // consist's own name may already be as long as a name can be.
        m_chemin = QFile::encodeName(info.absolutePath() + QStringLiteral("/.crv-XXXXXX"));
        m_fd = ::mkostemp(m_chemin.data(), O_CLOEXEC);
        if (m_fd < 0) {
            const int err = errno;
            throw err == ENOENT ? ErreurExecution(NumErreur::CheminIntrouvable) : erreurSysteme(err);
        }
    }
    ~Temporaire()
    {
        if (m_fd >= 0)
            ::close(m_fd);
        if (!m_place)
            ::unlink(m_chemin.constData());
    }
    Temporaire(const Temporaire &) = delete;
    Temporaire &operator=(const Temporaire &) = delete;

    int fd() const { return m_fd; }
    void fermer()
    {
        const int fd = m_fd;
        m_fd = -1;
        if (::close(fd) != 0)
            throw erreurSysteme(errno);
    }
    void placer(const QByteArray &destination)
    {
        if (::rename(m_chemin.constData(), destination.constData()) != 0)
            throw erreurSysteme(errno);
        m_place = true;
    }

private:
    QByteArray m_chemin;
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
void synchroniserDossier(const QByteArray &dossier)
{
    const int fd = ::open(dossier.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

void synchroniserDossier(const QString &fichier)
{
    synchroniserDossier(QFile::encodeName(QFileInfo(fichier).absolutePath()));
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
    tmp.placer(dest);
    synchroniserDossier(destination);
}

namespace {

// A new content written beside its file, not yet in its place.
struct Preparee {
    std::unique_ptr<Temporaire> tmp;
    QByteArray cible;
};

// Everything ecrireContenu does before the rename; `attendre`: wait until
// the content is on the disk.
Preparee preparerContenu(const QString &chemin, const QByteArray &octets, bool lectureSeuleAdmise, bool attendre)
{
    const auto panne = pannePour(Operation::Ecriture, chemin);
    if (panne && panne->apresOctets < 0)
        throw erreurSysteme(panne->err);

    // Through a link, the file it names is the one written: the link stays.
    QString cible = chemin;
    struct stat avant {};
    bool existant = ::stat(QFile::encodeName(chemin).constData(), &avant) == 0;
    if (!existant && errno != ENOENT)
        throw erreurSysteme(errno);
    if (existant) {
        if (S_ISDIR(avant.st_mode))
            throw erreurSysteme(EISDIR);
        if (!lectureSeuleAdmise && (avant.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0)
            throw ErreurExecution(NumErreur::PermissionRefusee);
        const QString lien = QFileInfo(chemin).symLinkTarget();
        if (!lien.isEmpty())
            cible = lien;
    }

    Preparee p{std::make_unique<Temporaire>(cible), QFile::encodeName(cible)};
    Temporaire &tmp = *p.tmp;
    const qsizetype aEcrire = panne ? std::min<qsizetype>(octets.size(), panne->apresOctets) : octets.size();
    ecrireTout(tmp.fd(), octets.constData(), aEcrire);
    if (panne)
        throw erreurSysteme(panne->err);
    if (attendre && ::fsync(tmp.fd()) != 0)
        throw erreurSysteme(errno);
    if (existant) {
        const Source ancien{::open(p.cible.constData(), O_RDONLY | O_CLOEXEC)};
        if (ancien.fd >= 0)
            copierAttributsDos(ancien.fd, tmp.fd());
        // Root writes files it does not own: the owner stays who it was.
        if (::fchown(tmp.fd(), avant.st_uid, avant.st_gid) != 0 && errno != EPERM)
            throw erreurSysteme(errno);
        ::fchmod(tmp.fd(), avant.st_mode & 07777);
    } else {
        ::fchmod(tmp.fd(), 0666 & ~masqueCreation());
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

QByteArray dossierDe(const QByteArray &chemin)
{
    const qsizetype barre = chemin.lastIndexOf('/');
    return barre <= 0 ? QByteArray("/") : chemin.left(barre);
}

} // namespace

void ecrireContenu(const QString &chemin, const QByteArray &octets, bool lectureSeuleAdmise)
{
    Preparee p = preparerContenu(chemin, octets, lectureSeuleAdmise, true);
    p.tmp->placer(p.cible);
    synchroniserDossier(dossierDe(p.cible));
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

void LotEcritures::preparer(const QString &chemin, const QByteArray &octets, bool lectureSeuleAdmise)
{
    d->preparees.push_back(preparerContenu(chemin, octets, lectureSeuleAdmise, false));
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
    std::vector<QByteArray> dossiers;
    for (size_t i = 0; i < preparees.size(); ++i) {
        if (resultats[qsizetype(i)])
            continue;
        try {
            preparees[i].tmp->placer(preparees[i].cible);
        } catch (const ErreurExecution &e) {
            resultats[qsizetype(i)] = e;
            continue;
        }
        const QByteArray dossier = dossierDe(preparees[i].cible);
        if (std::find(dossiers.begin(), dossiers.end(), dossier) == dossiers.end())
            dossiers.push_back(dossier);
    }
    for (const QByteArray &dossier : dossiers)
        synchroniserDossier(dossier);
    return resultats;
}

} // namespace corvanel::sf

#endif
