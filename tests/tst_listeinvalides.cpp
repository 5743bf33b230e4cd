// Saving the invalid-consist list: the file's exact bytes, the dialog it is
// chosen in, and what the user learns when it cannot be written.
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
#include <QFileInfo>
#include <QListWidget>
#include <QLocale>
#include <QtTest>

using namespace corvanel;
using namespace corvanel::test;

class TstListeInvalides : public QObject {
    Q_OBJECT

private slots:
    void listeEnregistree_data();
    void listeEnregistree();
    void echecSignaleFichierIntact_data();
    void echecSignaleFichierIntact();
    void annulerNEcritRien();
};

namespace {

QByteArray lire(const QString &chemin)
{
    QFile f(chemin);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// A copy of the French language file with some texts replaced (raw
// Windows-1252 bytes), put in use.
void utiliserFrancaisModifie(Bac &bac, const QList<QPair<QByteArray, QByteArray>> &textes)
{
    bac.preparerProgramme();
    bac.utiliserLangue(QStringLiteral("crv-1.0.7-french.lng"));
    QByteArray contenu = lire(FichierLangue);
    for (const auto &[cle, valeur] : textes) {
        const qsizetype debut = contenu.indexOf("\n" + cle + "=") + 1;
        QVERIFY(debut > 0);
        const qsizetype fin = contenu.indexOf("\r\n", debut);
        contenu.replace(debut, fin - debut, cle + "=" + valeur);
    }
    bac.ecrire(QStringLiteral("programme/lang/modifie.lng"), contenu);
    bac.utiliserLangue(QStringLiteral("modifie.lng"));
}

// The dated line holds the date and time of the save, as the regional
// settings write them: "{D}" and "{T}" in `attendu` stand for them. The
// minute may turn during the save, so both ends are tried.
bool egalADate(const QByteArray &vu, const QByteArray &attendu, const QDateTime &avant, const QDateTime &apres)
{
    const QLocale l = QLocale::system();
    for (const QDateTime &t : {avant, apres}) {
        QByteArray a = attendu;
        a.replace("{D}", l.toString(t.date(), QLocale::ShortFormat).toLatin1());
        a.replace("{T}", l.toString(t.time(), QLocale::ShortFormat).toLatin1());
        if (vu == a)
            return true;
    }
    return false;
}

} // namespace

void TstListeInvalides::listeEnregistree_data()
{
    QTest::addColumn<QByteArray>("msg20");
    QTest::addColumn<QByteArray>("msg21");
    QTest::addColumn<QStringList>("entrees");
    QTest::addColumn<QByteArray>("attendu");

    const QByteArray tirets(62, '-');
    QTest::newRow("trois entrées, textes livrés")
        << QByteArray() << QByteArray() << QStringList{"a.con", "b b.con", "c.con"}
        << "Corvanel - Consists invalides\r\nCr\xe9\xe9 le {D} \xe0 {T}\r\n" + tirets
               + "\r\n \r\na.con\r\nb b.con\r\nc.con\r\n";
    QTest::newRow("Msg21 sans marque") << QByteArray("Liste") << QByteArray("Sans date") << QStringList{"a.con"}
                                       << "Liste\r\nSans date\r\n" + tirets + "\r\n \r\na.con\r\n";
    QTest::newRow("[date] deux fois") << QByteArray("Liste") << QByteArray("Du [date] au [date] ([time])")
                                      << QStringList{"a.con"}
                                      << "Liste\r\nDu {D} au {D} ({T})\r\n" + tirets + "\r\n \r\na.con\r\n";
    QTest::newRow("saut de ligne dans Msg20") << QByteArray("Un%nDeux") << QByteArray("X") << QStringList{"a.con"}
                                              << "Un\r\nDeux\r\nX\r\n" + tirets + "\r\n \r\na.con\r\n";
    QTest::newRow("caractères hors Windows-1252")
        << QByteArray("Liste") << QByteArray("X")
        << QStringList{QString::fromUtf8("Łódź.con"), QString::fromUtf8("€uro.con"), QString::fromUtf8("Ω.con")}
        << "Liste\r\nX\r\n" + tirets + "\r\n \r\n?\xf3" "d?.con\r\n\x80uro.con\r\n?.con\r\n";
}

void TstListeInvalides::listeEnregistree()
{
    QFETCH(QByteArray, msg20);
    QFETCH(QByteArray, msg21);
    QFETCH(QStringList, entrees);
    QFETCH(QByteArray, attendu);
    Bac bac;
    InteractionScriptee seam;
    Bac::utiliserJeu(bac.creerJeu());
    QList<QPair<QByteArray, QByteArray>> textes;
    if (!msg20.isNull())
        textes = {{"Msg20", msg20}, {"Msg21", msg21}};
    utiliserFrancaisModifie(bac, textes);

    frmCorvanel f;
    f.lstLFI->addItems(entrees);
    // Every entry is written, selected or not.
    f.lstLFI->item(0)->setSelected(true);
    // An existing file is replaced from its first line.
    const QString cible = bac.ecrire(QStringLiteral("sortie/liste.txt"), QByteArray(4000, 'x'));
    seam.choisirFichier(cible);

    const QDateTime avant = QDateTime::currentDateTime();
    f.mnuEnregistrerListe_Click();
    const QDateTime apres = QDateTime::currentDateTime();

    const QByteArray vu = lire(cible);
    QVERIFY2(egalADate(vu, attendu, avant, apres), vu.constData());
    QVERIFY(seam.messages.isEmpty());
    QCOMPARE(pointeurActuel(), Pointeur::ParDefaut);

    QCOMPARE(seam.choixDemandes.size(), 1);
    const ChoixFichier &c = seam.choixDemandes[0];
    QCOMPARE(c.titre, texte(QStringLiteral("Messages"), QStringLiteral("Msg19")));
    QCOMPARE(c.filtre, QStringLiteral("Fichier texte (*.txt)|*.txt|Tous les fichiers (*.*)|*.*"));
    QCOMPARE(c.extensionParDefaut, QStringLiteral("txt"));
    QVERIFY(c.confirmerEcrasement);
    QVERIFY(c.refuserLectureSeule);
    QCOMPARE(c.dossierInitial, DossierConsists);
}

void TstListeInvalides::echecSignaleFichierIntact_data()
{
    QTest::addColumn<QString>("cas");
    QTest::newRow("dossier absent") << QStringLiteral("absent");
    QTest::newRow("la cible est un dossier") << QStringLiteral("dossier");
    // A name so long that no temporary file fits beside it: the write
    // fails after the target was opened, while an old list stands there.
    QTest::newRow("fichier existant, écriture impossible") << QStringLiteral("existant");
}

void TstListeInvalides::echecSignaleFichierIntact()
{
    QFETCH(QString, cas);
    Bac bac;
    InteractionScriptee seam;
    Bac::utiliserJeu(bac.creerJeu());
    bac.preparerProgramme();
    bac.utiliserLangue(QStringLiteral("crv-1.0.7-french.lng"));

    QString cible;
    const QByteArray ancien = "ancienne liste\r\n";
    if (cas == u"absent") {
        cible = bac.chemin(QStringLiteral("absent/liste.txt"));
    } else if (cas == u"dossier") {
        cible = bac.creerDossier(QStringLiteral("liste.txt"));
        bac.ecrire(QStringLiteral("liste.txt/dedans"), ancien);
    } else {
        cible = bac.ecrire(QString(250, u'l'), ancien);
    }

    frmCorvanel f;
    f.lstLFI->addItems({QStringLiteral("a.con"), QStringLiteral("b.con")});
    seam.choisirFichier(cible);
    f.mnuEnregistrerListe_Click();

    QCOMPARE(seam.messages.size(), 1);
    const Message &m = seam.messages[0];
    QCOMPARE(m.icone, Icone::Critique);
    QCOMPARE(m.boutons, Boutons::OK);
    QCOMPARE(m.titre, QStringLiteral("Corvanel"));
    // The file named, then the system's reason.
    QVERIFY2(m.texte.startsWith(QDir::toNativeSeparators(cible) + QStringLiteral("\r\n\r\n")), qPrintable(m.texte));
    const QString raison = m.texte.mid(cible.size() + 4);
    QVERIFY(!raison.isEmpty());
    QVERIFY2(raison != QStringLiteral("Unknown error"), qPrintable(raison));
    QCOMPARE(pointeurActuel(), Pointeur::ParDefaut);

    if (cas == u"absent") {
        QVERIFY(!QFileInfo::exists(bac.chemin(QStringLiteral("absent"))));
    } else if (cas == u"dossier") {
        QVERIFY(QFileInfo(cible).isDir());
        QCOMPARE(lire(cible + QStringLiteral("/dedans")), ancien);
    } else {
        QCOMPARE(lire(cible), ancien);
    }
    // No temporary file left behind.
    QCOMPARE(QDir(bac.chemin()).entryList(QDir::Files).size(), cas == u"existant" ? 1 : 0);
}

void TstListeInvalides::annulerNEcritRien()
{
    Bac bac;
    InteractionScriptee seam;
    Bac::utiliserJeu(bac.creerJeu());
    bac.preparerProgramme();
    bac.utiliserLangue(QStringLiteral("crv-1.0.7-french.lng"));
    frmCorvanel f;
    f.lstLFI->addItems({QStringLiteral("a.con")});
    seam.choisirFichier(std::nullopt);
    f.mnuEnregistrerListe_Click();
    QCOMPARE(seam.choixDemandes.size(), 1);
    QVERIFY(seam.messages.isEmpty());
    QVERIFY(QDir(DossierConsists).isEmpty());
    QCOMPARE(pointeurActuel(), Pointeur::ParDefaut);
}

QTEST_MAIN(TstListeInvalides)
#include "tst_listeinvalides.moc"
