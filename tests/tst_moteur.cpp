// Reading consists: vehicle lines taken apart, encodings and line ends; and
// the engine against a plain reading: every consist of a varied generated
// tree read line by line, each line taken apart and each vehicle asked of the
// file system. Both must give the same lines, answers and verdicts.
#include "analysis/LecteurConsist.h"
#include "analysis/MoteurAnalyse.h"
#include "platform/Chemins.h"
#include "support/Essai.h"
#include "support/Morceaux.h"

#include <random>

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

// Vehicle lines that exist, that are missing, and that cannot be taken apart.
const char *const Modeles[] = {
    "EngineData ( %N %D )",           "WagonData ( \"%N\" \"%D\" )", "WagonData ( %N %D extra )",
    "EngineData ( \"%N\" %D )",       "EngineData ( %N )",           "WagonData ( )",
    "WagonData ( \"%N %D )",          "EngineData ( %N \"%D )",      "WagonData ( %N\t%D )",
    "Name ( \"WagonData %N\" )",      "EngineData ( %N %D",          "wagondata ( %N %D )",
    "EngineData WagonData ( %N %D )",
};

struct Arbre {
    Bac bac;
    QString consists, trainset;
};

// Consists in every encoding and line end, names in mixed letter case and
// with accents, a few vehicles missing and a few unsound lines: about a
// quarter of the consists invalid. With `jumeaux`, names that differ from
// others only in letter case, as Linux allows: a second "SET_A" holding half
// the vehicles, and a folder "wagon1.eng" beside the file "Wagon1.eng".
void generer(Arbre &a, int graine, int nombre, bool enorme, int noms, bool jumeaux)
{
    const auto nomVehicule = [noms](int v) {
        return noms > 4 ? u"Wagon%1_au_nom_un_peu_plus_long"_s.arg(v) : u"Wagon%1"_s.arg(v);
    };
    std::mt19937 alea(graine);
    const auto tirer = [&](int n) { return int(alea() % unsigned(n)); };
    const QStringList dossiers = {u"Set_A"_s, u"Côté_€B"_s, u"set c"_s};
    for (const QString &d : dossiers)
        for (int v = 0; v < 2 * noms; ++v)
            a.bac.ecrire(u"jeu/TRAINS/TRAINSET/%1/%2.%3"_s.arg(d, nomVehicule(v / 2), v % 2 ? "eng" : "wag"));
    if (jumeaux) {
        for (int v = 0; v < 2 * noms; v += 4)
            a.bac.ecrire(u"jeu/TRAINS/TRAINSET/SET_A/%1.%2"_s.arg(nomVehicule(v / 2), v % 2 ? "eng" : "wag"));
        a.bac.creerDossier(u"jeu/TRAINS/TRAINSET/set c/wagon1.eng"_s);
    }
    a.consists = a.bac.creerDossier(u"jeu/TRAINS/CONSISTS"_s);
    a.trainset = a.bac.chemin(u"jeu/TRAINS/TRAINSET"_s);
    const QString fins[] = {u"\r\n"_s, u"\n"_s, u"\r"_s};
    for (int c = 0; c < nombre; ++c) {
        QString t = u"SIMISA@@@@@@@@@@JINX0D0t______"_s + fins[tirer(3)] + u"Train ("_s;
        const int lignes = 1 + tirer(12);
        for (int l = 0; l < lignes; ++l) {
            const int m = tirer(100) < 97 ? tirer(4) : tirer(std::size(Modeles));
            QString dossier = dossiers[tirer(10) == 0 ? 2 : tirer(2)];
            QString nom = tirer(60) == 0 ? u"Absent"_s : nomVehicule(tirer(noms));
            if (tirer(3) == 0)
                dossier = dossier.toUpper(), nom = nom.toLower();
            t += fins[tirer(3)] + "\t\t" + QString::fromLatin1(Modeles[m]).replace("%N", nom).replace("%D", dossier);
        }
        if (tirer(4) == 0)
            t += fins[tirer(3)];
        const QString codage = QStringList{u"ansi"_s, u"utf16le"_s, u"utf16be"_s, u"utf8"_s}[tirer(4)];
        // A UTF-16 file cut after half a character: the odd byte is no text.
        const QByteArray bout = codage == u"utf16le" && tirer(5) == 0 ? "E" : "";
        a.bac.ecrire(u"jeu/TRAINS/CONSISTS/c%1.con"_s.arg(c), encoder(t, codage) + bout);
    }
    a.bac.ecrire(u"jeu/TRAINS/CONSISTS/majuscules.CON"_s, "EngineData ( X Y )");
    // Every ASCII letter in the other case, in folder and file name: found.
    a.bac.ecrire(u"jeu/TRAINS/TRAINSET/AbCdEfGhIjKlMnOpQrStUvWxYz/zYxWvUtSrQpOnMlKjIhGfEdCbA.wag"_s);
    a.bac.ecrire(u"jeu/TRAINS/CONSISTS/lettres.con"_s,
                 "WagonData ( ZyXwVuTsRqPoNmLkJiHgFeDcBa aBcDeFgHiJkLmNoPqRsTuVwXyZ )");
    if (enorme) {
        // Over the size held whole: read as a stream, handed over in parts.
        QByteArray o;
        while (o.size() < 1100 * 1024)
            o += "\tEngineData ( Wagon1 Set_A )\r\n\tUiD ( 1 )\r\n";
        a.bac.ecrire(u"jeu/TRAINS/CONSISTS/enorme.con"_s, o + "WagonData ( Absent Set_A )\r\n");
    }
}

