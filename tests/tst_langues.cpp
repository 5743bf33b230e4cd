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
#include <QtTest>

using namespace corvanel;

namespace {

QByteArray lireOctets(const QString &chemin)
{
    QFile f(chemin);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return f.readAll();
}

// Every "Key=Text" of the file as written, before the reader trims or cuts
// anything, under "section/key" in lower case (the reader ignores case).
QHash<QString, QStringList> textesBruts(const QByteArray &octets)
{
    QHash<QString, QStringList> textes;
    QString section;
    for (const QString &brute : depuisAnsi(octets).split(QStringLiteral("\r\n"))) {
        const QString ligne = brute.trimmed();
        if (ligne.isEmpty() || ligne.startsWith(u';'))
            continue;
        if (ligne.startsWith(u'[')) {
            section = ligne.mid(1, ligne.indexOf(u']') - 1).trimmed().toLower();
            continue;
        }
        const qsizetype egal = ligne.indexOf(u'=');
        if (egal < 0)
            continue;
        textes[section + u'/' + ligne.first(egal).trimmed().toLower()]
            << ligne.sliced(egal + 1).trimmed();
    }
    return textes;
}

// The access-key letter of a caption, case-folded; null when it has none.
QChar toucheAcces(const QString &legende)
{
    for (qsizetype i = 0; i + 1 < legende.size(); ++i) {
        if (legende[i] != u'&')
            continue;
        if (legende[i + 1] == u'&') {
            ++i;
            continue;
        }
        return legende[i + 1].isLetter() ? legende[i + 1].toCaseFolded() : QChar();
    }
    return {};
}

struct GroupeTouches {
    const char *nom;
    QStringList cles; // "Section/Key"
    bool toutesObligatoires; // OK and Cancel of a dialog go by Enter and Escape instead
};

// Captions that share one keyboard: the buttons and the menu bar of the main
// window answer the same Alt+letter, each open menu its own letters, each
// dialog its own.
const QList<GroupeTouches> &groupesTouches()
{
    static const QList<GroupeTouches> groupes = {
        {"main window",
         {"Button/Button01", "Button/Button02", "Button/Button03", "Button/Button13",
          "Button/Button16", "Menu/Menu100", "Menu/Menu200", "Menu/Menu300"},
         true},
        {"File menu", {"Menu/Menu101", "Menu/Menu102", "Menu/Menu103", "Menu/Menu104"}, true},
        {"Tools menu", {"Menu/Menu201", "Menu/Menu202"}, true},
        {"Help menu",
         {"Menu/Menu301", "Menu/Menu302", "Menu/Menu303", "Menu/Menu304", "Menu/Menu305"},
         true},
        {"destination dialog",
         {"OptionButton/OptionButton01", "OptionButton/OptionButton02",
          "OptionButton/OptionButton03", "OptionButton/OptionButton04",
          "OptionButton/OptionButton05", "OptionButton/OptionButton06", "Button/Button10",
          "Button/Button08", "Button/Button09"},
         false},
        {"overwrite confirmation",
         {"Button/Button04", "Button/Button05", "Button/Button06", "Button/Button07"}, false},
        {"file properties",
         {"CheckBox/CheckBox01", "CheckBox/CheckBox02", "CheckBox/CheckBox03",
          "Button/Button12", "Button/Button11"},
         false},
        {"detailed report", {"Button/Button14", "Button/Button15", "Button/Button11"}, false},
    };
    return groupes;
}

} // namespace

class TstLangues : public QObject {
    Q_OBJECT

private:
    static void fichiers()
    {
        QTest::addColumn<QString>("chemin");
        const QDir dossier(test::Bac::dossierLangSource());
        for (const QString &nom : dossier.entryList({QStringLiteral("*.lng")}, QDir::Files))
            QTest::newRow(qPrintable(nom)) << dossier.filePath(nom);
    }

private slots:
    void fichiersLivres()
    {
        const QDir dossier(test::Bac::dossierLangSource());
        QVERIFY2(dossier.exists(QStringLiteral("crv-1.0.7-french.lng")),
                 "the default language file must ship");
        QVERIFY(dossier.exists(QStringLiteral("crv-1.0.7-english.lng")));
    }

