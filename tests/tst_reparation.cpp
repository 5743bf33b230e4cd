// Repairs: byte-exact replacement in every encoding, the backup and the undo
// that walks back, the missing-stock rows.
#include "analysis/Manquants.h"
#include "analysis/Remplacement.h"
#include "analysis/frmManquants.h"
#include "analysis/frmRoutes.h"
#include "support/Essai.h"

#include <sys/stat.h>

namespace {

CheminVehicule vehicule(const QString &texte)
{
    return *analyserCheminVehicule(texte);
}

// A game holding Neuf/V2.wag, and the request to put it in place of Vieux/V1.wag.
DemandeRemplacement demande(Bac &bac)
{
    DemandeRemplacement d;
    d.dossierJeu = bac.creerJeu();
    bac.ecrire(u"MSTS/TRAINS/TRAINSET/Neuf/V2.wag"_s);
    d.dossierConsists = d.dossierJeu + u"TRAINS/CONSISTS/"_s;
    d.ancien = vehicule(u"Vieux/V1.wag"_s);
    d.nouveau = vehicule(u"Neuf/V2.wag"_s);
    return d;
}

} // namespace

class TstReparation : public QObject {
    Q_OBJECT

private slots:

    void substitution_data()
    {
        // nouveau: folder with "\", as on disk; apres: empty: left unchanged
        colonnes<QString, QString, QString, QString, QString>("codage", "avant", "ancien", "nouveau", "apres");

        const QString tgv = QStringLiteral("Train (\r\n  WagonData ( TGV2NR1D226 \"RTGV2N 800 v2\" )\r\n"
                                           "  WagonData ( Autre X )\n  EngineData ( tgv2nr1d226 rtgv2n 800 v2 )\r)");
        const QString fait = QStringLiteral("Train (\r\n  WagonData ( TGV2NR1D226 \"RTGV2N Inoui\" )\r\n"
                                            "  WagonData ( Autre X )\n  EngineData ( tgv2nr1d226 rtgv2n 800 v2 )\r)");
        const auto ligne = [](const QString &tag, const char *codage, const QString &avant, const QString &ancien,
                              const QString &nouveau, const QString &apres) {
            QTest::newRow(qPrintable(tag)) << QString::fromLatin1(codage) << avant << ancien << nouveau << apres;
        };
        for (const char *c : {"ansi", "utf8", "utf16le", "utf16be"}) {
            // Quoted folder stays quoted; an engine line of the same name is not OLD.
            ligne(c + u" quoted, CR LF, LF, CR, no last end"_s, c, tgv, "RTGV2N 800 v2/TGV2NR1D226",
                  "RTGV2N Inoui\\TGV2NR1D226", fait);
            // Unquoted tokens: quotes only where the new text holds a blank.
            ligne(c + u" unquoted gets quotes"_s, c, "WagonData ( tgv2nr1d226 RTGV2N\\Sub )\n",
                  "RTGV2N/Sub/TGV2NR1D226", "Nouveau Dossier\\Voiture 1",
                  "WagonData ( \"Voiture 1\" \"Nouveau Dossier\" )\n");
        }
        const QString sub = u"WagonData ( TGV2NR1D226 RTGV2N\\Sub )"_s;
        ligne("slashes and case alike, name quoted", "ansi", "WagonData ( \"Tgv2nr1d226\" rtgv2n/sub )",
              "RTGV2N\\Sub\\TGV2NR1D226", "A\\B", "WagonData ( \"B\" A )");
        ligne("accent in Windows-1252", "ansi", sub, "RTGV2N/Sub/TGV2NR1D226", "Côte\\Été", "WagonData ( Été Côte )");
        // A byte that is no UTF-8 before the folder: only OLD's bytes move.
        ligne("accent before OLD in Windows-1252", "ansi", "WagonData ( Été Vieux )", "Vieux/Été", "A\\B",
              "WagonData ( B A )");
        ligne("lone CR line ends", "ansi", "WagonData ( V1 Vieux )\rWagonData ( v1 vieux )\r", "Vieux/V1", "A\\B",
              "WagonData ( B A )\rWagonData ( B A )\r");
        ligne("every ASCII letter in either case", "ansi",
              "WagonData ( abcdefghijklmnopqrstuvwxyz ABCDEFGHIJKLMNOPQRSTUVWXYZ )",
              "abcdefghijklmnopqrstuvwxyz/ABCDEFGHIJKLMNOPQRSTUVWXYZ", "A\\B", "WagonData ( B A )");
        ligne("Windows-1252 cannot hold it", "ansi", sub, "RTGV2N/Sub/TGV2NR1D226", "Ж\\X", QString());
        ligne("UTF-16 holds it", "utf16le", sub, "RTGV2N/Sub/TGV2NR1D226", "Ж\\X", "WagonData ( X Ж )");
        ligne("unsound line untouched", "ansi", "WagonData ( TGV2NR1D226 )\r\nWagonData ( \"TGV2NR1D226 RTGV2N\\Sub )",
              "RTGV2N/Sub/TGV2NR1D226", "A\\B", QString());
    }

