// The main window as the user first meets it, in both languages, and how
// it closes.
#include "app/modDeclarations.h"
#include "localisation/LireLangue.h"
#include "support/Bac.h"
#include "support/InteractionScriptee.h"
#include "ui/frmCorvanel.h"

#include <QAction>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QtTest>

using namespace corvanel;
using namespace corvanel::test;

class TstFenetrePrincipale : public QObject {
    Q_OBJECT

private slots:
    void premierEtat_data();
    void premierEtat();
    void traductionLongueNonCoupee();
    void texteManquantTermine();
    void fermetureRefuseeQuandOccupee();
    void positionGardeeSelonDemarrage_data();
    void positionGardeeSelonDemarrage();
    void raccourcisHorsDAtteinteMenuDesactive();
    void selectionEtEntreeCourante();
};

namespace {
QString L(const QString &s, const QString &c)
{
    return LireLangue(FichierLangue, s, c, true);
}

// The window in French, shown, as start-up leaves it.
std::unique_ptr<frmCorvanel> fenetreFrancaise(Bac &bac)
{
    bac.preparerProgramme();
    bac.utiliserLangue(QStringLiteral("crv-1.0.7-french.lng"));
    auto f = std::make_unique<frmCorvanel>();
    TraduireFenetrePrincipale(*f, FichierLangue);
    f->show();
    return f;
}
} // namespace

void TstFenetrePrincipale::premierEtat_data()
{
    QTest::addColumn<QString>("langue");
    QTest::newRow("français") << QStringLiteral("crv-1.0.7-french.lng");
    QTest::newRow("anglais") << QStringLiteral("crv-1.0.7-english.lng");
}

void TstFenetrePrincipale::premierEtat()
{
    QFETCH(QString, langue);
    Bac bac;
    InteractionScriptee seam;
    bac.preparerProgramme();
    bac.utiliserLangue(langue);
    frmCorvanel f;
    TraduireFenetrePrincipale(f, FichierLangue);
    f.show();

    QCOMPARE(f.windowTitle(), QStringLiteral("Corvanel Version 1.0.7"));
    QVERIFY(!f.windowIcon().isNull());
    QCOMPARE(f.windowIcon().availableSizes().size(), 6);
    QCOMPARE(f.cmdSelectionner[0]->text(), QStringLiteral("V"));
    QCOMPARE(f.cmdSelectionner[1]->text(), QStringLiteral("X"));
    QVERIFY(f.cmdSelectionner[0]->font().bold());

    const QList<QPair<QString, QString>> captions = {
        {f.cmdRechercher->text(), L("Button", "Button01")},
        {f.cmdRapportDetaille->text(), L("Button", "Button13")},
        {f.cmdNettoyer->text(), L("Button", "Button16")},
        {f.cmdDeplacerVers->text(), L("Button", "Button02")},
        {f.cmdSupprimer->text(), L("Button", "Button03")},
        {f.fraDossierMSTS->title(), L("Frame", "Frame01")},
        {f.fraLFI->title(), L("Frame", "Frame02")},
        {f.fraRFI->title(), L("Frame", "Frame03")},
        {f.fraTFI->title(), L("Frame", "Frame04")},
        {f.mnuFichier->title(), L("Menu", "Menu100")},
        {f.mnuEditerFichier->text(), L("Menu", "Menu101")},
        {f.mnuEnregistrerListe->text(), L("Menu", "Menu102")},
        {f.mnuProprietesFichier->text(), L("Menu", "Menu103")},
        {f.mnuQuitter->text(), L("Menu", "Menu104")},
        {f.mnuOutils->title(), L("Menu", "Menu200")},
        {f.mnuMenuLangue->text(), L("Menu", "Menu201")},
        {f.mnuEditeurFichiers->text(), L("Menu", "Menu202")},
        {f.mnuAide->title(), L("Menu", "Menu300")},
        {f.mnuAfficher->text(), L("Menu", "Menu301")},
        {f.mnuFAQ->text(), L("Menu", "Menu302")},
        {f.mnuHistorique->text(), L("Menu", "Menu303")},
        {f.mnuSiteInternet->text(), L("Menu", "Menu304")},
        {f.mnuAbout->text(), L("Menu", "Menu305")},
    };
    for (const auto &[vu, attendu] : captions)
        QCOMPARE(vu, attendu);

    // Only search, report and clean-up, with the menus and their free items.
    QVERIFY(f.cmdRechercher->isEnabled());
    QVERIFY(f.cmdRapportDetaille->isEnabled());
    QVERIFY(f.cmdNettoyer->isEnabled());
    for (QWidget *w : {static_cast<QWidget *>(f.cmdDeplacerVers), static_cast<QWidget *>(f.cmdSupprimer),
                       static_cast<QWidget *>(f.cmdSelectionner[0]), static_cast<QWidget *>(f.cmdSelectionner[1]),
                       static_cast<QWidget *>(f.lstLFI)})
        QVERIFY(!w->isEnabled());
    for (QAction *a : {f.mnuEditerFichier, f.mnuProprietesFichier, f.mnuEnregistrerListe})
        QVERIFY(!a->isEnabled());
    for (QMenu *m : {f.mnuFichier, f.mnuOutils, f.mnuAide})
        QVERIFY(frmCorvanel::menuActif(m));

    // Fixed size; no caption is clipped by its control.
    QCOMPARE(f.minimumSize(), f.maximumSize());
    for (QPushButton *b : f.findChildren<QPushButton *>())
        QVERIFY2(b->fontMetrics().horizontalAdvance(QString(b->text()).remove(u'&')) < b->width(),
                 qPrintable(b->text()));
}

