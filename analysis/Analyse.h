#pragma once
// Judging consists: the scan's verdict (first fault settles a consist) and
// the report's rows (every fault of every consist).
#include "analysis/LecteurConsist.h"
#include "analysis/MoteurAnalyse.h"
#include "platform/ListeDossier.h"

#include <QElapsedTimer>
#include <QHash>
#include <QList>
#include <QString>

#include <chrono>
#include <cstdint>
#include <functional>
#include <future>

namespace corvanel {

// interaction().laisserPasserEvenements(), without the seam's header here.
void laisserPasserEvenementsDuProgramme();

// Lets window events run when at least `intervalleMs` have passed since the
// last time, so the window repaints and answers while long work goes on.
class Cadence {
public:
    // -1: the program's usual interval. `avant` runs just before events are
    // let through (e.g. to show the progress reached).
    explicit Cadence(int intervalleMs = -1, std::function<void()> avant = {});
    void battre();
    // The usual interval (25 ms); tests set 0 to see every step, -1 goes
    // back to the usual one.
    static void definirIntervalle(int intervalleMs);

private:
    QElapsedTimer m_minuteur;
    qint64 m_intervalle;
    unsigned m_battements = 0;
    std::function<void()> m_avant;
};

// Runs `travail` on another thread while window events go on being let
// through; returns its result or throws what it threw. For the steps of a
// long command that are one system call too long to cut up (listing a
// folder of a hundred thousand files).
template <typename Travail> auto sansBloquer(Travail travail) -> decltype(travail())
{
    auto futur = std::async(std::launch::async, std::move(travail));
    while (futur.wait_for(std::chrono::milliseconds(15)) != std::future_status::ready)
        laisserPasserEvenementsDuProgramme();
    return futur.get();
}

// Lets go of what a long command held (a hundred thousand names, the
// trainset's cache) on another thread: on the window's, freeing them held
// the window still for tens of milliseconds.
template <typename... Objets> void libererSansBloquer(Objets &...objets)
{
    sansBloquer([&] { ((objets = Objets{}), ...); });
}

// Every file directly in the consist folder (consists or not), in the order
// the game's platform lists them. Throws ErreurExecution when the folder
// cannot be listed.
QList<EntreeDossier> fichiersConsists(const QString &dossierConsists);

// One row of the detailed report.
struct LigneRapport {
    QString consist; // file name, with ".con"
    QString dossier; // "\"Folder\"", or the unreadable-line text
    QString fichier; // "\"Name.ext\"", or the unreadable-line text

    bool operator==(const LigneRapport &) const = default;
};

// The report's rows, in the order found, without duplicates.
class Rapport {
public:
    // `modeleIllisible` is the language's text for an unreadable line, with
    // "[line]" still in it.
    explicit Rapport(QString modeleIllisible);

    // A row per fault of a consist the engine judged to its end.
    void ajouter(const ConsistJuge &consist);

    const QList<LigneRapport> &lignes() const { return m_lignes; }

private:
    void retenir(LigneRapport l);
    QString m_modele;
    QList<LigneRapport> m_lignes;
    QHash<QString, bool> m_vues;
};

// The two export layouts, as lines and as file bytes (CR LF; Windows-1252
// where it holds every character, else UTF-8 with its byte-order mark), and
// the saved list. In CSV a consist's name holding a comma or a quote is
// quoted (RFC 4180).
QStringList lignesCsv(const QList<LigneRapport> &lignes);
QStringList lignesTexte(const QStringList &entete, const QList<LigneRapport> &lignes);
QByteArray exportCsv(const QList<LigneRapport> &lignes);
QByteArray exportTexte(const QStringList &entete, const QList<LigneRapport> &lignes);
QByteArray listeTexte(const QStringList &entete, const QStringList &noms);
// The four head lines: title, dated line, 62 hyphens, one blank.
QStringList enteteListe(const QString &msg20, const QString &msg21, const QDateTime &quand);

} // namespace corvanel
