// The scan from the main window, on real game folders.
#include "analysis/Analyse.h"
#include "analysis/Vehicules.h"
#include "app/Demo.h"
#include "app/Texte.h"
#include "app/modDeclarations.h"
#include "localisation/LireLangue.h"
#include "platform/Chemins.h"
#include "support/Bac.h"
#include "support/InteractionScriptee.h"
#include "support/SceneFenetre.h"
#include "ui/frmCorvanel.h"

#include <QAction>
#include <QDir>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QtTest>

using namespace corvanel;
using namespace corvanel::test;

namespace {

QByteArray consist(const QStringList &vehicules)
{
    QByteArray o = "SIMISA@@@@@@@@@@JINX0D0t______\r\n\r\nTrain (\r\n\tTrainCfg ( \"T\"\r\n";
    for (const QString &v : vehicules)
        o += "\t\t" + v.toLatin1() + "\r\n";
    return o + "\t)\r\n)\r\n";
}

QByteArray utf16le(const QByteArray &ansi)
{
    QByteArray o("\xFF\xFE");
    for (const char c : ansi) {
        o += c;
        o += '\0';
    }
    return o;
}

QStringList entrees(const QListWidget *l)
{
    QStringList n;
    for (int i = 0; i < l->count(); ++i)
        n << l->item(i)->text();
    return n;
}

struct Scene : SceneFenetre {
    using SceneFenetre::SceneFenetre;
    void vehicule(const QString &relatif) { ecrireVehicule(relatif); }
    void con(const QString &nom, const QByteArray &octets) { ecrireConsist(nom, octets); }
    QString L(const char *cle) const { return SceneFenetre::L(QStringLiteral("Messages"), QString::fromLatin1(cle)); }
};

} // namespace

class TstRecherche : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { Cadence::definirIntervalle(0); }
    void dossierDemo();
    void ordreDuJeuEtCasse();
    void resumesEtEtatDesCommandes_data();
    void resumesEtEtatDesCommandes();
    void jaugeComptaitChaqueFichier();
    void premierDefautSuffit();
    void fermetureRefuseePendantLaRecherche();
    void secondeRechercheRepartDeZero();
    void dossierAbsentFatal();
    void verificateurEgalAuSystemeDeFichiers();
};

void TstRecherche::dossierDemo()
{
    // The demo's own list of expected results is the ground truth.
    Scene s;
    QString erreur;
    const QString copie = copierDemo(QStringLiteral(CORVANEL_SOURCE_DIR "/demo"), &erreur);
    QVERIFY2(!copie.isEmpty(), qPrintable(erreur));
    Bac::utiliserJeu(avecSeparateurFinal(copie));
    QFile attendus(QStringLiteral(CORVANEL_SOURCE_DIR "/demo/README-demo.txt"));
    QVERIFY(attendus.open(QIODevice::ReadOnly | QIODevice::Text));
    QStringList invalides;
    for (const QByteArray &ligne : attendus.readAll().split('\n')) {
        if (ligne.startsWith("INVALID"))
            invalides << QString::fromUtf8(ligne.split('|').at(1).trimmed());
    }
    std::sort(invalides.begin(), invalides.end(), avantCommeLeJeu);
    QVERIFY(invalides.size() >= 8);

    s.f->cmdRechercher->click();
    QCOMPARE(entrees(s.f->lstLFI), invalides);
    QVERIFY(s.seam.messages.isEmpty());
    QDir(copie).cdUp();
    QDir(QFileInfo(copie).absolutePath()).removeRecursively();
}

