// Start-up, then the main window as the user first meets it, and how it closes.
#include "app/frmParcourir1.h"
#include "app/modSubMain.h"
#include "localisation/LireLangue.h"
#include "platform/Instance.h"
#include "support/Essai.h"
#include "ui/ListeDossiers.h"

namespace {

const QString Francais = u"crv-1.0.7-french.lng"_s;

struct Depart {
    Bac bac;
    InteractionScriptee seam;
    Depart() { bac.preparerProgramme(); }

    std::unique_ptr<frmCorvanel> demarrer(const std::optional<QString> &jeu, const QString &langue = {})
    {
        InstanceUnique instance(bac.chemin(u"verrou.lock"_s));
        return Main({bac.chemin(u"programme"_s), jeu, langue}, instance);
    }
    QString langueReglee() { return bac.reglages().lire(u"Options"_s, u"Langue"_s); }
    void reglerLangue(const QString &nom) { bac.reglages().ecrire(u"Options"_s, u"Langue"_s, nom); }
};

} // namespace

class TstDemarrage : public QObject {
    Q_OBJECT

private slots:
    void aucunFichierDeLangue()
    {
        Depart s;
        QFile::remove(s.bac.chemin(u"programme/lang/"_s) + Francais);
        s.reglerLangue(u"absent.lng"_s);
        const QString jeu = s.bac.creerJeu();
        QCOMPARE(codeDeFin([&] { s.demarrer(jeu); }), 1);
        QCOMPARE(s.seam.messages,
                 (QList<Message>{{u"Impossible de charger un fichier de langue. Veuillez réinstaller Corvanel."_s,
                                  Boutons::OK, Icone::Critique}}));
        // Nothing written on this path.
        QCOMPARE(s.langueReglee(), u"absent.lng"_s);
    }

    void dossierDuJeu_data()
    {
        // lancement: --lang
        colonnes<QString, QString>("suffixe", "lancement");
        QTest::newRow("sans séparateur final") << QString() << QString();
        QTest::newRow("avec") << u"/"_s << QString();
        QTest::newRow("doublé") << u"//"_s << QString();
        QTest::newRow("retenu, sans registre") << u"<retenu>"_s << QString();
        // The window's language for this run only: the setting stays as the user left it.
        QTest::newRow("--lang") << u"/"_s << u"crv-1.0.7-english.lng"_s;
    }

    // One final separator however the folder is given, and the game's folders
    // found whatever their letter case; without one given nor a registry value,
    // the folder last chosen while it still holds the game. A language file
    // that is gone gives way to the default, and the setting is written back.
    void dossierDuJeu()
    {
        auto [suffixe, lancement] = donnees<QString, QString>("suffixe", "lancement");
        Depart s;
        s.reglerLangue(u"klingon.lng"_s);
        for (const char *f : {"Jeu MSTS/Train.EXE", "Jeu MSTS/LAUNCHER.exe", "Jeu MSTS/Trains/Consists/x",
                              "Jeu MSTS/Trains/TrainSet/x"})
            s.bac.ecrire(QString::fromLatin1(f), "MZ");
        const bool retenu = suffixe == u"<retenu>";
        if (retenu)
            s.bac.reglages().ecrire(u"Options"_s, u"DossierJeu"_s, s.bac.chemin(u"Jeu MSTS"_s));
        const auto f =
            s.demarrer(retenu ? std::nullopt : std::optional(s.bac.chemin(u"Jeu MSTS"_s) + suffixe), lancement);
        QVERIFY(f && f->isVisible());
        QVERIFY(s.seam.messages.isEmpty());
        QCOMPARE(DossierMSTS, s.bac.chemin(u"Jeu MSTS/"_s));
        QCOMPARE(f->txtDossierMSTS->text(), DossierMSTS);
        QCOMPARE(DossierConsists, s.bac.chemin(u"Jeu MSTS/Trains/Consists/"_s));
        QCOMPARE(DossierTrainset, s.bac.chemin(u"Jeu MSTS/Trains/TrainSet/"_s));
        const bool anglais = !lancement.isEmpty();
        QCOMPARE(NomFichierLangue, anglais ? lancement : Francais);
        QCOMPARE(FichierLangue, s.bac.chemin(u"programme/lang/"_s) + NomFichierLangue);
        QCOMPARE(s.langueReglee(), anglais ? u"klingon.lng"_s : Francais);
        QCOMPARE(f->cmdRechercher->text(), anglais ? u"&Search"_s : u"&Rechercher"_s);
        // Qt's own buttons in the language of the file too.
        QCOMPARE(QCoreApplication::translate("QPlatformTheme", "&Yes"), anglais ? u"&Yes"_s : u"&Oui"_s);
    }

