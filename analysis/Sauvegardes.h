#pragma once
// Writing one replacement's backup: the original bytes of each consist it
// changes and a manifest, one JSON object a line: first the game folder,
// the consist folder, OLD, NEW and the date; then each consist with a
// digest of the bytes the replacement wrote; an undo adds a last line.
#include "analysis/Remplacement.h"

#include <QByteArray>
#include <QList>
#include <QSet>
#include <QString>

#include <functional>
#include <utility>

namespace corvanel {

namespace sf {
class DossierOuvert;
}

class EcrivainSauvegarde {
public:
    // Makes a new "<date-time>" folder under dossierSauvegardes(), both for
    // the user alone, as every file in them (they hold copies of the user's
    // files, which other accounts need not read); throws
    // SauvegardeImpossible when it cannot, or when that place lies inside the
    // consist folder (where the clean-up would delete it and the game read it).
    EcrivainSauvegarde(const QString &dossierJeu, const QString &dossierConsists, const QString &ancien,
                       const QString &nouveau);

    const QString &dossier() const { return m_dossier; }

    struct AGarder {
        QString nom;
        QByteArray original;
        QByteArray nouveau;
    };
    // Keeps each original and notes each consist, all on the disk before
    // any consist is written. For each, in order: its failure, or none.
    // Waits for the disk: the window's thread calls it through sansBloquer.
    QList<std::optional<ErreurExecution>> garder(const QList<AGarder> &consists);

private:
    QString m_dossier;
    QString m_manifeste;
    // A backups folder that ignores letter case (a FAT stick, a share, a
    // case-folding FUSE folder) holds one backup for "a.con" and "A.con":
    // the second consist would be written with the first one's bytes as its
    // only way back. Such a consist is left instead.
    bool m_ignoreCasse = false;
    QSet<QString> m_plisGardes;
};

// Writes the consists a replacement or an undo changes, in lots: one wait
// for the disk a lot rather than one a consist, with the backup of each
// consist of a lot on the disk before the lot is written. The outcomes land
// in the Bilan in the scan's order whatever lot they were written in.
class EcrituresConsists {
public:
    // `battement`: let the window breathe between two files. Every consist
    // is written relative to `consists`, held open for the whole command.
    EcrituresConsists(Bilan &bilan, std::function<void()> battement, const sf::DossierOuvert &consists);

    // From the first consist to write on: its backup goes there.
    void sauvegarderDans(EcrivainSauvegarde *sauvegarde) { m_sauvegarde = sauvegarde; }
    // The next consist of the scan: written with the lot, or already as it
    // should be, or left.
    void ecrire(const QString &nom, QByteArray original, QByteArray nouveau);
    void dejaFait(const QString &nom);
    void laisser(ConsistLaisse laisse);
    // Writes the last lot and puts the outcomes in order.
    void terminer();

private:
    struct Ecriture {
        qsizetype rang;
        EcrivainSauvegarde::AGarder consist;
    };
    void ecrireLot();

    Bilan &m_bilan;
    std::function<void()> m_battement;
    const sf::DossierOuvert &m_consists;
    EcrivainSauvegarde *m_sauvegarde = nullptr;
    qsizetype m_rang = 0;
    qsizetype m_octetsLot = 0;
    QList<Ecriture> m_lot;
    QList<std::pair<qsizetype, QString>> m_changes;
    QList<std::pair<qsizetype, ConsistLaisse>> m_laisses;
};

// A consist's name as a manifest may give it: a bare file name of the
// consist folder (no separator, not "." or ".."). Anything else (a manifest
// edited, or made elsewhere) would lead the undo out of the folder.
bool nomDeConsistSimple(const QString &nom);

// The game folder as backups name it: absolute, links resolved.
QString identiteJeu(const QString &dossierJeu);

} // namespace corvanel
