// On real files: paths without regard to case, the game folder from a Wine
// prefix, the single-copy lock and the volume list; attributes as Wine and
// Samba keep them, copies that never leave a half-written destination, and
// the file-properties dialog on real consists.
#include "analysis/Vehicules.h"
#include "fileops/frmProprietesFichier.h"
#include "platform/Chemins.h"
#include "platform/Instance.h"
#include "platform/Registre.h"
#include "platform/Volumes.h"
#include "support/Essai.h"

#include <sys/xattr.h>

using Opt = std::optional<QString>;

Q_DECLARE_METATYPE(Opt)

namespace {

// The stored user.DOSATTRIB value as bytes; "<none>" when nothing is stored.
QByteArray valeurStockee(const QString &chemin)
{
    char tampon[256];
    const ssize_t n = ::lgetxattr(QFile::encodeName(chemin).constData(), "user.DOSATTRIB", tampon, sizeof tampon);
    return n < 0 ? QByteArray("<none>") : QByteArray(tampon, n);
}

constexpr QFile::Permissions Ecritures = QFile::WriteOwner | QFile::WriteGroup | QFile::WriteOther;

// The failure f throws; number 0 when none.
ErreurExecution echecDe(const std::function<void()> &f)
{
    try {
        f();
    } catch (const ErreurExecution &e) {
        return e;
    }
    return ErreurExecution(0, QString());
}

struct Scene : SceneFenetre {
    // The list as a scan leaves it, the focus on entry `courante`.
    void listerAvecFocus(const QStringList &noms, int courante)
    {
        lister(noms);
        f->lstLFI->setCurrentRow(courante, QItemSelectionModel::NoUpdate);
    }
    // Opens the dialog from its menu item and runs `pendant` while it shows.
    void ouvrir(const std::function<void(frmProprietesFichier &)> &pendant)
    {
        seam.quand(pendant);
        f->mnuProprietesFichier->trigger();
    }
};

void cliquer(QAbstractButton *b)
{
    QTest::mouseClick(b, Qt::LeftButton, {}, QPoint(8, b->height() / 2));
}

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

class TstSystemeFichiers : public QObject {
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
        // Content copied from several Windows sources can hold names differing
        // only by case; the one spelled as asked wins, else the first by name.
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