void TstFenetrePrincipale::traductionLongueNonCoupee()
{
    Bac bac;
    InteractionScriptee seam;
    bac.preparerProgramme();
    bac.utiliserLangue(QStringLiteral("crv-1.0.7-english.lng"));
    QFile source(FichierLangue);
    QVERIFY(source.open(QIODevice::ReadOnly));
    QByteArray contenu = source.readAll();
    const QByteArray longue = "Button01=&Search for every invalid consist now";
    contenu.replace(contenu.indexOf("Button01="),
                    contenu.indexOf('\r', contenu.indexOf("Button01=")) - contenu.indexOf("Button01="), longue);
    const QString chemin = bac.ecrire(QStringLiteral("long.lng"), contenu);

    frmCorvanel f;
    TraduireFenetrePrincipale(f, FichierLangue);
    const QSize normale = f.size();
    TraduireFenetrePrincipale(f, chemin);
    QCOMPARE(f.cmdRechercher->text(), QStringLiteral("&Search for every invalid consist now"));
    QVERIFY(f.cmdRechercher->fontMetrics().horizontalAdvance(QStringLiteral("Search for every invalid consist now")) <
            f.cmdRechercher->width());
    // The whole window grew evenly, keeping its proportions.
    QVERIFY(f.width() > normale.width());
    QVERIFY(qAbs(double(f.fraLFI->width()) / f.centralWidget()->width() - 3795.0 / 8100.0) < 0.01);
    QVERIFY(qAbs(double(f.fraRFI->x()) / f.centralWidget()->width() - 4095.0 / 8100.0) < 0.01);
}

void TstFenetrePrincipale::texteManquantTermine()
{
    Bac bac;
    InteractionScriptee seam;
    bac.preparerProgramme();
    bac.utiliserLangue(QStringLiteral("crv-1.0.7-french.lng"));
    const QString chemin = bac.ecrire(QStringLiteral("incomplet.lng"), "[Button]\r\nButton01=Chercher\r\n");
    frmCorvanel f;
    QCOMPARE(codeDeFin([&] { TraduireFenetrePrincipale(f, chemin); }), 1);
    QCOMPARE(seam.messages.size(), 1);
    QVERIFY(seam.messages[0].texte.startsWith(QString::fromUtf8("La section [Button] ou la clé \"Button13\"")));
}

void TstFenetrePrincipale::fermetureRefuseeQuandOccupee()
{
    Bac bac;
    InteractionScriptee seam;
    const auto fenetre = fenetreFrancaise(bac);
    frmCorvanel &f = *fenetre;
    f.pbJauge->setRange(0, 10);
    f.pbJauge->setValue(3);
    QVERIFY(!f.close());
    QVERIFY(f.isVisible());
    f.pbJauge->setValue(0);
    QVERIFY(f.close());
    QVERIFY(!f.isVisible());
    QVERIFY(seam.messages.isEmpty());
}

void TstFenetrePrincipale::positionGardeeSelonDemarrage_data()
{
    QTest::addColumn<QString>("demarrage");
    QTest::addColumn<bool>("garde");
    QTest::newRow("absent") << QString() << false;
    QTest::newRow("True") << QStringLiteral("True") << false;
    QTest::newRow("False") << QStringLiteral("False") << true;
    QTest::newRow("false") << QStringLiteral("false") << true;
    QTest::newRow("0") << QStringLiteral("0") << true;
    QTest::newRow("-1") << QStringLiteral("-1") << false;
    QTest::newRow("pas un booléen") << QStringLiteral("peut-être") << false;
}

