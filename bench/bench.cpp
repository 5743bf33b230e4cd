// Speed and memory of the scan and the report on a large generated game
// folder, printed as figures: the floor (reading every consist's bytes),
// `corvanel --scan`, `corvanel --report`, then the windows (main window's
// scan, its list in use, the detailed report window): how long the event
// loop was held up at most and the peak memory.
// Then `corvanel --routes` on the same folder given routes, activities,
// services and timetables; then the routes' services and activities a delete
// or move reads first.
// Usage: corvanel-bench [--consists N] [--dossiers N] [--garder DIR] [--fois N] [--arbres] [--routes] [--activites]
// The scan's figures are given on two trees of the same consists: vehicles
// spelt mostly as on disk, and each spelt in about eight letter cases; each
// run N times (3 by default), the best and the spread. --arbres: those
// figures alone; --routes: the last figure alone; --activites: the generated
// folder and the `--routes` figure alone.
// (20,000 consists by default; --consists 100000 is the scale run.)
#include "bench/Activites.h"
#include "bench/Fenetre.h"
#include "bench/Generateur.h"
#include "bench/Plancher.h"
#include "bench/Reparation.h"
#include "bench/Routes.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <cstdio>
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char **environ;

using namespace corvanel;

namespace {

struct Mesure {
    double secondes = 0;
    long memoireKo = 0;
    int code = -1;
};

// Runs a program with its output thrown away; wall time and peak memory.
Mesure executer(const QStringList &arguments)
{
    QList<QByteArray> octets;
    for (const QString &a : arguments)
        octets << a.toLocal8Bit();
    std::vector<char *> argv;
    for (QByteArray &o : octets)
        argv.push_back(o.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    QElapsedTimer chrono;
    chrono.start();
    pid_t pid = 0;
    Mesure m;
    if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ) != 0)
        qFatal("cannot start %s", argv[0]);
    int statut = 0;
    rusage usage{};
    wait4(pid, &statut, 0, &usage);
    m.secondes = chrono.nsecsElapsed() / 1e9;
    m.memoireKo = usage.ru_maxrss;
    m.code = WIFEXITED(statut) ? WEXITSTATUS(statut) : -1;
    posix_spawn_file_actions_destroy(&actions);
    return m;
}

// Other processes on the machine slow every figure: say how busy it was.
QByteArray charge()
{
    QFile f(QStringLiteral("/proc/loadavg"));
    if (!f.open(QIODevice::ReadOnly))
        return "unknown";
    const QList<QByteArray> champs = f.readAll().split(' ');
    return champs.size() < 3 ? "unknown" : champs[0] + ' ' + champs[1] + ' ' + champs[2];
}

// The least any scan must do: list the folder, then open, read to its end
// and close every consist, with plain system calls on one thread (in C).
double plancher(const QString &consists)
{
    int64_t total = 0;
    const double secondes = plancher_dossier(QFile::encodeName(consists).constData(), &total);
    if (total == 0)
        qFatal("nothing read");
    return secondes;
}

// Several runs of the same thing: the best and the worst, as a machine shared
// with other work moves every figure.
struct Serie {
    Mesure meilleure;
    double pire = 0;
    double ecart() const { return pire - meilleure.secondes; }
};

template <typename Fonction> Serie repeter(int fois, Fonction mesurer)
{
    Serie s;
    for (int i = 0; i < fois; ++i) {
        const Mesure m = mesurer();
        if (i == 0 || m.secondes < s.meilleure.secondes)
            s.meilleure = m;
        s.pire = std::max(s.pire, m.secondes);
    }
    return s;
}

// The main window's scan alone, in a child of its own each time.
Mesure scanFenetre(const QString &jeu, int *elements)
{
    QProcess enfant;
    enfant.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--fenetre-scan"), jeu});
    enfant.waitForFinished(-1);
    const QList<bench::Phase> phases = bench::lirePhases(enfant.readAllStandardOutput());
    if (phases.isEmpty())
        qFatal("the window's scan stopped early: %s", enfant.readAllStandardError().constData());
    *elements = phases.constFirst().elements;
    return {phases.constFirst().secondes, phases.constFirst().memoireKo, enfant.exitCode()};
}

