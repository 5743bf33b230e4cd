// The delete command from the main window, on real game folders.
#include "app/ErreurExecution.h"
#include "app/Texte.h"
#include "app/modDeclarations.h"
#include "fileops/SystemeFichiers.h"
#include "localisation/LireLangue.h"
#include "support/Bac.h"
#include "support/InteractionScriptee.h"
#include "support/SceneFenetre.h"
#include "ui/Commandes.h"
#include "ui/frmCorvanel.h"

#include <QAction>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QtTest>

#include <cerrno>

#include <sys/stat.h>
#include <sys/xattr.h>

using namespace corvanel;
using namespace corvanel::test;

namespace {

struct Scene : SceneFenetre {
    using SceneFenetre::SceneFenetre;
    // An invalid consist: its engine is missing, so the closing scan lists
    // it again as long as it is there.
    QString con(const QString &nom)
    {
        return bac.ecrire(QStringLiteral("MSTS/TRAINS/CONSISTS/") + nom,
                          "SIMISA@@@@@@@@@@JINX0D0t______\r\n\r\nTrain (\r\n\tTrainCfg ( \"T\"\r\n"
                          "\t\tEngineData ( Absente \"Nulle part\" )\r\n\t)\r\n)\r\n");
    }
    // The list as a scan leaves it, with the given entries selected.
    void lister(const QStringList &noms, const QList<int> &choisies)
    {
        f->lstLFI->addItems(noms);
        for (int i : choisies)
            f->lstLFI->item(i)->setSelected(true);
        for (QWidget *w : {static_cast<QWidget *>(f->lstLFI), static_cast<QWidget *>(f->cmdSupprimer),
                           static_cast<QWidget *>(f->cmdDeplacerVers)})
            w->setEnabled(true);
    }
    QStringList liste() const
    {
        QStringList n;
        for (int i = 0; i < f->lstLFI->count(); ++i)
            n << f->lstLFI->item(i)->text();
        return n;
    }
};

QString M(const char *cle)
{
    return LireLangue(FichierLangue, QStringLiteral("Messages"), QString::fromLatin1(cle));
}

void rendreLectureSeule(const QString &chemin)
{
    QVERIFY(::chmod(QFile::encodeName(chemin).constData(), 0444) == 0);
}

void cacher(const QString &chemin)
{
    QVERIFY(::setxattr(QFile::encodeName(chemin).constData(), "user.DOSATTRIB", "0x2", 3, 0) == 0);
}

} // namespace

class TstSuppression : public QObject {
    Q_OBJECT

private slots:
    void cleanup() { sf::retirerPannes(); }

    void confirmation_data();
    void confirmation();
    void sansSelection();
    void jaugeCinqEntrees();
    void lectureSeuleOuCache_data();
    void lectureSeuleOuCache();
    void fichierDisparu();
    void autreEchecFatal();
};

void TstSuppression::confirmation_data()
{
    QTest::addColumn<QString>("langue");
    QTest::addColumn<QList<int>>("choisies");
    QTest::addColumn<QString>("suite"); // the key after Msg07 and an empty line
    QTest::newRow("un") << QStringLiteral("crv-1.0.7-french.lng") << QList<int>{1} << QStringLiteral("Msg08");
    QTest::newRow("trois") << QStringLiteral("crv-1.0.7-french.lng") << QList<int>{0, 1, 2} << QStringLiteral("Msg09");
    QTest::newRow("trois, anglais") << QStringLiteral("crv-1.0.7-english.lng") << QList<int>{0, 2, 3}
                                    << QStringLiteral("Msg09");
}

// Answered No: nothing changes, not even the status line.
void TstSuppression::confirmation()
{
    QFETCH(QString, langue);
    QFETCH(QList<int>, choisies);
    QFETCH(QString, suite);
    Scene s(langue);
    const QStringList noms{QStringLiteral("a.con"), QStringLiteral("b.con"), QStringLiteral("c.con"),
                           QStringLiteral("d.con")};
    for (const QString &n : noms)
        s.con(n);
    s.lister(noms, choisies);
    s.seam.repondre(Reponse::Non);

    s.f->cmdSupprimer->click();

    const QString attendu = M("Msg07") + QStringLiteral("\r\n\r\n")
        + remplacer(M(qPrintable(suite)), u"[num]", QString::number(choisies.size()));
    QCOMPARE(s.seam.messages,
             (QList<Message>{{attendu, Boutons::OuiNon, Icone::Exclamation, QStringLiteral("Corvanel")}}));
    for (const QString &n : noms)
        QVERIFY(QFile::exists(DossierConsists + n));
    QCOMPARE(s.liste(), noms);
    QCOMPARE(s.f->lblInformations->text(), QString());
    QVERIFY(s.f->cmdSupprimer->isEnabled());
    QCOMPARE(s.seam.evenementsLaisses, 0);
}

