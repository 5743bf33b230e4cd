// The directory clean-up from the main window, on real game folders.
#include "app/Texte.h"
#include "app/modDeclarations.h"
#include "fileops/Echecs.h"
#include "fileops/SystemeFichiers.h"
#include "localisation/LireLangue.h"
#include "support/Bac.h"
#include "support/InteractionScriptee.h"
#include "support/SceneFenetre.h"
#include "ui/Pointeur.h"
#include "ui/frmCorvanel.h"

#include <QAction>
#include <QDir>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QtTest>

#include <cerrno>

#include <sys/stat.h>
#include <sys/xattr.h>

using namespace corvanel;
using namespace corvanel::test;

namespace {

struct Scene : SceneFenetre {
    using SceneFenetre::SceneFenetre;
    QString fichier(const QString &nom) { return bac.ecrire(QStringLiteral("MSTS/TRAINS/CONSISTS/") + nom, "x"); }
    QString dossier(const QString &nom) { return bac.creerDossier(QStringLiteral("MSTS/TRAINS/CONSISTS/") + nom); }
    QStringList restants() const
    {
        return QDir(DossierConsists).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                                               QDir::Name);
    }
    // Yes to Msg28, then the given answers to the questions that follow.
    void nettoyer(const QList<Reponse> &reponses = {})
    {
        seam.repondre(Reponse::Oui);
        for (Reponse r : reponses)
            seam.repondre(r);
        f->cmdNettoyer->click();
    }
    Message fin(int fichiers, int dossiers) const
    {
        QString t = remplacer(M("Msg26"), u"[numfile]", QString::number(fichiers));
        t = remplacer(t, u"[numfolder]", QString::number(dossiers));
        return {t, Boutons::OK, Icone::Information, QStringLiteral("Corvanel")};
    }
    static QString M(const char *cle)
    {
        return LireLangue(FichierLangue, QStringLiteral("Messages"), QString::fromLatin1(cle));
    }
};

void changerMode(const QString &chemin, mode_t m)
{
    QVERIFY(::chmod(QFile::encodeName(chemin).constData(), m) == 0);
}

void cacher(const QString &chemin)
{
    QVERIFY(::setxattr(QFile::encodeName(chemin).constData(), "user.DOSATTRIB", "0x2", 3, 0) == 0);
}

// The six commands the end gives back, the others left for the next scan.
void verifierEtatFinal(const frmCorvanel &f)
{
    for (QMenu *m : {f.mnuFichier, f.mnuOutils, f.mnuAide})
        QVERIFY(frmCorvanel::menuActif(m));
    QVERIFY(f.cmdRechercher->isEnabled());
    QVERIFY(f.cmdRapportDetaille->isEnabled());
    QVERIFY(f.cmdNettoyer->isEnabled());
    for (QWidget *w : {static_cast<QWidget *>(f.cmdDeplacerVers), static_cast<QWidget *>(f.cmdSupprimer),
                       static_cast<QWidget *>(f.cmdSelectionner[0]), static_cast<QWidget *>(f.cmdSelectionner[1]),
                       static_cast<QWidget *>(f.lstLFI)})
        QVERIFY(!w->isEnabled());
    QVERIFY(!f.mnuEnregistrerListe->isEnabled());
    QVERIFY(!f.mnuProprietesFichier->isEnabled());
    QCOMPARE(f.lstLFI->count(), 0);
    QCOMPARE(f.pbJauge->value(), 0);
    QCOMPARE(f.lblInformations->text(), QString());
    QCOMPARE(pointeurActuel(), Pointeur::ParDefaut);
}

} // namespace

class TstNettoyage : public QObject {
    Q_OBJECT

private slots:
    void cleanup() { sf::retirerPannes(); }

    void exempleType();
    void nonAuMsg28();
    void consistsEnToutesCasses();
    void comptes_data();
    void comptes();
    void lectureSeuleOuCache_data();
    void lectureSeuleOuCache();
    void pendantLeParcours();
    void liensRetiresCommeLiens();
    void echecSignaleEtParcoursPoursuivi();
    void dossierConsistsAbsent();
};

