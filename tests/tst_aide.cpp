// The Help menu, the About box and the language choice.
#include "app/modDeclarations.h"
#include "app/modSubMain.h"
#include "localisation/LireLangue.h"
#include "platform/Instance.h"
#include "support/Bac.h"
#include "support/InteractionScriptee.h"
#include "support/SceneFenetre.h"
#include "ui/Aide.h"
#include "ui/frmCorvanel.h"

#include <QAction>
#include <QFile>
#include <QGroupBox>
#include <QMenu>
#include <QPushButton>
#include <QtTest>

using namespace corvanel;
using namespace corvanel::test;

namespace {
const QString Francais = QStringLiteral("crv-1.0.7-french.lng");
const QString Anglais = QStringLiteral("crv-1.0.7-english.lng");

using Scene = SceneFenetre;
} // namespace

class TstAide : public QObject {
    Q_OBJECT

private slots:
    void aPropos_data();
    void aPropos();
    void documents();
    void documentAbsent_data();
    void documentAbsent();
    void siteRefuse();
    void choixDeLangue();
    void choixAnnule();
    void choixIncompletTermine();
};

void TstAide::aPropos_data()
{
    QTest::addColumn<QString>("fichier");
    QTest::addColumn<QString>("nomEnUsage");
    QTest::addColumn<int>("lignes");
    QTest::newRow("défaut") << Francais << Francais << 9;
    QTest::newRow("autre fichier") << Anglais << Anglais << 12;
    QTest::newRow("défaut dans une autre casse") << Francais << QStringLiteral("CRV-1.0.7-French.lng") << 12;
}

void TstAide::aPropos()
{
    QFETCH(QString, fichier);
    QFETCH(QString, nomEnUsage);
    QFETCH(int, lignes);
    Scene s(fichier);
    NomFichierLangue = nomEnUsage;
    s.f->mnuAbout->trigger();
    QCOMPARE(s.seam.messages.size(), 1);
    const Message m = s.seam.messages[0];
    const QStringList l = m.texte.split(QStringLiteral("\r\n"));
    QCOMPARE(l.size(), lignes);
    QCOMPARE(l[0], QStringLiteral("Corvanel Version 1.0.7"));
    QVERIFY(l[1].contains(QStringLiteral("2002-2003")));
    QCOMPARE(l[2], s.L("Label", "Label01"));
    QCOMPARE(l[3], QString());
    QCOMPARE(l[4], s.L("Label", "Label07"));
    QVERIFY(l[5].startsWith(QStringLiteral("https://")));
    QCOMPARE(l[7], s.L("Label", "Label06"));
    if (lignes == 12) {
        QCOMPARE(l[9], QString());
        QCOMPARE(l[10], s.L("Label", "Label08") + u' ' + s.L("Language", "Author"));
        QCOMPARE(l[11], s.L("Label", "Label06") + u' ' + s.L("Language", "EMail"));
    }
    QCOMPARE(m.titre, s.L("Form", "Form04"));
    QCOMPARE(m.icone, Icone::Information);
    QCOMPARE(m.boutons, Boutons::OK);
}

void TstAide::documents()
{
    Scene s;
    // Every language file names documents that ship with the program.
    for (const QString &langue : {Francais, Anglais}) {
        s.bac.utiliserLangue(langue);
        for (const char *cle : {"HelpFile", "FAQFile", "HisFile"}) {
            const QString doc = s.L(QStringLiteral("Language"), QString::fromLatin1(cle));
            QVERIFY2(QFile::exists(QStringLiteral(CORVANEL_SOURCE_DIR "/") + doc), qPrintable(doc));
            s.bac.ecrire(QStringLiteral("programme/") + doc, "<html></html>");
        }
    }
    s.f->mnuAfficher_Click();
    s.f->mnuSiteInternet_Click();
    QVERIFY(s.seam.messages.isEmpty());
    QCOMPARE(s.seam.documents,
             (QList<QUrl>{QUrl::fromLocalFile(DossierAppli + s.L("Language", "HelpFile")), QUrl(SiteInternet)}));
}

void TstAide::documentAbsent_data()
{
    QTest::addColumn<int>("commande");
    QTest::addColumn<QString>("erreur");
    QTest::newRow("aide") << 0 << "Error11";
    QTest::newRow("FAQ") << 1 << "Error16";
    QTest::newRow("historique") << 2 << "Error15";
}

