// Paths without regard to case, the game folder from a Wine prefix, the
// single-copy lock and the volume list, on real files.
#include "platform/Chemins.h"
#include "platform/Instance.h"
#include "platform/Registre.h"
#include "platform/Volumes.h"
#include "support/Essai.h"

using Opt = std::optional<QString>;

Q_DECLARE_METATYPE(Opt)

namespace {

void lier(const QString &cible, const QString &lien)
{
    QDir().mkpath(QFileInfo(lien).absolutePath());
    QVERIFY2(QFile::link(cible, lien), qPrintable(lien));
}

// A Wine prefix as winecfg makes it: c: relative to the prefix, other drives
// absolute.
QString creerPrefixe(Bac &bac)
{
    for (const char *d : {"/drive_c/Program Files/Microsoft Games/TRAIN SIMULATOR", "/drive_c/MSTS-Wow"})
        bac.creerDossier(u"msts prefixe"_s + d);
    bac.creerDossier(u"cdrom/JEUX/MSTS"_s);
    const QString prefixe = bac.chemin(u"msts prefixe"_s);
    lier("../drive_c", prefixe + "/dosdevices/c:");
    lier(bac.chemin(u"cdrom"_s), prefixe + "/dosdevices/d:");
    return prefixe;
}

const QString CleJeu = u"Software\\Microsoft\\Microsoft Games\\Train Simulator\\1.0"_s;
const QByteArray EnteteReg = "WINE REGISTRY Version 2\n";
const QByteArray CleJeuReg = "[Software\\\\Microsoft\\\\Microsoft Games\\\\Train Simulator\\\\1.0] 1700000000\n";

// A system.reg the way wineserver saves it: doubled backslashes, time stamps,
// characters above 127 as \x, strings without a final null as hex(1).
const QByteArray SystemReg = EnteteReg + R"(;; All keys relative to \\Machine

[Software\\Acme\\Chaines] 1700000000
#time=1da3b1f2c4e5f60
"Accents"="Gar\xe7on \x00e9a"
"Hex"=hex(1):43,00,3a,00,5c,00,\
  4d,00,53,00
)" + CleJeuReg + R"("Path"="C:\\Program Files\\Microsoft Games\\Train Simulator\\"
[Software\\Microsoft\\Microsoft Games\\Train Simulator\\1.0\\Options] 1700000004
"Path"="pas celle-ci"
)";

} // namespace

class TstPlateforme : public QObject {
    Q_OBJECT

private slots:
    void sansCasse_data()
    {
        // trouve: relative to the base; nullopt: not found; type: f a file, d a folder, - neither
        colonnes<QString, Opt, QString>("relatif", "trouve", "type");

        const Opt consist = u"Trains/Consists/GP38 Fret.con"_s;
        QTest::newRow("casse melangee") << "TRAINS/CONSISTS/gp38 fret.CON" << consist << "f";
        QTest::newRow("separateurs inverses, doubles, en tete")
            << "\\TRAINS//Consists\\\\gp38 fret.con/" << consist << "f";
        QTest::newRow("prefixe d'un nom ne suffit pas") << "TRAINS/CONSIST" << Opt() << "-";
        QTest::newRow("lien vers un fichier") << "TRAINS/CONSISTS/LIEN.CON" << Opt("Trains/Consists/Lien.con") << "f";
        QTest::newRow("lien vers un dossier") << "trains/raccourci" << Opt("Trains/Raccourci") << "d";
        QTest::newRow("lien casse") << "trains/consists/perdu.con" << Opt() << "-";
        // Content copied from several Windows sources can hold names that
        // differ only by case; the one spelled as asked wins, else the first
        // by name.
        QTest::newRow("jumeaux: exacte") << "trainset" << Opt("trainset") << "d";
        QTest::newRow("jumeaux: premier par nom") << "Trainset" << Opt("TRAINSET") << "d";
    }