    void substitution()
    {
        auto [codage, avant, ancien, nouveau, apres] =
            donnees<QString, QString, QString, QString, QString>("codage", "avant", "ancien", "nouveau", "apres");
        const Substitution s =
            substituer(encoder(avant, codage), vehicule(ancien + u".wag"_s), vehicule(nouveau + u".wag"_s));
        QCOMPARE(s.octets, apres.isEmpty() ? QByteArray() : encoder(apres, codage));
        QCOMPARE(s.intraduisible, nouveau.contains(QChar(0x416)) && codage == u"ansi");
    }

    // The consists first, then the loose consists of the routes' activities,
    // by route then file in any letter case, byte for byte in UTF-16 and
    // Windows-1252, each UiD and the vehicle line outside them kept. A file
    // whose backup cannot be written stays as it was and out of the
    // manifest; a protected one is left, or asked about (an activity by its
    // path). The undo gives every byte back, and leaves a file changed since.
    void remplacerPuisAnnuler()
    {
        Bac bac;
        InteractionScriptee seam;
        DemandeRemplacement d = demande(bac);
        const QString jeu = d.dossierJeu, consists = d.dossierConsists;
        const QByteArray a = utf16(u"WagonData ( V1 Vieux )\r\nWagonData ( V1 Vieux )"_s);
        const QByteArray b = "WagonData ( v1 vieux )\n";
        bac.ecrire(u"MSTS/TRAINS/CONSISTS/a.con"_s, a);
        bac.ecrire(u"MSTS/TRAINS/CONSISTS/b.con"_s, b);
        bac.ecrire(u"MSTS/TRAINS/CONSISTS/c.con"_s, "WagonData ( Autre Vieux )");
        const QString ro = bac.ecrire(u"MSTS/TRAINS/CONSISTS/ro.con"_s, b);
        sf::definirAttributs(ro, sf::LectureSeule);
        const QString echoue = bac.ecrire(u"MSTS/TRAINS/CONSISTS/x.con"_s, b);
        sf::injecterPanne(sf::Operation::Ecriture, u"CONSISTS/x.con"_s, ENOSPC, 5);
        ::chmod(QFile::encodeName(consists + u"b.con"_s).constData(), 0640);
        const auto texte = [](const char *vehicule) {
            return u"SIMISA@@@@@@@@@@JINX0a0t______\r\n\r\nTr_Activity (\r\n\tTr_Activity_Header (\r\n"
                   "\t\tName ( \"Côte\" )\r\n\t\tWagonData ( V1 Vieux )\r\n\t)\r\n\tTr_Activity_File (\r\n"
                   "\t\tActivityObjects (\r\n\t\t\tActivityObject (\r\n\t\t\t\tTrain_Config (\r\n"
                   "\t\t\t\t\tTrainCfg ( libre\r\n\t\t\t\t\t\tWagon (\r\n\t\t\t\t\t\t\t%1\r\n"
                   "\t\t\t\t\t\t\tUiD ( 7 )\r\n\t\t\t\t\t\t)\r\n\t\t\t\t\t)\r\n\t\t\t\t)\r\n\t\t\t)\r\n\t\t)\r\n\t)\r\n)"_s
                       .arg(QLatin1String(vehicule));
        };
        const QString avant = texte("WagonData ( v1 VIEUX )"), apres = texte("WagonData ( V2 Neuf )");
        const QString actA = bac.ecrire(u"MSTS/Routes/a/Activities/A.act"_s, encoder(avant, u"utf16le"_s));
        bac.ecrire(u"MSTS/Routes/a/Activities/sans.act"_s, encoder(texte("WagonData ( V1 Autre )"), u"ansi"_s));
        const QString actB = bac.ecrire(u"MSTS/Routes/R/Activities/b.act"_s, encoder(avant, u"utf16le"_s));
        const QString actW = bac.ecrire(u"MSTS/Routes/R/Activities/W.act"_s, encoder(avant, u"ansi"_s));
        sf::definirAttributs(actW, sf::LectureSeule);
        // Their originals cannot be kept: only their backups' writes fail (the backup folder's name ends in a digit,
        // the consist folder's in "S"; "Routes" and "Activities" on disk, "ROUTES/a/ACTIVITIES" in the backups).
        const QString sansSauvegarde = bac.ecrire(u"MSTS/TRAINS/CONSISTS/y.con"_s, b);
        for (char chiffre = '0'; chiffre <= '9'; ++chiffre)
            sf::injecterPanne(sf::Operation::Ecriture, QLatin1Char(chiffre) + u"/y.con"_s, ENOSPC, 3);
        sf::injecterPanne(sf::Operation::Ecriture, u"ROUTES/a/ACTIVITIES/A.act"_s, ENOSPC, 3);
        const QStringList noms{"ROUTES/a/ACTIVITIES/A.act", "ROUTES/R/ACTIVITIES/b.act", "ROUTES/R/ACTIVITIES/W.act"};

        d.nouveau = *vehiculeSurDisque(jeu + u"TRAINS/TRAINSET"_s, vehicule(u"neuf/v2.WAG"_s));
        QCOMPARE(d.nouveau.texte(), u"Neuf/V2.wag"_s);
        d.simulation = true;
        // No one to ask: the protected files are left.
        const Bilan simule = remplacer(d);
        QCOMPARE(simule.changes, QStringList({"a.con", "b.con", "x.con", "y.con"}));
        QCOMPARE(simule.laisses, (QList<ConsistLaisse>{{"ro.con", Motif::LectureSeule, {}}}));
        QCOMPARE(simule.activites, noms.first(2));
        QVERIFY(!QFileInfo::exists(dossierSauvegardes()));

        d.simulation = false;
        // The backup must never land where the clean-up deletes and the game reads.
        qputenv("XDG_DATA_HOME", QFile::encodeName(consists));
        QVERIFY_THROWS_EXCEPTION(SauvegardeImpossible, remplacer(d));
        qputenv("XDG_DATA_HOME", QFile::encodeName(bac.chemin(u"donnees"_s)));
        QCOMPARE(Bac::lire(consists + u"a.con"_s), a);
        QStringList demandes;
        d.autoriser = [&](const QString &nom) {
            demandes << nom;
            return nom != u"ro.con";
        };
        Bilan bilan = remplacer(d);
        QCOMPARE(bilan.changes, QStringList({"a.con", "b.con"}));
        QCOMPARE(bilan.laisses.size(), 3);
        QCOMPARE(bilan.laisses[0], (ConsistLaisse{"ro.con", Motif::Refuse, {}}));
        QCOMPARE(bilan.laisses[1].motif, Motif::Echec);
        QCOMPARE(bilan.laisses[2].nom, u"y.con"_s);
        QCOMPARE(bilan.activites, noms.mid(1));
        QCOMPARE(bilan.activitesLaissees.size(), 1);
        QCOMPARE(bilan.activitesLaissees[0].nom, noms[0]);
        QCOMPARE(demandes, (QStringList{"ro.con", noms[2]}));
        // Nothing half-written, no temporary file left beside them; no backup
        // of a file left as it was.
        QCOMPARE(Bac::lire(echoue), b);
        QCOMPARE(Bac::lire(sansSauvegarde), b);
        QCOMPARE(Bac::lire(actA), encoder(avant, u"utf16le"_s));
        QVERIFY(!QFileInfo::exists(bilan.sauvegarde + u"/y.con"_s));
        const QByteArray manifeste = Bac::lire(bilan.sauvegarde + u"/manifest.jsonl"_s);
        QVERIFY(!manifeste.contains("y.con") && !manifeste.contains("A.act"));
        QCOMPARE(QDir(consists).entryList(QDir::Files | QDir::Hidden).size(), 6);
        QCOMPARE(Bac::lire(consists + u"b.con"_s), QByteArray("WagonData ( V2 Neuf )\n"));
        QCOMPARE(QFileInfo(consists + u"b.con"_s).permissions() & 0x7777,
                 QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup | QFileDevice::ReadUser |
                     QFileDevice::WriteUser);
        QVERIFY(bilan.sauvegarde.startsWith(bac.chemin(u"donnees/Corvanel/backups/"_s)));
        QCOMPARE(Bac::lire(bilan.sauvegarde + u"/a.con"_s), a);
        QCOMPARE(Bac::lire(actB), encoder(apres, u"utf16le"_s));
        QCOMPARE(Bac::lire(actW), encoder(apres, u"ansi"_s));
        QVERIFY(sf::lireAttributs(actW) & sf::LectureSeule);

        // A second replacement, then one consist changed by hand.
        d.ancien = vehicule(u"Neuf/V2.wag"_s);
        d.nouveau = vehicule(u"Neuf\\Sous Dossier\\V2.wag"_s);
        QCOMPARE(remplacer(d).changes, QStringList({"a.con", "b.con"}));
        const QByteArray aDeuxFois = Bac::lire(consists + u"a.con"_s);
        bac.ecrire(u"MSTS/TRAINS/CONSISTS/b.con"_s, "edited by hand");
        QVERIFY(QFile::remove(consists + u"c.con"_s)); // not in this replacement: no word of it

        Bilan annule = annulerDernier(jeu, consists, d.autoriser);
        QCOMPARE(annule.changes, QStringList({"a.con"}));
        QCOMPARE(annule.laisses, (QList<ConsistLaisse>{{"b.con", Motif::ModifieDepuis, {}}}));
        QVERIFY(Bac::lire(consists + u"a.con"_s) != aDeuxFois);
        // Walks back to the first replacement: b.con is not what it wrote
        // either, y.con, never written, is not undone, and x.con, whose write
        // failed, is not named: the command line's undo can say all was restored.
        annule = annulerDernier(jeu, consists, d.autoriser);
        QCOMPARE(annule.changes, QStringList({"a.con"}));
        QCOMPARE(annule.laisses, (QList<ConsistLaisse>{{"b.con", Motif::ModifieDepuis, {}}}));
        QCOMPARE(annule.activites, noms.mid(1));
        QCOMPARE(Bac::lire(consists + u"a.con"_s), a);
        QCOMPARE(Bac::lire(consists + u"b.con"_s), QByteArray("edited by hand"));
        QCOMPARE(Bac::lire(actB), encoder(avant, u"utf16le"_s));
        QCOMPARE(Bac::lire(actW), encoder(avant, u"ansi"_s));
        QVERIFY(annulerDernier(jeu, consists).sauvegarde.isEmpty());

        // A consist gone since is said to be gone, not changed; an activity
        // changed since is left, and the next is undone all the same.
        d.ancien = vehicule(u"Vieux/V1.wag"_s);
        d.nouveau = vehicule(u"Neuf/V2.wag"_s);
        QCOMPARE(remplacer(d).changes, QStringList({"a.con"}));
        QVERIFY(QFile::remove(consists + u"a.con"_s));
        bac.ecrire(u"MSTS/Routes/R/Activities/b.act"_s, "edited by hand");
        annule = annulerDernier(jeu, consists, d.autoriser);
        QCOMPARE(annule.laisses, (QList<ConsistLaisse>{{"a.con", Motif::Disparu, {}}}));
        QCOMPARE(annule.activitesLaissees, (QList<ConsistLaisse>{{noms[1], Motif::ModifieDepuis, {}}}));
        QCOMPARE(Bac::lire(actW), encoder(avant, u"ansi"_s));
    }