struct Attendu {
    QString nom;
    bool invalide = false;
    QStringList lignes;
};

QString decrire(std::int64_t ligne, bool saine, bool existe, QStringView dossier, QStringView nom, QStringView ext)
{
    return u"%1 %2 %3 [%4] [%5%6]"_s.arg(QString::number(ligne), QString::number(saine), QString::number(existe),
                                         dossier.toString(), nom.toString(), ext.toString());
}

// The plain reading: whole files, a line at a time, two questions per line.
QList<Attendu> lectureSimple(const Arbre &a, bool premiereFaute)
{
    QList<Attendu> attendus;
    QHash<QString, bool> reponses; // the file system's, asked once per spelling
    QStringList noms = QDir(a.consists).entryList({u"*.con"_s}, QDir::Files);
    noms.removeIf([](const QString &n) { return !estNomConsist(n); });
    std::sort(noms.begin(), noms.end(), avantCommeLeJeu);
    for (const QString &n : noms) {
        QFile f(a.consists + u'/' + n);
        if (!f.open(QIODevice::ReadOnly))
            continue;
        Attendu at{n, false, {}};
        LecteurConsist lecteur(f);
        QStringView ligne;
        while (!(premiereFaute && at.invalide) && lecteur.lire(ligne)) {
            const LigneVehicule v = analyserLigne(ligne);
            if (!v.vehicule)
                continue;
            const QString dossier = v.saine ? v.dossier.toString() : QString();
            const QString fichier = dossier + u'/' + v.nom.toString() + v.extension.toString();
            if (v.saine && !reponses.contains(fichier))
                reponses[fichier] =
                    dossierExisteSansCasse(a.trainset, dossier) && fichierExisteSansCasse(a.trainset, fichier);
            const bool existe = v.saine && reponses[fichier];
            at.invalide = at.invalide || !existe;
            at.lignes << decrire(lecteur.numeroLigne(), v.saine, existe, v.saine ? v.dossier : QStringView(),
                                 v.saine ? v.nom : QStringView(), v.extension);
        }
        attendus << at;
    }
    return attendus;
}

} // namespace

class TstMoteur : public QObject {
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
    void commeUneLectureSimple_data()
    {
        // pas: the most a read hands out (0: all); disparus: every third consist removed once listed; noms: vehicles
        // per folder: thousands of spellings overflow every first size; jumeaux: names differing only in letter case
        colonnes<int, qint64, bool, bool, int, bool>("graine", "pas", "disparus", "enorme", "noms", "jumeaux");
        QTest::newRow("varied") << 1 << qint64(0) << false << false << 4 << false;
        QTest::newRow("short reads") << 2 << qint64(3) << false << false << 4 << false;
        QTest::newRow("vanished") << 3 << qint64(0) << true << false << 4 << false;
        QTest::newRow("over 1 MiB") << 4 << qint64(0) << false << true << 4 << false;
        QTest::newRow("many spellings") << 5 << qint64(0) << false << false << 600 << false;
        QTest::newRow("twins in letter case") << 6 << qint64(0) << false << false << 4 << true;
    }

