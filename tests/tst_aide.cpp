// The Help and Tools menus: the documents, the About box, the language
// choice, and the external text editor (what reaches it, the messages when
// none can be used, choosing one with the program chooser).
#include "analysis/frmManquants.h"
#include "analysis/frmRapportDetaille.h"
#include "analysis/frmRoutes.h"
#include "app/frmParcourir1.h"
#include "fileops/frmDemander.h"
#include "fileops/frmDeplacerVers.h"
#include "fileops/frmNouveauDossier.h"
#include "fileops/frmProprietesFichier.h"
#include "localisation/LireLangue.h"
#include "localisation/TraductionsQt.h"
#include "support/Essai.h"
#include "ui/Aide.h"
#include "ui/Editeur.h"
#include "ui/InteractionQt.h"
#include "ui/ListeDossiers.h"
#include "ui/frmParcourir2.h"

#include <QGroupBox>
#include <QMenuBar>

namespace {
const QString Francais = u"crv-1.0.7-french.lng"_s;
const QString Anglais = u"crv-1.0.7-english.lng"_s;
const QString Options = u"Options"_s;
const QString Editeur = u"Editeur"_s;
using Scene = SceneFenetre;

QString programme(Bac &bac, const QString &relatif, const QByteArray &contenu = "#!/bin/sh\n")
{
    const QString chemin = bac.ecrire(relatif, contenu);
    QFile::setPermissions(chemin, QFile::permissions(chemin) | QFile::ExeOwner | QFile::ExeGroup | QFile::ExeOther);
    return chemin;
}

// The access keys of one window that more than one control answers to:
// "r: &Refresh, &Replace with...". Buttons, labels that lead to a control,
// frames and the menu bar share the window's Alt keys; each menu's items
// have their own.
QStringList touchesEnDouble(const QWidget &fenetre)
{
    QStringList doubles;
    const auto verifier = [&doubles](const QStringList &textes) {
        // The first "&" before a letter; "&&" is a plain ampersand.
        static const QRegularExpression cle(u"(?:^|[^&])(?:&&)*&([^&])"_s);
        QMultiMap<QChar, QString> parTouche;
        for (const QString &t : textes)
            if (const QRegularExpressionMatch m = cle.match(t); m.hasMatch())
                parTouche.insert(m.captured(1)[0].toLower(), t);
        for (const QChar touche : parTouche.uniqueKeys())
            if (parTouche.count(touche) > 1)
                doubles << QString(touche) + u": "_s + QStringList(parTouche.values(touche)).join(u", "_s);
    };
    QStringList textes;
    // Only the window's own: a dialog it owns has keys of its own.
    for (const QAbstractButton *b : fenetre.findChildren<QAbstractButton *>())
        if (b->window() == &fenetre)
            textes << b->text();
    for (const QLabel *l : fenetre.findChildren<QLabel *>())
        if (l->buddy() && l->window() == &fenetre)
            textes << l->text();
    for (const QGroupBox *g : fenetre.findChildren<QGroupBox *>())
        if (g->window() == &fenetre)
            textes << g->title();
    for (const QMenuBar *barre : fenetre.findChildren<QMenuBar *>()) {
        for (const QAction *menu : barre->actions()) {
            textes << menu->text();
            QStringList items;
            if (menu->menu())
                for (const QAction *a : menu->menu()->actions())
                    items << a->text();
            verifier(items);
        }
    }
    verifier(textes);
    return doubles;
}

} // namespace

class TstAide : public QObject {
    Q_OBJECT

private slots:
    void parLangue_data()
    {
        // enUsage: the name the file in use is known by
        colonnes<QString, QString, bool>("langue", "enUsage", "traducteur");
        for (const QString &nom : QDir(Bac::dossierLangSource()).entryList({u"*.lng"_s}, QDir::Files))
            QTest::newRow(qPrintable(nom)) << nom << nom << (nom != Francais);
        QTest::newRow("défaut dans une autre casse") << Francais << u"CRV-1.0.7-French.lng"_s << true;
    }

