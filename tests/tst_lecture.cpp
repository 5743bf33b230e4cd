// The game's files read, on real trees. Consists: vehicle lines taken apart,
// encodings, line ends, and the engine giving the lines, answers and verdicts
// of a plain reading (line by line, each vehicle asked of the file system).
// Routes: whether activities and timetables will run (what each names, in
// every encoding, letter case and spelling the game accepts; the effect Open
// Rails gives each missing thing), and which of them use a consist.
#include "analysis/LecteurConsist.h"
#include "analysis/LecteurRoutes.h"
#include "analysis/MoteurAnalyse.h"
#include "analysis/Remplacement.h"
#include "analysis/Routes.h"
#include "analysis/Utilisations.h"
#include "platform/Chemins.h"
#include "support/Essai.h"
#include "support/Morceaux.h"

#include <random>

using Fichiers = QList<std::pair<QString, QByteArray>>;

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

QByteArray ansi(const char *t)
{
    return encoder(QString::fromUtf8(t), u"ansi"_s);
}

// An activity as the game's editor lays it out: `entete` inside the header,
// `fichier` inside Tr_Activity_File.
QByteArray activite(const QString &entete, const QString &fichier, const QString &codage = u"utf16le"_s)
{
    return encoder(
        u"SIMISA@@@@@@@@@@JINX0a0t______\r\n\r\nTr_Activity (\r\n\tSerial ( 1 )\r\n\tTr_Activity_Header (\r\n"
        "\t\tRouteID ( R )\r\n\t\tName ( \"Essai (1)\" )\r\n%1\r\n\t)\r\n\tTr_Activity_File (\r\n%2\r\n\t)\r\n)\r\n"_s
            .arg(entete, fichier),
        codage);
}

QString joueur(const QString &service)
{
    return u"\t\tPlayer_Service_Definition ( %1\r\n\t\t\tPlayer_Traffic_Definition ( 0 )\r\n\t\t\tUiD ( 0 )\r\n\t\t)"_s
        .arg(service);
}

QString trafic(const QStringList &services)
{
    QString t = u"\t\tTraffic_Definition ( \"Trafic\"\r\n"_s;
    for (const QString &s : services)
        t += u"\t\t\tService_Definition ( %1 100\r\n\t\t\t\tUiD ( 1 )\r\n\t\t\t)\r\n"_s.arg(s);
    return t + u"\t\t)"_s;
}

// Loose consists: each entry "EngineData ( ... )" or "WagonData ( ... )".
QString objets(const QStringList &vehicules)
{
    QString t = u"\t\tActivityObjects (\r\n\t\t\tActivityObject (\r\n\t\t\t\tObjectType ( WagonsList )\r\n"
                "\t\t\t\tTrain_Config (\r\n\t\t\t\t\tTrainCfg ( \"libre\"\r\n"_s;
    for (const QString &v : vehicules)
        t += u"\t\t\t\t\t\tWagon (\r\n\t\t\t\t\t\t\t%1\r\n\t\t\t\t\t\t\tUiD ( 2 )\r\n\t\t\t\t\t\t)\r\n"_s.arg(v);
    return t + u"\t\t\t\t\t)\r\n\t\t\t\t)\r\n\t\t\t\tID ( 32768 )\r\n\t\t\t)\r\n\t\t)"_s;
}

QByteArray service(const QString &consist, const QString &chemin, const QString &codage = u"utf16le"_s)
{
    return encoder(
        u"SIMISA@@@@@@@@@@JINX0v0t______\r\n\r\nService_Definition (\r\n\tSerial ( 1 )\r\n\tName ( \"x\" )\r\n"
        "\tTrain_Config ( %1 )\r\n\tPathID ( %2 )\r\n\tMaxWheelAcceleration ( 0 )\r\n)\r\n"_s.arg(consist, chemin),
        codage);
}

} // namespace

class TstLecture : public QObject {
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
        QTest::newRow("UTF-8 coupé après un CR")
            << QByteArray("\xEF\xBB\xBF") + "a\r\xC3" << QStringList{"a", u"\uFFFD"_s};

        // Broken UTF-8 sequences, surrogates and marks cut across reads: Qt's own
        // decoders, fed piece by piece, dropped the text after a broken sequence.
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

