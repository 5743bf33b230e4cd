// The delete command from the main window, on real game folders.
#include "app/Texte.h"
#include "app/modDeclarations.h"
#include "fileops/SystemeFichiers.h"
#include "support/SceneFenetre.h"

#include <QAction>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QtTest>

#include <cerrno>

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
    // The consists and the list as a scan leaves it, the given entries selected.
    void lister(const QStringList &noms, const QList<int> &choisies)
    {
        for (const QString &n : noms)
            con(n);
        f->lstLFI->addItems(noms);
        for (int i : choisies)
            f->lstLFI->item(i)->setSelected(true);
        f->lstLFI->setEnabled(true);
        f->cmdSupprimer->setEnabled(true);
    }
    QString M(const char *cle) const { return L(QStringLiteral("Messages"), QString::fromLatin1(cle)); }
    QStringList liste() const
    {
        QStringList n;
        for (int i = 0; i < f->lstLFI->count(); ++i)
            n << f->lstLFI->item(i)->text();
        return n;
    }
};

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
    void boucleGardeSaPlace();
    void lectureSeuleOuCache();
    void autreEchecFatal();
};

void TstSuppression::confirmation_data()
{
    QTest::addColumn<QList<int>>("choisies");
    QTest::addColumn<QString>("suite"); // the key after Msg07 and an empty line
    QTest::newRow("aucune") << QList<int>{} << QString();
    QTest::newRow("un") << QList<int>{1} << QStringLiteral("Msg08");
    QTest::newRow("trois") << QList<int>{0, 1, 2} << QStringLiteral("Msg09");
}

// Without a selection Msg23; answered No: nothing changes.
void TstSuppression::confirmation()
{
    QFETCH(QList<int>, choisies);
    QFETCH(QString, suite);
    Scene s;
    const QStringList noms{QStringLiteral("a.con"), QStringLiteral("b.con"), QStringLiteral("c.con")};
    s.lister(noms, choisies);
    s.seam.repondre(Reponse::Non);

    s.f->cmdSupprimer->click();

    const Message attendu =
        choisies.isEmpty() ? Message{s.M("Msg23"), Boutons::OK, Icone::Critique, QStringLiteral("Corvanel")}
                           : Message{s.M("Msg07") + QStringLiteral("\r\n\r\n") +
                                         remplacer(s.M(qPrintable(suite)), u"[num]", QString::number(choisies.size())),
                                     Boutons::OuiNon, Icone::Exclamation, QStringLiteral("Corvanel")};
    QCOMPARE(s.seam.messages, QList<Message>{attendu});
    for (const QString &n : noms)
        QVERIFY(QFile::exists(DossierConsists + n));
}

// Five entries, the second and fourth selected, the fourth deleted outside
// the program since the scan: passed over, the program goes on. While the
// loop lets events through, the other commands are held back, and a click
// that reaches the list changes nothing the loop goes by. The closing scan
// lists what is left (every consist here is invalid).
void TstSuppression::boucleGardeSaPlace()
{
    Scene s;
    s.lister({QStringLiteral("a.con"), QStringLiteral("b.con"), QStringLiteral("c.con"), QStringLiteral("d.con"),
              QStringLiteral("e.con")},
             {1, 3});
    QVERIFY(QFile::remove(DossierConsists + QStringLiteral("d.con")));
    s.seam.repondre(Reponse::Oui);
    bool fini = false;
    s.seam.avantMessage = [&](const Message &m) { fini = fini || m.texte == s.M("Msg11"); };
    s.seam.pendantEvenements = [&] {
        if (fini)
            return;
        QVERIFY(!s.f->cmdRechercher->isEnabled() && !s.f->cmdNettoyer->isEnabled() && !s.f->lstLFI->isEnabled());
        QVERIFY(!frmCorvanel::menuActif(s.f->mnuFichier));
        s.f->lstLFI->item(4)->setSelected(true);
    };

    QCOMPARE(codeDeFin([&] { s.f->cmdSupprimer->click(); }), -1);

    QCOMPARE(s.seam.messages.size(), 2);
    QCOMPARE(s.seam.messages[1], (Message{s.M("Msg11"), Boutons::OK, Icone::Information, QStringLiteral("Corvanel")}));
    QCOMPARE(s.liste(), (QStringList{QStringLiteral("a.con"), QStringLiteral("c.con"), QStringLiteral("e.con")}));
    QVERIFY(s.f->cmdSupprimer->isEnabled());
}

// Asked once per file, however many of the two attributes it has (hidden by
// its name too); Yes clears them and deletes it, No leaves it as it was.
void TstSuppression::lectureSeuleOuCache()
{
    Scene s;
    s.lister({QStringLiteral(".x.con"), QStringLiteral("r.con"), QStringLiteral("x y.con")}, {0, 1, 2});
    const QString ro = DossierConsists + QStringLiteral("r.con"), lesDeux = DossierConsists + QStringLiteral("x y.con");
    QVERIFY(QFile::setPermissions(ro, QFile::ReadOwner));
    QVERIFY(QFile::setPermissions(lesDeux, QFile::ReadOwner));
    cacher(lesDeux);
    for (Reponse r : {Reponse::Oui, Reponse::Non, Reponse::Non, Reponse::Oui})
        s.seam.repondre(r);

    s.f->cmdSupprimer->click();

    QStringList textes;
    for (const Message &m : s.seam.messages.mid(1))
        textes << m.texte;
    QCOMPARE(textes,
             (QStringList{remplacer(s.M("Msg06"), u"[file]", u".x.con"), remplacer(s.M("Msg06"), u"[file]", u"r.con"),
                          remplacer(s.M("Msg06"), u"[file]", u"x y.con"), s.M("Msg11")}));
    QCOMPARE(s.seam.messages[1].boutons, Boutons::OuiNon);
    QCOMPARE(s.seam.messages[1].icone, Icone::Question);
    QCOMPARE(sf::lireAttributs(DossierConsists + QStringLiteral(".x.con")), int(sf::Cache));
    QCOMPARE(sf::lireAttributs(ro), int(sf::LectureSeule));
    QCOMPARE(s.liste(), (QStringList{QStringLiteral(".x.con"), QStringLiteral("r.con")}));
}

// Any other failure is the fatal report; what was deleted stays deleted.
void TstSuppression::autreEchecFatal()
{
    Scene s;
    s.lister({QStringLiteral("a.con"), QStringLiteral("b.con"), QStringLiteral("c.con")}, {0, 1, 2});
    s.seam.repondre(Reponse::Oui);
    sf::injecterPanne(sf::Operation::Suppression, QStringLiteral("b.con"), EACCES);

    QCOMPARE(codeDeFin([&] { s.f->cmdSupprimer_Click(); }), 1);

    QCOMPARE(s.seam.messages.size(), 2);
    QCOMPARE(s.seam.messages[1],
             (Message{QString::fromUtf8("Erreur n° 70. Permission refusée.\r\n\r\n"
                                        "Si le problème persiste, veuillez contacter l'auteur du programme."),
                      Boutons::OK, Icone::Critique, QStringLiteral("Corvanel")}));
    QCOMPARE(QDir(DossierConsists).entryList(QDir::Files),
             (QStringList{QStringLiteral("b.con"), QStringLiteral("c.con")}));
}

QTEST_MAIN(TstSuppression)
#include "tst_suppression.moc"
