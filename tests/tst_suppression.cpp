// The delete command and the directory clean-up on real game folders.
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
    QString dossier(const QString &nom) { return bac.creerDossier(u"MSTS/TRAINS/CONSISTS/"_s + nom); }
    QStringList restants() const
    {
        return QDir(DossierConsists)
            .entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
    }
    // Yes to the command's own question (Msg07, Msg28), then the given
    // answers to the questions that follow.
    void lancer(QPushButton *commande, const QList<Reponse> &reponses = {})
    {
        seam.repondre(Reponse::Oui);
        for (Reponse r : reponses)
            seam.repondre(r);
        commande->click();
    }
    // The completion texts, with the line counting what went to the trash.
    QString avecCorbeille(const QString &texte, qsizetype n) const
    {
        return texte + u"\r\n"_s + remplacer(M("Msg96"), u"[num]", QString::number(n));
    }
    Message fin(int fichiers, int dossiers, int corbeille = -1) const
    {
        const QString texte = remplacer(M("Msg26"), u"[numfile]", QString::number(fichiers));
        return {avecCorbeille(avecSautsDeLigne(remplacer(texte, u"[numfolder]", QString::number(dossiers))),
                              corbeille < 0 ? fichiers + dossiers : corbeille)};
    }
    Message question(const char *cle, const char *champ, const char *nom) const
    {
        return {remplacer(M(cle), QString::fromLatin1(champ), QString::fromLatin1(nom)), Boutons::OuiNon,
                Icone::Question};
    }
    // The end runs whatever happened; the list stays off until the next scan.
    void verifierEtatFinal() const
    {
        QCOMPARE(commandes(), u"RDNmstxl FOA epg"_s);
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

    void suppressionConfirmee_data()
    {
        // suite: the key after Msg07 and an empty line
        colonnes<QList<int>, QString>("choisies", "suite");
        QTest::newRow("aucune") << QList<int>{} << QString();
        QTest::newRow("un") << QList<int>{1} << u"Msg08"_s;
        QTest::newRow("trois") << QList<int>{0, 1, 2} << u"Msg09"_s;
    }

    // Without a selection Msg23; answered No: nothing changes.
    void suppressionConfirmee()
    {
        auto [choisies, suite] = donnees<QList<int>, QString>("choisies", "suite");
        Scene s;
        const QStringList noms{u"a.con"_s, u"b.con"_s, u"c.con"_s};
        s.consists(noms, choisies);

        s.f->cmdSupprimer->click();

        const Message attendu =
            choisies.isEmpty()
                ? s.critique(s.M("Msg23"))
                : Message{s.M("Msg07") + u"\r\n\r\n"_s +
                              remplacer(s.M(qPrintable(suite)), u"[num]", QString::number(choisies.size())),
                          Boutons::OuiNon, Icone::Exclamation};
        QCOMPARE(s.seam.messages, QList<Message>{attendu});
        QCOMPARE(s.restants(), noms);
    }

    // The loop over the selection. An entry deleted since the scan is passed
    // over. A read-only or hidden one is asked about once, however many of the
    // two attributes it has (hidden by its name too); Yes clears them and
    // deletes it, No leaves it as it was; one taken away while its question is
    // open is simply gone. Any other failure (a consist folder the user may
    // not write, a folder put in its place since the scan: not what the user
    // chose) is told with the consist and the system's reason, and the others
    // go on; the one that failed keeps the attributes it was asked to give up.
    // While the loop lets events through, commands are held back and list
    // clicks change nothing.
    void suppressionDeLaSelection()
    {
        Scene s;
        s.consists({".x.con", "a.con", "b.con", "d.con", "e.con", "f.con", "r.con", "x y.con", "z.con"},
                   {0, 2, 3, 4, 5, 6, 7, 8});
        QVERIFY(QFile::remove(DossierConsists + u"d.con"_s));
        const QString ro = DossierConsists + u"r.con"_s, echec = DossierConsists + u"e.con"_s;
        const QString parti = DossierConsists + u"z.con"_s;
        for (const QString &c : {ro, echec, parti})
            sf::definirAttributs(c, sf::LectureSeule);
        sf::definirAttributs(DossierConsists + u"x y.con"_s, sf::LectureSeule | sf::Cache);
        const QByteArray octets = Bac::lire(echec);
        sf::injecterPanne(sf::Operation::Suppression, u"e.con"_s, EACCES);
        QVERIFY(QFile::remove(DossierConsists + u"f.con"_s));
        s.bac.ecrire(u"MSTS/TRAINS/CONSISTS/f.con/dedans.con"_s, "dedans");
        bool fini = false;
        s.seam.avantMessage = [&](const Message &m) {
            fini = fini || m.texte.startsWith(s.M("Msg11"));
            if (m.texte.contains(u"z.con"_s))
                QVERIFY(QFile::remove(parti));
        };
        s.seam.pendantEvenements = [&] {
            if (fini)
                return;
            QVERIFY(s.commandes().startsWith(u"rdnmstxl foa"));
            s.f->lstLFI->item(1)->setSelected(true);
        };
        const QList<Reponse> reponses{Reponse::Non, Reponse::Oui, Reponse::OK, Reponse::OK,
                                      Reponse::Non, Reponse::Oui, Reponse::Oui};

        QCOMPARE(codeDeFin([&] { s.lancer(s.f->cmdSupprimer, reponses); }), -1);

        const auto texte = [](const char *nom, const char *raison) {
            return QDir::toNativeSeparators(DossierConsists + QLatin1String(nom)) + u"\r\n\r\n"_s +
                   QString::fromUtf8(raison);
        };
        // The system's own words end the folder's message: they vary with the locale.
        QCOMPARE(s.seam.messages.size(), 9);
        const Message dossier = s.seam.messages.takeAt(4);
        QVERIFY2(dossier.icone == Icone::Critique && dossier.texte.startsWith(texte("f.con", "Erreur n° 75. ")),
                 qPrintable(dossier.texte));
        QCOMPARE(s.seam.messages.mid(1),
                 (QList<Message>{s.question("Msg06", "[file]", ".x.con"), s.question("Msg06", "[file]", "e.con"),
                                 s.critique(texte("e.con", "Erreur n° 70. Permission refusée.")),
                                 s.question("Msg06", "[file]", "r.con"), s.question("Msg06", "[file]", "x y.con"),
                                 s.question("Msg06", "[file]", "z.con"), Message{s.avecCorbeille(s.M("Msg11"), 2)}}));
        QCOMPARE(sf::lireAttributs(DossierConsists + u".x.con"_s), int(sf::Cache));
        QCOMPARE(sf::lireAttributs(ro), int(sf::LectureSeule));
        QCOMPARE(sf::lireAttributs(echec), int(sf::LectureSeule));
        QCOMPARE(Bac::lire(echec), octets);
        QCOMPARE(Bac::lire(DossierConsists + u"f.con/dedans.con"_s), QByteArray("dedans"));
        QCOMPARE(s.restants(), (QStringList{".x.con", "a.con", "e.con", "f.con", "r.con"}));
        QCOMPARE(s.liste(), (QStringList{".x.con", "a.con", "e.con", "r.con"}));
        QVERIFY(s.f->cmdSupprimer->isEnabled());
    }

    void corbeille_data()
    {
        // reglage: Options/Corbeille; reponses: to the questions before an item the trash did not take is deleted for
        // good, asked of `questions` ("name:key of the reason"); lists are split at "|"
        colonnes<bool, QString, QString, QString, QList<Reponse>, QStringList, QStringList, QStringList, bool>(
            "nettoyage", "reglage", "refusCorbeille", "refusSuppression", "reponses", "questions", "dansLaCorbeille",
            "restants", "sansDonnees");
        const auto ligne = [](const char *tag, bool nettoyage, const char *reglage, const char *refusCorbeille,
                              const char *refusSuppression, const QList<Reponse> &reponses, const char *questions,
                              const char *dansLaCorbeille, const char *restants, bool sansDonnees = false) {
            const auto liste = [](const char *l) { return QString::fromUtf8(l).split(u'|', Qt::SkipEmptyParts); };
            QTest::newRow(tag) << nettoyage << QString::fromLatin1(reglage) << QString::fromUtf8(refusCorbeille)
                               << QString::fromLatin1(refusSuppression) << reponses << liste(questions)
                               << liste(dansLaCorbeille) << liste(restants) << sansDonnees;
        };
        const Reponse oui = Reponse::Oui, non = Reponse::Non;
        ligne("suppression", false, "", "", "", {}, "", "a.con|b é.con", "c.con");
        ligne("suppression sans corbeille", false, "False", "", "", {}, "", "", "c.con");
        ligne("refusée : supprimée après oui", false, "", "b é", "", {oui}, "b é.con:Msg152", "a.con", "c.con");
        ligne("refusée : non, gardée", false, "", "b é", "", {non}, "b é.con:Msg152", "a.con", "b é.con|c.con");
        ligne("nettoyage", true, "", "", "", {}, "", "lien|notes.txt|vieux", "a.con");
        // Yes to all: asked once, for the first.
        ligne("pas de corbeille possible : oui à tout", false, "", "", "", {Reponse::OuiATous}, "a.con:Msg151", "",
              "c.con", true);
        // A link goes as a link, without a question: it holds nothing of the
        // user's.
        ligne("nettoyage sans corbeille possible", true, "", "", "", {non, Reponse::OuiATous},
              "notes.txt:Msg151|vieux:Msg151", "", "a.con|notes.txt", true);
        ligne("nettoyage sans corbeille", true, "0", "", "", {}, "", "", "a.con");
        ligne("dossier refusé : supprimé après oui", true, "", "vieux", "", {oui}, "vieux:Msg152", "lien|notes.txt",
              "a.con");
        ligne("dossier refusé : non, gardé", true, "", "vieux", "", {non}, "vieux:Msg152", "lien|notes.txt",
              "a.con|vieux");
        ligne("dossier refusé partout", true, "", "vieux", "vieux/sous/y.txt", {}, "", "lien|notes.txt", "a.con|vieux");
    }

    // What delete and clean-up remove goes to the trash with the record that
    // puts it back, links as links, unless the setting says no. What the trash
    // does not take is deleted for good only after the user's yes, asked with
    // the item and the reason; a folder that can go neither way stays whole.
    void corbeille()
    {
        auto [nettoyage, reglage, refusCorbeille, refusSuppression, reponses, questions, dansLaCorbeille, restants,
              sansDonnees] =
            donnees<bool, QString, QString, QString, QList<Reponse>, QStringList, QStringList, QStringList, bool>(
                "nettoyage", "reglage", "refusCorbeille", "refusSuppression", "reponses", "questions",
                "dansLaCorbeille", "restants", "sansDonnees");
        Scene s;
        if (sansDonnees) // no trash can be made
            s.bac.ecrire(u"donnees"_s);
        if (!reglage.isEmpty())
            s.bac.reglages().ecrire(u"Options"_s, u"Corbeille"_s, reglage);
        const QString dehors = s.bac.ecrire(u"ailleurs/garde.txt"_s, "garde");
        if (nettoyage) {
            for (const char *n : {"a.con", "notes.txt", "vieux/x.txt", "vieux/sous/y.txt"})
                s.fichier(QString::fromLatin1(n));
            QVERIFY(QFile::link(QFileInfo(dehors).path(), DossierConsists + u"lien"_s));
        } else {
            s.consists({"a.con", "b é.con", "c.con"}, {0, 1});
        }
        const QStringList avant = arbre(DossierConsists);
        if (!refusCorbeille.isEmpty())
            sf::injecterPanne(sf::Operation::Corbeille, refusCorbeille, EXDEV);
        if (!refusSuppression.isEmpty())
            sf::injecterPanne(sf::Operation::Suppression, refusSuppression, EBUSY);

        s.lancer(nettoyage ? s.f->cmdNettoyer : s.f->cmdSupprimer, reponses);

        QList<Message> demandees, attendues;
        for (const Message &m : std::as_const(s.seam.messages))
            if (m.boutons == Boutons::OuiTousNon)
                demandees << m;
        for (const QString &q : questions) {
            const QString t = remplacer(s.M("Msg150"), u"[file]", q.section(u':', 0, 0));
            attendues << Message{avecSautsDeLigne(remplacer(t, u"[reason]", s.M(q.section(u':', 1).toLatin1()))),
                                 Boutons::OuiTousNon, Icone::Exclamation};
        }
        QCOMPARE(demandees, attendues);
        QCOMPARE(s.restants(), restants);
        QCOMPARE(s.seam.messages.last().texte.endsWith(s.avecCorbeille({}, dansLaCorbeille.size())), reglage.isEmpty());
        const QString corbeille = s.bac.chemin(u"donnees/Trash/"_s);
        QCOMPARE(QDir(corbeille + u"files"_s).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::System),
                 dansLaCorbeille);
        // Put back as a desktop puts back: to the place its record names.
        for (const QString &nom : dansLaCorbeille) {
            const QString info = QString::fromUtf8(Bac::lire(corbeille + u"info/"_s + nom + u".trashinfo"_s));
            const auto chemin = QRegularExpression(u"^Path=(.*)$"_s, QRegularExpression::MultilineOption);
            QCOMPARE(QUrl::fromPercentEncoding(chemin.match(info).captured(1).toUtf8()), DossierConsists + nom);
            QCOMPARE(std::rename(QFile::encodeName(corbeille + u"files/"_s + nom).constData(),
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
    // sub-folder, even one named like a consist; links go as links, what they
    // point at never touched. No to Msg28 touches nothing. Each read-only or
    // hidden item is asked about once; the window is busy meanwhile, as a
    // command started then would pull the folder from the walk. An item that
    // cannot go is reported and the walk goes on; a folder with a read-only
    // file inside is refused whole, and stays hidden.
    void nettoyage()
    {
        Scene s;
        for (const char *n : {"a.con", "B.CON", "c.cOn", ".con", "b.txt", "c.con.bak", "e.co", ".cache", "autre.txt"})
            s.fichier(QString::fromLatin1(n));
        QVERIFY(QFile::setPermissions(DossierConsists + u"B.CON"_s, QFile::ReadOwner));
        s.bac.ecrire(u"MSTS/TRAINS/CONSISTS/vieux.con/dedans/x.con"_s, "x");
        const QString dehors = QFileInfo(s.bac.ecrire(u"ailleurs/vehicules/loco.eng"_s, "SIMISA")).path();
        const QString fichierDehors = s.bac.ecrire(u"ailleurs/note.txt"_s, "garde");
        QVERIFY(QFile::setPermissions(dehors, QFile::ReadOwner | QFile::ExeOwner));
        sf::definirAttributs(fichierDehors, sf::Cache);
        for (const auto &[cible, lien] : {std::pair{dehors, "vers-dossier"},
                                          {dehors, ".vers-dossier-cache"},
                                          {fichierDehors, "vers-fichier.txt"},
                                          {s.bac.chemin(u"rien"_s), "casse"},
                                          {fichierDehors, "lien.con"}})
            QVERIFY(QFile::link(cible, DossierConsists + QString::fromLatin1(lien)));
        QVERIFY(QFile::link(dehors, s.dossier(u"ancien/sous"_s) + u"/vers-dehors"_s));
        // Links that lead round in a circle go as links, never what they
        // lead to; the trash takes none of those that lead nowhere.
        s.ecrireVehicule(u"Set/Loco.eng"_s);
        for (const char *l :
             {"boucle>.", "a>b", "b>a", "x.con>y.con", "y.con>x.con", "ancien/haut>../..", "ancien/rond>.."}) {
            const QStringList lien = QString::fromLatin1(l).split(u'>');
            QVERIFY(QFile::link(lien[1], DossierConsists + lien[0]));
        }
        QVERIFY(QFile::setPermissions(s.fichier(u"readme.txt"_s), QFile::ReadOwner));
        const QString occupe = s.fichier(u"occupe.txt"_s);
        sf::injecterPanne(sf::Operation::Suppression, u"occupe.txt"_s, EBUSY);
        sf::definirAttributs(s.dossier(u"vieux"_s), sf::Cache);
        s.fichier(u"vieux/dedans.txt"_s);
        QVERIFY(QFile::setPermissions(s.dossier(u"vieux2"_s), QFile::ReadOwner | QFile::ExeOwner));
        const QString garde = s.dossier(u"garde"_s);
        sf::definirAttributs(garde, sf::Cache);
        QVERIFY(QFile::setPermissions(s.fichier(u"garde/sous/ro.txt"_s), QFile::ReadOwner));
        s.fichier(u"garde/a.txt"_s);
        s.dossier(u"zautre"_s);
        s.lister({u"a.con"_s, u"z.con"_s});
        s.f->cmdSupprimer->setEnabled(true);
        s.f->lstLFI->setCurrentRow(1);
        s.f->cmdNettoyer->click(); // No, as unanswered
        QCOMPARE(s.restants().size(), 27);
        QCOMPARE(s.f->lstLFI->count(), 2);
        s.seam.avantMessage = [&](const Message &m) {
            if (m.boutons != Boutons::OuiNon || m.texte == s.M("Msg28"))
                return;
            QCOMPARE(pointeurActuel(), Pointeur::Sablier);
            QVERIFY(s.commandes().startsWith(u"rdnmstxl foa"));
        };

        s.lancer(s.f->cmdNettoyer, {Reponse::Non, Reponse::OK, Reponse::Oui, Reponse::Oui, Reponse::Oui, Reponse::OK,
                                    Reponse::Oui, Reponse::Non});

        QCOMPARE(s.restants(), (QStringList{".cache", ".con", "B.CON", "a.con", "c.cOn", "garde", "lien.con",
                                            "occupe.txt", "vieux2", "x.con", "y.con"}));
        const Message msg28{s.M("Msg28"), Boutons::OuiNon, Icone::Question};
        QCOMPARE(s.seam.messages, (QList<Message>{msg28, msg28, s.question("Msg06", "[file]", ".cache"),
                                                  s.critique(texteEchec(occupe, sf::erreurSysteme(EBUSY))),
                                                  s.question("Msg06", "[file]", "readme.txt"),
                                                  s.question("Msg25", "[folder]", ".vers-dossier-cache"),
                                                  s.question("Msg25", "[folder]", "garde"),
                                                  s.critique(texteEchec(garde, ErreurExecution(70))),
                                                  s.question("Msg25", "[folder]", "vieux"),
                                                  s.question("Msg25", "[folder]", "vieux2"), s.fin(9, 7, 13)}));
        QVERIFY(s.seam.messages[3].texte.contains(qt_error_string(EBUSY)));
        QCOMPARE(sf::lireAttributs(garde), sf::Dossier | sf::Cache);
        QVERIFY(QFile::exists(garde + u"/a.txt"_s));
        QCOMPARE(QDir(dehors).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList{u"loco.eng"_s});
        QCOMPARE(QFile::permissions(dehors) & QFile::WriteOwner, QFile::Permissions{});
        QCOMPARE(sf::lireAttributs(fichierDehors), int(sf::Cache));
        for (const char *reste : {"train.exe", "launcher.exe", "TRAINS/TRAINSET/Set/Loco.eng"})
            QVERIFY2(QFileInfo(s.jeu + QString::fromLatin1(reste)).isFile(), reste);
        s.verifierEtatFinal();
    }

    // As "rm --one-file-system": a folder mounted inside, another disk or the
    // consist folder itself, is told and left whole with all it holds.
    void nettoyageNeTraversePasLesMontages()
    {
        Scene s;
        s.fichier(u"a.con"_s);
        s.bac.ecrire(u"ailleurs/garde.txt"_s, "garde");
        const QString mnt = s.dossier(u"mnt"_s), vue = s.dossier(u"vieux/vue"_s);
        s.fichier(u"vieux/x.txt"_s);
        const auto monter = [](const QString &de, const QString &sur) {
            return ::mount(QFile::encodeName(de).constData(), QFile::encodeName(sur).constData(), nullptr, MS_BIND,
                           nullptr) == 0;
        };
        if (!monter(s.bac.chemin(u"ailleurs"_s), mnt))
            QSKIP("bind mounts need root");
        const auto demonter = qScopeGuard([&] {
            ::umount2(QFile::encodeName(vue).constData(), MNT_DETACH);
            ::umount2(QFile::encodeName(mnt).constData(), MNT_DETACH);
        });
        QVERIFY(monter(DossierConsists, vue));

        s.lancer(s.f->cmdNettoyer);

        const auto refus = [&](const QString &dossier) {
            return s.critique(avecSautsDeLigne(remplacer(s.L("Errors", "Error17"), u"[folder]", dossier)));
        };
        QCOMPARE(s.seam.messages.mid(1), (QList<Message>{refus(mnt), refus(vue), s.fin(0, 0)}));
        QCOMPARE(s.restants(), (QStringList{"a.con", "mnt", "vieux"}));
        QCOMPARE(Bac::lire(mnt + u"/garde.txt"_s), QByteArray("garde"));
        QCOMPARE(Bac::lire(DossierConsists + u"vieux/x.txt"_s), QByteArray("x"));
        QCOMPARE(Bac::lire(DossierConsists + u"a.con"_s), QByteArray("x"));
    }
};

QTEST_MAIN(TstSuppression)
#include "tst_suppression.moc"