    void verifier_data()
    {
        // attendu: route|file|effect|missing, in the order the check gives
        colonnes<Fichiers, QStringList>("fichiers", "attendu");
        const QString R = u"ROUTES/R/"_s;

        // Every rule on one activity: a missing path, service or consist
        // blocks, as does the first vehicle of the player's consist; any other
        // vehicle degrades; a thing met twice keeps its worse effect and its
        // first spelling; names in quotes hold blanks, brackets, "#$&".
        QTest::newRow("chaque effet")
            << Fichiers{{R + "ACTIVITIES/A.act",
                         activite(u"\t\tPathID ( \"Voie (1) #2 & $x\" )"_s,
                                  joueur(u"Joueur"_s) + trafic({u"IA"_s, u"\"Sans service\""_s, u"IA2"_s}) +
                                      objets({u"EngineData ( Absente Set )"_s, u"WagonData ( Wag Set )"_s,
                                              u"WagonData ( \"Wagon absent\" \"Set 2\" )"_s}))},
                        {R + "SERVICES/Joueur.srv", service(u"\"Tete absente\""_s, u"P"_s)},
                        {R + "SERVICES/IA.srv", service(u"Queue"_s, u"\"Sans voie\""_s, u"utf16be"_s)},
                        {R + "SERVICES/IA2.srv", service(u"\"Sans consist\""_s, u"P"_s, u"utf8"_s)},
                        {R + "PATHS/P.pat", "x"},
                        {"TRAINS/CONSISTS/Tete absente.con",
                         consist({"EngineData ( LOCO Perdu )", "WagonData ( wag set )", "WagonData ( GONE SET )"})},
                        {"TRAINS/CONSISTS/Queue.con",
                         consist({"EngineData ( Loco Set )", "WagonData ( Gone Set )", "EngineData ( loco perdu )"},
                                 true)}}
            << QStringList{"R|A.act|blocks|CONSISTS/Sans consist.con",  "R|A.act|blocks|PATHS/Sans voie.pat",
                           "R|A.act|blocks|PATHS/Voie (1) #2 & $x.pat", "R|A.act|blocks|Perdu/LOCO.eng",
                           "R|A.act|blocks|SERVICES/Sans service.srv",  "R|A.act|degrades|Set 2/Wagon absent.wag",
                           "R|A.act|degrades|Set/Absente.eng",          "R|A.act|degrades|SET/GONE.wag"};
        // The game's lookups ignore letter case: folders, files, extensions
        // (".CON" too), and names within the files.
        QTest::newRow("toute casse") << Fichiers{{"Routes/r/Activities/a.ACT",
                                                  activite(u"\t\tpathid ( \"p\" )"_s, joueur(u"s"_s) + trafic({u"S"_s}),
                                                           u"ansi"_s)},
                                                 {"Routes/r/Services/S.SRV", service(u"c"_s, u"P"_s, u"ansi"_s)},
                                                 {"Routes/r/paths/P.Pat", "x"},
                                                 {"TRAINS/CONSISTS/C.CON", consist({"EngineData ( LOCO set )"})}}
                                     << QStringList{};
        // Only .act files directly in ACTIVITIES; a service file read once
        // for every activity naming it.
        QTest::newRow("autres fichiers, plusieurs activités")
            << Fichiers{{R + "ACTIVITIES/vieux.was_act", activite({}, joueur(u"X"_s))},
                        {R + "ACTIVITIES/sous/B.act", activite({}, joueur(u"X"_s))},
                        {R + "ACTIVITIES/b.act", activite({}, joueur(u"X"_s), u"utf8"_s)},
                        {R + "ACTIVITIES/a.act", activite({}, joueur(u"x"_s))}}
            << QStringList{"R|a.act|blocks|SERVICES/x.srv", "R|b.act|blocks|SERVICES/X.srv"};
        // Timetables: the separator is the first character; "<...>" names
        // whole, "$reverse" and qualifiers dropped, ".con" and ".pat" added
        // without an extension, sub-folders either way; #comment columns and
        // rows ignored, an empty heading continues the train before it.
        const QString OR = R + u"ACTIVITIES/OpenRails/"_s;
        QTest::newRow("horaires")
            << Fichiers{{OR + "t1.timetable_or",
                         ansi(";T1;;#comment;T2\r\n#comment;;;Absent1;\r\n#consist;<a+b$c>$reverse + Queue;+ Manque "
                              "$reverse;Absent2;sous/c\r\n#path/binary;P /binary;;Absent3;Q.pat $endatlastsignal\r\n"
                              "#start;10:00;;;10:05")},
                        {OR + "t2.timetable-or",
                         encoder(
                             u",A,B,C\n#consist,sous\\d.con,Autre.txt $reverse,Queue $inverse + Perdu\n#path,P,P,P"_s,
                             u"utf16le"_s)},
                        {OR + "t3.Timetable_OR", ansi("\tA\n#consist\tqueue\n#path\tVOIE")},
                        {OR + "t4.timetablelist-or", ansi(";x")},
                        {R + "PATHS/P.pat", "x"},
                        {"TRAINS/CONSISTS/Queue.con", consist({"EngineData ( Loco Set )", "WagonData ( Gone Set )"})},
                        {"TRAINS/CONSISTS/sous/c.con", consist({"WagonData ( wag set )"})}}
            << QStringList{
                   "R|t1.timetable_or|blocks|CONSISTS/a+b$c.con", "R|t1.timetable_or|blocks|CONSISTS/Manque.con",
                   "R|t1.timetable_or|blocks|PATHS/Q.pat",        "R|t1.timetable_or|degrades|Set/Gone.wag",
                   "R|t2.timetable-or|blocks|CONSISTS/Autre.txt", "R|t2.timetable-or|blocks|CONSISTS/sous\\d.con",
                   "R|t2.timetable-or|degrades|Set/Gone.wag",     "R|t3.Timetable_OR|blocks|PATHS/VOIE.pat",
                   "R|t3.Timetable_OR|degrades|Set/Gone.wag"};
        // A file that cannot be read or taken apart is a row of its own, and
        // the check goes on; so is a service or consist it names.
        QTest::newRow("illisibles")
            << Fichiers{{R + "ACTIVITIES/ouverte.act", ansi("Tr_Activity ( Tr_Activity_Header ( PathID ( P ) )")},
                        {R + "ACTIVITIES/guillemet.act", ansi("Tr_Activity ( PathID ( \"P ) )")},
                        {R + "ACTIVITIES/ferme.act", ansi("Tr_Activity ( ) )")},
                        {R + "ACTIVITIES/vide.act", ""},
                        {R + "ACTIVITIES/octets.act", QByteArray("Tr_Activity ( \x01\x02 )", 18)},
                        {R + "ACTIVITIES/saine.act", activite({}, joueur(u"casse"_s) + trafic({u"bon"_s}))},
                        {R + "SERVICES/casse.srv", ansi("Service_Definition ( Train_Config ( C )")},
                        {R + "SERVICES/bon.srv", service(u"illisible"_s, {})},
                        {OR + "sep.timetable_or", ansi("T1;T2\r\n#consist;a;b\r\n#path;p;p")},
                        {OR + "rien.timetable_or", ""}}
            << QStringList{"R|ferme.act|unreadable|",
                           "R|guillemet.act|unreadable|",
                           "R|lien.act|unreadable|",
                           "R|octets.act|unreadable|",
                           "R|ouverte.act|unreadable|",
                           "R|rien.timetable_or|unreadable|",
                           "R|saine.act|unreadable|CONSISTS/illisible.con",
                           "R|saine.act|unreadable|SERVICES/casse.srv",
                           "R|sep.timetable_or|unreadable|",
                           "R|vide.act|unreadable|"};
    }