    // A consist removed once the folder is listed, before it is read (the
    // engine reads a few hundred ahead, in the game's order): passed over as
    // gone, not a failure, which would change the exit code, nor written back.
    void consistPartiApresLaListe()
    {
        Bac bac;
        DemandeRemplacement d = demande(bac);
        for (int i = 0; i < 500; ++i)
            bac.ecrire(u"MSTS/TRAINS/CONSISTS/a%1.con"_s.arg(i), "WagonData ( Autre Vieux )");
        const QString parti = bac.ecrire(u"MSTS/TRAINS/CONSISTS/zz.con"_s, "WagonData ( V1 Vieux )");
        d.avancement = [&](qsizetype, qsizetype) { QFile::remove(parti); };
        const Bilan b = remplacer(d);
        QCOMPARE(b.changes, QStringList());
        QCOMPARE(b.laisses, QList<ConsistLaisse>());
        QVERIFY(!QFileInfo::exists(parti));
    }

    // A backups folder that ignores letter case holds one backup for "a.con"
    // and "A.con": the second consist is left as it was rather than rewritten
    // with no way back, and the undo restores the first byte for byte.
    void sauvegardesSansCasse()
    {
        Bac bac;
        InteractionScriptee seam;
        QString raison;
        const QString donnees = bac.monterSansCasse(u"Cle USB"_s, &raison);
        if (donnees.isEmpty())
            QSKIP(qPrintable(u"no case-insensitive FUSE folder: "_s + raison));
        qputenv("XDG_DATA_HOME", QFile::encodeName(donnees));
        const DemandeRemplacement d = demande(bac);
        const QString jeu = d.dossierJeu, consists = d.dossierConsists;
        const QByteArray petit = "WagonData ( V1 Vieux )\n", grand = "\tWagonData ( V1 Vieux )\r\n";
        bac.ecrire(u"MSTS/TRAINS/CONSISTS/a.con"_s, petit);
        bac.ecrire(u"MSTS/TRAINS/CONSISTS/A.con"_s, grand);
        const Bilan bilan = remplacer(d);
        QCOMPARE(bilan.changes.size(), 1);
        QCOMPARE(bilan.laisses.size(), 1);
        const QString change = bilan.changes[0], laisse = bilan.laisses[0].nom;
        QCOMPARE(QSet<QString>({change, laisse}), QSet<QString>({u"a.con"_s, u"A.con"_s}));
        const QByteArray avantLaisse = laisse == u"a.con" ? petit : grand;
        QCOMPARE(Bac::lire(consists + laisse), avantLaisse);
        QCOMPARE(Bac::lire(bilan.sauvegarde + u'/' + change), change == u"a.con" ? petit : grand);

        const Bilan annule = annulerDernier(jeu, consists);
        QCOMPARE(annule.changes, QStringList{change});
        QVERIFY(annule.laisses.isEmpty());
        QCOMPARE(Bac::lire(consists + u"a.con"_s), petit);
        QCOMPARE(Bac::lire(consists + u"A.con"_s), grand);
    }

