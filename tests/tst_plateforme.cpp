// Paths without regard to case, the game folder from a Wine prefix, the
// single-copy lock and the volume list, on real files.
#include "app/Texte.h"
#include "platform/Chemins.h"
#include "platform/Instance.h"
#include "platform/Registre.h"
#include "platform/Volumes.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSysInfo>
#include <QTemporaryDir>
#include <QtTest>

#include <optional>

using namespace corvanel;

Q_DECLARE_METATYPE(std::optional<QString>)

namespace {

void ecrireFichier(const QString &chemin, const QByteArray &contenu = {})
{
    QDir().mkpath(QFileInfo(chemin).absolutePath());
    QFile f(chemin);
    QVERIFY2(f.open(QIODevice::WriteOnly), qPrintable(chemin));
    QCOMPARE(f.write(contenu), contenu.size());
}

void lier(const QString &cible, const QString &lien)
{
    QDir().mkpath(QFileInfo(lien).absolutePath());
    QVERIFY2(QFile::link(cible, lien), qPrintable(lien));
}

// A system.reg the way wineserver saves it: key names with doubled
// backslashes and a time stamp, #time lines, every character above 127
// written as \x, strings not ending in a null kept as hex(1).
const QByteArray SystemReg = R"(WINE REGISTRY Version 2
;; All keys relative to \\Machine

#arch=win32

[Software\\Acme\\Chaines] 1700000000
#time=1da3b1f2c4e5f60
"Guillemets"="un \"mot\" cite"
"Latin"="Gar\xe7on"
"QuatreChiffres"="Fran\x00e7ais"
"Gourmand"="\xe7ab"
"SuiviHex"="\x00e9a"
"Locomotive"="\xd83d\xde82"
"Controles"="l1\nl2\tfin\r"
"Octal"="a\001b\0022"
"SansChiffre"="\xz"
"Nul"="C:\\MSTS\0reste"
"Brut"="été"
"Dit \"oui\""="valeur au nom cite"
"Expand"=str(2):"%ProgramFiles%\\MSTS"
"Str"=str:"simple"
"Multi"=str(7):"a\0b\0"
"Nombre"=dword:00000001
"Octets"=hex:00,01,02,03,04,05,06,07,08,09,0a,0b,0c,0d,0e,0f,10,11,12,13,14,15,\
  16,17,18,19
"Hex1"=hex(1):43,00,3a,00,5c,00,4d,00
"Hex2"=hex(2):43,00,3a,00,5c,00,\
  4d,00,53,00,00,00
"Coupee"="C:\\MSTS
"Apres"="suivante lue"
@="d\x00e9faut"

[Software\\Acme\\A\[1\]] 1700000001
"V"="crochets"

[Software\\Acme\\Double] 1700000002
"V"="premier"

[Software\\Microsoft\\Microsoft Games\\Train Simulator\\1.0] 1700000003
#time=1da3b1f2c4e5f61
"Path"="C:\\Program Files\\Microsoft Games\\Train Simulator\\"
"Version"="1.0"

[Software\\Microsoft\\Microsoft Games\\Train Simulator\\1.0\\Options] 1700000004
"Path"="pas celle-ci"

[Software\\Acme\\Double] 1700000005
"V"="second"
)";

} // namespace

class TstPlateforme : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanup();

    void trouverSansCasse_data();
    void trouverSansCasse();
    void fichierOuDossier_data();
    void fichierOuDossier();

    void lireValeurRegWine_data();
    void lireValeurRegWine();
    void lireValeurRegWineAbimee_data();
    void lireValeurRegWineAbimee();

    void traduireCheminWine_data();
    void traduireCheminWine();
    void prefixeSansDosdevices();

    void prefixeWine_data();
    void prefixeWine();
    void lireDossierMSTSRegistre_data();
    void lireDossierMSTSRegistre();

    void instanceUnique();
    void verrouLaisse_data();
    void verrouLaisse();

    void racineDuVolume_data();
    void racineDuVolume();
    void volumesMontes();

    void dossierProgrammeDansLArbre();

private:
    QByteArray m_wineprefix;
    QByteArray m_home;
    bool m_wineprefixPresent = false;
};

void TstPlateforme::initTestCase()
{
    m_wineprefixPresent = qEnvironmentVariableIsSet("WINEPREFIX");
    m_wineprefix = qgetenv("WINEPREFIX");
    m_home = qgetenv("HOME");
}

void TstPlateforme::cleanup()
{
    if (m_wineprefixPresent)
        qputenv("WINEPREFIX", m_wineprefix);
    else
        qunsetenv("WINEPREFIX");
    qputenv("HOME", m_home);
}

// --- Case-insensitive paths -------------------------------------------------

