#pragma once
// The one engine behind every command that reads the consist folder: the
// window's scan, the report window, and the command line's scan, report and
// stock commands. It lists the folder, reads the consists ahead on other
// threads, takes their vehicle lines apart there, then, on the caller's
// thread and in the listing's order, asks whether each vehicle exists and
// hands each consist over. Callers keep only what is theirs: controls, texts
// and output.
#include "platform/ListeDossier.h"

#include <QByteArrayView>
#include <QList>
#include <QString>
#include <QStringView>

#include <cstdint>
#include <functional>
#include <memory>

namespace corvanel {

// One vehicle line ("EngineData" or "WagonData" anywhere in it, letter case
// as written) of a consist.
struct VehiculeLu {
    std::int64_t ligne = 0; // its number in the consist file, from 1
    bool saine = false;     // could be taken apart; the fields below are empty otherwise
    bool existe = false;    // sound, and the folder, then the file in it, exist (letter case ignored)
    QStringView dossier;    // vehicle folder under the trainset folder, as spelt
    QStringView nom;        // vehicle file name without extension, as spelt
    QStringView extension;  // ".eng" for EngineData (also when both keywords appear), ".wag"
    bool moteur() const { return extension == u".eng"; }
};

// One consist as the engine judged it. The views hold until the callback
// that received it returns.
struct ConsistJuge {
    const EntreeDossier *entree = nullptr; // its entry in the listing (name as on disk)
    bool invalide = false;                 // an unsound line, or a vehicle that does not exist
    bool disparu = false;                  // removed since the listing: read as holding nothing
    // A consist too large to hold (over 1 MiB) comes in parts of a few
    // thousand lines: true on every part but the last, and `invalide` is then
    // the verdict so far. Act on a consist's verdict once this is false.
    bool partiel = false;
    // Its vehicle lines in file order. With Profondeur::PremiereFaute, those
    // up to the first fault only (the rest of the file is not judged).
    QList<VehiculeLu> vehicules;
    // With Profondeur::Octets only: the whole file as it is on disk, or the
    // errno value of the open or read that failed (the run goes on).
    QByteArrayView octets;
    int erreur = 0;
};

enum class Profondeur {
    PremiereFaute, // the scan: the first unsound or missing vehicle settles a consist
    Entiere,       // the report and the stock commands: every vehicle line
    Octets,        // the replace command: each consist's bytes, not judged
};

// How the engine reaches its caller, always on the caller's thread.
struct SuiviAnalyse {
    // The folder is listed: how many files it holds, consists or not.
    std::function<void(qsizetype fichiers)> liste;
    // One more file of the listing passed (consist or not), in order.
    std::function<void(qsizetype passes)> avance;
    // A consist judged (a name ending in ".con" in any letter case, as on
    // disk), in listing order.
    std::function<void(const ConsistJuge &)> consist;
    // Called often (each consist, each line of a consist too large to hold,
    // and every few milliseconds while it waits for its threads): where a
    // window lets its events run.
    std::function<void()> battement;
};

struct BilanAnalyse {
    qsizetype fichiers = 0;  // every file of the folder
    qsizetype consists = 0;  // those judged
    qsizetype invalides = 0; // those found invalid
};

class MoteurAnalyse {
public:
    // Both folders as the program holds them (with or without a final separator).
    MoteurAnalyse(QString dossierConsists, QString dossierTrainset);
    ~MoteurAnalyse();
    MoteurAnalyse(const MoteurAnalyse &) = delete;
    MoteurAnalyse &operator=(const MoteurAnalyse &) = delete;

    // Runs once over the folder. Throws ErreurExecution when the folder
    // cannot be listed or a consist cannot be opened or read (after handing
    // over every consist before it; with Profondeur::Octets the consist comes
    // with its `erreur` instead); a consist removed meanwhile is passed over
    // as `disparu`. Vehicle answers are kept for the engine's lifetime.
    BilanAnalyse analyser(Profondeur profondeur, const SuiviAnalyse &suivi);

private:
    struct Etat;
    std::unique_ptr<Etat> m_etat;
};

} // namespace corvanel
