// The detailed report window on a real game folder: what the grid shows
// after a refresh, the window during one, its two export layouts byte for
// byte, and opening a consist from the grid.
#include "analysis/Analyse.h"
#include "analysis/frmRapportDetaille.h"
#include "app/Texte.h"
#include "app/modDeclarations.h"
#include "support/SceneFenetre.h"
#include "ui/Pointeur.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
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
    void fermetureRefuseePendantActualisation();
    void dossierConsistsAbsentTermine();
    void ouvrirConsistDepuisLaGrille();
    void exporter();
};

namespace {

// A consist cut down to its vehicle lines, the first one on line 4.
QString consist(const QStringList &vehicules)
{
    return QStringLiteral("SIMISA@@@@@@@@@@JINX0D0t______\r\n\r\nTrain (\r\n\t\t\t") +
           vehicules.join(QStringLiteral("\r\n\t\t\t")) + QStringLiteral("\r\n)\r\n");
}

// UTF-16 LE with its byte-order mark, as the game saves most consists.
QByteArray utf16(const QString &texte)
{
    return QByteArray("\xFF\xFE", 2) + QByteArray(reinterpret_cast<const char *>(texte.utf16()), texte.size() * 2);
}

const QString Loco = QStringLiteral("EngineData ( Loco1 SetA )");
const QString Absent = QStringLiteral("WagonData ( W1 SetA )");
const QString Present = QStringLiteral("WagonData ( Hopper SetA )");

// A French game whose trainset holds Loco1.eng and Hopper.wag in SetA.
struct Scene : SceneFenetre {
    Scene()
    {
        ecrireVehicule(QStringLiteral("SetA/Loco1.eng"));
        ecrireVehicule(QStringLiteral("SetA/Hopper.wag"));
    }
};

} // namespace

void TstRapport::grille_data()
{
    QTest::addColumn<QStringList>("noms");
    QTest::addColumn<QByteArrayList>("contenus");
    QTest::addColumn<QStringList>("attendu");

    // Line 5 cannot be taken apart, line 8 names a missing wagon (quoted
    // folder); the other lines give nothing.
    QTest::newRow("ligne illisible, ligne absente")
        << QStringList{"c.con"}
        << QByteArrayList{versAnsi(
               consist({"UiD ( 1 )", "EngineData ( Loco1 )", "UiD ( 2 )", Present, "WagonData ( Gone \"Set B\" )"}))}
        << QStringList{"c.con|Ligne 5 illisible|Ligne 5 illisible", "c.con|\"Set B\"|\"Gone.wag\""};
    QTest::newRow("tout est là") << QStringList{"a.con", "b.con"}
                                 << QByteArrayList{versAnsi(consist({Loco, Present})), utf16(consist({Present}))}
                                 << QStringList{};
    // The game's listing order, only names ending in ".con", UTF-16 read
    // as well as ANSI; a missing wagon is one row for each consist naming
    // it, however often.
    const QByteArray absent = versAnsi(consist({Absent}));
    QTest::newRow("doublons, ordre, autres fichiers")
        << QStringList{"b.con", "A.con", "notes.txt", "C.CON", "a.con.bak"}
        << QByteArrayList{versAnsi(consist({Loco, Absent, Absent, Absent})), utf16(consist({Loco, Absent})), absent,
                          absent, absent}
        << QStringList{"A.con|\"SetA\"|\"W1.wag\"", "b.con|\"SetA\"|\"W1.wag\""};
}

void TstRapport::grille()
{
    QFETCH(QStringList, noms);
    QFETCH(QByteArrayList, contenus);
    QFETCH(QStringList, attendu);
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
    // No fault: not even the header row, and nothing to save.
    QCOMPARE(m->columnCount(), attendu.isEmpty() ? 0 : 3);
    QCOMPARE(r.cmdEnregistrer->isEnabled(), !attendu.isEmpty());
    QVERIFY(s.seam.messages.isEmpty());
}

void TstRapport::fermetureRefuseePendantActualisation()
{
    // A refresh over many consists: the window cannot be closed meanwhile.
    Scene s;
    // Events let through at every line, whatever the machine's speed.
    Cadence::definirIntervalle(0);
    const QByteArray petit = versAnsi(consist({Present, Absent}));
    for (int i = 0; i < 60; ++i)
        s.ecrireConsist(QStringLiteral("c%1.con").arg(i, 2, 10, QChar(u'0')), petit);

    frmRapportDetaille r;
    r.show();
    QVERIFY(QTest::qWaitForWindowExposed(&r));
    int essais = 0;
    s.seam.pendantEvenements = [&] {
        if (r.pbJauge->value() == 0)
            return;
        ++essais;
        QVERIFY(!r.close());
        QTest::keyClick(&r, Qt::Key_Escape);
        QVERIFY(r.isVisible());
        QVERIFY(!r.cmdFermer->isEnabled());
    };
    r.cmdActualiser_Click();
    s.seam.pendantEvenements = nullptr;
    Cadence::definirIntervalle(-1);
    QVERIFY(essais > 0);
    QCOMPARE(r.MSHFlexGrid->model()->rowCount(), 60);
    QCOMPARE(pointeurActuel(), Pointeur::ParDefaut);
    // The wagon is put back: the next refresh empties the report, header
    // and all.
    s.ecrireVehicule(QStringLiteral("SetA/W1.wag"));
    r.cmdActualiser_Click();
    QCOMPARE(r.MSHFlexGrid->model()->columnCount(), 0);
    QVERIFY(!r.cmdEnregistrer->isEnabled());
    QVERIFY(r.close());
}

