// The command line, as scripts use it: the real program, its output and
// its exit codes, with no display.
#include "support/Bac.h"

#include <QProcess>
#include <QtTest>

#include <sys/resource.h>

using namespace corvanel::test;

namespace {

struct Sortie {
    int code = -1;
    QByteArray out;
    QByteArray err;
};

Sortie lancer(const QStringList &arguments, const QString &config)
{
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("DISPLAY"));
    env.remove(QStringLiteral("WAYLAND_DISPLAY"));
    env.remove(QStringLiteral("QT_QPA_PLATFORM"));
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), config);
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
    void codesDeSortie();
    void rapport();
    void dossierInutilisable_data();
    void dossierInutilisable();
    void aide();
    void consistsEnormes();
};

void TstLigneDeCommande::codesDeSortie()
{
    Bac bac;
    // No train.exe needed: any folder holding TRAINS/CONSISTS will do, in any case.
    bac.ecrire(QStringLiteral("contenu/Trains/Trainset/S/E.eng"), "x");
    bac.ecrire(QStringLiteral("contenu/Trains/consists/sain.con"), consist("EngineData ( e s )"));
    const QString config = bac.chemin(QStringLiteral("config"));
    Sortie s = lancer({QStringLiteral("--scan"), bac.chemin(QStringLiteral("contenu"))}, config);
    QCOMPARE(s.code, 0);
    QCOMPARE(s.out, QByteArray());
    QVERIFY(s.err.contains("1"));

    bac.ecrire(QStringLiteral("contenu/Trains/consists/Côte d'Azur.con"), consist("WagonData ( Absent S )"));
    bac.ecrire(QStringLiteral("contenu/Trains/consists/b.con"), consist("EngineData ( E S"));
    s = lancer({QStringLiteral("--scan"), bac.chemin(QStringLiteral("contenu")), QStringLiteral("--lang"),
                QStringLiteral("crv-1.0.7-english.lng")},
               config);
    QCOMPARE(s.code, 1);
    QCOMPARE(QString::fromUtf8(s.out), QString::fromUtf8("b.con\nCôte d'Azur.con\n"));
    QVERIFY2(s.err.contains("3") && s.err.contains("2"), s.err.constData());
    // Nothing written to the settings by the command line.
    QVERIFY(!QFileInfo::exists(config + QStringLiteral("/Corvanel")));
}

void TstLigneDeCommande::rapport()
{
    Bac bac;
    bac.ecrire(QStringLiteral("jeu/TRAINS/TRAINSET/S/E.eng"), "x");
    bac.ecrire(
        QStringLiteral("jeu/TRAINS/CONSISTS/a.con"),
        consist("EngineData ( E S )\r\nWagonData ( W \"Set B\" )\r\nWagonData ( W \"Set B\" )\r\nEngineData ( X )"));
    const QString jeu = bac.chemin(QStringLiteral("jeu"));
    const QString config = bac.chemin(QStringLiteral("config"));
    Sortie s = lancer(
        {QStringLiteral("--report"), jeu, QStringLiteral("--lang"), QStringLiteral("crv-1.0.7-english.lng")}, config);
    QCOMPARE(s.code, 1);
    const QList<QByteArray> lignes = s.out.split('\n');
    QCOMPARE(lignes.size(), 3);
    QCOMPARE(lignes[0], QByteArray("a.con,\"Set B\",\"W.wag\""));
    QVERIFY(lignes[1].startsWith("a.con,") && lignes[1].contains("7"));
    QCOMPARE(lignes[2], QByteArray());

    s = lancer({QStringLiteral("--report"), jeu, QStringLiteral("--text")}, config);
    QCOMPARE(s.code, 1);
    const QList<QByteArray> texte = s.out.split('\n');
    QCOMPARE(texte.size(), 7);
    QCOMPARE(texte[2], QByteArray(62, '-'));
    QCOMPARE(texte[3], QByteArray(" "));
    QCOMPARE(texte[4], QByteArray("a.con\t|\t\"Set B\"\t|\t\"W.wag\""));
}

void TstLigneDeCommande::dossierInutilisable_data()
{
    QTest::addColumn<QString>("dossier");
    QTest::newRow("absent") << QStringLiteral("absent");
    QTest::newRow("sans consists") << QStringLiteral("vide");
    QTest::newRow("un fichier") << QStringLiteral("fichier");
}

void TstLigneDeCommande::dossierInutilisable()
{
    QFETCH(QString, dossier);
    Bac bac;
    bac.creerDossier(QStringLiteral("vide/TRAINS"));
    bac.ecrire(QStringLiteral("fichier"), "x");
    for (const QString &mode : {QStringLiteral("--scan"), QStringLiteral("--report")}) {
        const Sortie s = lancer({mode, bac.chemin(dossier)}, bac.chemin(QStringLiteral("config")));
        QCOMPARE(s.code, 2);
        QVERIFY(s.out.isEmpty());
        QVERIFY(s.err.contains(bac.chemin(dossier).toUtf8()));
    }
}

void TstLigneDeCommande::aide()
{
    Bac bac;
    const Sortie s = lancer({QStringLiteral("--help")}, bac.chemin(QStringLiteral("config")));
    QCOMPARE(s.code, 0);
    for (const char *o : {"--scan", "--report", "--text", "--lang", "--msts", "--demo"})
        QVERIFY2(s.out.contains(o), o);
    QCOMPARE(lancer({QStringLiteral("--version")}, bac.chemin(QStringLiteral("config"))).out.trimmed(),
             QByteArray("Corvanel 1.0.7"));
}

void TstLigneDeCommande::consistsEnormes()
{
    // A consist of 200 MB and one holding a single line of 50 MB: the report
    // still finds what follows them, and memory stays far below their size.
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

    const Sortie s =
        lancer({QStringLiteral("--report"), bac.chemin(QStringLiteral("jeu"))}, bac.chemin(QStringLiteral("config")));
    QCOMPARE(s.code, 1);
    QCOMPARE(s.out, QByteArray("grand.con,\"S\",\"Manque.wag\"\nlongue.con,\"S\",\"Perdu.wag\"\n"));
#ifndef __SANITIZE_ADDRESS__ // the sanitizer keeps freed memory aside
    // The largest child this test has waited for.
    rusage enfants{};
    QCOMPARE(getrusage(RUSAGE_CHILDREN, &enfants), 0);
    QVERIFY2(enfants.ru_maxrss < 100 * 1024, QByteArray::number(enfants.ru_maxrss / 1024) + " MB");
#endif
}

QTEST_GUILESS_MAIN(TstLigneDeCommande)
#include "tst_lignedecommande.moc"
