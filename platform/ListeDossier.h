#pragma once
// Listing a folder the way the scan needs it: every entry with its type
// (links followed), the name as it is on disk, and a way to open exactly that
// entry even when its name is not valid in the system's encoding.
#include <QByteArray>
#include <QFile>
#include <QList>
#include <QString>

#include <memory>

namespace corvanel {

struct EntreeDossier {
    QString nom;          // for display and comparisons
    QByteArray nomBrut;   // the bytes on disk (empty where the system has none)
    bool fichier = false; // a regular file, or a link to one
    bool dossier = false; // a folder, or a link to one
};

} // namespace corvanel

// Moved as bytes when a list of tens of thousands of them grows.
Q_DECLARE_TYPEINFO(corvanel::EntreeDossier, Q_RELOCATABLE_TYPE);

namespace corvanel {

// Entries of a folder, "." and ".." left out, hidden ones included, in no
// particular order. Throws ErreurExecution (76 when the folder is missing,
// 70 when it cannot be read).
QList<EntreeDossier> listerDossier(const QString &dossier);

// True when the entry's name on disk is not what its shown name encodes to
// (bytes the system's encoding cannot decode): no path built from `nom`
// reaches it.
bool nomInjoignable(const EntreeDossier &e);
// The same for a name shown in a list: `dossier` holds an entry shown as
// `nom` that no path built from `nom` reaches. Lists the folder only for a
// name that holds the replacement character, which every such name does.
bool nomInjoignable(const QString &dossier, const QString &nom);

// The order in which the game's platform (NTFS) lists a folder: ascending by
// upper-cased name, then by exact name.
void trierCommeLeJeu(QList<EntreeDossier> &entrees);
bool avantCommeLeJeu(const QString &a, const QString &b);

// Opens an entry of `dossier` for reading, by its bytes on disk: a plain,
// unbuffered device (one system call per read, nothing else), or nullptr
// with the errno value of the failure in `err`.
std::unique_ptr<QIODevice> ouvrirEntree(const QString &dossier, const EntreeDossier &e, int &err);

// A folder whose entries are read whole, one after the other, from any
// number of threads at once: opened once, so that each entry costs only its
// own open, reads and close.
class DossierLecture {
public:
    explicit DossierLecture(QString dossier);
    ~DossierLecture();
    DossierLecture(const DossierLecture &) = delete;
    DossierLecture &operator=(const DossierLecture &) = delete;

    // Reads the entry from its start into `tampon` until the end of the file
    // or `capacite` bytes: a read may hand out less than asked (network and
    // FUSE file systems do) without ending the file. The number of bytes
    // read, or -1 with the errno value of the failure in `err`.
    qint64 lire(const EntreeDossier &e, char *tampon, qint64 capacite, int &err) const;

private:
    QString m_dossier;
    QByteArray m_chemin;
    int m_fd = -1;
};

// For tests: the most a single read of a consist hands out (0: no limit), as
// a slow network share would.
void limiterLectures(qint64 octets);

} // namespace corvanel
