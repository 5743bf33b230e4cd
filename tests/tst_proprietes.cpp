// The file-properties dialog from the main window, on real consists.
#include "app/Texte.h"
#include "app/modDeclarations.h"
#include "fileops/Echecs.h"
#include "fileops/SystemeFichiers.h"
#include "fileops/frmProprietesFichier.h"
#include "localisation/LireLangue.h"
#include "support/Bac.h"
#include "support/InteractionScriptee.h"
#include "support/SceneFenetre.h"
#include "ui/frmCorvanel.h"

#include <QAction>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QLocale>
#include <QMimeDatabase>
#include <QPushButton>
#include <QtTest>

#include <cerrno>

using namespace corvanel;
using namespace corvanel::test;

namespace {

struct Scene : SceneFenetre {
    using SceneFenetre::SceneFenetre;
    QString con(const QString &nom, const QByteArray &octets = "SIMISA")
    {
        return bac.ecrire(QStringLiteral("MSTS/TRAINS/CONSISTS/") + nom, octets);
    }
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

QString L(const char *section, const char *cle)
{
    return LireLangue(FichierLangue, QString::fromLatin1(section), QString::fromLatin1(cle));
}

void cliquer(QAbstractButton *b)
{
    QTest::mouseClick(b, Qt::LeftButton, {}, QPoint(8, b->height() / 2));
}

} // namespace

class TstProprietes : public QObject {
    Q_OBJECT

private slots:
    void cleanup() { sf::retirerPannes(); }