    void dossierDemande_data()
    {
        // maniere: -1: No to the question, -2: the same for the folder last chosen; else how the folder dialog is
        // left: 0 Cancel, 1 its close box, 2 Escape, 3 OK on the game
        QTest::addColumn<int>("maniere");
        QTest::newRow("Non") << -1;
        QTest::newRow("dossier retenu, Non") << -2;
        QTest::newRow("Annuler") << 0;
        QTest::newRow("case de fermeture") << 1;
        QTest::newRow("Échap") << 2;
        QTest::newRow("OK sur le jeu") << 3;
    }

    // A folder without launcher.exe is no game folder: Error01 (Error60, naming it, for a folder given) asks whether
    // to look for one. No, or leaving the folder dialog without OK, ends start-up with Error02. The dialog enables OK
    // on a game folder only; the one taken is used and remembered.
    void dossierDemande()
    {
        QFETCH(int, maniere);
        Depart s;
        s.bac.ecrire(u"Jeu/train.exe"_s, "MZ");
        const QString jeu = s.bac.creerJeu(u"Jeux/MSTS"_s);
        if (maniere == -2)
            s.bac.reglages().ecrire(u"Options"_s, u"DossierJeu"_s, s.bac.chemin(u"Jeu"_s));
        s.seam.repondre(maniere < 0 ? Reponse::Non : Reponse::Oui);
        QString ok; // OK's state where the dialog opens, then in each folder
        s.seam.quand<frmParcourir1>([&](frmParcourir1 &p) {
            ok += p.DirListBox->chemin() + u'=' + QChar(u'0' + p.cmdOK->isEnabled());
            for (const char *d : {"Jeu", "Jeux/MSTS/TRAINS", "Jeux/MSTS"}) {
                p.DirListBox->definirChemin(s.bac.chemin(QString::fromLatin1(d)));
                ok += QChar(u'0' + p.cmdOK->isEnabled());
            }
            maniere == 0   ? QTest::mouseClick(p.cmdAnnuler, Qt::LeftButton)
            : maniere == 1 ? void(p.close())
            : maniere == 2 ? QTest::keyClick(&p, Qt::Key_Escape)
                           : QTest::keyClick(p.cmdOK, Qt::Key_Return);
        });
        QCOMPARE(codeDeFin([&] { s.demarrer(maniere == -2 ? std::nullopt : std::optional(s.bac.chemin(u"Jeu"_s))); }),
                 maniere == 3 ? -1 : 1);
        QCOMPARE(ok, maniere < 0 ? QString() : u"/=0001"_s);
        // A folder given on the command line is named in the question.
        const QString question = maniere == -2
                                     ? texte("Errors", "Error01")
                                     : texte("Errors", "Error60").replace(u"[folder]"_s, s.bac.chemin(u"Jeu"_s));
        QList<Message> attendus{{question, Boutons::OuiNon, Icone::Exclamation},
                                {texte("Errors", "Error02"), Boutons::OK, Icone::Critique}};
        QCOMPARE(s.seam.messages, maniere == 3 ? attendus.first(1) : attendus);
        QCOMPARE(Annule, maniere >= 0 && maniere < 3);
        if (maniere >= 0)
            QCOMPARE(DossierMSTS, maniere == 3 ? jeu : QString());
        if (maniere == 3) {
            QCOMPARE(s.bac.reglages().lire(u"Options"_s, u"DossierJeu"_s), jeu);
            QCOMPARE(DossierConsists, jeu + u"TRAINS/CONSISTS/"_s);
        }
    }

    void secondeCopieSeTait()
    {
        Depart s;
        InstanceUnique premiere(s.bac.chemin(u"verrou.lock"_s));
        QVERIFY(premiere.acquerir());
        QVERIFY(!s.demarrer(s.bac.creerJeu()));
        QVERIFY(s.seam.messages.isEmpty());
        QVERIFY(!QFile::exists(s.bac.fichierReglages()));
    }

