// The command line, as scripts use it: the real program, its exit codes, what
// it writes where and in which encoding, with no display. What the scan and
// the report find is checked in their own suites.
#include "platform/Instance.h"
#include "support/Essai.h"

#include <sys/resource.h>

#include <csignal>

namespace {

struct Sortie {
    int code = -1;
    QByteArray out;
    QByteArray err;
};

// The program, with a settings folder of the sandbox's own.
Sortie lancer(const Bac &bac, const QStringList &arguments, const QProcessEnvironment &plus = {})
{
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char *variable : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        env.remove(QString::fromLatin1(variable));
    env.insert(u"XDG_CONFIG_HOME"_s, bac.chemin(u"config"_s));
    env.insert(u"XDG_DATA_HOME"_s, bac.chemin(u"donnees"_s));
    env.insert(plus);
    p.setProcessEnvironment(env);
    p.start(QStringLiteral(CORVANEL_BIN_DIR "/corvanel"), arguments);
    if (!p.waitForFinished(60000))
        return {};
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1, p.readAllStandardOutput(),
            p.readAllStandardError()};
}

} // namespace

class TstLigneDeCommande : public QObject {
    Q_OBJECT

private slots:
    void demo_data()
    {
        // signal: sent once its copy is made; 0: none, another copy runs already
        colonnes<int>("signal");
        QTest::newRow("terminal fermé") << SIGHUP;
        QTest::newRow("kill") << SIGTERM;
        QTest::newRow("seconde copie") << 0;
    }