void TstRecherche::ordreDuJeuEtCasse()
{
    Scene s;
    s.vehicule(QStringLiteral("Set A/Loco.eng"));
    s.vehicule(QStringLiteral("Set A/Wagon.wag"));
    // Listed as the game's platform lists them: by upper-cased name.
    const QByteArray casse = consist({"EngineData ( Loco \"Set A\" )", "WagonData ( WAGON \"set a\" )"});
    const QByteArray manque = consist({"EngineData ( Loco \"Set A\" )", "WagonData ( Absent \"Set A\" )"});
    s.con(QStringLiteral("b.con"), manque);
    s.con(QStringLiteral("B_.con"), manque);
    s.con(QStringLiteral("a.con"), casse);
    s.con(QStringLiteral("Z.con"), manque);
    s.con(QStringLiteral("_x.con"), manque);
    s.con(QStringLiteral("utf16.con"), utf16le(manque));
    s.con(QStringLiteral("utf16-sain.con"), utf16le(casse));
    s.con(QStringLiteral("dossier-fichier.con"), consist({"EngineData ( Loco.eng Set A )"}));
    s.bac.creerDossier(QStringLiteral("MSTS/TRAINS/TRAINSET/Set/Loco.eng.eng"));
    s.con(QStringLiteral("fichier-dossier.con"), consist({"EngineData ( Loco.eng Set )"}));
    // A link that leads nowhere, in both folders, is no file and no failure.
    QFile::link(s.bac.chemin(QStringLiteral("nulle-part")), DossierConsists + QStringLiteral("lien.con"));
    QFile::link(s.bac.chemin(QStringLiteral("nulle-part")), DossierTrainset + QStringLiteral("Lien"));
    s.f->cmdRechercher_Click();
    QCOMPARE(entrees(s.f->lstLFI), (QStringList{"b.con", "B_.con", "dossier-fichier.con", "fichier-dossier.con",
                                                "utf16.con", "Z.con", "_x.con"}));

    // Every entry takes the first one's size, which keeps a long list quick;
    // a name longer than the first can still be scrolled over whole.
    const QString longue = QStringLiteral("ZZ Acela Express Boston to Washington via New York Penn Station.con");
    s.con(longue, manque);
    s.f->cmdRechercher_Click();
    const QList<QListWidgetItem *> trouve = s.f->lstLFI->findItems(longue, Qt::MatchExactly);
    QCOMPARE(trouve.size(), 1);
    QCOMPARE_GE(s.f->lstLFI->visualItemRect(trouve[0]).width(), s.f->lstLFI->fontMetrics().horizontalAdvance(longue));
}

void TstRecherche::resumesEtEtatDesCommandes_data()
{
    QTest::addColumn<int>("invalides");
    QTest::newRow("aucun") << 0;
    QTest::newRow("un") << 1;
    QTest::newRow("plusieurs") << 3;
}

void TstRecherche::resumesEtEtatDesCommandes()
{
    QFETCH(int, invalides);
    Scene s;
    s.vehicule(QStringLiteral("S/E.eng"));
    for (int i = 0; i < 4; ++i)
        s.con(QStringLiteral("sain%1.con").arg(i), consist({"EngineData ( E S )"}));
    for (int i = 0; i < invalides; ++i)
        s.con(QStringLiteral("casse%1.con").arg(i), consist({"EngineData ( E Absent )"}));
    s.f->cmdRechercher_Click();

    QString attendu = s.L("Msg02").replace(QStringLiteral("[num]"), QString::number(4 + invalides)) + "\n\n";
    if (invalides == 0)
        attendu += s.L("Msg03");
    else if (invalides == 1)
        attendu += s.L("Msg04");
    else
        attendu += s.L("Msg05").replace(QStringLiteral("[num]"), QStringLiteral("3"));
    QCOMPARE(s.f->lblInformations->text(), QString(attendu).replace("\r\n", "\n"));
    QCOMPARE(Compteur, 4 + invalides);
    QCOMPARE(s.f->pbJauge->value(), 0);

    const bool liste = invalides > 0;
    QCOMPARE(s.f->cmdDeplacerVers->isEnabled(), liste);
    QCOMPARE(s.f->cmdSupprimer->isEnabled(), liste);
    QCOMPARE(s.f->cmdSelectionner[0]->isEnabled(), liste);
    QCOMPARE(s.f->cmdSelectionner[1]->isEnabled(), liste);
    QCOMPARE(s.f->mnuEnregistrerListe->isEnabled(), liste);
    QCOMPARE(s.f->lstLFI->isEnabled(), liste);
    QCOMPARE(s.f->lstLFI->currentRow(), -1);
    QVERIFY(!s.f->mnuEditerFichier->isEnabled());
    QVERIFY(!s.f->mnuProprietesFichier->isEnabled());
    for (QPushButton *b : {s.f->cmdRechercher, s.f->cmdRapportDetaille, s.f->cmdNettoyer})
        QVERIFY(b->isEnabled());
    for (QMenu *m : {s.f->mnuFichier, s.f->mnuOutils, s.f->mnuAide})
        QVERIFY(frmCorvanel::menuActif(m));
}

void TstRecherche::jaugeComptaitChaqueFichier()
{
    Scene s;
    s.con(QStringLiteral("a.con"), consist({}));
    s.con(QStringLiteral("b.txt"), "x");
    s.con(QStringLiteral("c.CON"), consist({"EngineData ( Absent Absent )"}));
    s.bac.creerDossier(QStringLiteral("MSTS/TRAINS/CONSISTS/sous-dossier.con"));
    s.bac.ecrire(QStringLiteral("MSTS/TRAINS/CONSISTS/sous-dossier.con/d.con"), consist({"EngineData ( X Y )"}));
    QList<int> valeurs;
    bool occupee = true;
    s.seam.pendantEvenements = [&] {
        valeurs << s.f->pbJauge->value();
        occupee = occupee && !s.f->cmdRechercher->isEnabled() && !frmCorvanel::menuActif(s.f->mnuFichier);
    };
    // Events let through at every chance, to see each step.
    s.f->cmdRechercher_Click();
    QCOMPARE(s.f->pbJauge->maximum(), 3);
    QCOMPARE(valeurs.first(), 1);
    QCOMPARE(valeurs.last(), 3);
    QVERIFY(std::is_sorted(valeurs.begin(), valeurs.end()));
    QVERIFY(occupee);
    QCOMPARE(Compteur, 1);
    QCOMPARE(s.f->lstLFI->count(), 0);
    QVERIFY(s.f->lblInformations->text().startsWith(s.L("Msg02").replace("[num]", "1")));
}