    void verificateurEgalAuSystemeDeFichiers()
    {
        // The cached answers are those of asking the file system each time.
        Bac bac;
        const QString base = bac.creerDossier(u"T"_s);
        for (const char *f : {"T/Set/a.eng", "T/set/B.eng", "T/SET/c.eng", "T/Dir/X.WAG", "T/CASSE/z.eng"})
            bac.ecrire(QString::fromLatin1(f));
        bac.creerDossier(u"T/Dir/x.wag"_s);
        QFile::link(bac.chemin(u"T/Set"_s), bac.chemin(u"T/Lien"_s));
        QFile::link(bac.chemin(u"T/nulle-part"_s), bac.chemin(u"T/casse"_s));
        VerificateurVehicules v(base + u'/');
        for (const char *r : {"Set/a.eng", "set/a.eng", "SET/A.ENG", "Set/B.eng", "set/b.eng", "SET/c.eng", "set/c.eng",
                              "Dir/x.wag", "dir/X.wag", "DIR/x.WAG", "lien/A.eng", "casse/z.eng", "Set\\a.eng",
                              "Set//a.eng", "./Set/a.eng", "Set/../set/B.eng", "Absent/a.eng", "Set", "Set/a.eng/x"}) {
            QVERIFY2(v.fichierExiste(r) == fichierExisteSansCasse(base, r), r);
            QVERIFY2(v.dossierExiste(r) == dossierExisteSansCasse(base, r), r);
        }
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
        for (const QByteArray &texte : {contenu, QByteArray(contenu).replace("\n", "\r\n")})
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

    void attributs_data()
    {
        // avant: stored beforehand; null: nothing; valeur: set, then read back; -1: only read; stockee: null: not
        // looked at; panne: without extended attributes, the failure's number; -1: with them
        colonnes<QString, QByteArray, int, int, QByteArray, bool, int>("nom", "avant", "valeur", "lu", "stockee",
                                                                       "ecriture", "panne");
        const auto ligne = [](const char *tag, const char *nom, const QByteArray &avant, int valeur, int lu,
                              const QByteArray &stockee, bool ecriture, int panne = -1) {
            QTest::newRow(tag) << QString::fromLatin1(nom) << avant << valeur << lu << stockee << ecriture << panne;
        };
        const QByteArray rien, aucune("<none>");
        // Read-only clears every write bit (any one left makes the file
        // writable to someone) and is mirrored in a value that is stored
        // anyway (Samba reads it there); nothing is stored for 0 or 1.
        ligne("1", "a.con", rien, 1, 1, aucune, false);
        ligne("35", "a.con", rien, 35, 35, "0x23", false);
        // A "." name reads hidden with nothing stored: "0x0" says it is not.
        ligne(". 0", ".a.con", rien, 0, 0, "0x0", true);
        ligne(". sans valeur", ".a.con", rien, -1, 2, rien, true);
        // Setting clears system too; bits the layer does not manage
        // (not-indexed) are kept.
        ligne("système effacé, bits non gérés gardés", "a.con", "0x2026", 2, 2, "0x2002", true);
        // "\\" is a character of a Linux name, not a separator.
        ligne("barre inverse", "x\\.a.con", rien, -1, 0, rien, true);
        // Samba 4 writes the text, a null, then a binary record.
        ligne("Samba", "a.con", QByteArray("0x22\0\3\0\3\0\0\0\x11\0\0\0", 15), -1, 34, rien, true);
        ligne("illisible", "a.con", "caché", -1, 0, rien, true);
        ligne("lecture seule stockée", "a.con", "0x1", -1, 0, rien, true);
        // This kernel's tmpfs keeps user attributes: the file system without
        // them is the layer's own stand-in. Clearing a "." name, as the clean-up
        // does before removing, must not fail for want of a place to store "0x0".
        ligne("sans attributs: caché refusé", "a.con", rien, 2, 0, aucune, true, 75);
        ligne("sans attributs: lecture seule", "a.con", rien, 1, 1, aucune, false, 0);
        ligne("sans attributs: . 0", ".a.con", rien, 0, 2, aucune, true, 0);
    }

    void attributs()
    {
        auto [nom, avant, valeur, lu, stockee, ecriture, panne] =
            donnees<QString, QByteArray, int, int, QByteArray, bool, int>("nom", "avant", "valeur", "lu", "stockee",
                                                                          "ecriture", "panne");
        Bac bac;
        const QString f = bac.ecrire(nom);
        QVERIFY(QFile::setPermissions(f, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther | Ecritures));
        if (!avant.isNull())
            QCOMPARE(::setxattr(QFile::encodeName(f).constData(), "user.DOSATTRIB", avant.constData(), avant.size(), 0),
                     0);
        if (panne >= 0)
            sf::injecterPanne(sf::Operation::Attributs, f, ENOTSUP);
        if (valeur >= 0) {
            const ErreurExecution e = echecDe([&] { sf::definirAttributs(f, valeur); });
            QCOMPARE(e.numero(), qMax(panne, 0));
            // The system's words tell the user why.
            QCOMPARE(e.description().contains(qt_error_string(ENOTSUP)), panne > 0);
        }
        QCOMPARE(sf::lireAttributs(f), lu);
        if (!stockee.isNull())
            QCOMPARE(valeurStockee(f), stockee);
        QCOMPARE((QFile::permissions(f) & Ecritures) != 0, ecriture);
    }

    void copie_data()
    {
        // err: -1: nothing fails; 0: a read-only destination; dos: the source's stored attributes, which travel with
        // it; source: empty: a file of known size
        colonnes<int, int, QByteArray, QString>("err", "numero", "dos", "source");
        QTest::newRow("réussie") << -1 << 0 << QByteArray() << QString();
        QTest::newRow("caché, système et archive suivent") << -1 << 0 << QByteArray("0x26") << QString();
        QTest::newRow("disque plein") << ENOSPC << 61 << QByteArray() << QString();
        QTest::newRow("destination en lecture seule") << 0 << 70 << QByteArray() << QString();
        // Gives more than its size says, as a consist saved while it is
        // copied: the copy must not pass for whole.
        QTest::newRow("taille annoncée fausse") << -1 << 57 << QByteArray() << u"/proc/self/status"_s;
    }

    // The copy keeps the source's date to the millisecond; whatever fails, the
    // destination is as it was, and no temporary file stays.
    void copie()
    {
        auto [err, numero, dos, source] = donnees<int, int, QByteArray, QString>("err", "numero", "dos", "source");
        const QByteArray octets(300000, 'n');
        Bac bac;
        const QDateTime date(QDate(2003, 4, 5), QTime(6, 7, 8, 901), Qt::UTC);
        if (source.isEmpty()) {
            source = bac.ecrire(u"source.bin"_s, octets);
            Bac::dater(source, date);
        }
        if (!dos.isNull())
            QCOMPARE(
                ::setxattr(QFile::encodeName(source).constData(), "user.DOSATTRIB", dos.constData(), dos.size(), 0), 0);
        const QString destination = bac.ecrire(u"dest/a.con"_s, "ancien");
        if (err > 0)
            sf::injecterPanne(sf::Operation::Copie, u"/dest/"_s, err, 70000);
        else if (err == 0)
            QVERIFY(QFile::setPermissions(destination, QFile::ReadOwner));
        QCOMPARE(echecDe([&] { sf::copierFichier(source, destination); }).numero(), numero);
        QCOMPARE(Bac::lire(destination), numero ? QByteArray("ancien") : octets);
        if (numero == 0)
            QCOMPARE(QFileInfo(destination).lastModified().toUTC(), date);
        if (!dos.isNull())
            QCOMPARE(sf::lireAttributs(destination), sf::Cache | sf::Systeme | sf::Archive);
        QCOMPARE(QDir(QFileInfo(destination).absolutePath())
                     .entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot),
                 QStringList{u"a.con"_s});
    }

