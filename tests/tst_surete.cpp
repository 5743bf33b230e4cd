// Acting only on the folder that was scanned. Run as administrator, a game
// folder another account could change is refused by every command that
// changes files; a consist folder swapped for a link while a question is
// open, a consist linking out of its folder and a manifest naming a path are
// never written or deleted through.
#include "analysis/Remplacement.h"
#include "analysis/TextesReparation.h"
#include "app/LigneDeCommandeReparation.h"
#include "app/modSubMain.h"
#include "fileops/DossierOuvert.h"
#include "fileops/frmDeplacerVers.h"
#include "fileops/frmProprietesFichier.h"
#include "support/Essai.h"
#include "ui/ListeDossiers.h"

#include <sys/stat.h>
#include <unistd.h>

namespace {

// Names a vehicle no trainset holds: every scan lists it as invalid.
const QByteArray Invalide = "WagonData ( V1 Vieux )\r\n";
// An activity whose loose consist names it.
const QByteArray Libre = "Tr_Activity ( ActivityObjects ( ActivityObject ( Train_Config ( TrainCfg ( x\r\n"
                         "WagonData ( V1 Vieux )\r\nUiD ( 1 ) ) ) ) ) )\r\n";

QFileDevice::Permissions droits(const QString &chemin)
{
    return QFileInfo(chemin).permissions() & ~(QFileDevice::ReadUser | QFileDevice::WriteUser | QFileDevice::ExeUser);
}

constexpr QFileDevice::Permissions Prive = QFileDevice::ReadOwner | QFileDevice::WriteOwner;

struct Scene : SceneFenetre {
    Scene()
    {
        ecrireVehicule(u"Neuf/V2.wag"_s);
        ecrireConsist(u"a.con"_s, Invalide);
    }
    QString consists() const { return jeu + u"TRAINS/CONSISTS/"_s; }
    QString destination = bac.creerDossier(u"destination"_s);
    // Delete, clean-up, or move to `destination`; Yes to the first `oui`
    // questions (delete's or clean-up's own, then the one about a hidden item).
    void lancer(const QString &commande, int oui)
    {
        for (int i = 0; i < oui; ++i)
            seam.repondre(Reponse::Oui);
        if (commande == u"supprimer")
            return f->cmdSupprimer_Click();
        if (commande == u"nettoyer")
            return f->cmdNettoyer_Click();
        seam.quand<frmDeplacerVers>([this](frmDeplacerVers &dv) {
            dv.CheDossier->definirChemin(destination);
            QTest::mouseClick(dv.cmdOK, Qt::LeftButton);
        });
        f->cmdDeplacerVers_Click();
    }
    QString E(const char *cle) const { return L(u"Errors"_s, QString::fromLatin1(cle)); }
    // Error40 naming `dossier`, with Error42 (writable by others) or Error41
    // (owned by `compte`).
    QString refus(const QString &dossier, const QString &compte = {}) const
    {
        const QString raison = compte.isEmpty() ? E("Error42") : remplacer(E("Error41"), u"[owner]", compte);
        return avecSautsDeLigne(remplacer(remplacer(E("Error40"), u"[reason]", raison), u"[folder]", dossier));
    }
    // The command line's replace ("remplacer") or undo, in this process; what
    // it wrote to the error stream.
    int reparer(const QString &commande, QByteArray &erreurs)
    {
        using enum OptionsReparation::Mode;
        const OptionsReparation o{.mode = commande == u"remplacer" ? Remplacer : Annuler,
                                  .dossierJeu = DossierMSTS,
                                  .langue = u"crv-1.0.7-french.lng"_s,
                                  .ancien = u"Vieux/V1.wag"_s,
                                  .nouveau = u"Neuf/V2.wag"_s};
        std::FILE *sortie = std::tmpfile(), *err = std::tmpfile();
        const int code = executerReparation(o, sortie, err);
        std::fclose(sortie);
        std::rewind(err);
        QFile lu;
        lu.open(err, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle);
        erreurs = lu.readAll();
        return code;
    }
    // Vieux/V1.wag replaced by Neuf/V2.wag in the consist folder.
    Bilan remplacerV1(Autorisation autoriser = {}) const
    {
        DemandeRemplacement d;
        d.autoriser = std::move(autoriser);
        d.dossierJeu = jeu;
        d.dossierConsists = consists();
        d.ancien = *analyserCheminVehicule(u"Vieux/V1.wag"_s);
        d.nouveau = *vehiculeSurDisque(jeu + u"TRAINS/TRAINSET"_s, *analyserCheminVehicule(u"Neuf/V2.wag"_s));
        return remplacer(d);
    }
};

} // namespace

