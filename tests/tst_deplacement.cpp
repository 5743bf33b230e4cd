// The move command from the main window, on real consist and destination
// folders: every rule for a file already at the destination, the questions,
// the progress bar, and the failures that end the program. Whatever happens,
// each consist must end up in the consist folder or at the destination.
#include "app/ErreurExecution.h"
#include "app/Interaction.h"
#include "app/modDeclarations.h"
#include "fileops/SystemeFichiers.h"
#include "fileops/frmDemander.h"
#include "fileops/frmDeplacerVers.h"
#include "localisation/LireLangue.h"
#include "support/Bac.h"
#include "support/InteractionScriptee.h"
#include "ui/Commandes.h"
#include "ui/ListeDossiers.h"
#include "ui/frmCorvanel.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QtTest>

#include <cerrno>

using namespace corvanel;
using namespace corvanel::test;

namespace {

const QDateTime DateConsists(QDate(2010, 1, 1), QTime(12, 0, 0, 900));

QByteArray contenu(const QString &chemin)
{
    QFile f(chemin);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

bool dater(const QString &chemin, const QDateTime &date)
{
    QFile f(chemin);
    return f.open(QIODevice::Append) && f.setFileTime(date, QFileDevice::FileModificationTime);
}

QString messageTermine()
{
    return texte(QStringLiteral("Messages"), QStringLiteral("Msg13"));
}

QString rapportAttendu(int numero)
{
    return QString::fromUtf8("Erreur n° ") + QString::number(numero) + QStringLiteral(". ")
        + ErreurExecution::descriptionFrancaise(numero)
        + QString::fromUtf8(".\r\n\r\nSi le problème persiste, veuillez contacter l'auteur du programme.");
}

struct Question {
    std::int64_t compteur;
    QString libelle;
};

// One game folder, one destination folder, the main window, the scripted seam.
struct Scene {
    Bac bac;
    InteractionScriptee seam;
    QString destination;
    std::unique_ptr<frmCorvanel> f;
    QList<Question> questions;
    QStringList problemes;

    Scene()
    {
        bac.preparerProgramme();
        bac.utiliserLangue(QStringLiteral("crv-1.0.7-french.lng"));
        Bac::utiliserJeu(bac.creerJeu());
        destination = bac.creerDossier(QString::fromUtf8("Vieux consists é")) + u'/';
        f = std::make_unique<frmCorvanel>();
    }
    ~Scene() { sf::retirerPannes(); }

    QString source(const QString &nom) const { return DossierConsists + nom; }
    QString cible(const QString &nom) const { return destination + nom; }

    void ecrireDate(const QString &relatif, const QByteArray &octets, const QDateTime &date)
    {
        if (!dater(bac.ecrire(relatif, octets), date))
            problemes << QStringLiteral("cannot date ") + relatif;
    }
    void consist(const QString &nom, const QDateTime &date = DateConsists)
    {
        ecrireDate(QStringLiteral("MSTS/TRAINS/CONSISTS/") + nom, "consist " + nom.toUtf8(), date);
    }
    void existant(const QString &nom, const QDateTime &date)
    {
        ecrireDate(QString::fromUtf8("Vieux consists é/") + nom, "ancien " + nom.toUtf8(), date);
    }
    // The scan is not under test here: the list is filled as it would be.
    void lister(const QStringList &noms, const QList<int> &selection = {})
    {
        f->lstLFI->addItems(noms);
        for (int i : selection)
            f->lstLFI->item(i)->setSelected(true);
        f->lstLFI->setEnabled(true);
    }

    // Scripts the destination dialog: folder, entries, rule, then OK.
    void choisir(int regle, bool selectionSeule = false, const QString &dossier = {})
    {
        const QString d = dossier.isEmpty() ? destination : dossier;
        seam.quandDialogue([this, regle, selectionSeule, d](QDialog &dialogue) {
            auto &dv = dynamic_cast<frmDeplacerVers &>(dialogue);
            if (!dv.CheDossier->definirChemin(d))
                problemes << QStringLiteral("cannot open ") + d;
            if (selectionSeule)
                dv.optFichiers[0]->click();
            dv.optFichierExiste[regle]->click();
            QTest::mouseClick(dv.cmdOK, Qt::LeftButton);
            return dv.result();
        });
    }

    // Scripts one overwrite confirmation: O yes, T yes to all, N no, S no to
    // all, F the frame's close box.
    void repondre(QChar reponse)
    {
        seam.quandDialogue([this, reponse](QDialog &dialogue) {
            auto &q = dynamic_cast<frmDemander &>(dialogue);
            questions.append({Compteur, q.lbl1->text()});
            switch (reponse.unicode()) {
            case u'O': QTest::mouseClick(q.cmdOui, Qt::LeftButton); break;
            case u'T': QTest::mouseClick(q.cmdOuiTous, Qt::LeftButton); break;
            case u'N': QTest::mouseClick(q.cmdNon, Qt::LeftButton); break;
            case u'S': QTest::mouseClick(q.cmdNonTous, Qt::LeftButton); break;
            default: q.close(); break;
            }
            return q.result();
        });
    }

    // Each consist is in one place or the other, whole.
    bool rienPerdu(const QStringList &noms) const
    {
        for (const QString &nom : noms) {
            const QByteArray attendu = "consist " + nom.toUtf8();
            if (contenu(source(nom)) != attendu && contenu(cible(nom)) != attendu)
                return false;
        }
        return true;
    }
    bool deplace(const QString &nom) const
    {
        return !QFile::exists(source(nom)) && contenu(cible(nom)) == "consist " + nom.toUtf8();
    }
    bool laisse(const QString &nom) const { return contenu(source(nom)) == "consist " + nom.toUtf8(); }
};

} // namespace

class TstDeplacement : public QObject {
    Q_OBJECT

private slots:
    void fichierExistant_data();
    void fichierExistant();
    void consistProtege_data();
    void consistProtege();
    void consistDisparuPasseSansMessage();
    void jaugeEtCommandesRetenues_data();
    void jaugeEtCommandesRetenues();
    void echecFatal_data();
    void echecFatal();
    void dossierDeDestinationDisparu();
    void copieGardeLaDate_data();
    void copieGardeLaDate();
    void destinationQuiEstLeDossierDesConsists();
};

void TstDeplacement::fichierExistant_data()
{
    // a.con and c.con have a namesake at the destination, b.con has none.
    QTest::addColumn<int>("regle");
    QTest::addColumn<QString>("reponses");
    QTest::addColumn<int>("ecart"); // the destination's date against the consist's
    QTest::addColumn<bool>("aRemplace");
    QTest::addColumn<bool>("cRemplace");

    const int plusAncien = -1, memeSeconde = 0, plusRecent = 1;
    QTest::newRow("écraser") << 1 << QString() << plusAncien << true << true;
    QTest::newRow("écraser une destination plus récente") << 1 << QString() << plusRecent << true << true;
    QTest::newRow("si plus récent, consist plus récent") << 2 << QString() << plusAncien << true << true;
    QTest::newRow("si plus récent, même seconde") << 2 << QString() << memeSeconde << false << false;
    QTest::newRow("si plus récent, destination plus récente") << 2 << QString() << plusRecent << false << false;
    QTest::newRow("passer") << 3 << QString() << plusAncien << false << false;
    QTest::newRow("demander, Oui, Oui") << 0 << QStringLiteral("OO") << plusAncien << true << true;
    QTest::newRow("demander, Oui pour tous") << 0 << QStringLiteral("T") << plusRecent << true << true;
    QTest::newRow("demander, Non, Non") << 0 << QStringLiteral("NN") << plusAncien << false << false;
    QTest::newRow("demander, Non pour tous") << 0 << QStringLiteral("S") << plusAncien << false << false;
    QTest::newRow("demander, fermé par le cadre") << 0 << QStringLiteral("FF") << plusAncien << false << false;
    QTest::newRow("demander, Oui puis Non") << 0 << QStringLiteral("ON") << plusAncien << true << false;
    QTest::newRow("demander, Non puis Oui pour tous") << 0 << QStringLiteral("NT") << plusAncien << false << true;
}

void TstDeplacement::fichierExistant()
{
    QFETCH(int, regle);
    QFETCH(QString, reponses);
    QFETCH(int, ecart);
    QFETCH(bool, aRemplace);
    QFETCH(bool, cRemplace);

    Scene s;
    const QStringList noms{QStringLiteral("a.con"), QStringLiteral("b.con"), QStringLiteral("c.con")};
    for (const QString &nom : noms)
        s.consist(nom);
    // Same second as the consists, yet earlier by 800 ms: not newer.
    const QDateTime dateExistants = ecart == 0 ? QDateTime(QDate(2010, 1, 1), QTime(12, 0, 0, 100))
                                               : DateConsists.addSecs(ecart * 3600);
    s.existant(noms[0], dateExistants);
    s.existant(noms[2], dateExistants);
    s.lister(noms);
    s.choisir(regle);
    for (QChar r : reponses)
        s.repondre(r);

    DeplacerConsists(*s.f);

    QVERIFY2(s.problemes.isEmpty(), qPrintable(s.problemes.join(u'\n')));
    QVERIFY(s.rienPerdu(noms));
    QVERIFY(s.deplace(noms[1]));
    QCOMPARE(s.deplace(noms[0]), aRemplace);
    QCOMPARE(s.deplace(noms[2]), cRemplace);
    if (!aRemplace) {
        QVERIFY(s.laisse(noms[0]));
        QCOMPARE(contenu(s.cible(noms[0])), QByteArray("ancien a.con"));
    }
    if (!cRemplace) {
        QVERIFY(s.laisse(noms[2]));
        QCOMPARE(contenu(s.cible(noms[2])), QByteArray("ancien c.con"));
    }

    // One question per existing file until Yes to all or No to all, each
    // about the entry the loop stands on.
    QCOMPARE(s.seam.dialoguesMontres, 1 + reponses.size());
    QCOMPARE(s.questions.size(), reponses.size());
    const std::int64_t indices[] = {0, 2};
    for (qsizetype i = 0; i < s.questions.size(); ++i) {
        QCOMPARE(s.questions[i].compteur, indices[i]);
        QVERIFY(s.questions[i].libelle.contains(noms[indices[i]]));
    }
    QCOMPARE(s.seam.messages,
             (QList<Message>{{messageTermine(), Boutons::OK, Icone::Information, QStringLiteral("Corvanel")}}));
}

void TstDeplacement::consistProtege_data()
{
    QTest::addColumn<int>("attributs");
    QTest::addColumn<bool>("oui");
    QTest::newRow("lecture seule, Oui") << int(sf::LectureSeule) << true;
    QTest::newRow("lecture seule, Non") << int(sf::LectureSeule) << false;
    QTest::newRow("caché, Oui") << int(sf::Cache) << true;
    QTest::newRow("caché, Non") << int(sf::Cache) << false;
    QTest::newRow("les deux, une seule question") << int(sf::LectureSeule | sf::Cache) << true;
}

void TstDeplacement::consistProtege()
{
    QFETCH(int, attributs);
    QFETCH(bool, oui);
    Scene s;
    const QString protege = QStringLiteral("Fret lourd.con");
    const QString suivant = QStringLiteral("b.con");
    s.consist(protege);
    s.consist(suivant);
    sf::definirAttributs(s.source(protege), attributs);
    s.lister({protege, suivant});
    s.choisir(1);
    s.seam.repondre(oui ? Reponse::Oui : Reponse::Non);

    DeplacerConsists(*s.f);

    QCOMPARE(s.seam.messages.size(), 2);
    QCOMPARE(s.seam.messages[0],
             (Message{QString::fromUtf8("Le fichier « Fret lourd.con » est en lecture seule ou caché.\r\n\r\n"
                                        "Voulez-vous le rendre normal afin de pouvoir le supprimer ou le déplacer ?"),
                      Boutons::OuiNon, Icone::Question, QStringLiteral("Corvanel")}));
    QCOMPARE(s.seam.messages[1].texte, messageTermine());
    QVERIFY(s.rienPerdu({protege, suivant}));
    QVERIFY(s.deplace(suivant));
    if (oui) {
        QVERIFY(s.deplace(protege));
        QCOMPARE(sf::lireAttributs(s.cible(protege)) & (sf::LectureSeule | sf::Cache), 0);
    } else {
        QVERIFY(s.laisse(protege));
        QVERIFY(!QFile::exists(s.cible(protege)));
        QCOMPARE(sf::lireAttributs(s.source(protege)) & (sf::LectureSeule | sf::Cache), attributs);
    }
}

void TstDeplacement::consistDisparuPasseSansMessage()
{
    Scene s;
    s.consist(QStringLiteral("a.con"));
    s.consist(QStringLiteral("c.con"));
    s.lister({QStringLiteral("a.con"), QStringLiteral("disparu.con"), QStringLiteral("c.con")});
    s.choisir(1);
    DeplacerConsists(*s.f);
    QVERIFY(s.deplace(QStringLiteral("a.con")));
    QVERIFY(s.deplace(QStringLiteral("c.con")));
    QVERIFY(!QFile::exists(s.cible(QStringLiteral("disparu.con"))));
    QCOMPARE(s.seam.messages.size(), 1);
    QCOMPARE(s.seam.messages[0].texte, messageTermine());
}

void TstDeplacement::jaugeEtCommandesRetenues_data()
{
    QTest::addColumn<bool>("selectionSeule");
    QTest::addColumn<QList<int>>("selection");
    QTest::addColumn<QList<int>>("deplaces");
    QTest::newRow("toutes les entrées, aucune sélectionnée") << false << QList<int>{} << QList<int>{0, 1, 2, 3};
    QTest::newRow("entrées 0 et 2 sélectionnées") << true << QList<int>{0, 2} << QList<int>{0, 2};
}

void TstDeplacement::jaugeEtCommandesRetenues()
{
    QFETCH(bool, selectionSeule);
    QFETCH(QList<int>, selection);
    QFETCH(QList<int>, deplaces);
    Scene s;
    const QStringList noms{QStringLiteral("Train 0.con"), QStringLiteral("Train 1.con"), QStringLiteral("Train 2.con"),
                           QStringLiteral("Train 3.con")};
    for (const QString &nom : noms)
        s.consist(nom);
    s.lister(noms, selection);
    s.choisir(1, selectionSeule);

    // Watched while the loop runs, that is until the end message shows.
    QList<int> auxEvenements;
    QList<std::int64_t> compteurs;
    QList<int> valeurs;
    int maximum = -1;
    bool retenues = true;
    QString statut;
    frmCorvanel &f = *s.f;
    s.seam.pendantEvenements = [&] {
        if (!s.seam.messages.isEmpty())
            return;
        auxEvenements << f.pbJauge->value();
        compteurs << Compteur;
        maximum = f.pbJauge->maximum();
        statut = f.lblInformations->text();
        const QList<QWidget *> commandes{f.cmdRechercher, f.cmdRapportDetaille, f.cmdNettoyer, f.cmdDeplacerVers,
                                         f.cmdSupprimer, f.cmdSelectionner[0], f.cmdSelectionner[1], f.lstLFI};
        for (const QWidget *w : commandes)
            retenues = retenues && !w->isEnabled();
        retenues = retenues && !frmCorvanel::menuActif(f.mnuFichier) && !frmCorvanel::menuActif(f.mnuOutils)
            && !frmCorvanel::menuActif(f.mnuAide) && !f.mnuEnregistrerListe->isEnabled();
    };
    connect(f.pbJauge, &QProgressBar::valueChanged, &f, [&](int v) {
        if (s.seam.messages.isEmpty())
            valeurs << v;
    });

    DeplacerConsists(f);

    QCOMPARE(auxEvenements, (QList<int>{0, 1, 2, 3}));
    QCOMPARE(compteurs, (QList<std::int64_t>{0, 1, 2, 3}));
    QCOMPARE(maximum, 4);
    QCOMPARE(valeurs, (QList<int>{1, 2, 3, 4, 0}));
    QVERIFY(retenues);
    QCOMPARE(statut, QStringLiteral(" \n") + texte(QStringLiteral("Messages"), QStringLiteral("Msg12")));
    for (int i = 0; i < noms.size(); ++i) {
        if (deplaces.contains(i))
            QVERIFY2(s.deplace(noms[i]), qPrintable(noms[i]));
        else
            QVERIFY2(s.laisse(noms[i]) && !QFile::exists(s.cible(noms[i])), qPrintable(noms[i]));
    }
    QCOMPARE(s.seam.messages.size(), 1);
}

void TstDeplacement::echecFatal_data()
{
    // The list is 0.con, a.con, c.con; the failure strikes a.con.
    QTest::addColumn<int>("regle");
    QTest::addColumn<QString>("reponses");
    QTest::addColumn<bool>("aExiste"); // a.con already at the destination
    QTest::addColumn<int>("operation");
    QTest::addColumn<QString>("fragment");
    QTest::addColumn<int>("err");
    QTest::addColumn<qint64>("apresOctets");
    QTest::addColumn<int>("numero");
    QTest::addColumn<QByteArray>("aALaDestination"); // empty: no file there

    const QString cibleA = QString::fromUtf8("Vieux consists é/a.con");
    const int copie = int(sf::Operation::Copie);
    QTest::newRow("écraser une destination en lecture seule")
        << 1 << QString() << true << copie << cibleA << EACCES << qint64(-1) << 70 << QByteArray("ancien a.con");
    QTest::newRow("Oui sur une destination en lecture seule")
        << 0 << QStringLiteral("O") << true << copie << cibleA << EACCES << qint64(-1) << 70
        << QByteArray("ancien a.con");
    QTest::newRow("disque plein en cours de copie")
        << 1 << QString() << false << copie << cibleA << ENOSPC << qint64(4) << 61 << QByteArray();
    QTest::newRow("suppression refusée après la copie")
        << 1 << QString() << false << int(sf::Operation::Suppression) << QStringLiteral("CONSISTS/a.con") << EACCES
        << qint64(-1) << 70 << QByteArray("consist a.con");
}

void TstDeplacement::echecFatal()
{
    QFETCH(int, regle);
    QFETCH(QString, reponses);
    QFETCH(bool, aExiste);
    QFETCH(int, operation);
    QFETCH(QString, fragment);
    QFETCH(int, err);
    QFETCH(qint64, apresOctets);
    QFETCH(int, numero);
    QFETCH(QByteArray, aALaDestination);

    Scene s;
    const QStringList noms{QStringLiteral("0.con"), QStringLiteral("a.con"), QStringLiteral("c.con")};
    for (const QString &nom : noms)
        s.consist(nom);
    if (aExiste)
        s.existant(noms[1], DateConsists.addDays(-1));
    s.lister(noms);
    s.choisir(regle);
    for (QChar r : reponses)
        s.repondre(r);
    sf::injecterPanne(static_cast<sf::Operation>(operation), fragment, err, apresOctets);

    QCOMPARE(codeDeFin([&] { DeplacerConsists(*s.f); }), 1);

    QCOMPARE(s.seam.messages,
             (QList<Message>{{rapportAttendu(numero), Boutons::OK, Icone::Critique, QStringLiteral("Corvanel")}}));
    QVERIFY(s.rienPerdu(noms));
    // Moved before the failure; untouched after it.
    QVERIFY(s.deplace(noms[0]));
    QVERIFY(s.laisse(noms[2]));
    QVERIFY(!QFile::exists(s.cible(noms[2])));
    // The consist that failed is still in the consist folder.
    QVERIFY(s.laisse(noms[1]));
    QCOMPARE(contenu(s.cible(noms[1])), aALaDestination);
    QCOMPARE(QFile::exists(s.cible(noms[1])), !aALaDestination.isEmpty());
    // No half-written file beside them.
    QStringList attendus{noms[0]};
    if (!aALaDestination.isEmpty())
        attendus << noms[1];
    QCOMPARE(QDir(s.destination).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name), attendus);
}