    void sansCasse()
    {
#ifdef Q_OS_WIN
        QSKIP("the file system ignores case; links need privileges");
#endif
        auto [relatif, trouve, type] = donnees<QString, Opt, QString>("relatif", "trouve", "type");
        Bac bac;
        const QString fret = bac.ecrire(u"Trains/Consists/GP38 Fret.con"_s, "SIMISA@@");
        lier(fret, bac.chemin(u"Trains/Consists/Lien.con"_s));
        lier(QFileInfo(fret).path(), bac.chemin(u"Trains/Raccourci"_s));
        lier(bac.chemin(u"Trains/Consists/Parti.con"_s), bac.chemin(u"Trains/Consists/Perdu.con"_s));
        for (const char *jumeau : {"trainset", "TRAINSET", "TrainSet"})
            bac.creerDossier(QString::fromLatin1(jumeau));

        // The same with or without a final separator on the base.
        const QString dir = bac.chemin();
        for (const QString &base : {dir, dir + u'/'})
            QCOMPARE(trouverSansCasse(base, relatif), trouve ? Opt(dir + u'/' + *trouve) : Opt());
        QCOMPARE(fichierExisteSansCasse(dir, relatif), type == u"f");
        QCOMPARE(dossierExisteSansCasse(dir, relatif), type == u"d");
    }

    void lireValeurRegWine_data()
    {
        colonnes<QByteArray, QString, QString, Opt>("contenu", "cle", "nom", "attendu");

        const QByteArray &reg = SystemReg;
        const QString c = u"Software\\Acme\\Chaines"_s;
        const Opt chemin = u"C:\\Program Files\\Microsoft Games\\Train Simulator\\"_s;
        // Not the value of the sub-key that follows.
        QTest::newRow("chemin du jeu") << reg << CleJeu << "Path" << chemin;
        QTest::newRow("cle et nom sans casse") << reg << "SOFTWARE\\microsoft\\MICROSOFT GAMES\\train simulator\\1.0"
                                               << "pATH" << chemin;
        // \x takes one to four hex digits, four even before a hex digit.
        QTest::newRow("\\x") << reg << c << "Accents" << Opt("Garçon éa");
        QTest::newRow("hex(1) sur deux lignes sans nul final") << reg << c << "Hex" << Opt("C:\\MS");

        // A file cut or spoilt must not give a shortened or stale path.
        const QByteArray debut = EnteteReg + CleJeuReg;
        QTest::newRow("coupee dans la valeur") << debut + "\"Path\"=\"C:\\\\Prog" << CleJeu << "Path" << Opt();
        QTest::newRow("valeur abimee apres une bonne") << debut + "\"Path\"=\"C:\\\\MSTS\"\n\"Path\"=\"D:\\\\coupe\n"
                                                       << CleJeu << "Path" << Opt();
        QByteArray binaire = debut;
        for (int i = 0; i < 4096; ++i)
            binaire += char((i * 7919 + 13) % 256);
        QTest::newRow("octets quelconques") << binaire << CleJeu << "Path" << Opt();
    }

    void lireValeurRegWine()
    {
        auto [contenu, cle, nom, attendu] =
            donnees<QByteArray, QString, QString, Opt>("contenu", "cle", "nom", "attendu");
        // Files that went through a Windows editor end their lines in CR LF.
        QByteArray crlf = contenu;
        crlf.replace("\n", "\r\n");
        for (const QByteArray &texte : {contenu, crlf})
            QCOMPARE(corvanel::lireValeurRegWine(texte, cle, nom), attendu);
        // Every cut of the text must be read without going past its end.
        for (qsizetype n = 0; n < contenu.size(); ++n)
            (void)corvanel::lireValeurRegWine(QByteArrayView(contenu).first(n), cle, nom);
    }