// The floor, the command line's scan and report and the window's scan on one
// generated tree, each run several times.
void mesurerArbre(const char *titre, const QString &jeu, const bench::Bilan &b, const bench::Taille &t, int fois)
{
    const QString programme = QStringLiteral(CORVANEL_BIN_DIR "/corvanel");
    const QString consists = jeu + QStringLiteral("/TRAINS/CONSISTS");
    plancher(consists); // warm the page cache
    const Serie sol = repeter(fois, [&] { return Mesure{plancher(consists), 0, 0}; });
    const Serie scan = repeter(fois, [&] { return executer({programme, QStringLiteral("--scan"), jeu}); });
    const Serie rapport = repeter(fois, [&] { return executer({programme, QStringLiteral("--report"), jeu}); });
    int listes = 0;
    const Serie fenetre = repeter(fois, [&] { return scanFenetre(jeu, &listes); });
    const double s = sol.meilleure.secondes;
    std::printf("\n%s: %d consists, %.1f MB, %lld vehicle lines naming %lld vehicles in %lld spellings\n", titre,
                t.consists, b.octets / 1e6, static_cast<long long>(b.lignesVehicule),
                static_cast<long long>(b.vehiculesNommes), static_cast<long long>(b.graphies));
    std::printf("best of %d runs, spread = worst - best; load average now %s\n", fois, charge().constData());
    std::printf("%-34s %9s %9s %9s %12s\n", "", "seconds", "spread", "x floor", "peak MB");
    const auto ligne = [&](const char *nom, const Serie &m, bool memoire) {
        std::printf("%-34s %9.3f %9.3f %9.2f", nom, m.meilleure.secondes, m.ecart(), m.meilleure.secondes / s);
        if (memoire)
            std::printf(" %12.1f   (exit %d)", m.meilleure.memoireKo / 1024.0, m.meilleure.code);
        std::printf("\n");
    };
    ligne("floor (C): open/read/close each", sol, false);
    ligne("corvanel --scan", scan, true);
    ligne("corvanel --report", rapport, true);
    ligne("main window scan (offscreen)", fenetre, true);
    std::printf("window scan / --scan: %.2f (target at most 1.20); invalid consists listed %d (expected %d)\n",
                fenetre.meilleure.secondes / scan.meilleure.secondes, listes, b.invalidesAttendus);
    std::printf("--scan / floor: %.2f, --report / floor: %.2f (targets at most 2.00); peak memory target: at most "
                "100 MB\n",
                scan.meilleure.secondes / s, rapport.meilleure.secondes / s);
}

// A game folder whose only consist is `megaoctets` MB: lines of a vehicle
// that exists or, with `uneLigne`, one line that long; a missing vehicle
// after it, that the report must still find.
QString jeuEnorme(const QString &racine, int megaoctets, bool uneLigne)
{
    const QString jeu = racine + QStringLiteral("/enorme-%1-%2").arg(megaoctets).arg(uneLigne);
    QDir().mkpath(jeu + QStringLiteral("/TRAINS/TRAINSET/S"));
    QDir().mkpath(jeu + QStringLiteral("/TRAINS/CONSISTS"));
    QFile v(jeu + QStringLiteral("/TRAINS/TRAINSET/S/E.eng"));
    v.open(QIODevice::WriteOnly);
    QFile c(jeu + QStringLiteral("/TRAINS/CONSISTS/enorme.con"));
    if (!c.open(QIODevice::WriteOnly))
        qFatal("cannot write %s", qPrintable(c.fileName()));
    QByteArray bloc;
    if (uneLigne) {
        c.write("EngineData ( E S ) ");
        bloc = QByteArray(1024 * 1024, 'x');
    } else {
        while (bloc.size() < 1024 * 1024)
            bloc += "\t\tEngineData ( E S )\r\n\t\tUiD ( 7 )\r\n";
    }
    for (int i = 0; i < megaoctets; ++i)
        c.write(bloc);
    c.write("\r\nWagonData ( Manque S )\r\n");
    return jeu;
}

} // namespace

