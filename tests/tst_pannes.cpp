// The file commands when the file system does not behave: whatever happens,
// the program reports and no consist is lost.
#include "analysis/Analyse.h"
#include "analysis/frmRapportDetaille.h"
#include "fileops/frmDeplacerVers.h"
#include "support/Essai.h"
#include "ui/ListeDossiers.h"
#include "ui/Pointeur.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QByteArray consist(const QByteArray &vehicule, qsizetype remplissage = 0)
{
    return "SIMISA@@@@@@@@@@JINX0D0t______\r\n\r\nTrain (\r\n\t" + vehicule + "\r\n" + QByteArray(remplissage, ';') +
           ")\r\n";
}
const QByteArray Invalide = consist("EngineData ( Absente Set )");
const QByteArray Valide = consist("EngineData ( Loco Set )");

QByteArray lire(const QByteArray &cheminBrut)
{
    QFile f;
    const int fd = ::open(cheminBrut.constData(), O_RDONLY);
    if (fd < 0 || !f.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle))
        return "<absent>";
    return f.readAll();
}

// Files of a name QString cannot hold are made and read by their bytes.
void ecrireBrut(const QByteArray &chemin, const QByteArray &octets)
{
    QFile f;
    QVERIFY(f.open(::open(chemin.constData(), O_WRONLY | O_CREAT, 0644), QIODevice::WriteOnly,
                   QFileDevice::AutoCloseHandle) &&
            f.write(octets) == octets.size());
}

QStringList colonne(const QAbstractItemModel *m)
{
    QStringList n;
    for (int i = 0; i < m->rowCount(); ++i)
        n << m->index(i, 0).data().toString();
    return n;
}

struct Scene : SceneFenetre {
    QString destination = bac.creerDossier(u"Destination"_s) + u'/';
    QMap<QString, QByteArray> consists; // every consist laid out, by name

    Scene() { ecrireVehicule(u"Set/Loco.eng"_s); }

    void con(const QString &nom, const QByteArray &octets)
    {
        ecrireConsist(nom, octets);
        consists.insert(nom, octets);
    }
    void rechercherEtToutChoisir() { f->cmdRechercher_Click(), f->cmdSelectionner_Click(0); }
    // Delete or clean-up answered Yes; or every entry moved to `destination`
    // (overwrite rule), `apres` run once it is chosen.
    void lancer(const QString &commande, const std::function<void()> &apres = {})
    {
        if (commande != u"déplacer") {
            seam.repondre(Reponse::Oui);
            return commande == u"supprimer" ? f->cmdSupprimer_Click() : f->cmdNettoyer_Click();
        }
        seam.quand<frmDeplacerVers>([this, apres](frmDeplacerVers &dv) {
            if (!dv.CheDossier->definirChemin(destination))
                qFatal("destination refused");
            QTest::mouseClick(dv.cmdOK, Qt::LeftButton);
            if (apres)
                apres();
        });
        f->cmdDeplacerVers_Click();
    }
    // One word per message: "?" a question, "fin" the end, "E<n>" a failure.
    QString messages() const
    {
        static const QRegularExpression numero(u"Erreur n° (\\d+)\\."_s);
        QStringList mots;
        for (const Message &m : seam.messages) {
            const auto n = numero.match(m.texte);
            mots << (m.boutons == Boutons::OuiNon    ? u"?"_s
                     : m.icone == Icone::Information ? u"fin"_s
                     : n.hasMatch()                  ? u'E' + n.captured(1)
                                                     : u"?!"_s);
        }
        return mots.join(u' ');
    }
    // Each consist exactly once, byte for byte; no temporary file anywhere.
    void rienPerdu() const
    {
        QMap<QString, QByteArray> vus;
        QDirIterator it(bac.chemin(), QDir::Files | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QFileInfo i = it.nextFileInfo();
            const bool consist = consists.contains(i.fileName());
            QVERIFY2(!i.fileName().startsWith(u'.') && !(consist && vus.contains(i.fileName())),
                     qPrintable(i.filePath()));
            if (consist)
                vus.insert(i.fileName(), lire(QFile::encodeName(i.filePath())));
        }
        QCOMPARE(vus, consists);
    }
    // D at the destination, L in the consist folder.
    QString etats() const
    {
        QString e;
        for (const QString &nom : consists.keys())
            e += QFile::exists(destination + nom) ? u'D' : QFile::exists(DossierConsists + nom) ? u'L' : u'?';
        return e;
    }
};

} // namespace

class TstPannes : public QObject {
    Q_OBJECT

private slots:
    void init() { Cadence::definirIntervalle(0); }
    void cleanup()
    {
        Cadence::definirIntervalle(-1);
        definirPointeur(Pointeur::ParDefaut);
    }

