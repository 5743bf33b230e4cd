// The delete command and the directory clean-up on real game folders.
#include "app/modDeclarations.h"
#include "fileops/Echecs.h"
#include "fileops/SystemeFichiers.h"
#include "platform/Texte.h"
#include "support/Essai.h"
#include "ui/Pointeur.h"

#include <cstdio>

#include <sys/mount.h>

namespace {

struct Scene : SceneFenetre {
    // Invalid consists (their engine is missing, so the closing scan lists
    // them again as long as they are there) and the list as a scan leaves it.
    void consists(const QStringList &noms, const QList<int> &choisies)
    {
        for (const QString &n : noms)
            ecrireConsist(n, "SIMISA@@@@@@@@@@JINX0D0t______\r\n\r\nTrain (\r\n\tTrainCfg ( \"T\"\r\n"
                             "\t\tEngineData ( Absente \"Nulle part\" )\r\n\t)\r\n)\r\n");
        lister(noms, choisies);
        f->cmdSupprimer->setEnabled(true);
    }
    QString fichier(const QString &nom) { return ecrireConsist(nom, "x"); }
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
    // The completion texts, with the line counting what went to the trash.
    QString avecCorbeille(const QString &texte, qsizetype n) const
    {
        return texte + QStringLiteral("\r\n") + remplacer(M("Msg96"), u"[num]", QString::number(n));
    }
    QString finNettoyage(int fichiers, int dossiers) const
    {
        return avecSautsDeLigne(remplacer(remplacer(M("Msg26"), u"[numfile]", QString::number(fichiers)),
                                          u"[numfolder]", QString::number(dossiers)));
    }
    Message fin(int fichiers, int dossiers, int corbeille = -1) const
    {
        return {avecCorbeille(finNettoyage(fichiers, dossiers), corbeille < 0 ? fichiers + dossiers : corbeille)};
    }
    Message question(const char *cle, const char *champ, const char *nom) const
    {
        return {remplacer(M(cle), QString::fromLatin1(champ), QString::fromLatin1(nom)), Boutons::OuiNon,
                Icone::Question};
    }
    // The end runs whatever happened; the list stays off until the next scan.
    void verifierEtatFinal() const
    {
        QCOMPARE(commandes(), QStringLiteral("RDNmstxl FOA epg"));
        QCOMPARE(f->lstLFI->count(), 0);
        QCOMPARE(pointeurActuel(), Pointeur::ParDefaut);
    }
};

// Every entry under `dossier`, links not followed: its path, a tab, then its
// bytes or where it leads.
QStringList arbre(const QString &dossier)
{
    QStringList entrees;
    QDirIterator i(dossier, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                   QDirIterator::Subdirectories);
    while (i.hasNext()) {
        const QFileInfo e(i.next());
        entrees << e.filePath().mid(dossier.size()) + u'\t' +
                       (e.isSymLink() ? e.symLinkTarget() : QString::fromUtf8(Bac::lire(e.filePath())));
    }
    entrees.sort();
    return entrees;
}

} // namespace

class TstSuppression : public QObject {
    Q_OBJECT

private slots:
    void cleanup() { sf::retirerPannes(); }

    void suppressionConfirmee_data()
    {
        // suite: the key after Msg07 and an empty line
        colonnes<QList<int>, QString>("choisies", "suite");
        QTest::newRow("aucune") << QList<int>{} << QString();
        QTest::newRow("un") << QList<int>{1} << QStringLiteral("Msg08");
        QTest::newRow("trois") << QList<int>{0, 1, 2} << QStringLiteral("Msg09");
    }

    // Without a selection Msg23; answered No: nothing changes.
    void suppressionConfirmee()
    {
        auto [choisies, suite] = donnees<QList<int>, QString>("choisies", "suite");
        Scene s;
        const QStringList noms{QStringLiteral("a.con"), QStringLiteral("b.con"), QStringLiteral("c.con")};
        s.consists(noms, choisies);
        s.seam.repondre(Reponse::Non);

        s.f->cmdSupprimer->click();

        const Message attendu =
            choisies.isEmpty()
                ? s.critique(s.M("Msg23"))
                : Message{s.M("Msg07") + QStringLiteral("\r\n\r\n") +
                              remplacer(s.M(qPrintable(suite)), u"[num]", QString::number(choisies.size())),
                          Boutons::OuiNon, Icone::Exclamation};
        QCOMPARE(s.seam.messages, QList<Message>{attendu});
        for (const QString &n : noms)
            QVERIFY(QFile::exists(DossierConsists + n));
    }