void TstPlateforme::trouverSansCasse_data()
{
    QTest::addColumn<QStringList>("dossiers");
    QTest::addColumn<QStringList>("fichiers");
    QTest::addColumn<QString>("relatif");
    // Relative to the base; nullopt when not found.
    QTest::addColumn<std::optional<QString>>("attendu");

    const QStringList jeuD{QStringLiteral("Trains/Consists"), QStringLiteral("Trains/Trainset/GP38")};
    const QStringList jeuF{QStringLiteral("Trains/Consists/GP38 Fret.con"),
                           QStringLiteral("Trains/Trainset/GP38/gp38.eng")};
    const std::optional<QString> consist = QStringLiteral("Trains/Consists/GP38 Fret.con");

    QTest::newRow("casse exacte") << jeuD << jeuF << QStringLiteral("Trains/Consists/GP38 Fret.con") << consist;
    QTest::newRow("casse melangee") << jeuD << jeuF << QStringLiteral("TRAINS/CONSISTS/gp38 fret.CON") << consist;
    QTest::newRow("barres inverses") << jeuD << jeuF << QStringLiteral("trains\\consists\\GP38 FRET.con") << consist;
    QTest::newRow("separateurs doubles et en tete")
        << jeuD << jeuF << QStringLiteral("\\TRAINS//Consists\\\\gp38 fret.con/") << consist;
    QTest::newRow("dossier") << jeuD << jeuF << QStringLiteral("TRAINS\\TRAINSET\\gp38")
                             << std::optional<QString>(QStringLiteral("Trains/Trainset/GP38"));
    QTest::newRow("relatif vide") << jeuD << jeuF << QString() << std::optional<QString>(QString());
    QTest::newRow("dernier composant absent")
        << jeuD << jeuF << QStringLiteral("TRAINS/CONSISTS/absent.con") << std::optional<QString>();
    QTest::newRow("composant du milieu absent")
        << jeuD << jeuF << QStringLiteral("TRAINS/ROUTES/GP38 Fret.con") << std::optional<QString>();
    QTest::newRow("sous un fichier")
        << jeuD << jeuF << QStringLiteral("trains/consists/gp38 fret.con/x") << std::optional<QString>();
    QTest::newRow("prefixe d'un nom ne suffit pas")
        << jeuD << jeuF << QStringLiteral("TRAINS/CONSIST") << std::optional<QString>();

    // Content copied from several Windows sources can hold names that differ
    // only by case; the one spelled as asked wins, else the first by name.
    const QStringList jumeaux{QStringLiteral("trainset"), QStringLiteral("TRAINSET"), QStringLiteral("TrainSet")};
    QTest::newRow("jumeaux: minuscules exactes")
        << jumeaux << QStringList() << QStringLiteral("trainset") << std::optional<QString>(QStringLiteral("trainset"));
    QTest::newRow("jumeaux: majuscules exactes")
        << jumeaux << QStringList() << QStringLiteral("TRAINSET") << std::optional<QString>(QStringLiteral("TRAINSET"));
    QTest::newRow("jumeaux: aucune exacte, premiere par nom")
        << jumeaux << QStringList() << QStringLiteral("Trainset") << std::optional<QString>(QStringLiteral("TRAINSET"));
    QTest::newRow("jumeaux: fichier et dossier")
        << QStringList{QStringLiteral("Sound")} << QStringList{QStringLiteral("SOUND")} << QStringLiteral("sound")
        << std::optional<QString>(QStringLiteral("SOUND"));
}

void TstPlateforme::trouverSansCasse()
{
    QFETCH(QStringList, dossiers);
    QFETCH(QStringList, fichiers);
    QFETCH(QString, relatif);
    QFETCH(std::optional<QString>, attendu);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    for (const QString &d : dossiers)
        QVERIFY(QDir().mkpath(dir.filePath(d)));
    for (const QString &f : fichiers)
        ecrireFichier(dir.filePath(f));

    // The same with or without a final separator on the base.
    for (const QString &base : {dir.path(), dir.path() + u'/'}) {
        const std::optional<QString> trouve = corvanel::trouverSansCasse(base, relatif);
        QCOMPARE(trouve.has_value(), attendu.has_value());
        if (!attendu)
            continue;
        if (attendu->isEmpty()) {
            QCOMPARE(*trouve, base);
        } else {
            QCOMPARE(QDir::fromNativeSeparators(*trouve), dir.path() + u'/' + *attendu);
            QVERIFY(QFileInfo::exists(*trouve));
        }
    }
}

void TstPlateforme::fichierOuDossier_data()
{
    QTest::addColumn<QString>("relatif");
    QTest::addColumn<bool>("fichier");
    QTest::addColumn<bool>("dossier");

    QTest::newRow("fichier") << QStringLiteral("trains/consists/FRET.CON") << true << false;
    QTest::newRow("dossier") << QStringLiteral("TRAINS/CONSISTS") << false << true;
    QTest::newRow("dossier nomme comme un fichier") << QStringLiteral("trains/consists/vide.con") << false << true;
    QTest::newRow("lien vers un fichier") << QStringLiteral("TRAINS/CONSISTS/LIEN.CON") << true << false;
    QTest::newRow("lien vers un dossier") << QStringLiteral("trains/raccourci") << false << true;
    QTest::newRow("lien casse") << QStringLiteral("trains/consists/perdu.con") << false << false;
    QTest::newRow("absent") << QStringLiteral("trains/consists/absent.con") << false << false;
}

