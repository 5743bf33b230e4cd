// Text lookup, which every caption and message of the program goes through,
// and the language files that ship in lang/: a missing or blank text ends the
// program at the moment it is asked for, so every mistake there would only
// show up in front of a user.
#include "localisation/Catalogue.h"
#include "localisation/FichierIni.h"
#include "localisation/LireLangue.h"
#include "support/Essai.h"

namespace {

// Every "Key=Text" of the file as written, before the reader trims or cuts
// anything, under "section/key" in lower case (the reader ignores case).
QHash<QString, QStringList> textesBruts(const QByteArray &octets)
{
    QHash<QString, QStringList> textes;
    QString section;
    for (const QString &brute : depuisAnsi(octets).split(u"\r\n"_s)) {
        const QString ligne = brute.trimmed();
        const qsizetype egal = ligne.indexOf(u'=');
        if (ligne.startsWith(u'['))
            section = ligne.mid(1, ligne.indexOf(u']') - 1).trimmed().toLower();
        else if (egal > 0 && !ligne.startsWith(u';'))
            textes[section + u'/' + ligne.first(egal).trimmed().toLower()] << ligne.sliced(egal + 1).trimmed();
    }
    return textes;
}

} // namespace

class TstLangues : public QObject {
    Q_OBJECT

private slots:
    void fichier_data()
    {
        QTest::addColumn<QString>("chemin");
        const QDir dossier(Bac::dossierLangSource());
        // The two files that ship by default are checked even when missing.
        QStringList noms = dossier.entryList({u"*.lng"_s}, QDir::Files);
        noms << u"crv-1.0.7-french.lng"_s << u"crv-1.0.7-english.lng"_s;
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

        // Each text the program asks for reads back non-blank, exactly as written
        // (no enclosing quotes eaten, nothing cut past 254 characters, no later
        // duplicate ignored), with the placeholders its caller fills and no other.
        const QHash<QString, QStringList> bruts = textesBruts(octets);
        static const QRegularExpression marque(u"\\[[A-Za-z]+\\]"_s);
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
    }

    void lecture_data()
    {
        // Every row reads key K of section M.
        colonnes<QByteArray, QString>("fichier", "attendu");
        QTest::newRow("une coupure") << QByteArray("[M]\r\nK=Un%nDeux\r\n") << u"Un\r\nDeux"_s;
        QTest::newRow("deux coupures font une ligne vide") << QByteArray("[M]\nK=Un%n%nDeux\n") << u"Un\r\n\r\nDeux"_s;
        QTest::newRow("casse des noms ignorée") << QByteArray("[m]\r\nk=&Rechercher\r\n") << u"&Rechercher"_s;
        QTest::newRow("texte après le premier égal") << QByteArray("[M]\r\nK = a=b = c \r\n") << u"a=b = c"_s;
        QTest::newRow("guillemets enlevés")
            << QByteArray("[M]\r\nK=\"  entre guillemets  \"\r\n") << u"entre guillemets"_s;
        QTest::newRow("apostrophes enlevées") << QByteArray("[M]\r\nK='dit'\r\n") << u"dit"_s;
        QTest::newRow("guillemet seul gardé") << QByteArray("[M]\r\nK=\"ouvert\r\n") << u"\"ouvert"_s;
        QTest::newRow("marque intacte") << QByteArray("[M]\r\nK=[num] fichiers\r\n") << u"[num] fichiers"_s;
        QTest::newRow("windows-1252") << QByteArray("[M]\r\nK=Propri\xe9t\xe9s \x80 \x9c\r\n") << u"Propriétés € œ"_s;
        QTest::newRow("autre section") << QByteArray("[A]\r\nK=a\r\n[M]\r\nK=b\r\n") << u"b"_s;
        // A translator's "[ Messages ]" must not make every key missing.
        QTest::newRow("blancs dans les crochets") << QByteArray("[ M ]\r\nK=b\r\n") << u"b"_s;
        QTest::newRow("commentaire") << QByteArray("[M]\r\n;K=non\r\nK=oui\r\n") << u"oui"_s;
        QTest::newRow("fin de ligne CR seul") << QByteArray("[M]\rJ=a\rK=b\r") << u"b"_s;
        QTest::newRow("tabulations autour") << QByteArray("[M]\r\n\tK\t=\tx\t\r\n") << u"x"_s;
        QTest::newRow("254 caractères au plus") << "[M]\r\nK=" + QByteArray(300, 'a') + "\r\n" << QString(254, u'a');
        QTest::newRow("coupé avant les blancs de fin") << "[M]\r\nK=" + QByteArray(250, 'a') + "     b\r\n"
                                                       << QString(250, u'a');
    }