    // Alt and a letter reach one control in every window, in each language
    // file that ships; the buttons without a word have a tip. The documents
    // each language file names ship with the program. Every picture the help
    // and the FAQ show exists, in their language, with its alt text; every
    // picture made for that language is shown; and every window the
    // screenshot program draws for the help has its picture there (after a
    // new window: scripts/screenshots --doc). Another file than the default
    // names its translator, last in the About box.
    void parLangue()
    {
        const auto [langue, enUsage, traducteur] = donnees<QString, QString, bool>("langue", "enUsage", "traducteur");
        Scene s(langue);
        frmRapportDetaille rapport;
        frmManquants manquants(s.f.get());
        frmRoutes routes(s.f.get());
        frmChoixVehicule choix(u"Vieux/V1.wag"_s, {}, {u"Neuf/V2.wag"_s});
        frmDeplacerVers destination(*s.f);
        frmNouveauDossier nouveau(destination);
        frmDemander remplacement(*s.f, destination);
        frmProprietesFichier proprietes;
        frmParcourir1 jeu;
        frmParcourir2 programme;
        for (const QWidget *w :
             std::initializer_list<const QWidget *>{s.f.get(), &rapport, &manquants, &routes, &choix, &destination,
                                                    &nouveau, &remplacement, &proprietes, &jeu, &programme})
            QVERIFY2(touchesEnDouble(*w).isEmpty(),
                     qPrintable(w->metaObject()->className() + u" "_s + touchesEnDouble(*w).join(u"; "_s)));
        // The buttons that show only a letter say what they do, in the same language.
        QCOMPARE(s.f->cmdSelectionner[0]->toolTip(), s.L(u"ToolTip"_s, u"ToolTip01"_s));
        QCOMPARE(s.f->cmdSelectionner[1]->toolTip(), s.L(u"ToolTip"_s, u"ToolTip02"_s));

        const QString racine = QStringLiteral(CORVANEL_SOURCE_DIR "/");
        const auto lire = [](const QString &chemin) {
            QFile f(chemin);
            return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
        };
        const QString aide = lire(racine + s.L("Language", "HelpFile"));
        const QString faq = lire(racine + s.L("Language", "FAQFile"));
        // Its pictures' folder is named as the help file ends: "aide-fr.html".
        const QString code = QFileInfo(s.L("Language", "HelpFile")).baseName().section(u'-', -1);
        QVERIFY(!aide.isEmpty() && !faq.isEmpty() && QFile::exists(racine + s.L("Language", "HisFile")));
        const QString dossier = u"images/"_s + code + u'/';
        QSet<QString> montrees;
        static const QRegularExpression img(u"<img ([^>]*)>"_s);
        static const QRegularExpression src(u"src=\"([^\"]+)\""_s);
        for (const QString &texte : {aide, faq}) {
            for (const auto &m : img.globalMatch(texte)) {
                const QString image = src.match(m.captured(1)).captured(1);
                QVERIFY2(image.startsWith(dossier) && QFile::exists(racine + u"doc/"_s + image), qPrintable(image));
                QVERIFY2(m.captured(1).contains(QRegularExpression(u"alt=\"[^\"]{10,}\""_s)), qPrintable(image));
                montrees.insert(image.mid(dossier.size()));
            }
        }
        const QStringList faites = QDir(racine + u"doc/"_s + dossier).entryList({u"*.png"_s});
        QVERIFY(!faites.isEmpty());
        for (const QString &image : faites)
            QVERIFY2(montrees.contains(image), qPrintable(dossier + image));
        // A name with a hyphen is a variant for review, not for the help.
        static const QRegularExpression capture(u"enregistrer\\([^,;]+,\\s*QStringLiteral\\(\"([A-Za-z0-9_]+)\"\\)"_s);
        int fenetres = 0;
        for (const auto &m : capture.globalMatch(lire(racine + u"scripts/captures.cpp"_s))) {
            ++fenetres;
            QVERIFY2(aide.contains(u"src=\""_s + dossier + m.captured(1) + u".png\""_s), qPrintable(m.captured(1)));
        }
        QVERIFY(fenetres >= 10);

        NomFichierLangue = enUsage;
        s.f->mnuAbout->trigger();
        QCOMPARE(s.seam.messages.size(), 1);
        const Message m = s.seam.messages[0];
        const QStringList l = m.texte.split(u"\r\n"_s);
        QCOMPARE(l.size(), traducteur ? 12 : 9);
        // The copyright holder in the user's language too.
        QVERIFY2(l[1].endsWith(u' ' + s.L("Language", "Author")), qPrintable(l[1]));
        QCOMPARE(l.last().startsWith(s.L("Label", "Label06") + u' ' + s.L("Language", "EMail")), traducteur);
        QCOMPARE(m, (Message{m.texte, Boutons::OK, Icone::Information, s.L("Form", "Form04")}));
    }