    // An entry deleted since the scan is passed over. While the loop lets
    // events through, commands are held back and list clicks change nothing.
    void suppressionGardeSaPlace()
    {
        Scene s;
        s.consists({"a.con", "b.con", "c.con", "d.con", "e.con"}, {1, 3});
        QVERIFY(QFile::remove(DossierConsists + QStringLiteral("d.con")));
        s.seam.repondre(Reponse::Oui);
        bool fini = false;
        s.seam.avantMessage = [&](const Message &m) { fini = fini || m.texte.startsWith(s.M("Msg11")); };
        s.seam.pendantEvenements = [&] {
            if (fini)
                return;
            QVERIFY(s.commandes().startsWith(u"rdnmstxl foa"));
            s.f->lstLFI->item(4)->setSelected(true);
        };

        QCOMPARE(codeDeFin([&] { s.f->cmdSupprimer->click(); }), -1);

        QCOMPARE(s.seam.messages.mid(1), QList<Message>{{s.avecCorbeille(s.M("Msg11"), 1)}});
        QCOMPARE(s.liste(), (QStringList{"a.con", "c.con", "e.con"}));
        QVERIFY(s.f->cmdSupprimer->isEnabled());
    }

    // Asked once per file, however many of the two attributes it has (hidden
    // by its name too); Yes clears them and deletes it, No leaves it as it was.
    // One taken away while its question is open is simply gone.
    void suppressionLectureSeuleOuCache()
    {
        Scene s;
        s.consists({".x.con", "r.con", "x y.con", "z.con"}, {0, 1, 2, 3});
        const QString ro = DossierConsists + QStringLiteral("r.con");
        sf::definirAttributs(ro, sf::LectureSeule);
        sf::definirAttributs(DossierConsists + QStringLiteral("x y.con"), sf::LectureSeule | sf::Cache);
        const QString parti = DossierConsists + QStringLiteral("z.con");
        sf::definirAttributs(parti, sf::LectureSeule);
        s.seam.avantMessage = [&](const Message &m) {
            if (m.texte.contains(QStringLiteral("z.con")))
                QVERIFY(QFile::remove(parti));
        };
        for (Reponse r : {Reponse::Oui, Reponse::Non, Reponse::Non, Reponse::Oui, Reponse::Oui})
            s.seam.repondre(r);

        QCOMPARE(codeDeFin([&] { s.f->cmdSupprimer->click(); }), -1);

        QList<Message> attendus;
        for (const char *n : {".x.con", "r.con", "x y.con", "z.con"})
            attendus << s.question("Msg06", "[file]", n);
        QCOMPARE(s.seam.messages.mid(1), attendus << Message{s.avecCorbeille(s.M("Msg11"), 1)});
        QCOMPARE(sf::lireAttributs(DossierConsists + QStringLiteral(".x.con")), int(sf::Cache));
        QCOMPARE(sf::lireAttributs(ro), int(sf::LectureSeule));
        QCOMPARE(s.liste(), (QStringList{".x.con", "r.con"}));
    }

    // Any other failure is the fatal report; what was deleted stays deleted,
    // and the one that failed keeps the attributes it was asked to give up.
    void suppressionAutreEchecFatal()
    {
        Scene s;
        s.consists({"a.con", "b.con", "c.con"}, {0, 1, 2});
        sf::definirAttributs(DossierConsists + QStringLiteral("b.con"), sf::LectureSeule);
        s.seam.repondre(Reponse::Oui);
        s.seam.repondre(Reponse::Oui);
        sf::injecterPanne(sf::Operation::Suppression, QStringLiteral("b.con"), EACCES);

        QCOMPARE(codeDeFin([&] { s.f->cmdSupprimer_Click(); }), 1);

        const QString texte = QString::fromUtf8("Erreur n° 70. Permission refusée.\r\n\r\nSi le problème persiste, "
                                                "veuillez contacter l'auteur du programme.");
        QCOMPARE(s.seam.messages.mid(1), (QList<Message>{s.question("Msg06", "[file]", "b.con"), s.critique(texte)}));
        QCOMPARE(QDir(DossierConsists).entryList(QDir::Files), (QStringList{"b.con", "c.con"}));
        QCOMPARE(sf::lireAttributs(DossierConsists + QStringLiteral("b.con")), int(sf::LectureSeule));
    }