void TstPlateforme::fichierOuDossier()
{
    QFETCH(QString, relatif);
    QFETCH(bool, fichier);
    QFETCH(bool, dossier);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    ecrireFichier(dir.filePath(QStringLiteral("Trains/Consists/Fret.con")), "SIMISA@@");
    QVERIFY(QDir().mkpath(dir.filePath(QStringLiteral("Trains/Consists/Vide.con"))));
#ifndef Q_OS_WIN
    lier(dir.filePath(QStringLiteral("Trains/Consists/Fret.con")), dir.filePath(QStringLiteral("Trains/Consists/Lien.con")));
    lier(dir.filePath(QStringLiteral("Trains/Consists")), dir.filePath(QStringLiteral("Trains/Raccourci")));
    lier(dir.filePath(QStringLiteral("Trains/Consists/Parti.con")), dir.filePath(QStringLiteral("Trains/Consists/Perdu.con")));
#else
    if (relatif.contains(QStringLiteral("LIEN"), Qt::CaseInsensitive)
        || relatif.contains(QStringLiteral("raccourci")) || relatif.contains(QStringLiteral("perdu")))
        QSKIP("symbolic links need privileges on Windows");
#endif

    QCOMPARE(fichierExisteSansCasse(dir.path(), relatif), fichier);
    QCOMPARE(dossierExisteSansCasse(dir.path(), relatif), dossier);
}

// --- Wine's system.reg ------------------------------------------------------

void TstPlateforme::lireValeurRegWine_data()
{
    QTest::addColumn<QString>("cle");
    QTest::addColumn<QString>("nom");
    QTest::addColumn<std::optional<QString>>("attendu");

    const QString jeu = QStringLiteral("Software\\Microsoft\\Microsoft Games\\Train Simulator\\1.0");
    const QString chaines = QStringLiteral("Software\\Acme\\Chaines");
    const auto valeur = [](const QString &t) { return std::optional<QString>(t); };
    const std::optional<QString> rien;

    QTest::newRow("chemin du jeu") << jeu << QStringLiteral("Path")
                                   << valeur(QStringLiteral("C:\\Program Files\\Microsoft Games\\Train Simulator\\"));
    QTest::newRow("cle et nom sans casse")
        << QStringLiteral("SOFTWARE\\microsoft\\MICROSOFT GAMES\\train simulator\\1.0") << QStringLiteral("pATH")
        << valeur(QStringLiteral("C:\\Program Files\\Microsoft Games\\Train Simulator\\"));
    QTest::newRow("barres autour de la cle")
        << QStringLiteral("\\") + jeu + QStringLiteral("\\") << QStringLiteral("Path")
        << valeur(QStringLiteral("C:\\Program Files\\Microsoft Games\\Train Simulator\\"));
    QTest::newRow("cle parente") << QStringLiteral("Software\\Microsoft\\Microsoft Games\\Train Simulator")
                                 << QStringLiteral("Path") << rien;
    QTest::newRow("sous-cle") << jeu + QStringLiteral("\\Options") << QStringLiteral("Path")
                              << valeur(QStringLiteral("pas celle-ci"));
    QTest::newRow("cle absente") << QStringLiteral("Software\\Microsoft\\Microsoft Games\\Train Simulator\\2.0")
                                 << QStringLiteral("Path") << rien;
    QTest::newRow("valeur absente") << jeu << QStringLiteral("Chemin") << rien;
    QTest::newRow("nom prefixe d'un autre") << jeu << QStringLiteral("Pat") << rien;

    QTest::newRow("guillemets") << chaines << QStringLiteral("Guillemets") << valeur(QStringLiteral("un \"mot\" cite"));
    QTest::newRow("\\x sur deux chiffres") << chaines << QStringLiteral("Latin") << valeur(QStringLiteral("Garçon"));
    QTest::newRow("\\x sur quatre chiffres") << chaines << QStringLiteral("QuatreChiffres")
                                             << valeur(QStringLiteral("Français"));
    // Up to four hex digits belong to the escape, whatever follows.
    QTest::newRow("\\x prend quatre chiffres au plus") << chaines << QStringLiteral("Gourmand")
                                                       << valeur(QString(QChar(0xe7ab)));
    QTest::newRow("\\x sur quatre chiffres avant un chiffre hexa")
        << chaines << QStringLiteral("SuiviHex") << valeur(QStringLiteral("éa"));
    QTest::newRow("paire de substitution") << chaines << QStringLiteral("Locomotive")
                                           << valeur(QString::fromUtf8("\xF0\x9F\x9A\x82"));
    QTest::newRow("controles") << chaines << QStringLiteral("Controles") << valeur(QStringLiteral("l1\nl2\tfin\r"));
    QTest::newRow("octal") << chaines << QStringLiteral("Octal")
                           << valeur(QStringLiteral("a") + QChar(1) + QStringLiteral("b") + QChar(2) + QStringLiteral("2"));
    QTest::newRow("\\x sans chiffre") << chaines << QStringLiteral("SansChiffre") << valeur(QStringLiteral("xz"));
    QTest::newRow("coupee au premier nul") << chaines << QStringLiteral("Nul") << valeur(QStringLiteral("C:\\MSTS"));
    QTest::newRow("UTF-8 brut") << chaines << QStringLiteral("Brut") << valeur(QStringLiteral("été"));
    QTest::newRow("nom echappe") << chaines << QStringLiteral("Dit \"oui\"") << valeur(QStringLiteral("valeur au nom cite"));
    QTest::newRow("str(2)") << chaines << QStringLiteral("Expand") << valeur(QStringLiteral("%ProgramFiles%\\MSTS"));
    QTest::newRow("str:") << chaines << QStringLiteral("Str") << valeur(QStringLiteral("simple"));
    QTest::newRow("hex(1) sans nul final") << chaines << QStringLiteral("Hex1") << valeur(QStringLiteral("C:\\M"));
    QTest::newRow("hex(2) sur deux lignes") << chaines << QStringLiteral("Hex2") << valeur(QStringLiteral("C:\\MS"));
    QTest::newRow("par defaut") << chaines << QString() << valeur(QStringLiteral("défaut"));
    QTest::newRow("multi-chaine") << chaines << QStringLiteral("Multi") << rien;
    QTest::newRow("dword") << chaines << QStringLiteral("Nombre") << rien;
    QTest::newRow("octets") << chaines << QStringLiteral("Octets") << rien;
    QTest::newRow("chaine sans fin") << chaines << QStringLiteral("Coupee") << rien;
    QTest::newRow("apres une chaine sans fin") << chaines << QStringLiteral("Apres") << valeur(QStringLiteral("suivante lue"));
    QTest::newRow("crochets echappes") << QStringLiteral("Software\\Acme\\A[1]") << QStringLiteral("V")
                                       << valeur(QStringLiteral("crochets"));
    QTest::newRow("cle repetee: la derniere gagne") << QStringLiteral("Software\\Acme\\Double") << QStringLiteral("V")
                                                    << valeur(QStringLiteral("second"));
}