    void documents_data()
    {
        // erreur: empty: opened without a word; ecrit: HelpFile's "doc/" written so in the language file
        colonnes<int, QString, QByteArray>("commande", "erreur", "ecrit");
        QTest::newRow("aide") << 0 << QString() << QByteArray();
        QTest::newRow("aide nommée comme sous Windows") << 0 << QString() << QByteArray("DOC\\");
        // Up and out of the documents folder: the file is there, never opened.
        QTest::newRow("aide hors du dossier") << 0 << "Error11" << QByteArray("doc/../../");
        QTest::newRow("aide absente") << 0 << "Error11" << QByteArray();
        // There, but no browser to show it: its path is given.
        QTest::newRow("aide sans navigateur") << 0 << "Error61" << QByteArray();
        QTest::newRow("FAQ absente") << 1 << "Error16" << QByteArray();
        QTest::newRow("historique absent") << 2 << "Error15" << QByteArray();
        QTest::newRow("site") << 3 << QString() << QByteArray();
        QTest::newRow("site refusé") << 3 << "Error14" << QByteArray();
    }

    // Asked to open first, then found missing or refused.
    void documents()
    {
        auto [commande, erreur, ecrit] = donnees<int, QString, QByteArray>("commande", "erreur", "ecrit");
        Scene s;
        QString aide = DossierAppli + s.L("Language", "HelpFile");
        const bool dehors = ecrit.contains("..");
        if (!ecrit.isEmpty()) {
            QByteArray contenu = Bac::lire(FichierLangue);
            contenu.replace("HelpFile=doc/", "HelpFile=" + ecrit);
            s.bac.ecrire(u"programme/lang/"_s + Francais, contenu);
            if (dehors)
                aide = QDir::cleanPath(DossierAppli + QString::fromLatin1(ecrit) + QFileInfo(aide).fileName());
        }
        const bool sansNavigateur = erreur == u"Error61";
        if (erreur.isEmpty() || dehors || sansNavigateur)
            s.bac.ecrire(aide.mid(s.bac.chemin().size() + 1), "<html></html>");
        s.seam.refuserOuverture((commande == 3 && !erreur.isEmpty()) || sansNavigateur);
        QAction *articles[] = {s.f->mnuAfficher, s.f->mnuFAQ, s.f->mnuHistorique, s.f->mnuSiteInternet};
        articles[commande]->trigger();
        QCOMPARE(s.seam.documents.size(), dehors ? 0 : 1);
        if (!erreur.isEmpty())
            QCOMPARE(s.seam.messages, QList<Message>{s.critique(s.L("Errors", erreur).replace(u"[file]"_s, aide))});
        else // the help file as the language file names it
            QVERIFY(s.seam.messages.isEmpty() &&
                    s.seam.documents[0] == (commande == 3 ? QUrl(SiteInternet) : QUrl::fromLocalFile(aide)));
    }

