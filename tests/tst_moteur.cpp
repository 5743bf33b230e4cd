// The engine against a plain reading: every consist of a varied generated
// tree read line by line, each line taken apart and each vehicle asked of the
// file system. Both must give the same lines, answers and verdicts.
#include "analysis/LecteurConsist.h"
#include "analysis/MoteurAnalyse.h"
#include "platform/Chemins.h"
#include "support/Essai.h"

#include <random>

namespace {

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
        return noms > 4 ? QStringLiteral("Wagon%1_au_nom_un_peu_plus_long").arg(v) : QStringLiteral("Wagon%1").arg(v);
    };
    std::mt19937 alea(graine);
    const auto tirer = [&](int n) { return int(alea() % unsigned(n)); };
    const QStringList dossiers = {QStringLiteral("Set_A"), QStringLiteral("Côté_€B"), QStringLiteral("set c")};
    for (const QString &d : dossiers)
        for (int v = 0; v < 2 * noms; ++v)
            a.bac.ecrire(
                QStringLiteral("jeu/TRAINS/TRAINSET/%1/%2.%3").arg(d, nomVehicule(v / 2), v % 2 ? "eng" : "wag"));
    if (jumeaux) {
        for (int v = 0; v < 2 * noms; v += 4)
            a.bac.ecrire(
                QStringLiteral("jeu/TRAINS/TRAINSET/SET_A/%1.%2").arg(nomVehicule(v / 2), v % 2 ? "eng" : "wag"));
        a.bac.creerDossier(QStringLiteral("jeu/TRAINS/TRAINSET/set c/wagon1.eng"));
    }
    a.consists = a.bac.creerDossier(QStringLiteral("jeu/TRAINS/CONSISTS"));
    a.trainset = a.bac.chemin(QStringLiteral("jeu/TRAINS/TRAINSET"));
    const QString fins[] = {QStringLiteral("\r\n"), QStringLiteral("\n"), QStringLiteral("\r")};
    for (int c = 0; c < nombre; ++c) {
        QString t = QStringLiteral("SIMISA@@@@@@@@@@JINX0D0t______") + fins[tirer(3)] + QStringLiteral("Train (");
        const int lignes = 1 + tirer(12);
        for (int l = 0; l < lignes; ++l) {
            const int m = tirer(100) < 97 ? tirer(4) : tirer(std::size(Modeles));
            QString dossier = dossiers[tirer(10) == 0 ? 2 : tirer(2)];
            QString nom = tirer(60) == 0 ? QStringLiteral("Absent") : nomVehicule(tirer(noms));
            if (tirer(3) == 0)
                dossier = dossier.toUpper(), nom = nom.toLower();
            t += fins[tirer(3)] + QStringLiteral("\t\t") +
                 QString::fromLatin1(Modeles[m])
                     .replace(QStringLiteral("%N"), nom)
                     .replace(QStringLiteral("%D"), dossier);
        }
        if (tirer(4) == 0)
            t += fins[tirer(3)];
        const QString codage = QStringList{u"ansi"_s, u"utf16le"_s, u"utf16be"_s, u"utf8"_s}[tirer(4)];
        // A UTF-16 file cut after half a character: the odd byte is no text.
        const QByteArray bout = codage == u"utf16le" && tirer(5) == 0 ? "E" : "";
        a.bac.ecrire(QStringLiteral("jeu/TRAINS/CONSISTS/c%1.con").arg(c), encoder(t, codage) + bout);
    }
    a.bac.ecrire(QStringLiteral("jeu/TRAINS/CONSISTS/majuscules.CON"), "EngineData ( X Y )");
    // Every ASCII letter in the other case, in folder and file name: found.
    a.bac.ecrire(QStringLiteral("jeu/TRAINS/TRAINSET/AbCdEfGhIjKlMnOpQrStUvWxYz/zYxWvUtSrQpOnMlKjIhGfEdCbA.wag"));
    a.bac.ecrire(QStringLiteral("jeu/TRAINS/CONSISTS/lettres.con"),
                 "WagonData ( ZyXwVuTsRqPoNmLkJiHgFeDcBa aBcDeFgHiJkLmNoPqRsTuVwXyZ )");
    if (enorme) {
        // Over the size held whole: read as a stream, handed over in parts.
        QByteArray o;
        while (o.size() < 1100 * 1024)
            o += "\tEngineData ( Wagon1 Set_A )\r\n\tUiD ( 1 )\r\n";
        a.bac.ecrire(QStringLiteral("jeu/TRAINS/CONSISTS/enorme.con"), o + "WagonData ( Absent Set_A )\r\n");
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
    QStringList noms = QDir(a.consists).entryList({QStringLiteral("*.con")}, QDir::Files);
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
                    if (QFile::remove(a.consists + QStringLiteral("/c%1.con").arg(c)))
                        retires << QStringLiteral("c%1.con").arg(c);
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
