// The detailed report window on a real game folder, and what the user saves
// from it and from the main window, byte for byte.
#include "analysis/Analyse.h"
#include "analysis/Ecriture.h"
#include "analysis/frmRapportDetaille.h"
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
    bool enTexte(const QByteArray &vu, const QByteArray &lignes) const
    {
        const QLocale l = QLocale::system();
        for (const QDateTime &t : {avant, QDateTime::currentDateTime()})
            if (vu == "Corvanel - Consists invalides\r\nCr\xe9\xe9 le " +
                          l.toString(t.date(), QLocale::ShortFormat).toLatin1() + " \xe0 " +
                          l.toString(t.time(), QLocale::ShortFormat).toLatin1() + "\r\n" + QByteArray(62, '-') +
                          "\r\n \r\n" + lignes)
                return true;
        return false;
    }
    QDateTime avant;
};

} // namespace

class TstRapport : public QObject {
    Q_OBJECT

private slots:
    void grille_data()
    {
        colonnes<QStringList, QByteArrayList, QStringList>("noms", "contenus", "attendu");

        // Line 5 cannot be taken apart, line 8 names a missing wagon (quoted
        // folder); the other lines give nothing.
        QTest::newRow("ligne illisible, ligne absente")
            << QStringList{"c.con"}
            << QByteArrayList{consist(
                   {"UiD ( 1 )", "EngineData ( Loco1 )", "UiD ( 2 )", Present, "WagonData ( Gone \"Set B\" )"})}
            << QStringList{"c.con|Ligne 5 illisible|Ligne 5 illisible", "c.con|\"Set B\"|\"Gone.wag\""};
        // The game's listing order, only names ending in ".con" (in any
        // letter case, shown as on disk), UTF-16 read
        // as well as ANSI; a missing wagon is one row for each consist naming
        // it, however often, and two missing from one folder are two rows.
        const QByteArray absent = consist({Absent});
        QTest::newRow("doublons, ordre, autres fichiers")
            << QStringList{"b.con", "A.con", "notes.txt", "C.CON", "a.con.bak"}
            << QByteArrayList{consist({Loco, Absent, Absent, "WagonData ( W2 SetA )", Absent}),
                              consist({Loco, Absent}, true), absent, absent, absent}
            << QStringList{"A.con|\"SetA\"|\"W1.wag\"", "b.con|\"SetA\"|\"W1.wag\"", "b.con|\"SetA\"|\"W2.wag\"",
                           "C.CON|\"SetA\"|\"W1.wag\""};
    }

    void grille()
    {
        auto [noms, contenus, attendu] =
            donnees<QStringList, QByteArrayList, QStringList>("noms", "contenus", "attendu");
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
        QCOMPARE(exporter(u"rapport.csv"_s), QString(rangees).replace(u'|', u',').toLatin1());
        const QByteArray texte = QString(rangees).replace(u"|"_s, u"\t|\t"_s).toLatin1();
        QVERIFY(s.enTexte(exporter(u"rapport.CSV"_s), texte));
        QVERIFY(s.enTexte(exporter(u"sortie.csv/rapport"_s), texte));
    }

    // The report window: it cannot be closed during a refresh, events being
    // let through at every line whatever the machine's speed; a double click
    // or Enter on a consist opens it; a refresh that finds nothing empties it.
    void fenetre()
    {
        Scene s;
        s.bac.reglages().ecrire(u"Options"_s, u"Editeur"_s, s.bac.ecrire(u"bin/editeur"_s, "#!/bin/sh\n"));
        Cadence::definirIntervalle(0);
        const QByteArray petit = consist({Present, Absent});
        for (int i = 0; i < 60; ++i)
            s.ecrireConsist(u"Mon train %1.con"_s.arg(i, 2, 10, QChar(u'0')), petit);

        frmRapportDetaille r;
        r.show();
        QVERIFY(QTest::qWaitForWindowExposed(&r));
        int essais = 0;
        // From the first step, before the bar moves.
        s.seam.pendantEvenements = [&] {
            ++essais;
            QVERIFY(!r.close());
            QTest::keyClick(&r, Qt::Key_Escape);
            QVERIFY(r.isVisible() && !r.cmdFermer->isEnabled());
        };
        r.cmdActualiser_Click();
        s.seam.pendantEvenements = nullptr;
        Cadence::definirIntervalle(-1);
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
        Scene s;
        // Every entry of the list is written, selected or not; names the code
        // page cannot hold get "?" for those characters. An existing file is
        // replaced from its first line, never unasked.
        s.lister({u"a.con"_s, u"b b.con"_s, u"Łódź.con"_s, u"€uro.con"_s}, {0});
        const QByteArray vu = s.enregistrer(s.bac.ecrire(u"sortie/liste.txt"_s, QByteArray(4000, 'x')),
                                            [&] { s.f->mnuEnregistrerListe_Click(); });
        QVERIFY2(s.enTexte(vu, "a.con\r\nb b.con\r\n?\xf3"
                               "d?.con\r\n\x80uro.con\r\n"),
                 vu.constData());
        QVERIFY(s.seam.choixDemandes.last().confirmerEcrasement && s.seam.messages.isEmpty());
        QCOMPARE(pointeurActuel(), Pointeur::ParDefaut);
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