    void choixDeLangue_data()
    {
        // "Section/Key=" of the English file becomes `par` in the file chosen; nom: empty: the choice cancelled
        colonnes<QString, QString, QByteArray, bool>("nom", "cle", "par", "refuse");
        const auto ligne = [](const char *tag, const QString &nom, const char *cle, const char *par, bool refuse) {
            QTest::newRow(tag) << nom << QString::fromLatin1(cle) << QByteArray(par) << refuse;
        };
        ligne("annulé", QString(), "", "", true);
        ligne("fichier complet ailleurs", u"ailleurs.lng"_s, "", "", false);
        ligne("texte de la fenêtre absent", u"incomplet.lng"_s, "Menu/Menu305=", "X=", true);
        ligne("texte blanc", u"incomplet.lng"_s, "Errors/Error16=", "Error16=  \r\nX=", true);
        ligne("adresse du traducteur absente", u"incomplet.lng"_s, "Language/EMail=", "X=", true);
        ligne("la même, fichier du nom par défaut", Francais, "Language/EMail=", "X=", false);
        ligne("texte nouveau, repris du fichier par défaut", u"incomplet.lng"_s, "Messages/Msg50=", "X=", false);
    }

    // Chosen among the program's language files. A file lacking a text the
    // program needs is refused before the setting names it (else every later
    // start would end on it): the language in use stays. A file taken, from any
    // folder, gives every caption and Qt's own buttons at once and is remembered.
    void choixDeLangue()
    {
        auto [nom, cle, par, refuse] = donnees<QString, QString, QByteArray, bool>("nom", "cle", "par", "refuse");
        Scene s;
        const QString avant = FichierLangue;
        chargerTraductionsQt(FichierLangue);
        QByteArray contenu = Bac::lire(DossierAppli + u"lang/"_s + Anglais);
        const QStringList sectionCle = cle.isEmpty() ? QStringList{} : cle.chopped(1).split(u'/');
        if (!cle.isEmpty())
            contenu.replace(sectionCle[1].toLatin1() + '=', par);
        const QString chemin = nom.isEmpty() ? QString() : s.bac.ecrire(u"ailleurs/"_s + nom, contenu);
        s.seam.choisirFichier(nom.isEmpty() ? Choix() : Choix(chemin));
        QCOMPARE(codeDeFin([&] { s.f->mnuMenuLangue_Click(); }), -1);

        QVERIFY(s.seam.choixDemandes.at(0).doitExister);
        QCOMPARE(s.seam.choixDemandes.at(0).dossierInitial, DossierAppli + u"lang"_s);
        QCOMPARE(FichierLangue, refuse ? avant : chemin);
        QCOMPARE(NomFichierLangue, refuse ? Francais : nom);
        QCOMPARE(s.bac.reglages().lireSiPresent("Options", "Langue"), refuse ? std::optional<QString>() : nom);
        const QString message =
            cle.isEmpty() ? QString()
                          : texteManquant(sectionCle[0], sectionCle[1], nom) + "\r\n\r\n" + texte("Messages", "Msg50");
        QCOMPARE(s.seam.messages, (refuse && !cle.isEmpty() ? QList<Message>{{message, Boutons::OK, Icone::Critique}}
                                                            : QList<Message>{}));
        const QString langue = DossierAppli + u"lang/"_s + (refuse ? Francais : Anglais);
        QCOMPARE(s.f->cmdRechercher->text(), LireLangue(langue, "Button", "Button01"));
        QCOMPARE(s.f->fraTFI->title(), LireLangue(langue, "Frame", "Frame04"));
        QCOMPARE(s.f->mnuAbout->text(), LireLangue(langue, "Menu", "Menu305"));
        QCOMPARE(QCoreApplication::translate("QPlatformTheme", "&Yes"), refuse ? u"&Oui"_s : u"&Yes"_s);
        // Dates in the window's language: the French file names its country, the English one leaves it to the system.
        const QDateTime quand(QDate(2026, 12, 7), QTime(9, 5, 3));
        QCOMPARE(dateGenerale(quand), refuse ? u"07/12/2026 09:05:03"_s
                                             : QLocale::system().toString(quand.date(), QLocale::ShortFormat) + u' ' +
                                                   QLocale::system().toString(quand.time(), u"HH:mm:ss"_s));
        // A text added since the file was made: the default file's, and nothing ends.
        if (sectionCle.value(1) == u"Msg50")
            QCOMPARE(texte(u"Messages"_s, u"Msg50"_s),
                     LireLangue(DossierAppli + u"lang/"_s + LangueParDefaut, "Messages", "Msg50"));
    }

