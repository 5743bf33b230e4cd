// The three dialogs of the move, driven through their real widgets: the
// destination dialog's cancelling and checks, the new-folder dialog's
// refusals and its fatal report, the overwrite confirmation's texts.
#include "app/ErreurExecution.h"
#include "app/Interaction.h"
#include "app/modDeclarations.h"
#include "fileops/SystemeFichiers.h"
#include "fileops/frmDemander.h"
#include "fileops/frmDeplacerVers.h"
#include "fileops/frmNouveauDossier.h"
#include "platform/Volumes.h"
#include "support/SceneFenetre.h"
#include "ui/Commandes.h"
#include "ui/ListeDossiers.h"

#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QtTest>

#include <cerrno>

using namespace corvanel;
using namespace corvanel::test;

namespace {

struct Scene : SceneFenetre {
    ~Scene() override { sf::retirerPannes(); }

    void lister(const QStringList &noms, const QList<int> &selection = {})
    {
        f->lstLFI->addItems(noms);
        for (int i : selection)
            f->lstLFI->item(i)->setSelected(true);
    }
    Message critique(const QString &t) const { return {t, Boutons::OK, Icone::Critique}; }
    Message erreur(const QString &cle) const { return critique(L(QStringLiteral("Errors"), cle)); }
};

} // namespace

class TstDialoguesDeplacement : public QObject {
    Q_OBJECT

private slots:
    void annulerNeDeplaceRien_data()
    {
        QTest::addColumn<int>("maniere");
        QTest::newRow("bouton Annuler") << 0;
        QTest::newRow("touche Echap") << 1;
        QTest::newRow("case de fermeture") << 2;
    }

    void annulerNeDeplaceRien()
    {
        QFETCH(int, maniere);
        Scene s;
        const QString consist = s.ecrireConsist(QStringLiteral("a.con"), "a");
        const QString destination = s.bac.creerDossier(QStringLiteral("Destination"));
        s.lister({QStringLiteral("a.con")});
        QString ouvert;
        s.seam.quandDialogue([&](QDialog &d) {
            auto &dv = dynamic_cast<frmDeplacerVers &>(d);
            ouvert = dv.txtDeplacerVers->text();
            dv.CheDossier->definirChemin(destination);
            if (maniere == 0)
                QTest::mouseClick(dv.cmdAnnuler, Qt::LeftButton);
            else if (maniere == 1)
                QTest::keyClick(&dv, Qt::Key_Escape);
            else
                dv.close();
            return dv.result();
        });
        DeplacerConsists(*s.f);
        // Opened on the file-system root (the original's "C:\"), with no
        // doubled separator.
        QCOMPARE(ouvert, racineSysteme());
        QVERIFY(Annule);
        QVERIFY(QFile::exists(consist));
        QVERIFY(QDir(destination).isEmpty());
        QVERIFY(s.seam.messages.isEmpty());
    }

    void verificationsDuOK_data()
    {
        // Error08 keeps the consists from being moved onto themselves, whatever
        // way the consist folder is written; Error07 refuses "selected files"
        // with nothing selected.
        QTest::addColumn<QString>("ecriture");  // how DossierConsists is written, empty: as it is
        QTest::addColumn<bool>("versConsists"); // the consist folder chosen, or another
        QTest::addColumn<bool>("selectionSeule");
        QTest::addColumn<QList<int>>("selection");
        QTest::addColumn<QString>("cle"); // empty: accepted

        const QList<int> rien;
        QTest::newRow("autre casse") << "msts/Trains/consists/" << true << false << rien << "Error08";
        QTest::newRow("avec ..") << "MSTS/TRAINS/TRAINSET/../CONSISTS/" << true << false << rien << "Error08";
        QTest::newRow("sans séparateur final") << "MSTS/TRAINS/CONSISTS" << true << false << rien << "Error08";
        QTest::newRow("dossier voisin") << "MSTS/TRAINS/CONSISTS2/" << true << false << rien << QString();
        QTest::newRow("sélection seule, rien de choisi") << QString() << false << true << rien << "Error07";
        QTest::newRow("sélection seule, une entrée") << QString() << false << true << QList<int>{1} << QString();
        QTest::newRow("toutes, rien de choisi") << QString() << false << false << rien << QString();
        QTest::newRow("le dossier des consists d'abord") << QString() << true << true << rien << "Error08";
    }