    void verifier()
    {
        auto [fichiers, attendu] = donnees<Fichiers, QStringList>("fichiers", "attendu");
        Bac jeu;
        for (const char *v : {"TRAINS/TRAINSET/Set/Loco.eng", "TRAINS/TRAINSET/Set/Wag.wag"})
            jeu.ecrire(QString::fromLatin1(v), "x");
        jeu.creerDossier(u"TRAINS/CONSISTS"_s);
        for (const auto &[chemin, octets] : fichiers)
            jeu.ecrire(chemin, octets);
        // Every read of it fails: a consist, and an activity.
        QFile::link(u"/proc/self/mem"_s, jeu.chemin(u"TRAINS/CONSISTS/illisible.con"_s));
        if (qstrcmp(QTest::currentDataTag(), "illisibles") == 0)
            QFile::link(u"/proc/self/mem"_s, jeu.chemin(u"ROUTES/R/ACTIVITIES/lien.act"_s));

        Progression avancement;
        const BilanRoutes bilan = verifierRoutes(jeu.chemin(), jeu.chemin(u"TRAINS/CONSISTS"_s),
                                                 jeu.chemin(u"TRAINS/TRAINSET"_s), &avancement);
        QStringList lu;
        for (const ManqueRoute &m : bilan.manques)
            lu << m.route + u'|' + m.fichier + u'|' + motEffet(m.effet) + u'|' + m.manquant;
        QCOMPARE(lu, attendu);
        QCOMPARE(avancement.faits.load(), avancement.total.load());
        QCOMPARE(avancement.faits.load(), bilan.fichiers);
    }

