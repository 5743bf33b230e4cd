// The external text editor: what reaches the editor, the messages when none
// can be used, and choosing one with the program chooser.
#include "app/modDeclarations.h"
#include "localisation/LireLangue.h"
#include "platform/Volumes.h"
#include "support/Bac.h"
#include "support/InteractionScriptee.h"
#include "ui/Commandes.h"
#include "ui/Editeur.h"
#include "ui/InteractionQt.h"
#include "ui/ListeDossiers.h"
#include "ui/frmCorvanel.h"
#include "ui/frmParcourir2.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QListWidget>
#include <QPushButton>
#include <QtTest>

using namespace corvanel;
using namespace corvanel::test;

Q_DECLARE_METATYPE(corvanel::Reponse)

class TstEditeur : public QObject {
    Q_OBJECT

private slots:
    void editerFichier_data();
    void editerFichier();
    void aucunShellEntreLeConsistEtLEditeur();
    void programmeImpossibleADemarrer();
    void editerEntreeCourante();
    void questionAvantLeChoix_data();
    void questionAvantLeChoix();
    void choixDuProgramme_data();
    void choixDuProgramme();
};

namespace {

const QString Options = QStringLiteral("Options");
const QString Editeur = QStringLiteral("Editeur");

void francais(Bac &bac)
{
    bac.preparerProgramme();
    bac.utiliserLangue(QStringLiteral("crv-1.0.7-french.lng"));
    Bac::utiliserJeu(bac.creerJeu());
}

QString programme(Bac &bac, const QString &relatif, const QByteArray &contenu = "#!/bin/sh\n")
{
    const QString chemin = bac.ecrire(relatif, contenu);
    QFile::setPermissions(chemin, QFile::permissions(chemin) | QFile::ExeOwner | QFile::ExeGroup | QFile::ExeOther);
    return chemin;
}

} // namespace

void TstEditeur::editerFichier_data()
{
    // In the setting, "{E}" stands for an existing editor and "{D}" for a
    // folder; the message is the key expected, or empty for a start.
    QTest::addColumn<QString>("reglage");
    QTest::addColumn<QString>("fichier");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("argument");

    const QString consist = QStringLiteral("/jeu/TRAINS/CONSISTS/a.con");
    QTest::newRow("aucun éditeur") << QString() << consist << "Error09" << QString();
    QTest::newRow("que des blancs") << QStringLiteral("   ") << consist << "Error09" << QString();
    QTest::newRow("éditeur disparu") << QStringLiteral("/nulle/part/editeur") << consist << "Error10" << QString();
    QTest::newRow("un dossier") << QStringLiteral("{D}") << consist << "Error10" << QString();
    QTest::newRow("éditeur entre blancs") << QStringLiteral("  {E}  ") << consist << QString() << consist;
    // One argument, exactly the name, only the outer blanks removed.
    const QString piege = QStringLiteral("/jeu/TRAINS/CONSISTS/Mon \"beau\" train; rm -rf $HOME `id` 'x'.con");
    QTest::newRow("blancs, guillemets, ; et $") << QStringLiteral("{E}") << QStringLiteral("  ") + piege + u' '
                                                << QString() << piege;
}

void TstEditeur::editerFichier()
{
    QFETCH(QString, reglage);
    QFETCH(QString, fichier);
    QFETCH(QString, message);
    QFETCH(QString, argument);
    Bac bac;
    InteractionScriptee seam;
    francais(bac);
    const QString editeur = programme(bac, QStringLiteral("bin/mon editeur"));
    if (!reglage.isNull()) {
        reglage.replace(QStringLiteral("{E}"), editeur);
        reglage.replace(QStringLiteral("{D}"), bac.creerDossier(QStringLiteral("dossier")));
        bac.reglages().ecrire(Options, Editeur, reglage);
    }

    EditerFichier(fichier);

    if (message.isEmpty()) {
        QVERIFY(seam.messages.isEmpty());
        QCOMPARE(seam.demarrages.size(), 1);
        QCOMPARE(seam.demarrages[0].programme, editeur);
        QCOMPARE(seam.demarrages[0].arguments, QStringList{argument});
    } else {
        QVERIFY(seam.demarrages.isEmpty());
        QCOMPARE(seam.messages.size(), 1);
        QCOMPARE(seam.messages[0].texte, texte(QStringLiteral("Errors"), message));
        QCOMPARE(seam.messages[0].icone, Icone::Critique);
        QCOMPARE(seam.messages[0].titre, QStringLiteral("Corvanel"));
    }
    QCOMPARE(bac.reglages().lire(Options, Editeur), reglage);
}

