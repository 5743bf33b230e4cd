// The scan from the main window, on real game folders.
#include "analysis/Analyse.h"
#include "analysis/Vehicules.h"
#include "app/Demo.h"
#include "app/modSubMain.h"
#include "platform/Chemins.h"
#include "support/Essai.h"

using Scene = SceneFenetre;

class TstRecherche : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { Cadence::definirIntervalle(0); }

    void dossierDemo()
    {
        // The demo's own list of expected results is the ground truth.
        Scene s;
        QString erreur;
        const QString copie = copierDemo(QStringLiteral(CORVANEL_SOURCE_DIR "/demo"), &erreur);
        QVERIFY2(!copie.isEmpty(), qPrintable(erreur));
        utiliserDossierJeu(avecSeparateurFinal(copie));
        QStringList invalides;
        for (const QByteArray &ligne :
             Bac::lire(QStringLiteral(CORVANEL_SOURCE_DIR "/demo/README-demo.txt")).split('\n'))
            if (ligne.startsWith("INVALID"))
                invalides << QString::fromUtf8(ligne.split('|').at(1).trimmed());
        std::sort(invalides.begin(), invalides.end(), avantCommeLeJeu);
        QVERIFY(invalides.size() >= 8);

        s.f->cmdRechercher->click();
        QCOMPARE(s.liste(), invalides);
        QVERIFY(s.seam.messages.isEmpty());
        // The copy goes with its temporary folder; a game folder that is not
        // a demo copy stays.
        supprimerDemo(copie);
        QVERIFY(!QFileInfo::exists(QFileInfo(copie).absolutePath()));
        supprimerDemo(QDir::cleanPath(s.jeu));
        QVERIFY(QFileInfo::exists(s.jeu));
    }

    void ordreDuJeuEtCasse()
    {
        Scene s;
        s.ecrireVehicule(u"Set A/Loco.eng"_s);
        s.ecrireVehicule(u"Set A/Wagon.wag"_s);
        // Listed as the game's platform lists them: by upper-cased name.
        const QByteArray casse = consist({"EngineData ( Loco \"Set A\" )", "WagonData ( WAGON \"set a\" )"}),
                         manque = consist({"EngineData ( Loco \"Set A\" )", "WagonData ( Absent \"Set A\" )"});
        for (const char *nom : {"b.con", "B_.con", "Z.con", "_x.con"})
            s.ecrireConsist(QString::fromLatin1(nom), manque);
        s.ecrireConsist(u"a.con"_s, casse);
        s.ecrireConsist(u"dossier-fichier.con"_s, consist({"EngineData ( Loco.eng Set A )"}));
        s.bac.creerDossier(u"MSTS/TRAINS/TRAINSET/Set/Loco.eng.eng"_s);
        s.ecrireConsist(u"fichier-dossier.con"_s, consist({"EngineData ( Loco.eng Set )"}));
        // A link that leads nowhere, in both folders, is no file and no failure.
        QFile::link(s.bac.chemin(u"nulle-part"_s), DossierConsists + u"lien.con"_s);
        QFile::link(s.bac.chemin(u"nulle-part"_s), DossierTrainset + u"Lien"_s);
        s.f->cmdRechercher_Click();
        QCOMPARE(s.liste(),
                 (QStringList{"b.con", "B_.con", "dossier-fichier.con", "fichier-dossier.con", "Z.con", "_x.con"}));

        // Every entry takes the first one's size, which keeps a long list quick;
        // a name longer than the first can still be scrolled over whole.
        const QString longue = u"ZZ Acela Express Boston to Washington via New York Penn Station.con"_s;
        s.ecrireConsist(longue, manque);
        s.f->cmdRechercher_Click();
        const QList<QListWidgetItem *> trouve = s.f->lstLFI->findItems(longue, Qt::MatchExactly);
        QCOMPARE(trouve.size(), 1);
        QCOMPARE_GE(s.f->lstLFI->visualItemRect(trouve[0]).width(),
                    s.f->lstLFI->fontMetrics().horizontalAdvance(longue));
    }

    void resumesEtEtatDesCommandes_data()
    {
        QTest::addColumn<int>("invalides");
        QTest::newRow("aucun") << 0;
        QTest::newRow("un") << 1;
        QTest::newRow("plusieurs") << 3;
    }

    // The summary and the commands after a scan. The bar runs over every
    // file of the folder, folders aside; only consists are examined. While it
    // runs the commands and the close are held back.
    void resumesEtEtatDesCommandes()
    {
        QFETCH(int, invalides);
        Scene s;
        s.ecrireVehicule(u"S/E.eng"_s);
        for (int i = 0; i < 4; ++i)
            s.ecrireConsist(u"sain%1.con"_s.arg(i), consist({"EngineData ( E S )"}));
        // An earlier scan listed a consist gone since: the next starts over.
        s.ecrireConsist(u"parti.con"_s, consist({"EngineData ( E Absent )"}));
        s.f->cmdRechercher_Click();
        QVERIFY(QFile::remove(DossierConsists + u"parti.con"_s));
        for (int i = 0; i < invalides; ++i)
            s.ecrireConsist(u"casse%1.con"_s.arg(i), consist({"EngineData ( E Absent )"}));
        s.ecrireConsist(u"b.txt"_s, "x");
        // Counted as the game loads it, whatever the extension's letter case.
        s.ecrireConsist(u"c.CON"_s, consist({"EngineData ( E S )"}));
        s.ecrireConsist(u"sous-dossier.con/d.con"_s, consist({"EngineData ( X Y )"}));
        QList<int> valeurs;
        bool occupee = true;
        int refus = 0;
        s.seam.pendantEvenements = [&] {
            valeurs << s.f->pbJauge->value();
            occupee = occupee && s.commandes().startsWith(u"rdnmstxl foa");
            if (!s.f->close())
                ++refus;
        };
        s.f->cmdRechercher_Click();

        QCOMPARE(s.f->pbJauge->maximum(), 6 + invalides);
        // Refused from the first step, before the bar moves.
        QCOMPARE(valeurs.first(), 0);
        QCOMPARE(valeurs.last(), 6 + invalides);
        QVERIFY(std::is_sorted(valeurs.begin(), valeurs.end()));
        QVERIFY(occupee && refus == valeurs.size() && s.f->isVisible());
        QCOMPARE(s.f->pbJauge->value(), 0);
        QCOMPARE(Compteur, 5 + invalides);
        const QString suite = invalides == 0   ? s.M("Msg03")
                              : invalides == 1 ? s.M("Msg04")
                                               : remplacer(s.M("Msg05"), u"[num]", u"3");
        QCOMPARE(s.f->lblInformations->text(),
                 QString(remplacer(s.M("Msg02"), u"[num]", QString::number(5 + invalides)) + "\r\n\r\n" + suite)
                     .replace("\r\n", "\n"));
        // The commands on the list only with something in it, and none that
        // needs a current entry.
        QCOMPARE(s.commandes(), invalides > 0 ? u"RDNMSTXL FOA epG"_s : u"RDNmstxl FOA epg"_s);
        QCOMPARE(s.f->lstLFI->currentRow(), -1);
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
};

QTEST_MAIN(TstRecherche)
#include "tst_recherche.moc"