    // The counts the summary gives, and the CSV's quoting and order: by
    // route, file and missing thing in any letter case, then exactly.
    void bilanEtCsv()
    {
        Bac jeu;
        jeu.ecrire(u"TRAINS/TRAINSET/Set/Loco.eng"_s, "x");
        jeu.ecrire(u"TRAINS/CONSISTS/Sain.con"_s, consist({"EngineData ( Loco Set )"}));
        jeu.ecrire(u"TRAINS/CONSISTS/Lacune.con"_s, consist({"EngineData ( Loco Set )", "WagonData ( \"W, x\" Set )"}));
        for (const QString &route : {u"b"_s, u"A"_s, u"a"_s, u"x,\"y\""_s}) {
            for (const QString &c : {u"Sain"_s, u"Lacune"_s})
                jeu.ecrire(u"ROUTES/%1/SERVICES/%2.srv"_s.arg(route, c.toLower()), service(c, {}));
            jeu.ecrire(u"ROUTES/%1/ACTIVITIES/sain.act"_s.arg(route), activite({}, joueur(u"sain"_s)));
            jeu.ecrire(u"ROUTES/%1/ACTIVITIES/Z.act"_s.arg(route), activite({}, trafic({u"lacune"_s})));
            jeu.ecrire(u"ROUTES/%1/ACTIVITIES/y.act"_s.arg(route), activite({}, joueur(u"absent"_s)));
        }
        const BilanRoutes bilan =
            verifierRoutes(jeu.chemin(), jeu.chemin(u"TRAINS/CONSISTS"_s), jeu.chemin(u"TRAINS/TRAINSET"_s));
        QCOMPARE(bilan.fichiers, 12);
        QCOMPARE(bilan.bloques, 4);
        QCOMPARE(bilan.lacunaires, 4);
        // Routes "A" and "a" differ in letter case alone: the rows of both
        // stand together, file by file.
        const QString y = u",y.act,blocks,SERVICES/absent.srv\n"_s;
        const QString z = u",Z.act,degrades,\"Set/W, x.wag\"\n"_s;
        QString attendu = u"A"_s + y + u"a"_s + y + u"A"_s + z + u"a"_s + z;
        for (const char *route : {"b", "\"x,\"\"y\"\"\""})
            attendu += QString::fromLatin1(route) + y + QString::fromLatin1(route) + z;
        QCOMPARE(csvRoutes(bilan.manques), attendu);
    }

