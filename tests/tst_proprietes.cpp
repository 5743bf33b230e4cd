// The file-properties dialog from the main window, on real consists.
#include "app/Texte.h"
#include "app/modDeclarations.h"
#include "fileops/Echecs.h"
#include "fileops/SystemeFichiers.h"
#include "fileops/frmProprietesFichier.h"
#include "support/SceneFenetre.h"

#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QtTest>

#include <cerrno>

using namespace corvanel;
using namespace corvanel::test;

namespace {

struct Scene : SceneFenetre {
    using SceneFenetre::SceneFenetre;
    QString con(const QString &nom, const QByteArray &octets = "SIMISA") { return ecrireConsist(nom, octets); }
    // The list as a scan leaves it, the focus on entry `courante`.
    void lister(const QStringList &noms, int courante)
    {
        f->lstLFI->addItems(noms);
        f->lstLFI->setEnabled(true);
        f->lstLFI->setCurrentRow(courante, QItemSelectionModel::NoUpdate);
    }
    // Opens the dialog from its menu item and runs `pendant` while it shows.
    void ouvrir(const std::function<void(frmProprietesFichier &)> &pendant)
    {
        seam.quandDialogue([pendant](QDialog &d) {
            auto *p = qobject_cast<frmProprietesFichier *>(&d);
            if (!p)
                qFatal("not the properties dialog");
            pendant(*p);
            return d.result();
        });
        f->mnuProprietesFichier->trigger();
    }
};

void cliquer(QAbstractButton *b)
{
    QTest::mouseClick(b, Qt::LeftButton, {}, QPoint(8, b->height() / 2));
}

} // namespace

class TstProprietes : public QObject {
    Q_OBJECT

private slots:
    void cleanup() { sf::retirerPannes(); }

    void sansDialogue();
    void ouverture();
    void appliquer_data();
    void appliquer();
};

// No dialog without a current entry, whatever state the menu item was left
// in: it would be given the consist folder itself. None either for a consist
// deleted since the scan: the system's words, not a half-filled dialog.
void TstProprietes::sansDialogue()
{
    Scene s;
    s.con(QStringLiteral("a.con"));
    s.lister({QStringLiteral("a.con"), QStringLiteral("parti.con")}, -1);
    s.f->lstLFI->item(0)->setSelected(true);
    s.f->mnuProprietesFichier->setEnabled(true);
    s.f->mnuProprietesFichier_Click();
    QVERIFY(s.seam.messages.isEmpty());
    s.f->lstLFI->setCurrentRow(1, QItemSelectionModel::NoUpdate);
    s.f->mnuProprietesFichier->trigger();
    QCOMPARE(s.seam.dialoguesMontres, 0);
    QCOMPARE(s.seam.messages,
             (QList<Message>{{texteEchec(DossierConsists + QStringLiteral("parti.con"), ErreurExecution(53)),
                              Boutons::OK, Icone::Critique, QStringLiteral("Corvanel")}}));
}

// The entry with the focus, not the selected one. Read-only and archived,
// 1234 bytes: the labels and boxes as the file is, Apply disabled, nothing
// cut; closing changes nothing.
void TstProprietes::ouverture()
{
    Scene s;
    const QString chemin = s.con(QStringLiteral("Mon train é.con"), QByteArray(1234, 'x'));
    sf::definirAttributs(chemin, sf::LectureSeule | sf::Archive);
    s.con(QStringLiteral("B.con"));
    s.lister({QStringLiteral("Mon train é.con"), QStringLiteral("B.con")}, 0);
    s.f->lstLFI->item(1)->setSelected(true);

    s.ouvrir([&](frmProprietesFichier &d) {
        QCOMPARE(d.lblNom->text(),
                 s.L(QStringLiteral("Label"), QStringLiteral("Label09")) + QStringLiteral(" Mon train é.con"));
        QCOMPARE(d.lblTaille->text(),
                 remplacer(s.L(QStringLiteral("Label"), QStringLiteral("Label11")), u"[size]", u"1234"));
        QVERIFY(d.chkLectureSeule->isChecked());
        QVERIFY(!d.chkCache->isChecked());
        QVERIFY(d.chkArchive->isChecked());
        QVERIFY(!d.cmdAppliquer->isEnabled());
        for (QPushButton *b : d.findChildren<QPushButton *>())
            QVERIFY2(b->fontMetrics().horizontalAdvance(QString(b->text()).remove(u'&')) < b->width(),
                     qPrintable(b->text()));
        for (QCheckBox *c : d.findChildren<QCheckBox *>())
            QVERIFY2(c->sizeHint().width() <= c->width(), qPrintable(c->text()));
        cliquer(d.cmdFermer);
        QVERIFY(!d.isVisible());
    });
    QCOMPARE(s.seam.dialoguesMontres, 1);
    QVERIFY(s.seam.messages.isEmpty());
    QCOMPARE(sf::lireAttributs(chemin), sf::LectureSeule | sf::Archive);
}

void TstProprietes::appliquer_data()
{
    QTest::addColumn<QString>("nom");
    QTest::addColumn<int>("depart");
    QTest::addColumn<QString>("clics");  // l: read-only, c: hidden, a: archive
    QTest::addColumn<bool>("sansXattr"); // a file system without extended attributes
    QTest::addColumn<int>("attendu");
    QTest::newRow("33, caché coché") << "a.con" << 33 << "c" << false << 35;
    QTest::newRow("35, tout décoché") << "a.con" << 35 << "lca" << false << 0;
    QTest::newRow("2, archive au lieu de caché") << "a.con" << 2 << "ca" << false << 32;
    QTest::newRow("nom en point décoché") << ".a.con" << 2 << "c" << false << 0;
    QTest::newRow("caché refusé") << "a.con" << 0 << "c" << true << 0;
    // Nothing can say a "." name is not hidden: told, not passed over.
    QTest::newRow("nom en point décoché refusé") << ".a.con" << 2 << "c" << true << 2;
}

// Apply writes exactly the ticked attributes and disables itself; where they
// cannot be stored the failure is shown and Apply stays enabled. The dialog
// stays open either way.
void TstProprietes::appliquer()
{
    QFETCH(QString, nom);
    QFETCH(int, depart);
    QFETCH(QString, clics);
    QFETCH(bool, sansXattr);
    QFETCH(int, attendu);
    Scene s;
    const QString chemin = s.con(nom);
    sf::definirAttributs(chemin, depart);
    if (sansXattr)
        sf::injecterPanne(sf::Operation::Attributs, chemin, ENOTSUP);
    s.lister({nom}, 0);

    s.ouvrir([&](frmProprietesFichier &d) {
        for (const QChar c : clics)
            cliquer(c == u'l' ? d.chkLectureSeule : c == u'c' ? d.chkCache : d.chkArchive);
        cliquer(d.cmdAppliquer);
        QCOMPARE(d.cmdAppliquer->isEnabled(), sansXattr);
        QVERIFY(d.isVisible());
    });
    const Message echec{texteEchec(chemin, sf::erreurSysteme(ENOTSUP)), Boutons::OK, Icone::Critique,
                        QStringLiteral("Corvanel")};
    QCOMPARE(s.seam.messages, sansXattr ? QList<Message>{echec} : QList<Message>{});
    QCOMPARE(sf::lireAttributs(chemin), attendu);
}

QTEST_MAIN(TstProprietes)
#include "tst_proprietes.moc"