void TstSuppression::sansSelection()
{
    Scene s;
    s.con(QStringLiteral("a.con"));
    s.lister({QStringLiteral("a.con")}, {});
    s.f->pbJauge->setRange(0, 7);

    s.f->cmdSupprimer->click();

    QCOMPARE(s.seam.messages, (QList<Message>{{M("Msg23"), Boutons::OK, Icone::Critique, QStringLiteral("Corvanel")}}));
    QVERIFY(QFile::exists(DossierConsists + QStringLiteral("a.con")));
    QCOMPARE(s.f->pbJauge->maximum(), 7);
    QCOMPARE(s.f->lblInformations->text(), QString());
    QVERIFY(s.f->cmdSupprimer->isEnabled());
}

// Five entries, the second and fourth selected: the bar counts every entry,
// the loop holds the other commands back and keeps its place.
void TstSuppression::jaugeCinqEntrees()
{
    Scene s;
    const QStringList noms{QStringLiteral("a.con"), QStringLiteral("b.con"), QStringLiteral("c.con"),
                           QStringLiteral("d.con"), QStringLiteral("e.con")};
    for (const QString &n : noms)
        s.con(n);
    s.lister(noms, {1, 3});
    s.seam.repondre(Reponse::Oui);

    bool fini = false;
    QList<int> valeurs;
    QList<std::int64_t> compteurs;
    int maximum = -1;
    QObject::connect(s.f->pbJauge, &QProgressBar::valueChanged, [&](int v) {
        if (fini)
            return;
        valeurs << v;
        maximum = s.f->pbJauge->maximum();
    });
    s.seam.avantMessage = [&](const Message &m) {
        if (m.texte == M("Msg11"))
            fini = true;
    };
    s.seam.pendantEvenements = [&] {
        if (fini)
            return;
        compteurs << Compteur;
        QCOMPARE(s.f->lblInformations->text(), QStringLiteral(" \n") + M("Msg10"));
        for (QWidget *w : {static_cast<QWidget *>(s.f->cmdRechercher), static_cast<QWidget *>(s.f->cmdNettoyer),
                           static_cast<QWidget *>(s.f->cmdRapportDetaille),
                           static_cast<QWidget *>(s.f->cmdSupprimer), static_cast<QWidget *>(s.f->cmdDeplacerVers),
                           static_cast<QWidget *>(s.f->cmdSelectionner[0]), static_cast<QWidget *>(s.f->lstLFI)})
            QVERIFY(!w->isEnabled());
        QVERIFY(!frmCorvanel::menuActif(s.f->mnuFichier));
        QVERIFY(!frmCorvanel::menuActif(s.f->mnuOutils));
        QVERIFY(!frmCorvanel::menuActif(s.f->mnuAide));
        // A click that reaches the list meanwhile changes nothing the loop
        // goes by.
        s.f->lstLFI->item(4)->setSelected(true);
    };

    s.f->cmdSupprimer->click();

    QCOMPARE(valeurs, (QList<int>{1, 2, 3, 4, 5, 0}));
    QCOMPARE(maximum, 5);
    QCOMPARE(compteurs, (QList<std::int64_t>{0, 1, 2, 3, 4}));
    QCOMPARE(s.seam.messages.size(), 2);
    QCOMPARE(s.seam.messages[1], (Message{M("Msg11"), Boutons::OK, Icone::Information, QStringLiteral("Corvanel")}));
    QStringList restants;
    for (const QString &n : noms)
        if (QFile::exists(DossierConsists + n))
            restants << n;
    QCOMPARE(restants, (QStringList{QStringLiteral("a.con"), QStringLiteral("c.con"), QStringLiteral("e.con")}));
    // The closing scan ran and gave the list commands back.
    QCOMPARE(s.liste(), restants);
    QVERIFY(s.f->cmdSupprimer->isEnabled());
    QCOMPARE(s.f->pbJauge->value(), 0);
}

