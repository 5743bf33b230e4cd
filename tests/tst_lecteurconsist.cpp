// Reading consists: taking vehicle lines apart, encodings and line ends.
#include "analysis/LecteurConsist.h"
#include "app/Texte.h"
#include "support/Morceaux.h"

#include <QBuffer>
#include <QtTest>

using namespace corvanel;
using corvanel::test::Morceaux;

class TstLecteurConsist : public QObject {
    Q_OBJECT

private slots:
    void lignesVehicule_data();
    void lignesVehicule();
    void codagesEtFinsDeLigne_data();
    void codagesEtFinsDeLigne();
    void morceauxCoupesNImportentPas();
    void peuDOctetsALaFois();
    void ligneTropLongueCoupee();
    void nomsDeConsist();
};

void TstLecteurConsist::lignesVehicule_data()
{
    QTest::addColumn<QString>("ligne");
    QTest::addColumn<bool>("vehicule");
    QTest::addColumn<bool>("saine");
    QTest::addColumn<QString>("nom");
    QTest::addColumn<QString>("dossier");
    QTest::addColumn<QString>("extension");

    // The worked examples of the game's rules.
    QTest::newRow("simple") << "EngineData ( Loco1 SetA )" << true << true << "Loco1"
                            << "SetA"
                            << ".eng";
    QTest::newRow("deux entre guillemets") << "WagonData ( \"Loco 1\" \"Set A\" )" << true << true << "Loco 1"
                                           << "Set A"
                                           << ".wag";
    QTest::newRow("mot en trop ignoré") << "WagonData ( \"Loco 1\" SetA extra )" << true << true << "Loco 1"
                                        << "SetA"
                                        << ".wag";
    QTest::newRow("dossier entre guillemets") << "EngineData ( Loco1 \"Set A\" )" << true << true << "Loco1"
                                              << "Set A"
                                              << ".eng";
    QTest::newRow("sans dossier") << "EngineData ( Loco1 )" << true << false << ""
                                  << ""
                                  << ".eng";
    QTest::newRow("vide") << "EngineData ( )" << true << false << ""
                          << ""
                          << ".eng";
    QTest::newRow("nom seul entre guillemets") << "EngineData ( \"Loco1\" )" << true << false << "Loco1"
                                               << ""
                                               << ".eng";
    QTest::newRow("guillemet du nom non fermé") << "EngineData ( \"Loco1 SetA )" << true << false << ""
                                                << ""
                                                << ".eng";
    QTest::newRow("guillemet du dossier non fermé") << "EngineData ( Loco1 \"SetA )" << true << false << "Loco1"
                                                    << ""
                                                    << ".eng";
    QTest::newRow("nom vide entre guillemets") << "EngineData ( \"\" SetA )" << true << false << ""
                                               << ""
                                               << ".eng";
    QTest::newRow("sans parenthèse ouvrante") << "EngineData Loco1 SetA )" << true << true << "EngineData"
                                              << "Loco1"
                                              << ".eng";
    // The original failed here and ended the program: now an unsound line.
    QTest::newRow("sans parenthèse fermante") << "EngineData ( Loco1 SetA" << true << false << "Loco1"
                                              << ""
                                              << ".eng";
    QTest::newRow("fermante avant ouvrante") << "EngineData ) Loco1 ( SetA" << true << false << ""
                                             << ""
                                             << ".eng";

    // Other rules worth keeping.
    QTest::newRow("les deux mots-clés: moteur") << "WagonData EngineData ( A B )" << true << true << "A"
                                                << "B"
                                                << ".eng";
    QTest::newRow("mot-clé en minuscules ignoré") << "enginedata ( A B )" << false << false << ""
                                                  << ""
                                                  << "";
    QTest::newRow("mot-clé dans un nom affiché") << "Name ( \"WagonData Loco1\" )" << true << false << "WagonData Loco1"
                                                 << ""
                                                 << ".wag";
    QTest::newRow("tabulation ne sépare pas") << "EngineData ( Loco1\tSetA )" << true << false << ""
                                              << ""
                                              << ".eng";
    QTest::newRow("blancs gardés entre guillemets") << "EngineData ( \" Loco1\" SetA )" << true << true << " Loco1"
                                                    << "SetA"
                                                    << ".eng";
    QTest::newRow("indentation par tabulations") << "\t\t\tWagonData ( Hopper HopperSet )" << true << true << "Hopper"
                                                 << "HopperSet"
                                                 << ".wag";
    QTest::newRow("texte après la parenthèse") << "EngineData ( A B ) Flip ( )" << true << true << "A"
                                               << "B"
                                               << ".eng";
    QTest::newRow("ligne ordinaire") << "UiD ( 1 )" << false << false << ""
                                     << ""
                                     << "";
}

