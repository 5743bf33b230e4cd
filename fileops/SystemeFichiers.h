#pragma once
// Every change the program makes to the user's files goes through here:
// attributes, deletion, copies, new folders. Failures come back as
// ErreurExecution with the classic run-time number and the system's
// description. Tests inject failures through this layer (sessions run as
// root, where removing a write permission does not make a file unwritable).
#include "platform/ErreurExecution.h"

#include <QDateTime>
#include <QList>
#include <QString>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

namespace corvanel::sf {

class DossierOuvert; // fileops/DossierOuvert.h

// Attribute bits as the game's platform has them.
enum Attribut : int {
    LectureSeule = 0x1,
    Cache = 0x2,
    Systeme = 0x4,
    Dossier = 0x10,
    Archive = 0x20,
};

// GetAttr, on the path itself (a symbolic link is not followed). On Linux:
// read-only is "no write permission bit"; hidden, system and archive come
// from the extended attribute "user.DOSATTRIB" ("0x" and the hexadecimal
// value, as Wine writes it; Samba's longer form, which starts with the same
// text and a null, reads the same); with no stored value, a name beginning
// with "." counts as hidden. Folders carry Dossier. A missing path throws 53.
int lireAttributs(const QString &chemin);
// SetAttr of read-only, hidden, system and archive (0 clears all four);
// every other stored bit is kept. Read-only clears every write bit (ignored on a folder, as Wine
// does); clearing it gives the owner write back. Throws when the file
// system cannot store a hidden or archive state that was asked for (a file
// system without extended attributes, or a symbolic link, which has none of
// its own); asking for 0 never fails for that reason.
void definirAttributs(const QString &chemin, int attributs);

// DeleteFile with force False: a read-only file is refused (70). A symbolic
// link is removed as a link.
void supprimerFichier(const QString &chemin);
// DeleteFolder with force False: the folder and all it holds. Refused (70),
// with nothing removed, when the folder or anything in it is read-only. A
// symbolic link, inside or given as the folder, is removed as a link and
// never followed: nothing outside the folder is touched. A folder inside on
// another mount is never gone into: AutreMontage, with nothing removed.
void supprimerDossier(const QString &chemin);
// Removes a symbolic link itself, whatever it points at (5 when the path is
// not a link).
void supprimerLien(const QString &chemin);
// Takes a file, a link or a folder with all it holds out of its folder, with
// the refusals of supprimerFichier, supprimerLien or supprimerDossier checked
// before anything moves. With `corbeille` it goes to the system's trash where
// there is one for its volume (QFile::moveToTrash: the freedesktop Trash, the
// Recycle Bin) and is deleted only when the trash does not take it. A link
// goes as a link; what it points at is never touched. A folder goes to the
// trash whole, in one step, or not at all. True when it went to the trash.
bool retirer(const QString &chemin, bool corbeille);

// Why an item did not go to the trash: no trash could be made for the user
// (its data folder cannot be created), or the trash of the item's volume did
// not take it (there is none the user may write, the item is a link to
// another volume, or the move into it was refused).
enum class RefusCorbeille { SansCorbeille, Refusee };
// Asked, when the trash was wanted and did not take an item, before that
// item is deleted for good; false leaves it where it is. None: deleted.
using AvantSuppressionDefinitive = std::function<bool(RefusCorbeille)>;
// A file sent to the trash by itself, first checked as retirer() checks it
// (a read-only file refused, 70): where the trash put it, or none, with why,
// when the trash did not take it (nothing moved then).
std::optional<QString> versLaCorbeille(const QString &chemin, RefusCorbeille &raison);
// Puts back at `chemin` a file the trash holds at `place`, and takes away the
// trash's record of it. Refused (58) when something stands at `chemin`.
void sortirDeLaCorbeille(const QString &place, const QString &chemin);
// Renames a file to `aCote`, a new name in the same folder, so that it can be
// put back; refused (58) when that name is taken.
void mettreDeCote(const QString &chemin, const QString &aCote);
// What became of an item given to a retirer() with that question.
enum class Retrait { Corbeille, Supprime, Laisse };
// CopyFile with overwrite True: writes a temporary file of a short name
// beside the destination, checks its size against the source's, keeps the source's modification time and
// permissions, then puts it in place. A read-only destination is refused
// (70). A failure leaves the destination as it was and no temporary file.
// Works across file systems.
void copierFichier(const QString &source, const QString &destination);
// MkDir: 75 when the path exists, 76 when its parent folder is missing.
// `prive`: for the owner alone (0700), as backups of the user's files are.
void creerDossier(const QString &chemin, bool prive = false);
// Gives a file new contents, or creates it: written in full to a temporary
// file beside it and renamed into place, so a failure at any point leaves the
// file as it was. An existing file keeps its permissions, owner and hidden,
// system and archive state; a new one is readable by all, or with `prive`
// by its owner alone (0600). A symbolic link keeps pointing where it did and
// its target gets the contents, only when that target is a regular file of
// the same folder: any other link is refused (LienSortant), since writing
// through it would change a file the folder does not hold. Every step is
// taken relative to the folder, opened once. A read-only file is refused (70)
// unless `lectureSeuleAdmise`, and stays read-only when written.
void ecrireContenu(const QString &chemin, const QByteArray &octets, bool lectureSeuleAdmise = false,
                   bool prive = false);
// Adds bytes at the end of a file of the program's own (a log), creating it,
// and waits until they are on the disk.
void ajouterContenu(const QString &chemin, const QByteArray &octets);

// New contents for many files, each written as ecrireContenu writes it, but
// with one wait for the disk for all of them instead of one a file: on a
// slow disk, thousands of consists would otherwise take minutes.
class LotEcritures {
public:
    LotEcritures();
    ~LotEcritures(); // what was prepared and not placed is thrown away
    LotEcritures(const LotEcritures &) = delete;
    LotEcritures &operator=(const LotEcritures &) = delete;