// a.con, b.txt, c.con.bak and a sub-folder old: two files and one folder go.
void TstNettoyage::exempleType()
{
    Scene s;
    s.fichier(QStringLiteral("a.con"));
    s.fichier(QStringLiteral("b.txt"));
    s.fichier(QStringLiteral("c.con.bak"));
    s.bac.ecrire(QStringLiteral("MSTS/TRAINS/CONSISTS/old/dedans/x.con"), "x");
    s.f->lstLFI->addItems({QStringLiteral("a.con"), QStringLiteral("z.con")});
    s.f->lstLFI->setEnabled(true);
    s.f->cmdSupprimer->setEnabled(true);
    s.f->lstLFI->setCurrentRow(1);
    QVERIFY(s.f->mnuProprietesFichier->isEnabled());

    s.nettoyer();

    QCOMPARE(s.restants(), QStringList{QStringLiteral("a.con")});
    QCOMPARE(s.seam.messages.size(), 2);
    QCOMPARE(s.seam.messages[0],
             (Message{Scene::M("Msg28"), Boutons::OuiNon, Icone::Question, QStringLiteral("Corvanel")}));
    QCOMPARE(s.seam.messages[1], s.fin(2, 1));
    QCOMPARE(Compteur, 2);
    QCOMPARE(Compteur2, 1);
    verifierEtatFinal(*s.f);
}

void TstNettoyage::nonAuMsg28()
{
    Scene s;
    s.fichier(QStringLiteral("b.txt"));
    s.f->lstLFI->addItem(QStringLiteral("a.con"));
    s.f->lstLFI->setEnabled(true);
    s.seam.repondre(Reponse::Non);
    s.f->cmdNettoyer->click();
    QCOMPARE(s.restants(), QStringList{QStringLiteral("b.txt")});
    QCOMPARE(s.seam.messages.size(), 1);
    QCOMPARE(s.f->lstLFI->count(), 1);
    QVERIFY(s.f->lstLFI->isEnabled());
    QCOMPARE(pointeurActuel(), Pointeur::ParDefaut);
}

// The game takes any letter case of ".con" for a consist; a read-only
// consist is never asked about.
void TstNettoyage::consistsEnToutesCasses()
{
    Scene s;
    for (const char *n : {"A.CON", "b.Con", "c.cOn", ".con", "x.con"})
        s.fichier(QString::fromLatin1(n));
    changerMode(DossierConsists + QStringLiteral("x.con"), 0444);
    s.fichier(QStringLiteral("d.con.old"));
    s.fichier(QStringLiteral("e.co"));

    s.nettoyer();

    QCOMPARE(s.restants(), (QStringList{QStringLiteral(".con"), QStringLiteral("A.CON"), QStringLiteral("b.Con"),
                                        QStringLiteral("c.cOn"), QStringLiteral("x.con")}));
    QCOMPARE(s.seam.messages.size(), 2);
    QCOMPARE(s.seam.messages[1], s.fin(2, 0));
}

void TstNettoyage::comptes_data()
{
    QTest::addColumn<QStringList>("fichiers");
    QTest::addColumn<QStringList>("dossiers");
    QTest::addColumn<int>("nbFichiers");
    QTest::addColumn<int>("nbDossiers");
    QTest::addColumn<int>("maximum"); // the bar's range at its last use
    QTest::newRow("vide") << QStringList{} << QStringList{} << 0 << 0 << -1;
    QTest::newRow("consists seuls") << QStringList{"a.con", "b.con"} << QStringList{} << 0 << 0 << 2;
    QTest::newRow("deux dossiers seuls") << QStringList{} << QStringList{"x", "y.con"} << 0 << 2 << 2;
    QTest::newRow("mélange") << QStringList{"a.con", "b", "c.txt"} << QStringList{"d"} << 2 << 1 << 1;
}

void TstNettoyage::comptes()
{
    QFETCH(QStringList, fichiers);
    QFETCH(QStringList, dossiers);
    QFETCH(int, nbFichiers);
    QFETCH(int, nbDossiers);
    QFETCH(int, maximum);
    Scene s;
    for (const QString &n : fichiers)
        s.fichier(n);
    for (const QString &n : dossiers)
        s.dossier(n);
    s.f->pbJauge->setRange(0, -1 == maximum ? 77 : 1000);
    QList<int> valeurs;
    QObject::connect(s.f->pbJauge, &QProgressBar::valueChanged, [&](int v) { valeurs << v; });

    s.nettoyer();

    QCOMPARE(s.seam.messages.last(), s.fin(nbFichiers, nbDossiers));
    // An empty collection shows no progress at all.
    QCOMPARE(s.f->pbJauge->maximum(), maximum == -1 ? 77 : maximum);
    QList<int> attendues;
    if (!fichiers.isEmpty())
        for (int i = 1; i <= fichiers.size(); ++i)
            attendues << i;
    if (!dossiers.isEmpty()) {
        if (!fichiers.isEmpty())
            attendues << 0;
        for (int i = 1; i <= dossiers.size(); ++i)
            attendues << i;
    }
    if (!attendues.isEmpty())
        attendues << 0;
    QCOMPARE(valeurs, attendues);
    verifierEtatFinal(*s.f);
}

