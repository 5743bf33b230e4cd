#pragma once
// What the two platform halves of the file-operation layer share: the
// injected failures and how an errno value becomes a run-time failure.
#include "fileops/SystemeFichiers.h"

#include <optional>

#ifndef Q_OS_WIN
#include <sys/stat.h>
#endif

namespace corvanel::sf::interne {

struct Panne {
    Operation operation;
    QString fragment;
    int err;
    std::int64_t apresOctets;
};

// The first injected failure that applies to `operation` on `chemin`.
std::optional<Panne> pannePour(Operation operation, const QString &chemin);

// Throws the injected failure, if any.
void verifierPanne(Operation operation, const QString &chemin);

// True for the "operation not supported" family: a file system without
// extended attributes.
bool nonSupporte(int err);

// Checks Attributs failures on `chemin`: throws any injected failure except
// ENOTSUP, which it reports as true (the file system then behaves as one that
// keeps no extended attributes).
bool sansAttributsEtendus(const QString &chemin);

// The name's last component begins with "." (and is not "." or "..").
bool nomCache(const QString &chemin);

// A name for ecritureRefusee's trial file in `dossier`, hidden and unlikely
// to be taken.
QString cheminEssai(const QString &dossier);

// Throws what deleting `chemin` would refuse (force False), before anything
// is removed: the trash takes only what deletion would have taken.
void verifierRetrait(const QString &chemin);

// Moves an item to the system's trash; false when there is none for it or
// it refuses the item (nothing moved then), with why in `raison`.
bool versLaCorbeille(const QString &chemin, RefusCorbeille *raison = nullptr, QString *place = nullptr);

#ifndef Q_OS_WIN
// The entry of the open folder `dossier` that writing to `nom` changes:
// itself, or when it is a symbolic link, its target if that is a regular
// file of the same folder; LienSortant for any other link. `st`: what stands
// at that entry (not followed), none when nothing does.
QByteArray cibleDans(int dossier, const QByteArray &nom, std::optional<struct stat> &st);

// Removes the entry `nom` of the open folder `dossier` as supprimerFichier,
// supprimerLien or supprimerDossier would, every step relative to it (a
// folder is opened without following a link, and emptied through its own
// descriptor). `chemin` names it for injected failures and reports.
void supprimerDans(int dossier, const QByteArray &nom, const QString &chemin);
#endif

// The attribute bits stored in "user.DOSATTRIB".
int analyserAttributsDos(QByteArrayView brut);

#ifndef Q_OS_WIN
// The process's file-creation mask, read once.
unsigned masqueCreation();
#endif

} // namespace corvanel::sf::interne