void TstPlateforme::lireValeurRegWine()
{
    QFETCH(QString, cle);
    QFETCH(QString, nom);
    QFETCH(std::optional<QString>, attendu);

    // Files that went through a Windows editor end their lines in CR LF.
    QByteArray crlf = SystemReg;
    crlf.replace("\n", "\r\n");
    for (const QByteArray &contenu : {SystemReg, crlf}) {
        const std::optional<QString> lu = corvanel::lireValeurRegWine(contenu, cle, nom);
        QCOMPARE(lu.has_value(), attendu.has_value());
        if (attendu)
            QCOMPARE(*lu, *attendu);
    }
}

void TstPlateforme::lireValeurRegWineAbimee_data()
{
    QTest::addColumn<QByteArray>("contenu");
    QTest::addColumn<std::optional<QString>>("attendu");

    const QByteArray entete = "WINE REGISTRY Version 2\n";
    const QByteArray cle = "[Software\\\\Microsoft\\\\Microsoft Games\\\\Train Simulator\\\\1.0] 1700000000\n";
    const std::optional<QString> rien;

    QTest::newRow("vide") << QByteArray() << rien;
    QTest::newRow("entete seul") << entete << rien;
    QTest::newRow("sans entete") << cle + "\"Path\"=\"C:\\\\MSTS\"\n" << rien;
    QTest::newRow("autre version") << "WINE REGISTRY Version 1\n" + cle + "\"Path\"=\"C:\\\\MSTS\"\n" << rien;
    QTest::newRow("sans fin de ligne finale") << entete + cle + "\"Path\"=\"C:\\\\MSTS\""
                                             << std::optional<QString>(QStringLiteral("C:\\MSTS"));
    QTest::newRow("coupee dans la cle") << entete + "[Software\\\\Microsoft\\\\Micro" << rien;
    QTest::newRow("cle sans crochet fermant") << entete + "[Software\\\\Microsoft\\\\Microsoft Games\\\\Train "
                                                          "Simulator\\\\1.0\n\"Path\"=\"C:\\\\MSTS\"\n"
                                             << rien;
    QTest::newRow("coupee dans la valeur") << entete + cle + "\"Path\"=\"C:\\\\Prog" << rien;
    QTest::newRow("coupee sur une barre") << entete + cle + "\"Path\"=\"C:\\" << rien;
    QTest::newRow("coupee apres \\x") << entete + cle + "\"Path\"=\"C:\\x" << rien;
    QTest::newRow("coupee dans le nom") << entete + cle + "\"Pa" << rien;
    QTest::newRow("sans signe egal") << entete + cle + "\"Path\" \"C:\\\\MSTS\"\n" << rien;
    QTest::newRow("hex coupe sur une suite") << entete + cle + "\"Path\"=hex(1):43,00,\\" << rien;
    QTest::newRow("hex trop long") << entete + cle + "\"Path\"=hex(1):430,00\n" << rien;
    QTest::newRow("hex( sans fin") << entete + cle + "\"Path\"=hex(1:43,00\n" << rien;
    QTest::newRow("valeur sans cle") << entete + "\"Path\"=\"C:\\\\MSTS\"\n" << rien;
    QTest::newRow("valeur abimee apres une bonne")
        << entete + cle + "\"Path\"=\"C:\\\\MSTS\"\n\"Path\"=\"D:\\\\coupe\n" << rien;
    QByteArray binaire = entete + cle;
    for (int i = 0; i < 4096; ++i)
        binaire += char((i * 7919 + 13) % 256);
    QTest::newRow("octets quelconques") << binaire << rien;
    QTest::newRow("nuls") << entete + cle + QByteArray(64, '\0') + "\n\"Path\"=\"C:\\\\MSTS\"\n"
                          << std::optional<QString>(QStringLiteral("C:\\MSTS"));
}