    void corbeille_data()
    {
        // reglage: Options/Corbeille
        colonnes<bool, QString, QString, QString, QStringList, QStringList, bool>(
            "nettoyage", "reglage", "refusCorbeille", "refusSuppression", "dansLaCorbeille", "restants", "sansDonnees");
        const QString rien;
        const QStringList c{"c.con"}, a{"a.con"};
        QTest::newRow("suppression") << false << rien << rien << rien << QStringList{"a.con", "b é.con"} << c << false;
        QTest::newRow("suppression sans corbeille") << false << "False" << rien << rien << QStringList{} << c << false;
        QTest::newRow("refusée : supprimé") << false << rien << "b é" << rien << QStringList{"a.con"} << c << false;
        QTest::newRow("nettoyage") << true << rien << rien << rien << QStringList{"lien", "notes.txt", "vieux"} << a
                                   << false;
        QTest::newRow("pas de corbeille possible") << false << rien << rien << rien << QStringList{} << c << true;
        QTest::newRow("nettoyage sans corbeille") << true << "0" << rien << rien << QStringList{} << a << false;
        QTest::newRow("dossier refusé : supprimé")
            << true << rien << "vieux" << rien << QStringList{"lien", "notes.txt"} << a << false;
        QTest::newRow("dossier refusé partout")
            << true << rien << "vieux"
            << "vieux/sous/y.txt" << QStringList{"lien", "notes.txt"} << QStringList{"a.con", "vieux"} << false;
    }

