// Start-up, then the main window as the user first meets it, and how it closes.
#include "app/frmParcourir1.h"
#include "app/modDeclarations.h"
#include "app/modSubMain.h"
#include "localisation/LireLangue.h"
#include "platform/Instance.h"
#include "support/Essai.h"
#include "ui/ListeDossiers.h"

namespace {

const QString Francais = QStringLiteral("crv-1.0.7-french.lng");

struct Depart {
    Bac bac;
    InteractionScriptee seam;
    Depart() { bac.preparerProgramme(); }

    std::unique_ptr<frmCorvanel> demarrer(const std::optional<QString> &jeu)
    {
        InstanceUnique instance(bac.chemin(QStringLiteral("verrou.lock")));
        return Main({bac.chemin(QStringLiteral("programme")), jeu}, instance);
    }
    QString langueReglee() { return bac.reglages().lire(QStringLiteral("Options"), QStringLiteral("Langue")); }
    void reglerLangue(const QString &nom)
    {
        bac.reglages().ecrire(QStringLiteral("Options"), QStringLiteral("Langue"), nom);
    }
    // Scripts the folder dialog: `f` drives it and gives exec()'s result.
    void dialogue(const std::function<int(frmParcourir1 &)> &f)
    {
        seam.quandDialogue([f](QDialog &d) { return f(dynamic_cast<frmParcourir1 &>(d)); });
    }
};

} // namespace

class TstDemarrage : public QObject {
    Q_OBJECT

private slots:
    // A language file that is gone gives way to the default, and the
    // setting is written back.
    void demarreSurLeDossierDonne()
    {
        Depart s;
        s.reglerLangue(QStringLiteral("klingon.lng"));
        const QString jeu = s.bac.creerJeu();
        auto f = s.demarrer(jeu);
        QVERIFY(f && f->isVisible());
        QVERIFY(s.seam.messages.isEmpty());
        QCOMPARE(f->txtDossierMSTS->text(), jeu);
        QCOMPARE(NomFichierLangue, Francais);
        QCOMPARE(FichierLangue, s.bac.chemin(QStringLiteral("programme/lang/")) + Francais);
        QCOMPARE(s.langueReglee(), Francais);
        // Qt's own buttons in the language of the file too.
        QCOMPARE(QCoreApplication::translate("QPlatformTheme", "&Yes"), QStringLiteral("&Oui"));
    }

    void aucunFichierDeLangue()
    {
        Depart s;
        QFile::remove(s.bac.chemin(QStringLiteral("programme/lang/")) + Francais);
        s.reglerLangue(QStringLiteral("absent.lng"));
        const QString jeu = s.bac.creerJeu();
        QCOMPARE(codeDeFin([&] { s.demarrer(jeu); }), 1);
        QCOMPARE(s.seam.messages,
                 (QList<Message>{
                     {QString::fromUtf8("Impossible de charger un fichier de langue. Veuillez réinstaller Corvanel."),
                      Boutons::OK, Icone::Critique}}));
        // Nothing written on this path.
        QCOMPARE(s.langueReglee(), QStringLiteral("absent.lng"));
    }

    void dossierDuJeu_data()
    {
        QTest::addColumn<QString>("suffixe");
        QTest::newRow("sans séparateur final") << QString();
        QTest::newRow("avec") << QStringLiteral("/");
        QTest::newRow("doublé") << QStringLiteral("//");
    }

    // One final separator however the folder is given, and the game's
    // folders found whatever their letter case.
    void dossierDuJeu()
    {
        QFETCH(QString, suffixe);
        Depart s;
        for (const char *f : {"Jeu MSTS/Train.EXE", "Jeu MSTS/LAUNCHER.exe", "Jeu MSTS/Trains/Consists/x",
                              "Jeu MSTS/Trains/TrainSet/x"})
            s.bac.ecrire(QString::fromLatin1(f), "MZ");
        QVERIFY(s.demarrer(s.bac.chemin(QStringLiteral("Jeu MSTS")) + suffixe));
        QVERIFY(s.seam.messages.isEmpty());
        QCOMPARE(DossierMSTS, s.bac.chemin(QStringLiteral("Jeu MSTS/")));
        QCOMPARE(DossierConsists, s.bac.chemin(QStringLiteral("Jeu MSTS/Trains/Consists/")));
        QCOMPARE(DossierTrainset, s.bac.chemin(QStringLiteral("Jeu MSTS/Trains/TrainSet/")));
    }

    void dossierRefuseTermine_data()
    {
        QTest::addColumn<int>("maniere"); // -1: No to the question; else how the folder dialog is left
        QTest::newRow("Non") << -1;
        QTest::newRow("Annuler") << 0;
        QTest::newRow("case de fermeture") << 1;
        QTest::newRow("Échap") << 2;
    }