    void manquants()
    {
        Bac bac;
        InteractionScriptee seam;
        const QString jeu = bac.creerJeu();
        bac.ecrire(u"MSTS/TRAINS/TRAINSET/Inoui/tgv.WAG"_s);
        bac.ecrire(u"MSTS/TRAINS/TRAINSET/b/TGV.wag"_s);
        bac.ecrire(u"MSTS/TRAINS/TRAINSET/S/E.eng"_s);
        QVERIFY(QFile::link(jeu + u"TRAINS/TRAINSET/b"_s, jeu + u"TRAINS/TRAINSET/lien"_s));
        bac.ecrire(u"MSTS/TRAINS/CONSISTS/1.con"_s,
                   "EngineData ( Z Y )\nWagonData ( TGV \"Vieux, 1\\Sub\" )\nWagonData ( TGV \"Vieux, 1\\Sub\" )\n"
                   "EngineData ( E S )");
        bac.ecrire(u"MSTS/TRAINS/CONSISTS/2.con"_s, "WagonData ( tgv \"vieux, 1/sub\" )\nEngineData ( X )");
        // Tied on the count: by folder, then file (the file alone would put X last).
        bac.ecrire(u"MSTS/TRAINS/CONSISTS/3.con"_s, "EngineData ( A Y )\nWagonData ( z X )");
        const QList<VehiculeManquant> lignes =
            chercherManquants(jeu + u"TRAINS/CONSISTS/"_s, jeu + u"TRAINS/TRAINSET/"_s);
        QCOMPARE(csvManquants(lignes), QByteArray("\"Vieux, 1\\Sub\",TGV.wag,2,b/TGV.wag;Inoui/tgv.WAG\n"
                                                  "X,z.wag,1,\nY,A.eng,1,\nY,Z.eng,1,\n"));
        QCOMPARE(lignes[0].consists, QStringList({"1.con", "2.con"}));
    }