    void commeUneLectureSimple()
    {
        auto [graine, pas, disparus, enorme, noms, jumeaux] =
            donnees<int, qint64, bool, bool, int, bool>("graine", "pas", "disparus", "enorme", "noms", "jumeaux");
        Arbre a;
        generer(a, graine, 300, enorme, noms, jumeaux);
        const Echeance echeance(120, "the engine (its reading ring or its answer tables)");
        for (const Profondeur p : {Profondeur::Entiere, Profondeur::PremiereFaute}) {
            const bool premiere = p == Profondeur::PremiereFaute;
            QList<Attendu> obtenus;
            SuiviAnalyse suivi;
            QStringList retires;
            bool suite = false;
            suivi.liste = [&](qsizetype) {
                if (!disparus)
                    return;
                for (int c = 0; c < 300; c += 3)
                    if (QFile::remove(a.consists + u"/c%1.con"_s.arg(c)))
                        retires << u"c%1.con"_s.arg(c);
            };
            suivi.consist = [&](const ConsistJuge &c) {
                if (!suite)
                    obtenus << Attendu{c.entree->nom, false, {}};
                suite = c.partiel;
                QCOMPARE(c.disparu, retires.contains(c.entree->nom));
                for (const VehiculeLu &v : c.vehicules)
                    obtenus.last().lignes << decrire(v.ligne, v.saine, v.existe, v.dossier, v.nom, v.extension);
                obtenus.last().invalide = c.invalide;
            };
            limiterLectures(pas);
            MoteurAnalyse moteur(a.consists, a.trainset + u'/');
            const BilanAnalyse bilan = moteur.analyser(p, suivi);
            limiterLectures(0);
            obtenus.removeIf([&](const Attendu &o) { return retires.contains(o.nom) && o.lignes.isEmpty(); });
            const QList<Attendu> attendus = lectureSimple(a, premiere);
            QCOMPARE(obtenus.size(), attendus.size());
            for (qsizetype i = 0; i < attendus.size(); ++i) {
                QCOMPARE(obtenus[i].nom, attendus[i].nom);
                QCOMPARE(obtenus[i].lignes, attendus[i].lignes);
                QCOMPARE(obtenus[i].invalide, attendus[i].invalide);
            }
            QVERIFY(std::any_of(obtenus.begin(), obtenus.end(),
                                [](const Attendu &o) { return o.nom == u"lettres.con" && !o.invalide; }));
            QCOMPARE(bilan.consists, attendus.size() + retires.size());
            QCOMPARE(bilan.invalides,
                     std::count_if(attendus.begin(), attendus.end(), [](auto &x) { return x.invalide; }));
            // Both verdicts well represented, or the comparison proves little.
            QVERIFY2(bilan.invalides > bilan.consists / 10 && bilan.invalides < bilan.consists * 9 / 10,
                     qPrintable(QString::number(bilan.invalides)));
            if (jumeaux) {
                // Two spellings of one vehicle answered differently, or the
                // row proves nothing.
                QHash<QString, QSet<QString>> reponses;
                for (const Attendu &at : attendus)
                    for (const QString &l : at.lignes)
                        reponses[l.section(u'[', 1).toCaseFolded()].insert(l.section(u' ', 1, 2));
                QVERIFY(std::any_of(reponses.begin(), reponses.end(), [](const auto &r) { return r.size() > 1; }));
            }
            if (disparus)
                generer(a, graine, 300, enorme, noms, jumeaux);
        }

        // The replace command's bytes: the file as it is on disk, whatever
        // its size and however small the reads.
        QStringList differents;
        SuiviAnalyse brut;
        brut.consist = [&](const ConsistJuge &c) {
            QFile f(a.consists + u'/' + c.entree->nom);
            if (c.erreur != 0 || !f.open(QIODevice::ReadOnly) || f.readAll() != c.octets)
                differents << c.entree->nom;
        };
        limiterLectures(pas);
        MoteurAnalyse(a.consists, QString()).analyser(Profondeur::Octets, brut);
        limiterLectures(0);
        QVERIFY2(differents.isEmpty(), qPrintable(differents.join(u' ')));
    }
};

QTEST_GUILESS_MAIN(TstMoteur)
#include "tst_moteur.moc"