    // Through what each thing is missing, and the file the window opens for
    // it: the activity for its services and loose vehicles, the service for
    // its consist and path, the consist for its vehicles, the timetable for
    // its train's; a thing met two ways keeps both. Every file checked has
    // its verdict, a sound one with no row.
    void parQuoi()
    {
        Bac jeu;
        jeu.ecrire(u"TRAINS/TRAINSET/Set/Loco.eng"_s, "x");
        jeu.ecrire(u"TRAINS/CONSISTS/C2.con"_s, consist({"EngineData ( Loco Set )", "WagonData ( W Set )"}));
        jeu.ecrire(u"TRAINS/CONSISTS/Sain.con"_s, consist({"EngineData ( Loco Set )"}));
        const QString R = u"ROUTES/R/"_s;
        jeu.ecrire(R + u"SERVICES/S1.srv"_s, service(u"C1"_s, u"P1"_s));
        jeu.ecrire(R + u"SERVICES/S2.srv"_s, service(u"C2"_s, {}));
        jeu.ecrire(R + u"SERVICES/sain.srv"_s, service(u"Sain"_s, {}));
        const QString a = jeu.ecrire(R + u"ACTIVITIES/A.act"_s,
                                     activite({}, joueur(u"S1"_s) + trafic({u"S2"_s, u"S3"_s}) +
                                                      objets({u"WagonData ( W Set )"_s, u"WagonData ( L Set )"_s})));
        jeu.ecrire(R + u"ACTIVITIES/B.act"_s, activite({}, joueur(u"sain"_s)));
        const QString t = jeu.ecrire(R + u"ACTIVITIES/OpenRails/t.timetable_or"_s,
                                     ansi(";Rapide;Omnibus\n#consist;C1;Sain\n#path;P2;P2"));
        const BilanRoutes bilan =
            verifierRoutes(jeu.chemin(), jeu.chemin(u"TRAINS/CONSISTS"_s), jeu.chemin(u"TRAINS/TRAINSET"_s));
        const QList<VerdictFichier> verdicts = verdictsParFichier(bilan);
        QStringList lu;
        for (const VerdictFichier &v : verdicts) {
            lu << v.fichier.fichier + u':' + (v.manques.isEmpty() ? u"-"_s : motEffet(v.pire));
            for (const ManqueRoute &m : v.manques) {
                QString l = m.manquant;
                for (const Intermediaire &i : m.par)
                    l += u'|' + QString::number(int(i.genre)) + i.nom + u'@' + QFileInfo(i.fichier).fileName();
                lu << l;
            }
        }
        QCOMPARE(lu, (QStringList{"A.act:blocks", "CONSISTS/C1.con|1S1@S1.srv", "PATHS/P1.pat|1S1@S1.srv",
                                  "SERVICES/S3.srv|0@A.act", "Set/L.wag|3@A.act", "Set/W.wag|2C2.con@|3@A.act",
                                  "B.act:-", "t.timetable_or:blocks", "CONSISTS/C1.con|4Rapide@t.timetable_or",
                                  "PATHS/P2.pat|4Rapide@t.timetable_or|4Omnibus@t.timetable_or"}));
        // The paths the window opens are the files as on disk.
        QCOMPARE(verdicts[0].manques[0].par[0].fichier, jeu.chemin(u"ROUTES/R/SERVICES/S1.srv"_s));
        QCOMPARE(verdicts[0].manques[2].par[0].fichier, a);
        QCOMPARE(verdicts[0].manques[4].par[1].fichier, a);
        QCOMPARE(verdicts[2].manques[0].par[0].fichier, t);
    }

    // Cells of #consist as Open Rails takes them apart.
    void cellules_data()
    {
        colonnes<QString, QStringList>("cellule", "noms");
        QTest::newRow("seul") << u"  c_loco "_s << QStringList{"c_loco"};
        QTest::newRow("joints, inversés")
            << u"c_loco $reverse + c_wagons $reverse+c_add"_s << QStringList{"c_loco", "c_wagons", "c_add"};
        QTest::newRow("entre chevrons") << u"<loco+wagon>+<$loco+wagon>$reverse"_s
                                        << QStringList{"loco+wagon", "$loco+wagon"};
        QTest::newRow("chevron ouvert") << u"a + <b$c"_s << QStringList{"a", "b$c"};
        QTest::newRow("commande inconnue") << u"a $Reverse + b"_s << QStringList{"a"};
        QTest::newRow("vide") << u" + "_s << QStringList{};
    }

    void cellules()
    {
        auto [cellule, noms] = donnees<QString, QStringList>("cellule", "noms");
        QCOMPARE(consistsDeCellule(cellule), noms);
    }

    void remplacementLibre_data()
    {
        colonnes<QString, QString>("codage", "fin");
        for (const char *codage : {"utf16le", "utf16be", "utf8", "ansi"})
            for (const auto &[nom, fin] : {std::pair{"CR LF", "\r\n"}, {"LF", "\n"}, {"CR", "\r"}})
                QTest::newRow(qPrintable(QLatin1String(codage) + u' ' + QLatin1String(nom)))
                    << QString::fromLatin1(codage) << QString::fromLatin1(fin);
    }