    void dossierPartiAvantLaCommande_data()
    {
        // parti: renamed once the list is made
        colonnes<QString, QString, QString>("commande", "parti", "messages");
        // Passed over as gone; the closing scan then finds no consist folder, which ends the program like any scan.
        QTest::newRow("supprimer, dossier des consists") << u"supprimer"_s << u"CONSISTS"_s << u"? fin E76"_s;
        QTest::newRow("déplacer, dossier des consists") << u"déplacer"_s << u"CONSISTS"_s << u"fin E76"_s;
        QTest::newRow("rapport, dossier des consists") << u"rapport"_s << u"CONSISTS"_s << u"E76"_s;
        // Told, and the end runs all the same.
        QTest::newRow("nettoyer, dossier des consists") << u"nettoyer"_s << u"CONSISTS"_s << u"? E76 fin"_s;
        // Chosen in the dialog, gone before the first copy: told, and the consist stays.
        QTest::newRow("déplacer, destination") << u"déplacer"_s << u"Destination"_s << u"E76 fin"_s;
        // Every vehicle is missing now: listed, not a failure.
        QTest::newRow("rechercher, dossier des véhicules") << u"rechercher"_s << u"TRAINSET"_s << u""_s;
    }

    void dossierPartiAvantLaCommande()
    {
        auto [commande, parti, messages] = donnees<QString, QString, QString>("commande", "parti", "messages");
        Scene s;
        s.con(u"a.con"_s, Invalide);
        s.con(u"b.con"_s, Valide);
        s.rechercherEtToutChoisir();
        QCOMPARE(s.liste(), QStringList{u"a.con"_s});
        const QString dossier = parti == u"Destination" ? s.destination : s.jeu + u"TRAINS/"_s + parti;
        const std::function<void()> renommer = [&] { QVERIFY(QDir().rename(dossier, s.bac.chemin(u"parti"_s))); };
        if (parti != u"Destination")
            renommer();

        frmRapportDetaille r;
        const int fin = codeDeFin([&] {
            commande == u"rapport"      ? r.cmdActualiser_Click()
            : commande == u"rechercher" ? s.f->cmdRechercher_Click()
                                        : s.lancer(commande, parti == u"Destination" ? renommer : nullptr);
        });
        if (commande == u"rechercher")
            QCOMPARE(s.liste(), (QStringList{u"a.con"_s, u"b.con"_s}));
        if (commande == u"nettoyer") { // the list stays off until the next scan
            QCOMPARE(s.commandes(), u"RDNmstxl FOA epg"_s);
            QCOMPARE(pointeurActuel(), Pointeur::ParDefaut);
        }

        QCOMPARE(fin, messages.section(u' ', -1).startsWith(u'E') ? 1 : -1);
        QCOMPARE(s.messages(), messages);
        s.rienPerdu();
        if (parti != u"CONSISTS")
            QCOMPARE(s.etats(), u"LL"_s);
        QVERIFY(!QFileInfo::exists(dossier)); // nothing made it again
    }

    void consistIllisible_data()
    {
        colonnes<QString, QString>("cas", "messages");
        // Opening a pipe would wait for a writer for ever: no consist.
        QTest::newRow("tube nommé en .con") << u"tube"_s << u""_s;
        // Every read fails at its start (EIO).
        QTest::newRow("lecture refusée par le système") << u"illisible"_s << u"E57"_s;
        // Removed between listing and reading: passed over. Small consists are read ahead, large ones where used.
        QTest::newRow("petit consist retiré pendant la recherche") << u"petit"_s << u""_s;
        QTest::newRow("gros consist retiré pendant la recherche") << u"gros"_s << u""_s;
        // Links that lead round in a circle, in both folders: the scan ends with the answers the file system gives.
        // b.con's vehicle folder is such a circle; detour.con's is reached through one.
        QTest::newRow("boucles de liens") << u"boucles"_s << u""_s;
    }

