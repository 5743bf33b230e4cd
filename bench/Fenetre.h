#pragma once
// The windows' side of the benchmark, run in a child process so that its
// peak memory is the windows' own: the main window's scan, its list of
// invalid consists in use, the detailed report window opened from it, and
// the missing-stock window's refresh, replacement and undo, offscreen. Each phase gives the longest time the event loop
// was held up, whatever held it, and the peak memory reached.
#include <QByteArray>
#include <QList>
#include <QString>

namespace corvanel::bench {

// Under these a phase counts as responsive and lean: the window thread's
// own work between two ticks (what holds a user's click back on a machine
// with nothing else to do), and the process's peak memory.
constexpr double ProcesseurCibleMs = 50;
constexpr double MemoireCibleMo = 300;
// The probe's period: short enough that a user's click or keystroke would
// wait about as long as a tick comes late.
constexpr int PeriodeSondeMs = 5;
// Main window: scan, list in use; report window: open and refresh, scroll
// and select, refresh again, close; missing stock: refresh, replace, undo.
constexpr int NombrePhases = 9;

struct Phase {
    QString nom;
    double secondes = -1;       // the command's own time; -1 for user actions spread out on purpose
    double ecartMaxMs = 0;      // longest wait between two ticks of a timer due every few milliseconds
    double processeurMaxMs = 0; // most processor time the window thread used between two ticks
    double ecartCessionsMs = 0; // longest stretch between two of the program's own yields
    long cessions = 0;          // how many yields the phase made
    long memoireKo = 0;         // the process's peak resident memory so far
    int elements = 0;           // rows the phase's list or grid held at its end
};

// Child side: runs the phases on the game folder `jeu`, printing each on
// stdout as soon as it ends.
int mesurerFenetres(int argc, char *argv[], const QString &jeu);

// Child side: the main window's scan alone, printed as a phase.
int mesurerScanFenetre(int argc, char *argv[], const QString &jeu);

// Child side: the delete command on every consist of `jeu`, up to its
// question about the routes' services, answered No.
int mesurerQuestion(int argc, char *argv[], const QString &jeu);

// Parent side: the phases the child printed.
QList<Phase> lirePhases(const QByteArray &sortie);

} // namespace corvanel::bench