int main(int argc, char *argv[])
{
    bench::Taille t;
    QString garder;
    bool routesSeules = false;
    bool activitesSeules = false;
    bool arbresSeuls = false;
    int fois = 3;
    for (int i = 1; i < argc; ++i) {
        const QByteArray a = argv[i];
        if (a == "--fenetre" && i + 1 < argc)
            return bench::mesurerFenetres(argc, argv, QString::fromLocal8Bit(argv[i + 1]));
        if (a == "--fenetre-scan" && i + 1 < argc)
            return bench::mesurerScanFenetre(argc, argv, QString::fromLocal8Bit(argv[i + 1]));
        if (a == "--question" && i + 1 < argc)
            return bench::mesurerQuestion(argc, argv, QString::fromLocal8Bit(argv[i + 1]));
        if (a == "--consists" && i + 1 < argc)
            t.consists = QByteArray(argv[++i]).toInt();
        else if (a == "--dossiers" && i + 1 < argc)
            t.dossiers = QByteArray(argv[++i]).toInt();
        else if (a == "--garder" && i + 1 < argc)
            garder = QString::fromLocal8Bit(argv[++i]);
        else if (a == "--routes")
            routesSeules = true;
        else if (a == "--activites")
            activitesSeules = true;
        else if (a == "--arbres")
            arbresSeuls = true;
        else if (a == "--fois" && i + 1 < argc)
            fois = std::max(1, QByteArray(argv[++i]).toInt());
    }
    QCoreApplication app(argc, argv);
    QTemporaryDir temp;
    const QString racine = garder.isEmpty() ? temp.path() : garder;
    QDir().mkpath(racine);
    if (routesSeules) {
        bench::mesurerUtilisations(racine);
        return 0;
    }
    std::printf("%d processors, load average %s\n", QThread::idealThreadCount(), charge().constData());
    // The same consists twice: their vehicles spelt mostly as on disk, then
    // each in about eight letter cases, as add-ons from many authors are.
    bench::Taille tCasses = t;
    tCasses.casses = 8;
    const QString racineCasses = racine + QStringLiteral("/casses");
    QDir().mkpath(racineCasses);
    std::printf("Generating twice %d consists, %d trainset folders in %s ...\n", t.consists, t.dossiers,
                qPrintable(racine));
    std::fflush(stdout);
    QElapsedTimer chrono;
    chrono.start();
    const bench::Bilan b = bench::generer(racine, t);
    const bench::Bilan bCasses = activitesSeules ? bench::Bilan{} : bench::generer(racineCasses, tCasses);
    // Written back to the disk before anything is timed: the (virtual) disk
    // busy writing slows every read that follows.
    ::sync();
    std::printf("  %.1f MB of consists, %lld vehicle lines, %d invalid expected (%.1f s)\n", b.octets / 1e6,
                static_cast<long long>(b.lignesVehicule), b.invalidesAttendus, chrono.nsecsElapsed() / 1e9);
    const QString jeu = racine + QStringLiteral("/MSTS");
    const QString jeuCasses = racineCasses + QStringLiteral("/MSTS");
    const QString programme = QStringLiteral(CORVANEL_BIN_DIR "/corvanel");
    auto meilleure = [&](const QStringList &args) { return repeter(3, [&] { return executer(args); }).meilleure; };
    const auto temps = [](const Mesure &m) { return bench::Temps{m.secondes, m.memoireKo, m.code}; };
    const bench::Lanceur meilleurTemps = [&](const QStringList &a) { return temps(meilleure(a)); };
    if (activitesSeules) {
        bench::mesurerActivites(programme, jeu, meilleurTemps);
        return 0;
    }

    mesurerArbre("Tree 1, vehicles spelt mostly as on disk", jeu, b, t, fois);
    mesurerArbre("Tree 2, each vehicle spelt in about eight letter cases", jeuCasses, bCasses, tCasses, fois);
    if (arbresSeuls)
        return 0;
    if (garder.isEmpty())
        QDir(racineCasses).removeRecursively();

    // The windows run in a child: their peak memory is then theirs alone.
    QProcess enfant;
    enfant.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--fenetre"), jeu});
    enfant.waitForFinished(-1);
    const QList<bench::Phase> phases = bench::lirePhases(enfant.readAllStandardOutput());
    std::printf("load average at the end: %s\n", charge().constData());

    std::printf("\nWindows, offscreen. Gap: the longest wait between two ticks of a %d ms timer, whatever held the\n"
                "event loop; CPU: the most processor time the window thread used between two ticks (the gap a\n"
                "machine with nothing else to do would see); yields: the program's own, and the longest stretch\n"
                "between two of them.\n",
                bench::PeriodeSondeMs);
    std::printf("%-30s %7s %5s %10s %10s %6s %10s %8s\n", "", "seconds", "rows", "gap", "CPU", "yields", "b/w yields",
                "peak MB");
    bool tenu = !phases.isEmpty();
    for (const bench::Phase &p : phases) {
        const bool ok = p.processeurMaxMs < bench::ProcesseurCibleMs && p.memoireKo / 1024.0 < bench::MemoireCibleMo;
        tenu = tenu && ok;
        const QByteArray secondes = p.secondes < 0 ? "-" : QByteArray::number(p.secondes, 'f', 3);
        std::printf("%-30s %7s %5d %7.1f ms %7.1f ms %6ld %7.1f ms %8.1f  %s\n", qPrintable(p.nom),
                    secondes.constData(), p.elements, p.ecartMaxMs, p.processeurMaxMs, p.cessions, p.ecartCessionsMs,
                    p.memoireKo / 1024.0, ok ? "ok" : "OVER");
    }
    if (phases.size() != bench::NombrePhases || enfant.exitCode() != 0)
        std::printf("the window child stopped early (exit %d):\n%s\n", enfant.exitCode(),
                    enfant.readAllStandardError().constData());
    std::printf("targets: CPU under %.0f ms, peak memory under %.0f MB in every phase: %s\n", bench::ProcesseurCibleMs,
                bench::MemoireCibleMo, tenu ? "met" : "NOT met");

    bench::mesurerReparation(
        programme, jeu, racine, 10000, [&](const QStringList &a) { return temps(executer(a)); }, meilleurTemps);

    // One huge consist: time should double with its size, memory stay put.
    std::printf("\nOne huge consist, `corvanel --report` (best of three):\n%-34s %9s %9s %12s\n", "", "seconds",
                "s per MB", "peak MB");
    const std::pair<int, bool> cas[] = {{100, false}, {200, false}, {25, true}, {50, true}};
    for (const auto &[mo, uneLigne] : cas) {
        const QString dossierEnorme = jeuEnorme(racine, mo, uneLigne);
        const Mesure m = meilleure({programme, QStringLiteral("--report"), dossierEnorme});
        const QByteArray nom = QByteArray::number(mo) + (uneLigne ? " MB on a single line" : " MB of lines");
        std::printf("%-34s %9.3f %9.4f %12.1f   (exit %d)\n", nom.constData(), m.secondes, m.secondes / mo,
                    m.memoireKo / 1024.0, m.code);
        QDir(dossierEnorme).removeRecursively();
    }
    bench::mesurerActivites(programme, jeu, meilleurTemps);
    bench::mesurerUtilisations(racine);
    return 0;
}