    // The scan and the report refresh meet the same consist.
    void consistIllisible()
    {
        auto [cas, messages] = donnees<QString, QString>("cas", "messages");
        Scene s;
        s.con(u"b.con"_s, cas == u"boucles" ? consist("EngineData ( Loco x )") : Invalide);
        const QString z = DossierConsists + u"z.con"_s;
        QByteArray octetsZ = Invalide;
        if (cas == u"tube") {
            QCOMPARE(::mkfifo(QFile::encodeName(z).constData(), 0644), 0);
        } else if (cas == u"illisible") {
            QVERIFY(QFile::link(u"/proc/self/mem"_s, z));
        } else if (cas == u"boucles") {
            QDir().mkpath(DossierConsists + u"vieux"_s);
            for (const char *l :
                 {"boucle>.", "a>b", "b>a", "x.con>y.con", "y.con>x.con", "vieux/haut>../..", "vieux/rond>.."}) {
                const QStringList lien = QString::fromLatin1(l).split(u'>');
                QVERIFY(QFile::link(lien[1], DossierConsists + lien[0]));
            }
            QVERIFY(QFile::link(u"x"_s, DossierTrainset + u"x"_s));
            QVERIFY(QFile::link(u".."_s, DossierTrainset + u"loop"_s));
            s.con(u"detour.con"_s, consist("EngineData ( Loco \"loop\\TRAINSET\\loop\\TRAINSET\\Set\" )"));
        } else if (cas == u"petit") {
            // The read-ahead holds at most 384 consists before the first is
            // taken: the 600th cannot have been read when the walk starts.
            for (int i = 0; i < 600; ++i)
                s.ecrireConsist(u"a%1.con"_s.arg(i, 3, 10, QChar(u'0')), Valide);
        } else if (cas == u"gros") {
            octetsZ = consist("EngineData ( Absente Set )", 2 * 1024 * 1024);
        }
        const bool retire = cas == u"petit" || cas == u"gros";
        QProgressBar *jauge = s.f->pbJauge;
        s.seam.pendantEvenements = [&] {
            if (retire && jauge->value() >= 1)
                QFile::remove(z);
        };
        const auto preparer = [&] { retire ? void(s.ecrireConsist(u"z.con"_s, octetsZ)) : void(); };
        preparer();
        const int fin = codeDeFin([&] { s.f->cmdRechercher_Click(); });
        QCOMPARE(s.messages(), messages);
        QCOMPARE(fin, messages.isEmpty() ? -1 : 1);
        if (fin < 0)
            QCOMPARE(s.liste(), QStringList{u"b.con"_s});

        s.seam.messages.clear();
        preparer();
        frmRapportDetaille r;
        jauge = r.pbJauge;
        QCOMPARE(codeDeFin([&] { r.cmdActualiser_Click(); }), fin);
        QCOMPARE(s.messages(), messages);
        if (fin < 0)
            QCOMPARE(colonne(r.MSHFlexGrid->model()), QStringList{u"b.con"_s});
        s.rienPerdu();
    }

    void ecritureImpossible_data()
    {
        // liste: the list saved, else the report exported; cible: in TRAINS; ending in "/": a folder stands there;
        // ancien: a file saved earlier stands there
        colonnes<bool, QString, bool>("liste", "cible", "ancien");
        // The save dialog opens in the consist folder, which went meanwhile.
        QTest::newRow("rapport, dossier des consists parti") << false << "CONSISTS/rapport.csv" << false;
        QTest::newRow("rapport, plein pendant l'écriture") << false << "rapport.txt" << true;
        // No temporary file fits beside so long a name: the write fails once the target was opened.
        QTest::newRow("liste, nom trop long") << true << QString(250, u'l') << true;
        QTest::newRow("liste, un dossier") << true << "liste.csv/" << false;
    }

    // The file named, then the system's reason; no temporary file left, what
    // stood there intact, no folder made again.
    void ecritureImpossible()
    {
        auto [liste, cible, ancien] = donnees<bool, QString, bool>("liste", "cible", "ancien");
        Scene s;
        for (int i = 0; i < 100; ++i)
            s.ecrireConsist(u"Train %1.con"_s.arg(i), Invalide);
        const bool dossier = cible.endsWith(u'/'), parti = cible.startsWith(u"CONSISTS");
        const QString chemin =
            dossier ? s.bac.creerDossier(u"MSTS/TRAINS/"_s + cible.chopped(1)) : s.jeu + u"TRAINS/"_s + cible;
        if (ancien)
            s.bac.ecrire(u"MSTS/TRAINS/"_s + cible, "ancien\r\n");
        frmRapportDetaille r;
        r.cmdActualiser_Click();
        s.lister({u"a.con"_s, u"b.con"_s});
        if (parti)
            QVERIFY(QDir(DossierConsists).removeRecursively());

        s.seam.choisirFichier(chemin);
        {
            std::optional<LimiteTaille> limite;
            if (cible == u"rapport.txt")
                limite.emplace(1000); // the report is about 3 kB
            liste ? s.f->mnuEnregistrerListe_Click() : r.cmdEnregistrer_Click();
        }

        QCOMPARE(s.seam.messages.size(), 1);
        const Message &m = s.seam.messages[0];
        const QString raison = m.texte.mid(chemin.size() + 4);
        QVERIFY2(m.icone == Icone::Critique && m.texte.startsWith(QDir::toNativeSeparators(chemin) + u"\r\n\r\n"_s) &&
                     !raison.isEmpty() && raison != u"Unknown error",
                 qPrintable(m.texte));
        QCOMPARE(Bac::lire(chemin), ancien ? QByteArray("ancien\r\n") : QByteArray("<absent>"));
        QCOMPARE(QDir(s.jeu + u"TRAINS"_s).entryList(QDir::Files | QDir::Hidden).size(), ancien ? 1 : 0);
        QCOMPARE(QFileInfo::exists(DossierConsists), !parti);
        QCOMPARE(QFileInfo(chemin).isDir(), dossier);
        QCOMPARE(pointeurActuel(), Pointeur::ParDefaut);
    }

