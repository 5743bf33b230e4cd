// The three dialogs of the move, driven through their real widgets: the
// destination dialog's presets, path text and checks, the new-folder dialog's
// refusals and its fatal report, the overwrite confirmation's texts.
#include "app/ErreurExecution.h"
#include "app/Interaction.h"
#include "app/Texte.h"
#include "app/modDeclarations.h"
#include "fileops/SystemeFichiers.h"
#include "fileops/frmDemander.h"
#include "fileops/frmDeplacerVers.h"
#include "fileops/frmNouveauDossier.h"
#include "localisation/LireLangue.h"
#include "platform/Volumes.h"
#include "support/Bac.h"
#include "support/InteractionScriptee.h"
#include "ui/Commandes.h"
#include "ui/ListeDossiers.h"
#include "ui/frmCorvanel.h"

#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QtTest>

#include <cerrno>

using namespace corvanel;
using namespace corvanel::test;

namespace {

QString erreur(const char *cle)
{
    return texte(QStringLiteral("Errors"), QString::fromLatin1(cle));
}

Message critique(const QString &t)
{
    return {t, Boutons::OK, Icone::Critique, QStringLiteral("Corvanel")};
}

struct Scene {
    Bac bac;
    InteractionScriptee seam;
    std::unique_ptr<frmCorvanel> f;

    explicit Scene(const QString &langue = QStringLiteral("crv-1.0.7-french.lng"))
    {
        bac.preparerProgramme();
        bac.utiliserLangue(langue);
        Bac::utiliserJeu(bac.creerJeu());
        f = std::make_unique<frmCorvanel>();
    }
    ~Scene() { sf::retirerPannes(); }

    void lister(const QStringList &noms, const QList<int> &selection = {})
    {
        f->lstLFI->addItems(noms);
        for (int i : selection)
            f->lstLFI->item(i)->setSelected(true);
    }
};

} // namespace

class TstDialoguesDeplacement : public QObject {
    Q_OBJECT

private slots:
    void annulerNeDeplaceRien_data();
    void annulerNeDeplaceRien();
    void preselectionsACHaqueOuverture();
    void texteDuDossier_data();
    void texteDuDossier();
    void destinationEgaleAuxConsists_data();
    void destinationEgaleAuxConsists();
    void selectionVide_data();
    void selectionVide();
    void nouveauDossierCree();
    void nouveauDossierRefuse_data();
    void nouveauDossierRefuse();
    void nouveauDossierAnnule_data();
    void nouveauDossierAnnule();
    void nouveauDossierEchecFatal();
    void demanderMontreLesDeuxFichiers();
    void demanderIgnoreEchap();
};

void TstDialoguesDeplacement::annulerNeDeplaceRien_data()
{
    QTest::addColumn<int>("maniere");
    QTest::newRow("bouton Annuler") << 0;
    QTest::newRow("touche Echap") << 1;
    QTest::newRow("case de fermeture") << 2;
}