void TstLecteurConsist::lignesVehicule()
{
    QFETCH(QString, ligne);
    QFETCH(bool, vehicule);
    QFETCH(bool, saine);
    QFETCH(QString, nom);
    QFETCH(QString, dossier);
    QFETCH(QString, extension);
    const LigneVehicule v = analyserLigne(ligne);
    QCOMPARE(v.vehicule, vehicule);
    QCOMPARE(v.saine, saine);
    QCOMPARE(v.extension.toString(), extension);
    if (saine) {
        QCOMPARE(v.nom.toString(), nom);
        QCOMPARE(v.dossier.toString(), dossier);
    }
}

namespace {
QByteArray utf16(const QString &t, bool petitBoutiste)
{
    QByteArray o = petitBoutiste ? QByteArray("\xFF\xFE") : QByteArray("\xFE\xFF");
    for (const QChar c : t) {
        const char16_t u = c.unicode();
        const char hi = static_cast<char>(u >> 8);
        const char lo = static_cast<char>(u & 0xFF);
        o += petitBoutiste ? QByteArray{&lo, 1} + QByteArray{&hi, 1} : QByteArray{&hi, 1} + QByteArray{&lo, 1};
    }
    return o;
}
} // namespace

void TstLecteurConsist::codagesEtFinsDeLigne_data()
{
    QTest::addColumn<QByteArray>("octets");
    QTest::addColumn<QStringList>("lignes");

    const QString texte = QString::fromUtf8("Train (\r\n\tName ( \"Côte\" )\r\n\tEngineData ( A B )\r\n)");
    const QStringList attendu = {"Train (", QString::fromUtf8("\tName ( \"Côte\" )"), "\tEngineData ( A B )", ")"};
    QTest::newRow("ANSI CR LF") << versAnsi(texte) << attendu;
    QTest::newRow("ANSI LF") << versAnsi(QString(texte).replace("\r\n", "\n")) << attendu;
    QTest::newRow("ANSI CR") << versAnsi(QString(texte).replace("\r\n", "\r")) << attendu;
    QTest::newRow("UTF-16 LE") << utf16(texte, true) << attendu;
    QTest::newRow("UTF-16 BE") << utf16(texte, false) << attendu;
    QTest::newRow("UTF-8 avec marque") << QByteArray("\xEF\xBB\xBF") + texte.toUtf8() << attendu;
    QTest::newRow("UTF-8 sans marque lu en ANSI")
        << texte.toUtf8()
        << QStringList{"Train (", QString::fromUtf8("\tName ( \"CÃ´te\" )"), "\tEngineData ( A B )", ")"};
    QTest::newRow("fin mêlées") << QByteArray("a\r\nb\nc\rd\n\re") << QStringList{"a", "b", "c", "d", "", "e"};
    QTest::newRow("rien après la dernière fin") << QByteArray("a\r\n") << QStringList{"a"};
    QTest::newRow("lignes vides") << QByteArray("\r\n\r\n") << QStringList{"", ""};
    QTest::newRow("vide") << QByteArray() << QStringList{};
    QTest::newRow("marque seule") << QByteArray("\xFF\xFE") << QStringList{};
    QTest::newRow("un octet") << QByteArray("x") << QStringList{"x"};
    QTest::newRow("UTF-16 impair") << (utf16(QStringLiteral("ab"), true) + 'c') << QStringList{QStringLiteral("ab")};
}

void TstLecteurConsist::codagesEtFinsDeLigne()
{
    QFETCH(QByteArray, octets);
    QFETCH(QStringList, lignes);
    QBuffer b(&octets);
    QVERIFY(b.open(QIODevice::ReadOnly));
    LecteurConsist l(b);
    QStringList lues;
    QStringView ligne;
    while (l.lire(ligne)) {
        lues << ligne.toString();
        QCOMPARE(l.numeroLigne(), lues.size());
    }
    QCOMPARE(lues, lignes);
}

