// The scan from the main window and the detailed report window, on real game
// folders, and what the user saves from them, byte for byte.
#include "analysis/Analyse.h"
#include "analysis/Ecriture.h"
#include "analysis/frmRapportDetaille.h"
#include "app/Demo.h"
#include "app/modSubMain.h"
#include "platform/Chemins.h"
#include "support/Essai.h"
#include "ui/InteractionQt.h"
#include "ui/Pointeur.h"

namespace {

const QString Loco = u"EngineData ( Loco1 SetA )"_s;
const QString Absent = u"WagonData ( W1 SetA )"_s;
const QString Present = u"WagonData ( Hopper SetA )"_s;

// A French game whose trainset holds Loco1.eng and Hopper.wag in SetA.
struct Scene : SceneFenetre {
    Scene()
    {
        ecrireVehicule(u"SetA/Loco1.eng"_s);
        ecrireVehicule(u"SetA/Hopper.wag"_s);
    }
    // Saves through `commande` to `cible` and gives back what was written.
    QByteArray enregistrer(const QString &cible, const std::function<void()> &commande)
    {
        QDir().mkpath(QFileInfo(cible).absolutePath());
        seam.choisirFichier(cible);
        avant = QDateTime::currentDateTime();
        commande();
        return Bac::lire(cible);
    }
    // A saved list: its head dated as the regional settings write it, then
    // the rows; the minute may turn during the save, so both ends are tried.
    // In Windows-1252 (Latin-1 here), or UTF-8 with its byte-order mark.
    bool enTexte(const QByteArray &vu, const QString &lignes, bool utf8 = false) const
    {
        const QLocale l;
        for (const QDateTime &t : {avant, QDateTime::currentDateTime()}) {
            const QString attendu =
                u"Corvanel - Consists invalides\r\nCréé le "_s + l.toString(t.date(), QLocale::ShortFormat) + u" à "_s +
                l.toString(t.time(), QLocale::ShortFormat) + u"\r\n"_s + QString(62, u'-') + u"\r\n \r\n"_s + lignes;
            if (vu == (utf8 ? "\xEF\xBB\xBF" + attendu.toUtf8() : attendu.toLatin1()))
                return true;
        }
        return false;
    }
    QDateTime avant;
};

} // namespace