    void premierEtat_data()
    {
        // legende: a longer search caption put in; empty: as shipped
        colonnes<QString, QByteArray>("langue", "legende");
        QTest::newRow("français") << u"crv-1.0.7-french.lng"_s << QByteArray();
        QTest::newRow("anglais") << u"crv-1.0.7-english.lng"_s << QByteArray();
        QTest::newRow("traduction longue")
            << u"crv-1.0.7-english.lng"_s << QByteArray("&Search for every invalid consist now");
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
            TraduireFenetrePrincipale(f, s.bac.ecrire(u"long.lng"_s, contenu));
            QCOMPARE(f.cmdRechercher->text(), QString::fromLatin1(legende));
            // The whole window grew rather than the button alone.
            QVERIFY(f.width() > largeur);
        }
        QVERIFY(!f.windowIcon().isNull());
        // Only search, report and clean-up, with the menus and their free items.
        QCOMPARE(s.commandes(), u"RDNmstxl FOA epg"_s);
        // Opens at its designed size, no caption clipped by its control; made
        // larger, the list takes the room and the commands keep their size
        // at the right edge.
        QCOMPARE(f.size(), f.minimumSizeHint());
        for (QPushButton *b : f.findChildren<QPushButton *>())
            QVERIFY2(b->fontMetrics().horizontalAdvance(QString(b->text()).remove(u'&')) < b->width(),
                     qPrintable(b->text()));
        const QSize liste = f.lstLFI->size(), bouton = f.cmdRechercher->size();
        const int marge = f.centralWidget()->width() - f.pbJauge->geometry().right();
        const int sousLesBoutons = f.lstLFI->parentWidget()->height() - f.cmdSelectionner[0]->geometry().bottom();
        f.resize(f.size() + QSize(300, 200));
        QCoreApplication::processEvents();
        QCOMPARE(f.lstLFI->size(), liste + QSize(300, 200));
        QCOMPARE(f.cmdRechercher->size(), bouton);
        QCOMPARE(f.centralWidget()->width() - f.pbJauge->geometry().right(), marge);
        QCOMPARE(f.lstLFI->parentWidget()->height() - f.cmdSelectionner[0]->geometry().bottom(), sousLesBoutons);
        f.resize(f.minimumSizeHint());

        // Then a list: the selected count, the current row, and the items that
        // follow the current entry.
        s.lister({u"a.con"_s, u"b.con"_s, u"c.con"_s});
        QListWidget *l = f.lstLFI;
        const auto etat = [&] {
            return u"%1 %2 "_s.arg(l->selectedItems().size()).arg(l->currentRow()) + s.commandes().right(3);
        };
        for (int i : {1, 2}) // a second click on another entry keeps the first selected
            QTest::mouseClick(l->viewport(), Qt::LeftButton, {}, l->visualItemRect(l->item(i)).center());
        QCOMPARE(etat(), u"2 2 EPg"_s);
        s.f->cmdSelectionner_Click(0);
        QCOMPARE(etat(), u"3 -1 epg"_s);
        s.f->cmdSelectionner_Click(1);
        QCOMPARE(etat(), u"0 -1 epg"_s);
        // Emptying the list from code leaves no current entry and the items off.
        l->setCurrentRow(0);
        QCOMPARE(etat(), u"1 0 EPg"_s);
        l->clear();
        QCOMPARE(etat(), u"0 -1 epg"_s);
    }

    void positionGardeeSelonDemarrage_data()
    {
        colonnes<QString, bool>("demarrage", "garde");
        QTest::newRow("absent") << QString() << false;
        QTest::newRow("False") << u"False"_s << true;
        QTest::newRow("false") << u"false"_s << true;
        QTest::newRow("0") << u"0"_s << true;
        QTest::newRow("-1") << u"-1"_s << false;
        QTest::newRow("pas un booléen") << u"peut-être"_s << false;
    }

    void positionGardeeSelonDemarrage()
    {
        auto [demarrage, garde] = donnees<QString, bool>("demarrage", "garde");
        SceneFenetre s;
        Reglages &r = s.bac.reglages();
        if (!demarrage.isNull())
            r.ecrire(u"Options"_s, u"Demarrage"_s, demarrage);
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
        QCOMPARE(r.lireSiPresent(u"Options"_s, u"Demarrage"_s).has_value(), !demarrage.isNull());
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
        s.bac.reglages().ecrire(u"Options"_s, u"Demarrage"_s, u"False"_s);
        frmCorvanel::activerMenu(f.mnuFichier, true);
        QCOMPARE(codeDeFin([&] { QTest::keyClick(&f, Qt::Key_Q, Qt::ControlModifier); }), 0);
        QVERIFY(!s.bac.reglages().lireSiPresent(u"Fenetre"_s, u"Top"_s));
    }
};

QTEST_MAIN(TstDemarrage)
#include "tst_demarrage.moc"