    void catalogueComplet_data() { fichiers(); }
    // Each text the program asks for reads back non-blank, exactly as written
    // (no enclosing quotes eaten, nothing cut, no later duplicate ignored), with
    // the placeholders its caller fills and no other.
    void catalogueComplet()
    {
        QFETCH(QString, chemin);
        const QHash<QString, QStringList> bruts = textesBruts(lireOctets(chemin));
        static const QRegularExpression marque(QStringLiteral("\\[[A-Za-z]+\\]"));

        for (const EntreeCatalogue &e : catalogue()) {
            const QString ou = e.section + u'/' + e.cle;
            const QString texte = sansBlancs(lireCleIniFichier(chemin, e.section, e.cle));
            QVERIFY2(!texte.isEmpty(), qPrintable(ou + QStringLiteral(" is missing or blank")));

            const QStringList ecrits = bruts.value(ou.toLower());
            QVERIFY2(ecrits.size() == 1, qPrintable(ou + QStringLiteral(" is written more than once")));
            QVERIFY2(texte == ecrits.first(),
                     qPrintable(ou + QStringLiteral(" reads back as \"") + texte + u'"'));

            for (const QString &m : e.marques)
                QVERIFY2(texte.contains(m), qPrintable(ou + QStringLiteral(" lacks ") + m));
            for (auto it = marque.globalMatch(texte); it.hasNext();) {
                const QString trouvee = it.next().captured();
                QVERIFY2(e.marques.contains(trouvee),
                         qPrintable(ou + QStringLiteral(" holds ") + trouvee
                                    + QStringLiteral(", which nobody fills in")));
            }
        }
    }

    void ecriture_data() { fichiers(); }
    // The reader takes the bytes as Windows-1252, lines as CR LF, and keeps
    // only 254 characters of a text.
    void ecriture()
    {
        QFETCH(QString, chemin);
        const QByteArray octets = lireOctets(chemin);
        QVERIFY(!octets.isEmpty());

        int ligne = 1;
        for (qsizetype i = 0; i < octets.size(); ++i) {
            const auto o = static_cast<unsigned char>(octets[i]);
            const auto ici = [&](const char *quoi) {
                return QByteArray("line ") + QByteArray::number(ligne) + ": " + quoi;
            };
            if (o == '\n') {
                QVERIFY2(i > 0 && octets[i - 1] == '\r', ici("line feed without carriage return").constData());
                ++ligne;
                continue;
            }
            if (o == '\r') {
                QVERIFY2(i + 1 < octets.size() && octets[i + 1] == '\n',
                         ici("carriage return without line feed").constData());
                continue;
            }
            QVERIFY2(o >= 0x20 || o == '\t', ici("control byte (UTF-16 or binary?)").constData());
            QVERIFY2(o != 0x81 && o != 0x8D && o != 0x8F && o != 0x90 && o != 0x9D,
                     ici("byte undefined in Windows-1252").constData());
            // A UTF-8 lead byte followed by a continuation byte is how "é" saved
            // as UTF-8 looks ("Ã©"); French text in Windows-1252 never pairs so.
            const bool tete = o >= 0xC2 && o <= 0xF4;
            const bool suite = i + 1 < octets.size()
                && static_cast<unsigned char>(octets[i + 1]) >= 0x80
                && static_cast<unsigned char>(octets[i + 1]) <= 0xBF;
            QVERIFY2(!(tete && suite), ici("UTF-8 sequence").constData());
        }
        QVERIFY2(octets.endsWith("\r\n"), "the last line must end in CR LF");

        const QString texte = depuisAnsi(octets);
        QVERIFY2(!texte.contains(u'Ã'), "UTF-8 read as Windows-1252");

        const QHash<QString, QStringList> bruts = textesBruts(octets);
        for (auto it = bruts.cbegin(); it != bruts.cend(); ++it)
            for (const QString &t : it.value())
                QVERIFY2(t.size() <= LongueurMaxTexteIni,
                         qPrintable(it.key() + QStringLiteral(" is %1 characters long").arg(t.size())));
    }

    void touchesAcces_data() { fichiers(); }
    void touchesAcces()
    {
        QFETCH(QString, chemin);
        for (const GroupeTouches &g : groupesTouches()) {
            QHash<QChar, QString> prises;
            for (const QString &ou : g.cles) {
                const QString section = ou.section(u'/', 0, 0);
                const QString cle = ou.section(u'/', 1, 1);
                const QChar touche = toucheAcces(sansBlancs(lireCleIniFichier(chemin, section, cle)));
                if (touche.isNull()) {
                    QVERIFY2(!g.toutesObligatoires,
                             qPrintable(ou + QStringLiteral(" has no access key (") + g.nom + u')'));
                    continue;
                }
                QVERIFY2(!prises.contains(touche),
                         qPrintable(QStringLiteral("%1: %2 and %3 share the access key %4")
                                        .arg(QLatin1String(g.nom), prises.value(touche), ou, touche)));
                prises.insert(touche, ou);
            }
        }
    }
};

QTEST_GUILESS_MAIN(TstLangues)
#include "tst_langues.moc"
