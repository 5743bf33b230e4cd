#include "bench/Routes.h"

#include "analysis/Utilisations.h"
#include "bench/Fenetre.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>

#include <cstdio>

namespace corvanel::bench {

namespace {

constexpr int Routes = 20;
constexpr int ServicesParRoute = 250;
constexpr int ActivitesParRoute = 100;

void ecrireUtf16(const QString &chemin, const QString &texte)
{
    QFile f(chemin);
    if (!f.open(QIODevice::WriteOnly))
        qFatal("cannot write %s", qPrintable(chemin));
    f.write("\xff\xfe");
    f.write(reinterpret_cast<const char *>(texte.utf16()), texte.size() * 2);
}

// The bytes this process has asked the system for so far.
qint64 octetsLus()
{
    QFile f(QStringLiteral("/proc/self/io"));
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &l : f.readAll().split('\n'))
        if (l.startsWith("rchar:"))
            return l.mid(6).trimmed().toLongLong();
    return -1;
}

} // namespace

void mesurerUtilisations(const QString &racine)
{
    const QString jeu = racine + QStringLiteral("/routes");
    qint64 surDisque = 0;
    // Files of the sizes the game's own have: a service's few dozen lines, an
    // activity's few hundred, most of them events.
    QString remplissage;
    for (int i = 0; i < 30; ++i)
        remplissage += QStringLiteral("\t\tEvent ( ID ( %1 ) Activation_Level ( 1 ) Outcomes ( DisplayMessage "
                                      "( \"Next stop in %1 minutes\" ) ) )\r\n")
                           .arg(i);
    for (int r = 0; r < Routes; ++r) {
        const QString route = jeu + QStringLiteral("/ROUTES/Route%1/").arg(r);
        QDir().mkpath(route + QStringLiteral("SERVICES"));
        QDir().mkpath(route + QStringLiteral("ACTIVITIES"));
        for (int s = 0; s < ServicesParRoute; ++s) {
            const QString nom = route + QStringLiteral("SERVICES/Service %1.srv").arg(s);
            ecrireUtf16(nom,
                        QStringLiteral("SIMISA@@@@@@@@@@JINX0v0t______\r\n\r\nService_Definition (\r\n\tSerial ( 1 "
                                       ")\r\n\tName ( \"Service %1\" )\r\n\tTrain_Config ( \"Consist %2\" )\r\n")
                                .arg(s)
                                .arg(s % 400) +
                            remplissage.left(1500) + QStringLiteral(")\r\n"));
            surDisque += QFile(nom).size();
        }
        for (int a = 0; a < ActivitesParRoute; ++a) {
            QString texte = QStringLiteral("SIMISA@@@@@@@@@@JINX0a0t______\r\n\r\nTr_Activity (\r\n\tTr_Activity_File "
                                           "(\r\n\t\tPlayer_Service_Definition ( \"Service %1\" (\r\n")
                                .arg(a);
            for (int k = 1; k <= 5; ++k)
                texte += QStringLiteral("\t\tService_Definition ( \"Service %1\" 3600\r\n").arg((a + 37 * k) % 250);
            for (int k = 0; k < 6; ++k)
                texte += remplissage;
            const QString nom = route + QStringLiteral("ACTIVITIES/Activity %1.act").arg(a);
            ecrireUtf16(nom, texte + QStringLiteral(")\r\n"));
            surDisque += QFile(nom).size();
        }
    }
    // One consist in ten of those the services run: every route is read whole.
    // They are invalid, for the window's delete.
    QStringList consists;
    QDir().mkpath(jeu + QStringLiteral("/TRAINS/CONSISTS"));
    for (int c = 0; c < 400; c += 10) {
        consists << QStringLiteral("Consist %1.con").arg(c);
        ecrireUtf16(jeu + QStringLiteral("/TRAINS/CONSISTS/") + consists.constLast(),
                    QStringLiteral("Train (\r\n\tTrainCfg ( T\r\n\t\tEngineData ( Absente Nulle )\r\n\t)\r\n)\r\n"));
    }
    QDir().mkpath(jeu + QStringLiteral("/TRAINS/TRAINSET"));

    std::printf("\nWhat a delete or move breaks: %d services and %d activities (UTF-16, %.1f MB)\n",
                Routes * ServicesParRoute, Routes * ActivitesParRoute, surDisque / 1e6);
    for (int essai = 1; essai <= 3; ++essai) {
        Progression p;
        const qint64 avant = octetsLus();
        QElapsedTimer chrono;
        chrono.start();
        const QList<ServiceUtilisateur> services = servicesUtilisant(jeu, consists, &p);
        const double secondes = chrono.nsecsElapsed() / 1e9;
        const qint64 lus = octetsLus() - avant;
        std::printf("  run %d: %.3f s (target under 1 s), %lld of %lld files, bytes read / bytes on disk %.3f "
                    "(at most 1.00: each file read at most once), %lld services found\n",
                    essai, secondes, static_cast<long long>(p.faits), static_cast<long long>(p.total),
                    double(lus) / double(surDisque), static_cast<long long>(services.size()));
    }
    // The window waits for the reading: the longest the event loop was held.
    QProcess enfant;
    enfant.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--question"), jeu});
    enfant.waitForFinished(-1);
    for (const Phase &p : lirePhases(enfant.readAllStandardOutput()))
        std::printf("  %s: %.3f s, longest gap %.1f ms (target under 50 ms), CPU %.1f ms, %d consists still "
                    "listed (No deletes nothing)\n",
                    qPrintable(p.nom), p.secondes, p.ecartMaxMs, p.processeurMaxMs, p.elements);
    QDir(jeu).removeRecursively();
}

} // namespace corvanel::bench