    // The game folder from system.reg: the game's key, else its Wow6432Node
    // copy, translated through the prefix's drives.
    void lireDossierMSTSRegistre_data()
    {
        // jeu: Path under the game's key; empty: none; wow: Path under Wow6432Node; empty: none; attendu: <c>, <d>: the
        // drives' real folders; empty: nothing found
        colonnes<QString, QString, QString>("jeu", "wow", "attendu");

        const auto ligne = [](const char *tag, const char *jeu, const char *wow, const char *attendu) {
            QTest::newRow(tag) << QString::fromLatin1(jeu) << QString::fromLatin1(wow) << QString::fromLatin1(attendu);
        };
        ligne("barre finale gardée", "C:\\Program Files\\Microsoft Games\\Train Simulator\\", "",
              "<c>/Program Files/Microsoft Games/TRAIN SIMULATOR/");
        ligne("minuscules, barres obliques", "c:/program files/microsoft games/train simulator", "",
              "<c>/Program Files/Microsoft Games/TRAIN SIMULATOR");
        ligne("fin absente gardée telle quelle", "C:\\PROGRAM FILES\\Jeux\\", "", "<c>/Program Files/Jeux/");
        ligne("autre lecteur", "D:\\Jeux\\msts", "", "<d>/JEUX/MSTS");
        ligne("chemin UNC", "\\\\serveur\\jeux\\MSTS\\", "", "");
        ligne("Wow6432Node seulement", "", "c:\\msts-wow", "<c>/MSTS-Wow");
        ligne("la clé du jeu d'abord", "C:\\Program Files\\", "c:\\msts-wow", "<c>/Program Files/");
        ligne("clé du jeu sur un lecteur absent", "Q:\\MSTS\\", "c:\\msts-wow", "<c>/MSTS-Wow");
    }

    void lireDossierMSTSRegistre()
    {
#ifdef Q_OS_WIN
        QSKIP("read from the real registry on Windows");
#endif
        auto [jeu, wow, attendu] = donnees<QString, QString, QString>("jeu", "wow", "attendu");
        Bac bac;
        const QString prefixe = creerPrefixe(bac);
        const auto cle = [](const QByteArray &entete, QString chemin) {
            return chemin.isEmpty() ? QByteArray()
                                    : entete + "\"Path\"=\"" + chemin.replace(u'\\', u"\\\\"_s).toUtf8() + "\"\n";
        };
        const QByteArray wowReg =
            "[Software\\\\Wow6432Node\\\\Microsoft\\\\Microsoft Games\\\\Train Simulator\\\\1.0]\n";
        bac.ecrire(u"msts prefixe/system.reg"_s, EnteteReg + cle(wowReg, wow) + cle(CleJeuReg, jeu));
        qputenv("WINEPREFIX", QFile::encodeName(prefixe));
        const QString driveC = QFileInfo(prefixe + "/drive_c").canonicalFilePath();
        attendu.replace(u"<c>"_s, driveC);
        attendu.replace(u"<d>"_s, QFileInfo(bac.chemin(u"cdrom"_s)).canonicalFilePath());
        QCOMPARE(corvanel::lireDossierMSTSRegistre(), attendu);

        // Prefixes made before dosdevices existed still have drive_c, and
        // only it.
        QVERIFY(QDir(prefixe + "/dosdevices").removeRecursively());
        QCOMPARE(corvanel::traduireCheminWine(prefixe, "c:\\msts-wow\\"), driveC + "/MSTS-Wow/");
        // Up and out of the drive: normalised, it stays in the drive's folder.
        QCOMPARE(corvanel::traduireCheminWine(prefixe, "C:\\..\\..\\.\\msts-wow\\"), driveC + "/MSTS-Wow/");
        QCOMPARE(corvanel::traduireCheminWine(prefixe, "D:\\Jeux\\"), QString());

        // No prefix at all: nothing, and nothing made.
        const QString absent = bac.chemin(u"pas de prefixe"_s);
        qputenv("WINEPREFIX", QFile::encodeName(absent));
        QCOMPARE(corvanel::lireDossierMSTSRegistre(), QString());
        QVERIFY(!QFileInfo::exists(absent));
    }