    // What delete and clean-up remove goes to the trash with the record that
    // puts it back, links as links, unless the setting says no. What the
    // trash refuses is deleted as before; a folder that can go neither way
    // stays whole.
    void corbeille()
    {
        auto [nettoyage, reglage, refusCorbeille, refusSuppression, dansLaCorbeille, restants, sansDonnees] =
            donnees<bool, QString, QString, QString, QStringList, QStringList, bool>(
                "nettoyage", "reglage", "refusCorbeille", "refusSuppression", "dansLaCorbeille", "restants",
                "sansDonnees");
        Scene s;
        if (sansDonnees) // no trash can be made: deleted as before
            s.bac.ecrire(QStringLiteral("donnees"));
        if (!reglage.isEmpty())
            s.bac.reglages().ecrire(QStringLiteral("Options"), QStringLiteral("Corbeille"), reglage);
        const QString dehors = s.bac.ecrire(QStringLiteral("ailleurs/garde.txt"), "garde");
        if (nettoyage) {
            for (const char *n : {"a.con", "notes.txt", "vieux/x.txt", "vieux/sous/y.txt"})
                s.fichier(QString::fromLatin1(n));
            QVERIFY(QFile::link(QFileInfo(dehors).path(), DossierConsists + QStringLiteral("lien")));
        } else {
            s.consists({"a.con", "b é.con", "c.con"}, {0, 1});
        }
        const QStringList avant = arbre(DossierConsists);
        if (!refusCorbeille.isEmpty())
            sf::injecterPanne(sf::Operation::Corbeille, refusCorbeille, EXDEV);
        if (!refusSuppression.isEmpty())
            sf::injecterPanne(sf::Operation::Suppression, refusSuppression, EBUSY);

        if (nettoyage) {
            s.nettoyer({Reponse::OK});
        } else {
            s.seam.repondre(Reponse::Oui);
            s.f->cmdSupprimer->click();
        }

        QCOMPARE(s.restants(), restants);
        const QString ligne = remplacer(s.M("Msg96"), u"[num]", QString::number(dansLaCorbeille.size()));
        QCOMPARE(s.seam.messages.last().texte.endsWith(QStringLiteral("\r\n") + ligne), reglage.isEmpty());
        const QString corbeille = s.bac.chemin(QStringLiteral("donnees/Trash/"));
        QCOMPARE(
            QDir(corbeille + QStringLiteral("files")).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::System),
            dansLaCorbeille);
        // Put back as a desktop puts back: to the place its record names.
        for (const QString &nom : dansLaCorbeille) {
            const QString info =
                QString::fromUtf8(Bac::lire(corbeille + QStringLiteral("info/") + nom + QStringLiteral(".trashinfo")));
            const auto chemin = QRegularExpression(QStringLiteral("^Path=(.*)$"), QRegularExpression::MultilineOption);
            QCOMPARE(QUrl::fromPercentEncoding(chemin.match(info).captured(1).toUtf8()), DossierConsists + nom);
            QCOMPARE(std::rename(QFile::encodeName(corbeille + QStringLiteral("files/") + nom).constData(),
                                 QFile::encodeName(DossierConsists + nom).constData()),
                     0);
        }
        QStringList attendu;
        for (const QString &e : avant)
            if ((restants + dansLaCorbeille).contains(e.section(u'\t', 0, 0).section(u'/', 0, 0)))
                attendu << e;
        QCOMPARE(arbre(DossierConsists), attendu);
        QCOMPARE(Bac::lire(dehors), QByteArray("garde"));
    }

    // Every file but the consists goes (any letter case of ".con"), and every
    // sub-folder, even one named like a consist; No to Msg28 touches nothing.
    void nettoyageExempleType()
    {
        Scene s;
        for (const char *n : {"a.con", "B.CON", "c.cOn", ".con", "b.txt", "c.con.bak", "e.co"})
            s.fichier(QString::fromLatin1(n));
        QVERIFY(QFile::setPermissions(DossierConsists + QStringLiteral("B.CON"), QFile::ReadOwner));
        s.bac.ecrire(QStringLiteral("MSTS/TRAINS/CONSISTS/vieux.con/dedans/x.con"), "x");
        s.lister({QStringLiteral("a.con"), QStringLiteral("z.con")});
        s.f->cmdSupprimer->setEnabled(true);
        s.f->lstLFI->setCurrentRow(1);
        s.seam.repondre(Reponse::Non);
        s.f->cmdNettoyer->click();
        QCOMPARE(s.restants().size(), 8);
        QCOMPARE(s.f->lstLFI->count(), 2);

        s.nettoyer();

        QCOMPARE(s.restants(), (QStringList{".con", "B.CON", "a.con", "c.cOn"}));
        const Message msg28{s.M("Msg28"), Boutons::OuiNon, Icone::Question};
        QCOMPARE(s.seam.messages, (QList<Message>{msg28, msg28, s.fin(3, 1)}));
        s.verifierEtatFinal();
    }

    // Each read-only or hidden item is asked about once. The window is busy
    // meanwhile: a command started then would pull the folder from the walk.
    void nettoyageLectureSeuleOuCache()
    {
        Scene s;
        QVERIFY(QFile::setPermissions(s.fichier(QStringLiteral("readme.txt")), QFile::ReadOwner));
        s.fichier(QStringLiteral(".cache"));
        s.fichier(QStringLiteral("autre.txt"));
        sf::definirAttributs(s.dossier(QStringLiteral("vieux")), sf::Cache);
        s.fichier(QStringLiteral("vieux/dedans.txt"));
        QVERIFY(QFile::setPermissions(s.dossier(QStringLiteral("vieux2")), QFile::ReadOwner | QFile::ExeOwner));
        s.dossier(QStringLiteral("zautre"));
        s.seam.avantMessage = [&](const Message &m) {
            if (m.boutons != Boutons::OuiNon || m.texte == s.M("Msg28"))
                return;
            QCOMPARE(pointeurActuel(), Pointeur::Sablier);
            QVERIFY(s.commandes().startsWith(u"rdnmstxl foa"));
        };

        s.nettoyer({Reponse::Non, Reponse::Oui, Reponse::Oui, Reponse::Non});

        QCOMPARE(s.restants(), (QStringList{".cache", "vieux2"}));
        QCOMPARE(s.seam.messages.mid(1),
                 (QList<Message>{s.question("Msg06", "[file]", ".cache"), s.question("Msg06", "[file]", "readme.txt"),
                                 s.question("Msg25", "[folder]", "vieux"), s.question("Msg25", "[folder]", "vieux2"),
                                 s.fin(2, 2)}));
    }

    // Links go as links: what they point at is never touched.
    void nettoyageLiensRetiresCommeLiens()
    {
        Scene s;
        const QString dehors = s.bac.creerDossier(QStringLiteral("ailleurs/vehicules"));
        s.bac.ecrire(QStringLiteral("ailleurs/vehicules/loco.eng"), "SIMISA");
        const QString fichierDehors = s.bac.ecrire(QStringLiteral("ailleurs/note.txt"), "garde");
        QVERIFY(QFile::setPermissions(dehors, QFile::ReadOwner | QFile::ExeOwner));
        sf::definirAttributs(fichierDehors, sf::Cache);
        for (const auto &[cible, lien] : {std::pair{dehors, "vers-dossier"},
                                          {dehors, ".vers-dossier-cache"},
                                          {fichierDehors, "vers-fichier.txt"},
                                          {s.bac.chemin(QStringLiteral("rien")), "casse"},
                                          {fichierDehors, "lien.con"}})
            QVERIFY(QFile::link(cible, DossierConsists + QString::fromLatin1(lien)));
        QVERIFY(QFile::link(dehors, s.dossier(QStringLiteral("vieux/sous")) + QStringLiteral("/vers-dehors")));

        s.nettoyer({Reponse::Oui});

        QCOMPARE(s.restants(), QStringList{QStringLiteral("lien.con")});
        QCOMPARE(s.seam.messages.mid(1),
                 (QList<Message>{s.question("Msg25", "[folder]", ".vers-dossier-cache"), s.fin(2, 3, 4)}));
        QCOMPARE(QDir(dehors).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
                 QStringList{QStringLiteral("loco.eng")});
        QCOMPARE(QFile::permissions(dehors) & QFile::WriteOwner, QFile::Permissions{});
        QCOMPARE(sf::lireAttributs(fichierDehors), int(sf::Cache));
    }

    // An item that cannot go is reported and the walk goes on. A folder with a
    // read-only file inside is refused whole, and stays hidden.
    void nettoyageEchecSignaleEtParcoursPoursuivi()
    {
        Scene s;
        const QString b = s.fichier(QStringLiteral("b.txt"));
        s.fichier(QStringLiteral("c.txt"));
        const QString vieux = s.dossier(QStringLiteral("vieux"));
        sf::definirAttributs(vieux, sf::Cache);
        QVERIFY(QFile::setPermissions(s.fichier(QStringLiteral("vieux/sous/ro.txt")), QFile::ReadOwner));
        s.fichier(QStringLiteral("vieux/a.txt"));
        s.dossier(QStringLiteral("zz"));
        sf::injecterPanne(sf::Operation::Suppression, QStringLiteral("b.txt"), EBUSY);

        s.nettoyer({Reponse::OK, Reponse::Oui});

        QCOMPARE(s.restants(), (QStringList{"b.txt", "vieux"}));
        QCOMPARE(s.seam.messages.mid(1),
                 (QList<Message>{s.critique(texteEchec(b, sf::erreurSysteme(EBUSY))),
                                 s.question("Msg25", "[folder]", "vieux"),
                                 s.critique(texteEchec(vieux, ErreurExecution(70))), s.fin(1, 1)}));
        QCOMPARE(sf::lireAttributs(vieux), sf::Dossier | sf::Cache);
        QVERIFY(s.seam.messages[1].texte.contains(qt_error_string(EBUSY)));
        QVERIFY(QFile::exists(vieux + QStringLiteral("/a.txt")));
        s.verifierEtatFinal();
    }

    // As "rm --one-file-system": a folder mounted inside, another disk or the
    // consist folder itself, is told and left whole with all it holds.
    void nettoyageNeTraversePasLesMontages()
    {
        Scene s;
        s.fichier(QStringLiteral("a.con"));
        s.bac.ecrire(QStringLiteral("ailleurs/garde.txt"), "garde");
        const QString mnt = s.dossier(QStringLiteral("mnt")), vue = s.dossier(QStringLiteral("vieux/vue"));
        s.fichier(QStringLiteral("vieux/x.txt"));
        const auto monter = [](const QString &de, const QString &sur) {
            return ::mount(QFile::encodeName(de).constData(), QFile::encodeName(sur).constData(), nullptr, MS_BIND,
                           nullptr) == 0;
        };
        if (!monter(s.bac.chemin(QStringLiteral("ailleurs")), mnt))
            QSKIP("bind mounts need root");
        const auto demonter = qScopeGuard([&] {
            ::umount2(QFile::encodeName(vue).constData(), MNT_DETACH);
            ::umount2(QFile::encodeName(mnt).constData(), MNT_DETACH);
        });
        QVERIFY(monter(DossierConsists, vue));

        s.nettoyer();

        const auto refus = [&](const QString &dossier) {
            return s.critique(avecSautsDeLigne(remplacer(s.L("Errors", "Error17"), u"[folder]", dossier)));
        };
        QCOMPARE(s.seam.messages.mid(1), (QList<Message>{refus(mnt), refus(vue), s.fin(0, 0)}));
        QCOMPARE(s.restants(), (QStringList{"a.con", "mnt", "vieux"}));
        QCOMPARE(Bac::lire(mnt + QStringLiteral("/garde.txt")), QByteArray("garde"));
        QCOMPARE(Bac::lire(DossierConsists + QStringLiteral("vieux/x.txt")), QByteArray("x"));
        QCOMPARE(Bac::lire(DossierConsists + QStringLiteral("a.con")), QByteArray("x"));
    }
};

QTEST_MAIN(TstSuppression)
#include "tst_suppression.moc"