void TstAide::documentAbsent()
{
    QFETCH(int, commande);
    QFETCH(QString, erreur);
    Scene s;
    const std::function<void()> commandes[] = {[&] { s.f->mnuAfficher_Click(); }, [&] { s.f->mnuFAQ_Click(); },
                                               [&] { s.f->mnuHistorique_Click(); }};
    commandes[commande]();
    // Asked to open first, then found missing.
    QCOMPARE(s.seam.documents.size(), 1);
    QCOMPARE(s.seam.messages.size(), 1);
    QCOMPARE(s.seam.messages[0],
             (Message{s.L(QStringLiteral("Errors"), erreur), Boutons::OK, Icone::Critique, "Corvanel"}));
}

void TstAide::siteRefuse()
{
    Scene s;
    s.seam.refuserOuverture();
    s.f->mnuSiteInternet_Click();
    QCOMPARE(s.seam.messages.size(), 1);
    QCOMPARE(s.seam.messages[0], (Message{s.L("Errors", "Error14"), Boutons::OK, Icone::Critique, "Corvanel"}));
}

void TstAide::choixDeLangue()
{
    Scene s;
    // The same file again: same captions, setting written.
    s.seam.choisirFichier(FichierLangue);
    s.f->mnuMenuLangue_Click();
    QCOMPARE(s.seam.choixDemandes.size(), 1);
    const ChoixFichier c = s.seam.choixDemandes[0];
    QCOMPARE(c.titre, s.L("Messages", "Msg22"));
    QCOMPARE(c.filtre, QStringLiteral("Fichier de langue Corvanel (*.lng)|*.lng"));
    QCOMPARE(c.extensionParDefaut, QStringLiteral("lng"));
    QVERIFY(c.doitExister);
    QCOMPARE(c.dossierInitial, DossierAppli + QStringLiteral("lang"));
    QCOMPARE(s.bac.reglages().lire("Options", "Langue"), Francais);
    QCOMPARE(s.f->cmdRechercher->text(), s.L("Button", "Button01"));

    // A complete file in another folder: every caption at once.
    QFile::copy(DossierAppli + QStringLiteral("lang/") + Anglais, s.bac.chemin(QStringLiteral("ailleurs.lng")));
    s.seam.choisirFichier(s.bac.chemin(QStringLiteral("ailleurs.lng")));
    s.f->mnuMenuLangue_Click();
    QCOMPARE(NomFichierLangue, QStringLiteral("ailleurs.lng"));
    QCOMPARE(FichierLangue, s.bac.chemin(QStringLiteral("ailleurs.lng")));
    QCOMPARE(s.bac.reglages().lire("Options", "Langue"), QStringLiteral("ailleurs.lng"));
    QCOMPARE(s.f->cmdRechercher->text(), s.L("Button", "Button01"));
    QCOMPARE(s.f->fraTFI->title(), s.L("Frame", "Frame04"));
    QCOMPARE(s.f->mnuAbout->text(), s.L("Menu", "Menu305"));
    QVERIFY(s.f->cmdRechercher->text() != LireLangue(DossierAppli + "lang/" + Francais, "Button", "Button01"));

    // The next start does not find that name in lang/ and falls back.
    s.bac.creerJeu();
    InstanceUnique instance(s.bac.chemin(QStringLiteral("verrou")));
    auto fenetre = Main({DossierAppli, s.bac.chemin(QStringLiteral("MSTS"))}, instance);
    QVERIFY(fenetre);
    QCOMPARE(NomFichierLangue, Francais);
    QCOMPARE(s.bac.reglages().lire("Options", "Langue"), Francais);
}

void TstAide::choixAnnule()
{
    Scene s;
    s.bac.reglages().ecrire("Options", "Langue", Francais);
    const QString avant = FichierLangue;
    s.seam.choisirFichier(std::nullopt);
    s.f->mnuMenuLangue_Click();
    QCOMPARE(FichierLangue, avant);
    QCOMPARE(NomFichierLangue, Francais);
    QCOMPARE(s.f->cmdRechercher->text(), s.L("Button", "Button01"));
    QVERIFY(s.seam.messages.isEmpty());
}

void TstAide::choixIncompletTermine()
{
    Scene s;
    QFile source(FichierLangue);
    QVERIFY(source.open(QIODevice::ReadOnly));
    QByteArray contenu = source.readAll();
    contenu.replace("Menu305=", "Menu399=");
    const QString incomplet = s.bac.ecrire(QStringLiteral("incomplet.lng"), contenu);
    s.seam.choisirFichier(incomplet);
    QCOMPARE(codeDeFin([&] { s.f->mnuMenuLangue_Click(); }), 1);
    QVERIFY(s.seam.messages.last().texte.contains(QStringLiteral("\"Menu305\"")));
    // The setting already names the new file, as the original's did.
    QCOMPARE(s.bac.reglages().lire("Options", "Langue"), QStringLiteral("incomplet.lng"));
}

QTEST_MAIN(TstAide)
#include "tst_aide.moc"
