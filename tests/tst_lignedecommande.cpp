// The command line, as scripts use it: the real program, its output and
// its exit codes, with no display.
#include "support/Bac.h"

#include <QtTest>

#include <sys/resource.h>

using namespace corvanel::test;

namespace {

struct Sortie {
    int code = -1;
    QByteArray out;
    QByteArray err;
};

// The program, with a settings folder of the sandbox's own.
Sortie lancer(const Bac &bac, const QStringList &arguments)
{
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char *variable : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        env.remove(QString::fromLatin1(variable));
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), bac.chemin(QStringLiteral("config")));
    p.setProcessEnvironment(env);
    p.start(QStringLiteral(CORVANEL_BIN_DIR "/corvanel"), arguments);
    if (!p.waitForFinished(60000))
        return {};
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1, p.readAllStandardOutput(),
            p.readAllStandardError()};
}

QByteArray consist(const QByteArray &vehicules)
{
    return "SIMISA@@@@@@@@@@JINX0D0t______\r\n\r\nTrain (\r\n" + vehicules + "\r\n)\r\n";
}

} // namespace

class TstLigneDeCommande : public QObject {
    Q_OBJECT

private slots:
    void codesDeSortie()
    {
        Bac bac;
        QCOMPARE(lancer(bac, {"--help"}).code, 0);
        // No train.exe needed: any folder holding TRAINS/CONSISTS will do, in any case.
        bac.ecrire(QStringLiteral("contenu/Trains/Trainset/S/E.eng"), "x");
        bac.ecrire(QStringLiteral("contenu/Trains/consists/sain.con"), consist("EngineData ( e s )"));
        const QString jeu = bac.chemin(QStringLiteral("contenu"));
        Sortie s = lancer(bac, {"--scan", jeu});
        QCOMPARE(s.code, 0);
        QCOMPARE(s.out, QByteArray());
        QVERIFY(s.err.contains("1"));

        bac.ecrire(QStringLiteral("contenu/Trains/consists/Côte d'Azur.con"), consist("WagonData ( Absent S )"));
        bac.ecrire(QStringLiteral("contenu/Trains/consists/b.con"), consist("EngineData ( E S"));
        s = lancer(bac, {"--scan", jeu, "--lang", "crv-1.0.7-english.lng"});
        QCOMPARE(s.code, 1);
        QCOMPARE(QString::fromUtf8(s.out), QString::fromUtf8("b.con\nCôte d'Azur.con\n"));
        QVERIFY2(s.err.contains("3") && s.err.contains("2"), s.err.constData());
        // Nothing written to the settings by the command line.
        QVERIFY(!QFileInfo::exists(bac.chemin(QStringLiteral("config/Corvanel"))));
    }

    void rapport()
    {
        Bac bac;
        bac.ecrire(QStringLiteral("jeu/TRAINS/TRAINSET/S/E.eng"), "x");
        bac.ecrire(
            QStringLiteral("jeu/TRAINS/CONSISTS/a.con"),
            consist(
                "EngineData ( E S )\r\nWagonData ( W \"Set B\" )\r\nWagonData ( W \"Set B\" )\r\nEngineData ( X )"));
        const QString jeu = bac.chemin(QStringLiteral("jeu"));
        Sortie s = lancer(bac, {"--report", jeu, "--lang", "crv-1.0.7-english.lng"});
        QCOMPARE(s.code, 1);
        const QList<QByteArray> lignes = s.out.split('\n');
        QCOMPARE(lignes.size(), 3);
        QCOMPARE(lignes[0], QByteArray("a.con,\"Set B\",\"W.wag\""));
        QVERIFY(lignes[1].startsWith("a.con,") && lignes[1].contains("7"));

        s = lancer(bac, {"--report", jeu, "--text"});
        QCOMPARE(s.code, 1);
        const QList<QByteArray> texte = s.out.split('\n');
        QCOMPARE(texte.size(), 7);
        QCOMPARE(texte.mid(2, 3), (QList<QByteArray>{QByteArray(62, '-'), " ", "a.con\t|\t\"Set B\"\t|\t\"W.wag\""}));
    }

