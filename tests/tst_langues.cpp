// Guards the language files that ship in lang/: a missing or blank text ends
// the program at the moment it is asked for, so every mistake here would only
// show up in front of a user.
#include "app/Texte.h"
#include "localisation/Catalogue.h"
#include "localisation/FichierIni.h"
#include "support/Bac.h"

#include <QDir>
#include <QFile>
#include <QHash>
#include <QRegularExpression>
#include <QStringDecoder>
#include <QtTest>

using namespace corvanel;

namespace {

// Every "Key=Text" of the file as written, before the reader trims or cuts
// anything, under "section/key" in lower case (the reader ignores case).
QHash<QString, QStringList> textesBruts(const QByteArray &octets)
{
    QHash<QString, QStringList> textes;
    QString section;
    for (const QString &brute : depuisAnsi(octets).split(QStringLiteral("\r\n"))) {
        const QString ligne = brute.trimmed();
        const qsizetype egal = ligne.indexOf(u'=');
        if (ligne.startsWith(u'['))
            section = ligne.mid(1, ligne.indexOf(u']') - 1).trimmed().toLower();
        else if (egal > 0 && !ligne.startsWith(u';'))
            textes[section + u'/' + ligne.first(egal).trimmed().toLower()] << ligne.sliced(egal + 1).trimmed();
    }
    return textes;
}

// Captions that answer the same Alt+letter: the buttons and menu bar of the
// main window, each menu, each dialog. A key's section is its name less the
// digits.
const char *const GroupesTouches[] = {
    "Button01 Button02 Button03 Button13 Button16 Menu100 Menu200 Menu300",
    "Menu101 Menu102 Menu103 Menu104",
    "Menu201 Menu202",
    "Menu301 Menu302 Menu303 Menu304 Menu305",
    "OptionButton01 OptionButton02 OptionButton03 OptionButton04 OptionButton05 OptionButton06 Button08 Button09 "
    "Button10",
    "Button04 Button05 Button06 Button07",
    "CheckBox01 CheckBox02 CheckBox03 Button11 Button12",
    "Button11 Button14 Button15",
};

} // namespace

class TstLangues : public QObject {
    Q_OBJECT

private slots:
    void fichier_data()
    {
        QTest::addColumn<QString>("chemin");
        const QDir dossier(test::Bac::dossierLangSource());
        // The two files that ship by default are checked even when missing.
        QStringList noms = dossier.entryList({QStringLiteral("*.lng")}, QDir::Files);
        noms << QStringLiteral("crv-1.0.7-french.lng") << QStringLiteral("crv-1.0.7-english.lng");
        noms.removeDuplicates();
        for (const QString &nom : noms)
            QTest::newRow(qPrintable(nom)) << dossier.filePath(nom);
    }

    void fichier()
    {
        QFETCH(QString, chemin);
        QFile f(chemin);
        QVERIFY2(f.open(QIODevice::ReadOnly), "missing");
        const QByteArray octets = f.readAll();

        // The reader takes the bytes as Windows-1252 and lines as CR LF: a file
        // saved as UTF-8 or UTF-16 shows garbled or not at all.
        const qsizetype lignes = octets.count("\r\n");
        QVERIFY2(octets.endsWith("\r\n") && octets.count('\n') == lignes && octets.count('\r') == lignes, "CR LF");
        QVERIFY2(!octets.contains('\0'), "UTF-16");
        QStringDecoder utf8(QStringDecoder::Utf8);
        const QString commeUtf8 = utf8(octets);
        QVERIFY2(utf8.hasError() || commeUtf8.size() == octets.size(), "UTF-8");

        // Each text the program asks for reads back non-blank, exactly as
        // written (no enclosing quotes eaten, nothing cut past 254 characters,
        // no later duplicate ignored), with the placeholders its caller fills
        // and no other.
        const QHash<QString, QStringList> bruts = textesBruts(octets);
        static const QRegularExpression marque(QStringLiteral("\\[[A-Za-z]+\\]"));
        for (const EntreeCatalogue &e : catalogue()) {
            const QString ou = e.section + u'/' + e.cle;
            const QString texte = sansBlancs(lireCleIniFichier(chemin, e.section, e.cle));
            QVERIFY2(!texte.isEmpty(), qPrintable(ou + " is missing or blank"));
            QVERIFY2(bruts.value(ou.toLower()) == QStringList{texte}, qPrintable(ou + " reads back as " + texte));
            for (const QString &m : e.marques)
                QVERIFY2(texte.contains(m), qPrintable(ou + " lacks " + m));
            for (auto it = marque.globalMatch(texte); it.hasNext();) {
                const QString trouvee = it.next().captured();
                QVERIFY2(e.marques.contains(trouvee), qPrintable(ou + " holds " + trouvee + ", which nobody fills"));
            }
        }

        // No two captions of one keyboard group share an access key ("&&" is
        // a plain "&").
        static const QRegularExpression chiffres(QStringLiteral("\\d+$"));
        for (const char *groupe : GroupesTouches) {
            QHash<QString, QString> prises;
            for (const QString &cle : QString::fromLatin1(groupe).split(u' ')) {
                QString legende = lireCleIniFichier(chemin, QString(cle).remove(chiffres), cle);
                QVERIFY2(!legende.isEmpty(), qPrintable(cle));
                legende.remove(QStringLiteral("&&"));
                const qsizetype a = legende.indexOf(u'&') + 1;
                if (a == 0 || a >= legende.size() || !legende[a].isLetterOrNumber())
                    continue;
                const QString t = legende[a].toCaseFolded();
                QVERIFY2(!prises.contains(t), qPrintable(cle + " and " + prises.value(t) + " share &" + t));
                prises.insert(t, cle);
            }
        }
    }
};

QTEST_GUILESS_MAIN(TstLangues)
#include "tst_langues.moc"
