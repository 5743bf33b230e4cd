#pragma once
// Acting only on the folder that was scanned. A command that changes the
// consist folder holds it open for its whole run and does each step through
// that descriptor: renaming the folder, or putting a link in its place while
// a question is open, does not send a deletion or a write elsewhere. And run
// as root, a command first refuses a folder another account could change
// (and so swap under it).
#include "fileops/SystemeFichiers.h"

#include <QString>
#include <QStringList>

#include <optional>

namespace corvanel::sf {

// --- Folders another account could change ----------------------------------
// Whether the program runs with the administrator's rights (root on Linux;
// never on Windows, where the platform's own access lists decide). Tests
// give the answer: none puts back the real one.
bool privilegie();
void simulerPrivilege(std::optional<bool> privilegie);

// A folder, or a link, on the way to a folder that an account other than
// ours and root's could change: it owns it, or (a folder) group or others
// can write to it without the sticky bit.
struct CheminRisque {
    QString chemin;
    bool autreCompte = false; // owned by another account; else writable by others
    QString compte;           // that account's name, or its number
};
// Walks `dossier` from the root down, each link on the way checked itself
// and then followed. None when every step is safe, and always on Windows.
std::optional<CheminRisque> cheminRisque(const QString &dossier);

// --- The consist folder held open -------------------------------------------
// A name of the folder no longer leads to the entry that was listed, or the
// folder's path no longer leads to the folder held (renamed, or replaced by a
// link): nothing was done to it.
struct NomDeplace {
    QString chemin;
};

// A consist that is a symbolic link to anything but a regular file of its
// own folder: it is never written through.
class LienSortant : public ErreurExecution {
public:
    LienSortant();
};

class DossierOuvert {
public:
    // Opens the folder at `chemin` (a link as its last component refused)
    // and, with `attendu`, checks that it is that folder (volume and file
    // number). Throws NomDeplace when it is a link or another folder,
    // ErreurExecution when it cannot be opened.
    explicit DossierOuvert(const QString &chemin, std::optional<Identite> attendu = std::nullopt);
    ~DossierOuvert();
    DossierOuvert(const DossierOuvert &) = delete;
    DossierOuvert &operator=(const DossierOuvert &) = delete;

    // The folder's path as given, ending in a separator, followed by `nom`.
    QString chemin(const QString &nom = QString()) const { return m_chemin + nom; }
    const Identite &identite() const { return m_identite; }
    // The descriptor (POSIX), -1 on Windows.
    int descripteur() const { return m_fd; }

    // Throws NomDeplace unless the folder's path still leads to the folder
    // held and `nom` by that path leads to the entry the descriptor holds
    // under that name (a name gone from both passes: there is nothing to
    // act on). Called before each change and after each question.
    void verifier(const QString &nom) const;
    // retirer() of one entry, verified first: a file or a link is unlinked
    // and a folder emptied relative to the descriptor; the trash takes it by
    // its path right after the check. True when it went to the trash.
    bool retirer(const QString &nom, bool corbeille) const;
    // The same, but an item the trash did not take is deleted for good only
    // when `avant` agrees (checked again after it: the question may stay
    // open a while).
    Retrait retirer(const QString &nom, bool corbeille, const AvantSuppressionDefinitive &avant) const;
    // The bytes of the file `nom` leads to: itself, or a link's target when
    // that is a regular file of this folder (LienSortant otherwise). Throws
    // 53 when nothing is there.
    QByteArray lire(const QString &nom) const;
    // Throws LienSortant when `nom` is a link that may not be written through.
    void verifierLien(const QString &nom) const;

private:
    QString m_chemin;
    Identite m_identite;
    int m_fd = -1;
    void *m_poignee = nullptr; // Windows: the folder's handle
};

} // namespace corvanel::sf
