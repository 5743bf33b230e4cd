// The move command and its three dialogs on real folders: whatever happens,
// each consist ends up in the consist folder or at the destination.
#include "fileops/frmDemander.h"
#include "fileops/frmDeplacerVers.h"
#include "fileops/frmNouveauDossier.h"
#include "support/Essai.h"
#include "ui/Commandes.h"
#include "ui/ListeDossiers.h"

#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

namespace {

const QDateTime DateConsists(QDate(2010, 1, 1), QTime(12, 0, 0, 900));

// The main window, one destination folder, consists "consist <name>" and
// files already at the destination "ancien <name>".
struct Scene : SceneFenetre {
    QString destination = bac.creerDossier(u"Vieux consists é"_s) + u'/';
    QStringList questions; // each overwrite question: the loop's entry, its text, the two dates, split by |

    QString source(const QString &nom) const { return DossierConsists + nom; }
    QString cible(const QString &nom) const { return destination + nom; }

    // Laid out and listed as a scan leaves them.
    void consists(const QStringList &noms, const QList<int> &selection = {})
    {
        for (const QString &nom : noms)
            Bac::dater(ecrireConsist(nom, "consist " + nom.toUtf8()), DateConsists);
        lister(noms, selection);
    }
    void existant(const QString &nom, const QDateTime &date)
    {
        Bac::dater(bac.ecrire(u"Vieux consists é/"_s + nom, "ancien " + nom.toUtf8()), date);
    }
    // Scripts the destination dialog: folder, entries, rule, then OK (Cancel
    // if the folder cannot be chosen, rather than move to the root).
    void choisir(int regle, bool selectionSeule = false, const QString &dossier = {})
    {
        const QString d = dossier.isEmpty() ? destination : dossier;
        seam.quand<frmDeplacerVers>([regle, selectionSeule, d](frmDeplacerVers &dv) {
            const bool choisi = dv.CheDossier->definirChemin(d);
            if (selectionSeule)
                dv.optFichiers[0]->click();
            dv.optFichierExiste[regle]->click();
            QTest::mouseClick(choisi ? dv.cmdOK : dv.cmdAnnuler, Qt::LeftButton);
        });
    }

    // Scripts the overwrite questions: O yes, T yes to all, N no, S no to
    // all, F the frame's close box.
    void repondre(const QString &reponses)
    {
        for (QChar reponse : reponses)
            seam.quand<frmDemander>([this, reponse](frmDemander &q) {
                questions << QString::number(Compteur) + u' ' + q.lbl1->text() + u'|' + q.lbl4->text() + u'|' +
                                 q.lbl7->text();
                const qsizetype i = u"OTNS"_s.indexOf(reponse);
                const QList<QPushButton *> boutons{q.cmdOui, q.cmdOuiTous, q.cmdNon, q.cmdNonTous};
                i < 0 ? void(q.close()) : QTest::mouseClick(boutons[i], Qt::LeftButton);
            });
    }

    // D moved whole, L only in the consist folder, A left beside the old file
    // at the destination, F beside a folder of its name there, C in both, ?
    // lost, cut short or overwritten.
    QString etats(const QStringList &noms) const
    {
        QString lettres;
        for (const QString &nom : noms) {
            const QByteArray consist = "consist " + nom.toUtf8(), ici = Bac::lire(source(nom)),
                             la = Bac::lire(cible(nom));
            const bool reste = QFile::exists(source(nom)), arrive = QFile::exists(cible(nom));
            lettres += !reste && la == consist                            ? u'D'
                       : ici == consist && !arrive                        ? u'L'
                       : ici == consist && la == "ancien " + nom.toUtf8() ? u'A'
                       : ici == consist && QFileInfo(cible(nom)).isDir()  ? u'F'
                       : ici == consist && la == consist                  ? u'C'
                                                                          : u'?';
        }
        return lettres;
    }
    Message termine(qsizetype deplaces, qsizetype laisses) const
    {
        const QString compte = remplacer(M("Msg30"), u"[num]", QString::number(deplaces));
        return {M("Msg13") + u"\r\n\r\n"_s + avecSautsDeLigne(remplacer(compte, u"[left]", QString::number(laisses)))};
    }
    Message rapport(const char *cle, const QString &nom) const
    {
        return critique(avecSautsDeLigne(remplacer(L(u"Errors"_s, QString::fromLatin1(cle)), u"[file]", nom)));
    }
    Message erreur(const QString &cle) const { return critique(L(u"Errors"_s, cle)); }
};

} // namespace