void TstDialoguesDeplacement::annulerNeDeplaceRien()
{
    QFETCH(int, maniere);
    Scene s;
    const QString consist = s.bac.ecrire(QStringLiteral("MSTS/TRAINS/CONSISTS/a.con"), "a");
    const QString destination = s.bac.creerDossier(QStringLiteral("Destination"));
    s.lister({QStringLiteral("a.con")});
    s.f->lblInformations->setText(QStringLiteral("avant"));
    s.seam.quandDialogue([&](QDialog &d) {
        auto &dv = dynamic_cast<frmDeplacerVers &>(d);
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
    QVERIFY(Annule);
    QVERIFY(QFile::exists(consist));
    QVERIFY(QDir(destination).isEmpty());
    QVERIFY(s.seam.messages.isEmpty());
    QCOMPARE(s.seam.dialoguesMontres, 1);
    QCOMPARE(s.f->lblInformations->text(), QStringLiteral("avant"));
    QCOMPARE(s.f->pbJauge->value(), 0);
}

void TstDialoguesDeplacement::preselectionsACHaqueOuverture()
{
    Scene s(QStringLiteral("crv-1.0.7-english.lng"));
    const QString autre = s.bac.creerDossier(QStringLiteral("Autre"));
    s.lister({QStringLiteral("a.con")}, {0});
    const auto modifierPuisAnnuler = [&](QDialog &d) {
        auto &dv = dynamic_cast<frmDeplacerVers &>(d);
        dv.CheDossier->definirChemin(autre);
        dv.optFichiers[0]->click();
        dv.optFichierExiste[3]->click();
        QTest::mouseClick(dv.cmdAnnuler, Qt::LeftButton);
        return dv.result();
    };
    struct Etat {
        QString texte, dossier, disque, titre, cadres, options;
        bool tous = false, ecraser = false, seulsChoisis = false;
    } etat;
    const auto relever = [&](QDialog &d) {
        auto &dv = dynamic_cast<frmDeplacerVers &>(d);
        etat.texte = dv.txtDeplacerVers->text();
        etat.dossier = dv.CheDossier->chemin();
        etat.disque = dv.CheDisque->disque();
        etat.titre = dv.windowTitle();
        etat.cadres = dv.fraFichiers->title() + u'|' + dv.fraFichierExiste->title() + u'|' + dv.fraDestination->title();
        for (QRadioButton *o : dv.optFichiers)
            etat.options += o->text() + u'|';
        for (QRadioButton *o : dv.optFichierExiste)
            etat.options += o->text() + u'|';
        etat.tous = dv.optFichiers[1]->isChecked();
        etat.ecraser = dv.optFichierExiste[1]->isChecked();
        etat.seulsChoisis = !dv.optFichiers[0]->isChecked() && !dv.optFichierExiste[0]->isChecked()
            && !dv.optFichierExiste[2]->isChecked() && !dv.optFichierExiste[3]->isChecked();
        QTest::mouseClick(dv.cmdAnnuler, Qt::LeftButton);
        return dv.result();
    };
    s.seam.quandDialogue(modifierPuisAnnuler);
    s.seam.quandDialogue(relever);
    DeplacerConsists(*s.f);
    DeplacerConsists(*s.f);

    QCOMPARE(s.seam.dialoguesMontres, 2);
    // The file-system root stands for the original's "C:\".
    QCOMPARE(etat.texte, racineSysteme());
    QCOMPARE(avecSeparateurFinal(QDir::toNativeSeparators(etat.dossier)), racineSysteme());
    QCOMPARE(etat.disque, racineSysteme());
    QVERIFY(etat.tous && etat.ecraser && etat.seulsChoisis);
    QCOMPARE(etat.titre, QStringLiteral("Move files to..."));
    QCOMPARE(etat.cadres, QStringLiteral("Files|If a file already exists|Destination"));
    QCOMPARE(etat.options, QStringLiteral("&Selected files|All &files|&Ask|&Overwrite|Overwrite if &newer|S&kip|"));
}

void TstDialoguesDeplacement::texteDuDossier_data()
{
    QTest::addColumn<QString>("relatif"); // empty: the file-system root
    QTest::newRow("racine") << QString();
    QTest::newRow("sous-dossier") << QStringLiteral("Trains/Old");
    QTest::newRow("blancs et accents") << QString::fromUtf8("Mes trains/Dépôt");
    // Such a folder is not the one without the blank.
    QTest::newRow("blanc final") << QStringLiteral("Old ");
}

void TstDialoguesDeplacement::texteDuDossier()
{
    QFETCH(QString, relatif);
    Scene s;
    const QString dossier = relatif.isEmpty() ? racineSysteme() : s.bac.creerDossier(relatif);
    const QString attendu = relatif.isEmpty() ? racineSysteme() : dossier + u'/';
    frmDeplacerVers dv(*s.f);
    QVERIFY(dv.CheDossier->definirChemin(s.bac.chemin()));
    QVERIFY(dv.CheDossier->definirChemin(dossier));
    QCOMPARE(dv.txtDeplacerVers->text(), attendu);
    QVERIFY(dv.txtDeplacerVers->isReadOnly());
}

void TstDialoguesDeplacement::destinationEgaleAuxConsists_data()
{
    QTest::addColumn<QString>("ecriture"); // how DossierConsists is written
    QTest::addColumn<bool>("refuse");
    QTest::newRow("même texte") << QStringLiteral("MSTS/TRAINS/CONSISTS/") << true;
    QTest::newRow("autre casse") << QStringLiteral("msts/Trains/consists/") << true;
    QTest::newRow("avec /./") << QStringLiteral("MSTS/TRAINS/./CONSISTS/") << true;
    QTest::newRow("avec ..") << QStringLiteral("MSTS/TRAINS/TRAINSET/../CONSISTS/") << true;
    QTest::newRow("séparateurs doublés") << QStringLiteral("MSTS//TRAINS/CONSISTS//") << true;
    QTest::newRow("sans séparateur final") << QStringLiteral("MSTS/TRAINS/CONSISTS") << true;
    QTest::newRow("dossier voisin") << QStringLiteral("MSTS/TRAINS/CONSISTS2/") << false;
}

void TstDialoguesDeplacement::destinationEgaleAuxConsists()
{
    QFETCH(QString, ecriture);
    QFETCH(bool, refuse);
    Scene s;
    const QString consists = DossierConsists;
    s.bac.creerDossier(QStringLiteral("MSTS/TRAINS/CONSISTS2"));
    DossierConsists = s.bac.chemin() + u'/' + ecriture;
    s.lister({QStringLiteral("a.con")});
    Annule = true;
    frmDeplacerVers dv(*s.f);
    dv.show();
    QVERIFY(dv.CheDossier->definirChemin(consists));
    QTest::mouseClick(dv.cmdOK, Qt::LeftButton);
    if (refuse) {
        QCOMPARE(s.seam.messages, (QList<Message>{critique(erreur("Error08"))}));
        QVERIFY(dv.isVisible());
        QVERIFY(Annule);
    } else {
        QVERIFY(s.seam.messages.isEmpty());
        QVERIFY(!dv.isVisible());
        QVERIFY(!Annule);
    }
}

void TstDialoguesDeplacement::selectionVide_data()
{
    QTest::addColumn<bool>("selectionSeule");
    QTest::addColumn<QList<int>>("selection");
    QTest::addColumn<bool>("versConsists");
    QTest::addColumn<QString>("cle"); // empty: accepted
    QTest::newRow("sélection seule, rien de choisi") << true << QList<int>{} << false << QStringLiteral("Error07");
    QTest::newRow("sélection seule, une entrée") << true << QList<int>{1} << false << QString();
    QTest::newRow("toutes, rien de choisi") << false << QList<int>{} << false << QString();
    QTest::newRow("le dossier des consists d'abord") << true << QList<int>{} << true << QStringLiteral("Error08");
}

void TstDialoguesDeplacement::selectionVide()
{
    QFETCH(bool, selectionSeule);
    QFETCH(QList<int>, selection);
    QFETCH(bool, versConsists);
    QFETCH(QString, cle);
    Scene s;
    const QString ailleurs = s.bac.creerDossier(QStringLiteral("Ailleurs"));
    s.lister({QStringLiteral("a.con"), QStringLiteral("b.con")}, selection);
    Annule = true;
    frmDeplacerVers dv(*s.f);
    dv.show();
    QVERIFY(dv.CheDossier->definirChemin(versConsists ? DossierConsists : ailleurs));
    if (selectionSeule)
        dv.optFichiers[0]->click();
    QTest::mouseClick(dv.cmdOK, Qt::LeftButton);
    if (cle.isEmpty()) {
        QVERIFY(s.seam.messages.isEmpty());
        QVERIFY(!dv.isVisible());
        QVERIFY(!Annule);
    } else {
        QCOMPARE(s.seam.messages, (QList<Message>{critique(erreur(cle.toLatin1().constData()))}));
        QVERIFY(dv.isVisible());
        QVERIFY(Annule);
        QVERIFY(dv.optFichiers[0]->isChecked());
    }
}

void TstDialoguesDeplacement::nouveauDossierCree()
{
    Scene s;
    const QString parent = s.bac.creerDossier(QString::fromUtf8("Dépôt"));
    frmDeplacerVers dv(*s.f);
    QVERIFY(dv.CheDossier->definirChemin(parent));
    QString etiquette, nomAffiche;
    s.seam.quandDialogue([&](QDialog &d) {
        auto &nd = dynamic_cast<frmNouveauDossier &>(d);
        etiquette = nd.lbl2->text();
        QTest::keyClicks(nd.txtNouveauDossier, QStringLiteral("  Old  "));
        QTest::mouseClick(nd.cmdOK, Qt::LeftButton);
        nomAffiche = nd.txtNouveauDossier->text();
        return nd.result();
    });
    QTest::mouseClick(dv.cmdNouveauDossier, Qt::LeftButton);

    QCOMPARE(etiquette, parent);
    QCOMPARE(nomAffiche, QStringLiteral("Old"));
    QVERIFY(QFileInfo(parent + QStringLiteral("/Old")).isDir());
    QCOMPARE(dv.CheDossier->chemin(), parent + QStringLiteral("/Old"));
    QCOMPARE(dv.txtDeplacerVers->text(), parent + QStringLiteral("/Old/"));
    QVERIFY(s.seam.messages.isEmpty());
}

void TstDialoguesDeplacement::nouveauDossierRefuse_data()
{
    QTest::addColumn<QString>("saisie");
    QTest::addColumn<QString>("cle");
    QTest::addColumn<QString>("affiche"); // the box after OK
    QTest::newRow("vide") << QString() << QStringLiteral("Error12") << QString();
    QTest::newRow("blancs seulement") << QStringLiteral("   ") << QStringLiteral("Error12") << QString();
    QTest::newRow("barre oblique") << QStringLiteral(" a/b ") << QStringLiteral("Error13") << QStringLiteral("a/b");
    const char16_t refuses[] = {u'"', u'\\', u':', u'?', u'<', u'>', u'*', u'\u00A6'};
    for (char16_t c : refuses) {
        const QString nom = QStringLiteral("x") + QChar(c) + u'y';
        QTest::newRow(qPrintable(QStringLiteral("caractère ") + QChar(c))) << nom << QStringLiteral("Error13") << nom;
    }
    QTest::newRow("dossier existant") << QStringLiteral("Existant") << QStringLiteral("Error06")
                                      << QStringLiteral("Existant");
}

void TstDialoguesDeplacement::nouveauDossierRefuse()
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

    QString attendu = erreur(cle.toLatin1().constData());
    if (cle == u"Error13")
        attendu += QString::fromUtf8("\r\n\r\n / \\ : ? < > * ¦ \"");
    QCOMPARE(s.seam.messages, (QList<Message>{critique(attendu)}));
    QVERIFY(nd.isVisible());
    QCOMPARE(nd.txtNouveauDossier->text(), affiche);
    QCOMPARE(QDir(parent).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
             QStringList{QStringLiteral("Existant")});
    QCOMPARE(dv.txtDeplacerVers->text(), parent + u'/');
}

void TstDialoguesDeplacement::nouveauDossierAnnule_data()
{
    QTest::addColumn<bool>("parLeCadre");
    QTest::newRow("bouton Annuler") << false;
    QTest::newRow("case de fermeture") << true;
}

void TstDialoguesDeplacement::nouveauDossierAnnule()
{
    QFETCH(bool, parLeCadre);
    Scene s;
    const QString parent = s.bac.creerDossier(QStringLiteral("Parent"));
    frmDeplacerVers dv(*s.f);
    QVERIFY(dv.CheDossier->definirChemin(parent));
    s.seam.quandDialogue([&](QDialog &d) {
        auto &nd = dynamic_cast<frmNouveauDossier &>(d);
        nd.txtNouveauDossier->setText(QStringLiteral("Neuf"));
        if (parLeCadre)
            nd.close();
        else
            QTest::mouseClick(nd.cmdAnnuler, Qt::LeftButton);
        return nd.result();
    });
    QTest::mouseClick(dv.cmdNouveauDossier, Qt::LeftButton);
    QVERIFY(QDir(parent).isEmpty());
    QCOMPARE(dv.txtDeplacerVers->text(), parent + u'/');
    QVERIFY(s.seam.messages.isEmpty());
}

void TstDialoguesDeplacement::nouveauDossierEchecFatal()
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
    QCOMPARE(s.seam.messages,
             (QList<Message>{critique(QString::fromUtf8("Erreur 70. ") + ErreurExecution::descriptionFrancaise(70)
                                      + QString::fromUtf8(".\r\n\r\nSi le problème persiste, veuillez contacter "
                                                          "l'auteur du programme."))}));
    QVERIFY(QDir(parent).isEmpty());
}

