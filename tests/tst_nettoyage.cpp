// The directory clean-up from the main window, on real game folders.
#include "app/Texte.h"
#include "app/modDeclarations.h"
#include "fileops/Echecs.h"
#include "fileops/SystemeFichiers.h"
#include "support/SceneFenetre.h"
#include "ui/Pointeur.h"

#include <QAction>
#include <QListWidget>
#include <QPushButton>
#include <QtTest>

#include <cerrno>

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
        return QDir(DossierConsists)
            .entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
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
        return {remplacer(remplacer(M("Msg26"), u"[numfile]", QString::number(fichiers)), u"[numfolder]",
                          QString::number(dossiers)),
                Boutons::OK, Icone::Information, QStringLiteral("Corvanel")};
    }
    QString M(const char *cle) const { return L(QStringLiteral("Messages"), QString::fromLatin1(cle)); }
};

void cacher(const QString &chemin)
{
    QVERIFY(::setxattr(QFile::encodeName(chemin).constData(), "user.DOSATTRIB", "0x2", 3, 0) == 0);
}

// The end runs whatever happened: commands and pointer given back, the list
// and the items that need a current entry left off until the next scan.
void verifierEtatFinal(const frmCorvanel &f)
{
    QVERIFY(frmCorvanel::menuActif(f.mnuFichier));
    QVERIFY(f.cmdNettoyer->isEnabled());
    QVERIFY(!f.mnuProprietesFichier->isEnabled());
    QCOMPARE(f.lstLFI->count(), 0);
    QCOMPARE(pointeurActuel(), Pointeur::ParDefaut);
}

} // namespace

class TstNettoyage : public QObject {
    Q_OBJECT

private slots:
    void cleanup() { sf::retirerPannes(); }

    void exempleType();
    void lectureSeuleOuCache();
    void liensRetiresCommeLiens();
    void echecSignaleEtParcoursPoursuivi();
    void dossierConsistsAbsent();
};

// No to Msg28 touches nothing. Yes: every file but the consists goes, and
// every sub-folder, even one named like a consist. The game takes any letter
// case of ".con" for a consist; a read-only consist is never asked about.
void TstNettoyage::exempleType()
{
    Scene s;
    for (const char *n : {"a.con", "B.CON", "c.cOn", ".con", "b.txt", "c.con.bak", "e.co"})
        s.fichier(QString::fromLatin1(n));
    QVERIFY(QFile::setPermissions(DossierConsists + QStringLiteral("B.CON"), QFile::ReadOwner));
    s.bac.ecrire(QStringLiteral("MSTS/TRAINS/CONSISTS/vieux.con/dedans/x.con"), "x");
    s.f->lstLFI->addItems({QStringLiteral("a.con"), QStringLiteral("z.con")});
    s.f->lstLFI->setEnabled(true);
    s.f->cmdSupprimer->setEnabled(true);
    s.f->lstLFI->setCurrentRow(1);
    QVERIFY(s.f->mnuProprietesFichier->isEnabled());
    s.seam.repondre(Reponse::Non);
    s.f->cmdNettoyer->click();
    QCOMPARE(s.restants().size(), 8);
    QCOMPARE(s.f->lstLFI->count(), 2);

    s.nettoyer();

    QCOMPARE(s.restants(), (QStringList{QStringLiteral(".con"), QStringLiteral("B.CON"), QStringLiteral("a.con"),
                                        QStringLiteral("c.cOn")}));
    const Message msg28{s.M("Msg28"), Boutons::OuiNon, Icone::Question, QStringLiteral("Corvanel")};
    QCOMPARE(s.seam.messages, (QList<Message>{msg28, msg28, s.fin(3, 1)}));
    verifierEtatFinal(*s.f);
}