    // A folder without launcher.exe is no game folder: No to looking for one,
    // or leaving the folder dialog without OK, ends start-up with Error02.
    void dossierRefuseTermine()
    {
        QFETCH(int, maniere);
        Depart s;
        s.bac.ecrire(QStringLiteral("Jeu/train.exe"), "MZ");
        s.seam.repondre(maniere < 0 ? Reponse::Non : Reponse::Oui);
        s.dialogue([maniere](frmParcourir1 &p) {
            maniere == 0   ? QTest::mouseClick(p.cmdAnnuler, Qt::LeftButton)
            : maniere == 1 ? void(p.close())
                           : QTest::keyClick(&p, Qt::Key_Escape);
            return p.result();
        });
        QCOMPARE(codeDeFin([&] { s.demarrer(s.bac.chemin(QStringLiteral("Jeu"))); }), 1);
        QCOMPARE(s.seam.dialoguesMontres, maniere < 0 ? 0 : 1);
        QCOMPARE(s.seam.messages, (QList<Message>{{texte("Errors", "Error01"), Boutons::OuiNon, Icone::Exclamation},
                                                  {texte("Errors", "Error02"), Boutons::OK, Icone::Critique}}));
        if (maniere >= 0) {
            QVERIFY(Annule);
            QCOMPARE(DossierMSTS, QString());
        }
    }

    void dialogueNActiveOKQueSurLeJeu()
    {
        Depart s;
        const QString jeu = s.bac.creerJeu(QStringLiteral("Jeux/MSTS"));
        s.bac.ecrire(QStringLiteral("Demi/train.exe"), "MZ");
        s.seam.repondre(Reponse::Oui);
        QString ok; // OK's state at the root, then in each folder
        s.dialogue([&](frmParcourir1 &p) {
            ok += p.DirListBox->chemin() + u'=' + QChar(u'0' + p.cmdOK->isEnabled());
            for (const char *d : {"Demi", "Jeux/MSTS/TRAINS", "Jeux/MSTS"}) {
                p.DirListBox->definirChemin(s.bac.chemin(QString::fromLatin1(d)));
                ok += QChar(u'0' + p.cmdOK->isEnabled());
            }
            QTest::keyClick(p.cmdOK, Qt::Key_Return);
            return p.result();
        });
        QVERIFY(s.demarrer(s.bac.chemin(QStringLiteral("nulle-part"))));
        QCOMPARE(ok, QStringLiteral("/=0001"));
        QCOMPARE(s.seam.messages.size(), 1); // Error01 only
        QVERIFY(!Annule);
        QCOMPARE(DossierMSTS, jeu);
        QCOMPARE(s.bac.reglages().lire(QStringLiteral("Options"), QStringLiteral("DossierJeu")), jeu);
        QCOMPARE(DossierConsists, jeu + QStringLiteral("TRAINS/CONSISTS/"));
    }

    void dossierRetenu_data()
    {
        QTest::addColumn<QString>("retenu"); // the folder the setting holds
        QTest::newRow("le jeu, sans registre") << "MSTS";
        QTest::newRow("plus que train.exe: Error01, Non, la fin") << "Demi";
    }

    // Without a registry value, the folder last chosen is used while it still
    // holds the game.
    void dossierRetenu()
    {
        QFETCH(QString, retenu);
        Depart s;
        const QString jeu = s.bac.creerJeu();
        s.bac.ecrire(QStringLiteral("Demi/TRAIN.EXE"), "MZ");
        s.bac.reglages().ecrire(QStringLiteral("Options"), QStringLiteral("DossierJeu"), s.bac.chemin(retenu));
        DossierMSTS.clear();
        QCOMPARE(codeDeFin([&] { s.demarrer(std::nullopt); }), retenu == u"MSTS" ? -1 : 1);
        if (retenu == u"MSTS")
            QCOMPARE(DossierMSTS, jeu);
    }

    void secondeCopieSeTait()
    {
        Depart s;
        InstanceUnique premiere(s.bac.chemin(QStringLiteral("verrou.lock")));
        QVERIFY(premiere.acquerir());
        QVERIFY(!s.demarrer(s.bac.creerJeu()));
        QVERIFY(s.seam.messages.isEmpty());
        QVERIFY(!QFile::exists(s.bac.fichierReglages()));
    }

    void premierEtat_data()
    {
        // legende: a longer search caption put in; empty: as shipped
        colonnes<QString, QByteArray>("langue", "legende");
        QTest::newRow("français") << QStringLiteral("crv-1.0.7-french.lng") << QByteArray();
        QTest::newRow("anglais") << QStringLiteral("crv-1.0.7-english.lng") << QByteArray();
        QTest::newRow("traduction longue")
            << QStringLiteral("crv-1.0.7-english.lng") << QByteArray("&Search for every invalid consist now");
    }

