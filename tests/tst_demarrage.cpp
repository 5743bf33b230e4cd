// Start-up: language file, game folder, folder dialog, single copy.
#include "app/Interaction.h"
#include "app/frmParcourir1.h"
#include "app/modDeclarations.h"
#include "app/modSubMain.h"
#include "platform/Instance.h"
#include "support/Bac.h"
#include "support/InteractionScriptee.h"
#include "ui/ListeDossiers.h"
#include "ui/frmCorvanel.h"

#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

using namespace corvanel;
using namespace corvanel::test;

namespace {
QString francais()
{
    return QStringLiteral("crv-1.0.7-french.lng");
}
} // namespace

class TstDemarrage : public QObject {
    Q_OBJECT

private slots:
    void demarreSurLeDossierDonne();
    void langueAbsenteRetombeSurLeDefaut();
    void aucunFichierDeLangue();
    void separateurFinalUnique_data();
    void separateurFinalUnique();
    void casseDesDossiersDuJeuIgnoree();
    void dossierIncompletDemandeEtNonTermine();
    void dialogueAbandonneTermine_data();
    void dialogueAbandonneTermine();
    void dialogueNActiveOKQueSurLeJeu();
    void secondeCopieSeTait();

private:
    std::unique_ptr<frmCorvanel> demarrer(Bac &bac, std::optional<QString> jeu)
    {
        InstanceUnique instance(bac.chemin(QStringLiteral("verrou.lock")));
        OptionsDemarrage o;
        o.dossierAppli = bac.chemin(QStringLiteral("programme"));
        o.dossierJeu = std::move(jeu);
        return Main(o, instance);
    }
};

void TstDemarrage::demarreSurLeDossierDonne()
{
    Bac bac;
    InteractionScriptee seam;
    bac.preparerProgramme();
    const QString jeu = bac.creerJeu();
    auto f = demarrer(bac, jeu);
    QVERIFY(f);
    QVERIFY(f->isVisible());
    QVERIFY(seam.messages.isEmpty());
    QCOMPARE(DossierMSTS, jeu);
    QCOMPARE(DossierConsists, jeu + QStringLiteral("TRAINS/CONSISTS/"));
    QCOMPARE(DossierTrainset, jeu + QStringLiteral("TRAINS/TRAINSET/"));
    QCOMPARE(f->txtDossierMSTS->text(), jeu);
    QCOMPARE(NomFichierLangue, francais());
    QCOMPARE(FichierLangue, bac.chemin(QStringLiteral("programme/lang/")) + francais());
    // Written at every start, even when nothing changed.
    QCOMPARE(bac.reglages().lireSiPresent(QStringLiteral("Options"), QStringLiteral("Langue")), francais());
}

void TstDemarrage::langueAbsenteRetombeSurLeDefaut()
{
    Bac bac;
    InteractionScriptee seam;
    bac.preparerProgramme();
    bac.reglages().ecrire(QStringLiteral("Options"), QStringLiteral("Langue"), QStringLiteral("klingon.lng"));
    auto f = demarrer(bac, bac.creerJeu());
    QVERIFY(f);
    QCOMPARE(NomFichierLangue, francais());
    QCOMPARE(bac.reglages().lire(QStringLiteral("Options"), QStringLiteral("Langue")), francais());
}

void TstDemarrage::aucunFichierDeLangue()
{
    Bac bac;
    InteractionScriptee seam;
    bac.preparerProgramme();
    QFile::remove(bac.chemin(QStringLiteral("programme/lang/")) + francais());
    bac.reglages().ecrire(QStringLiteral("Options"), QStringLiteral("Langue"), QStringLiteral("absent.lng"));
    const QString jeu = bac.creerJeu();
    QCOMPARE(codeDeFin([&] { demarrer(bac, jeu); }), 1);
    QCOMPARE(seam.messages.size(), 1);
    QCOMPARE(seam.messages[0],
             (Message{QString::fromUtf8("Impossible de charger un fichier de langue. Veuillez réinstaller Corvanel."),
                      Boutons::OK, Icone::Critique, QStringLiteral("Corvanel")}));
    // Nothing written on this path.
    QCOMPARE(bac.reglages().lire(QStringLiteral("Options"), QStringLiteral("Langue")), QStringLiteral("absent.lng"));
}

void TstDemarrage::separateurFinalUnique_data()
{
    QTest::addColumn<QString>("suffixe");
    QTest::newRow("sans") << QString();
    QTest::newRow("avec") << QStringLiteral("/");
    QTest::newRow("doublé") << QStringLiteral("//");
}

void TstDemarrage::separateurFinalUnique()
{
    QFETCH(QString, suffixe);
    Bac bac;
    InteractionScriptee seam;
    bac.preparerProgramme();
    const QString jeu = bac.creerJeu(QStringLiteral("Jeu MSTS"));
    auto f = demarrer(bac, bac.chemin(QStringLiteral("Jeu MSTS")) + suffixe);
    QVERIFY(f);
    QCOMPARE(DossierMSTS, jeu);
    QCOMPARE(DossierConsists, jeu + QStringLiteral("TRAINS/CONSISTS/"));
}

