#include "platform/ListeDossier.h"

#include "platform/ErreurExecution.h"

#include <QDir>
#include <QFileInfo>
#include <QtEndian>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <numeric>
#include <vector>

#ifndef Q_OS_WIN
#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace corvanel {

namespace {
std::atomic<qint64> g_limiteLecture{0};

qint64 limite(qint64 taille)
{
    const qint64 l = g_limiteLecture.load(std::memory_order_relaxed);
    return l > 0 ? std::min(l, taille) : taille;
}
} // namespace

void limiterLectures(qint64 octets)
{
    g_limiteLecture = octets;
}

bool avantCommeLeJeu(const QString &a, const QString &b)
{
    const int c = QString::compare(a.toUpper(), b.toUpper(), Qt::CaseSensitive);
    return c != 0 ? c < 0 : a < b;
}

bool nomInjoignable(const EntreeDossier &e)
{
    return !e.nomBrut.isEmpty() && e.nomBrut != QFile::encodeName(e.nom);
}

bool nomInjoignable(const QString &dossier, const QString &nom)
{
    if (!nom.contains(QChar::ReplacementCharacter))
        return false;
    try {
        const QList<EntreeDossier> entrees = listerDossier(dossier);
        return std::any_of(entrees.begin(), entrees.end(),
                           [&](const EntreeDossier &e) { return e.nom == nom && nomInjoignable(e); });
    } catch (const ErreurExecution &) {
        return false;
    }
}

void trierCommeLeJeu(QList<EntreeDossier> &entrees)
{
    // Upper-cased once per entry, not once per comparison, side by side in
    // one block, each code unit big-end first: memcmp() then orders them as
    // the code units do, tens of thousands of consists sorted at its pace.
    const QList<EntreeDossier> &lues = entrees;
    std::vector<char16_t> majuscules;
    majuscules.reserve(static_cast<size_t>(std::accumulate(
        lues.begin(), lues.end(), qsizetype(0), [](qsizetype n, const EntreeDossier &e) { return n + e.nom.size(); })));
    struct Cle {
        size_t debut;
        size_t longueur;
        qsizetype indice;
    };
    std::vector<Cle> cles;
    cles.reserve(static_cast<size_t>(entrees.size()));
    const auto ajouter = [&majuscules](char16_t u) { majuscules.push_back(qToBigEndian(u)); };
    for (qsizetype i = 0; i < lues.size(); ++i) {
        const QString &nom = lues[i].nom;
        const size_t debut = majuscules.size();
        if (std::all_of(nom.begin(), nom.end(), [](QChar c) { return c.unicode() < 0x80; })) {
            for (const QChar c : nom) {
                const char16_t u = c.unicode();
                ajouter(u >= u'a' && u <= u'z' ? char16_t(u - (u'a' - u'A')) : u);
            }
        } else {
            for (const QChar c : nom.toUpper())
                ajouter(c.unicode());
        }
        cles.push_back({debut, majuscules.size() - debut, i});
    }
    std::sort(cles.begin(), cles.end(), [&](const Cle &x, const Cle &y) {
        const int c = std::memcmp(majuscules.data() + x.debut, majuscules.data() + y.debut,
                                  std::min(x.longueur, y.longueur) * sizeof(char16_t));
        if (c != 0)
            return c < 0;
        if (x.longueur != y.longueur)
            return x.longueur < y.longueur;
        return lues[x.indice].nom < lues[y.indice].nom;
    });
    QList<EntreeDossier> triees(entrees.size());
    EntreeDossier *vers = triees.data();
    EntreeDossier *de = entrees.data();
    for (const Cle &c : cles)
        *vers++ = std::move(de[c.indice]);
    entrees = std::move(triees);
}

#ifdef Q_OS_WIN

QList<EntreeDossier> listerDossier(const QString &dossier)
{
    const QFileInfo info(dossier);
    if (!info.isDir())
        throw ErreurExecution(NumErreur::CheminIntrouvable);
    QList<EntreeDossier> entrees;
    const QFileInfoList liste =
        QDir(dossier).entryInfoList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    for (const QFileInfo &i : liste)
        entrees.append({i.fileName(), {}, i.isFile(), i.isDir()});
    return entrees;
}

std::unique_ptr<QIODevice> ouvrirEntree(const QString &dossier, const EntreeDossier &e, int &err)
{
    auto f = std::make_unique<QFile>(QDir(dossier).filePath(e.nom));
    if (f->open(QIODevice::ReadOnly)) {
        err = 0;
        return f;
    }
    err = f->exists() ? EACCES : ENOENT;
    return nullptr;
}

DossierLecture::DossierLecture(QString dossier) : m_dossier(std::move(dossier)) {}

DossierLecture::~DossierLecture() = default;