    void premierEtat()
    {
        auto [langue, legende] = donnees<QString, QByteArray>("langue", "legende");
        SceneFenetre s(langue);
        frmCorvanel &f = *s.f;
        if (!legende.isEmpty()) {
            QByteArray contenu = Bac::lire(FichierLangue);
            const qsizetype debut = contenu.indexOf("Button01=") + 9;
            contenu.replace(debut, contenu.indexOf('\r', debut) - debut, legende);
            const int largeur = f.width();
            TraduireFenetrePrincipale(f, s.bac.ecrire(QStringLiteral("long.lng"), contenu));
            QCOMPARE(f.cmdRechercher->text(), QString::fromLatin1(legende));
            // The whole window grew rather than the button alone.
            QVERIFY(f.width() > largeur);
        }
        QVERIFY(!f.windowIcon().isNull());
        // Only search, report and clean-up, with the menus and their free items.
        QCOMPARE(s.commandes(), QStringLiteral("RDNmstxl FOA epg"));
        // Fixed size; no caption is clipped by its control.
        QCOMPARE(f.minimumSize(), f.maximumSize());
        for (QPushButton *b : f.findChildren<QPushButton *>())
            QVERIFY2(b->fontMetrics().horizontalAdvance(QString(b->text()).remove(u'&')) < b->width(),
                     qPrintable(b->text()));
    }

    void positionGardeeSelonDemarrage_data()
    {
        colonnes<QString, bool>("demarrage", "garde");
        QTest::newRow("absent") << QString() << false;
        QTest::newRow("False") << QStringLiteral("False") << true;
        QTest::newRow("false") << QStringLiteral("false") << true;
        QTest::newRow("0") << QStringLiteral("0") << true;
        QTest::newRow("-1") << QStringLiteral("-1") << false;
        QTest::newRow("pas un booléen") << QStringLiteral("peut-être") << false;
    }

    void positionGardeeSelonDemarrage()
    {
        auto [demarrage, garde] = donnees<QString, bool>("demarrage", "garde");
        SceneFenetre s;
        Reglages &r = s.bac.reglages();
        if (!demarrage.isNull())
            r.ecrire(QStringLiteral("Options"), QStringLiteral("Demarrage"), demarrage);
        frmCorvanel &f = *s.f;
        f.move(40, 30);
        // A command is running while the bar is off 0: the close is refused,
        // yet the position is kept all the same.
        f.pbJauge->setRange(0, 10);
        f.pbJauge->setValue(3);
        QVERIFY(!f.close() && f.isVisible());
        const auto haut = r.lireSiPresent("Fenetre", "Top"), gauche = r.lireSiPresent("Fenetre", "Left");
        QCOMPARE(QPoint(gauche.value_or("-1").toInt(), haut.value_or("-1").toInt()),
                 garde ? f.frameGeometry().topLeft() * 15 : QPoint(-1, -1));
        // "Demarrage" itself is never written.
        QCOMPARE(r.lireSiPresent(QStringLiteral("Options"), QStringLiteral("Demarrage")).has_value(),
                 !demarrage.isNull());
        f.pbJauge->setValue(0);
        QVERIFY(f.close() && !f.isVisible());
        QVERIFY(s.seam.messages.isEmpty());
    }

    void raccourcisHorsDAtteinteMenuDesactive()
    {
        SceneFenetre s;
        frmCorvanel &f = *s.f;
        QVERIFY(QTest::qWaitForWindowExposed(&f));
        // While a scan or a clean-up runs the File menu is disabled: Ctrl+Q
        // must not end the program then.
        frmCorvanel::activerMenu(f.mnuFichier, false);
        QCOMPARE(codeDeFin([&] { QTest::keyClick(&f, Qt::Key_Q, Qt::ControlModifier); }), -1);
        // Quitting ends at once: no closing step, no position kept.
        s.bac.reglages().ecrire(QStringLiteral("Options"), QStringLiteral("Demarrage"), QStringLiteral("False"));
        frmCorvanel::activerMenu(f.mnuFichier, true);
        QCOMPARE(codeDeFin([&] { QTest::keyClick(&f, Qt::Key_Q, Qt::ControlModifier); }), 0);
        QVERIFY(!s.bac.reglages().lireSiPresent(QStringLiteral("Fenetre"), QStringLiteral("Top")));
    }

    void selectionEtEntreeCourante()
    {
        SceneFenetre s;
        s.lister({QStringLiteral("a.con"), QStringLiteral("b.con"), QStringLiteral("c.con")});
        QListWidget *l = s.f->lstLFI;
        // Selected count, current row, and the items that follow the current entry.
        const auto etat = [&] {
            return QStringLiteral("%1 %2 ").arg(l->selectedItems().size()).arg(l->currentRow()) +
                   s.commandes().right(3);
        };
        for (int i : {1, 2}) // a second click on another entry keeps the first selected
            QTest::mouseClick(l->viewport(), Qt::LeftButton, {}, l->visualItemRect(l->item(i)).center());
        QCOMPARE(etat(), QStringLiteral("2 2 EPg"));
        s.f->cmdSelectionner_Click(0);
        QCOMPARE(etat(), QStringLiteral("3 -1 epg"));
        s.f->cmdSelectionner_Click(1);
        QCOMPARE(etat(), QStringLiteral("0 -1 epg"));
        // Emptying the list from code leaves no current entry and the items off.
        l->setCurrentRow(0);
        QCOMPARE(etat(), QStringLiteral("1 0 EPg"));
        l->clear();
        QCOMPARE(etat(), QStringLiteral("0 -1 epg"));
    }
};

QTEST_MAIN(TstDemarrage)
#include "tst_demarrage.moc"