class TstDeplacement : public QObject {
    Q_OBJECT

private slots:
    void fichierExistant_data()
    {
        // a.con and c.con have a namesake at the destination, b.con has none.
        // ecart: the destination's date against the consist's; etats: a.con, b.con, c.con afterwards
        colonnes<int, QString, int, QString>("regle", "reponses", "ecart", "etats");

        const int plusAncien = -1, memeSeconde = 0, plusRecent = 1;
        QTest::newRow("écraser une destination plus récente") << 1 << QString() << plusRecent << "DDD";
        QTest::newRow("si plus récent, consist plus récent") << 2 << QString() << plusAncien << "DDD";
        QTest::newRow("si plus récent, même seconde") << 2 << QString() << memeSeconde << "ADA";
        QTest::newRow("passer") << 3 << QString() << plusAncien << "ADA";
        QTest::newRow("demander, Oui pour tous") << 0 << u"T"_s << plusRecent << "DDD";
        QTest::newRow("demander, Non pour tous") << 0 << u"S"_s << plusAncien << "ADA";
        QTest::newRow("demander, fermé par le cadre") << 0 << u"FF"_s << plusAncien << "ADA";
        QTest::newRow("demander, Oui puis Non") << 0 << u"ON"_s << plusAncien << "DDA";
        QTest::newRow("demander, Non puis Oui pour tous") << 0 << u"NT"_s << plusAncien << "ADD";
    }

    void fichierExistant()
    {
        auto [regle, reponses, ecart, etats] =
            donnees<int, QString, int, QString>("regle", "reponses", "ecart", "etats");
        Scene s;
        const QStringList noms{u"a.con"_s, u"b.con"_s, u"c.con"_s};
        s.consists(noms);
        // Same second as the consists, yet earlier by 800 ms: not newer.
        const QDateTime dateExistants =
            ecart == 0 ? QDateTime(QDate(2010, 1, 1), QTime(12, 0, 0, 100)) : DateConsists.addSecs(ecart * 3600);
        s.existant(noms[0], dateExistants);
        s.existant(noms[2], dateExistants);
        // A consist deleted since the scan is passed over without a word.
        s.f->lstLFI->addItem(u"disparu.con"_s);
        QCOMPARE(::chmod(QFile::encodeName(s.source(noms[1])).constData(), 0640), 0);
        s.choisir(regle);
        s.repondre(reponses);
        DeplacerConsists(*s.f);

        QCOMPARE(s.etats(noms + QStringList{u"disparu.con"_s}), etats + u'?');
        // Its permissions, not those of the file the copy was written to.
        struct stat st {};
        QCOMPARE(::stat(QFile::encodeName(s.cible(noms[1])).constData(), &st), 0);
        QCOMPARE(st.st_mode & 07777, 0640u);
        // The copy keeps the consist's date, or a later "overwrite if newer"
        // would see every moved consist as changed today.
        for (const QString &nom : noms)
            if (!QFile::exists(s.source(nom)))
                QCOMPARE(QFileInfo(s.cible(nom)).lastModified().toSecsSinceEpoch(), DateConsists.toSecsSinceEpoch());
        // One question per existing file until Yes to all or No to all, each
        // about the entry the loop stands on. The dates, the file there then the
        // consist, show their seconds: two files of one minute must differ.
        QCOMPARE(s.questions.size(), reponses.size());
        const QString heure = dateExistants.time().toString(u"hh:mm:ss");
        for (qsizetype i = 0; i < s.questions.size(); ++i) {
            const QString &q = s.questions[i];
            QVERIFY2(q.startsWith(QString::number(2 * i) + u' ') && q.section(u'|', 0, 0).contains(noms[2 * i]) &&
                         q.section(u'|', -2, -2).contains(heure) && q.section(u'|', -1).contains(u"12:00:00"_s),
                     qPrintable(s.questions[i]));
        }
        QCOMPARE(s.seam.messages, QList<Message>{s.termine(etats.count(u'D'), etats.count(u'A'))});
    }

    // Whatever stands at the destination under the consist's name is a file
    // already there for the rules. On a FAT stick or an SMB share "a.con" is
    // the "A.con" this move has just written, by a second name; a
    // case-insensitive FUSE folder without fixed inode numbers gives it an
    // inode of its own: the same rows run on one.
    void destinationInattendue_data()
    {
        // entree: what stands in a.con's place; fuse: the destination is such a FUSE folder
        colonnes<QString, int, QString, bool>("entree", "regle", "reponses", "fuse");
        for (const bool fuse : {false, true}) {
            const char *sur = fuse ? "FUSE, " : "";
            QTest::addRow("%ssans casse, écraser", sur) << "A.con" << 1 << QString() << fuse;
            QTest::addRow("%ssans casse, si plus récent", sur) << "A.con" << 2 << QString() << fuse;
            QTest::addRow("%ssans casse, demander, Oui", sur) << "A.con" << 0 << u"O"_s << fuse;
            QTest::addRow("%ssans casse, demander, Oui pour tous", sur) << "A.con" << 0 << u"T"_s << fuse;
            QTest::addRow("%slien cassé, passer", sur) << "lien cassé" << 3 << QString() << fuse;
            QTest::addRow("%stube, passer", sur) << "tube" << 3 << QString() << fuse;
        }
        QTest::newRow("lien vers un dossier, demander, Non") << "lien dossier" << 0 << u"N"_s << false;
        // The consist folder through a link passes the dialog's path check: each consist copied over itself then
        // deleted would be lost. Over FUSE, NFS or SMB loopback (other device and file numbers) the copy takes the
        // consist's place and only the identity it had before tells.
        QTest::newRow("dossier des consists par un lien") << "consists" << 1 << QString() << false;
        QTest::newRow("dossier des consists, second montage") << "consists, second montage" << 1 << QString() << false;
    }