void TstEditeur::aucunShellEntreLeConsistEtLEditeur()
{
    Bac bac;
    InteractionScriptee seam;
    francais(bac);
    // A real editor that writes down what it received.
    const QString recu = bac.chemin(QStringLiteral("recu.txt"));
    const QString editeur = programme(
        bac, QStringLiteral("bin/editeur"),
        "#!/bin/sh\nprintf '%s\\n' \"$#\" \"$@\" > \"" + recu.toUtf8() + ".tmp\"\nmv \"" + recu.toUtf8()
            + ".tmp\" \"" + recu.toUtf8() + "\"\n");
    bac.reglages().ecrire(Options, Editeur, editeur);
    const QString temoin = bac.chemin(QStringLiteral("temoin"));
    const QString consist = DossierConsists + QStringLiteral("a\"; touch ") + temoin + QStringLiteral("; \"$(touch ")
        + temoin + QStringLiteral(") `touch ") + temoin + QStringLiteral("`.con");

    InteractionQt reelle;
    definirInteraction(&reelle);
    EditerFichier(consist);
    definirInteraction(&seam);

    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(recu), 10000);
    QFile f(recu);
    QVERIFY(f.open(QIODevice::ReadOnly));
    QCOMPARE(QString::fromUtf8(f.readAll()), QStringLiteral("1\n") + consist + u'\n');
    QVERIFY(!QFile::exists(temoin));
}

void TstEditeur::programmeImpossibleADemarrer()
{
    Bac bac;
    InteractionScriptee seam;
    francais(bac);
    bac.reglages().ecrire(Options, Editeur, programme(bac, QStringLiteral("bin/editeur")));
    seam.refuserDemarrage(QStringLiteral("execve: Permission denied"));
    QCOMPARE(codeDeFin([] { EditerFichier(DossierConsists + QStringLiteral("a.con")); }), 1);
    QCOMPARE(seam.messages.size(), 1);
    QCOMPARE(seam.messages[0].texte,
             QString::fromUtf8("Erreur n° 5. execve: Permission denied\r\n\r\n"
                               "Si le problème persiste, veuillez contacter l'auteur du programme."));
}

void TstEditeur::editerEntreeCourante()
{
    Bac bac;
    InteractionScriptee seam;
    francais(bac);
    const QString editeur = programme(bac, QStringLiteral("bin/editeur"));
    bac.reglages().ecrire(Options, Editeur, editeur);
    frmCorvanel f;
    f.lstLFI->addItems({QStringLiteral("a.con"), QStringLiteral("b b.con")});
    f.lstLFI->setEnabled(true);

    // Selected entries are not the current one.
    f.cmdSelectionner_Click(0);
    QVERIFY(!f.mnuEditerFichier->isEnabled());
    f.mnuEditerFichier_Click();
    QVERIFY(seam.demarrages.isEmpty());
    QVERIFY(seam.messages.isEmpty());

    f.lstLFI->setCurrentRow(1);
    f.mnuEditerFichier->trigger();
    QCOMPARE(seam.demarrages.size(), 1);
    QCOMPARE(seam.demarrages[0].arguments, QStringList{DossierConsists + QStringLiteral("b b.con")});
}

void TstEditeur::questionAvantLeChoix_data()
{
    // "{E}" stands for an existing program.
    QTest::addColumn<QString>("reglage");
    QTest::addColumn<Reponse>("reponse");
    QTest::addColumn<bool>("question");
    QTest::addColumn<bool>("chooser");

    QTest::newRow("présent, Non") << QStringLiteral("{E}") << Reponse::Non << true << false;
    QTest::newRow("présent, Oui") << QStringLiteral("{E}") << Reponse::Oui << true << true;
    QTest::newRow("aucun") << QString() << Reponse::Non << false << true;
    QTest::newRow("disparu") << QStringLiteral("/nulle/part/editeur") << Reponse::Non << false << true;
    // The question tests the setting as stored, blanks included.
    QTest::newRow("présent entre blancs") << QStringLiteral(" {E} ") << Reponse::Non << false << true;
}