class TstSurete : public QObject {
    Q_OBJECT

private slots:
    void cleanup()
    {
        sf::simulerPrivilege(std::nullopt);
        sf::retirerPannes();
    }

    void administrateur_data()
    {
        // risque: "0777" the game folder writable by all; "lien" the game folder reached through a link another
        // account owns; "destination" the move's destination, "activites" a route's ACTIVITIES folder, writable by
        // all. privilegie: the layer's answer. refuse: the command must refuse (else it works).
        colonnes<QString, QString, bool, bool>("commande", "risque", "privilegie", "refuse");
        const auto ligne = [](const QString &commande, const char *risque, bool privilegie, bool refuse) {
            QTest::newRow(qPrintable(commande + u' ' + QLatin1String(risque) + (privilegie ? u" root"_s : u""_s)))
                << commande << QString::fromLatin1(risque) << privilegie << refuse;
        };
        for (const char *c : {"supprimer", "deplacer", "nettoyer", "proprietes", "remplacer", "annuler"})
            ligne(QLatin1String(c), "0777", true, true);
        ligne(u"rechercher"_s, "0777", true, false); // reading still works
        ligne(u"supprimer"_s, "0777", false, false); // not privileged: nobody's folder to fear
        ligne(u"remplacer"_s, "0777", false, false);
        ligne(u"supprimer"_s, "lien", true, true);
        ligne(u"remplacer"_s, "lien", true, true);
        ligne(u"remplacer"_s, "activites", true, false); // the consists changed, that activity left
        ligne(u"deplacer"_s, "destination", true, true);
    }

    void administrateur()
    {
        auto [commande, risque, privilegie, refuse] =
            donnees<QString, QString, bool, bool>("commande", "risque", "privilegie", "refuse");
        Scene s;
        const QString dehors = s.bac.ecrire(u"autre/x.txt"_s, "autre");
        const QString activite =
            risque == u"activites" ? s.bac.ecrire(u"MSTS/ROUTES/R/ACTIVITIES/x.act"_s, Libre) : QString();
        // The folder at risk, named in the refusal.
        QString nomme = risque == u"destination" ? s.destination
                        : activite.isEmpty()     ? QDir::cleanPath(s.jeu)
                                                 : QFileInfo(activite).path();
        QString compte;
        if (risque == u"lien") {
            nomme = s.bac.chemin(u"lien"_s);
            QVERIFY(QFile::link(QDir::cleanPath(s.jeu), nomme));
            QVERIFY(::lchown(QFile::encodeName(nomme).constData(), 4242, 4242) == 0);
            utiliserDossierJeu(nomme);
            compte = u"4242"_s;
        } else {
            QVERIFY(::chmod(QFile::encodeName(nomme).constData(), 0777) == 0);
        }
        s.ecrireConsist(u"x.txt"_s, "pas un consist");
        sf::simulerPrivilege(privilegie);

        s.f->cmdRechercher_Click();
        QCOMPARE(s.liste(), QStringList{u"a.con"_s});
        s.f->lstLFI->setCurrentRow(0); // selected as well
        s.seam.messages.clear();
        QByteArray erreurs;
        int code = 0;
        if (commande == u"proprietes") {
            s.seam.quand<frmProprietesFichier>([](frmProprietesFichier &p) {
                p.chkArchive->click();
                p.cmdAppliquer->click();
                p.close();
            });
            s.f->mnuProprietesFichier->setEnabled(true);
            s.f->mnuProprietesFichier_Click();
        } else if (commande == u"remplacer" || commande == u"annuler") {
            code = s.reparer(commande, erreurs);
        } else if (commande != u"rechercher") {
            s.lancer(commande, commande == u"deplacer" ? 0 : 1);
        }
        const QString attendu = s.refus(QDir::toNativeSeparators(nomme), compte);
        if (!refuse) {
            QVERIFY(s.seam.messages.isEmpty() || s.seam.messages[0].texte != attendu);
            QVERIFY(!QString::fromUtf8(erreurs).contains(s.E("Error42")));
            if (commande == u"supprimer")
                QVERIFY(!QFileInfo::exists(s.consists() + u"a.con"_s));
            if (commande == u"remplacer")
                QCOMPARE(code, activite.isEmpty() ? 0 : 1);
            if (!activite.isEmpty()) {
                QCOMPARE(Bac::lire(activite), Libre);
                const QString laisse = remplacer(s.M("Msg161"), u"[file]", u"ROUTES/R/ACTIVITIES/x.act"_s);
                QVERIFY(QString::fromUtf8(erreurs).contains(laisse));
            }
            return;
        }
        if (commande == u"remplacer" || commande == u"annuler") {
            QCOMPARE(code, 2);
            QCOMPARE(QString::fromUtf8(erreurs),
                     u"corvanel: "_s + QString(attendu).replace(u"\r\n"_s, u"\n"_s) + u'\n');
        } else {
            QCOMPARE(s.seam.messages, QList<Message>{SceneFenetre::critique(attendu)});
        }
        // Nothing changed anywhere.
        QCOMPARE(Bac::lire(s.consists() + u"a.con"_s), Invalide);
        QCOMPARE(Bac::lire(s.consists() + u"x.txt"_s), QByteArray("pas un consist"));
        QCOMPARE(sf::lireAttributs(s.consists() + u"a.con"_s) & sf::Archive, 0);
        QVERIFY(QDir(s.destination).isEmpty());
        QCOMPARE(Bac::lire(dehors), QByteArray("autre"));
        QVERIFY(!QFileInfo::exists(dossierSauvegardes()));
    }