    void fenetre()
    {
        // From the Tools menu: the row, its consists, the chooser with the same file found elsewhere first, the count
        // confirmed, a read-only consist asked about, then the undo.
        SceneFenetre s;
        s.ecrireVehicule(u"Autre/A.wag"_s);
        s.ecrireVehicule(u"Inoui/TGV.wag"_s);
        s.ecrireConsist(u"1.con"_s, "WagonData ( TGV \"800 v2\" )");
        const QString ro = s.ecrireConsist(u"2.con"_s, "WagonData ( TGV \"800 v2\" )");
        sf::definirAttributs(ro, sf::Cache);
        QStringList choix;
        QList<int> etats; // rows, buttons enabled, consists listed, as the steps go
        s.seam.quandDialogue([&](QDialog &d) {
            auto &m = dynamic_cast<frmManquants &>(d);
            m.cmdActualiser_Click();
            etats << m.modele().rowCount() << m.cmdRemplacer->isEnabled() << m.cmdAnnuler->isEnabled();
            m.MSHFlexGrid->selectRow(0);
            etats << m.lstConsists->count();
            m.cmdRemplacer->click();
            etats << m.cmdAnnuler->isEnabled() << m.modele().rowCount();
            m.cmdAnnuler->click();
            etats << m.cmdAnnuler->isEnabled() << m.modele().rowCount();
            return 0;
        });
        s.seam.quandDialogue([&](QDialog &d) {
            auto &c = dynamic_cast<frmChoixVehicule &>(d);
            for (int i = 0; i < c.lstVehicules->count(); ++i)
                choix << c.lstVehicules->item(i)->text();
            return c.choix() == u"Inoui/TGV.wag" ? QDialog::Accepted : QDialog::Rejected;
        });
        // The count, Msg06, the summary; the undo, its Msg06, its summary.
        for (Reponse r : {Reponse::Oui, Reponse::Oui, Reponse::OK, Reponse::Oui, Reponse::Oui})
            s.seam.repondre(r);
        s.f->mnuManquants->trigger();
        QCOMPARE(etats, (QList<int>{1, 0, 0, 2, 1, 0, 0, 1}));
        QCOMPARE(choix, QStringList({"Inoui/TGV.wag", "Autre/A.wag"}));
        const QList<Message> &m = s.seam.messages;
        QCOMPARE(m.size(), 6);
        // The replace's own question about a protected consist, and the
        // plural of the count.
        const auto cle = [&](const char *k) {
            return s.M(k).replace(u"%n"_s, u"\r\n"_s).replace(u"[old]"_s, u"800 v2/TGV.wag"_s);
        };
        QCOMPARE(m[0].texte, cle("Msg62").replace(u"[num]"_s, u"2"_s).replace(u"[new]"_s, u"Inoui/TGV.wag"_s));
        QCOMPARE(m[1].texte, cle("Msg78").replace(u"[file]"_s, u"2.con"_s));
        QVERIFY(m[3].texte.contains(u"800 v2") && m[4].texte == m[1].texte);
        QCOMPARE(m[5].texte, u"Consists restaurés : 2"_s);
        QCOMPARE(Bac::lire(ro), QByteArray("WagonData ( TGV \"800 v2\" )"));
        QCOMPARE(sf::lireAttributs(ro) & sf::Cache, int(sf::Cache));
    }

