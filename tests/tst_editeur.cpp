// The external text editor: what reaches the editor, the messages when none
// can be used, and choosing one with the program chooser.
#include "app/modDeclarations.h"
#include "localisation/LireLangue.h"
#include "support/SceneFenetre.h"
#include "ui/Editeur.h"
#include "ui/InteractionQt.h"
#include "ui/ListeDossiers.h"
#include "ui/frmParcourir2.h"

#include <QAction>
#include <QFile>
#include <QListWidget>
#include <QPushButton>
#include <QtTest>

using namespace corvanel;
using namespace corvanel::test;

class TstEditeur : public QObject {
    Q_OBJECT

private slots:
    void editerFichier_data();
    void editerFichier();
    void aucunShellEntreLeConsistEtLEditeur();
    void programmeImpossibleADemarrer();
    void choixDeLEditeur();
};

namespace {

const QString Options = QStringLiteral("Options");
const QString Editeur = QStringLiteral("Editeur");

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
    QTest::addColumn<QString>("message");
    QTest::newRow("aucun éditeur") << QString() << "Error09";
    QTest::newRow("que des blancs") << QStringLiteral("   ") << "Error09";
    QTest::newRow("éditeur disparu") << QStringLiteral("/nulle/part/editeur") << "Error10";
    QTest::newRow("un dossier") << QStringLiteral("{D}") << "Error10";
    QTest::newRow("éditeur entre blancs") << QStringLiteral("  {E}  ") << QString();
}

void TstEditeur::editerFichier()
{
    QFETCH(QString, reglage);
    QFETCH(QString, message);
    SceneFenetre s;
    const QString editeur = programme(s.bac, QStringLiteral("bin/mon editeur"));
    if (!reglage.isNull()) {
        reglage.replace(QStringLiteral("{E}"), editeur);
        reglage.replace(QStringLiteral("{D}"), s.bac.creerDossier(QStringLiteral("dossier")));
        s.bac.reglages().ecrire(Options, Editeur, reglage);
    }
    const QString piege = QStringLiteral("/jeu/TRAINS/CONSISTS/Mon \"beau\" train; rm -rf $HOME `id` 'x'.con");
    EditerFichier(QStringLiteral("  ") + piege + u' ');

    if (message.isEmpty()) {
        // One argument, exactly the name, only the outer blanks removed.
        QVERIFY(s.seam.messages.isEmpty());
        QCOMPARE(s.seam.demarrages.size(), 1);
        QCOMPARE(s.seam.demarrages[0].programme, editeur);
        QCOMPARE(s.seam.demarrages[0].arguments, QStringList{piege});
    } else {
        QVERIFY(s.seam.demarrages.isEmpty());
        QCOMPARE(s.seam.messages.size(), 1);
        QCOMPARE(s.seam.messages[0].texte, texte(QStringLiteral("Errors"), message));
        QCOMPARE(s.seam.messages[0].icone, Icone::Critique);
    }
    QCOMPARE(s.bac.reglages().lire(Options, Editeur), reglage);
}

void TstEditeur::aucunShellEntreLeConsistEtLEditeur()
{
    SceneFenetre s;
    // A real editor that writes down what it received.
    const QString recu = s.bac.chemin(QStringLiteral("recu.txt"));
    const QByteArray r = recu.toUtf8();
    s.bac.reglages().ecrire(
        Options, Editeur,
        programme(s.bac, QStringLiteral("bin/editeur"),
                  "#!/bin/sh\nprintf '%s\\n' \"$#\" \"$@\" > \"" + r + ".tmp\"\nmv \"" + r + ".tmp\" \"" + r + "\"\n"));
    const QString temoin = s.bac.chemin(QStringLiteral("temoin"));
    const QString consist = DossierConsists + QStringLiteral("a\"; touch ") + temoin + QStringLiteral("; \"$(touch ") +
                            temoin + QStringLiteral(") `touch ") + temoin + QStringLiteral("`.con");

    InteractionQt reelle;
    definirInteraction(&reelle);
    EditerFichier(consist);
    definirInteraction(&s.seam);

    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(recu), 10000);
    QFile f(recu);
    QVERIFY(f.open(QIODevice::ReadOnly));
    QCOMPARE(QString::fromUtf8(f.readAll()), QStringLiteral("1\n") + consist + u'\n');
    QVERIFY(!QFile::exists(temoin));
}