void TstNettoyage::lectureSeuleOuCache_data()
{
    QTest::addColumn<QString>("nom");
    QTest::addColumn<bool>("dossier");
    QTest::addColumn<QString>("genre");
    QTest::addColumn<bool>("oui");
    for (const bool oui : {true, false}) {
        const char *r = oui ? "oui" : "non";
        QTest::addRow("fichier lecture seule, %s", r) << "readme.txt" << false << "ro" << oui;
        QTest::addRow("fichier caché, %s", r) << "readme.txt" << false << "cache" << oui;
        QTest::addRow("fichier en point, %s", r) << ".cache" << false << "" << oui;
        QTest::addRow("dossier caché, %s", r) << "vieux" << true << "cache" << oui;
        QTest::addRow("dossier lecture seule, %s", r) << "vieux" << true << "ro" << oui;
        QTest::addRow("dossier en point, %s", r) << ".vieux" << true << "" << oui;
    }
}

void TstNettoyage::lectureSeuleOuCache()
{
    QFETCH(QString, nom);
    QFETCH(bool, dossier);
    QFETCH(QString, genre);
    QFETCH(bool, oui);
    Scene s;
    const QString chemin = dossier ? s.dossier(nom) : s.fichier(nom);
    if (dossier)
        s.bac.ecrire(QStringLiteral("MSTS/TRAINS/CONSISTS/%1/dedans.txt").arg(nom), "x");
    if (genre == u"ro")
        changerMode(chemin, dossier ? 0555 : 0444);
    if (genre == u"cache")
        cacher(chemin);
    s.fichier(QStringLiteral("autre.txt"));
    s.dossier(QStringLiteral("zautre"));

    s.nettoyer({oui ? Reponse::Oui : Reponse::Non});

    QCOMPARE(s.seam.messages.size(), 3);
    const QString question = dossier ? remplacer(Scene::M("Msg25"), u"[folder]", nom)
                                     : remplacer(Scene::M("Msg06"), u"[file]", nom);
    QCOMPARE(s.seam.messages[1], (Message{question, Boutons::OuiNon, Icone::Question, QStringLiteral("Corvanel")}));
    QCOMPARE(s.restants(), oui ? QStringList{} : QStringList{nom});
    QCOMPARE(s.seam.messages[2], s.fin(dossier ? 1 : (oui ? 2 : 1), dossier ? (oui ? 2 : 1) : 1));
}

// Busy from the first question to the last: hourglass, commands held, the
// status naming what is walked, the bar counting consists too. The walk
// goes in the order the game's platform lists names.
void TstNettoyage::pendantLeParcours()
{
    Scene s;
    for (const char *n : {"b.txt", "a.txt", "A.txt", "_x.txt", "m.con"}) {
        const QString c = s.fichier(QString::fromLatin1(n));
        changerMode(c, 0444);
    }
    s.fichier(QStringLiteral(".h"));
    cacher(s.dossier(QStringLiteral("dossier")));

    QStringList ordre;
    QList<int> jauge;
    s.seam.avantMessage = [&](const Message &m) {
        if (m.boutons != Boutons::OuiNon || m.texte == Scene::M("Msg28"))
            return;
        ordre << m.texte;
        jauge << s.f->pbJauge->value();
        QCOMPARE(pointeurActuel(), Pointeur::Sablier);
        QVERIFY(!frmCorvanel::menuActif(s.f->mnuFichier));
        QVERIFY(!s.f->cmdNettoyer->isEnabled());
        QVERIFY(!s.f->cmdRechercher->isEnabled());
        QVERIFY(!s.f->lstLFI->isEnabled());
        const bool dossier = m.texte.startsWith(remplacer(Scene::M("Msg25"), u"[folder]", QStringLiteral("dossier")));
        QCOMPARE(s.f->lblInformations->text(), QStringLiteral(" \n") + Scene::M(dossier ? "Msg24" : "Msg10"));
        QCOMPARE(s.f->pbJauge->maximum(), dossier ? 1 : 6);
    };

    s.nettoyer({Reponse::Non, Reponse::Non, Reponse::Non, Reponse::Non, Reponse::Non, Reponse::Non});

    const auto f = [](const char *n) { return remplacer(Scene::M("Msg06"), u"[file]", QString::fromLatin1(n)); };
    QCOMPARE(ordre, (QStringList{f(".h"), f("A.txt"), f("a.txt"), f("b.txt"), f("_x.txt"),
                                 remplacer(Scene::M("Msg25"), u"[folder]", QStringLiteral("dossier"))}));
    QCOMPARE(jauge, (QList<int>{1, 2, 3, 4, 6, 1}));
    QCOMPARE(s.seam.messages.last(), s.fin(0, 0));
    verifierEtatFinal(*s.f);
}