void TstFenetrePrincipale::positionGardeeSelonDemarrage()
{
    QFETCH(QString, demarrage);
    QFETCH(bool, garde);
    Bac bac;
    InteractionScriptee seam;
    bac.preparerProgramme();
    bac.utiliserLangue(QStringLiteral("crv-1.0.7-french.lng"));
    if (!demarrage.isNull())
        bac.reglages().ecrire(QStringLiteral("Options"), QStringLiteral("Demarrage"), demarrage);
    frmCorvanel f;
    TraduireFenetrePrincipale(f, FichierLangue);
    f.move(40, 30);
    f.show();
    // Kept also when the close is refused.
    f.pbJauge->setValue(1);
    QVERIFY(!f.close());
    const auto haut = bac.reglages().lireSiPresent(QStringLiteral("Fenetre"), QStringLiteral("Top"));
    const auto gauche = bac.reglages().lireSiPresent(QStringLiteral("Fenetre"), QStringLiteral("Left"));
    QCOMPARE(haut.has_value(), garde);
    QCOMPARE(gauche.has_value(), garde);
    if (garde) {
        QCOMPARE(haut->toInt(), f.frameGeometry().top() * 15);
        QCOMPARE(gauche->toInt(), f.frameGeometry().left() * 15);
    }
    // "Demarrage" itself is never written.
    QCOMPARE(bac.reglages().lireSiPresent(QStringLiteral("Options"), QStringLiteral("Demarrage")).has_value(),
             !demarrage.isNull());
}

void TstFenetrePrincipale::raccourcisHorsDAtteinteMenuDesactive()
{
    Bac bac;
    InteractionScriptee seam;
    const auto fenetre = fenetreFrancaise(bac);
    frmCorvanel &f = *fenetre;
    QVERIFY(QTest::qWaitForWindowExposed(&f));
    // While a scan or a clean-up runs the File menu is disabled: Ctrl+Q
    // must not end the program then.
    frmCorvanel::activerMenu(f.mnuFichier, false);
    QCOMPARE(codeDeFin([&] { QTest::keyClick(&f, Qt::Key_Q, Qt::ControlModifier); }), -1);
    QCOMPARE(codeDeFin([&] { f.mnuQuitter->trigger(); }), -1);
    // Quitting ends at once: no closing step, no position kept.
    bac.reglages().ecrire(QStringLiteral("Options"), QStringLiteral("Demarrage"), QStringLiteral("False"));
    frmCorvanel::activerMenu(f.mnuFichier, true);
    QCOMPARE(codeDeFin([&] { QTest::keyClick(&f, Qt::Key_Q, Qt::ControlModifier); }), 0);
    QCOMPARE(codeDeFin([&] { f.mnuQuitter->trigger(); }), 0);
    QVERIFY(!bac.reglages().lireSiPresent(QStringLiteral("Fenetre"), QStringLiteral("Top")));
}

void TstFenetrePrincipale::selectionEtEntreeCourante()
{
    Bac bac;
    InteractionScriptee seam;
    const auto fenetre = fenetreFrancaise(bac);
    frmCorvanel &f = *fenetre;
    f.lstLFI->addItems({QStringLiteral("a.con"), QStringLiteral("b.con"), QStringLiteral("c.con")});
    f.lstLFI->setEnabled(true);
    QTest::mouseClick(f.lstLFI->viewport(), Qt::LeftButton, {}, f.lstLFI->visualItemRect(f.lstLFI->item(1)).center());
    QCOMPARE(f.lstLFI->currentRow(), 1);
    QVERIFY(f.mnuEditerFichier->isEnabled());
    QVERIFY(f.mnuProprietesFichier->isEnabled());
    // A second click on another entry keeps the first selected.
    QTest::mouseClick(f.lstLFI->viewport(), Qt::LeftButton, {}, f.lstLFI->visualItemRect(f.lstLFI->item(2)).center());
    QCOMPARE(f.lstLFI->selectedItems().size(), 2);

    f.cmdSelectionner_Click(0);
    QCOMPARE(f.lstLFI->selectedItems().size(), 3);
    QCOMPARE(f.lstLFI->currentRow(), -1);
    QVERIFY(!f.mnuEditerFichier->isEnabled());
    QVERIFY(!f.mnuProprietesFichier->isEnabled());
    f.cmdSelectionner_Click(1);
    QCOMPARE(f.lstLFI->selectedItems().size(), 0);
    QCOMPARE(f.lstLFI->count(), 3);

    // Emptying the list from code leaves no current entry and the items off.
    f.lstLFI->setCurrentRow(0);
    QVERIFY(f.mnuEditerFichier->isEnabled());
    f.lstLFI->clear();
    QVERIFY(!f.mnuEditerFichier->isEnabled());
    QVERIFY(!f.mnuProprietesFichier->isEnabled());
}

QTEST_MAIN(TstFenetrePrincipale)
#include "tst_fenetreprincipale.moc"