    void echange_data()
    {
        // The item asked about (hidden), and whether it goes to the trash.
        colonnes<QString, QString, bool>("commande", "element", "corbeille");
        QTest::newRow("delete, trash") << u"supprimer"_s << u"a.con"_s << true;
        QTest::newRow("delete") << u"supprimer"_s << u"a.con"_s << false;
        QTest::newRow("clean-up file, trash") << u"nettoyer"_s << u"f.txt"_s << true;
        QTest::newRow("clean-up folder") << u"nettoyer"_s << u"vieux"_s << false;
        QTest::newRow("move") << u"deplacer"_s << u"a.con"_s << false;
        // The consist is written in the folder that was listed.
        QTest::newRow("replacement") << u"remplacer"_s << u"a.con"_s << false;
    }

    // While the question about a hidden item is open, the consist folder is
    // renamed and a link to another folder holding the same names put in its
    // place. After Yes nothing there is touched; the item is reported and stays.
    void echange()
    {
        auto [commande, element, corbeille] = donnees<QString, QString, bool>("commande", "element", "corbeille");
        Scene s;
        s.bac.reglages().ecrire(u"Options"_s, u"Corbeille"_s, corbeille ? u"True"_s : u"False"_s);
        const bool dossier = element == u"vieux";
        const QString interieur = dossier ? u"/y.txt"_s : QString();
        const QString ici = s.ecrireConsist(element + interieur, dossier ? QByteArray("y") : Invalide);
        sf::definirAttributs(dossier ? QFileInfo(ici).path() : ici, sf::Cache);
        const QString ailleurs = s.bac.creerDossier(u"ailleurs"_s);
        // What the replacement would write over, were it to follow the path.
        const QByteArray la = commande == u"remplacer" ? Invalide : QByteArray("ailleurs");
        s.bac.ecrire(u"ailleurs/"_s + element + interieur, la);
        sf::definirAttributs(s.bac.chemin(u"ailleurs/"_s + element), sf::Cache);
        s.f->cmdRechercher_Click();
        s.f->lstLFI->item(0)->setSelected(true);

        const QString consists = QDir::cleanPath(s.consists());
        bool echange = false;
        const auto echanger = [&] {
            echange = true;
            return QDir().rename(consists, consists + u".vu"_s) && QFile::link(ailleurs, consists);
        };
        s.seam.avantMessage = [&](const Message &m) {
            if (!echange && m.boutons == Boutons::OuiNon && m.texte.contains(element))
                QVERIFY(echanger());
        };
        if (commande == u"remplacer") // swapped at its question about a hidden consist
            QCOMPARE(s.remplacerV1([&](const QString &) { return echanger(); }).changes, QStringList{element});
        else
            s.lancer(commande, commande == u"deplacer" ? 1 : 2);
        QVERIFY(echange);
        if (commande != u"remplacer")
            QVERIFY(s.seam.messages.contains(SceneFenetre::critique(
                avecSautsDeLigne(remplacer(s.E("Error43"), u"[file]", consists + u'/' + element)))));
        QCOMPARE(Bac::lire(s.bac.chemin(u"ailleurs/"_s + element + interieur)), la);
        QCOMPARE(sf::lireAttributs(s.bac.chemin(u"ailleurs/"_s + element)) & sf::Cache, int(sf::Cache));
        const QByteArray reste = commande == u"remplacer" ? "WagonData ( V2 Neuf )\r\n" : Invalide;
        QCOMPARE(Bac::lire(consists + u".vu/"_s + element + interieur), dossier ? QByteArray("y") : reste);
        QVERIFY(QDir(s.destination).isEmpty());
    }