    void fenetreRoutes_data()
    {
        colonnes<QString>("langue");
        QTest::newRow("français") << u"crv-1.0.7-french.lng"_s;
        QTest::newRow("anglais") << u"crv-1.0.7-english.lng"_s;
    }

    // From the Tools menu: the files that cannot start first, then those with
    // gaps, then the sound ones; a missing consist opens the service naming it;
    // a missing vehicle is replaced with the chooser, its activity then sound.
    void fenetreRoutes()
    {
        const auto [langue] = donnees<QString>("langue");
        SceneFenetre s(langue);
        s.bac.reglages().ecrire(u"Options"_s, u"Editeur"_s, s.bac.ecrire(u"bin/editeur"_s, "#!/bin/sh\n"));
        s.ecrireVehicule(u"Set/Loco.eng"_s);
        s.ecrireVehicule(u"Neuf/W.wag"_s);
        const QString c2 = s.ecrireConsist(u"C2.con"_s, "EngineData ( Loco Set )\r\nWagonData ( W Set )\r\n");
        s.ecrireConsist(u"Sain.con"_s, "EngineData ( Loco Set )");
        const QString R = u"MSTS/ROUTES/R/"_s;
        s.bac.ecrire(R + u"PATHS/P.pat"_s, "x");
        const auto service = [&](const char *nom, const QByteArray &consist) {
            return s.bac.ecrire(R + u"SERVICES/"_s + QLatin1String(nom) + u".srv"_s,
                                "SIMISA@@@@@@@@@@JINX0v0t______\r\n\r\nService_Definition (\r\n\tServiceName ( x )\r\n"
                                "\tTrain_Config ( " +
                                    consist + " )\r\n\tPathID ( P )\r\n)\r\n");
        };
        const QString s1 = service("S1", "C1");
        service("S2", "C2");
        service("S3", "Sain");
        const auto activite = [&](const char *nom, const QByteArray &service, const QByteArray &libre = {}) {
            return s.bac.ecrire(R + u"ACTIVITIES/"_s + QLatin1String(nom),
                                "SIMISA@@@@@@@@@@JINX0a0t______\r\n\r\nTr_Activity (\r\n\tTr_Activity_Header (\r\n"
                                "\t\tPathID ( P )\r\n\t)\r\n\tTr_Activity_File (\r\n\t\tPlayer_Service_Definition ( " +
                                    service + "\r\n\t\t\tUiD ( 0 )\r\n\t\t)\r\n" + libre + "\t)\r\n)\r\n");
        };
        // C.act, sound, is first on disk: the grid puts it last. B.act's loose consist names the wagon C2 misses too.
        activite("C.act", "S3");
        const QString b = activite("B.act", "S2",
                                   "\t\tActivityObjects (\r\n\t\t\tActivityObject (\r\n"
                                   "\t\t\t\tTrain_Config ( TrainCfg ( libre\r\n\t\t\t\t\tWagon (\r\n"
                                   "\t\t\t\t\t\tWagonData ( w set )\r\n\t\t\t\t\t\tUiD ( 3 ) ) ) ) ) )\r\n");
        QByteArray bAvant = Bac::lire(b);
        activite("A.act", "S1");
        QStringList grille, detail, choix;
        QList<int> etats; // Replace with... and Open enabled, as the steps go
        const auto lireGrille = [&](frmRoutes &r) {
            const QAbstractItemModel *g = r.MSHFlexGrid->model();
            for (int l = 0; l < g->rowCount(); ++l) {
                QStringList cellules;
                for (int c = 0; c < g->columnCount(); ++c)
                    cellules << g->index(l, c).data().toString();
                grille << cellules.join(u'|');
            }
        };
        s.seam.quandDialogue([&](QDialog &d) {
            auto &r = dynamic_cast<frmRoutes &>(d);
            r.cmdActualiser_Click();
            lireGrille(r);
            // A.act's missing consist is opened, B.act's missing wagon replaced.
            for (QPushButton *commande : {r.cmdOuvrir, r.cmdRemplacer}) {
                r.MSHFlexGrid->selectRow(commande == r.cmdOuvrir ? 0 : 1);
                r.lstManques->setCurrentItem(r.lstManques->topLevelItem(0));
                etats << r.cmdRemplacer->isEnabled() << r.cmdOuvrir->isEnabled();
                for (int c = 0; c < 3; ++c)
                    detail << r.lstManques->topLevelItem(0)->text(c);
                commande->click();
            }
            lireGrille(r);
            return 0;
        });
        s.seam.quandDialogue([&](QDialog &d) {
            auto &c = dynamic_cast<frmChoixVehicule &>(d);
            choix << c.choix();
            return QDialog::Accepted;
        });
        // The count, the summary.
        for (Reponse r : {Reponse::Oui, Reponse::OK})
            s.seam.repondre(r);
        s.f->mnuRoutes->trigger();

        const QString bloque = s.L("Label", "Label33"), lacunes = s.L("Label", "Label34"),
                      sain = s.L("Label", "Label35");
        QCOMPARE(grille, (QStringList{"R|A.act|" + bloque + "|1", "R|B.act|" + lacunes + "|1", "R|C.act|" + sain + "|0",
                                      "R|A.act|" + bloque + "|1", "R|B.act|" + sain + "|0", "R|C.act|" + sain + "|0"}));
        QCOMPARE(etats, (QList<int>{0, 1, 1, 0}));
        QCOMPARE(detail, (QStringList{"CONSISTS/C1.con", s.M("Msg130"), s.M("Msg134").replace(u"[name]"_s, u"S1"_s),
                                      "Set/W.wag", s.M("Msg131"),
                                      s.M("Msg135").replace(u"[name]"_s, u"C2.con"_s) + u"; "_s + s.M("Msg136")}));
        QCOMPARE(s.seam.demarrages.size(), 1);
        QCOMPARE(s.seam.demarrages[0].arguments, QStringList{s1});
        QCOMPARE(s.seam.messages.size(), 2);
        QString compte = s.M("Msg162").replace(u"%n"_s, u"\r\n"_s).replace(u"[num]"_s, u"1"_s);
        compte.replace(u"[act]"_s, u"1"_s).replace(u"[old]"_s, u"Set/W.wag"_s).replace(u"[new]"_s, u"Neuf/W.wag"_s);
        QCOMPARE(s.seam.messages[0].texte, compte);
        QVERIFY(s.seam.messages[1].texte.contains(u"\r\nROUTES/R/ACTIVITIES/B.act"_s));
        // The same file found elsewhere comes first in the chooser.
        QCOMPARE(choix, QStringList{"Neuf/W.wag"});
        QCOMPARE(Bac::lire(c2), QByteArray("EngineData ( Loco Set )\r\nWagonData ( W Neuf )\r\n"));
        QCOMPARE(Bac::lire(b), bAvant.replace("w set", "W Neuf"));
    }

    // While the routes are read the window answers but cannot be closed, by
    // its button, Escape or the frame; the rows come once the reading ends.
    void fenetreRoutesOccupee()
    {
        SceneFenetre s;
        for (int i = 0; i < 1500; ++i) {
            s.bac.ecrire(u"MSTS/ROUTES/R/ACTIVITIES/a%1.act"_s.arg(i),
                         "Tr_Activity (\r\n\tTr_Activity_File (\r\n\t\tPlayer_Service_Definition ( S\r\n"
                         "\t\t)\r\n\t)\r\n)\r\n");
        }
        frmRoutes r(s.f.get());
        const int essais = s.essaisDeFermeture(r, *r.cmdFermer, [&] { r.cmdActualiser_Click(); });
        QVERIFY(essais > 0);
        QCOMPARE(r.modele().rowCount(), 1500);
        QVERIFY(r.cmdFermer->isEnabled() && r.close());
    }
};

QTEST_MAIN(TstReparation)
#include "tst_reparation.moc"