qint64 DossierLecture::lire(const EntreeDossier &e, char *tampon, qint64 capacite, int &err) const
{
    const std::unique_ptr<QIODevice> f = ouvrirEntree(m_dossier, e, err);
    if (!f)
        return -1;
    qint64 total = 0;
    while (total < capacite) {
        const qint64 lus = f->read(tampon + total, limite(capacite - total));
        if (lus < 0) {
            err = EIO;
            return -1;
        }
        if (lus == 0)
            break;
        total += lus;
    }
    return total;
}

#else

QList<EntreeDossier> listerDossier(const QString &dossier)
{
    const QByteArray chemin = QFile::encodeName(dossier);
    DIR *d = ::opendir(chemin.constData());
    if (!d) {
        const int err = errno;
        throw ErreurExecution::depuisErrno(err, err == ENOENT);
    }
    const int fd = ::dirfd(d);
    QList<EntreeDossier> entrees;
    int err = 0;
    for (;;) {
        // readdir() tells its failure only through errno; fstatat() below
        // sets it too, so it is cleared before each call.
        errno = 0;
        const dirent *e = ::readdir(d);
        if (!e) {
            err = errno;
            break;
        }
        const char *n = e->d_name;
        if (n[0] == '.' && (n[1] == 0 || (n[1] == '.' && n[2] == 0)))
            continue;
        EntreeDossier entree;
        entree.nomBrut = QByteArray(n);
        entree.nom = QFile::decodeName(entree.nomBrut);
        unsigned char type = e->d_type;
        if (type == DT_LNK || type == DT_UNKNOWN) {
            struct stat st {};
            if (::fstatat(fd, n, &st, 0) == 0)
                type = S_ISREG(st.st_mode) ? DT_REG : S_ISDIR(st.st_mode) ? DT_DIR : DT_UNKNOWN;
            else
                type = DT_UNKNOWN; // a link that leads nowhere
        }
        entree.fichier = type == DT_REG;
        entree.dossier = type == DT_DIR;
        entrees.append(std::move(entree));
    }
    ::closedir(d);
    if (err != 0)
        throw ErreurExecution::depuisErrno(err);
    return entrees;
}

namespace {

// A file read straight through its descriptor: QFile would add a stat, a
// seek and a buffer copy per file, which shows on a hundred thousand files.
class FichierBrut : public QIODevice {
public:
    explicit FichierBrut(int fd) : m_fd(fd) { open(QIODevice::ReadOnly | QIODevice::Unbuffered); }
    ~FichierBrut() override { ::close(m_fd); }
    bool isSequential() const override { return true; }

protected:
    qint64 readData(char *donnees, qint64 taille) override
    {
        for (;;) {
            const ssize_t lu = ::read(m_fd, donnees, static_cast<size_t>(limite(taille)));
            if (lu >= 0)
                return lu;
            if (errno != EINTR) {
                setErrorString(QString::fromLocal8Bit(std::strerror(errno)));
                return -1;
            }
        }
    }
    qint64 writeData(const char *, qint64) override { return -1; }

private:
    int m_fd;
};

} // namespace

std::unique_ptr<QIODevice> ouvrirEntree(const QString &dossier, const EntreeDossier &e, int &err)
{
    QByteArray chemin = QFile::encodeName(dossier);
    if (!chemin.endsWith('/'))
        chemin.append('/');
    chemin.append(e.nomBrut.isEmpty() ? QFile::encodeName(e.nom) : e.nomBrut);
    const int fd = ::open(chemin.constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        err = errno;
        return nullptr;
    }
    err = 0;
    return std::make_unique<FichierBrut>(fd);
}

DossierLecture::DossierLecture(QString dossier) : m_dossier(std::move(dossier))
{
    m_chemin = QFile::encodeName(m_dossier);
    if (!m_chemin.endsWith('/'))
        m_chemin.append('/');
    m_fd = ::open(m_chemin.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
}

DossierLecture::~DossierLecture()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

qint64 DossierLecture::lire(const EntreeDossier &e, char *tampon, qint64 capacite, int &err) const
{
    err = 0;
    const QByteArray nom = e.nomBrut.isEmpty() ? QFile::encodeName(e.nom) : QByteArray();
    const char *brut = e.nomBrut.isEmpty() ? nom.constData() : e.nomBrut.constData();
    // Without the folder open (gone since it was listed), the path says so.
    const int fd = m_fd >= 0 ? ::openat(m_fd, brut, O_RDONLY | O_CLOEXEC)
                             : ::open((m_chemin + brut).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        err = errno;
        return -1;
    }
    qint64 total = 0;
    while (total < capacite) {
        const ssize_t lus = ::read(fd, tampon + total, static_cast<size_t>(limite(capacite - total)));
        if (lus < 0 && errno == EINTR)
            continue;
        if (lus < 0) {
            err = errno;
            ::close(fd);
            return -1;
        }
        if (lus == 0)
            break;
        total += lus;
    }
    ::close(fd);
    return total;
}

#endif

} // namespace corvanel