void TstRecherche::premierDefautSuffit()
{
    Scene s;
    s.vehicule(QStringLiteral("S/E.eng"));
    // The second line names a missing wagon; the third would end the
    // original with a run-time error. Reading stops at the second.
    s.con(QStringLiteral("a.con"), consist({"EngineData ( E S )", "WagonData ( Absent S )", "EngineData ( E S"}));
    s.con(QStringLiteral("b.con"), consist({"EngineData ( E S"}));
    s.f->cmdRechercher_Click();
    QCOMPARE(entrees(s.f->lstLFI), (QStringList{"a.con", "b.con"}));
    QVERIFY(s.seam.messages.isEmpty());
}

void TstRecherche::fermetureRefuseePendantLaRecherche()
{
    Scene s;
    for (int i = 0; i < 30; ++i)
        s.con(QStringLiteral("c%1.con").arg(i), consist({"EngineData ( E S )"}));
    int refus = 0;
    s.seam.pendantEvenements = [&] {
        if (s.f->pbJauge->value() != 0 && !s.f->close())
            ++refus;
    };
    s.f->cmdRechercher_Click();
    QVERIFY(refus > 0);
    QVERIFY(s.f->isVisible());
    QCOMPARE(s.f->lstLFI->count(), 30);
}

void TstRecherche::secondeRechercheRepartDeZero()
{
    Scene s;
    s.con(QStringLiteral("a.con"), consist({"EngineData ( E S )"}));
    s.f->cmdRechercher_Click();
    QCOMPARE(s.f->lstLFI->count(), 1);
    s.vehicule(QStringLiteral("s/e.ENG"));
    s.f->cmdRechercher_Click();
    QCOMPARE(s.f->lstLFI->count(), 0);
    QVERIFY(!s.f->cmdSupprimer->isEnabled());
}

void TstRecherche::dossierAbsentFatal()
{
    Scene s;
    QDir(DossierConsists).removeRecursively();
    QCOMPARE(codeDeFin([&] { s.f->cmdRechercher_Click(); }), 1);
    QCOMPARE(s.seam.messages.size(), 1);
    QVERIFY(
        s.seam.messages[0].texte.startsWith(QString::fromUtf8("Erreur n° 76. Chemin d'accès introuvable.\r\n\r\n")));
}

void TstRecherche::verificateurEgalAuSystemeDeFichiers()
{
    // The cached answers are those of asking the file system each time.
    Bac bac;
    const QString base = bac.creerDossier(QStringLiteral("T"));
    bac.ecrire(QStringLiteral("T/Set/a.eng"));
    bac.ecrire(QStringLiteral("T/set/B.eng"));
    bac.ecrire(QStringLiteral("T/SET/c.eng"));
    bac.creerDossier(QStringLiteral("T/Dir/x.wag"));
    bac.ecrire(QStringLiteral("T/Dir/X.WAG"));
    QFile::link(bac.chemin(QStringLiteral("T/Set")), bac.chemin(QStringLiteral("T/Lien")));
    QFile::link(bac.chemin(QStringLiteral("T/nulle-part")), bac.chemin(QStringLiteral("T/casse")));
    bac.ecrire(QStringLiteral("T/CASSE/z.eng"));
    VerificateurVehicules v(base + u'/');
    for (const char *r : {"Set/a.eng", "set/a.eng", "SET/A.ENG", "Set/B.eng", "set/b.eng", "SET/c.eng", "set/c.eng",
                          "Dir/x.wag", "dir/X.wag", "DIR/x.WAG", "lien/A.eng", "casse/z.eng", "Set\\a.eng",
                          "Set//a.eng", "./Set/a.eng", "Set/../set/B.eng", "Absent/a.eng", "Set", "Set/a.eng/x"}) {
        QVERIFY2(v.fichierExiste(r) == fichierExisteSansCasse(base, r), r);
        QVERIFY2(v.dossierExiste(r) == dossierExisteSansCasse(base, r), r);
    }
}

QTEST_MAIN(TstRecherche)
#include "tst_recherche.moc"