    // The replacement reaches the loose consists' vehicle lines alone, in
    // every encoding and line end: the same line in the header, or in a
    // comment among them, and every UiD stay as they were; so does an
    // activity that cannot be taken apart.
    void remplacementLibre()
    {
        auto [codage, fin] = donnees<QString, QString>("codage", "fin");
        const QString ailleurs = u"\t\tName ( \"Côte (1)\" )\r\n\t\tWagonData ( V1 Vieux )"_s;
        const auto texte = [&](const QString &vehicule) {
            QString t =
                decoderTexte(activite(ailleurs, objets({u"WagonData ( Autre Vieux )"_s, vehicule,
                                                        u"comment (\r\nWagonData ( v1 vieux )\r\n)"_s, vehicule})));
            return t.replace(u"\r\n"_s, fin).chopped(fin.size()); // no end to its last line
        };
        const CheminVehicule ancien = *analyserCheminVehicule(u"Vieux/V1.wag"_s);
        const CheminVehicule nouveau = *analyserCheminVehicule(u"Neuf/V2.wag"_s);
        const QByteArray avant = encoder(texte(u"WagonData ( \"v1\" VIEUX )"_s), codage);
        const Substitution s = substituerActivite(avant, ancien, nouveau);
        QCOMPARE(s.lignes, 2);
        QCOMPARE(s.octets, encoder(texte(u"WagonData ( \"V2\" Neuf )"_s), codage));
        QCOMPARE(substituerActivite(avant.chopped(codage.startsWith(u"utf16") ? 4 : 2), ancien, nouveau).lignes, 0);
    }