    void nomHorsCodage_data()
    {
        QTest::addColumn<QString>("commande");
        for (const char *c : {"supprimer", "déplacer", "nettoyer"})
            QTest::newRow(c) << QString::fromUtf8(c);
    }

    // Bytes that are no UTF-8, in a consist's name and in a vehicle folder's:
    // listed and read; a command that cannot reach the file by its shown name
    // says so, and does the rest.
    void nomHorsCodage()
    {
        QFETCH(QString, commande);
        Scene s;
        const QByteArray consists = QFile::encodeName(DossierConsists);
        ecrireBrut(consists + "bad\xff\xfe.con", Invalide);
        const QString bad = QFile::decodeName("bad\xff\xfe.con");
        // A valid name that shows the same: reached by its path, and acted on.
        const QString vrai = s.ecrireConsist(bad, Invalide);
        s.con(u"casse.con"_s, Invalide);
        s.con(u"bon.con"_s, Valide);
        const QByteArray trainset = QFile::encodeName(DossierTrainset);
        QCOMPARE(::mkdir(trainset + "Set\xff", 0755), 0);
        ecrireBrut(trainset + "Set\xff/Loco.eng", "SIMISA");
        ecrireBrut(consists + "note\xff.txt", "x");
        s.bac.ecrire(u"MSTS/TRAINS/CONSISTS/vieux/x.txt"_s, "x");
        ecrireBrut(consists + "vieux/\xff", "x");
        // The sandbox's own removal goes by decoded names and would miss them.
        const auto sansNomsBruts = qScopeGuard([&] {
            for (const QByteArray &n : {consists + "bad\xff\xfe.con", consists + "note\xff.txt",
                                        consists + "vieux/\xff", trainset + "Set\xff/Loco.eng", trainset + "Set\xff"})
                ::remove(n.constData());
        });

        s.rechercherEtToutChoisir();
        const QStringList invalides{bad, bad, u"casse.con"_s};
        QCOMPARE(s.liste(), invalides);
        frmRapportDetaille r;
        r.cmdActualiser_Click();
        // One row for the same name missing the same vehicle.
        QCOMPARE(colonne(r.MSHFlexGrid->model()), invalides.mid(1));
        QVERIFY(s.seam.messages.isEmpty());

        s.lancer(commande);
        const QString inaccessible = commande == u"nettoyer" ? QFile::decodeName("note\xff.txt") : bad;

        const Message echec = s.critique(texteEchec(DossierConsists + inaccessible, sf::erreurSysteme(EILSEQ)));
        const qsizetype premier = commande == u"déplacer" ? 0 : 1;
        QCOMPARE(s.seam.messages.size(), premier + 2);
        QCOMPARE(s.seam.messages[premier], echec);
        QCOMPARE(s.messages().split(u' ').last(), u"fin"_s);
        // Untouched, and listed again by the closing scan.
        QCOMPARE(lire(consists + "bad\xff\xfe.con"), Invalide);
        QCOMPARE(lire(trainset + "Set\xff/Loco.eng"), QByteArray("SIMISA"));
        if (commande == u"nettoyer") {
            QCOMPARE(lire(consists + "note\xff.txt"), QByteArray("x"));
            QVERIFY(!QFileInfo::exists(DossierConsists + u"vieux"_s));
        } else {
            QCOMPARE(s.liste(), QStringList{bad});
            QCOMPARE(s.etats(), commande == u"supprimer" ? u"L?"_s : u"LD"_s);
            QVERIFY(!QFile::exists(vrai));
            QCOMPARE(Bac::lire(s.destination + bad), commande == u"supprimer" ? QByteArray("<absent>") : Invalide);
        }
    }
};

QTEST_MAIN(TstPannes)
#include "tst_pannes.moc"
