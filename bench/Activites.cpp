#include "bench/Activites.h"

#include "bench/Generateur.h"
#include "bench/Plancher.h"

#include <QDir>
#include <QFile>

#include <cstdio>
#include <vector>

namespace corvanel::bench {

namespace {

constexpr int Routes = 50;
constexpr int ActivitesParRoute = 40;
constexpr int ServicesParRoute = 200;
constexpr int Consists = 20000;

void ecrire(const QString &chemin, const QByteArray &octets)
{
    QFile f(chemin);
    if (!f.open(QIODevice::WriteOnly) || f.write(octets) != octets.size())
        qFatal("cannot write %s", qPrintable(chemin));
}

QByteArray utf16(const QString &texte)
{
    return QByteArray("\xff\xfe") + QByteArray(reinterpret_cast<const char *>(texte.utf16()), texte.size() * 2);
}

QString consist(int c)
{
    return QStringLiteral("Consist_%1").arg(c, 6, 10, QLatin1Char('0'));
}

// The files --routes reads: every activity, service and timetable, and the
// consists they name (all of them here).
double plancher(const QByteArrayList &fichiers)
{
    std::vector<const char *> chemins;
    for (const QByteArray &f : fichiers)
        chemins.push_back(f.constData());
    int64_t total = 0;
    const double secondes = plancher_fichiers(chemins.data(), chemins.size(), &total);
    if (total == 0)
        qFatal("nothing read");
    return secondes;
}

} // namespace

void mesurerActivites(const QString &programme, const QString &jeu, const Lanceur &meilleure)
{
    QByteArrayList fichiers;
    const QByteArray consists = QFile::encodeName(jeu) + "/TRAINS/CONSISTS/";
    for (const QByteArray &n : nomsDuDossier(consists))
        fichiers << consists + n;
    // Events fill an activity to the size the game's editor gives one.
    QString evenements;
    for (int i = 0; i < 40; ++i)
        evenements += QStringLiteral("\t\tEvent ( ID ( %1 ) Outcomes ( DisplayMessage ( \"Stop %1\" ) ) )\r\n").arg(i);
    qint64 octets = 0;
    for (int r = 0; r < Routes; ++r) {
        const QString route = jeu + QStringLiteral("/ROUTES/Route %1/").arg(r);
        for (const char *d : {"SERVICES", "PATHS", "ACTIVITIES/OpenRails"})
            QDir().mkpath(route + QLatin1String(d));
        for (int p = 0; p < 20; ++p)
            ecrire(route + QStringLiteral("PATHS/Path %1.pat").arg(p), "x");
        const auto garder = [&](const QString &chemin, const QByteArray &contenu) {
            ecrire(chemin, contenu);
            fichiers << QFile::encodeName(chemin);
            octets += contenu.size();
        };
        // Services run consists 0 to 9,999; timetables 10,000 to 19,999.
        for (int s = 0; s < ServicesParRoute; ++s) {
            const int c = (r * ServicesParRoute + s) % (Consists / 2);
            garder(
                route + QStringLiteral("SERVICES/Service %1.srv").arg(s),
                utf16(QStringLiteral("SIMISA@@@@@@@@@@JINX0v0t______\r\n\r\nService_Definition (\r\n\tSerial ( 1 )\r\n"
                                     "\tName ( \"Service %1\" )\r\n\tTrain_Config ( \"%2\" )\r\n\tPathID ( \"Path %3\" "
                                     ")\r\n\tMaxWheelAcceleration ( 0.5 )\r\n)\r\n")
                          .arg(s)
                          .arg(consist(c))
                          .arg(s % 21)));
        }
        for (int a = 0; a < ActivitesParRoute; ++a) {
            QString t =
                QStringLiteral("SIMISA@@@@@@@@@@JINX0a0t______\r\n\r\nTr_Activity (\r\n\tTr_Activity_Header (\r\n"
                               "\t\tPathID ( \"Path %1\" )\r\n\t)\r\n\tTr_Activity_File (\r\n"
                               "\t\tPlayer_Service_Definition ( \"Service %2\"\r\n\t\t\tUiD ( 0 )\r\n\t\t)\r\n"
                               "\t\tTraffic_Definition ( \"Traffic\"\r\n")
                    .arg(a % 20)
                    .arg(a * 5);
            for (int k = 1; k <= 5; ++k)
                t += QStringLiteral(
                         "\t\t\tService_Definition ( \"Service %1\" 3600\r\n\t\t\t\tUiD ( %2 )\r\n\t\t\t)\r\n")
                         .arg((a * 5 + k) % ServicesParRoute)
                         .arg(k);
            t += QStringLiteral("\t\t)\r\n") + evenements +
                 QStringLiteral(
                     "\t\tActivityObjects (\r\n\t\t\tActivityObject (\r\n\t\t\t\tTrain_Config (\r\n"
                     "\t\t\t\t\tTrainCfg ( \"Loose\"\r\n\t\t\t\t\t\tWagon ( WagonData ( Loose_%1 Gone ) UiD ( "
                     "1 ) )\r\n\t\t\t\t\t)\r\n\t\t\t\t)\r\n\t\t\t)\r\n\t\t)\r\n\t)\r\n)\r\n")
                     .arg(a);
            garder(route + QStringLiteral("ACTIVITIES/Activity %1.act").arg(a), utf16(t));
        }
        QString horaire = QStringLiteral(";");
        QString ligneConsists = QStringLiteral("#consist");
        QString ligneChemins = QStringLiteral("#path");
        for (int train = 0; train < Consists / 2 / Routes; ++train) {
            horaire += QStringLiteral(";T%1").arg(train);
            ligneConsists += u';' + consist(Consists / 2 + r * (Consists / 2 / Routes) + train);
            ligneChemins += QStringLiteral(";Path %1").arg(train % 20);
        }
        garder(route + QStringLiteral("ACTIVITIES/OpenRails/Timetable.timetable_or"),
               (horaire + QStringLiteral("\r\n") + ligneConsists + QStringLiteral("\r\n") + ligneChemins +
                QStringLiteral("\r\n#start") + QStringLiteral(";10:00").repeated(Consists / 2 / Routes))
                   .toUtf8());
    }

    std::printf("\nWill the routes run: %d routes, %d activities, %d services, %d timetables (%.1f MB), naming %d "
                "consists\n",
                Routes, Routes * ActivitesParRoute, Routes * ServicesParRoute, Routes, octets / 1e6, Consists);
    plancher(fichiers); // warm the page cache
    double sol = 1e9;
    for (int i = 0; i < 3; ++i)
        sol = std::min(sol, plancher(fichiers));
    const Temps m = meilleure({programme, QStringLiteral("--routes"), jeu});
    std::printf("%-34s %9s %9s %12s\n", "", "seconds", "x floor", "peak MB");
    std::printf("%-34s %9.3f %9s %12s\n", "floor: open/read/close each", sol, "1.00", "-");
    std::printf("%-34s %9.3f %9.2f %12.1f   (exit %d)\n", "corvanel --routes", m.secondes, m.secondes / sol,
                m.memoireKo / 1024.0, m.code);
    std::printf("--routes / floor: %.2f (target at most 2.00)\n", m.secondes / sol);
}

} // namespace corvanel::bench