void TstRapport::dossierConsistsAbsentTermine()
{
    Scene s;
    QDir(DossierConsists).removeRecursively();
    frmRapportDetaille r;
    QCOMPARE(codeDeFin([&] { r.cmdActualiser_Click(); }), 1);
    definirPointeur(Pointeur::ParDefaut);
    QCOMPARE(s.seam.messages.size(), 1);
    QCOMPARE(s.seam.messages[0].texte,
             QString::fromUtf8("Erreur n° 76. Chemin d'accès introuvable\r\n\r\n"
                               "Si le problème persiste, veuillez contacter l'auteur du programme."));
}

void TstRapport::ouvrirConsistDepuisLaGrille()
{
    Scene s;
    s.bac.reglages().ecrire(QStringLiteral("Options"), QStringLiteral("Editeur"),
                            s.bac.ecrire(QStringLiteral("bin/editeur"), "#!/bin/sh\n"));
    s.ecrireConsist(QStringLiteral("Mon train.con"), versAnsi(consist({Absent})));

    frmRapportDetaille r;
    r.show();
    QVERIFY(QTest::qWaitForWindowExposed(&r));
    r.cmdActualiser_Click();
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
    QCOMPARE(s.seam.demarrages[0].arguments, QStringList{DossierConsists + QStringLiteral("Mon train.con")});
    // Enter on the consist cell opens it too.
    QTest::keyClick(g, Qt::Key_Return);
    QCOMPARE(s.seam.demarrages.size(), 2);
}

void TstRapport::exporter()
{
    Scene s;
    s.ecrireConsist(QStringLiteral("a.con"), versAnsi(consist({Absent})));
    s.ecrireConsist(QStringLiteral("b.con"), utf16(consist({QStringLiteral("EngineData ( Loco1 )")})));
    frmRapportDetaille r;
    r.cmdActualiser_Click();
    QDateTime avant;
    const auto enregistrer = [&](const QString &nom) {
        const QString cible = s.bac.chemin(nom);
        QDir().mkpath(QFileInfo(cible).absolutePath());
        s.seam.choisirFichier(cible);
        avant = QDateTime::currentDateTime();
        QTest::mouseClick(r.cmdEnregistrer, Qt::LeftButton);
        QFile f(cible);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    };
    // The saved list's head, then the rows; the minute may turn meanwhile.
    const auto enTexte = [&](const QByteArray &vu) {
        const QLocale l = QLocale::system();
        for (const QDateTime &t : {avant, QDateTime::currentDateTime()})
            if (vu == "Corvanel - Consists invalides\r\nCr\xe9\xe9 le " +
                          l.toString(t.date(), QLocale::ShortFormat).toLatin1() + " \xe0 " +
                          l.toString(t.time(), QLocale::ShortFormat).toLatin1() + "\r\n" + QByteArray(62, '-') +
                          "\r\n \r\na.con\t|\t\"SetA\"\t|\t\"W1.wag\"\r\nb.con\t|\tLigne 4 illisible\t|\tLigne 4 "
                          "illisible\r\n")
                return true;
        return false;
    };
    QCOMPARE(enregistrer(QStringLiteral("rapport.csv")),
             "a.con,\"SetA\",\"W1.wag\"\r\nb.con,Ligne 4 illisible,Ligne 4 illisible\r\n");
    // Letter case counts, and only the file's own name, not its folder's.
    QVERIFY(enTexte(enregistrer(QStringLiteral("rapport.CSV"))));
    QVERIFY(enTexte(enregistrer(QStringLiteral("sortie.csv/rapport"))));
    QVERIFY(s.seam.messages.isEmpty());
    // An existing file is never replaced unasked.
    QVERIFY(s.seam.choixDemandes.at(0).confirmerEcrasement);

    // The target is a folder: the file named, then the system's reason.
    const QString dossier = s.bac.creerDossier(QStringLiteral("liste.csv"));
    s.seam.choisirFichier(dossier);
    r.cmdEnregistrer_Click();
    QCOMPARE(s.seam.messages.size(), 1);
    QVERIFY(s.seam.messages[0].texte.startsWith(QDir::toNativeSeparators(dossier) + QStringLiteral("\r\n\r\n")));
    QVERIFY(QFileInfo(dossier).isDir());
    QCOMPARE(pointeurActuel(), Pointeur::ParDefaut);
}

QTEST_MAIN(TstRapport)
#include "tst_rapport.moc"
