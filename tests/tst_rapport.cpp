// The detailed report window on a real game folder: what the grid shows
// after a refresh, the window during one, its two export layouts byte for
// byte, and opening a consist from the grid.
#include "analysis/Analyse.h"
#include "analysis/frmRapportDetaille.h"
#include "app/Texte.h"
#include "app/modDeclarations.h"
#include "localisation/LireLangue.h"
#include "support/Bac.h"
#include "support/InteractionScriptee.h"
#include "ui/Pointeur.h"
#include "ui/frmCorvanel.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QHeaderView>
#include <QLocale>
#include <QProgressBar>
#include <QPushButton>
#include <QTableView>
#include <QtTest>

using namespace corvanel;
using namespace corvanel::test;

class TstRapport : public QObject {
    Q_OBJECT

private slots:
    void grille_data();
    void grille();
    void actualiserRemplaceLeRapport();
    void fenetreNeuveAChaqueOuverture();
    void fermetureRefuseePendantActualisation();
    void dossierConsistsAbsentTermine();
    void ouvrirConsistDepuisLaGrille();
    void exportDispositions_data();
    void exportDispositions();
    void exportEchecOuAnnulation();
};

namespace {

// A consist as the game's editors write it. Its first vehicle line is line 7,
// the next ones every 4 lines.
QString consist(const QStringList &vehicules)
{
    QStringList l = {QStringLiteral("SIMISA@@@@@@@@@@JINX0D0t______"), QString(), QStringLiteral("Train ("),
                     QStringLiteral("\tTrainCfg ( \"Essai\""), QStringLiteral("\t\tName ( \"Essai\" )")};
    for (qsizetype i = 0; i < vehicules.size(); ++i) {
        l << (vehicules[i].contains(u"Engine") ? QStringLiteral("\t\tEngine (") : QStringLiteral("\t\tWagon ("))
          << QStringLiteral("\t\t\t") + vehicules[i] << QStringLiteral("\t\t\tUiD ( %1 )").arg(i)
          << QStringLiteral("\t\t)");
    }
    l << QStringLiteral("\t)") << QStringLiteral(")");
    return l.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n");
}

QByteArray ansi(const QString &texte)
{
    return versAnsi(texte);
}

// UTF-16 LE with its byte-order mark, as the game saves most consists.
QByteArray utf16(const QString &texte)
{
    return QByteArray("\xFF\xFE", 2)
        + QByteArray(reinterpret_cast<const char *>(texte.utf16()), texte.size() * 2);
}

QByteArray lire(const QString &chemin)
{
    QFile f(chemin);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// A French program folder and a game whose trainset holds Loco1.eng and
// Hopper.wag in SetA.
void preparer(Bac &bac)
{
    bac.preparerProgramme();
    bac.utiliserLangue(QStringLiteral("crv-1.0.7-french.lng"));
    Bac::utiliserJeu(bac.creerJeu());
    bac.ecrire(QStringLiteral("MSTS/TRAINS/TRAINSET/SetA/Loco1.eng"), "x");
    bac.ecrire(QStringLiteral("MSTS/TRAINS/TRAINSET/SetA/Hopper.wag"), "x");
}

void ecrireConsist(Bac &bac, const QString &nom, const QByteArray &contenu)
{
    bac.ecrire(QStringLiteral("MSTS/TRAINS/CONSISTS/") + nom, contenu);
}

QStringList lignesGrille(frmRapportDetaille &r)
{
    QStringList lignes;
    const QAbstractItemModel *m = r.MSHFlexGrid->model();
    for (int i = 0; i < m->rowCount(); ++i)
        lignes << m->index(i, 0).data().toString() + u'|' + m->index(i, 1).data().toString() + u'|'
                      + m->index(i, 2).data().toString();
    return lignes;
}

} // namespace

void TstRapport::grille_data()
{
    QTest::addColumn<QStringList>("noms");
    QTest::addColumn<QByteArrayList>("contenus");
    QTest::addColumn<QStringList>("attendu");

    const QString loco = QStringLiteral("EngineData ( Loco1 SetA )");
    const QString absent = QStringLiteral("WagonData ( W1 SetA )");
    const QString present = QStringLiteral("WagonData ( Hopper SetA )");

    QTest::newRow("même wagon absent trois fois") << QStringList{"a.con"}
                                                   << QByteArrayList{ansi(consist({loco, absent, absent, absent}))}
                                                   << QStringList{"a.con|\"SetA\"|\"W1.wag\""};
    QTest::newRow("deux consists, même wagon absent")
        << QStringList{"a.con", "b.con"} << QByteArrayList{ansi(consist({absent})), ansi(consist({loco, absent}))}
        << QStringList{"a.con|\"SetA\"|\"W1.wag\"", "b.con|\"SetA\"|\"W1.wag\""};

    // Line 12 cannot be taken apart, line 20 names a missing wagon; the
    // sound lines between them give nothing.
    QStringList l;
    for (int i = 1; i <= 22; ++i)
        l << QStringLiteral("\t\t\tUiD ( %1 )").arg(i);
    l[11] = QStringLiteral("\t\t\tEngineData ( Loco1 )");
    l[14] = QStringLiteral("\t\t\t") + present;
    l[19] = QStringLiteral("\t\t\tWagonData ( Gone \"Set B\" )");
    QTest::newRow("ligne 12 illisible, ligne 20 absente")
        << QStringList{"c.con"} << QByteArrayList{ansi(l.join(QStringLiteral("\r\n")))}
        << QStringList{"c.con|Ligne 12 illisible|Ligne 12 illisible", "c.con|\"Set B\"|\"Gone.wag\""};

    QTest::newRow("UTF-16 avec marque") << QStringList{"u.con"} << QByteArrayList{utf16(consist({loco, absent}))}
                                        << QStringList{"u.con|\"SetA\"|\"W1.wag\""};
    QTest::newRow("tout est là") << QStringList{"a.con", "b.con"}
                                 << QByteArrayList{ansi(consist({loco, present})), utf16(consist({present}))}
                                 << QStringList{};
    QTest::newRow("une seule ligne") << QStringList{"a.con", "b.con"}
                                     << QByteArrayList{ansi(consist({loco})), ansi(consist({present, absent}))}
                                     << QStringList{"b.con|\"SetA\"|\"W1.wag\""};
    // The game's listing order; only names ending in ".con" are consists.
    QTest::newRow("ordre et autres fichiers")
        << QStringList{"b.con", "A.con", "notes.txt", "C.CON", "a.con.bak"}
        << QByteArrayList{ansi(consist({absent})), ansi(consist({absent})), ansi(consist({absent})),
                          ansi(consist({absent})), ansi(consist({absent}))}
        << QStringList{"A.con|\"SetA\"|\"W1.wag\"", "b.con|\"SetA\"|\"W1.wag\""};
}

void TstRapport::grille()
{
    QFETCH(QStringList, noms);
    QFETCH(QByteArrayList, contenus);
    QFETCH(QStringList, attendu);
    Bac bac;
    InteractionScriptee seam;
    preparer(bac);
    for (qsizetype i = 0; i < noms.size(); ++i)
        ecrireConsist(bac, noms[i], contenus[i]);

    frmRapportDetaille r;
    r.show();
    QTest::mouseClick(r.cmdActualiser, Qt::LeftButton);

    QCOMPARE(lignesGrille(r), attendu);
    const QAbstractItemModel *m = r.MSHFlexGrid->model();
    if (attendu.isEmpty()) {
        // Not even the header row.
        QCOMPARE(m->columnCount(), 0);
        QVERIFY(!r.cmdEnregistrer->isEnabled());
    } else {
        QCOMPARE(m->columnCount(), 3);
        QCOMPARE(m->headerData(0, Qt::Horizontal).toString(), QStringLiteral("Consist"));
        QCOMPARE(m->headerData(1, Qt::Horizontal).toString(), QString::fromUtf8("Dossier du véhicule"));
        QCOMPARE(m->headerData(2, Qt::Horizontal).toString(), QString::fromUtf8("Fichier du véhicule"));
        QVERIFY(r.cmdEnregistrer->isEnabled());
        // A third of the grid each, cells centred.
        const int tiers = r.MSHFlexGrid->viewport()->width() / 3;
        for (int c = 0; c < 3; ++c)
            QVERIFY(qAbs(r.MSHFlexGrid->columnWidth(c) - tiers) <= 1);
        QCOMPARE(m->index(0, 1).data(Qt::TextAlignmentRole).toInt(), int(Qt::AlignCenter));
    }
    QCOMPARE(r.pbJauge->value(), 0);
    QVERIFY(r.cmdActualiser->isEnabled());
    QVERIFY(r.cmdFermer->isEnabled());
    QVERIFY(r.MSHFlexGrid->isEnabled());
    QCOMPARE(pointeurActuel(), Pointeur::ParDefaut);
    QVERIFY(seam.messages.isEmpty());
}

void TstRapport::actualiserRemplaceLeRapport()
{
    Bac bac;
    InteractionScriptee seam;
    preparer(bac);
    ecrireConsist(bac, QStringLiteral("a.con"), ansi(consist({QStringLiteral("WagonData ( W1 SetA )")})));
    frmRapportDetaille r;
    r.cmdActualiser_Click();
    r.cmdActualiser_Click();
    // A second refresh starts over: the same faults, not twice.
    QCOMPARE(lignesGrille(r), QStringList{"a.con|\"SetA\"|\"W1.wag\""});

    // The wagon is put back: the report goes empty, header and all.
    bac.ecrire(QStringLiteral("MSTS/TRAINS/TRAINSET/SetA/W1.wag"), "x");
    r.cmdActualiser_Click();
    QCOMPARE(r.MSHFlexGrid->model()->rowCount(), 0);
    QCOMPARE(r.MSHFlexGrid->model()->columnCount(), 0);
    QVERIFY(!r.cmdEnregistrer->isEnabled());
}

void TstRapport::fenetreNeuveAChaqueOuverture()
{
    Bac bac;
    InteractionScriptee seam;
    preparer(bac);
    ecrireConsist(bac, QStringLiteral("a.con"), ansi(consist({QStringLiteral("WagonData ( W1 SetA )")})));
    frmCorvanel f;
    int lignes = -1;
    seam.quandDialogue([&](QDialog &d) {
        auto &r = dynamic_cast<frmRapportDetaille &>(d);
        // Captions from the language file; nothing shown until asked.
        [&] {
            QCOMPARE(r.windowTitle(), QString::fromUtf8("Rapport détaillé"));
            QCOMPARE(r.cmdActualiser->text(), QStringLiteral("&Actualiser"));
            QCOMPARE(r.cmdEnregistrer->text(), QStringLiteral("&Enregistrer..."));
            QCOMPARE(r.cmdFermer->text(), QStringLiteral("&Fermer"));
            QCOMPARE(r.MSHFlexGrid->model()->columnCount(), 0);
            QVERIFY(!r.cmdEnregistrer->isEnabled());
        }();
        QTest::mouseClick(r.cmdActualiser, Qt::LeftButton);
        lignes = r.MSHFlexGrid->model()->rowCount();
        QTest::mouseClick(r.cmdFermer, Qt::LeftButton);
        return r.result();
    });
    seam.quandDialogue([&](QDialog &d) {
        auto &r = dynamic_cast<frmRapportDetaille &>(d);
        lignes = r.MSHFlexGrid->model()->rowCount() + r.MSHFlexGrid->model()->columnCount()
            + (r.cmdEnregistrer->isEnabled() ? 1 : 0);
        return 0;
    });
    f.cmdRapportDetaille_Click();
    QCOMPARE(lignes, 1);
    f.cmdRapportDetaille_Click();
    QCOMPARE(lignes, 0);
    QCOMPARE(seam.dialoguesMontres, 2);
}

void TstRapport::fermetureRefuseePendantActualisation()
{
    Bac bac;
    InteractionScriptee seam;
    preparer(bac);
    // Events let through at every line, whatever the machine's speed.
    Cadence::definirIntervalle(0);
    const QByteArray petit = ansi(consist({QStringLiteral("WagonData ( Hopper SetA )"), QStringLiteral("WagonData ( W1 SetA )")}));
    for (int i = 0; i < 60; ++i)
        ecrireConsist(bac, QStringLiteral("c%1.con").arg(i, 2, 10, QChar(u'0')), petit);

    frmRapportDetaille r;
    r.show();
    QVERIFY(QTest::qWaitForWindowExposed(&r));
    int essais = 0;
    seam.pendantEvenements = [&] {
        if (r.pbJauge->value() == 0)
            return;
        ++essais;
        QVERIFY(!r.close());
        QTest::keyClick(&r, Qt::Key_Escape);
        QVERIFY(r.isVisible());
        QVERIFY(!r.cmdFermer->isEnabled());
        QVERIFY(!r.cmdActualiser->isEnabled());
        QVERIFY(!r.cmdEnregistrer->isEnabled());
        QVERIFY(!r.MSHFlexGrid->isEnabled());
        QCOMPARE(pointeurActuel(), Pointeur::Sablier);
    };
    r.cmdActualiser_Click();
    seam.pendantEvenements = nullptr;
    Cadence::definirIntervalle(-1);
    QVERIFY(essais > 0);
    QCOMPARE(r.MSHFlexGrid->model()->rowCount(), 60);
    QVERIFY(r.close());
    QVERIFY(!r.isVisible());
}

void TstRapport::dossierConsistsAbsentTermine()
{
    Bac bac;
    InteractionScriptee seam;
    preparer(bac);
    QDir(DossierConsists).removeRecursively();
    frmRapportDetaille r;
    QCOMPARE(codeDeFin([&] { r.cmdActualiser_Click(); }), 1);
    definirPointeur(Pointeur::ParDefaut);
    QCOMPARE(seam.messages.size(), 1);
    QCOMPARE(seam.messages[0].texte,
             QString::fromUtf8("Erreur n° 76. Chemin d'accès introuvable\r\n\r\n"
                               "Si le problème persiste, veuillez contacter l'auteur du programme."));
    QCOMPARE(seam.messages[0].icone, Icone::Critique);
}

void TstRapport::ouvrirConsistDepuisLaGrille()
{
    Bac bac;
    InteractionScriptee seam;
    preparer(bac);
    const QString editeur = bac.ecrire(QStringLiteral("bin/editeur"), "#!/bin/sh\n");
    bac.reglages().ecrire(QStringLiteral("Options"), QStringLiteral("Editeur"), editeur);
    ecrireConsist(bac, QStringLiteral("Mon train.con"), ansi(consist({QStringLiteral("WagonData ( W1 SetA )")})));

    frmRapportDetaille r;
    r.show();
    QVERIFY(QTest::qWaitForWindowExposed(&r));
    r.cmdActualiser_Click();
    QTableView *g = r.MSHFlexGrid;
    // The events of a real double click: press, release, then the second
    // press arriving as a double click, and its release.
    const auto doubleClic = [g](int colonne) {
        const QPoint p = g->visualRect(g->model()->index(0, colonne)).center();
        QTest::mouseClick(g->viewport(), Qt::LeftButton, {}, p);
        QTest::mouseDClick(g->viewport(), Qt::LeftButton, {}, p);
        QTest::mouseRelease(g->viewport(), Qt::LeftButton, {}, p);
    };

    doubleClic(1);
    doubleClic(2);
    QVERIFY(seam.demarrages.isEmpty());
    doubleClic(0);
    QCOMPARE(seam.demarrages.size(), 1);
    QCOMPARE(seam.demarrages[0].programme, editeur);
    QCOMPARE(seam.demarrages[0].arguments, QStringList{DossierConsists + QStringLiteral("Mon train.con")});

    // Enter opens the current cell's consist, and nothing else answers it.
    g->setFocus();
    g->setCurrentIndex(g->model()->index(0, 1));
    QTest::keyClick(g, Qt::Key_Return);
    QCOMPARE(seam.demarrages.size(), 1);
    g->setCurrentIndex(g->model()->index(0, 0));
    QTest::keyClick(g, Qt::Key_Return);
    QCOMPARE(seam.demarrages.size(), 2);
    QVERIFY(seam.choixDemandes.isEmpty());
    QVERIFY(r.isVisible());
    QVERIFY(seam.messages.isEmpty());
}

void TstRapport::exportDispositions_data()
{
    QTest::addColumn<QString>("nom");
    QTest::addColumn<bool>("csv");
    QTest::newRow("csv") << QStringLiteral("rapport.csv") << true;
    QTest::newRow("CSV en capitales") << QStringLiteral("rapport.CSV") << false;
    QTest::newRow("txt") << QStringLiteral("rapport.txt") << false;
    QTest::newRow(".csv puis .txt") << QStringLiteral("rapport.csv.txt") << false;
    QTest::newRow(".txt puis .csv") << QStringLiteral("rapport.txt.csv") << true;
    // Only the file's own name counts, not its folder's.
    QTest::newRow("dossier en .csv") << QStringLiteral("sortie.csv/rapport") << false;
}

void TstRapport::exportDispositions()
{
    QFETCH(QString, nom);
    QFETCH(bool, csv);
    Bac bac;
    InteractionScriptee seam;
    preparer(bac);
    ecrireConsist(bac, QStringLiteral("a.con"), ansi(consist({QStringLiteral("WagonData ( W1 SetA )")})));
    ecrireConsist(bac, QStringLiteral("b.con"), utf16(consist({QStringLiteral("EngineData ( Loco1 )")})));
    frmRapportDetaille r;
    r.cmdActualiser_Click();
    QCOMPARE(r.MSHFlexGrid->model()->rowCount(), 2);

    const QString cible = bac.chemin(nom);
    QDir().mkpath(QFileInfo(cible).absolutePath());
    seam.choisirFichier(cible);
    const QDateTime avant = QDateTime::currentDateTime();
    QTest::mouseClick(r.cmdEnregistrer, Qt::LeftButton);
    const QDateTime apres = QDateTime::currentDateTime();

    const QByteArray lignes[2][2] = {{"a.con,\"SetA\",\"W1.wag\"", "b.con,Ligne 7 illisible,Ligne 7 illisible"},
                                     {"a.con\t|\t\"SetA\"\t|\t\"W1.wag\"",
                                      "b.con\t|\tLigne 7 illisible\t|\tLigne 7 illisible"}};
    const QByteArray vu = lire(cible);
    if (csv) {
        QCOMPARE(vu, lignes[0][0] + "\r\n" + lignes[0][1] + "\r\n");
    } else {
        // The saved list's head, then the rows: six lines.
        bool egal = false;
        const QLocale l = QLocale::system();
        for (const QDateTime &t : {avant, apres}) {
            const QByteArray attendu = "Corvanel - Consists invalides\r\nCr\xe9\xe9 le "
                + l.toString(t.date(), QLocale::ShortFormat).toLatin1() + " \xe0 "
                + l.toString(t.time(), QLocale::ShortFormat).toLatin1() + "\r\n" + QByteArray(62, '-')
                + "\r\n \r\n" + lignes[1][0] + "\r\n" + lignes[1][1] + "\r\n";
            egal = egal || vu == attendu;
        }
        QVERIFY2(egal, vu.constData());
    }
    QVERIFY(seam.messages.isEmpty());
    QCOMPARE(pointeurActuel(), Pointeur::ParDefaut);

    const ChoixFichier &c = seam.choixDemandes.at(0);
    QCOMPARE(c.titre, QStringLiteral("Enregistrer sous"));
    QCOMPARE(c.filtre,
             QStringLiteral("Fichier CSV (*.csv)|*.csv|Fichier texte (*.txt)|*.txt|Tous les fichiers (*.*)|*.*"));
    QCOMPARE(c.extensionParDefaut, QStringLiteral("txt"));
    QVERIFY(c.confirmerEcrasement);
    QVERIFY(c.refuserLectureSeule);
    QCOMPARE(c.dossierInitial, DossierConsists);
    // The export read the grid up to its last cell.
    QCOMPARE(r.MSHFlexGrid->currentIndex(), r.MSHFlexGrid->model()->index(1, 2));
}

void TstRapport::exportEchecOuAnnulation()
{
    Bac bac;
    InteractionScriptee seam;
    preparer(bac);
    ecrireConsist(bac, QStringLiteral("a.con"), ansi(consist({QStringLiteral("WagonData ( W1 SetA )")})));
    frmRapportDetaille r;
    r.cmdActualiser_Click();

    seam.choisirFichier(std::nullopt);
    r.cmdEnregistrer_Click();
    QVERIFY(seam.messages.isEmpty());
    QCOMPARE(QDir(bac.chemin()).entryList(QDir::Files).size(), 0);

    const QString dossier = bac.creerDossier(QStringLiteral("rapport.csv"));
    seam.choisirFichier(dossier);
    r.cmdEnregistrer_Click();
    QCOMPARE(seam.messages.size(), 1);
    QCOMPARE(seam.messages[0].icone, Icone::Critique);
    QCOMPARE(seam.messages[0].titre, QStringLiteral("Corvanel"));
    QVERIFY(seam.messages[0].texte.startsWith(QDir::toNativeSeparators(dossier) + QStringLiteral("\r\n\r\n")));
    QVERIFY(seam.messages[0].texte.size() > dossier.size() + 4);
    QVERIFY(QFileInfo(dossier).isDir());
    QCOMPARE(pointeurActuel(), Pointeur::ParDefaut);
}

QTEST_MAIN(TstRapport)
#include "tst_rapport.moc"
