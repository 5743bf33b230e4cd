// Reading consists: taking vehicle lines apart, encodings and line ends.
#include "analysis/LecteurConsist.h"
#include "support/Essai.h"
#include "support/Morceaux.h"

namespace {

// Every line the reader gives, from the whole text or `pas` bytes a read; a
// line number out of step shows as an extra entry.
QStringList lignes(QByteArray octets, qint64 pas = 0)
{
    Morceaux source(&octets, pas > 0 ? pas : std::numeric_limits<qint64>::max());
    source.open(QIODevice::ReadOnly);
    LecteurConsist l(source);
    QStringList lues;
    QStringView ligne;
    while (l.lire(ligne)) {
        lues << ligne.toString();
        if (l.numeroLigne() != lues.size())
            lues << u"<ligne n° %1>"_s.arg(l.numeroLigne());
    }
    return lues;
}

} // namespace

class TstLecteurConsist : public QObject {
    Q_OBJECT

private slots:
    void lignesVehicule_data()
    {
        // lu: empty: no vehicle line; the extension alone: a vehicle line that cannot be taken apart; else
        // "name|folder" then the extension
        colonnes<QString, QString>("ligne", "lu");
        // The worked examples of the game's rules.
        QTest::newRow("simple") << u"EngineData ( Loco1 SetA )"_s << u"Loco1|SetA.eng"_s;
        QTest::newRow("deux entre guillemets") << u"WagonData ( \"Loco 1\" \"Set A\" )"_s << u"Loco 1|Set A.wag"_s;
        QTest::newRow("mot en trop ignoré") << u"WagonData ( \"Loco 1\" SetA extra )"_s << u"Loco 1|SetA.wag"_s;
        QTest::newRow("dossier entre guillemets") << u"EngineData ( Loco1 \"Set A\" )"_s << u"Loco1|Set A.eng"_s;
        QTest::newRow("sans dossier") << u"EngineData ( Loco1 )"_s << u".eng"_s;
        QTest::newRow("vide") << u"EngineData ( )"_s << u".eng"_s;
        QTest::newRow("nom seul entre guillemets") << u"EngineData ( \"Loco1\" )"_s << u".eng"_s;
        QTest::newRow("guillemet du nom non fermé") << u"EngineData ( \"Loco1 SetA )"_s << u".eng"_s;
        QTest::newRow("guillemet du dossier non fermé") << u"EngineData ( Loco1 \"SetA )"_s << u".eng"_s;
        QTest::newRow("nom vide entre guillemets") << u"EngineData ( \"\" SetA )"_s << u".eng"_s;
        QTest::newRow("sans parenthèse ouvrante") << u"EngineData Loco1 SetA )"_s << u"EngineData|Loco1.eng"_s;
        // An unclosed line is unsound, never the end of the program.
        QTest::newRow("sans parenthèse fermante") << u"EngineData ( Loco1 SetA"_s << u".eng"_s;
        QTest::newRow("fermante avant ouvrante") << u"EngineData ) Loco1 ( SetA"_s << u".eng"_s;
        // Other rules worth keeping.
        QTest::newRow("les deux mots-clés: moteur") << u"WagonData EngineData ( A B )"_s << u"A|B.eng"_s;
        QTest::newRow("mot-clé en minuscules ignoré") << u"enginedata ( A B )"_s << u""_s;
        QTest::newRow("mot-clé dans un nom affiché") << u"Name ( \"WagonData Loco1\" )"_s << u".wag"_s;
        QTest::newRow("tabulation ne sépare pas") << u"EngineData ( Loco1\tSetA )"_s << u".eng"_s;
        QTest::newRow("blancs gardés entre guillemets") << u"EngineData ( \" Loco1\" SetA )"_s << u" Loco1|SetA.eng"_s;
        QTest::newRow("texte après la parenthèse") << u"EngineData ( A B ) Flip ( )"_s << u"A|B.eng"_s;
        QTest::newRow("ligne ordinaire") << u"UiD ( 1 )"_s << u""_s;
    }

    void lignesVehicule()
    {
        auto [ligne, lu] = donnees<QString, QString>("ligne", "lu");
        const LigneVehicule v = analyserLigne(ligne);
        QCOMPARE(v.vehicule, !lu.isEmpty());
        QCOMPARE((v.saine ? v.nom.toString() + u'|' + v.dossier.toString() : QString()) + v.extension.toString(), lu);
    }