    void lecture()
    {
        auto [fichier, attendu] = donnees<QByteArray, QString>("fichier", "attendu");
        Bac bac;
        InteractionScriptee seam;
        const QString chemin = bac.ecrire(u"t.lng"_s, fichier);
        QCOMPARE(LireLangue(chemin, u"M"_s, u"K"_s, true), attendu);
        QVERIFY(seam.messages.isEmpty());
    }

    void ansiAllerRetour()
    {
        QByteArray tous;
        for (int i = 1; i < 256; ++i)
            tous.append(static_cast<char>(i));
        QCOMPARE(versAnsi(depuisAnsi(tous)), tous);
        QCOMPARE(versAnsi(u"Ωx€"), QByteArray("?x\x80"));
        QCOMPARE(versAnsi(u"a\U0001F682b"_s), QByteArray("a?b"));
    }

    void texteManquantTermine_data()
    {
        // fichier: null: no file there; "<dossier>": a folder of that name, no language file either
        colonnes<QByteArray, QString>("fichier", "message");
        const QString manque =
            u"La section [Button] ou la clé \"Button01\" n'existe pas dans le fichier de langue "
            u"\"crv-1.0.7-french.lng\".\r\n\r\nVeuillez corriger le problème, puis relancer Corvanel."_s;
        QTest::newRow("clé absente") << QByteArray("[Button]\r\nButton02=b\r\n") << manque;
        QTest::newRow("section absente") << QByteArray("[Menu]\r\nButton01=b\r\n") << manque;
        QTest::newRow("texte vide") << QByteArray("[Button]\r\nButton01=\r\n") << manque;
        QTest::newRow("blancs seulement") << QByteArray("[Button]\r\nButton01=     \r\n") << manque;
        QTest::newRow("guillemets vides") << QByteArray("[Button]\r\nButton01=\"\"\r\n") << manque;
        const QString absent = u"Le fichier de langue suivant n'existe pas : crv-1.0.7-french.lng\r\n\r\n"
                               u"Impossible de continuer."_s;
        QTest::newRow("fichier absent") << QByteArray() << absent;
        QTest::newRow("un dossier") << QByteArray("<dossier>") << absent;
    }

    // The file is named by the name in use, not by the path looked up; the
    // text of the file in use ends the same way.
    void texteManquantTermine()
    {
        auto [fichier, message] = donnees<QByteArray, QString>("fichier", "message");
        Bac bac;
        InteractionScriptee seam;
        NomFichierLangue = u"crv-1.0.7-french.lng"_s;
        FichierLangue = fichier.isNull()         ? bac.chemin(u"absent.lng"_s)
                        : fichier == "<dossier>" ? bac.creerDossier(u"lang/x.lng"_s)
                                                 : bac.ecrire(u"autre-nom.lng"_s, fichier);
        QCOMPARE(codeDeFin([&] { texte(u"Button"_s, u"Button01"_s); }), 1);
        QCOMPARE(codeDeFin([&] { LireLangue(FichierLangue, u"Button"_s, u"Button01"_s); }), 1);
        QCOMPARE(seam.messages, QList<Message>(2, {message, Boutons::OK, Icone::Critique}));
    }

    // Start-up's own form of the fatal report; the others are checked where
    // their commands fail.
    void rapportDeDemarrage()
    {
        QCOMPARE(texteRapportFatal(VarianteRapport::ErreurNoColle, ErreurExecution(NumErreur::FichierIntrouvable)),
                 QString::fromUtf8("Erreur n°53. Fichier introuvable\r\n\r\n"
                                   "Si le problème persiste, veuillez contacter l'auteur du programme."));
    }
};

QTEST_GUILESS_MAIN(TstLangues)
#include "tst_langues.moc"