class TstRapport : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { Cadence::definirIntervalle(0); }

    void dossierDemo()
    {
        // The demo's own list of expected results is the ground truth.
        SceneFenetre s;
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
        SceneFenetre s;
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
        for (const auto &[nom, n] : {std::pair{"aucun", 0}, {"un", 1}, {"plusieurs", 3}})
            QTest::newRow(nom) << n;
    }

    // The summary and the commands after a scan. The bar runs over every
    // file of the folder, folders aside; only consists are examined. While it
    // runs the commands and the close are held back.
    void resumesEtEtatDesCommandes()
    {
        QFETCH(int, invalides);
        SceneFenetre s;
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

    void grille_data()
    {
        // csv: the CSV export when it is not the grid's rows joined by commas in Windows-1252
        colonnes<QStringList, QByteArrayList, QStringList, QByteArray>("noms", "contenus", "attendu", "csv");

        // Line 5 cannot be taken apart, line 8 names a missing wagon (quoted
        // folder); the other lines give nothing.
        QTest::newRow("ligne illisible, ligne absente")
            << QStringList{"c.con"}
            << QByteArrayList{consist(
                   {"UiD ( 1 )", "EngineData ( Loco1 )", "UiD ( 2 )", Present, "WagonData ( Gone \"Set B\" )"})}
            << QStringList{"c.con|Ligne 5 illisible|Ligne 5 illisible", "c.con|\"Set B\"|\"Gone.wag\""} << QByteArray();
        // The game's listing order, only names ending in ".con" (any letter case,
        // shown as on disk), UTF-16 as well as ANSI; a missing wagon is one row
        // per consist naming it, however often; two missing from one folder, two.
        const QByteArray absent = consist({Absent});
        QTest::newRow("doublons, ordre, autres fichiers")
            << QStringList{"b.con", "A.con", "notes.txt", "C.CON", "a.con.bak"}
            << QByteArrayList{consist({Loco, Absent, Absent, "WagonData ( W2 SetA )", Absent}),
                              consist({Loco, Absent}, true), absent, absent, absent}
            << QStringList{"A.con|\"SetA\"|\"W1.wag\"", "b.con|\"SetA\"|\"W1.wag\"", "b.con|\"SetA\"|\"W2.wag\"",
                           "C.CON|\"SetA\"|\"W1.wag\""}
            << QByteArray();
        // A name holding a comma or a quote stays one CSV field (RFC 4180);
        // one the code page cannot hold makes the file UTF-8, mark first.
        QTest::newRow("virgule et guillemet") << QStringList{"BR 218, \"DB\".con"} << QByteArrayList{absent}
                                              << QStringList{"BR 218, \"DB\".con|\"SetA\"|\"W1.wag\""}
                                              << QByteArray("\"BR 218, \"\"DB\"\".con\",\"SetA\",\"W1.wag\"\r\n");
        QTest::newRow("hors de la page de code")
            << QStringList{"Pociąg Łódź.con"} << QByteArrayList{absent}
            << QStringList{"Pociąg Łódź.con|\"SetA\"|\"W1.wag\""}
            << "\xEF\xBB\xBF" + u"Pociąg Łódź.con,\"SetA\",\"W1.wag\"\r\n"_s.toUtf8();
    }

    void grille()
    {
        auto [noms, contenus, attendu, csv] =
            donnees<QStringList, QByteArrayList, QStringList, QByteArray>("noms", "contenus", "attendu", "csv");
        Scene s;
        for (qsizetype i = 0; i < noms.size(); ++i)
            s.ecrireConsist(noms[i], contenus[i]);

        frmRapportDetaille r;
        r.cmdActualiser_Click();
        r.cmdActualiser_Click(); // starts over: the same faults, not twice
        const QAbstractItemModel *m = r.MSHFlexGrid->model();
        QStringList lignes;
        for (int i = 0; i < m->rowCount(); ++i)
            lignes << m->index(i, 0).data().toString() + u'|' + m->index(i, 1).data().toString() + u'|' +
                          m->index(i, 2).data().toString();
        QCOMPARE(lignes, attendu);
        QVERIFY(r.cmdEnregistrer->isEnabled() && s.seam.messages.isEmpty());

        // Saved as shown: CSV, or the text layout for a name not ending in
        // ".csv" (letter case counts, and only the file's own name).
        const auto exporter = [&](const QString &nom) {
            return s.enregistrer(s.bac.chemin(nom), [&] { QTest::mouseClick(r.cmdEnregistrer, Qt::LeftButton); });
        };
        const QString rangees = attendu.join(u"\r\n") + u"\r\n"_s;
        QCOMPARE(exporter(u"rapport.csv"_s), csv.isNull() ? QString(rangees).replace(u'|', u',').toLatin1() : csv);
        const QString texte = QString(rangees).replace(u"|"_s, u"\t|\t"_s);
        const bool utf8 = csv.startsWith("\xEF\xBB\xBF");
        QVERIFY(s.enTexte(exporter(u"rapport.CSV"_s), texte, utf8));
        QVERIFY(s.enTexte(exporter(u"sortie.csv/rapport"_s), texte, utf8));
    }

    // The report window: it cannot be closed during a refresh, events being
    // let through at every line whatever the machine's speed; a double click
    // or Enter on a consist opens it; a refresh that finds nothing empties it.
    void fenetre()
    {
        Scene s;
        s.bac.reglages().ecrire(u"Options"_s, u"Editeur"_s, s.bac.ecrire(u"bin/editeur"_s, "#!/bin/sh\n"));
        const QByteArray petit = consist({Present, Absent});
        for (int i = 0; i < 60; ++i)
            s.ecrireConsist(u"Mon train %1.con"_s.arg(i, 2, 10, QChar(u'0')), petit);

        frmRapportDetaille r;
        // From the first step, before the bar moves.
        const int essais = s.essaisDeFermeture(r, *r.cmdFermer, [&] { r.cmdActualiser_Click(); });
        QVERIFY(essais > 0);
        QCOMPARE(r.MSHFlexGrid->model()->rowCount(), 60);
        QCOMPARE(pointeurActuel(), Pointeur::ParDefaut);

        QTableView *g = r.MSHFlexGrid;
        // The events of a real double click; only the consist column opens it.
        const auto doubleClic = [g](int colonne) {
            const QPoint p = g->visualRect(g->model()->index(0, colonne)).center();
            QTest::mouseClick(g->viewport(), Qt::LeftButton, {}, p);
            QTest::mouseDClick(g->viewport(), Qt::LeftButton, {}, p);
            QTest::mouseRelease(g->viewport(), Qt::LeftButton, {}, p);
        };
        doubleClic(2);
        QVERIFY(s.seam.demarrages.isEmpty());
        doubleClic(0);
        QCOMPARE(s.seam.demarrages.size(), 1);
        QCOMPARE(s.seam.demarrages[0].arguments, QStringList{DossierConsists + u"Mon train 00.con"_s});
        QTest::keyClick(g, Qt::Key_Return);
        QCOMPARE(s.seam.demarrages.size(), 2);

        // The wagon is put back: the next refresh empties the report, header
        // and all.
        s.ecrireVehicule(u"SetA/W1.wag"_s);
        r.cmdActualiser_Click();
        QCOMPARE(r.MSHFlexGrid->model()->columnCount(), 0);
        QVERIFY(!r.cmdEnregistrer->isEnabled());
        QVERIFY(r.close());
    }

    // The list saved, byte for byte.
    void enregistrerLaListe()
    {
        // Every entry is written, selected or not, in Windows-1252 while it
        // holds every name (the euro sign is its byte 0x80), else in UTF-8 with
        // its mark. An existing file is replaced from its first line, never unasked.
        for (const bool utf8 : {false, true}) {
            Scene s;
            const QStringList noms{u"a.con"_s, utf8 ? u"Łódź.con"_s : u"b b.con"_s, u"€uro.con"_s};
            s.lister(noms, {0});
            QByteArray vu = s.enregistrer(s.bac.ecrire(u"sortie/liste.txt"_s, QByteArray(4000, 'x')),
                                          [&] { s.f->mnuEnregistrerListe_Click(); });
            QString lignes = noms.join(u"\r\n") + u"\r\n"_s;
            if (!utf8) { // Latin-1 has no euro sign: compared as "?"
                QVERIFY(vu.endsWith("\r\n\x80uro.con\r\n"));
                vu.replace('\x80', '?');
                lignes.replace(u'€', u'?');
            }
            QVERIFY2(s.enTexte(vu, lignes, utf8), vu.constData());
            QVERIFY(s.seam.choixDemandes.last().confirmerEcrasement && s.seam.messages.isEmpty());
            QCOMPARE(pointeurActuel(), Pointeur::ParDefaut);
        }
    }

    // The save dialogs' file types speak the window's language; an older
    // language file without them borrows the default file's.
    void typesDeFichiers()
    {
        for (const bool ancien : {false, true}) {
            SceneFenetre s(u"crv-1.0.7-english.lng"_s);
            if (ancien) // the English file as it was before the file types had keys of their own
                s.bac.ecrire(u"programme/lang/crv-1.0.7-english.lng"_s,
                             Bac::lire(FichierLangue).replace("\r\n[Filter]\r\n", "\r\n[Ancien]\r\n"));
            s.lister({u"a.con"_s});
            s.f->mnuEnregistrerListe_Click();
            frmRapportDetaille r;
            r.cmdEnregistrer_Click();
            QCOMPARE(s.seam.choixDemandes.size(), 2);
            QCOMPARE(s.seam.choixDemandes[0].filtre, ancien
                                                         ? u"Fichier texte (*.txt)|*.txt|Tous les fichiers (*.*)|*.*"_s
                                                         : u"Text file (*.txt)|*.txt|All files (*.*)|*.*"_s);
            QVERIFY(
                s.seam.choixDemandes[1].filtre.startsWith(ancien ? u"Fichier CSV (*.csv)"_s : u"CSV file (*.csv)"_s));
            QVERIFY(s.seam.messages.isEmpty());
        }
    }

    void dialogueEnregistrement_data()
    {
        // filtre: CSV, text, all files; attendu: empty: refused, the dialog open
        colonnes<int, QString, QString>("filtre", "saisie", "attendu");
        QTest::newRow("CSV choisi, nom nu") << 0 << u"rapport"_s << u"rapport.csv"_s;
        QTest::newRow("texte choisi, nom nu") << 1 << u"rapport"_s << u"rapport.txt"_s;
        QTest::newRow("tous les fichiers, nom nu") << 2 << u"rapport"_s << u"rapport.txt"_s;
        QTest::newRow("extension tapée gardée") << 0 << u"rapport.txt"_s << u"rapport.txt"_s;
        QTest::newRow("fichier en lecture seule") << 1 << "protege" << QString();
        QTest::newRow("dossier où rien ne s'écrit") << 0 << "interdit/rapport" << QString();
    }

    // The save dialog itself, as its Save button drives it.
    void dialogueEnregistrement()
    {
        auto [filtre, saisie, attendu] = donnees<int, QString, QString>("filtre", "saisie", "attendu");
        Scene s;
        QVERIFY(QFile::setPermissions(s.bac.ecrire(u"protege.txt"_s), QFile::ReadOwner));
        sf::injecterPanne(sf::Operation::Ecriture, s.bac.creerDossier(u"interdit"_s), EROFS);
        const auto d =
            dialogueFichier(choixEnregistrement(QStringLiteral(
                                "Fichier CSV (*.csv)|*.csv|Fichier texte (*.txt)|*.txt|Tous les fichiers (*.*)|*.*")),
                            true);
        d->selectNameFilter(d->nameFilters().at(filtre));
        d->selectFile(s.bac.chemin(saisie));
        static_cast<QDialog &>(*d).accept();
        sf::retirerPannes();
        QCOMPARE(d->result() == QDialog::Accepted, !attendu.isEmpty());
        QCOMPARE(s.seam.messages.size(), attendu.isEmpty() ? 1 : 0);
        if (!attendu.isEmpty())
            QCOMPARE(d->selectedFiles(), QStringList{s.bac.chemin(attendu)});
    }
};

QTEST_MAIN(TstRapport)
#include "tst_rapport.moc"
