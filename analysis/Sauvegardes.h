#pragma once
// Writing one replacement's backup: the original bytes of each consist and
// activity it changes and a manifest, one JSON object a line: first the game
// folder, the consist folder, OLD, NEW and the date; then each consist, or
// each activity (its route's folder and its file), with a digest of the bytes
// the replacement wrote; an undo adds a last line. An activity's original
// lies at "ROUTES/<route>/ACTIVITIES/<file>" in the backup folder.
#include "analysis/Remplacement.h"

#include <QByteArray>
#include <QList>
#include <QSet>
#include <QString>

#include <functional>
#include <map>
#include <memory>
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
        QString route; // an activity's route; empty for a consist
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

// Writes the consists and activities a replacement or an undo changes, in
// lots: one wait for the disk a lot rather than one a file, with the backup
// of each file of a lot on the disk before the lot is written. The outcomes
// land in the Bilan in the order given whatever lot they were written in.
class EcrituresConsists {
public:
    // `battement`: let the window breathe between two files. Every consist
    // is written relative to `consists`, held open for the whole command.
    EcrituresConsists(Bilan &bilan, std::function<void()> battement, const sf::DossierOuvert &consists);

    // From the first consist to write on: its backup goes there.
    void sauvegarderDans(EcrivainSauvegarde *sauvegarde) { m_sauvegarde = sauvegarde; }
    // The next file: written with the lot, or already as it should be, or
    // left. An activity has its `route`, and is written relative to `dossier`
    // (held open until terminer()); a left one is named by cheminActivite().
    void ecrire(const QString &nom, QByteArray original, QByteArray nouveau);
    void ecrire(const sf::DossierOuvert &dossier, const QString &route, const QString &nom, QByteArray original,
                QByteArray nouveau);
    void dejaFait(const QString &nom, const QString &route = {});
    void laisser(ConsistLaisse laisse, bool activite = false);
    // Writes the last lot and puts the outcomes in order.
    void terminer();

private:
    struct Ecriture {
        qsizetype rang;
        EcrivainSauvegarde::AGarder consist;
        const sf::DossierOuvert *dossier; // where it is written
    };
    struct Change {
        qsizetype rang;
        bool activite;
        QString nom; // the consist's, or cheminActivite()
    };
    struct Laisse {
        qsizetype rang;
        bool activite;
        ConsistLaisse laisse;
    };
    void ajouter(Ecriture e);
    void ecrireLot();

    Bilan &m_bilan;
    std::function<void()> m_battement;
    const sf::DossierOuvert &m_consists;
    EcrivainSauvegarde *m_sauvegarde = nullptr;
    qsizetype m_rang = 0;
    qsizetype m_octetsLot = 0;
    QList<Ecriture> m_lot;
    QList<Change> m_changes;
    QList<Laisse> m_laisses;
};

// The ACTIVITIES folders a replacement or an undo writes to, each opened
// once and held until the last lot is written.
class DossiersActivites {
public:
    DossiersActivites();
    ~DossiersActivites();
    // Throws sf::LienSortant when the folder is a symbolic link (it may lead
    // anywhere), Laisse(DossierRisque) when, run as administrator, another
    // account could change it, and what DossierOuvert throws.
    const sf::DossierOuvert &ouvrir(const QString &chemin);

private:
    std::map<QString, std::unique_ptr<sf::DossierOuvert>> m_ouverts;
};

// A file left for a reason of its own, not a failure of the system.
struct Laisse {
    Motif motif;
};

// Runs `etape`, the work on one file: a Laisse, a link out of its folder or
// a failure thrown on the way goes to `laisser`, with the failure's
// description; SauvegardeImpossible stops the whole command.
void pourUnFichier(const std::function<void()> &etape,
                   const std::function<void(Motif, const QString &detail)> &laisser);

// A consist's name as a manifest may give it: a bare file name of the
// consist folder (no separator, not "." or ".."). Anything else (a manifest
// edited, or made elsewhere) would lead the undo out of the folder.
bool nomDeConsistSimple(const QString &nom);
// A route's folder or an activity's file as a manifest may give it: the
// same, "\" refused on every system.
bool nomDeRouteSimple(const QString &nom);

// The game folder as backups name it: absolute, links resolved.
QString identiteJeu(const QString &dossierJeu);

} // namespace corvanel