    void sansEntreeCourante();
    void ouverture_data();
    void ouverture();
    void entreeAvecLeFocus();
    void appliquer_data();
    void appliquer();
    void consistDisparu();
    void appliquerRefuse_data();
    void appliquerRefuse();
};

// Whatever state the menu item was left in, no current entry means no
// dialog: it would be given the consist folder itself.
void TstProprietes::sansEntreeCourante()
{
    Scene s;
    s.con(QStringLiteral("a.con"));
    s.lister({QStringLiteral("a.con")}, -1);
    s.f->lstLFI->item(0)->setSelected(true);
    s.f->mnuProprietesFichier->setEnabled(true);
    s.f->mnuProprietesFichier_Click();
    QCOMPARE(s.seam.dialoguesMontres, 0);
    QVERIFY(s.seam.messages.isEmpty());
}

void TstProprietes::ouverture_data()
{
    QTest::addColumn<QString>("langue");
    QTest::newRow("français") << QStringLiteral("crv-1.0.7-french.lng");
    QTest::newRow("anglais") << QStringLiteral("crv-1.0.7-english.lng");
}

// Read-only and archived, 1234 bytes: every label and box as the file is,
// Apply disabled, the window fixed and nothing cut.
void TstProprietes::ouverture()
{
    QFETCH(QString, langue);
    Scene s(langue);
    const QString chemin = s.con(QStringLiteral("Mon train é.con"), QByteArray(1234, 'x'));
    sf::definirAttributs(chemin, sf::LectureSeule | sf::Archive);
    s.lister({QStringLiteral("Mon train é.con")}, 0);
    QVERIFY(s.f->mnuProprietesFichier->isEnabled());

    bool vu = false;
    s.ouvrir([&](frmProprietesFichier &d) {
        vu = true;
        QCOMPARE(d.windowTitle(), L("Form", "Form07"));
        QCOMPARE(d.fraProprietesGenerales->title(), L("Frame", "Frame10"));
        QCOMPARE(d.fraAttributs->title(), L("Frame", "Frame11"));
        QCOMPARE(d.cmdFermer->text(), L("Button", "Button11"));
        QCOMPARE(d.cmdAppliquer->text(), L("Button", "Button12"));
        QCOMPARE(d.chkLectureSeule->text(), L("CheckBox", "CheckBox01"));
        QCOMPARE(d.chkCache->text(), L("CheckBox", "CheckBox02"));
        QCOMPARE(d.chkArchive->text(), L("CheckBox", "CheckBox03"));
        QCOMPARE(d.lblNom->text(), L("Label", "Label09") + QStringLiteral(" Mon train é.con"));
        QCOMPARE(d.lblType->text(), L("Label", "Label10") + u' ' + QMimeDatabase().mimeTypeForFile(chemin).comment());
        QCOMPARE(d.lblTaille->text(), remplacer(L("Label", "Label11"), u"[size]", u"1234"));
        QCOMPARE(d.lblModif->text(), L("Label", "Label12") + u' '
                     + QLocale::system().toString(QFileInfo(chemin).lastModified(), QLocale::ShortFormat));
        QVERIFY(d.chkLectureSeule->isChecked());
        QVERIFY(!d.chkCache->isChecked());
        QVERIFY(d.chkArchive->isChecked());
        QVERIFY(!d.cmdAppliquer->isEnabled());
        QCOMPARE(d.CheminFichier, chemin);

        QCOMPARE(d.minimumSize(), d.maximumSize());
        QVERIFY(d.cmdAppliquer->geometry().right() < d.cmdFermer->geometry().left());
        QCOMPARE(d.cmdAppliquer->y(), d.cmdFermer->y());
        QVERIFY(d.cmdFermer->geometry().bottom() < d.height());
        QVERIFY(d.cmdFermer->geometry().right() < d.width());
        QVERIFY(d.fraProprietesGenerales->geometry().bottom() < d.fraAttributs->y());
        QVERIFY(d.lblModif->geometry().bottom() < d.fraProprietesGenerales->height());
        for (QPushButton *b : d.findChildren<QPushButton *>())
            QVERIFY2(b->fontMetrics().horizontalAdvance(QString(b->text()).remove(u'&')) < b->width(),
                     qPrintable(b->text()));
        for (QCheckBox *c : d.findChildren<QCheckBox *>())
            QVERIFY2(c->sizeHint().width() <= c->width(), qPrintable(c->text()));

        cliquer(d.cmdFermer);
        QVERIFY(!d.isVisible());
    });
    QVERIFY(vu);
    QCOMPARE(s.seam.dialoguesMontres, 1);
    QVERIFY(s.seam.messages.isEmpty());
    QCOMPARE(sf::lireAttributs(chemin), sf::LectureSeule | sf::Archive);
}

// B selected, the focus on A: the dialog is about A.
void TstProprietes::entreeAvecLeFocus()
{
    Scene s;
    s.con(QStringLiteral("A.con"));
    s.con(QStringLiteral("B.con"));
    s.lister({QStringLiteral("A.con"), QStringLiteral("B.con")}, 0);
    s.f->lstLFI->item(1)->setSelected(true);
    QString nom;
    s.ouvrir([&](frmProprietesFichier &d) { nom = d.lblNom->text(); });
    QVERIFY(nom.endsWith(QStringLiteral(" A.con")));
}

void TstProprietes::appliquer_data()
{
    QTest::addColumn<QString>("nom");
    QTest::addColumn<int>("depart");
    QTest::addColumn<QString>("clics"); // l: read-only, c: hidden, a: archive
    QTest::addColumn<int>("attendu");
    QTest::newRow("33, caché coché") << "a.con" << 33 << "c" << 35;
    QTest::newRow("35, tout décoché") << "a.con" << 35 << "lca" << 0;
    QTest::newRow("0, lecture seule") << "a.con" << 0 << "l" << 1;
    QTest::newRow("2, archive au lieu de caché") << "a.con" << 2 << "ca" << 32;
    QTest::newRow("double clic") << "a.con" << 32 << "cc" << 32;
    QTest::newRow("nom en point décoché") << ".a.con" << 2 << "c" << 0;
    QTest::newRow("nom en point, lecture seule") << ".a.con" << 2 << "l" << 3;
}

// Any click enables Apply, even one undone; Apply writes exactly the ticked
// attributes, disables itself and leaves the dialog open.
void TstProprietes::appliquer()
{
    QFETCH(QString, nom);
    QFETCH(int, depart);
    QFETCH(QString, clics);
    QFETCH(int, attendu);
    Scene s;
    const QString chemin = s.con(nom);
    sf::definirAttributs(chemin, depart);
    QCOMPARE(sf::lireAttributs(chemin), depart);
    s.lister({nom}, 0);

    s.ouvrir([&](frmProprietesFichier &d) {
        for (const QChar c : clics) {
            cliquer(c == u'l' ? d.chkLectureSeule : c == u'c' ? d.chkCache : d.chkArchive);
            QVERIFY(d.cmdAppliquer->isEnabled());
        }
        cliquer(d.cmdAppliquer);
        QVERIFY(!d.cmdAppliquer->isEnabled());
        QVERIFY(d.isVisible());
        QCOMPARE(sf::lireAttributs(chemin), attendu);
    });
    QVERIFY(s.seam.messages.isEmpty());
    QCOMPARE(sf::lireAttributs(chemin), attendu);
}

// Deleted since the scan: the system's words, not a half-filled dialog.
void TstProprietes::consistDisparu()
{
    Scene s;
    s.lister({QStringLiteral("parti.con")}, 0);
    s.f->mnuProprietesFichier->trigger();
    QCOMPARE(s.seam.dialoguesMontres, 0);
    QCOMPARE(s.seam.messages,
             (QList<Message>{{texteEchec(DossierConsists + QStringLiteral("parti.con"), ErreurExecution(53)),
                              Boutons::OK, Icone::Critique, QStringLiteral("Corvanel")}}));
}

void TstProprietes::appliquerRefuse_data()
{
    QTest::addColumn<QString>("nom");
    QTest::addColumn<QString>("clic");
    QTest::addColumn<int>("apres");
    QTest::newRow("archive") << "a.con" << "a" << 0;
    QTest::newRow("caché") << "a.con" << "c" << 0;
    // Nothing can say a "." name is not hidden: told, not passed over.
    QTest::newRow("nom en point décoché") << ".a.con" << "c" << 2;
}

// On a file system without extended attributes: the failure is shown, Apply
// stays enabled, the dialog stays open.
void TstProprietes::appliquerRefuse()
{
    QFETCH(QString, nom);
    QFETCH(QString, clic);
    QFETCH(int, apres);
    Scene s;
    const QString chemin = s.con(nom);
    sf::injecterPanne(sf::Operation::Attributs, chemin, ENOTSUP);
    s.lister({nom}, 0);
    s.ouvrir([&](frmProprietesFichier &d) {
        cliquer(clic == u"a" ? d.chkArchive : d.chkCache);
        cliquer(d.cmdAppliquer);
        QVERIFY(d.cmdAppliquer->isEnabled());
        QVERIFY(d.isVisible());
    });
    QCOMPARE(s.seam.messages, (QList<Message>{{texteEchec(chemin, sf::erreurSysteme(ENOTSUP)), Boutons::OK,
                                               Icone::Critique, QStringLiteral("Corvanel")}}));
    QVERIFY(s.seam.messages[0].texte.contains(qt_error_string(ENOTSUP)));
    QCOMPARE(sf::lireAttributs(chemin), apres);
}

QTEST_MAIN(TstProprietes)
#include "tst_proprietes.moc"