void TstDeplacement::dossierDeDestinationDisparu()
{
    Scene s;
    s.consist(QStringLiteral("a.con"));
    s.lister({QStringLiteral("a.con")});
    const QString ephemere = s.bac.creerDossier(QStringLiteral("Ephemere")) + u'/';
    s.seam.quandDialogue([&](QDialog &d) {
        auto &dv = dynamic_cast<frmDeplacerVers &>(d);
        dv.CheDossier->definirChemin(ephemere);
        // Removed by someone else while the dialog was open.
        QDir(ephemere).removeRecursively();
        QTest::mouseClick(dv.cmdOK, Qt::LeftButton);
        return dv.result();
    });
    QCOMPARE(codeDeFin([&] { DeplacerConsists(*s.f); }), 1);
    QCOMPARE(s.seam.messages.size(), 1);
    QCOMPARE(s.seam.messages[0].icone, Icone::Critique);
    QVERIFY(s.seam.messages[0].texte.startsWith(QString::fromUtf8("Erreur n° ")));
    QVERIFY(s.laisse(QStringLiteral("a.con")));
}

void TstDeplacement::copieGardeLaDate_data()
{
    QTest::addColumn<bool>("ecrasement");
    QTest::newRow("nouveau fichier") << false;
    QTest::newRow("fichier écrasé") << true;
}