    // Checks `chemin` and writes `octets` beside it as ecrireContenu does,
    // throwing what it would throw; the file itself is not changed yet.
    void preparer(const QString &chemin, const QByteArray &octets, bool lectureSeuleAdmise = false, bool prive = false);
    // The same for the entry `nom` of a folder held open.
    void preparer(const DossierOuvert &dossier, const QString &nom, const QByteArray &octets,
                  bool lectureSeuleAdmise = false);
    // Puts every prepared content on the disk, then each in its file's
    // place. For each prepared file, in order: its failure, or none. The
    // lot is empty afterwards.
    QList<std::optional<ErreurExecution>> placer();
    qsizetype taille() const;

private:
    struct Prive;
    std::unique_ptr<Prive> d;
};

// The attributes exactly as they are stored (permission bits and the stored
// DOS value; on Windows the attribute word), so that a consist the program
// made normal and then did not move gets them back byte for byte.
struct EtatAttributs {
    std::uint32_t mode = 0;
    QByteArray valeur; // null: nothing stored
    bool operator==(const EtatAttributs &) const = default;
};
EtatAttributs sauverAttributs(const QString &chemin);
void restaurerAttributs(const QString &chemin, const EtatAttributs &etat);
// SetAttr 0 on a file the user let the program make normal; what it had, for
// remettre() when the deletion or move then does not happen.
EtatAttributs rendreNormal(const QString &chemin);
// Puts them back if there are any and the file is still there; a failure to
// do so goes unsaid, since the failure that led here is told.
void remettre(const QString &chemin, const std::optional<EtatAttributs> &etat) noexcept;

// What tells that a path still leads to the file it led to: the volume and
// file number, the size and the modification time (links followed).
struct Identite {
    std::uint64_t volume = 0;
    std::uint64_t numero = 0;
    std::int64_t taille = 0;
    std::int64_t dateNs = 0;
    bool operator==(const Identite &) const = default;
    bool memeFichier(const Identite &o) const { return volume == o.volume && numero == o.numero; }
};
// None when nothing is there.
std::optional<Identite> identite(const QString &chemin);

// A folder that lies on another mount than the folder holding it (a mount
// point, a bind mount included): the clean-up never goes into one.
bool surAutreMontage(const QString &chemin);
// Thrown by supprimerDossier, before anything is removed, for such a folder
// found inside the one to delete.
struct AutreMontage {
    QString chemin;
};

// Whether a new file can be written into `dossier`, found by making an empty
// hidden file there and removing it at once: permission bits say nothing to
// an administrator, nor of a read-only medium or an access list. Empty when
// it can; otherwise why not, in the system's words.
QString ecritureRefusee(const QString &dossier);

QDateTime dateModification(const QString &chemin);
std::int64_t taille(const QString &chemin);
bool fichierExiste(const QString &chemin);
bool dossierExiste(const QString &chemin);
// True when something stands at the path, a dangling symbolic link included.
bool existe(const QString &chemin);
bool estLien(const QString &chemin);

// The failure for an errno value: the classic number and its French
// description, followed by the system's own words where the classic
// description says too little (75, 5).
ErreurExecution erreurSysteme(int err);

// --- Fault injection, for tests ------------------------------------------
// Montage stands for a second mount: identite() reports another volume and
// surAutreMontage() true for the paths it applies to (the error value is not
// used). Ecriture also stands for a folder where ecritureRefusee's trial
// file cannot be made. Corbeille: the trash refuses the item, which
// retirer() then deletes.
enum class Operation { Attributs, Suppression, Copie, CreationDossier, Montage, Ecriture, Corbeille, Toutes };

// From now on, `operation` on any path containing `fragment` fails with the
// errno value `err`. Attributs with ENOTSUP stands for a file system without
// extended attributes: only what needs one to be stored fails. For copies and
// writes, `apresOctets` >= 0 lets that many bytes be written before the
// failure (a disk that fills up). Safe to call from any thread.
void injecterPanne(Operation operation, const QString &fragment, int err, std::int64_t apresOctets = -1);
void retirerPannes();

} // namespace corvanel::sf