void TstPlateforme::lireValeurRegWineAbimee()
{
    QFETCH(QByteArray, contenu);
    QFETCH(std::optional<QString>, attendu);

    // Every cut of the text must be read without going past its end.
    for (qsizetype n = 0; n < contenu.size(); ++n)
        (void)corvanel::lireValeurRegWine(QByteArrayView(contenu).first(n),
                                          u"Software\\Microsoft\\Microsoft Games\\Train Simulator\\1.0", u"Path");

    const std::optional<QString> lu = corvanel::lireValeurRegWine(
        contenu, u"Software\\Microsoft\\Microsoft Games\\Train Simulator\\1.0", u"Path");
    QCOMPARE(lu.has_value(), attendu.has_value());
    if (attendu)
        QCOMPARE(*lu, *attendu);
}

// --- Wine's drives ----------------------------------------------------------

void TstPlateforme::traduireCheminWine_data()
{
    QTest::addColumn<QString>("windows");
    // "<c>" and "<d>" stand for the drives' real folders; empty: not mapped.
    QTest::addColumn<QString>("attendu");

    const QString jeu = QStringLiteral("<c>/Program Files/Microsoft Games/TRAIN SIMULATOR");
    QTest::newRow("barre finale gardee") << QStringLiteral("C:\\Program Files\\Microsoft Games\\Train Simulator\\")
                                         << jeu + u'/';
    QTest::newRow("sans barre finale") << QStringLiteral("C:\\Program Files\\Microsoft Games\\Train Simulator") << jeu;
    QTest::newRow("lettre et noms en minuscules")
        << QStringLiteral("c:\\program files\\microsoft games\\train simulator\\") << jeu + u'/';
    QTest::newRow("barres obliques") << QStringLiteral("C:/Program Files/Microsoft Games/Train Simulator/") << jeu + u'/';
    QTest::newRow("barres doublees") << QStringLiteral("C:\\\\Program Files\\\\Microsoft Games\\Train Simulator") << jeu;
    QTest::newRow("fin absente gardee telle quelle")
        << QStringLiteral("C:\\PROGRAM FILES\\Jeux\\MSTS\\") << QStringLiteral("<c>/Program Files/Jeux/MSTS/");
    QTest::newRow("racine du lecteur") << QStringLiteral("C:\\") << QStringLiteral("<c>/");
    QTest::newRow("lecteur seul") << QStringLiteral("C:") << QStringLiteral("<c>");
    QTest::newRow("autre lecteur") << QStringLiteral("D:\\Jeux\\msts") << QStringLiteral("<d>/JEUX/MSTS");
    QTest::newRow("lecteur non relie") << QStringLiteral("E:\\MSTS\\") << QString();
    QTest::newRow("lien de lecteur casse") << QStringLiteral("F:\\MSTS\\") << QString();
    QTest::newRow("chemin UNC") << QStringLiteral("\\\\serveur\\jeux\\MSTS\\") << QString();
    QTest::newRow("sans lecteur") << QStringLiteral("\\Program Files\\MSTS") << QString();
    QTest::newRow("relatif") << QStringLiteral("MSTS") << QString();
    QTest::newRow("vide") << QString() << QString();
    QTest::newRow("lettre non latine") << QStringLiteral("\u00e9:\\MSTS") << QString();
}

void TstPlateforme::traduireCheminWine()
{
#ifdef Q_OS_WIN
    QSKIP("Wine prefixes exist only where Wine runs");
#endif
    QFETCH(QString, windows);
    QFETCH(QString, attendu);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString prefixe = dir.filePath(QStringLiteral("prefixe"));
    QVERIFY(QDir().mkpath(prefixe + QStringLiteral("/drive_c/Program Files/Microsoft Games/TRAIN SIMULATOR")));
    QVERIFY(QDir().mkpath(dir.filePath(QStringLiteral("cdrom/JEUX/MSTS"))));
    // As winecfg makes them: c: relative to the prefix, others absolute.
    lier(QStringLiteral("../drive_c"), prefixe + QStringLiteral("/dosdevices/c:"));
    lier(dir.filePath(QStringLiteral("cdrom")), prefixe + QStringLiteral("/dosdevices/d:"));
    lier(dir.filePath(QStringLiteral("ejecte")), prefixe + QStringLiteral("/dosdevices/f:"));

    attendu.replace(QStringLiteral("<c>"), QFileInfo(prefixe + QStringLiteral("/drive_c")).canonicalFilePath());
    attendu.replace(QStringLiteral("<d>"), QFileInfo(dir.filePath(QStringLiteral("cdrom"))).canonicalFilePath());
    QCOMPARE(corvanel::traduireCheminWine(prefixe, windows), attendu);
}