    void liensSortants_data()
    {
        // Where l.con's link leads; whether the replacement may write there.
        colonnes<QString, bool>("cible", "ecrit");
        QTest::newRow("file outside, full path") << u"{B}/dehors.con"_s << false;
        QTest::newRow("file outside, relative") << u"../../../dehors.con"_s << false;
        QTest::newRow("file of a sub-folder") << u"sous/c.con"_s << false;
        QTest::newRow("link to a link") << u"m.con"_s << false;
        QTest::newRow("consist of the folder") << u"c.con"_s << true;
        QTest::newRow("consist of the folder, full path") << u"{C}/c.con"_s << true;
    }

    // Replace and undo write a consist that links elsewhere only when its
    // target is a regular file of the consist folder, the link kept;
    // anything else is left byte for byte and reported.
    void liensSortants()
    {
        auto [cible, ecrit] = donnees<QString, bool>("cible", "ecrit");
        Scene s;
        const QString consists = s.consists(), dehors = s.bac.ecrire(u"dehors.con"_s, Invalide);
        s.ecrireConsist(u"c.con"_s, Invalide);
        s.ecrireConsist(u"sous/c.con"_s, Invalide);
        QVERIFY(QFile::link(dehors, consists + u"m.con"_s));
        QFile::remove(consists + u"a.con"_s);
        const QString lien = consists + u"l.con"_s;
        QVERIFY(QFile::link(
            QString(cible).replace(u"{B}"_s, s.bac.chemin()).replace(u"{C}"_s, QDir::cleanPath(consists)), lien));
        const QString vise = QFileInfo(lien).canonicalFilePath();
        // An activity linking out of its ACTIVITIES folder is left alike.
        const QString dehorsActivite = s.bac.ecrire(u"dehors.act"_s, Libre);
        s.bac.creerDossier(u"MSTS/ROUTES/R/ACTIVITIES"_s);
        QVERIFY(QFile::link(dehorsActivite, s.jeu + u"ROUTES/R/ACTIVITIES/l.act"_s));

        const Bilan b = s.remplacerV1();
        QCOMPARE(b.activitesLaissees, (QList<ConsistLaisse>{{u"ROUTES/R/ACTIVITIES/l.act"_s, Motif::LienSortant, {}}}));
        QCOMPARE(Bac::lire(dehorsActivite), Libre);
        const QByteArray nouveau = "WagonData ( V2 Neuf )\r\n";
        QVERIFY(QFileInfo(lien).isSymLink());
        QCOMPARE(Bac::lire(dehors), Invalide);
        QCOMPARE(Bac::lire(consists + u"sous/c.con"_s), Invalide);
        const ConsistLaisse laisse{u"l.con"_s, Motif::LienSortant, {}};
        QCOMPARE(b.laisses.contains(laisse), !ecrit);
        QCOMPARE(Bac::lire(vise), ecrit ? nouveau : Invalide);
        QCOMPARE(texteLaisse(laisse, {}), avecSautsDeLigne(remplacer(s.M("Msg120"), u"[file]", u"l.con"_s)));

        // The undo: c.con, now a link out of the folder to a file holding
        // exactly what the replacement wrote, is left as it is.
        QFile::remove(consists + u"c.con"_s);
        const QString piege = s.bac.ecrire(u"piege.con"_s, nouveau);
        QVERIFY(QFile::link(piege, consists + u"c.con"_s));
        const Bilan u = annulerDernier(s.jeu, consists);
        QVERIFY(u.laisses.contains(ConsistLaisse{u"c.con"_s, Motif::LienSortant, {}}));
        QCOMPARE(Bac::lire(piege), nouveau);
    }