void TstDeplacement::copieGardeLaDate()
{
    QFETCH(bool, ecrasement);
    Scene s;
    const QDateTime ancienne(QDate(2003, 5, 1), QTime(10, 20, 30));
    s.consist(QStringLiteral("a.con"), ancienne);
    if (ecrasement)
        s.existant(QStringLiteral("a.con"), QDateTime::currentDateTime());
    s.lister({QStringLiteral("a.con")});
    s.choisir(1);
    DeplacerConsists(*s.f);
    QVERIFY(s.deplace(QStringLiteral("a.con")));
    // Otherwise a later "overwrite if newer" would see every moved consist
    // as changed today.
    QCOMPARE(QFileInfo(s.cible(QStringLiteral("a.con"))).lastModified().toSecsSinceEpoch(),
             ancienne.toSecsSinceEpoch());
}

void TstDeplacement::destinationQuiEstLeDossierDesConsists()
{
    // A link to the consist folder passes the dialog's check, which compares
    // path texts; copying each consist over itself and deleting it would
    // lose them all.
    Scene s;
    const QString lien = s.bac.chemin(QStringLiteral("Lien vers les consists"));
    QVERIFY(QFile::link(QDir::cleanPath(DossierConsists), lien));
    const QStringList noms{QStringLiteral("a.con"), QStringLiteral("b.con")};
    for (const QString &nom : noms)
        s.consist(nom);
    s.lister(noms);
    s.choisir(1, false, lien);
    DeplacerConsists(*s.f);
    for (const QString &nom : noms)
        QVERIFY2(s.laisse(nom), qPrintable(nom));
    QCOMPARE(s.seam.messages.size(), 1);
    QCOMPARE(s.seam.messages[0].texte, messageTermine());
}

QTEST_MAIN(TstDeplacement)
#include "tst_deplacement.moc"