void TstSuppression::lectureSeuleOuCache_data()
{
    QTest::addColumn<QString>("nom");
    QTest::addColumn<QString>("genre");
    QTest::addColumn<bool>("oui");
    for (const bool oui : {true, false}) {
        const char *r = oui ? "oui" : "non";
        QTest::addRow("lecture seule, %s", r) << QStringLiteral("x.con") << QStringLiteral("ro") << oui;
        QTest::addRow("caché, %s", r) << QStringLiteral("x.con") << QStringLiteral("cache") << oui;
        QTest::addRow("caché et lecture seule, %s", r) << QStringLiteral("x y.con") << QStringLiteral("les deux")
                                                       << oui;
        QTest::addRow("nom en point, %s", r) << QStringLiteral(".x.con") << QStringLiteral("point") << oui;
    }
}

// Asked once per file, however many of the two attributes it has; Yes
// clears them and deletes it, No leaves it as it was.
void TstSuppression::lectureSeuleOuCache()
{
    QFETCH(QString, nom);
    QFETCH(QString, genre);
    QFETCH(bool, oui);
    Scene s;
    const QString chemin = s.con(nom);
    s.con(QStringLiteral("normal.con"));
    if (genre == u"ro" || genre == u"les deux")
        rendreLectureSeule(chemin);
    if (genre == u"cache" || genre == u"les deux")
        cacher(chemin);
    const int avant = sf::lireAttributs(chemin);
    s.lister({nom, QStringLiteral("normal.con")}, {0, 1});
    s.seam.repondre(Reponse::Oui);
    s.seam.repondre(oui ? Reponse::Oui : Reponse::Non);

    s.f->cmdSupprimer->click();

    QCOMPARE(s.seam.messages.size(), 3);
    QCOMPARE(s.seam.messages[1].texte, remplacer(M("Msg06"), u"[file]", nom));
    QCOMPARE(s.seam.messages[1].boutons, Boutons::OuiNon);
    QCOMPARE(s.seam.messages[1].icone, Icone::Question);
    QCOMPARE(s.seam.messages[2].texte, M("Msg11"));
    QVERIFY(!QFile::exists(DossierConsists + QStringLiteral("normal.con")));
    QCOMPARE(sf::existe(chemin), !oui);
    if (!oui) {
        QCOMPARE(sf::lireAttributs(chemin), avant);
        QCOMPARE(s.liste(), QStringList{nom});
    }
}

// Deleted outside the program since the scan: passed over, the others go.
void TstSuppression::fichierDisparu()
{
    Scene s;
    s.con(QStringLiteral("b.con"));
    s.lister({QStringLiteral("a.con"), QStringLiteral("b.con")}, {0, 1});
    s.seam.repondre(Reponse::Oui);

    QCOMPARE(codeDeFin([&] { s.f->cmdSupprimer_Click(); }), -1);

    QVERIFY(!QFile::exists(DossierConsists + QStringLiteral("b.con")));
    QCOMPARE(s.seam.messages.size(), 2);
    QCOMPARE(s.seam.messages[1].texte, M("Msg11"));
}

// Any other failure is the fatal report; what was deleted stays deleted.
void TstSuppression::autreEchecFatal()
{
    Scene s;
    for (const char *n : {"a.con", "b.con", "c.con"})
        s.con(QString::fromLatin1(n));
    s.lister({QStringLiteral("a.con"), QStringLiteral("b.con"), QStringLiteral("c.con")}, {0, 1, 2});
    s.seam.repondre(Reponse::Oui);
    sf::injecterPanne(sf::Operation::Suppression, QStringLiteral("b.con"), EACCES);

    QCOMPARE(codeDeFin([&] { s.f->cmdSupprimer_Click(); }), 1);

    QCOMPARE(s.seam.messages.size(), 2);
    QCOMPARE(s.seam.messages[1],
             (Message{QString::fromUtf8("Erreur n° 70. Permission refusée.\r\n\r\n"
                                        "Si le problème persiste, veuillez contacter l'auteur du programme."),
                      Boutons::OK, Icone::Critique, QStringLiteral("Corvanel")}));
    QVERIFY(!QFile::exists(DossierConsists + QStringLiteral("a.con")));
    QVERIFY(QFile::exists(DossierConsists + QStringLiteral("b.con")));
    QVERIFY(QFile::exists(DossierConsists + QStringLiteral("c.con")));
}

QTEST_MAIN(TstSuppression)
#include "tst_suppression.moc"