void TstPlateforme::prefixeSansDosdevices()
{
#ifdef Q_OS_WIN
    QSKIP("Wine prefixes exist only where Wine runs");
#endif
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QVERIFY(QDir().mkpath(dir.filePath(QStringLiteral("drive_c/MSTS"))));
    const QString driveC = QFileInfo(dir.filePath(QStringLiteral("drive_c"))).canonicalFilePath();

    QCOMPARE(corvanel::traduireCheminWine(dir.path(), QStringLiteral("C:\\msts\\")), driveC + QStringLiteral("/MSTS/"));
    QCOMPARE(corvanel::traduireCheminWine(dir.path(), QStringLiteral("D:\\msts\\")), QString());

    // Once dosdevices exists, it alone says which drives there are.
    QVERIFY(QDir().mkpath(dir.filePath(QStringLiteral("dosdevices"))));
    QCOMPARE(corvanel::traduireCheminWine(dir.path(), QStringLiteral("C:\\msts\\")), QString());
}

void TstPlateforme::prefixeWine_data()
{
    QTest::addColumn<std::optional<QString>>("variable");
    QTest::addColumn<QString>("attendu");

    QTest::newRow("WINEPREFIX") << std::optional<QString>(QStringLiteral("/opt/jeux/wine-msts"))
                                << QStringLiteral("/opt/jeux/wine-msts");
    QTest::newRow("WINEPREFIX avec barre finale") << std::optional<QString>(QStringLiteral("/opt/jeux/wine-msts/"))
                                                  << QStringLiteral("/opt/jeux/wine-msts");
    QTest::newRow("WINEPREFIX vide") << std::optional<QString>(QString()) << QStringLiteral("<home>/.wine");
    QTest::newRow("sans WINEPREFIX") << std::optional<QString>() << QStringLiteral("<home>/.wine");
}

void TstPlateforme::prefixeWine()
{
#ifdef Q_OS_WIN
    QSKIP("Wine prefixes exist only where Wine runs");
#endif
    QFETCH(std::optional<QString>, variable);
    QFETCH(QString, attendu);

    QTemporaryDir home;
    QVERIFY(home.isValid());
    qputenv("HOME", QFile::encodeName(home.path()));
    if (variable)
        qputenv("WINEPREFIX", QFile::encodeName(*variable));
    else
        qunsetenv("WINEPREFIX");
    QCOMPARE(corvanel::prefixeWine(), attendu.replace(QStringLiteral("<home>"), home.path()));
}

void TstPlateforme::lireDossierMSTSRegistre_data()
{
    QTest::addColumn<QByteArray>("systemReg");
    // Below drive_c; empty: nothing found.
    QTest::addColumn<QString>("attendu");

    const QByteArray entete = "WINE REGISTRY Version 2\n;; All keys relative to \\\\Machine\n\n#arch=win64\n\n";
    const QByteArray cle = "[Software\\\\Microsoft\\\\Microsoft Games\\\\Train Simulator\\\\1.0] 1700000000\n"
                           "#time=1da3b1f2c4e5f60\n";
    const QByteArray cleWow =
        "[Software\\\\Wow6432Node\\\\Microsoft\\\\Microsoft Games\\\\Train Simulator\\\\1.0] 1700000000\n"
        "#time=1da3b1f2c4e5f60\n";
    const QByteArray autre = "[Software\\\\Wine\\\\Drives] 1700000000\n\"Path\"=\"C:\\\\ailleurs\\\\\"\n\n";

    QTest::newRow("cle du jeu") << entete + autre + cle + "\"Path\"=\"C:\\\\Program Files\\\\Microsoft Games\\\\Train "
                                                           "Simulator\\\\\"\n"
                                << QStringLiteral("/Program Files/Microsoft Games/Train Simulator/");
    QTest::newRow("Wow6432Node seulement")
        << entete + cleWow + "\"Path\"=\"c:\\\\program files\\\\microsoft games\\\\train simulator\"\n"
        << QStringLiteral("/Program Files/Microsoft Games/Train Simulator");
    QTest::newRow("les deux: la cle du jeu d'abord")
        << entete + cleWow + "\"Path\"=\"C:\\\\MSTS-Wow\\\\\"\n\n" + cle + "\"Path\"=\"C:\\\\MSTS\\\\\"\n"
        << QStringLiteral("/MSTS/");
    QTest::newRow("cle du jeu sur un lecteur absent")
        << entete + cle + "\"Path\"=\"Q:\\\\MSTS\\\\\"\n\n" + cleWow + "\"Path\"=\"C:\\\\MSTS-Wow\\\\\"\n"
        << QStringLiteral("/MSTS-Wow/");
    QTest::newRow("valeur vide") << entete + cle + "\"Path\"=\"\"\n" << QString();
    QTest::newRow("sans la valeur") << entete + autre + cle + "\"Version\"=\"1.0\"\n" << QString();
    QTest::newRow("sans la cle") << entete + autre << QString();
    QTest::newRow("fichier illisible") << QByteArray("\x7f" "ELF\x02\x01\x01", 7) << QString();
}