    void codagesEtFinsDeLigne_data()
    {
        colonnes<QByteArray, QStringList>("octets", "lignes");

        const QString texte = u"Train (\r\n\tName ( \"Côte\" )\r\n\tEngineData ( A B )\r\n)"_s;
        const QStringList attendu = {"Train (", u"\tName ( \"Côte\" )"_s, "\tEngineData ( A B )", ")"};
        QTest::newRow("ANSI CR LF") << versAnsi(texte) << attendu;
        QTest::newRow("ANSI LF") << versAnsi(QString(texte).replace("\r\n", "\n")) << attendu;
        QTest::newRow("ANSI CR") << versAnsi(QString(texte).replace("\r\n", "\r")) << attendu;
        QTest::newRow("UTF-16 LE") << utf16(texte, true) << attendu;
        QTest::newRow("UTF-16 BE") << utf16(texte, false) << attendu;
        QTest::newRow("UTF-8 avec marque") << QByteArray("\xEF\xBB\xBF") + texte.toUtf8() << attendu;
        QTest::newRow("UTF-8 sans marque lu en ANSI")
            << texte.toUtf8() << QStringList{"Train (", u"\tName ( \"CÃ´te\" )"_s, "\tEngineData ( A B )", ")"};
        QTest::newRow("fin mêlées") << QByteArray("a\r\nb\nc\rd\n\re") << QStringList{"a", "b", "c", "d", "", "e"};
        QTest::newRow("rien après la dernière fin") << QByteArray("a\r\n") << QStringList{"a"};
        QTest::newRow("lignes vides") << QByteArray("\r\n\r\n") << QStringList{"", ""};
        QTest::newRow("vide") << QByteArray() << QStringList{};
        QTest::newRow("marque seule") << QByteArray("\xFF\xFE") << QStringList{};
        QTest::newRow("un octet") << QByteArray("x") << QStringList{"x"};
        QTest::newRow("UTF-16 impair") << (utf16(u"ab"_s, true) + 'c') << QStringList{"ab"};

        // Broken UTF-8 sequences, surrogates and marks cut across reads: Qt's
        // own decoders, fed piece by piece, dropped the text after a broken
        // sequence.
        const QString train = u"Wagon ( WagonData ( \"été\" Set ) )\r\n\U0001F682 EngineData ( A B )\n"_s;
        const QStringList lignesTrain = train.split(QRegularExpression(u"\r?\n"_s), Qt::SkipEmptyParts);
        QByteArray utf8 = train.toUtf8();
        utf8.insert(10, "\xF3\xF3\xF3");
        utf8.insert(30, "\xE2\x82");
        QTest::newRow("UTF-8 abîmé") << "\xEF\xBB\xBF" + utf8 + "\xEF\xBB\xBFWagonData ( C D )\xF0\x9F"
                                     << QStringList{
                                            u"Wagon ( Wa\uFFFD\uFFFD\uFFFDgonData ( \"été\"\uFFFD\uFFFD Set ) )"_s,
                                            lignesTrain[1], u"\uFEFFWagonData ( C D )\uFFFD\uFFFD"_s};
        QTest::newRow("UTF-16 LE hors du plan de base") << utf16(train, true) << lignesTrain;
        QTest::newRow("UTF-16 BE hors du plan de base") << utf16(train, false) << lignesTrain;

        // Lines much longer than a read, CR LF and UTF-16 units across reads.
        QString longues;
        QStringList lignesLongues;
        for (int i = 0; i < 3000; ++i) {
            lignesLongues << u"\tWagonData ( W%1 \"Set %2\" )"_s.arg(i).arg(QString(i % 97, u'é'));
            longues += lignesLongues.last() + QStringList{"\r\n", "\n", "\r"}[i % 3];
        }
        lignesLongues << QString(200000, u'x');
        longues += lignesLongues.last();
        QTest::newRow("longues, ANSI") << versAnsi(longues) << lignesLongues;
        QTest::newRow("longues, UTF-16 LE") << utf16(longues, true) << lignesLongues;
        QTest::newRow("longues, UTF-16 BE") << utf16(longues, false) << lignesLongues;

        // A line of megabytes keeps its head, the rest is dropped, and the
        // lines after it read as usual.
        const QByteArray tete = "EngineData ( A B ) ";
        QTest::newRow("ligne trop longue coupée")
            << tete + QByteArray(3 * LongueurLigneMax + 5, 'x') + "\r\nWagonData ( C D )"
            << QStringList{QString::fromLatin1(tete + QByteArray(LongueurLigneMax - tete.size(), 'x')),
                           u"WagonData ( C D )"_s};
    }

    // Read whole, then the short ones a few bytes a read: where reads end
    // changes nothing.
    void codagesEtFinsDeLigne()
    {
        auto [octets, lignes] = donnees<QByteArray, QStringList>("octets", "lignes");
        QCOMPARE(::lignes(octets), lignes);
        for (qint64 pas = 1; pas <= 5 && octets.size() < 1000; ++pas)
            QCOMPARE(::lignes(octets, pas), lignes);
    }
};

QTEST_GUILESS_MAIN(TstLecteurConsist)
#include "tst_lecteurconsist.moc"
