// Which services and activities of the routes use a consist, on real trees.
#include "analysis/Utilisations.h"
#include "support/Essai.h"

using Fichiers = QList<std::pair<QString, QByteArray>>;

class TstUtilisations : public QObject {
    Q_OBJECT

private slots:
    void services_data()
    {
        // attendu: consist|route|service|activities
        colonnes<Fichiers, QStringList, QStringList>("fichiers", "consists", "attendu");
        const auto le = [](const char *t) { return encoder(QString::fromUtf8(t), u"utf16le"_s); };
        const auto be = [](const char *t) { return encoder(QString::fromUtf8(t), u"utf16be"_s); };
        const auto ansi = [](const char *t) { return encoder(QString::fromUtf8(t), u"ansi"_s); };

        QTest::newRow("encodages, fins de ligne, jetons")
            << Fichiers{{"ROUTES/L1/SERVICES/S le.srv",
                         le("SIMISA@@@@@@@@@@JINX0v0t______\r\n\r\nService_Definition (\r\n\tName ( x )\r\n"
                            "\tTrain_Config ( \"loco bleue\" )\r\n)\r\n")},
                        {"ROUTES/L1/SERVICES/S be.srv", be("Service_Definition (\r\tTrain_Config\t(\tLOCO)\r)")},
                        {"ROUTES/L1/SERVICES/S u8.srv", "\xEF\xBB\xBFTrain_Config ( \"Loco Bleue\" )\n"},
                        {"ROUTES/L1/SERVICES/Sé ansi.srv",
                         ansi("Name ( \"Département\" )\r\nTrain_Config (\"Loco Bleue\")")},
                        {"ROUTES/L1/ACTIVITIES/a1.act",
                         le("Tr_Activity (\r\n\tPlayer_Service_Definition ( \"S le\"\r\n"
                            "\t\tService_Definition ( \"s u8\" 10 ) Service_Definition ( S\"le\" )\r\n)")},
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
    }

    void services()
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
        QCOMPARE(lu, attendu);
        QCOMPARE(avancement.faits.load(), avancement.total.load());
    }
};

QTEST_GUILESS_MAIN(TstUtilisations)
#include "tst_utilisations.moc"