void TstLecteurConsist::morceauxCoupesNImportentPas()
{
    // Lines much longer than a read, CR LF and UTF-16 units across reads.
    QString texte;
    QStringList attendu;
    for (int i = 0; i < 3000; ++i) {
        const QString l = QStringLiteral("\tWagonData ( W%1 \"Set %2\" )").arg(i).arg(QString(i % 97, u'é'));
        attendu << l;
        texte += l + (i % 3 == 0 ? QStringLiteral("\r\n") : i % 3 == 1 ? QStringLiteral("\n") : QStringLiteral("\r"));
    }
    attendu << QString(200000, u'x');
    texte += attendu.last();
    for (const QByteArray &octets : {versAnsi(texte), utf16(texte, true), utf16(texte, false)}) {
        QByteArray copie = octets;
        QBuffer b(&copie);
        b.open(QIODevice::ReadOnly);
        LecteurConsist l(b);
        QStringList lues;
        QStringView ligne;
        while (l.lire(ligne))
            lues << ligne.toString();
        QCOMPARE(lues.size(), attendu.size());
        QCOMPARE(lues, attendu);
    }
}

namespace {
QStringList toutesLesLignes(QIODevice &source)
{
    LecteurConsist l(source);
    QStringList lues;
    QStringView ligne;
    while (l.lire(ligne))
        lues << ligne.toString();
    return lues;
}
} // namespace

void TstLecteurConsist::peuDOctetsALaFois()
{
    // Broken UTF-8 sequences, surrogates and marks cut across reads: Qt's
    // own decoders, fed piece by piece, dropped the text after a broken
    // sequence.
    const QString texte = QString::fromUtf8("Wagon ( WagonData ( \"été\" Set ) )\r\n\U0001F682 EngineData ( A B )\n");
    QByteArray utf8 = texte.toUtf8();
    utf8.insert(10, "\xF3\xF3\xF3");
    utf8.insert(30, "\xE2\x82");
    utf8 += "\xEF\xBB\xBFWagonData ( C D )\xF0\x9F";
    for (const QByteArray &octets : {QByteArray("\xEF\xBB\xBF") + utf8, utf16(texte, true), utf16(texte, false)}) {
        QByteArray entier = octets;
        QBuffer b(&entier);
        b.open(QIODevice::ReadOnly);
        const QStringList attendu = toutesLesLignes(b);
        QVERIFY(attendu.size() >= 2);
        for (qint64 pas = 1; pas <= 5; ++pas) {
            QByteArray copie = octets;
            Morceaux m(&copie, pas);
            m.open(QIODevice::ReadOnly);
            QCOMPARE(toutesLesLignes(m), attendu);
        }
    }
}

void TstLecteurConsist::ligneTropLongueCoupee()
{
    // A line of megabytes keeps its head, the rest is dropped, and the
    // lines after it read as usual.
    QByteArray octets = "EngineData ( A B ) " + QByteArray(3 * LongueurLigneMax + 5, 'x') + "\r\nWagonData ( C D )";
    QBuffer b(&octets);
    b.open(QIODevice::ReadOnly);
    LecteurConsist l(b);
    QStringView ligne;
    QVERIFY(l.lire(ligne));
    QCOMPARE(ligne.size(), LongueurLigneMax);
    QCOMPARE(analyserLigne(ligne).dossier.toString(), QStringLiteral("B"));
    QVERIFY(l.lire(ligne));
    QCOMPARE(ligne.toString(), QStringLiteral("WagonData ( C D )"));
    QCOMPARE(l.numeroLigne(), 2);
    QVERIFY(!l.lire(ligne));
}

void TstLecteurConsist::nomsDeConsist()
{
    QVERIFY(estNomConsist(u"a.con"));
    QVERIFY(estNomConsist(u".con"));
    QVERIFY(!estNomConsist(u"a.CON"));
    QVERIFY(!estNomConsist(u"a.Con"));
    QVERIFY(!estNomConsist(u"a.con.bak"));
    QVERIFY(!estNomConsist(u"acon"));
}

QTEST_GUILESS_MAIN(TstLecteurConsist)
#include "tst_lecteurconsist.moc"