void TstEditeur::programmeImpossibleADemarrer()
{
    SceneFenetre s;
    s.bac.reglages().ecrire(Options, Editeur, programme(s.bac, QStringLiteral("bin/editeur")));
    // The list's current entry is the one opened, in the consist folder.
    s.f->lstLFI->addItems({QStringLiteral("a.con"), QStringLiteral("b b.con")});
    s.f->lstLFI->setEnabled(true);
    s.f->lstLFI->setCurrentRow(1);
    s.f->mnuEditerFichier->trigger();
    QCOMPARE(s.seam.demarrages.size(), 1);
    QCOMPARE(s.seam.demarrages[0].arguments, QStringList{DossierConsists + QStringLiteral("b b.con")});

    // The editor cannot be started: the program ends.
    s.seam.refuserDemarrage(QStringLiteral("execve: Permission denied"));
    QCOMPARE(codeDeFin([&] { s.f->mnuEditerFichier_Click(); }), 1);
    QCOMPARE(s.seam.messages.size(), 1);
    QCOMPARE(s.seam.messages[0].texte,
             QString::fromUtf8("Erreur n° 5. execve: Permission denied\r\n\r\n"
                               "Si le problème persiste, veuillez contacter l'auteur du programme."));
}

void TstEditeur::choixDeLEditeur()
{
    SceneFenetre s;
    const QString dossier = s.bac.creerDossier(QStringLiteral("programmes"));
    const QString editeur = programme(s.bac, QStringLiteral("programmes/editeur"));
    programme(s.bac, QStringLiteral("programmes/mon outil"));
    s.bac.ecrire(QStringLiteral("programmes/notes.txt"), "pas un programme");
    s.bac.creerDossier(QStringLiteral("programmes/sous-dossier"));
    s.bac.reglages().ecrire(Options, Editeur, editeur);
    const auto reglage = [&] { return s.bac.reglages().lire(Options, Editeur); };
    // The chooser opened on the programs' folder; `rang` is the program
    // picked before OK, -1 for none, -2 to press Cancel.
    QStringList noms;
    const auto choisir = [&](int rang) {
        s.seam.quandDialogue([&, rang](QDialog &d) {
            auto &p = dynamic_cast<frmParcourir2 &>(d);
            p.DirListBox->definirChemin(dossier);
            noms.clear();
            for (int i = 0; i < p.FileListBox->count(); ++i)
                noms << p.FileListBox->item(i)->text();
            if (rang >= 0)
                p.FileListBox->item(rang)->setSelected(true);
            QTest::mouseClick(rang == -2 ? p.cmdAnnuler : p.cmdOK, Qt::LeftButton);
            return p.result();
        });
        s.f->mnuEditeurFichiers->trigger();
    };

    // An editor in use: the user is asked first, and No keeps it.
    s.seam.repondre(Reponse::Non);
    s.f->mnuEditeurFichiers->trigger();
    QCOMPARE(s.seam.messages.size(), 1);
    QCOMPARE(s.seam.messages[0].texte, QString::fromUtf8("L'éditeur de fichiers actuel est :\r\n") + editeur +
                                           QString::fromUtf8("\r\n\r\nVoulez-vous en choisir un autre ?"));
    QCOMPARE(s.seam.messages[0].boutons, Boutons::OuiNon);
    QCOMPARE(s.seam.dialoguesMontres, 0);

    // Yes: a folder lists its programs only, and the one picked is kept.
    s.seam.repondre(Reponse::Oui);
    choisir(1);
    QCOMPARE(noms, (QStringList{"editeur", "mon outil"}));
    QCOMPARE(reglage(), dossier + QStringLiteral("/mon outil"));

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

QTEST_MAIN(TstEditeur)
#include "tst_editeur.moc"