    void editerFichier_data()
    {
        // In the setting, "{E}" stands for an existing editor and "{D}" for a folder; the message is the key
        // expected, empty for a start, "fatal" for a start the system refuses.
        colonnes<QString, QString>("reglage", "message");
        QTest::newRow("aucun éditeur") << QString() << "Error09";
        QTest::newRow("que des blancs") << u"   "_s << "Error09";
        QTest::newRow("éditeur disparu") << u"/nulle/part/editeur"_s << "Error10";
        QTest::newRow("un dossier") << u"{D}"_s << "Error10";
        QTest::newRow("éditeur entre blancs") << u"  {E}  "_s << QString();
        QTest::newRow("démarrage refusé") << u"{E}"_s << u"fatal"_s;
    }

    void editerFichier()
    {
        auto [reglage, message] = donnees<QString, QString>("reglage", "message");
        SceneFenetre s;
        const QString editeur = programme(s.bac, u"bin/mon editeur"_s);
        if (!reglage.isNull()) {
            reglage.replace(u"{E}"_s, editeur);
            reglage.replace(u"{D}"_s, s.bac.creerDossier(u"dossier"_s));
            s.bac.reglages().ecrire(Options, Editeur, reglage);
        }
        const QString piege = u"/jeu/TRAINS/CONSISTS/Mon \"beau\" train; rm -rf $HOME `id` 'x'.con"_s;
        if (message == u"fatal")
            s.seam.refuserDemarrage(ErreurExecution::depuisErrno(EACCES));
        QCOMPARE(codeDeFin([&] { EditerFichier(u"  "_s + piege + u' '); }), message == u"fatal" ? 1 : -1);

        if (message.isEmpty()) {
            // One argument, exactly the name, only the outer blanks removed;
            // from the menu, the list's current entry in the consist folder.
            QVERIFY(s.seam.messages.isEmpty());
            QCOMPARE(s.seam.demarrages.size(), 1);
            QCOMPARE(s.seam.demarrages[0].programme, editeur);
            QCOMPARE(s.seam.demarrages[0].arguments, QStringList{piege});
            s.lister({u"a.con"_s, u"b b.con"_s});
            s.f->lstLFI->setCurrentRow(1);
            s.f->mnuEditerFichier->trigger();
            QCOMPARE(s.seam.demarrages.last().arguments, QStringList{DossierConsists + u"b b.con"_s});
        } else if (message == u"fatal") { // the system's number and description
            QCOMPARE(s.seam.messages, QList<Message>{s.critique(u"Erreur n° 70. Permission refusée\r\n\r\n"
                                                                u"Si le problème persiste, veuillez contacter "
                                                                u"l'auteur du programme."_s)});
        } else {
            QVERIFY(s.seam.demarrages.isEmpty());
            QCOMPARE(s.seam.messages, (QList<Message>{{s.L("Errors", message), Boutons::OK, Icone::Critique}}));
        }
        QCOMPARE(s.bac.reglages().lire(Options, Editeur), reglage);
    }