    void verificationsDuOK()
    {
        QFETCH(QString, ecriture);
        QFETCH(bool, versConsists);
        QFETCH(bool, selectionSeule);
        QFETCH(QList<int>, selection);
        QFETCH(QString, cle);
        Scene s;
        const QString consists = DossierConsists;
        const QString ailleurs = s.bac.creerDossier(QStringLiteral("MSTS/TRAINS/CONSISTS2"));
        if (!ecriture.isEmpty())
            DossierConsists = s.bac.chemin() + QStringLiteral("/") + ecriture;
        s.lister({QStringLiteral("a.con"), QStringLiteral("b.con")}, selection);
        Annule = true;
        frmDeplacerVers dv(*s.f);
        dv.show();
        QVERIFY(dv.CheDossier->definirChemin(versConsists ? consists : ailleurs));
        if (selectionSeule)
            dv.optFichiers[0]->click();
        QTest::mouseClick(dv.cmdOK, Qt::LeftButton);
        QCOMPARE(s.seam.messages, cle.isEmpty() ? QList<Message>{} : QList<Message>{s.erreur(cle)});
        // Refused: the dialog stays open as it was.
        QCOMPARE(dv.isVisible(), !cle.isEmpty());
        QCOMPARE(Annule, !cle.isEmpty());
        QCOMPARE(dv.optFichiers[0]->isChecked(), selectionSeule);
    }

    void nouveauDossierCree()
    {
        Scene s;
        const QString parent = s.bac.creerDossier(QString::fromUtf8("Dépôt"));
        frmDeplacerVers dv(*s.f);
        QVERIFY(dv.CheDossier->definirChemin(parent));
        s.seam.quandDialogue([&](QDialog &d) {
            auto &nd = dynamic_cast<frmNouveauDossier &>(d);
            QTest::keyClicks(nd.txtNouveauDossier, QStringLiteral("  Old  "));
            QTest::mouseClick(nd.cmdOK, Qt::LeftButton);
            return nd.result();
        });
        QTest::mouseClick(dv.cmdNouveauDossier, Qt::LeftButton);

        // Created under the folder shown, blanks trimmed, and chosen at once.
        QVERIFY(QFileInfo(parent + QStringLiteral("/Old")).isDir());
        QCOMPARE(dv.txtDeplacerVers->text(), parent + QStringLiteral("/Old/"));
        QVERIFY(s.seam.messages.isEmpty());
    }

    void nouveauDossierRefuse_data()
    {
        QTest::addColumn<QString>("saisie");
        QTest::addColumn<QString>("cle");
        QTest::addColumn<QString>("affiche"); // the box after OK
        QTest::newRow("vide") << QString() << "Error12" << QString();
        QTest::newRow("blancs seulement") << QStringLiteral("   ") << QStringLiteral("Error12") << QString();
        QTest::newRow("barre oblique") << QStringLiteral(" a/b ") << QStringLiteral("Error13") << QStringLiteral("a/b");
        for (const char16_t c : {u'"', u'\\', u':', u'?', u'<', u'>', u'*', u'\u00A6'}) {
            const QString nom = QStringLiteral("x") + QChar(c) + u'y';
            QTest::newRow(qPrintable(QStringLiteral("caractère ") + QChar(c))) << nom << "Error13" << nom;
        }
        const QString existant = QStringLiteral("Existant");
        QTest::newRow("dossier existant") << existant << QStringLiteral("Error06") << existant;
    }