    void destinationInattendue()
    {
        auto [entree, regle, reponses, fuse] =
            donnees<QString, int, QString, bool>("entree", "regle", "reponses", "fuse");
        Scene s;
        if (fuse) {
            QString raison;
            s.destination = s.bac.monterSansCasse(u"Partage"_s, &raison);
            if (s.destination.isEmpty())
                QSKIP(qPrintable(u"no case-insensitive FUSE folder: "_s + raison));
        }
        const QString A = u"A.con"_s, a = u"a.con"_s, cible = s.cible(a);
        const bool casse = entree == A, consists = entree.startsWith(u"consists"),
                   montage = entree.endsWith(u"montage");
        s.consists(casse ? QStringList{A, a} : QStringList{a});
        const QString lien = s.bac.chemin(u"Lien vers les consists"_s);
        if (casse)
            Bac::dater(s.source(A), DateConsists.addDays(-1));
        else if (consists)
            QVERIFY(QFile::link(QDir::cleanPath(DossierConsists), lien));
        else if (entree == u"tube")
            QCOMPARE(::mkfifo(QFile::encodeName(cible).constData(), 0644), 0);
        else
            QVERIFY(QFile::link(entree == u"lien cassé" ? s.bac.chemin(u"rien"_s) : s.bac.chemin(), cible));
        s.seam.pendantEvenements = [&] {
            if (casse && !fuse && QFile::exists(s.cible(A)) && !sf::existe(cible))
                QCOMPARE(::link(QFile::encodeName(s.cible(A)).constData(), QFile::encodeName(cible).constData()), 0);
        };
        if (montage)
            sf::injecterPanne(sf::Operation::Montage, lien, 0);
        s.choisir(regle, false, consists ? lien : QString());
        s.repondre(reponses);
        DeplacerConsists(*s.f);

        QCOMPARE(s.questions.size(), casse ? 0 : reponses.size());
        QList<Message> attendus =
            casse ? QList<Message>{s.rapport("Error18", a), s.termine(1, 1)} : QList<Message>{s.termine(0, 1)};
        if (montage)
            attendus.prepend(s.rapport("Error19", a));
        QCOMPARE(s.seam.messages, attendus);
        QCOMPARE(Bac::lire(s.source(a)), QByteArray("consist a.con"));
        if (casse)
            QVERIFY(Bac::lire(s.cible(A)) == "consist A.con" && !QFile::exists(s.source(A)));
        else if (consists)
            QCOMPARE(QDir(DossierConsists).entryList(QDir::Files | QDir::Hidden), QStringList{a});
        else
            QVERIFY(entree == u"tube" ? sf::existe(cible) && !QFileInfo(cible).isFile() : sf::estLien(cible));
        if (fuse && casse) // what the file system holds, below the names it answers to
            QCOMPARE(QDir(s.bac.chemin(u"Partage"_s)).entryList(QDir::Files | QDir::Hidden | QDir::System),
                     QStringList{A});
    }