void TstDemarrage::casseDesDossiersDuJeuIgnoree()
{
    Bac bac;
    InteractionScriptee seam;
    bac.preparerProgramme();
    bac.ecrire(QStringLiteral("Jeu/Train.EXE"), "MZ");
    bac.ecrire(QStringLiteral("Jeu/LAUNCHER.exe"), "MZ");
    bac.creerDossier(QStringLiteral("Jeu/Trains/Consists"));
    bac.creerDossier(QStringLiteral("Jeu/Trains/TrainSet"));
    auto f = demarrer(bac, bac.chemin(QStringLiteral("Jeu")));
    QVERIFY(f);
    QVERIFY(seam.messages.isEmpty());
    QCOMPARE(DossierConsists, bac.chemin(QStringLiteral("Jeu/Trains/Consists/")));
    QCOMPARE(DossierTrainset, bac.chemin(QStringLiteral("Jeu/Trains/TrainSet/")));
}

void TstDemarrage::dossierIncompletDemandeEtNonTermine()
{
    Bac bac;
    InteractionScriptee seam;
    bac.preparerProgramme();
    bac.ecrire(QStringLiteral("Jeu/train.exe"), "MZ"); // launcher.exe missing
    seam.repondre(Reponse::Non);
    QCOMPARE(codeDeFin([&] { demarrer(bac, bac.chemin(QStringLiteral("Jeu"))); }), 1);
    QCOMPARE(seam.messages.size(), 2);
    QCOMPARE(seam.messages[0].boutons, Boutons::OuiNon);
    QCOMPARE(seam.messages[0].icone, Icone::Exclamation);
    QCOMPARE(seam.messages[0].titre, QStringLiteral("Corvanel"));
    QCOMPARE(seam.messages[1].boutons, Boutons::OK);
    QCOMPARE(seam.messages[1].icone, Icone::Critique);
    QCOMPARE(seam.dialoguesMontres, 0);
    // Both texts come from the language file.
    QVERIFY(!seam.messages[0].texte.isEmpty() && !seam.messages[1].texte.isEmpty());
    QVERIFY(seam.messages[0].texte != seam.messages[1].texte);
}

void TstDemarrage::dialogueAbandonneTermine_data()
{
    QTest::addColumn<int>("maniere");
    QTest::newRow("Annuler") << 0;
    QTest::newRow("case de fermeture") << 1;
    QTest::newRow("Échap") << 2;
}

void TstDemarrage::dialogueAbandonneTermine()
{
    // However the folder dialog is left without OK, start-up ends with
    // Error02: going on would start on a folder without the game.
    QFETCH(int, maniere);
    Bac bac;
    InteractionScriptee seam;
    bac.preparerProgramme();
    seam.repondre(Reponse::Oui);
    seam.quandDialogue([maniere](QDialog &d) {
        auto &p = dynamic_cast<frmParcourir1 &>(d);
        if (maniere == 0)
            QTest::mouseClick(p.cmdAnnuler, Qt::LeftButton);
        else if (maniere == 1)
            p.close();
        else
            QTest::keyClick(&p, Qt::Key_Escape);
        return p.result();
    });
    QCOMPARE(codeDeFin([&] { demarrer(bac, bac.chemin(QStringLiteral("nulle-part"))); }), 1);
    QCOMPARE(seam.dialoguesMontres, 1);
    QCOMPARE(seam.messages.size(), 2);
    QCOMPARE(seam.messages[1].icone, Icone::Critique);
    QVERIFY(Annule);
    QCOMPARE(DossierMSTS, QString());
}

void TstDemarrage::dialogueNActiveOKQueSurLeJeu()
{
    Bac bac;
    InteractionScriptee seam;
    bac.preparerProgramme();
    const QString jeu = bac.creerJeu(QStringLiteral("Jeux/MSTS"));
    bac.ecrire(QStringLiteral("Demi/train.exe"), "MZ");
    seam.repondre(Reponse::Oui);
    seam.quandDialogue([&](QDialog &d) {
        auto &p = dynamic_cast<frmParcourir1 &>(d);
        // Starts at the file-system root, OK unusable there.
        if (p.DirListBox->chemin() != QStringLiteral("/") || p.cmdOK->isEnabled())
            return -1;
        p.DirListBox->definirChemin(bac.chemin(QStringLiteral("Demi")));
        if (p.cmdOK->isEnabled())
            return -2;
        p.DirListBox->definirChemin(bac.chemin(QStringLiteral("Jeux/MSTS")));
        if (!p.cmdOK->isEnabled() || DossierMSTS != jeu)
            return -3;
        p.DirListBox->definirChemin(bac.chemin(QStringLiteral("Jeux/MSTS/TRAINS")));
        if (p.cmdOK->isEnabled())
            return -4;
        p.DirListBox->definirChemin(bac.chemin(QStringLiteral("Jeux/MSTS")));
        QTest::keyClick(p.cmdOK, Qt::Key_Return);
        return p.result();
    });
    auto f = demarrer(bac, bac.chemin(QStringLiteral("nulle-part")));
    QVERIFY(f);
    QCOMPARE(seam.messages.size(), 1); // Error01 only
    QVERIFY(!Annule);
    QCOMPARE(DossierMSTS, jeu);
    QCOMPARE(DossierConsists, jeu + QStringLiteral("TRAINS/CONSISTS/"));
}

void TstDemarrage::secondeCopieSeTait()
{
    Bac bac;
    InteractionScriptee seam;
    bac.preparerProgramme();
    InstanceUnique premiere(bac.chemin(QStringLiteral("verrou.lock")));
    QVERIFY(premiere.acquerir());
    auto f = demarrer(bac, bac.creerJeu());
    QVERIFY(!f);
    QVERIFY(seam.messages.isEmpty());
    QVERIFY(!QFile::exists(bac.fichierReglages()));
}

QTEST_MAIN(TstDemarrage)
#include "tst_demarrage.moc"