    // No dialog without a current entry (it would be given the consist folder
    // itself) nor for a consist deleted since the scan. Then the entry with
    // the focus, not the selected one, shown as it is; closing changes nothing.
    void ouverture()
    {
        Scene s;
        const QString chemin = s.ecrireConsist(u"Mon train é.con"_s, QByteArray(1234, 'x'));
        sf::definirAttributs(chemin, sf::LectureSeule | sf::Archive);
        Bac::dater(chemin, QDateTime(QDate(2003, 5, 1), QTime(10, 20, 30)));
        s.ecrireConsist(u"B.con"_s, "SIMISA");
        s.listerAvecFocus({u"Mon train é.con"_s, u"B.con"_s, u"parti.con"_s}, -1);
        s.f->lstLFI->item(1)->setSelected(true);
        s.f->mnuProprietesFichier->setEnabled(true);
        s.f->mnuProprietesFichier_Click();
        QVERIFY(s.seam.messages.isEmpty());
        s.f->lstLFI->setCurrentRow(2, QItemSelectionModel::NoUpdate);
        s.f->mnuProprietesFichier->trigger();
        QCOMPARE(s.seam.dialoguesMontres, 0);
        QCOMPARE(s.seam.messages,
                 QList<Message>{s.critique(texteEchec(DossierConsists + u"parti.con"_s, ErreurExecution(53)))});
        s.seam.messages.clear();
        s.f->lstLFI->setCurrentRow(0, QItemSelectionModel::NoUpdate);

        s.ouvrir([&](frmProprietesFichier &d) {
            QCOMPARE(d.lblNom->text(), s.L("Label", "Label09") + u" Mon train é.con"_s);
            QCOMPARE(d.lblTaille->text(), remplacer(s.L("Label", "Label11"), u"[size]", u"1234"));
            // With its seconds, as the overwrite question shows it.
            QVERIFY2(d.lblModif->text().contains(u"10:20:30"_s), qPrintable(d.lblModif->text()));
            QCOMPARE(QList<bool>({d.chkLectureSeule->isChecked(), d.chkCache->isChecked(), d.chkArchive->isChecked(),
                                  d.cmdAppliquer->isEnabled()}),
                     QList<bool>({true, false, true, false}));
            for (QPushButton *b : d.findChildren<QPushButton *>())
                QVERIFY2(b->fontMetrics().horizontalAdvance(QString(b->text()).remove(u'&')) < b->width(),
                         qPrintable(b->text()));
            for (QCheckBox *c : d.findChildren<QCheckBox *>())
                QVERIFY2(c->sizeHint().width() <= c->width(), qPrintable(c->text()));
            cliquer(d.cmdFermer);
            QVERIFY(!d.isVisible());
        });
        QCOMPARE(s.seam.dialoguesMontres, 1);
        QVERIFY(s.seam.messages.isEmpty());
        QCOMPARE(sf::lireAttributs(chemin), sf::LectureSeule | sf::Archive);
    }

    void appliquer_data()
    {
        // clics: l: read-only, c: hidden, a: archive; sansXattr: a file system without extended attributes
        colonnes<QString, int, QString, bool, int>("nom", "depart", "clics", "sansXattr", "attendu");
        QTest::newRow("33, caché coché") << "a.con" << 33 << "c" << false << 35;
        QTest::newRow("35, tout décoché") << "a.con" << 35 << "lca" << false << 0;
        QTest::newRow("2, archive au lieu de caché") << "a.con" << 2 << "ca" << false << 32;
        QTest::newRow("nom en point décoché") << ".a.con" << 2 << "c" << false << 0;
        QTest::newRow("caché refusé") << "a.con" << 0 << "c" << true << 0;
        // Nothing can say a "." name is not hidden: told, not passed over.
        QTest::newRow("nom en point décoché refusé") << ".a.con" << 2 << "c" << true << 2;
    }

    // Where the attributes cannot be stored the failure is shown and Apply
    // stays enabled; the dialog stays open either way.
    void appliquer()
    {
        auto [nom, depart, clics, sansXattr, attendu] =
            donnees<QString, int, QString, bool, int>("nom", "depart", "clics", "sansXattr", "attendu");
        Scene s;
        const QString chemin = s.ecrireConsist(nom, "SIMISA");
        sf::definirAttributs(chemin, depart);
        if (sansXattr)
            sf::injecterPanne(sf::Operation::Attributs, chemin, ENOTSUP);
        s.listerAvecFocus({nom}, 0);

        s.ouvrir([&](frmProprietesFichier &d) {
            for (const QChar c : clics)
                cliquer(c == u'l' ? d.chkLectureSeule : c == u'c' ? d.chkCache : d.chkArchive);
            cliquer(d.cmdAppliquer);
            QCOMPARE(d.cmdAppliquer->isEnabled(), sansXattr);
            QVERIFY(d.isVisible());
        });
        QCOMPARE(s.seam.messages,
                 QList<Message>(sansXattr, s.critique(texteEchec(chemin, sf::erreurSysteme(ENOTSUP)))));
        QCOMPARE(sf::lireAttributs(chemin), attendu);
    }
};

QTEST_MAIN(TstSystemeFichiers)
#include "tst_systemefichiers.moc"