void TstPlateforme::lireDossierMSTSRegistre()
{
#ifdef Q_OS_WIN
    QSKIP("read from the real registry on Windows");
#endif
    QFETCH(QByteArray, systemReg);
    QFETCH(QString, attendu);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString prefixe = dir.filePath(QStringLiteral("msts prefixe"));
    QVERIFY(QDir().mkpath(prefixe + QStringLiteral("/drive_c/Program Files/Microsoft Games/Train Simulator")));
    QVERIFY(QDir().mkpath(prefixe + QStringLiteral("/drive_c/MSTS")));
    QVERIFY(QDir().mkpath(prefixe + QStringLiteral("/drive_c/MSTS-Wow")));
    lier(QStringLiteral("../drive_c"), prefixe + QStringLiteral("/dosdevices/c:"));
    ecrireFichier(prefixe + QStringLiteral("/system.reg"), systemReg);

    qputenv("WINEPREFIX", QFile::encodeName(prefixe));
    const QString driveC = QFileInfo(prefixe + QStringLiteral("/drive_c")).canonicalFilePath();
    QCOMPARE(corvanel::lireDossierMSTSRegistre(), attendu.isEmpty() ? QString() : driveC + attendu);

    // No prefix at all: nothing, and nothing made.
    const QString absent = dir.filePath(QStringLiteral("pas de prefixe"));
    qputenv("WINEPREFIX", QFile::encodeName(absent));
    QCOMPARE(corvanel::lireDossierMSTSRegistre(), QString());
    QVERIFY(!QFileInfo::exists(absent));
}

// --- Single copy ------------------------------------------------------------

void TstPlateforme::instanceUnique()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString verrou = dir.filePath(QStringLiteral("corvanel-essai.lock"));

    {
        auto premiere = std::make_unique<InstanceUnique>(verrou);
        QVERIFY(premiere->acquerir());
        QVERIFY(premiere->acquerir()); // asking again keeps it

        InstanceUnique seconde(verrou);
        QVERIFY(!seconde.acquerir());
        QVERIFY(!seconde.acquerir());

        premiere.reset();
        QVERIFY(seconde.acquerir());
        InstanceUnique troisieme(verrou);
        QVERIFY(!troisieme.acquerir());
    }
    // Released, the lock leaves nothing behind.
    QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot), QStringList());
}

void TstPlateforme::verrouLaisse_data()
{
    QTest::addColumn<QString>("proprietaire"); // mort, vivant, vide
    QTest::addColumn<int>("ageSecondes");
    QTest::addColumn<bool>("acquis");

    QTest::newRow("copie arretee net") << QStringLiteral("mort") << 0 << true;
    QTest::newRow("copie arretee net, verrou ancien") << QStringLiteral("mort") << 3 * 24 * 3600 << true;
    QTest::newRow("copie en marche") << QStringLiteral("vivant") << 0 << false;
    QTest::newRow("copie en marche depuis des jours") << QStringLiteral("vivant") << 3 * 24 * 3600 << false;
    QTest::newRow("verrou vide ancien") << QStringLiteral("vide") << 3600 << true;
    QTest::newRow("verrou vide tout juste cree") << QStringLiteral("vide") << 0 << false;
}

void TstPlateforme::verrouLaisse()
{
    QFETCH(QString, proprietaire);
    QFETCH(int, ageSecondes);
    QFETCH(bool, acquis);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString verrou = dir.filePath(QStringLiteral("corvanel-essai.lock"));

    QByteArray contenu;
    if (proprietaire != u"vide") {
        qint64 pid = QCoreApplication::applicationPid();
        if (proprietaire == u"mort") {
            // A process that has come and gone: its id is free.
            QProcess p;
            p.start(QCoreApplication::applicationFilePath(), {QStringLiteral("-functions")});
            QVERIFY(p.waitForStarted(30000));
            pid = p.processId();
            QVERIFY(p.waitForFinished(30000));
            QVERIFY(pid > 0);
        }
        // The owner as QLockFile records it: id, program, host.
        contenu = QByteArray::number(pid) + '\n' + QCoreApplication::applicationName().toUtf8() + '\n'
            + QSysInfo::machineHostName().toUtf8() + '\n';
    }
    ecrireFichier(verrou, contenu);
    if (ageSecondes > 0) {
        QFile f(verrou);
        QVERIFY(f.open(QIODevice::ReadWrite));
        QVERIFY(f.setFileTime(QDateTime::currentDateTime().addSecs(-ageSecondes), QFileDevice::FileModificationTime));
    }

    InstanceUnique instance(verrou);
    QCOMPARE(instance.acquerir(), acquis);
}