    // RFC 4180 fields, UTF-8, LF; only invalid consists count.
    void utilisations()
    {
        Bac bac;
        bac.ecrire(QStringLiteral("jeu/TRAINS/TRAINSET/S/E.eng"), "x");
        bac.ecrire(QStringLiteral("jeu/TRAINS/CONSISTS/a,b.con"), consist("WagonData ( Absent S )"));
        bac.ecrire(QStringLiteral("jeu/TRAINS/CONSISTS/sain.con"), consist("EngineData ( E S )"));
        const QString jeu = bac.chemin(QStringLiteral("jeu"));
        Sortie s = lancer(bac, {"--used-by", jeu});
        QCOMPARE(s.code, 0);
        QCOMPARE(s.out, QByteArray());

        bac.ecrire(QStringLiteral("jeu/ROUTES/Côte/SERVICES/s\"1.srv"), "Train_Config ( \"A,B\" )");
        bac.ecrire(QStringLiteral("jeu/ROUTES/Côte/SERVICES/T.srv"), "Train_Config ( a,b )");
        bac.ecrire(QStringLiteral("jeu/ROUTES/Côte/SERVICES/sain.srv"), "Train_Config ( sain )");
        bac.ecrire(QStringLiteral("jeu/ROUTES/Côte/ACTIVITIES/é.act"), "Service_Definition ( t )");
        bac.ecrire(QStringLiteral("jeu/ROUTES/Côte/ACTIVITIES/x.act"), "Service_Definition ( \"T\" )");
        bac.ecrire(QStringLiteral("jeu/ROUTES/Côte/ACTIVITIES/Y.act"), "Service_Definition ( sain )");
        s = lancer(bac, {"--used-by", jeu, "--lang", "crv-1.0.7-english.lng"});
        QCOMPARE(s.code, 1);
        QCOMPARE(QString::fromUtf8(s.out), QString::fromUtf8("\"a,b.con\",Côte,\"s\"\"1\",\n\"a,b.con\",Côte,T,x;é\n"));
    }

    void dossierInutilisable_data()
    {
        QTest::addColumn<QString>("dossier");
        QTest::newRow("absent") << QStringLiteral("absent");
        QTest::newRow("sans consists") << QStringLiteral("vide");
    }

    void dossierInutilisable()
    {
        QFETCH(QString, dossier);
        Bac bac;
        bac.creerDossier(QStringLiteral("vide/TRAINS"));
        for (const char *mode : {"--scan", "--report", "--used-by"}) {
            const Sortie s = lancer(bac, {QString::fromLatin1(mode), bac.chemin(dossier)});
            QCOMPARE(s.code, 2);
            QVERIFY(s.out.isEmpty());
            QVERIFY(s.err.contains(bac.chemin(dossier).toUtf8()));
        }
    }

    void consistsEnormes()
    {
        // A consist of 200 MB and one holding a single line of 50 MB: the
        // report still finds what follows them, and memory stays far below
        // their size.
        Bac bac;
        bac.ecrire(QStringLiteral("jeu/TRAINS/TRAINSET/S/E.eng"), "x");
        QFile grand(bac.ecrire(QStringLiteral("jeu/TRAINS/CONSISTS/grand.con")));
        QVERIFY(grand.open(QIODevice::WriteOnly));
        QByteArray bloc;
        while (bloc.size() < 1024 * 1024)
            bloc += "\t\tEngineData ( E S )\r\n\t\tUiD ( 7 )\r\n";
        for (int i = 0; i < 200; ++i)
            QVERIFY(grand.write(bloc) == bloc.size());
        grand.write("\t\tWagonData ( Manque S )\r\n");
        grand.close();
        QFile longue(bac.ecrire(QStringLiteral("jeu/TRAINS/CONSISTS/longue.con")));
        QVERIFY(longue.open(QIODevice::WriteOnly));
        longue.write("EngineData ( E S ) ");
        const QByteArray x(1024 * 1024, 'x');
        for (int i = 0; i < 50; ++i)
            QVERIFY(longue.write(x) == x.size());
        longue.write("\r\nWagonData ( Perdu S )\r\n");
        longue.close();

        const Sortie s = lancer(bac, {"--report", bac.chemin(QStringLiteral("jeu"))});
        QCOMPARE(s.code, 1);
        QCOMPARE(s.out, QByteArray("grand.con,\"S\",\"Manque.wag\"\nlongue.con,\"S\",\"Perdu.wag\"\n"));
#ifndef __SANITIZE_ADDRESS__ // the sanitizer keeps freed memory aside
        // The largest child this test has waited for.
        rusage enfants{};
        QCOMPARE(getrusage(RUSAGE_CHILDREN, &enfants), 0);
        QVERIFY2(enfants.ru_maxrss < 100 * 1024, QByteArray::number(enfants.ru_maxrss / 1024) + " MB");
#endif
    }
};

QTEST_GUILESS_MAIN(TstLigneDeCommande)
#include "tst_lignedecommande.moc"
