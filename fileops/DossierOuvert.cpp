// The consist folder held open by a command, and the folders an
// administrator's command refuses.
#include "fileops/DossierOuvert.h"

#include "fileops/SystemeFichiersInterne.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <atomic>
#include <cerrno>
#include <climits>

#ifdef Q_OS_WIN
#include <windows.h>
#else
#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace corvanel::sf {

namespace {
// -1: the real answer; 0 or 1: the one a test gave.
std::atomic<int> g_privilege{-1};
} // namespace

bool privilegie()
{
    const int simule = g_privilege.load();
    if (simule >= 0)
        return simule == 1;
#ifdef Q_OS_WIN
    return false;
#else
    return ::geteuid() == 0;
#endif
}

void simulerPrivilege(std::optional<bool> privilegie)
{
    g_privilege.store(privilegie ? int(*privilegie) : -1);
}

LienSortant::LienSortant() : ErreurExecution(erreurSysteme(ELOOP)) {}

#ifdef Q_OS_WIN

std::optional<CheminRisque> cheminRisque(const QString &)
{
    return std::nullopt;
}

// Held by a handle that does not follow a reparse point and does not share
// deletion: while a command runs, the folder can be neither renamed nor
// replaced. Its entries are then reached by path, no reparse point of their
// own followed for a write.
DossierOuvert::DossierOuvert(const QString &chemin, std::optional<Identite> attendu)
    : m_chemin(chemin.endsWith(u'/') || chemin.endsWith(u'\\') ? chemin : chemin + u'\\')
{
    const QString sansBarre = QDir::cleanPath(m_chemin);
    const HANDLE h = CreateFileW(reinterpret_cast<const wchar_t *>(QDir::toNativeSeparators(sansBarre).utf16()),
                                 FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                 FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        throw ErreurExecution(NumErreur::CheminIntrouvable);
    m_poignee = h;
    BY_HANDLE_FILE_INFORMATION info;
    if (!GetFileInformationByHandle(h, &info) || (info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) ||
        !(info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
        CloseHandle(h);
        throw NomDeplace{sansBarre};
    }
    m_identite.volume = info.dwVolumeSerialNumber;
    m_identite.numero = (std::uint64_t(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
    if (attendu && !attendu->memeFichier(m_identite)) {
        CloseHandle(h);
        throw NomDeplace{sansBarre};
    }
}

DossierOuvert::~DossierOuvert()
{
    CloseHandle(static_cast<HANDLE>(m_poignee));
}

void DossierOuvert::verifier(const QString &nom) const
{
    const QString sansBarre = QDir::cleanPath(m_chemin);
    const auto ici = sf::identite(sansBarre);
    if (!ici || !ici->memeFichier(m_identite) || estLien(sansBarre))
        throw NomDeplace{nom.isEmpty() ? sansBarre : m_chemin + nom};
}

void DossierOuvert::verifierLien(const QString &nom) const
{
    if (estLien(m_chemin + nom))
        throw LienSortant();
}

QByteArray DossierOuvert::lire(const QString &nom) const
{
    verifierLien(nom);
    QFile f(m_chemin + nom);
    if (!f.exists())
        throw ErreurExecution(NumErreur::FichierIntrouvable);
    if (!f.open(QIODevice::ReadOnly))
        throw ErreurExecution::depuisFichier(f);
    return f.readAll();
}

#else

namespace {

QString nomCompte(uid_t uid)
{
    if (const passwd *p = ::getpwuid(uid))
        return QString::fromLocal8Bit(p->pw_name);
    return QString::number(uid);
}

// Another account than ours and root's could change it: it owns it, or a
// folder others can write to without the sticky bit (with it, only an entry's
// owner renames or removes the entry).
std::optional<CheminRisque> risque(const QString &chemin, const struct stat &st)
{
    if (st.st_uid != 0 && st.st_uid != ::geteuid())
        return CheminRisque{chemin, true, nomCompte(st.st_uid)};
    if (S_ISDIR(st.st_mode) && (st.st_mode & (S_IWGRP | S_IWOTH)) && !(st.st_mode & S_ISVTX))
        return CheminRisque{chemin, false, {}};
    return std::nullopt;
}

} // namespace

std::optional<CheminRisque> cheminRisque(const QString &dossier)
{
    // Components still to walk, from the root; a link's target takes the
    // place of the link, as the system itself resolves it.
    QStringList reste = QDir::cleanPath(QFileInfo(dossier).absoluteFilePath()).split(u'/', Qt::SkipEmptyParts);
    QString courant = QStringLiteral("/");
    struct stat st {};
    if (::lstat("/", &st) == 0) {
        if (auto r = risque(courant, st))
            return r;
    }
    for (int liens = 0; !reste.isEmpty();) {
        const QString composant = reste.takeFirst();
        if (composant == u".")
            continue;
        if (composant == u"..") {
            courant = QFileInfo(courant).path();
            continue;
        }
        const QString suivant = courant == u"/" ? u'/' + composant : courant + u'/' + composant;
        if (::lstat(QFile::encodeName(suivant).constData(), &st) != 0)
            return std::nullopt; // nothing there: nothing to be changed through it either
        if (auto r = risque(suivant, st))
            return r;
        if (!S_ISLNK(st.st_mode)) {
            courant = suivant;
            continue;
        }
        if (++liens > 40)
            return std::nullopt;
        QByteArray t(PATH_MAX, Qt::Uninitialized);
        const ssize_t n = ::readlink(QFile::encodeName(suivant).constData(), t.data(), t.size());
        t.truncate(std::max<ssize_t>(n, 0));
        const QString cible = QFile::decodeName(t);
        if (cible.isEmpty())
            return std::nullopt;
        const QStringList parties = cible.split(u'/', Qt::SkipEmptyParts);
        reste = parties + reste;
        if (cible.startsWith(u'/'))
            courant = QStringLiteral("/");
    }
    return std::nullopt;
}

// --- The folder held open --------------------------------------------------

namespace {

QString avecSeparateur(const QString &chemin)
{
    return chemin.endsWith(u'/') || chemin.endsWith(QDir::separator()) ? chemin : chemin + QDir::separator();
}

} // namespace

DossierOuvert::DossierOuvert(const QString &chemin, std::optional<Identite> attendu) : m_chemin(avecSeparateur(chemin))
{
    QString sansBarre = m_chemin;
    while (sansBarre.size() > 1 && (sansBarre.endsWith(u'/') || sansBarre.endsWith(QDir::separator())))
        sansBarre.chop(1);
    m_fd = ::open(QFile::encodeName(sansBarre).constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (m_fd < 0) {
        const int err = errno;
        // A link where the folder was (ELOOP, or ENOTDIR for a link to a file).
        if (err == ELOOP || (err == ENOTDIR && estLien(sansBarre)))
            throw NomDeplace{sansBarre};
        throw err == ENOENT ? ErreurExecution(NumErreur::CheminIntrouvable) : erreurSysteme(err);
    }
    struct stat st {};
    if (::fstat(m_fd, &st) != 0) {
        const int err = errno;
        ::close(m_fd);
        throw erreurSysteme(err);
    }
    m_identite = {std::uint64_t(st.st_dev), std::uint64_t(st.st_ino), st.st_size,
                  std::int64_t(st.st_mtim.tv_sec) * 1'000'000'000 + st.st_mtim.tv_nsec};
    if (attendu && !attendu->memeFichier(m_identite)) {
        ::close(m_fd);
        throw NomDeplace{sansBarre};
    }
}

DossierOuvert::~DossierOuvert()
{
    ::close(m_fd);
}

void DossierOuvert::verifier(const QString &nom) const
{
    struct stat ici {};
    if (::stat(QFile::encodeName(m_chemin).constData(), &ici) != 0 || std::uint64_t(ici.st_dev) != m_identite.volume ||
        std::uint64_t(ici.st_ino) != m_identite.numero)
        throw NomDeplace{nom.isEmpty() ? QFileInfo(m_chemin + u'.').path() : m_chemin + nom};
    if (nom.isEmpty())
        return;
    struct stat parChemin {};
    struct stat parDescripteur {};
    const bool chemin = ::lstat(QFile::encodeName(m_chemin + nom).constData(), &parChemin) == 0;
    const bool descripteur =
        ::fstatat(m_fd, QFile::encodeName(nom).constData(), &parDescripteur, AT_SYMLINK_NOFOLLOW) == 0;
    if (chemin != descripteur ||
        (chemin && (parChemin.st_dev != parDescripteur.st_dev || parChemin.st_ino != parDescripteur.st_ino)))
        throw NomDeplace{m_chemin + nom};
}

QByteArray DossierOuvert::lire(const QString &nom) const
{
    std::optional<struct stat> st;
    const QByteArray cible = interne::cibleDans(m_fd, QFile::encodeName(nom), st);
    if (!st)
        throw ErreurExecution(NumErreur::FichierIntrouvable);
    const int fd = ::openat(m_fd, cible.constData(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        throw erreurSysteme(errno);
    QFile f;
    if (!f.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        throw ErreurExecution::depuisFichier(f);
    }
    const QByteArray octets = f.readAll();
    if (f.error() != QFileDevice::NoError)
        throw ErreurExecution::depuisFichier(f);
    return octets;
}

void DossierOuvert::verifierLien(const QString &nom) const
{
    std::optional<struct stat> st;
    interne::cibleDans(m_fd, QFile::encodeName(nom), st);
}

#endif

bool DossierOuvert::retirer(const QString &nom, bool corbeille) const
{
    return retirer(nom, corbeille, {}) == Retrait::Corbeille;
}

Retrait DossierOuvert::retirer(const QString &nom, bool corbeille, const AvantSuppressionDefinitive &avant) const
{
    const QString chemin = m_chemin + nom;
    verifier(nom);
    if (corbeille) {
        interne::verifierRetrait(chemin);
        // Moved by its path, checked just now: run as root, the folders on
        // the way belong to root alone (the privileged check), and nobody
        // else can swap it meanwhile.
        verifier(nom);
        RefusCorbeille raison{};
        if (interne::versLaCorbeille(chemin, &raison))
            return Retrait::Corbeille;
        // Nothing is deleted for good without the user's word; the folder
        // may have been swapped while the question was open.
        // A link holds no data of the user's, only where it points, which
        // stays untouched: it goes as a link without a question.
        if (avant && !estLien(chemin)) {
            if (!avant(raison))
                return Retrait::Laisse;
            verifier(nom);
        }
    }
#ifdef Q_OS_WIN
    sf::retirer(chemin, false);
#else
    interne::supprimerDans(m_fd, QFile::encodeName(nom), chemin);
#endif
    return Retrait::Supprime;
}

} // namespace corvanel::sf
