#include "bench/Reparation.h"

#include "bench/Generateur.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QStringDecoder>
#include <QStringEncoder>

#include <algorithm>
#include <cstdio>
#include <fcntl.h>
#include <unistd.h>
#include <vector>

namespace corvanel::bench {

namespace {

// A consist as players' add-ons write them, naming the old vehicle once or
// twice among others, in the three encodings found in the wild.
QByteArray consist(int i)
{
    QString t = QStringLiteral("SIMISA@@@@@@@@@@JINX0D0t______\r\n\r\nTrain (\r\n\tTrainCfg ( \"R%1\"\r\n"
                               "\t\tName ( \"Remplacement %1\" )\r\n\t\tSerial ( 1 )\r\n\t\tMaxVelocity ( 40 0.1 )\r\n")
                    .arg(i);
    const int lignes = 5 + i % 20;
    for (int l = 0; l < lignes; ++l) {
        QString vehicule;
        if (l == 1 || (l == 7 && i % 3 == 0))
            vehicule = (i % 2 ? QStringLiteral("WagonData ( ancien \"Ancien Dossier\" )")
                              : QStringLiteral("WagonData ( \"ANCIEN\" \"ancien dossier\" )"));
        else
            vehicule = QStringLiteral("WagonData ( Wagon%1 Flotte%2 )").arg(l).arg(i % 40);
        t += QStringLiteral("\t\tWagon (\r\n\t\t\t%1\r\n\t\t\tUiD ( %2 )\r\n\t\t)\r\n").arg(vehicule).arg(l);
    }
    t += QStringLiteral("\t)\r\n)");
    if (i % 20 < 11) {
        QStringEncoder ansi("windows-1252");
        return ansi(t);
    }
    if (i % 20 < 19) {
        QStringEncoder utf16(QStringEncoder::Utf16LE, QStringEncoder::Flag::WriteBom);
        return utf16(t);
    }
    return t.toUtf8();
}

void ecrire(const QString &chemin, const QByteArray &octets)
{
    QFile f(chemin);
    if (!f.open(QIODevice::WriteOnly) || f.write(octets) != octets.size())
        qFatal("cannot write %s", qPrintable(chemin));
}

// Reads every consist and writes it into `vers`, with plain system calls.
double copier(const QString &de, const QString &vers)
{
    QDir(vers).removeRecursively();
    QDir().mkpath(vers);
    static char tampon[1 << 20];
    QElapsedTimer chrono;
    chrono.start();
    const QByteArray source = QFile::encodeName(de) + '/';
    const QByteArray cible = QFile::encodeName(vers) + '/';
    for (const QByteArray &n : nomsDuDossier(source)) {
        const int entree = open((source + n).constData(), O_RDONLY | O_CLOEXEC);
        const int sortie = open((cible + n).constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        if (entree < 0 || sortie < 0)
            qFatal("cannot copy %s", n.constData());
        ssize_t lus = 0;
        while ((lus = read(entree, tampon, sizeof tampon)) > 0) {
            if (write(sortie, tampon, size_t(lus)) != lus)
                qFatal("cannot write %s", n.constData());
        }
        close(entree);
        close(sortie);
    }
    return chrono.nsecsElapsed() / 1e9;
}

} // namespace

void mesurerReparation(const QString &programme, const QString &jeu, const QString &racine, int consists,
                       const Lanceur &une, const Lanceur &meilleure)
{
    const Temps manquants = meilleure({programme, QStringLiteral("--missing"), jeu});
    const Temps rapport = meilleure({programme, QStringLiteral("--report"), jeu});

    // The replacement's own tree: every consist names the old wagon.
    const QString autre = racine + QStringLiteral("/remplacement/MSTS");
    const QString dossierConsists = autre + QStringLiteral("/TRAINS/CONSISTS");
    QDir().mkpath(dossierConsists);
    QDir().mkpath(autre + QStringLiteral("/TRAINS/TRAINSET/Nouveau Dossier"));
    ecrire(autre + QStringLiteral("/TRAINS/TRAINSET/Nouveau Dossier/Nouveau.wag"), {});
    for (int i = 0; i < consists; ++i)
        ecrire(dossierConsists + QStringLiteral("/Remplacement %1.con").arg(i, 5, 10, QChar(u'0')), consist(i));
    // The backups go to the user's data folder: keep them in the bench's.
    qputenv("XDG_DATA_HOME", QFile::encodeName(racine + QStringLiteral("/donnees")));

    copier(dossierConsists, racine + QStringLiteral("/copie")); // warm the page cache
    double copie = 1e9;
    for (int i = 0; i < 3; ++i)
        copie = std::min(copie, copier(dossierConsists, racine + QStringLiteral("/copie")));
    QDir(racine + QStringLiteral("/copie")).removeRecursively();
    // Each replacement is undone before the next, so all three change every consist.
    const QStringList remplacer{programme,
                                QStringLiteral("--replace"),
                                autre,
                                QStringLiteral("--from"),
                                QStringLiteral("Ancien Dossier/Ancien.wag"),
                                QStringLiteral("--to"),
                                QStringLiteral("Nouveau Dossier/Nouveau.wag")};
    Temps remplacement{1e9, 0, -1}, annulation{1e9, 0, -1};
    for (int i = 0; i < 3; ++i) {
        const Temps r = une(remplacer);
        const Temps a = une({programme, QStringLiteral("--undo"), autre});
        if (r.secondes < remplacement.secondes)
            remplacement = r;
        if (a.secondes < annulation.secondes)
            annulation = a;
    }

    std::printf("\nRepairs (best of three):\n%-34s %9s %9s %12s\n", "", "seconds", "ratio", "peak MB");
    std::printf("%-34s %9.3f %9s %12.1f   (exit %d)\n", "corvanel --report", rapport.secondes, "1.00",
                rapport.memoireKo / 1024.0, rapport.code);
    std::printf("%-34s %9.3f %9.2f %12.1f   (exit %d)\n", "corvanel --missing", manquants.secondes,
                manquants.secondes / rapport.secondes, manquants.memoireKo / 1024.0, manquants.code);
    const QByteArray nom = QByteArray::number(consists) + " consists: copy each";
    std::printf("%-34s %9.3f %9s %12s\n", nom.constData(), copie, "1.00", "-");
    std::printf("%-34s %9.3f %9.2f %12.1f   (exit %d)\n", "corvanel --replace, all of them", remplacement.secondes,
                remplacement.secondes / copie, remplacement.memoireKo / 1024.0, remplacement.code);
    std::printf("%-34s %9.3f %9.2f %12.1f   (exit %d)\n", "corvanel --undo", annulation.secondes,
                annulation.secondes / copie, annulation.memoireKo / 1024.0, annulation.code);
    std::printf("--missing / --report: %.2f (target at most 1.50); --replace / copy: %.2f (target at most 2.00)\n",
                manquants.secondes / rapport.secondes, remplacement.secondes / copie);
    QDir(racine + QStringLiteral("/remplacement")).removeRecursively();
}

} // namespace corvanel::bench