    void nouveauDossierRefuse()
    {
        QFETCH(QString, saisie);
        QFETCH(QString, cle);
        QFETCH(QString, affiche);
        Scene s;
        const QString parent = s.bac.creerDossier(QStringLiteral("Parent"));
        s.bac.creerDossier(QStringLiteral("Parent/Existant"));
        frmDeplacerVers dv(*s.f);
        QVERIFY(dv.CheDossier->definirChemin(parent));
        frmNouveauDossier nd(dv);
        nd.show();
        nd.txtNouveauDossier->setText(saisie);
        QTest::mouseClick(nd.cmdOK, Qt::LeftButton);

        Message attendu = s.erreur(cle);
        if (cle == u"Error13")
            attendu.texte += QString::fromUtf8("\r\n\r\n / \\ : ? < > * ¦ \"");
        QCOMPARE(s.seam.messages, QList<Message>{attendu});
        QVERIFY(nd.isVisible());
        QCOMPARE(nd.txtNouveauDossier->text(), affiche);
        QCOMPARE(QDir(parent).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
                 QStringList{QStringLiteral("Existant")});
    }

    void nouveauDossierEchecFatal()
    {
        Scene s;
        const QString parent = s.bac.creerDossier(QStringLiteral("Parent"));
        frmDeplacerVers dv(*s.f);
        QVERIFY(dv.CheDossier->definirChemin(parent));
        sf::injecterPanne(sf::Operation::CreationDossier, QStringLiteral("Parent/Neuf"), EACCES);
        s.seam.quandDialogue([&](QDialog &d) {
            auto &nd = dynamic_cast<frmNouveauDossier &>(d);
            nd.txtNouveauDossier->setText(QStringLiteral("Neuf"));
            // The event procedure itself: the end of the program must not have
            // to travel through the toolkit's signal delivery.
            nd.cmdOK_Click();
            return nd.result();
        });
        QCOMPARE(codeDeFin([&] { dv.cmdNouveauDossier_Click(); }), 1);
        QCOMPARE(s.seam.messages, QList<Message>{s.critique(
                                      QString::fromUtf8("Erreur 70. ") + ErreurExecution::descriptionFrancaise(70) +
                                      QString::fromUtf8(".\r\n\r\nSi le problème persiste, veuillez contacter "
                                                        "l'auteur du programme."))});
        QVERIFY(QDir(parent).isEmpty());
    }

    void demanderMontreLesDeuxFichiers()
    {
        Scene s;
        const QString destination = s.bac.creerDossier(QStringLiteral("Destination"));
        QFile existant(s.bac.ecrire(QStringLiteral("Destination/b.con"), QByteArray(1234, 'x')));
        QFile consist(s.ecrireConsist(QStringLiteral("b.con"), QByteArray(987, 'y')));
        QVERIFY(existant.open(QIODevice::Append) && consist.open(QIODevice::Append));
        QVERIFY(
            existant.setFileTime(QDateTime(QDate(2003, 5, 1), QTime(10, 20, 30)), QFileDevice::FileModificationTime));
        QVERIFY(
            consist.setFileTime(QDateTime(QDate(2004, 6, 2), QTime(11, 22, 33)), QFileDevice::FileModificationTime));
        s.lister({QStringLiteral("a.con"), QStringLiteral("b.con")});
        frmDeplacerVers dv(*s.f);
        QVERIFY(dv.CheDossier->definirChemin(destination));
        Compteur = 1;

        frmDemander q(*s.f, dv);
        QVERIFY(q.lbl1->text().contains(QStringLiteral("b.con")));
        QCOMPARE(q.lbl3->text(), QStringLiteral("Taille : 1234 octets"));
        QCOMPARE(q.lbl6->text(), QStringLiteral("Taille : 987 octets"));
        // Seconds shown: two files of the same minute must look different.
        QVERIFY2(q.lbl4->text().contains(QStringLiteral("10:20:30")), qPrintable(q.lbl4->text()));
        QVERIFY2(q.lbl7->text().contains(QStringLiteral("11:22:33")), qPrintable(q.lbl7->text()));
    }
};

QTEST_MAIN(TstDialoguesDeplacement)
#include "tst_dialoguesdeplacement.moc"