    // Closing the terminal a demo runs from, or killing it, removes its copy
    // as closing its window does. Beside a running copy, a demo ends before
    // it copies anything or writes a setting.
    void demo()
    {
        const auto [numero] = donnees<int>("signal");
        Bac bac;
        const QString temp = bac.creerDossier(u"tmp"_s);
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(u"TMPDIR"_s, temp);
        env.insert(u"XDG_CONFIG_HOME"_s, bac.chemin(u"config"_s));
        const QString runtime = bac.creerDossier(u"run"_s);
        QFile::setPermissions(runtime, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        env.insert(u"XDG_RUNTIME_DIR"_s, runtime);
        env.insert(u"QT_QPA_PLATFORM"_s, u"offscreen"_s);
        qputenv("XDG_RUNTIME_DIR", runtime.toLocal8Bit());
        corvanel::InstanceUnique premiere;
        QVERIFY(numero || premiere.acquerir());
        p.setProcessEnvironment(env);
        p.start(QStringLiteral(CORVANEL_BIN_DIR "/corvanel"), {u"--demo"_s});
        QByteArray err;
        while (!err.contains("copied to") && p.waitForReadyRead(30000))
            err += p.readAllStandardError();
        if (numero) {
            QVERIFY2(!QDir(temp).isEmpty(), err.constData());
            QTest::qWait(300); // the window's event loop running
            QCOMPARE(::kill(static_cast<pid_t>(p.processId()), numero), 0);
        }
        QVERIFY(p.state() == QProcess::NotRunning || p.waitForFinished(30000));
        QCOMPARE(p.exitCode(), numero ? 128 + numero : 0);
        QVERIFY2(numero || !(err + p.readAllStandardError()).contains("demo"), err.constData());
        QVERIFY(numero || !QFileInfo::exists(bac.chemin(u"config"_s)));
        QVERIFY2(QDir(temp).isEmpty(),
                 qPrintable(QDir(temp).entryList(QDir::AllEntries | QDir::NoDotAndDotDot).join(u' ')));
    }

    void sorties_data()
    {
        // arguments: a folder is named relative to the sandbox; sortie: exactly, the list's date line aside; null: not
        // looked at; erreur: what standard error holds, <dossier> standing for the folder's full path
        colonnes<QStringList, int, QByteArray, QByteArray>("arguments", "code", "sortie", "erreur");
        const auto ligne = [](const QString &tag, const QStringList &arguments, int code, const QByteArray &sortie,
                              const QByteArray &erreur) {
            QTest::newRow(qPrintable(tag)) << arguments << code << sortie << erreur;
        };
        const QByteArray liste = "b.con\nC\xc3\xb4te d'Azur.con\n";
        ligne("aide", {"--help"}, 0, {}, {});
        // Usage errors: one line in the language in use, exit 2, nothing on
        // standard output, and no display needed (the suite runs without one).
        const auto usage = [&](const char *tag, const QStringList &arguments, const char *texte) {
            ligne(tag, arguments, 2, "", QByteArray("corvanel: ") + texte + '\n');
        };
        usage("option inconnue", {"--bogus"}, "--bogus : option inconnue. corvanel --help donne la liste des options.");
        usage("option inconnue, en anglais", {"--bogus", "--lang", "crv-1.0.7-english.lng"},
              "--bogus: unknown option. corvanel --help lists the options.");
        usage("mode sans dossier", {"--scan"}, "--scan demande une valeur.");
        usage("deux modes", {"--scan", "jeu", "--report", "jeu"},
              "--scan et --report ne peuvent pas \xc3\xaatre employ\xc3\xa9"
              "es ensemble.");
        usage("remplacer sans --to", {"--replace", "jeu", "--from", "A/B.wag"}, "--replace demande --to.");
        usage("--text sans --report", {"--scan", "jeu", "--text"}, "--text ne s'emploie qu'avec --report.");
        usage("argument de trop", {"--scan", "jeu", "autre"}, "autre : argument inattendu.");
        ligne("rien d'invalide", {"--scan", "sain"}, 0, "", "Fichiers consists examin\xc3\xa9s : 1\n\nAucun consist");
        ligne("recherche", {"--scan", "jeu"}, 1, liste,
              "Fichiers consists examin\xc3\xa9s : 3\n\n2 consists invalides ont \xc3\xa9t\xc3\xa9 trouv\xc3\xa9s.\n");
        ligne("recherche en anglais", {"--scan", "jeu", "--lang", "crv-1.0.7-english.lng"}, 1, liste,
              "Consist files checked: 3\n\n2 invalid consists were found.\n");
        ligne("rapport", {"--report", "jeu"}, 1,
              "b.con,Ligne 4 illisible,Ligne 4 illisible\nC\xc3\xb4te d'Azur.con,\"S\",\"Absent.wag\"\n", {});
        ligne("rapport en texte, en anglais", {"--report", "jeu", "--text", "--lang", "crv-1.0.7-english.lng"}, 1,
              "Corvanel - Invalid consists\n" + QByteArray(62, '-') +
                  "\n \nb.con\t|\tUnreadable line 4\t|\tUnreadable line 4\n"
                  "C\xc3\xb4te d'Azur.con\t|\t\"S\"\t|\t\"Absent.wag\"\n",
              {});
        // The language file is checked before a line is written, in every mode.
        for (const char *mode : {"--scan", "--report", "--missing", "--used-by", "--routes"})
            ligne(mode, {mode, "jeu", "--lang", "absent.lng"}, 2, "", "absent.lng");
        // RFC 4180 fields; only invalid consists count.
        ligne("services", {"--used-by", "jeu"}, 1,
              "b.con,\"R,1\",\"s\"\"1\",\nC\xc3\xb4te d'Azur.con,\"R,1\",T,x;\xc3\xa9\n",
              "Consists invalides utilis\xc3\xa9s par des services : 2\n");
        // The player's consist has no first vehicle: the activity cannot start. The counts come from the language file.
        ligne("lignes", {"--routes", "jeu", "--lang", "crv-1.0.7-english.lng"}, 1,
              "\"R,1\",x.act,blocks,S/Absent.wag\n",
              "Activities and timetables checked: 3\nThat cannot start: 1\nThat run with gaps: 0\n");
        ligne("lignes, rien ne manque", {"--routes", "sain"}, 0, "", "s : 0\nQui ne peuvent pas");
        ligne("services, aucun", {"--used-by", "sain"}, 0, "", "services : 0\n");
        // Invalid consists that no service runs: nothing for --used-by to report.
        ligne("services, aucun pour des invalides", {"--used-by", "inutilise"}, 0, "", "services : 0\n");
        for (const char *mode : {"--report", "--missing"})
            ligne(mode + u", rien d'invalide"_s, {mode, "sain"}, 0, "", {});
        // A folder that is not there, or holds no TRAINS/CONSISTS: named on standard error, nothing written.
        for (const char *mode : {"--scan", "--report", "--used-by", "--routes", "--missing", "--replace", "--undo"})
            for (const char *dossier : {"absent", "vide"})
                ligne(mode + u" "_s + QLatin1String(dossier),
                      QStringList{mode, dossier} + (qstrcmp(mode, "--replace")
                                                        ? QStringList()
                                                        : QStringList{"--from", "A/B.wag", "--to", "C/D.wag"}),
                      2, "", "<dossier>");
    }

    void sorties()
    {
        auto [arguments, code, sortie, erreur] =
            donnees<QStringList, int, QByteArray, QByteArray>("arguments", "code", "sortie", "erreur");
        Bac bac;
        bac.creerDossier(u"vide/TRAINS"_s);
        // No train.exe needed: any folder holding TRAINS/CONSISTS will do, in any case.
        for (const char *dossier : {"sain", "jeu"}) {
            bac.ecrire(dossier + u"/Trains/Trainset/S/E.eng"_s, "x");
            bac.ecrire(dossier + u"/Trains/consists/sain.con"_s, consist({"EngineData ( e s )"}));
        }
        bac.ecrire(u"jeu/Trains/consists/Côte d'Azur.con"_s, consist({"WagonData ( Absent S )"}));
        bac.ecrire(u"jeu/Trains/consists/b.con"_s, consist({"EngineData ( E S"}));
        bac.ecrire(u"inutilise/TRAINS/CONSISTS/x.con"_s, consist({"WagonData ( Absent S )"}));
        bac.ecrire(u"inutilise/ROUTES/R/SERVICES/s.srv"_s, "Train_Config ( autre )");
        const QString route = u"jeu/Routes/R,1/"_s;
        bac.ecrire(route + u"SERVICES/s\"1.srv"_s, "Train_Config ( B )");
        bac.ecrire(route + u"SERVICES/T.srv"_s, "Train_Config ( \"C\xf4te d'Azur\" )");
        bac.ecrire(route + u"SERVICES/sain.srv"_s, "Train_Config ( sain )");
        bac.ecrire(route + u"ACTIVITIES/é.act"_s, "Service_Definition ( t )");
        bac.ecrire(route + u"ACTIVITIES/x.act"_s, "Player_Service_Definition ( \"T\" )");
        bac.ecrire(route + u"ACTIVITIES/Y.act"_s, "Service_Definition ( sain )");
        if (arguments.size() > 1 && !arguments[1].startsWith(u'-')) {
            arguments[1] = bac.chemin(arguments[1]);
            erreur.replace("<dossier>", arguments[1].toUtf8());
        }

        Sortie s = lancer(bac, arguments);
        QCOMPARE(s.code, code);
        if (arguments.contains(u"--text") && code != 2) { // the date line
            QByteArrayList lignes = s.out.split('\n');
            lignes.removeAt(1);
            s.out = lignes.join('\n');
        }
        if (!sortie.isNull())
            QCOMPARE(s.out, sortie);
        QVERIFY2(s.err.contains(erreur), s.err.constData());
        QVERIFY(!QFileInfo::exists(bac.chemin(u"config/Corvanel"_s)));
    }

    // The manual pages, in both languages, describe every option --help
    // lists, and none that the program does not have.
    void manuelsEtAide()
    {
        Bac bac;
        const Sortie s = lancer(bac, {"--help"}); // its exit code: the "aide" row of sorties
        const auto options = [](QString texte) {
            texte.replace(u"\\-"_s, u"-"_s); // the man page's escaped hyphens
            QStringList liste;
            const QRegularExpression motif(u"(?<![\\w-])--[a-z]+(-[a-z]+)*"_s);
            for (auto it = motif.globalMatch(texte); it.hasNext();)
                liste << it.next().captured();
            liste.removeDuplicates();
            liste.sort();
            return liste;
        };
        const QStringList attendues = options(QString::fromUtf8(s.out));
        QVERIFY(attendues.contains(u"--replace"_s));
        for (const char *page : {"doc/man/corvanel.1", "doc/man/fr/corvanel.1"})
            QCOMPARE(options(QString::fromUtf8(Bac::lire(QStringLiteral(CORVANEL_SOURCE_DIR "/") + page))), attendues);
    }

    void reparation()
    {
        Bac bac;
        bac.ecrire(u"jeu/TRAINS/TRAINSET/Inoui/TGV.wag"_s, "x");
        bac.ecrire(u"jeu/TRAINS/TRAINSET/S/E.eng"_s, "x");
        const QByteArray a = consist({"WagonData ( tgv \"800, v2\" )", "EngineData ( Manque S )"});
        // An upper-case extension: a consist all the same, for each command.
        const QString ro = bac.ecrire(u"jeu/TRAINS/CONSISTS/ro.CON"_s, consist({"WagonData ( TGV \"800, v2\" )"}));
        bac.ecrire(u"jeu/TRAINS/CONSISTS/a.con"_s, a);
        // An activity's loose consist names it too: listed after the consists.
        bac.ecrire(u"jeu/ROUTES/R/ACTIVITIES/x.act"_s,
                   "Tr_Activity ( ActivityObjects ( ActivityObject ( Train_Config ( TrainCfg ( x\r\n"
                   "WagonData ( TGV \"800, v2\" )\r\n) ) ) ) )");
        const QString jeu = bac.chemin(u"jeu"_s);
        Sortie s = lancer(bac, {"--missing", jeu});
        QCOMPARE(s.code, 1);
        QCOMPARE(s.out, QByteArray("\"800, v2\",tgv.wag,2,Inoui/TGV.wag\nS,Manque.eng,1,\n"));

        const QStringList remplacer{"--replace", jeu, "--from", "800, v2/TGV.wag", "--to", "inoui/tgv.wag"};
        QFile::setPermissions(ro, QFileDevice::ReadOwner);
        s = lancer(bac, remplacer + QStringList{"--dry-run"});
        QCOMPARE(s.code, 1);
        QCOMPARE(s.out, QByteArray("a.con\nROUTES/R/ACTIVITIES/x.act\n"));
        QVERIFY(s.err.contains("ro.CON"));
        QCOMPARE(Bac::lire(bac.chemin(u"jeu/TRAINS/CONSISTS/a.con"_s)), a);
        QFile::setPermissions(ro, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
        s = lancer(bac, remplacer);
        QCOMPARE(s.code, 0);
        QCOMPARE(s.out, QByteArray("a.con\nro.CON\nROUTES/R/ACTIVITIES/x.act\n"));
        QCOMPARE(Bac::lire(ro), consist({"WagonData ( TGV \"Inoui\" )"}));
        QCOMPARE(lancer(bac, remplacer).code, 1); // none names it now

        // Absent, an engine for a wagon (though it exists), no folder.
        for (const char *vers : {"Inoui/Absent.wag", "S/E.eng", "TGV.wag"})
            QCOMPARE(lancer(bac, {"--replace", jeu, "--from", "800, v2/TGV.wag", "--to", vers}).code, 2);

        s = lancer(bac, {"--undo", jeu});
        QCOMPARE(s.code, 0);
        QCOMPARE(s.out, QByteArray("a.con\nro.CON\nROUTES/R/ACTIVITIES/x.act\n"));
        QCOMPARE(lancer(bac, {"--undo", jeu}).code, 1); // that backup is used up
    }

    void consistsEnormes()
    {
        // A consist of 250 MB whose first line is 50 MB long: the report still
        // finds what follows, and memory stays far below its size.
        Bac bac;
        bac.ecrire(u"jeu/TRAINS/TRAINSET/S/E.eng"_s, "x");
        QFile f(bac.ecrire(u"jeu/TRAINS/CONSISTS/grand.con"_s, "EngineData ( E S ) "));
        QVERIFY(f.open(QIODevice::Append));
        for (int i = 0; i < 50; ++i)
            QVERIFY(f.write(QByteArray(1024 * 1024, 'x')) == 1024 * 1024);
        const QByteArray lignes = QByteArray("\r\n\t\tEngineData ( E S )\r\n\t\tUiD ( 7 )").repeated(30000);
        for (int i = 0; i < 200; ++i)
            QVERIFY(f.write(lignes) == lignes.size());
        QVERIFY(f.write("\r\n\t\tWagonData ( Manque S )\r\n") > 0);
        f.close();

        const Sortie s = lancer(bac, {"--report", bac.chemin(u"jeu"_s)});
        QCOMPARE(s.code, 1);
        QCOMPARE(s.out, QByteArray("grand.con,\"S\",\"Manque.wag\"\n"));
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