    // Which services and activities of the routes use a consist, then which
    // timetables: asked before a delete or a move.
    void utilisateurs_data()
    {
        // attendu: consist|route|service|activities, then consist|route|timetable
        colonnes<Fichiers, QStringList, QStringList>("fichiers", "consists", "attendu");

        QTest::newRow("encodages, fins de ligne, jetons")
            << Fichiers{{"ROUTES/L1/SERVICES/S le.srv",
                         utf16(u"SIMISA@@@@@@@@@@JINX0v0t______\r\n\r\nService_Definition (\r\n\tName ( x )\r\n"
                               "\tTrain_Config ( \"loco bleue\" )\r\n)\r\n"_s)},
                        {"ROUTES/L1/SERVICES/S be.srv",
                         utf16(u"Service_Definition (\r\tTrain_Config\t(\tLOCO)\r)"_s, false)},
                        {"ROUTES/L1/SERVICES/S u8.srv", "\xEF\xBB\xBFTrain_Config ( \"Loco Bleue\" )\n"},
                        {"ROUTES/L1/SERVICES/Sé ansi.srv",
                         ansi("Name ( \"Département\" )\r\nTrain_Config (\"Loco Bleue\")")},
                        {"ROUTES/L1/ACTIVITIES/a1.act",
                         utf16(u"Tr_Activity (\r\n\tPlayer_Service_Definition ( \"S le\"\r\n"
                               "\t\tService_Definition ( \"s u8\" 10 ) Service_Definition ( S\"le\" )\r\n)"_s)},
                        {"ROUTES/L1/ACTIVITIES/B2.act",
                         ansi("Service_Definition ( S\tle )\rService_Definition(\"S LE\")")}}
            << QStringList{"Loco Bleue.con", "Loco.con"}
            << QStringList{"Loco Bleue.con|L1|S le|a1;B2", "Loco Bleue.con|L1|S u8|a1", "Loco Bleue.con|L1|Sé ansi|",
                           "Loco.con|L1|S be|"};
        QTest::newRow("dossiers et extensions de toute casse")
            << Fichiers{{"Routes/rt/Services/X.SRV", ansi("Train_Config ( C )")},
                        {"Routes/rt/services/Z.Srv", ansi("Train_Config ( C )")},
                        {"Routes/rt/aCTIVITIES/Y.ACT", ansi("Service_Definition ( x )")}}
            << QStringList{"c.con"} << QStringList{"c.con|rt|X|Y", "c.con|rt|Z|"};
        QTest::newRow("seul le premier Train_Config")
            << Fichiers{{"ROUTES/R/SERVICES/S.srv", ansi("Train_Config ( Autre )\r\nTrain_Config ( C )")}}
            << QStringList{"C.con"} << QStringList{};
        QTest::newRow("seulement les services de la même ligne")
            << Fichiers{{"ROUTES/R1/SERVICES/S.srv", ansi("Train_Config ( C )")},
                        {"ROUTES/R2/ACTIVITIES/A.act", ansi("Service_Definition ( S )")}}
            << QStringList{"C.con"} << QStringList{"C.con|R1|S|"};
        QTest::newRow("fichiers vides, mal formés, dossiers")
            << Fichiers{{"ROUTES/R/SERVICES/vide.srv", ""},
                        {"ROUTES/R/SERVICES/ouvert.srv", ansi("Train_Config ( \"C )")},
                        {"ROUTES/R/SERVICES/vide2.srv", ansi("Train_Config ( \"\" )")},
                        {"ROUTES/R/SERVICES/sans.srv", ansi("Train_Config C")},
                        {"ROUTES/R/SERVICES/dossier.srv/S.srv", ansi("Train_Config ( C )")},
                        {"ROUTES/R/SERVICES/S.srv", ansi("Train_Config ( C )")},
                        {"ROUTES/R/ACTIVITIES/x.act", ansi("Service_Definition S\r\nService_Definition ( )")},
                        {"ROUTES/R/ACTIVITIES/y.act", "\xFF\xFE\x01"},
                        {"ROUTES/R/ACTIVITIES/z.act", ansi("Service_Definition ( S )")},
                        {"ROUTES/SansServices/ACTIVITIES/a.act", ansi("Service_Definition ( S )")}}
            << QStringList{"C.con"} << QStringList{"C.con|R|S|z"};
        QTest::newRow("ordre: consists donnés, lignes et services sans casse, activités")
            << Fichiers{{"ROUTES/Beta/SERVICES/s.srv", ansi("Train_Config ( b )")},
                        {"ROUTES/alpha/SERVICES/T.srv", ansi("Train_Config ( B )")},
                        {"ROUTES/alpha/SERVICES/c.srv", ansi("Train_Config ( b )")},
                        {"ROUTES/alpha/SERVICES/s.srv", ansi("Train_Config ( a )")},
                        {"ROUTES/alpha/ACTIVITIES/b.act", ansi("Service_Definition ( t )")},
                        {"ROUTES/alpha/ACTIVITIES/a.act", ansi("Service_Definition ( t )")},
                        {"ROUTES/alpha/ACTIVITIES/A.act", ansi("Service_Definition ( t )\r\nService_Definition ( T )")}}
            << QStringList{"b.con", "A.con"}
            << QStringList{"b.con|alpha|c|", "b.con|alpha|T|A;a;b", "b.con|Beta|s|", "A.con|alpha|s|"};
        // Timetables whose trains use a consist, whatever the letter case.
        QTest::newRow("horaires")
            << Fichiers{{"Routes/B/Activities/OpenRails/t.timetable_or",
                         ansi(";T1;T2\n#consist;x + Y $reverse;<y>\n#path;p;p")},
                        {"Routes/a/Activities/OpenRails/u.timetable-or", ansi(";T1\n#consist;sous/y\n#path;p")},
                        {"Routes/a/Activities/OpenRails/v.timetable-or", ansi(",T1\n#consist,Y.CON\n#path,p")}}
            << QStringList{"y.con", "z.con", "X.con"}
            << QStringList{"y.con|a|v.timetable-or", "y.con|B|t.timetable_or", "X.con|B|t.timetable_or"};
    }

    void utilisateurs()
    {
        auto [fichiers, consists, attendu] =
            donnees<Fichiers, QStringList, QStringList>("fichiers", "consists", "attendu");
        Bac jeu;
        for (const auto &[chemin, octets] : fichiers)
            jeu.ecrire(chemin, octets);
        // A link to nothing among the services: no file to read.
        QFile::link(jeu.chemin(u"nulle part"_s), jeu.chemin(u"ROUTES/R/SERVICES/lien.srv"_s));

        Progression avancement;
        QStringList lu;
        for (const ServiceUtilisateur &s : servicesUtilisant(jeu.chemin(), consists, &avancement))
            lu << s.consist + u'|' + s.route + u'|' + s.service + u'|' + s.activites.join(u';');
        for (const HoraireUtilisateur &h : horairesUtilisant(jeu.chemin(), consists, &avancement))
            lu << h.consist + u'|' + h.route + u'|' + h.horaire;
        QCOMPARE(lu, attendu);
        QCOMPARE(avancement.faits.load(), avancement.total.load());
    }
};

QTEST_GUILESS_MAIN(TstLecture)
#include "tst_lecture.moc"