    void obstacles_data()
    {
        // The list is 0.con, Fret lourd.con, c.con; what stands in the way strikes the middle one.
        // attributs: its own; panne: what fails; ancien: an older namesake waits at the destination; corbeille:
        // "impossible" (no trash can be made) or "réglage" (the setting says no); reponses: to the overwrite
        // question (O, T) then to the messages (o, t, n); etats: as etats() gives them
        colonnes<int, QString, int, bool, QString, QString, QString>("attributs", "panne", "regle", "ancien",
                                                                     "corbeille", "reponses", "etats");
        const auto ligne = [](const char *tag, int attributs, const char *panne, int regle, bool ancien,
                              const char *corbeille, const char *reponses, const char *etats) {
            QTest::newRow(tag) << attributs << QString::fromUtf8(panne) << regle << ancien
                               << QString::fromUtf8(corbeille) << QString::fromLatin1(reponses)
                               << QString::fromLatin1(etats);
        };
        // Protected, it is asked about once; Yes may still leave it: its namesake kept, its copy refused.
        const int ls = sf::LectureSeule, cache = sf::Cache;
        ligne("lecture seule, oui", ls, "", 1, false, "", "o", "DDD");
        ligne("caché, non", cache, "", 1, false, "", "n", "DLD");
        ligne("les deux, une seule question", ls | cache, "", 1, false, "", "o", "DDD");
        ligne("lecture seule, oui, passé", ls, "", 3, true, "", "o", "DAD");
        ligne("caché et archive, oui, copie refusée", cache | sf::Archive, "copie", 1, false, "", "o", "DLD");
        // The disk fills up part-way through its copy: the others fit.
        ligne("disque plein", 0, "disque plein", 1, false, "", "", "DLD");
        ligne("écraser une destination en lecture seule", 0, "copie", 1, true, "", "", "DAD");
        ligne("un dossier du même nom à la destination", 0, "dossier", 1, false, "", "", "DFD");
        // The consist cannot leave its folder: its copy goes again, and a
        // file it replaced comes back from the trash byte for byte.
        ligne("suppression refusée après la copie", 0, "suppression", 1, false, "", "", "DLD");
        ligne("suppression refusée, fichier remplacé", 0, "suppression", 1, true, "", "", "DAD");
        // Its temporary name once went past the system's limit.
        ligne("nom de 250 octets", 0, "nom long", 1, false, "", "", "DDD");
        // Rewritten in place (same inode, same size) while the overwrite question is open, or once the copy is made
        // with its date put back as some editors do: only its bytes tell. It stays, and is told.
        ligne("changé pendant la question", 0, "changé avant", 0, true, "", "", "D?D");
        ligne("changé pendant la copie, même date", 0, "changé après", 0, true, "", "", "D?D");
        // The replaced file goes to the trash whatever the rule.
        ligne("écraser", 0, "", 1, true, "", "", "DDD");
        ligne("si plus récent", 0, "", 2, true, "", "", "DDD");
        ligne("demander, oui", 0, "", 0, true, "", "O", "DDD");
        ligne("demander, oui pour tous", 0, "", 0, true, "", "T", "DDD");
        ligne("sans corbeille possible, oui", 0, "", 1, true, "impossible", "o", "DDD");
        ligne("sans corbeille possible, non", 0, "", 1, true, "impossible", "n", "DAD");
        ligne("demander, sans corbeille, non", 0, "", 0, true, "impossible", "On", "DAD");
        ligne("réglage sans corbeille", 0, "", 1, true, "réglage", "", "DDD");
    }

