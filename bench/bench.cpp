// Speed and memory of the scan and the report on a large generated game
// folder, printed as figures: the floor (reading every consist's bytes),
// `corvanel --scan`, `corvanel --report`, then the windows (main window's
// scan, its list in use, the detailed report window): how long the event
// loop was held up at most and the peak memory.
// Then `corvanel --routes` on the same folder given routes, activities,
// services and timetables; then the routes' services and activities a delete
// or move reads first.
// Usage: corvanel-bench [--consists N] [--dossiers N] [--garder DIR] [--routes] [--activites]
// (--routes: that last figure alone; --activites: the generated folder and
// the `--routes` figure alone.)
// (20,000 consists by default; --consists 100000 is the scale run.)
#include "bench/Activites.h"
#include "bench/Fenetre.h"
#include "bench/Generateur.h"
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
// and close every consist, with plain system calls on one thread.
double plancher(const QString &consists)
{
    QElapsedTimer chrono;
    chrono.start();
    qint64 total = 0;
    const QByteArray dossier = QFile::encodeName(consists) + '/';
    for (const QByteArray &n : bench::nomsDuDossier(dossier))
        total += bench::lireEnEntier(dossier + n);
    if (total == 0)
        qFatal("nothing read");
    return chrono.nsecsElapsed() / 1e9;
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
    for (int i = 1; i < argc; ++i) {
        const QByteArray a = argv[i];
        if (a == "--fenetre" && i + 1 < argc)
            return bench::mesurerFenetres(argc, argv, QString::fromLocal8Bit(argv[i + 1]));
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
    std::printf("Generating %d consists, %d trainset folders in %s ...\n", t.consists, t.dossiers, qPrintable(racine));
    std::fflush(stdout);
    QElapsedTimer chrono;
    chrono.start();
    const bench::Bilan b = bench::generer(racine, t);
    std::printf("  %.1f MB of consists, %lld vehicle lines, %d invalid expected (%.1f s)\n", b.octets / 1e6,
                static_cast<long long>(b.lignesVehicule), b.invalidesAttendus, chrono.nsecsElapsed() / 1e9);
    const QString jeu = racine + QStringLiteral("/MSTS");
    const QString programme = QStringLiteral(CORVANEL_BIN_DIR "/corvanel");
    auto meilleure = [&](const QStringList &args) {
        Mesure m = executer(args);
        for (int i = 0; i < 2; ++i) {
            const Mesure n = executer(args);
            if (n.secondes < m.secondes)
                m = n;
        }
        return m;
    };
    const auto temps = [](const Mesure &m) { return bench::Temps{m.secondes, m.memoireKo, m.code}; };
    const bench::Lanceur meilleurTemps = [&](const QStringList &a) { return temps(meilleure(a)); };
    if (activitesSeules) {
        bench::mesurerActivites(programme, jeu, meilleurTemps);
        return 0;
    }

    plancher(jeu + QStringLiteral("/TRAINS/CONSISTS")); // warm the page cache
    double sol = 1e9;
    for (int i = 0; i < 3; ++i)
        sol = std::min(sol, plancher(jeu + QStringLiteral("/TRAINS/CONSISTS")));
    const Mesure scan = meilleure({programme, QStringLiteral("--scan"), jeu});
    const Mesure rapport = meilleure({programme, QStringLiteral("--report"), jeu});
    // The windows run in a child: their peak memory is then theirs alone.
    QProcess enfant;
    enfant.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--fenetre"), jeu});
    enfant.waitForFinished(-1);
    const QList<bench::Phase> phases = bench::lirePhases(enfant.readAllStandardOutput());
    std::printf("load average at the end: %s\n", charge().constData());

    std::printf("\n%-34s %9s %9s %12s\n", "", "seconds", "x floor", "peak MB");
    std::printf("%-34s %9.3f %9s %12s\n", "floor: open/read/close each", sol, "1.00", "-");
    std::printf("%-34s %9.3f %9.2f %12.1f   (exit %d)\n", "corvanel --scan", scan.secondes, scan.secondes / sol,
                scan.memoireKo / 1024.0, scan.code);
    std::printf("%-34s %9.3f %9.2f %12.1f   (exit %d)\n", "corvanel --report", rapport.secondes, rapport.secondes / sol,
                rapport.memoireKo / 1024.0, rapport.code);
    if (!phases.isEmpty()) {
        const bench::Phase &s = phases.constFirst();
        std::printf("%-34s %9.3f %9.2f %12.1f\n", "main window scan (offscreen)", s.secondes, s.secondes / sol,
                    s.memoireKo / 1024.0);
        std::printf("\nwindow scan / --scan: %.2f (target at most 1.20)\n", s.secondes / scan.secondes);
        std::printf("invalid consists listed by the window: %d (expected %d)\n", s.elements, b.invalidesAttendus);
    }
    std::printf("--scan / floor: %.2f, --report / floor: %.2f (targets at most 2.00); peak memory target: under "
                "%d MB\n",
                scan.secondes / sol, rapport.secondes / sol, t.consists > 20000 ? 300 : 150);

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