    void verrouLaisse_data()
    {
        // proprietaire: mort, vivant, vide
        colonnes<QString, int, bool>("proprietaire", "ageSecondes", "acquis");

        // A crashed copy must not keep the program from starting; a running
        // one keeps its lock however long it has run.
        QTest::newRow("copie arretee net") << "mort" << 0 << true;
        QTest::newRow("copie en marche depuis des jours") << "vivant" << 3 * 24 * 3600 << false;
        QTest::newRow("verrou vide ancien") << "vide" << 3600 << true;
        QTest::newRow("verrou vide tout juste cree") << "vide" << 0 << false;
    }

    void verrouLaisse()
    {
        auto [proprietaire, ageSecondes, acquis] = donnees<QString, int, bool>("proprietaire", "ageSecondes", "acquis");
        QByteArray contenu;
        if (proprietaire != u"vide") {
            qint64 pid = QCoreApplication::applicationPid();
            if (proprietaire == u"mort") {
                // A process that has come and gone: its id is free.
                QProcess p;
                p.start(QCoreApplication::applicationFilePath(), {u"-functions"_s});
                QVERIFY(p.waitForStarted(30000));
                pid = p.processId();
                QVERIFY(p.waitForFinished(30000));
            }
            // The owner as QLockFile records it: id, program, host.
            contenu = QByteArray::number(pid) + '\n' + QCoreApplication::applicationName().toUtf8() + '\n' +
                      QSysInfo::machineHostName().toUtf8() + '\n';
        }
        Bac bac;
        const QString verrou = bac.ecrire(u"corvanel-essai.lock"_s, contenu);
        Bac::dater(verrou, QDateTime::currentDateTime().addSecs(-ageSecondes));
        QCOMPARE(InstanceUnique(verrou).acquerir(), acquis);
    }

    void volumes()
    {
        const QList<Volume> montes = volumesMontes();
        QVERIFY(!montes.isEmpty());
        QCOMPARE(montes.first().racine, racineSysteme());
        for (const Volume &v : montes) {
            QVERIFY2(v.racine == avecSeparateurFinal(v.racine), qPrintable(v.racine));
            for (const char *systeme : {"/proc/", "/sys/", "/dev/"})
                QVERIFY2(!v.racine.startsWith(QLatin1String(systeme)), qPrintable(v.racine));
        }
        // Where the program works, there is a drive to show.
        QVERIFY(!racineDuVolume(QDir::currentPath(), montes).isEmpty());

#ifdef Q_OS_WIN
        const QList<Volume> liste{{"C:\\", "c:"}, { "D:\\", "d:" }};
        QCOMPARE(racineDuVolume("d:\\jeux\\msts", liste), u"D:\\"_s);
        QCOMPARE(racineDuVolume("E:\\x", liste), QString());
#else
        const QList<Volume> liste{{"/", "/"}, {"/media/usb/", "usb"}, {"/media/usb/disque/", "disque"}};
        QCOMPARE(racineDuVolume("/media/usb", liste), u"/media/usb/"_s);
        // A longer name is a neighbour, not inside; the deepest volume wins.
        QCOMPARE(racineDuVolume("/media/usbx/x", liste), u"/"_s);
        QCOMPARE(racineDuVolume("/media/usb/disque/a", liste), u"/media/usb/disque/"_s);

        // A folder that cannot be opened is told in the system's words.
        Bac bac;
        QCOMPARE(raisonDossierIllisible(bac.chemin(u"absent"_s)), qt_error_string(ENOENT));
        QCOMPARE(raisonDossierIllisible(bac.chemin()), QString());
#endif
    }
};

QTEST_GUILESS_MAIN(TstPlateforme)
#include "tst_plateforme.moc"
