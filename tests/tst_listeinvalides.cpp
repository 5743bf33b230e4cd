// Saving the invalid-consist list: the file's exact bytes, and what the user
// learns when it cannot be written.
#include "app/modDeclarations.h"
#include "support/SceneFenetre.h"
#include "ui/Pointeur.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QListWidget>
#include <QLocale>
#include <QtTest>

using namespace corvanel;
using namespace corvanel::test;

class TstListeInvalides : public QObject {
    Q_OBJECT

private slots:
    void listeEnregistree();
    void echecSignaleFichierIntact_data();
    void echecSignaleFichierIntact();
};

namespace {

QByteArray lire(const QString &chemin)
{
    QFile f(chemin);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

void TstListeInvalides::listeEnregistree()
{
    SceneFenetre s;
    // Names the code page cannot hold get "?" for those characters.
    s.f->lstLFI->addItems({QStringLiteral("a.con"), QStringLiteral("b b.con"), QString::fromUtf8("Łódź.con"),
                           QString::fromUtf8("€uro.con")});
    // Every entry is written, selected or not.
    s.f->lstLFI->item(0)->setSelected(true);
    // An existing file is replaced from its first line.
    const QString cible = s.bac.ecrire(QStringLiteral("sortie/liste.txt"), QByteArray(4000, 'x'));
    s.seam.choisirFichier(cible);

    const QDateTime avant = QDateTime::currentDateTime();
    s.f->mnuEnregistrerListe_Click();
    const QDateTime apres = QDateTime::currentDateTime();

    // The dated line as the regional settings write it; the minute may turn
    // during the save, so both ends are tried.
    const QByteArray vu = lire(cible);
    bool egal = false;
    const QLocale l = QLocale::system();
    for (const QDateTime &t : {avant, apres})
        egal = egal || vu == "Corvanel - Consists invalides\r\nCr\xe9\xe9 le " +
                                 l.toString(t.date(), QLocale::ShortFormat).toLatin1() + " \xe0 " +
                                 l.toString(t.time(), QLocale::ShortFormat).toLatin1() + "\r\n" + QByteArray(62, '-') +
                                 "\r\n \r\na.con\r\nb b.con\r\n?\xf3"
                                 "d?.con\r\n\x80uro.con\r\n";
    QVERIFY2(egal, vu.constData());
    QVERIFY(s.seam.messages.isEmpty());
    // An existing file is never replaced unasked.
    QVERIFY(s.seam.choixDemandes.at(0).confirmerEcrasement);
}

void TstListeInvalides::echecSignaleFichierIntact_data()
{
    QTest::addColumn<bool>("existant");
    QTest::newRow("dossier absent") << false;
    // A name so long that no temporary file fits beside it: the write
    // fails after the target was opened, while an old list stands there.
    QTest::newRow("fichier existant, écriture impossible") << true;
}

void TstListeInvalides::echecSignaleFichierIntact()
{
    QFETCH(bool, existant);
    SceneFenetre s;
    const QByteArray ancien = "ancienne liste\r\n";
    const QString cible =
        existant ? s.bac.ecrire(QString(250, u'l'), ancien) : s.bac.chemin(QStringLiteral("absent/liste.txt"));
    s.f->lstLFI->addItems({QStringLiteral("a.con"), QStringLiteral("b.con")});
    s.seam.choisirFichier(cible);
    s.f->mnuEnregistrerListe_Click();

    QCOMPARE(s.seam.messages.size(), 1);
    const Message &m = s.seam.messages[0];
    QCOMPARE(m.icone, Icone::Critique);
    QCOMPARE(m.titre, QStringLiteral("Corvanel"));
    // The file named, then the system's reason.
    QVERIFY2(m.texte.startsWith(QDir::toNativeSeparators(cible) + QStringLiteral("\r\n\r\n")), qPrintable(m.texte));
    const QString raison = m.texte.mid(cible.size() + 4);
    QVERIFY2(!raison.isEmpty() && raison != QStringLiteral("Unknown error"), qPrintable(raison));
    QCOMPARE(pointeurActuel(), Pointeur::ParDefaut);
    // No folder made, no temporary file left behind, the old list intact.
    QVERIFY(!QFileInfo::exists(s.bac.chemin(QStringLiteral("absent"))));
    QCOMPARE(QDir(s.bac.chemin()).entryList(QDir::Files).size(), existant ? 1 : 0);
    if (existant)
        QCOMPARE(lire(cible), ancien);
}

QTEST_MAIN(TstListeInvalides)
#include "tst_listeinvalides.moc"