    void manifeste_data()
    {
        // champ: what the manifest gives `nom` in place of: the consist ("a.con"), the activity's route ("R") or
        // file ("x.act"); "cle": a key more on the activity's line.
        colonnes<QString, QString>("champ", "nom");
        QTest::newRow("up and out") << u"a.con"_s << u"../../../dehors.con"_s;
        QTest::newRow("down then out") << u"a.con"_s << u"sous/../../../../dehors.con"_s;
        QTest::newRow("dot-dot") << u"a.con"_s << u".."_s;
        QTest::newRow("dot") << u"a.con"_s << u"."_s;
        QTest::newRow("activity: route up") << u"R"_s << u"../x"_s;
        QTest::newRow("activity: route, backslashes") << u"R"_s << u"..\\..\\R"_s;
        QTest::newRow("activity: file a path") << u"x.act"_s << u"../../../x/ACTIVITIES/x.act"_s;
        QTest::newRow("activity: a key more") << u"cle"_s << u"x.act"_s;
    }

    // The undo takes only bare names from its manifest: a path is refused,
    // nothing read or written through it; an activity only as a route's folder
    // and a file, each bare, nothing else on its line. Backups are the user's alone.
    void manifeste()
    {
        auto [champ, nom] = donnees<QString, QString>("champ", "nom");
        Scene s;
        const QString activite = s.bac.ecrire(u"MSTS/ROUTES/R/ACTIVITIES/x.act"_s, Libre);
        const Bilan b = s.remplacerV1();
        QCOMPARE(b.changes, QStringList{u"a.con"_s});
        QCOMPARE(b.activites, QStringList{u"ROUTES/R/ACTIVITIES/x.act"_s});
        QCOMPARE(droits(b.sauvegarde + u"/ROUTES/R/ACTIVITIES"_s), Prive | QFileDevice::ExeOwner);
        QCOMPARE(droits(s.bac.chemin(u"donnees/Corvanel/backups"_s)), Prive | QFileDevice::ExeOwner);
        QCOMPARE(droits(b.sauvegarde), Prive | QFileDevice::ExeOwner);
        QCOMPARE(droits(b.sauvegarde + u"/a.con"_s), Prive);
        QCOMPARE(droits(b.sauvegarde + u"/manifest.jsonl"_s), Prive);

        // A file of that name outside holding what the replacement wrote, and
        // an "original" for it beside the backup folder: all an undo that
        // followed the path would need to overwrite it.
        const bool consist = champ == u"a.con";
        const QByteArray ecrit = Bac::lire(consist ? s.consists() + u"a.con"_s : activite);
        const QString route = champ == u"R" ? nom : u"R"_s, fichier = champ == u"x.act" ? nom : u"x.act"_s;
        const QString relatif = consist ? u"TRAINS/CONSISTS/"_s + nom : cheminActivite(route, fichier);
        const QString dehors = QDir::cleanPath(s.jeu + relatif);
        const bool place = nom.endsWith(u".con") || !consist;
        if (place) {
            s.bac.ecrire(QDir(s.bac.chemin()).relativeFilePath(dehors), ecrit);
            const QString copie = b.sauvegarde + u'/' + (consist ? nom : relatif);
            s.bac.ecrire(QDir(s.bac.chemin()).relativeFilePath(QDir::cleanPath(copie)), "original");
        }
        QByteArray manifeste = Bac::lire(b.sauvegarde + u"/manifest.jsonl"_s);
        if (champ == u"cle")
            manifeste.replace("\"route\":", "\"consist\":\"a.con\",\"route\":");
        else
            manifeste.replace('"' + champ.toUtf8() + '"',
                              QJsonDocument(QJsonArray{nom}).toJson(QJsonDocument::Compact).mid(1).chopped(1));
        s.bac.ecrire(QDir(s.bac.chemin()).relativeFilePath(b.sauvegarde + u"/manifest.jsonl"_s), manifeste);

        const Bilan u = annulerDernier(s.jeu, s.consists());
        const QList<ConsistLaisse> refus{{consist ? nom : cheminActivite(route, fichier), Motif::NomRefuse, {}}};
        QCOMPARE(consist ? u.laisses : u.activitesLaissees, refus);
        QCOMPARE(consist ? u.changes : u.activites, QStringList());
        if (place)
            QCOMPARE(Bac::lire(dehors), ecrit);
        QCOMPARE(Bac::lire(consist ? s.consists() + u"a.con"_s : activite), ecrit);
        QCOMPARE(texteLaisse(refus[0], {}, !consist),
                 avecSautsDeLigne(remplacer(s.M(consist ? "Msg121" : "Msg159"), u"[file]", refus[0].nom)));
    }
};

QTEST_MAIN(TstSurete)
#include "tst_surete.moc"