void TstDialoguesDeplacement::demanderMontreLesDeuxFichiers()
{
    Scene s;
    // "[file]" twice in the text: both are replaced.
    const QString langue = s.bac.chemin(QStringLiteral("programme/lang/crv-1.0.7-french.lng"));
    QFile fichier(langue);
    QVERIFY(fichier.open(QIODevice::ReadOnly));
    QByteArray octets = fichier.readAll();
    fichier.close();
    const qsizetype debut = octets.indexOf("Msg14=");
    octets.replace(debut, octets.indexOf("\r\n", debut) - debut, "Msg14=[file], encore [file]");
    QVERIFY(fichier.open(QIODevice::WriteOnly | QIODevice::Truncate));
    fichier.write(octets);
    fichier.close();

    const QString destination = s.bac.creerDossier(QStringLiteral("Destination"));
    const QString existant = s.bac.ecrire(QStringLiteral("Destination/b.con"), QByteArray(1234, 'x'));
    const QString consist = s.bac.ecrire(QStringLiteral("MSTS/TRAINS/CONSISTS/b.con"), QByteArray(987, 'y'));
    const auto dater = [](const QString &chemin, const QDateTime &d) {
        QFile f(chemin);
        return f.open(QIODevice::Append) && f.setFileTime(d, QFileDevice::FileModificationTime);
    };
    QVERIFY(dater(existant, QDateTime(QDate(2003, 5, 1), QTime(10, 20, 30))));
    QVERIFY(dater(consist, QDateTime(QDate(2004, 6, 2), QTime(11, 22, 33))));
    s.lister({QStringLiteral("a.con"), QStringLiteral("b.con"), QStringLiteral("c.con")});
    frmDeplacerVers dv(*s.f);
    QVERIFY(dv.CheDossier->definirChemin(destination));
    Compteur = 1;

    frmDemander q(*s.f, dv);
    QCOMPARE(q.lbl1->text(), QStringLiteral("b.con, encore b.con"));
    QCOMPARE(q.lbl3->text(), QStringLiteral("Taille : 1234 octets"));
    QCOMPARE(q.lbl6->text(), QStringLiteral("Taille : 987 octets"));
    // Seconds shown: two files of the same minute must look different.
    QVERIFY2(q.lbl4->text().contains(QStringLiteral("10:20:30")), qPrintable(q.lbl4->text()));
    QVERIFY2(q.lbl7->text().contains(QStringLiteral("11:22:33")), qPrintable(q.lbl7->text()));
    QCOMPARE(q.windowTitle(), texte(QStringLiteral("Form"), QStringLiteral("Form03")));
    QCOMPARE(q.cmdOuiTous->text(), texte(QStringLiteral("Button"), QStringLiteral("Button06")));
    QCOMPARE(q.cmdNonTous->text(), texte(QStringLiteral("Button"), QStringLiteral("Button07")));
}

void TstDialoguesDeplacement::demanderIgnoreEchap()
{
    Scene s;
    s.bac.ecrire(QStringLiteral("Destination/a.con"), "ancien");
    s.bac.ecrire(QStringLiteral("MSTS/TRAINS/CONSISTS/a.con"), "consist");
    s.lister({QStringLiteral("a.con")});
    frmDeplacerVers dv(*s.f);
    QVERIFY(dv.CheDossier->definirChemin(s.bac.chemin(QStringLiteral("Destination"))));
    Compteur = 0;
    frmDemander q(*s.f, dv);
    q.show();
    // No cancel button: Escape answers nothing, Enter neither.
    QTest::keyClick(&q, Qt::Key_Escape);
    QTest::keyClick(&q, Qt::Key_Return);
    QVERIFY(q.isVisible());
    QVERIFY(!q.copie());
    QVERIFY(dv.optFichierExiste[1]->isChecked());
}

QTEST_MAIN(TstDialoguesDeplacement)
#include "tst_dialoguesdeplacement.moc"