// Links go as links, to a folder or a file, leading nowhere or outside:
// what they point at is never touched.
void TstNettoyage::liensRetiresCommeLiens()
{
    Scene s;
    const QString dehors = s.bac.creerDossier(QStringLiteral("ailleurs/vehicules"));
    s.bac.ecrire(QStringLiteral("ailleurs/vehicules/loco.eng"), "SIMISA");
    s.bac.ecrire(QStringLiteral("ailleurs/vehicules/sous/wagon.wag"), "SIMISA");
    const QString fichierDehors = s.bac.ecrire(QStringLiteral("ailleurs/note.txt"), "garde");
    changerMode(dehors, 0555);
    cacher(fichierDehors);
    QVERIFY(QFile::link(dehors, DossierConsists + QStringLiteral("vers-dossier")));
    QVERIFY(QFile::link(dehors, DossierConsists + QStringLiteral(".vers-dossier-cache")));
    QVERIFY(QFile::link(fichierDehors, DossierConsists + QStringLiteral("vers-fichier.txt")));
    QVERIFY(QFile::link(s.bac.chemin(QStringLiteral("rien")), DossierConsists + QStringLiteral("casse")));
    QVERIFY(QFile::link(fichierDehors, DossierConsists + QStringLiteral("lien.con")));

    s.nettoyer({Reponse::Oui});

    QCOMPARE(s.restants(), QStringList{QStringLiteral("lien.con")});
    QCOMPARE(s.seam.messages.size(), 3);
    QCOMPARE(s.seam.messages[1].texte, remplacer(Scene::M("Msg25"), u"[folder]", QStringLiteral(".vers-dossier-cache")));
    QCOMPARE(s.seam.messages[2], s.fin(2, 2));
    QCOMPARE(QDir(dehors).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
             (QStringList{QStringLiteral("loco.eng"), QStringLiteral("sous")}));
    QVERIFY(QFile::exists(dehors + QStringLiteral("/sous/wagon.wag")));
    QCOMPARE(QFileInfo(dehors).permissions() & QFile::WriteOwner, QFile::Permissions{});
    QCOMPARE(sf::lireAttributs(fichierDehors), int(sf::Cache));
}

// An item that cannot go: its name and the system's words, then the walk
// goes on and the normal end runs.
void TstNettoyage::echecSignaleEtParcoursPoursuivi()
{
    Scene s;
    const QString b = s.fichier(QStringLiteral("b.txt"));
    s.fichier(QStringLiteral("c.txt"));
    const QString vieux = s.dossier(QStringLiteral("vieux"));
    const QString ro = s.bac.ecrire(QStringLiteral("MSTS/TRAINS/CONSISTS/vieux/sous/ro.txt"), "x");
    s.bac.ecrire(QStringLiteral("MSTS/TRAINS/CONSISTS/vieux/a.txt"), "x");
    changerMode(ro, 0444);
    s.dossier(QStringLiteral("zz"));
    sf::injecterPanne(sf::Operation::Suppression, QStringLiteral("b.txt"), EBUSY);

    s.nettoyer();

    QCOMPARE(s.restants(), (QStringList{QStringLiteral("b.txt"), QStringLiteral("vieux")}));
    QCOMPARE(s.seam.messages.size(), 4);
    QCOMPARE(s.seam.messages[1], (Message{texteEchec(b, sf::erreurSysteme(EBUSY)), Boutons::OK, Icone::Critique,
                                          QStringLiteral("Corvanel")}));
    QVERIFY(s.seam.messages[1].texte.contains(qt_error_string(EBUSY)));
    QCOMPARE(s.seam.messages[2].texte, texteEchec(vieux, ErreurExecution(70)));
    QCOMPARE(s.seam.messages[3], s.fin(1, 1));
    QVERIFY(QFile::exists(vieux + QStringLiteral("/a.txt")));
    verifierEtatFinal(*s.f);
}

void TstNettoyage::dossierConsistsAbsent()
{
    Scene s;
    QVERIFY(QDir(DossierConsists).removeRecursively());
    s.nettoyer();
    QCOMPARE(s.seam.messages.size(), 3);
    QCOMPARE(s.seam.messages[1].icone, Icone::Critique);
    QVERIFY(s.seam.messages[1].texte.startsWith(QDir::toNativeSeparators(DossierConsists)));
    QCOMPARE(s.seam.messages[2], s.fin(0, 0));
    verifierEtatFinal(*s.f);
}

QTEST_MAIN(TstNettoyage)
#include "tst_nettoyage.moc"