void TstEditeur::questionAvantLeChoix()
{
    QFETCH(QString, reglage);
    QFETCH(Reponse, reponse);
    QFETCH(bool, question);
    QFETCH(bool, chooser);
    Bac bac;
    InteractionScriptee seam;
    francais(bac);
    if (!reglage.isNull()) {
        reglage.replace(QStringLiteral("{E}"), programme(bac, QStringLiteral("bin/editeur")));
        bac.reglages().ecrire(Options, Editeur, reglage);
    }
    seam.repondre(reponse);
    frmCorvanel f;
    f.mnuEditeurFichiers->trigger();

    QCOMPARE(seam.messages.size(), question ? 1 : 0);
    if (question) {
        QCOMPARE(seam.messages[0].texte, QString::fromUtf8("L'éditeur de fichiers actuel est :\r\n") + reglage
                                             + QString::fromUtf8("\r\n\r\nVoulez-vous en choisir un autre ?"));
        QCOMPARE(seam.messages[0].boutons, Boutons::OuiNon);
        QCOMPARE(seam.messages[0].icone, Icone::Question);
    }
    QCOMPARE(seam.dialoguesMontres, chooser ? 1 : 0);
    // The chooser was closed without OK: the setting stays.
    QCOMPARE(bac.reglages().lire(Options, Editeur), reglage);
}

void TstEditeur::choixDuProgramme_data()
{
    QTest::addColumn<QString>("geste");
    QTest::addColumn<QString>("attendu"); // relative to the programs' folder; null: setting unchanged
    QTest::newRow("programme choisi puis OK") << QStringLiteral("choisir") << QStringLiteral("/mon outil");
    // No test that a program is selected: the folder and a separator.
    QTest::newRow("OK sans programme") << QStringLiteral("ok") << QStringLiteral("/");
    QTest::newRow("Annuler") << QStringLiteral("annuler") << QString();
    QTest::newRow("Échap") << QStringLiteral("echap") << QString();
}

void TstEditeur::choixDuProgramme()
{
    QFETCH(QString, geste);
    QFETCH(QString, attendu);
    Bac bac;
    InteractionScriptee seam;
    francais(bac);
    const QString dossier = bac.creerDossier(QStringLiteral("programmes"));
    programme(bac, QStringLiteral("programmes/editeur"));
    programme(bac, QStringLiteral("programmes/mon outil"));
    bac.ecrire(QStringLiteral("programmes/notes.txt"), "pas un programme");
    bac.creerDossier(QStringLiteral("programmes/sous-dossier"));
    bac.reglages().ecrire(Options, Editeur, QStringLiteral("/ancien/editeur"));

    seam.quandDialogue([&](QDialog &d) {
        auto &p = dynamic_cast<frmParcourir2 &>(d);
        [&] {
            QCOMPARE(p.windowTitle(), QStringLiteral("Parcourir..."));
            QCOMPARE(p.cmdOK->text(), QStringLiteral("OK"));
            QCOMPARE(p.cmdAnnuler->text(), QStringLiteral("Annuler"));
            // It opens at the file-system root, on its volume.
            QCOMPARE(p.DirListBox->chemin(), QDir::cleanPath(racineSysteme()));
            QCOMPARE(p.FileListBox->dossier(), QDir::cleanPath(racineSysteme()));
            // Opening a folder lists its programs only.
            QVERIFY(p.DirListBox->definirChemin(dossier));
            QCOMPARE(p.FileListBox->dossier(), dossier);
            QStringList noms;
            for (int i = 0; i < p.FileListBox->count(); ++i)
                noms << p.FileListBox->item(i)->text();
            QCOMPARE(noms, (QStringList{"editeur", "mon outil"}));
        }();
        if (geste == u"choisir")
            p.FileListBox->item(1)->setSelected(true);
        if (geste == u"choisir" || geste == u"ok")
            QTest::mouseClick(p.cmdOK, Qt::LeftButton);
        else if (geste == u"annuler")
            QTest::mouseClick(p.cmdAnnuler, Qt::LeftButton);
        else
            QTest::keyClick(&p, Qt::Key_Escape);
        return p.result();
    });
    frmCorvanel f;
    ChoisirEditeur(f);

    QCOMPARE(seam.dialoguesMontres, 1);
    QCOMPARE(bac.reglages().lire(Options, Editeur),
             attendu.isNull() ? QStringLiteral("/ancien/editeur") : dossier + attendu);
}

QTEST_MAIN(TstEditeur)
#include "tst_editeur.moc"