// --- Volumes ----------------------------------------------------------------

void TstPlateforme::racineDuVolume_data()
{
    QTest::addColumn<QString>("chemin");
    QTest::addColumn<QString>("attendu");

#ifdef Q_OS_WIN
    QTest::newRow("lecteur") << QStringLiteral("D:\\Jeux\\MSTS") << QStringLiteral("D:\\");
    QTest::newRow("sans casse") << QStringLiteral("d:\\jeux\\msts") << QStringLiteral("D:\\");
    QTest::newRow("dossier monte") << QStringLiteral("C:\\Monte\\x") << QStringLiteral("C:\\Monte\\");
    QTest::newRow("voisin du dossier monte") << QStringLiteral("C:\\Montee\\x") << QStringLiteral("C:\\");
    QTest::newRow("lecteur absent") << QStringLiteral("E:\\x") << QString();
#else
    QTest::newRow("dans la cle") << QStringLiteral("/media/usb/MSTS/TRAINS") << QStringLiteral("/media/usb/");
    QTest::newRow("racine de la cle sans barre") << QStringLiteral("/media/usb") << QStringLiteral("/media/usb/");
    QTest::newRow("racine de la cle avec barre") << QStringLiteral("/media/usb/") << QStringLiteral("/media/usb/");
    QTest::newRow("autre cle au nom prolonge") << QStringLiteral("/media/usb2/x") << QStringLiteral("/media/usb2/");
    QTest::newRow("nom prolonge sans volume") << QStringLiteral("/media/usbx/x") << QStringLiteral("/");
    QTest::newRow("dossier parent du point de montage") << QStringLiteral("/media") << QStringLiteral("/");
    QTest::newRow("volume dans un volume") << QStringLiteral("/media/usb/disque/a") << QStringLiteral("/media/usb/disque/");
    QTest::newRow("remontee") << QStringLiteral("/media/usb/../usb2/x") << QStringLiteral("/media/usb2/");
    QTest::newRow("racine") << QStringLiteral("/") << QStringLiteral("/");
    QTest::newRow("relatif") << QStringLiteral("media/usb") << QString();
#endif
}

void TstPlateforme::racineDuVolume()
{
    QFETCH(QString, chemin);
    QFETCH(QString, attendu);

#ifdef Q_OS_WIN
    const QList<Volume> volumes{{QStringLiteral("C:\\"), QStringLiteral("c:")},
                                {QStringLiteral("D:\\"), QStringLiteral("d:")},
                                {QStringLiteral("C:\\Monte\\"), QStringLiteral("C:\\Monte")}};
#else
    const QList<Volume> volumes{{QStringLiteral("/"), QStringLiteral("/")},
                                {QStringLiteral("/media/usb2/"), QStringLiteral("/media/usb2")},
                                {QStringLiteral("/media/usb/"), QStringLiteral("/media/usb [CLE]")},
                                {QStringLiteral("/media/usb/disque/"), QStringLiteral("/media/usb/disque")}};
#endif
    QCOMPARE(corvanel::racineDuVolume(chemin, volumes), attendu);
    QCOMPARE(corvanel::racineDuVolume(chemin, {}), QString());
}

void TstPlateforme::volumesMontes()
{
    const QList<Volume> volumes = corvanel::volumesMontes();
    QVERIFY(!volumes.isEmpty());
    QCOMPARE(volumes.first().racine, racineSysteme());

    QStringList racines;
    for (const Volume &v : volumes) {
        QVERIFY2(v.racine == avecSeparateurFinal(v.racine), qPrintable(v.racine));
        QVERIFY2(!racines.contains(v.racine), qPrintable(v.racine));
        QVERIFY(!v.libelle.isEmpty());
#ifndef Q_OS_WIN
        for (const char *systeme : {"/proc/", "/sys/", "/dev/"})
            QVERIFY2(!v.racine.startsWith(QLatin1String(systeme)), qPrintable(v.racine));
#endif
        racines.append(v.racine);
    }
    QStringList suite = racines.mid(1);
    QStringList triee = suite;
    triee.sort();
    QCOMPARE(suite, triee);

    // Where the program works, there is a drive to show.
    QVERIFY(!corvanel::racineDuVolume(QDir::currentPath(), volumes).isEmpty());
    QVERIFY(!corvanel::racineDuVolume(QCoreApplication::applicationDirPath(), volumes).isEmpty());
}

void TstPlateforme::dossierProgrammeDansLArbre()
{
    // In the build tree lang/ stands beside the program.
    const QString dossierExe = QCoreApplication::applicationDirPath();
    QVERIFY(QFileInfo(dossierExe + QStringLiteral("/lang")).isDir());
    QCOMPARE(dossierProgramme(), avecSeparateurFinal(QDir::toNativeSeparators(dossierExe)));
}

QTEST_GUILESS_MAIN(TstPlateforme)
#include "tst_plateforme.moc"