// Each read-only or hidden item (hidden by its name too) is asked about once;
// Yes removes it, No leaves it. The window is busy while a question is open:
// a command started from it would pull the folder from under the walk.
void TstNettoyage::lectureSeuleOuCache()
{
    Scene s;
    QVERIFY(QFile::setPermissions(s.fichier(QStringLiteral("readme.txt")), QFile::ReadOwner));
    s.fichier(QStringLiteral(".cache"));
    s.fichier(QStringLiteral("autre.txt"));
    cacher(s.dossier(QStringLiteral("vieux")));
    s.bac.ecrire(QStringLiteral("MSTS/TRAINS/CONSISTS/vieux/dedans.txt"), "x");
    QVERIFY(QFile::setPermissions(s.dossier(QStringLiteral("vieux2")), QFile::ReadOwner | QFile::ExeOwner));
    s.dossier(QStringLiteral("zautre"));
    s.seam.avantMessage = [&](const Message &m) {
        if (m.boutons != Boutons::OuiNon || m.texte == s.M("Msg28"))
            return;
        QCOMPARE(pointeurActuel(), Pointeur::Sablier);
        QVERIFY(!frmCorvanel::menuActif(s.f->mnuFichier));
        QVERIFY(!s.f->cmdNettoyer->isEnabled());
    };

    s.nettoyer({Reponse::Non, Reponse::Oui, Reponse::Oui, Reponse::Non});

    QCOMPARE(s.restants(), (QStringList{QStringLiteral(".cache"), QStringLiteral("vieux2")}));
    const auto question = [&](const char *cle, const char *champ, const char *nom) {
        return Message{remplacer(s.M(cle), QString::fromLatin1(champ), QString::fromLatin1(nom)), Boutons::OuiNon,
                       Icone::Question, QStringLiteral("Corvanel")};
    };
    QCOMPARE(
        s.seam.messages.mid(1),
        (QList<Message>{question("Msg06", "[file]", ".cache"), question("Msg06", "[file]", "readme.txt"),
                        question("Msg25", "[folder]", "vieux"), question("Msg25", "[folder]", "vieux2"), s.fin(2, 2)}));
}

// Links go as links, to a folder or a file, leading nowhere or outside, at
// the top or inside a sub-folder: what they point at is never touched.
void TstNettoyage::liensRetiresCommeLiens()
{
    Scene s;
    const QString dehors = s.bac.creerDossier(QStringLiteral("ailleurs/vehicules"));
    s.bac.ecrire(QStringLiteral("ailleurs/vehicules/loco.eng"), "SIMISA");
    const QString fichierDehors = s.bac.ecrire(QStringLiteral("ailleurs/note.txt"), "garde");
    QVERIFY(QFile::setPermissions(dehors, QFile::ReadOwner | QFile::ExeOwner));
    cacher(fichierDehors);
    QVERIFY(QFile::link(dehors, DossierConsists + QStringLiteral("vers-dossier")));
    QVERIFY(QFile::link(dehors, DossierConsists + QStringLiteral(".vers-dossier-cache")));
    QVERIFY(QFile::link(fichierDehors, DossierConsists + QStringLiteral("vers-fichier.txt")));
    QVERIFY(QFile::link(s.bac.chemin(QStringLiteral("rien")), DossierConsists + QStringLiteral("casse")));
    QVERIFY(QFile::link(fichierDehors, DossierConsists + QStringLiteral("lien.con")));
    QVERIFY(QFile::link(dehors, s.dossier(QStringLiteral("vieux/sous")) + QStringLiteral("/vers-dehors")));

    s.nettoyer({Reponse::Oui});

    QCOMPARE(s.restants(), QStringList{QStringLiteral("lien.con")});
    QCOMPARE(s.seam.messages.size(), 3);
    QCOMPARE(s.seam.messages[1].texte, remplacer(s.M("Msg25"), u"[folder]", QStringLiteral(".vers-dossier-cache")));
    QCOMPARE(s.seam.messages[2], s.fin(2, 3));
    QCOMPARE(QDir(dehors).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList{QStringLiteral("loco.eng")});
    QCOMPARE(QFile::permissions(dehors) & QFile::WriteOwner, QFile::Permissions{});
    QCOMPARE(sf::lireAttributs(fichierDehors), int(sf::Cache));
}

// An item that cannot go: its name and the system's words, then the walk
// goes on and the normal end runs. A folder with a read-only file inside
// is refused whole: nothing in it is removed.
void TstNettoyage::echecSignaleEtParcoursPoursuivi()
{
    Scene s;
    const QString b = s.fichier(QStringLiteral("b.txt"));
    s.fichier(QStringLiteral("c.txt"));
    const QString vieux = s.dossier(QStringLiteral("vieux"));
    const QString ro = s.bac.ecrire(QStringLiteral("MSTS/TRAINS/CONSISTS/vieux/sous/ro.txt"), "x");
    s.bac.ecrire(QStringLiteral("MSTS/TRAINS/CONSISTS/vieux/a.txt"), "x");
    QVERIFY(QFile::setPermissions(ro, QFile::ReadOwner));
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
    QCOMPARE(s.seam.messages.mid(1), (QList<Message>{{texteEchec(DossierConsists, ErreurExecution(76)), Boutons::OK,
                                                      Icone::Critique, QStringLiteral("Corvanel")},
                                                     s.fin(0, 0)}));
    verifierEtatFinal(*s.f);
}

QTEST_MAIN(TstNettoyage)
#include "tst_nettoyage.moc"
