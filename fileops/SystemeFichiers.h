#pragma once
// Every change the program makes to the user's files goes through here:
// attributes, deletion, copies, new folders. Failures come back as
// ErreurExecution with the classic run-time number and the system's
// description. Tests inject failures through this layer (sessions run as
// root, where removing a write permission does not make a file unwritable).
#include <QDateTime>
#include <QString>

#include <cstdint>

namespace corvanel::sf {

// Attribute bits as the game's platform has them.
enum Attribut : int {
    LectureSeule = 0x1,
    Cache = 0x2,
    Systeme = 0x4,
    Archive = 0x20,
};

// GetAttr. On Linux: read-only is "no write permission bit"; hidden, system
// and archive come from the extended attribute "user.DOSATTRIB" ("0x" and the
// hexadecimal value, as Wine writes it); with no stored value, a name
// beginning with "." counts as hidden.
int lireAttributs(const QString &chemin);
// SetAttr. Read-only clears every write bit; clearing it gives the owner
// write back. Bits not managed here (system, directory...) are kept.
void definirAttributs(const QString &chemin, int attributs);

// DeleteFile with force False: a read-only file is refused (70).
void supprimerFichier(const QString &chemin);
// DeleteFolder with force False: the folder and all it holds; a symbolic link
// is removed as a link, never followed.
void supprimerDossier(const QString &chemin);
// Removes a symbolic link itself, whatever it points at.
void supprimerLien(const QString &chemin);
// CopyFile with overwrite True: writes a temporary file beside the
// destination, checks its size, keeps the source's modification time, then
// puts it in place. A read-only destination is refused (70). Works across
// file systems.
void copierFichier(const QString &source, const QString &destination);
// MkDir.
void creerDossier(const QString &chemin);

QDateTime dateModification(const QString &chemin);
std::int64_t taille(const QString &chemin);
bool fichierExiste(const QString &chemin);
bool dossierExiste(const QString &chemin);

// --- Fault injection, for tests ------------------------------------------
enum class Operation { Attributs, Suppression, Copie, CreationDossier, Toutes };

// From now on, `operation` on any path containing `fragment` fails with the
// errno value `err`. For copies, `apresOctets` >= 0 lets that many bytes be
// written before the failure (a disk that fills up).
void injecterPanne(Operation operation, const QString &fragment, int err, std::int64_t apresOctets = -1);
void retirerPannes();

} // namespace corvanel::sf