    // A real editor gets the consist's name as its one argument, no shell in
    // between.
    void editeurReel()
    {
        SceneFenetre s;
        // A real editor that writes down what it received.
        const QString recu = s.bac.chemin(u"recu.txt"_s);
        const QByteArray r = recu.toUtf8();
        s.bac.reglages().ecrire(Options, Editeur,
                                programme(s.bac, u"bin/editeur"_s,
                                          "#!/bin/sh\nprintf '%s\\n' \"$#\" \"$@\" > \"" + r + ".tmp\"\nmv \"" + r +
                                              ".tmp\" \"" + r + "\"\n"));
        const QString temoin = s.bac.chemin(u"temoin"_s);
        const QString consist = DossierConsists + u"a\"; touch "_s + temoin + u"; \"$(touch "_s + temoin +
                                u") `touch "_s + temoin + u"`.con"_s;

        InteractionQt reelle;
        definirInteraction(&reelle);
        EditerFichier(consist);
        definirInteraction(&s.seam);

        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(recu), 10000);
        QCOMPARE(QString::fromUtf8(Bac::lire(recu)), u"1\n"_s + consist + u'\n');
        QVERIFY(!QFile::exists(temoin));

        // What the system says of a program that cannot be started.
        ErreurExecution e(0, {});
        QVERIFY(!reelle.demarrerProgramme(s.bac.ecrire(u"bin/pas un programme"_s, "#!/bin/sh\n"), {}, &e));
        QCOMPARE(e.numero(), NumErreur::PermissionRefusee);
        QVERIFY(!reelle.demarrerProgramme(s.bac.chemin(u"bin/absent"_s), {}, &e));
        QCOMPARE(e.numero(), NumErreur::FichierIntrouvable);
    }

    void choixDeLEditeur()
    {
        SceneFenetre s;
        const QString dossier = s.bac.creerDossier(u"programmes"_s);
        const QString editeur = programme(s.bac, u"programmes/editeur"_s);
        programme(s.bac, u"programmes/mon outil"_s);
        s.bac.ecrire(u"programmes/notes.txt"_s, "pas un programme");
        s.bac.creerDossier(u"programmes/sous-dossier"_s);
        s.bac.reglages().ecrire(Options, Editeur, editeur);
        const auto reglage = [&] { return s.bac.reglages().lire(Options, Editeur); };
        // The chooser opened on the programs' folder; `rang` is the program
        // picked before OK, -1 for none, -2 to press Cancel.
        QStringList noms;
        const auto choisir = [&](int rang) {
            s.seam.quand<frmParcourir2>([&, rang](frmParcourir2 &p) {
                p.DirListBox->definirChemin(dossier);
                noms.clear();
                for (int i = 0; i < p.FileListBox->count(); ++i)
                    noms << p.FileListBox->item(i)->text();
                if (rang >= 0)
                    p.FileListBox->item(rang)->setSelected(true);
                QTest::mouseClick(rang == -2 ? p.cmdAnnuler : p.cmdOK, Qt::LeftButton);
            });
            s.f->mnuEditeurFichiers->trigger();
        };

        // An editor in use: the user is asked first, and No (unanswered) keeps it.
        s.f->mnuEditeurFichiers->trigger();
        QCOMPARE(s.seam.messages, (QList<Message>{{u"L'éditeur de fichiers actuel est :\r\n"_s + editeur +
                                                       u"\r\n\r\nVoulez-vous en choisir un autre ?"_s,
                                                   Boutons::OuiNon, Icone::Question}}));
        QCOMPARE(s.seam.dialoguesMontres, 0);

        // Yes: a folder lists its programs only, and the one picked is kept.
        s.seam.repondre(Reponse::Oui);
        choisir(1);
        QCOMPARE(noms, (QStringList{"editeur", "mon outil"}));
        QCOMPARE(reglage(), dossier + u"/mon outil"_s);

        // The question tests the setting as stored: with blanks around it, no
        // question. OK without a program stores the folder and a separator.
        s.bac.reglages().ecrire(Options, Editeur, u' ' + editeur + u' ');
        choisir(-1);
        QCOMPARE(s.seam.messages.size(), 2);
        QCOMPARE(reglage(), dossier + u'/');
        // Cancel keeps the setting.
        choisir(-2);
        QCOMPARE(reglage(), dossier + u'/');
        QCOMPARE(s.seam.dialoguesMontres, 3);
    }
};

QTEST_MAIN(TstAide)
#include "tst_aide.moc"