    // A consist made normal and then not moved gets its attributes back, byte
    // for byte. A copy that fails is told, its consist stays, and the others
    // move. The file a move replaces goes to the trash first, with the record
    // that puts it back; where there is no trash, it is lost only after the
    // user's yes, and No leaves both files as they were.
    void obstacles()
    {
        auto [attributs, panne, regle, ancien, corbeille, reponses, etats] =
            donnees<int, QString, int, bool, QString, QString, QString>("attributs", "panne", "regle", "ancien",
                                                                        "corbeille", "reponses", "etats");
        Scene s;
        if (corbeille == u"impossible")
            s.bac.ecrire(u"donnees"_s);
        else if (!corbeille.isEmpty())
            s.bac.reglages().ecrire(u"Options"_s, u"Corbeille"_s, u"False"_s);
        const QString milieu = panne == u"nom long" ? QString(246, u'a') + u".con"_s : u"Fret lourd.con"_s;
        const QStringList noms{u"0.con"_s, milieu, u"c.con"_s};
        s.consists(noms);
        const QString source = s.source(milieu);
        sf::definirAttributs(source, attributs);
        const auto etat = [&] {
            char v[64] = {};
            const ssize_t n = ::getxattr(QFile::encodeName(source).constData(), "user.DOSATTRIB", v, sizeof v);
            return QString::number(QFileInfo(source).permissions().toInt()) + u' ' +
                   QString::fromLatin1(v, qMax<ssize_t>(n, 0));
        };
        const QString avant = etat();
        if (ancien)
            s.existant(milieu, DateConsists.addDays(-1));
        const QString dedans = s.cible(milieu + u"/dedans.txt"_s);
        if (panne == u"dossier")
            s.bac.ecrire(dedans.mid(s.bac.chemin().size() + 1), "garde");
        if (panne == u"copie" || panne == u"suppression")
            sf::injecterPanne(panne == u"copie" ? sf::Operation::Copie : sf::Operation::Suppression,
                              (panne == u"copie" ? u"Vieux consists é/"_s : u"CONSISTS/"_s) + milieu, EACCES);
        s.choisir(regle);
        const QByteArray change = ("consist " + milieu.toUtf8()).toUpper();
        if (panne.startsWith(u"changé"))
            s.seam.quand<frmDemander>([&](frmDemander &q) {
                const auto reecrire = [&] {
                    QFile f(source);
                    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::ExistingOnly) && f.write(change) == change.size());
                };
                if (panne == u"changé avant")
                    reecrire();
                QTest::mouseClick(q.cmdOui, Qt::LeftButton);
                if (panne == u"changé après") {
                    reecrire();
                    Bac::dater(source, DateConsists);
                }
            });
        // Each message answered is the question about a protected consist,
        // or the one before a file the trash cannot take is lost.
        QList<Message> attendus;
        for (QChar r : reponses) {
            if (r.isUpper()) {
                s.repondre(QString(r));
                continue;
            }
            s.seam.repondre(r == u'o' ? Reponse::Oui : r == u't' ? Reponse::OuiATous : Reponse::Non);
            const QString texte = attributs ? s.M("Msg06") : remplacer(s.M("Msg150"), u"[reason]", s.M("Msg151"));
            attendus << Message{avecSautsDeLigne(remplacer(texte, u"[file]", milieu)),
                                attributs ? Boutons::OuiNon : Boutons::OuiTousNon,
                                attributs ? Icone::Question : Icone::Exclamation};
        }

        std::optional<LimiteTaille> plein;
        if (panne == u"disque plein")
            plein.emplace(16); // more than 0.con's and c.con's bytes, less than its own

        QCOMPARE(codeDeFin([&] { DeplacerConsists(*s.f); }), -1);

        const ErreurExecution e = panne == u"dossier" ? sf::erreurSysteme(EISDIR)
                                  : panne == u"disque plein"
                                      ? ErreurExecution(61, u"Disque plein ("_s + qt_error_string(EFBIG) + u')')
                                      : ErreurExecution(70);
        if (panne == u"suppression")
            attendus << s.critique(texteEchec(source, e) + u"\r\n\r\n"_s + s.rapport("Error50", milieu).texte);
        else if (panne == u"copie" || panne == u"dossier" || panne == u"disque plein")
            attendus << s.critique(texteEchec(source, e));
        else if (panne.startsWith(u"changé"))
            attendus << s.rapport("Error19", milieu);
        attendus << s.termine(etats.count(u'D'), 3 - etats.count(u'D'));
        QCOMPARE(s.seam.messages, attendus);
        QCOMPARE(s.etats(noms), etats);
        // In the trash only the file a copy replaced, with its record;
        // whatever else went there came back.
        const bool jete = ancien && etats[1] != u'A' && corbeille.isEmpty();
        const QString poubelle = s.bac.chemin(u"donnees/Trash/"_s);
        const auto filtre = QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden;
        QCOMPARE(QDir(poubelle + u"files"_s).entryList(filtre) + QDir(poubelle + u"info"_s).entryList(filtre),
                 (jete ? QStringList{milieu, milieu + u".trashinfo"_s} : QStringList{}));
        if (jete) {
            QCOMPARE(Bac::lire(poubelle + u"files/"_s + milieu), "ancien " + milieu.toUtf8());
            const QString info = QString::fromUtf8(Bac::lire(poubelle + u"info/"_s + milieu + u".trashinfo"_s));
            QVERIFY2(QUrl::fromPercentEncoding(info.toUtf8()).contains(u"Path="_s + s.cible(milieu)), qPrintable(info));
        }
        // No half-written file beside them, nothing set aside left behind.
        QCOMPARE(QDir(s.destination)
                     .entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System, QDir::Name),
                 (etats[1] == u'L' ? QStringList{noms[0], noms[2]} : noms));
        if (panne == u"dossier")
            QCOMPARE(Bac::lire(dedans), QByteArray("garde"));
        if (panne.startsWith(u"changé"))
            QCOMPARE(Bac::lire(source), change);
        if (attributs && etats[1] == u'D')
            QCOMPARE(sf::lireAttributs(s.cible(milieu)) & (sf::LectureSeule | sf::Cache), 0);
        else if (attributs)
            QCOMPARE(etat(), avant);
    }

    void annulation_data()
    {
        // maniere: how the destination dialog is left: 0 its Cancel button, 1 Escape, 2 the close box, 3 OK and
        // then the window's Cancel
        colonnes<int, QString>("maniere", "etats");
        QTest::newRow("dialogue, bouton Annuler") << 0 << u"LLL"_s;
        QTest::newRow("dialogue, Échap") << 1 << u"LLL"_s;
        QTest::newRow("dialogue, case de fermeture") << 2 << u"LLL"_s;
        // Stopped between two consists: the one in hand is moved whole, the others stay, and the counts say so.
        QTest::newRow("pendant le déplacement") << 3 << u"DLL"_s;
    }

    // Cancelling the dialog moves nothing; Cancel, shown while the move
    // runs, stops it.
    void annulation()
    {
        const auto [maniere, etats] = donnees<int, QString>("maniere", "etats");
        Scene s;
        const QStringList noms{u"a.con"_s, u"b.con"_s, u"c.con"_s};
        s.consists(noms);
        QString ouvert;
        s.seam.quand<frmDeplacerVers>([&](frmDeplacerVers &dv) {
            ouvert = dv.txtDeplacerVers->text();
            dv.CheDossier->definirChemin(s.destination);
            maniere == 0   ? QTest::mouseClick(dv.cmdAnnuler, Qt::LeftButton)
            : maniere == 1 ? QTest::keyClick(&dv, Qt::Key_Escape)
            : maniere == 2 ? void(dv.close())
                           : QTest::mouseClick(dv.cmdOK, Qt::LeftButton);
        });
        int tours = 0;
        // Counted from the first consist, the button shown.
        s.seam.pendantEvenements = [&] {
            if (!s.f->cmdAnnuler->isHidden() && ++tours == 2)
                s.f->cmdAnnuler->click();
        };

        DeplacerConsists(*s.f);

        // Opened on the home folder (the sandbox's), where the user may
        // write, with one final separator.
        QCOMPARE(ouvert, s.bac.chemin() + u'/');
        QCOMPARE(s.etats(noms), etats);
        QVERIFY(s.f->cmdAnnuler->isHidden());
        QVERIFY(Annule || maniere == 3);
        const Message fin{s.termine(1, 0).texte + u"\r\n\r\n"_s + s.M("Msg153")};
        QCOMPARE(s.seam.messages, maniere < 3 ? QList<Message>{} : QList<Message>{fin});
        QVERIFY(tours == 2 || maniere < 3);
    }

    void questionAvantDeSortir_data()
    {
        // services: that run a.con; horaire: a timetable's train runs it too; etats: of a.con and z.con, as etats()
        // gives them; toutes: every entry moves, only z.con selected
        colonnes<bool, int, bool, bool, QString, bool>("deplacer", "services", "horaire", "oui", "etats", "toutes");
        QTest::newRow("suppression, non") << false << 1 << false << false << u"LL"_s << false;
        QTest::newRow("suppression, oui") << false << 1 << false << true << u"?L"_s << false;
        QTest::newRow("déplacement, douze services et un horaire, non")
            << true << 12 << true << false << u"LL"_s << false;
        QTest::newRow("déplacement, dix lignes tout juste") << true << 10 << false << false << u"LL"_s << false;
        QTest::newRow("déplacement, onze lignes") << true << 10 << true << false << u"LL"_s << false;
        QTest::newRow("déplacement, oui") << true << 1 << false << true << u"DL"_s << false;
        QTest::newRow("un horaire seul, non") << true << 0 << true << false << u"LL"_s << false;
        QTest::newRow("aucun service") << true << 0 << false << false << u"DL"_s << false;
        QTest::newRow("toutes, celle qui n'est pas choisie aussi") << true << 1 << false << false << u"LL"_s << true;
    }

    // Before a consist leaves the consist folder, the services that run it
    // and how many activities run them, then the timetables whose trains run
    // it: ten at most, then how many more. No, the default, leaves the files
    // and the window as they were.
    void questionAvantDeSortir()
    {
        auto [deplacer, services, horaire, oui, etats, toutes] =
            donnees<bool, int, bool, bool, QString, bool>("deplacer", "services", "horaire", "oui", "etats", "toutes");
        Scene s;
        const QString route = u"MSTS/ROUTES/Côte/"_s;
        s.bac.ecrire(route + u"SERVICES/S00.srv"_s, utf16(u"Train_Config ( z )"_s));
        for (int i = 1; i <= services; ++i)
            s.bac.ecrire(route + u"SERVICES/S%1.srv"_s.arg(i, 2, 10, QLatin1Char('0')),
                         "Service_Definition (\r\n\tTrain_Config ( \"A\" )");
        s.bac.ecrire(route + u"ACTIVITIES/A1.act"_s, "Player_Service_Definition ( S01\nService_Definition ( S02 )");
        s.bac.ecrire(route + u"ACTIVITIES/A2.act"_s, utf16(u"Service_Definition ( \"s01\" )"_s));
        s.bac.ecrire(route + u"ACTIVITIES/OpenRails/Soir.timetable_or"_s,
                     horaire ? ";T1;T2\r\n#consist;loco + A $reverse;Z\r\n#path;p;p" : ";T1\r\n#consist;Z\r\n#path;p");
        s.consists({u"a.con"_s, u"z.con"_s}, {toutes ? 1 : 0});
        deplacer ? s.choisir(1, !toutes) : s.seam.repondre(Reponse::Oui);
        s.seam.repondre(oui ? Reponse::Oui : Reponse::Non);
        const QString avant = s.commandes() + s.f->lblInformations->text() + QString::number(s.f->pbJauge->maximum());
        // Only the selected entry goes, yet the bar runs over the whole list.
        // Until the end message shows, no command is enabled: one started while
        // the loop lets events run could work on the same files.
        QList<int> valeurs;
        bool retenues = true, fini = false;
        s.seam.avantMessage = [&](const Message &m) { fini = fini || m.texte.startsWith(s.M("Msg13")); };
        s.seam.pendantEvenements = [&] { retenues = retenues && (fini || s.commandes().startsWith(u"rdnmstxl foa")); };
        connect(s.f->pbJauge, &QProgressBar::valueChanged, s.f.get(), [&](int v) {
            if (!fini)
                valeurs << v;
        });

        deplacer ? DeplacerConsists(*s.f) : s.f->cmdSupprimer_Click();

        QStringList lignes{u"a.con : Côte / S01 (2 activités)"_s, u"a.con : Côte / S02 (1 activité)"_s};
        for (int i = 3; i <= services; ++i)
            lignes << u"a.con : Côte / S%1 (0 activités)"_s.arg(i, 2, 10, QLatin1Char('0'));
        lignes = lignes.mid(0, services);
        if (horaire)
            lignes << u"a.con : Côte / Soir.timetable_or (horaire)"_s;
        if (toutes)
            lignes << u"z.con : Côte / S00 (0 activités)"_s << u"z.con : Côte / Soir.timetable_or (horaire)"_s;
        if (lignes.size() > 10)
            lignes = lignes.mid(0, 10) << u"... et %1 de plus"_s.arg(lignes.size() - 10);
        const Message question{s.M("Msg91") + u"\r\n\r\n"_s + lignes.join(u"\r\n") + u"\r\n\r\n"_s + s.M("Msg95"),
                               Boutons::OuiNon, Icone::Exclamation, u"Corvanel"_s, true};
        QCOMPARE(s.seam.messages.contains(question), services > 0 || horaire);
        QCOMPARE(s.etats({u"a.con"_s, u"z.con"_s}), etats);
        QVERIFY(retenues);
        if (etats[0] == u'D')
            QCOMPARE(valeurs, (QList<int>{1, 2, 0}));
        if (!oui && (services > 0 || horaire)) {
            QCOMPARE(s.seam.messages.last(), question);
            QCOMPARE(s.commandes() + s.f->lblInformations->text() + QString::number(s.f->pbJauge->maximum()), avant);
        }
    }

    void verificationsDuOK_data()
    {
        // Error08 keeps the consists from being moved onto themselves, however the consist folder is written;
        // Error07 refuses "selected files" with nothing selected. ecriture: how DossierConsists is written, empty:
        // as it is; versConsists: the consist folder chosen, or another; cle: empty: accepted
        colonnes<QString, bool, bool, QList<int>, QString>("ecriture", "versConsists", "selectionSeule", "selection",
                                                           "cle");

        const QList<int> rien;
        QTest::newRow("autre casse") << "msts/Trains/consists/" << true << false << rien << "Error08";
        QTest::newRow("avec ..") << "MSTS/TRAINS/TRAINSET/../CONSISTS/" << true << false << rien << "Error08";
        QTest::newRow("sans séparateur final") << "MSTS/TRAINS/CONSISTS" << true << false << rien << "Error08";
        QTest::newRow("dossier voisin") << "MSTS/TRAINS/CONSISTS2/" << true << false << rien << QString();
        QTest::newRow("sélection seule, rien de choisi") << QString() << false << true << rien << "Error07";
        QTest::newRow("toutes, rien de choisi") << QString() << false << false << rien << QString();
        QTest::newRow("sélection seule, une entrée") << QString() << false << true << QList<int>{1} << QString();
        QTest::newRow("le dossier des consists d'abord") << QString() << true << true << rien << "Error08";
        QTest::newRow("dossier où rien ne s'écrit") << QString() << false << false << rien << "Error20";
    }

    void verificationsDuOK()
    {
        auto [ecriture, versConsists, selectionSeule, selection, cle] =
            donnees<QString, bool, bool, QList<int>, QString>("ecriture", "versConsists", "selectionSeule", "selection",
                                                              "cle");
        Scene s;
        const QString consists = DossierConsists, ailleurs = s.bac.creerDossier(u"MSTS/TRAINS/CONSISTS2"_s);
        if (!ecriture.isEmpty())
            DossierConsists = s.bac.chemin() + u"/"_s + ecriture;
        if (cle == u"Error20")
            sf::injecterPanne(sf::Operation::Ecriture, ailleurs, EACCES);
        s.lister({u"a.con"_s, u"b.con"_s}, selection);
        Annule = true;
        frmDeplacerVers dv(*s.f);
        dv.show();
        QVERIFY(dv.CheDossier->definirChemin(versConsists ? consists : ailleurs));
        if (selectionSeule)
            dv.optFichiers[0]->click();
        QTest::mouseClick(dv.cmdOK, Qt::LeftButton);
        Message refus = s.erreur(cle.isEmpty() ? u"Error08"_s : cle);
        if (cle == u"Error20")
            refus.texte =
                remplacer(refus.texte, u"[folder]", ailleurs + u'/') + u"\r\n\r\n"_s + qt_error_string(EACCES);
        QCOMPARE(s.seam.messages, cle.isEmpty() ? QList<Message>{} : QList<Message>{refus});
        // Refused: the dialog stays open as it was.
        QCOMPARE(dv.isVisible(), !cle.isEmpty());
        QCOMPARE(Annule, !cle.isEmpty());
        QCOMPARE(dv.optFichiers[0]->isChecked(), selectionSeule);
    }

    void choixDuDossier_data()
    {
        // liste: typed in the folder list, then Enter, else in the new-folder dialog, then OK; cle: the refusal;
        // empty: made; EACCES: the system's; affiche: the new folder's box after OK, or the folder open after Enter
        // (empty: nothing begins so, Enter is OK)
        colonnes<bool, QString, QString, QString>("liste", "saisie", "cle", "affiche");
        QTest::newRow("blancs autour enlevés") << false << u"  Old  "_s << QString() << u"Old"_s;
        QTest::newRow("blancs seulement") << false << u"   "_s << u"Error12"_s << QString();
        QTest::newRow("barre oblique") << false << u" a/b "_s << u"Error13"_s << u"a/b"_s;
        for (const char16_t c : {u'"', u'\\', u':', u'?', u'<', u'>', u'*', u'\u00A6'}) {
            const QString nom = u"x"_s + QChar(c) + u'y';
            QTest::newRow(qPrintable(u"caractère "_s + QChar(c))) << false << nom << "Error13" << nom;
        }
        QTest::newRow("dossier existant") << false << u"Existant"_s << u"Error06"_s << "Existant";
        // Told with its path, and the program goes on.
        QTest::newRow("refusé par le système") << false << u"Neuf"_s << u"EACCES"_s << u"Neuf"_s;
        QTest::newRow("liste, premières lettres") << true << u"tm"_s << QString() << u"tmp"_s;
        QTest::newRow("liste, sans égard à la casse") << true << u"TR"_s << QString() << u"Trains"_s;
        QTest::newRow("liste, rien ne commence ainsi") << true << u"zz"_s << QString() << QString();
    }

    // A new folder is made under the folder shown and chosen at once;
    // refused, the dialog stays open with the name trimmed, and nothing is
    // made. Typing in the list highlights the first folder the text begins;
    // Enter opens it, and only Enter on the open folder accepts it.
    void choixDuDossier()
    {
        auto [liste, saisie, cle, affiche] =
            donnees<bool, QString, QString, QString>("liste", "saisie", "cle", "affiche");
        Scene s;
        for (const QString &d : liste ? QStringList{"alpha", "tmp", "tmpx", "Trains"} : QStringList{"Existant"})
            s.bac.creerDossier(u"Vieux consists é/"_s + d);
        if (cle == u"EACCES")
            sf::injecterPanne(sf::Operation::CreationDossier, u"/Neuf"_s, EACCES);
        frmDeplacerVers dv(*s.f);
        dv.show();
        QVERIFY(dv.CheDossier->definirChemin(s.destination));
        if (liste) {
            QTest::keyClicks(dv.CheDossier, saisie);
            QTest::keyClick(dv.CheDossier, Qt::Key_Return);
            QCOMPARE(dv.txtDeplacerVers->text(), affiche.isEmpty() ? s.destination : s.cible(affiche + u'/'));
            QCOMPARE(dv.isVisible(), !affiche.isEmpty());
            return;
        }
        QString vu;
        bool ouvert = false;
        s.seam.quand<frmNouveauDossier>([&](frmNouveauDossier &nd) {
            QTest::keyClicks(nd.txtNouveauDossier, saisie);
            QTest::mouseClick(nd.cmdOK, Qt::LeftButton);
            vu = nd.txtNouveauDossier->text();
            ouvert = nd.isVisible();
        });
        QCOMPARE(codeDeFin([&] { QTest::mouseClick(dv.cmdNouveauDossier, Qt::LeftButton); }), -1);

        Message attendu = cle == u"EACCES"
                              ? s.critique(s.cible(u"Neuf"_s) + u"\r\n\r\nErreur n° 70. Permission refusée."_s)
                              : s.erreur(cle.isEmpty() ? u"Error06"_s : cle);
        if (cle == u"Error13")
            attendu.texte += u"\r\n\r\n / \\ : ? < > * ¦ \""_s;
        QCOMPARE(s.seam.messages, cle.isEmpty() ? QList<Message>{} : QList<Message>{attendu});
        QCOMPARE(vu, affiche);
        QCOMPARE(ouvert, !cle.isEmpty());
        QCOMPARE(QDir(s.destination).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
                 (cle.isEmpty() ? QStringList{"Existant", "Old"} : QStringList{"Existant"}));
        QCOMPARE(dv.txtDeplacerVers->text(), cle.isEmpty() ? s.cible(u"Old/"_s) : s.destination);
    }
};

QTEST_MAIN(TstDeplacement)
#include "tst_deplacement.moc"
