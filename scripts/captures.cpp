// Renders the main window, its menus and every dialog to PNG files, offscreen,
// so the windows can be reviewed in any language without a display.
// Usage: corvanel-captures [--doc] OUTDIR [LANGUAGE-FILE]
// --doc: the pictures of the help documents, each window once as a user sees
// it: no menus, no review variants (their names hold a hyphen).
#include "analysis/Ecriture.h"
#include "analysis/frmManquants.h"
#include "analysis/frmRapportDetaille.h"
#include "analysis/frmRoutes.h"
#include "app/Demo.h"
#include "app/frmParcourir1.h"
#include "commun/Interaction.h"
#include "commun/Reglages.h"
#include "fileops/frmDemander.h"
#include "fileops/frmDeplacerVers.h"
#include "fileops/frmNouveauDossier.h"
#include "fileops/frmProprietesFichier.h"
#include "localisation/ChoixLangue.h"
#include "localisation/LireLangue.h"
#include "localisation/TraductionsQt.h"
#include "platform/Texte.h"
#include "ui/Aide.h"
#include "ui/ListeDossiers.h"
#include "ui/frmParcourir2.h"

#include "app/modSubMain.h"
#include "commun/modDeclarations.h"
#include "platform/Chemins.h"
#include "ui/Geometrie.h"
#include "ui/InteractionQt.h"
#include "ui/frmCorvanel.h"
#include <QFileDialog>
#include <QMessageBox>

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QProgressBar>
#include <QStyleFactory>
#include <QTableView>
#include <QTemporaryDir>
#include <QTreeWidget>

#include <cstdio>
#include <cstring>
#include <functional>
#include <optional>

using namespace corvanel;

namespace {

QString g_sortie;
bool g_doc = false;

void enregistrer(QWidget &w, const QString &nom)
{
    if (g_doc && nom.contains(u'-'))
        return;
    w.adjustSize();
    w.show();
    QCoreApplication::processEvents();
    const QString chemin = g_sortie + u'/' + nom + QStringLiteral(".png");
    // A plain frame with the title, since offscreen windows have no decoration.
    const QPixmap contenu = w.grab();
    const int barre = 22;
    QPixmap image(contenu.width() + 2, contenu.height() + barre + 1);
    image.fill(QColor(0x40, 0x40, 0x40));
    QPainter p(&image);
    p.fillRect(1, 1, contenu.width(), barre - 1, QColor(0x1f, 0x4e, 0x9a));
    p.setPen(Qt::white);
    p.setFont(policeFenetres(true));
    p.drawText(QRect(8, 1, contenu.width() - 8, barre - 1), Qt::AlignVCenter | Qt::AlignLeft, w.windowTitle());
    p.drawPixmap(1, barre, contenu);
    p.end();
    if (!image.save(chemin))
        std::fprintf(stderr, "cannot write %s\n", qPrintable(chemin));
    else
        std::printf("%s\n", qPrintable(chemin));
}

void enregistrerMenu(QMenu *menu, const QString &nom)
{
    if (g_doc)
        return;
    menu->popup(QPoint(0, 0));
    QCoreApplication::processEvents();
    menu->grab().save(g_sortie + u'/' + nom + QStringLiteral(".png"));
    std::printf("%s\n", qPrintable(g_sortie + u'/' + nom + QStringLiteral(".png")));
    menu->hide();
}

// Real dialogs, except the messages a picture is made of while a command
// runs: those are drawn and answered without waiting for anyone.
class InteractionCaptures : public InteractionQt {
public:
    std::function<std::optional<Reponse>(const Message &)> intercepter;
    Reponse message(const Message &m) override
    {
        if (intercepter) {
            if (const auto r = intercepter(m))
                return *r;
        }
        return InteractionQt::message(m);
    }
};

// A route whose evening service runs `consist`, with an activity that runs
// that service, in UTF-16 as the game's editors write them.
void ecrireRoute(const QString &jeu, const QString &consist)
{
    const auto ecrire = [](const QString &chemin, const QString &texte) {
        QDir().mkpath(QFileInfo(chemin).absolutePath());
        QFile f(chemin);
        if (f.open(QIODevice::WriteOnly))
            f.write(QByteArray("\xff\xfe") +
                    QByteArray(reinterpret_cast<const char *>(texte.utf16()), texte.size() * 2));
    };
    const QString route = jeu + QStringLiteral("ROUTES/Vosges/");
    ecrire(route + QStringLiteral("SERVICES/Express du soir.srv"),
           QStringLiteral("SIMISA@@@@@@@@@@JINX0v0t______\r\n\r\nService_Definition (\r\n"
                          "\tServiceName ( \"Express du soir\" )\r\n\tTrain_Config ( \"%1\" )\r\n)\r\n")
               .arg(consist));
    for (const QString &activite : {QStringLiteral("Soirée à Saint-Dié"), QStringLiteral("Dernier train")})
        ecrire(route + QStringLiteral("ACTIVITIES/") + activite + QStringLiteral(".act"),
               QStringLiteral("SIMISA@@@@@@@@@@JINX0a0t______\r\n\r\nTr_Activity (\r\n"
                              "\tPlayer_Service_Definition ( \"Express du soir\" )\r\n)\r\n"));
    // An Open Rails timetable whose evening train runs it too.
    ecrire(route + QStringLiteral("ACTIVITIES/OpenRails/Semaine.timetable_or"),
           QStringLiteral(";Matin;Soir\r\n#consist;CRV_Light_Engine;%1 $reverse\r\n#path;Aller;Retour\r\n"
                          "#start;07:10;18:40\r\n")
               .arg(consist));
}

} // namespace

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    QApplication::setFont(policeFenetres());
    g_doc = argc > 1 && std::strcmp(argv[1], "--doc") == 0;
    if (g_doc) {
        --argc;
        ++argv;
    }
    if (argc < 2) {
        std::fprintf(stderr, "usage: corvanel-captures [--doc] OUTDIR [LANGUAGE-FILE]\n");
        return 2;
    }
    g_sortie = QFileInfo(QString::fromLocal8Bit(argv[1])).absoluteFilePath();
    QDir().mkpath(g_sortie);

    InteractionCaptures seam;
    definirInteraction(&seam);
    QTemporaryDir temp;
    Reglages store(temp.filePath(QStringLiteral("Corvanel.ini")));
    definirReglages(&store);

    DossierAppli = dossierProgramme();
    FichierLangue = argc > 2 ? QFileInfo(QString::fromLocal8Bit(argv[2])).absoluteFilePath()
                             : DossierAppli + QStringLiteral("lang/") + LangueParDefaut;
    NomFichierLangue = QFileInfo(FichierLangue).fileName();
    chargerTraductionsQt(FichierLangue);
    // A fresh copy of the demo, so the windows show real consists.
    QString erreur;
    const QString demo = copierDemo(DossierAppli + QStringLiteral("demo"), &erreur);
    utiliserDossierJeu(demo);

    frmCorvanel fenetre;
    fenetre.txtDossierMSTS->setText(QDir::toNativeSeparators(DossierMSTS));
    TraduireFenetrePrincipale(fenetre, FichierLangue);
    enregistrer(fenetre, QStringLiteral("frmCorvanel-vide"));
    enregistrerMenu(fenetre.mnuFichier, QStringLiteral("frmCorvanel-mnuFichier"));
    enregistrerMenu(fenetre.mnuOutils, QStringLiteral("frmCorvanel-mnuOutils"));
    enregistrerMenu(fenetre.mnuAide, QStringLiteral("frmCorvanel-mnuAide"));

    // The window as a scan leaves it, to judge the list and the status text.
    for (const char *nom : {"CRV_66_Green.con", "Fret de nuit.con", "Rapide des Vosges.con"})
        fenetre.lstLFI->addItem(QString::fromLatin1(nom));
    fenetre.lstLFI->setEnabled(true);
    fenetre.lstLFI->item(1)->setSelected(true);
    fenetre.lblInformations->setText(QStringLiteral(" \r\nRecherche des fichiers invalides en cours..."));
    fenetre.pbJauge->setRange(0, 24);
    fenetre.pbJauge->setValue(9);
    enregistrer(fenetre, QStringLiteral("frmCorvanel-occupee"));
    fenetre.pbJauge->setValue(0);

    // The About box as this language shows it; for review also short (default
    // file) and long (any other).
    const auto aPropos = [] {
        return boiteMessage(
            {texteAPropos(), Boutons::OK, Icone::Information, texte(QStringLiteral("Form"), QStringLiteral("Form04"))});
    };
    enregistrer(*aPropos(), QStringLiteral("APropos"));
    const QString nomVrai = NomFichierLangue;
    NomFichierLangue = LangueParDefaut;
    enregistrer(*aPropos(), QStringLiteral("APropos-court"));
    NomFichierLangue = QStringLiteral("autre.lng");
    enregistrer(*aPropos(), QStringLiteral("APropos-long"));
    NomFichierLangue = nomVrai;
    const auto langue = dialogueFichier(choixFichierLangue(), false);
    langue->setOption(QFileDialog::DontUseNativeDialog);
    langue->resize(620, 380);
    enregistrer(*langue, QStringLiteral("ChoixLangue"));

    // Qt's own texts: the buttons of a question and the save dialog.
    const auto question = boiteMessage(
        {remplacer(texte(QStringLiteral("Messages"), QStringLiteral("Msg29")), u"[editor]", u"/usr/bin/mousepad"),
         Boutons::OuiNon, Icone::Question});
    enregistrer(*question, QStringLiteral("Question"));
    const auto sauver = dialogueFichier(
        choixEnregistrement(QStringLiteral("Fichier texte (*.txt)|*.txt|Tous les fichiers (*.*)|*.*")), true);
    sauver->setOption(QFileDialog::DontUseNativeDialog);
    sauver->setDirectory(DossierMSTS);
    sauver->resize(620, 380);
    enregistrer(*sauver, QStringLiteral("EnregistrerListe"));

    // Each chooser where a player would end up: the game folder found, an
    // editor's folder open.
    // (The dialog keeps what it shows in DossierMSTS, as it does at start-up.)
    const QString jeu = DossierMSTS;
    frmParcourir1 parcourir1;
    parcourir1.hide();
    parcourir1.DriveListBox->afficherDisqueDe(jeu);
    parcourir1.DirListBox->definirChemin(jeu);
    enregistrer(parcourir1, QStringLiteral("frmParcourir1"));
    DossierMSTS = jeu;

    frmParcourir2 parcourir2;
    if (parcourir2.DirListBox->definirChemin(QStringLiteral("/usr/bin")))
        parcourir2.DirListBox_Change();
    enregistrer(parcourir2, QStringLiteral("frmParcourir2"));

    frmRapportDetaille rapport(&fenetre);
    enregistrer(rapport, QStringLiteral("frmRapportDetaille-vide"));
    rapport.cmdActualiser_Click();
    enregistrer(rapport, QStringLiteral("frmRapportDetaille"));

    // Missing stock, one vehicle of it standing in another folder as a newer
    // release would have put it, and the chooser for that row.
    {
        frmManquants manquants(nullptr, &fenetre);
        manquants.cmdActualiser_Click();
        if (manquants.modele().rowCount() > 0) {
            const VehiculeManquant &l = manquants.modele().lignes().first();
            const QString ailleurs = DossierTrainset + QStringLiteral("Nouvelle version/");
            QDir().mkpath(ailleurs);
            QFile f(ailleurs + l.fichier);
            f.open(QIODevice::WriteOnly);
            f.close();
            manquants.cmdActualiser_Click();
            manquants.MSHFlexGrid->selectRow(0);
        }
        enregistrer(manquants, QStringLiteral("frmManquants"));
        if (manquants.modele().rowCount() > 0) {
            const VehiculeManquant &l = manquants.modele().lignes().first();
            const QString ext = l.fichier.right(4).toLower();
            frmChoixVehicule choix(l.dossier + u'/' + l.fichier, l.ailleurs, vehiculesDuTrainset(DossierTrainset, ext),
                                   &manquants);
            enregistrer(choix, QStringLiteral("frmChoixVehicule"));
        }
    }

    // The routes window on a small route written beside the demo's consists:
    // activities whose services run sound and broken consists, one naming a
    // service that is not there, and an Open Rails timetable.
    {
        const auto ecrire = [](const QString &relatif, const QByteArray &octets) {
            const QString chemin = DossierMSTS + QStringLiteral("ROUTES/Vallee/") + relatif;
            QDir().mkpath(QFileInfo(chemin).path());
            QFile f(chemin);
            f.open(QIODevice::WriteOnly);
            f.write(octets);
        };
        ecrire(QStringLiteral("PATHS/Ligne.pat"), "x");
        const QList<std::pair<const char *, const char *>> services{{"Express", "Express Cote Azur"},
                                                                    {"Fret", "Fret de nuit"},
                                                                    {"Rapide", "Rapide des Vosges"},
                                                                    {"Navette", "Navette voyageurs"}};
        for (const auto &[service, consist] : services) {
            ecrire(QStringLiteral("SERVICES/%1.srv").arg(QLatin1String(service)),
                   QByteArray("Service_Definition (\r\n\tTrain_Config ( \"") + consist +
                       "\" )\r\n\tPathID ( Ligne )\r\n)\r\n");
        }
        const QList<std::pair<const char *, QByteArray>> activites{
            {"Matin.act", "Player_Service_Definition ( Navette\r\n)\r\nTraffic_Definition ( x\r\n"
                          "Service_Definition ( Fret 10\r\n)\r\n)"},
            {"Soir.act", "Player_Service_Definition ( Express\r\n)\r\nTraffic_Definition ( x\r\n"
                         "Service_Definition ( Omnibus 10\r\n)\r\n)"},
            {"Vosges.act", "Player_Service_Definition ( Rapide\r\n)"}};
        for (const auto &[nom, contenu] : activites) {
            ecrire(QStringLiteral("ACTIVITIES/") + QLatin1String(nom),
                   "Tr_Activity (\r\nTr_Activity_Header (\r\nPathID ( Ligne )\r\n)\r\nTr_Activity_File (\r\n" +
                       contenu + "\r\n)\r\n)\r\n");
        }
        ecrire(QStringLiteral("ACTIVITIES/OpenRails/Semaine.timetable_or"),
               ";Omnibus;Marchandises\r\n#consist;Navette voyageurs;CRV_Mixed_Goods\r\n#path;Ligne;Ligne\r\n");
        frmRoutes routes(nullptr, &fenetre);
        routes.cmdActualiser_Click();
        routes.MSHFlexGrid->selectRow(0);
        if (routes.lstManques->topLevelItemCount() > 0)
            routes.lstManques->setCurrentItem(routes.lstManques->topLevelItem(0));
        enregistrer(routes, QStringLiteral("frmRoutes"));
    }

    // The list as the demo's scan leaves it.
    fenetre.cmdRechercher_Click();
    // The help shows where a player's game usually is, not this run's
    // temporary copy, so the picture does not change from one run to the next.
    const QString dossierVrai = fenetre.txtDossierMSTS->text();
    if (g_doc)
        fenetre.txtDossierMSTS->setText(QStringLiteral("/home/joueur/Jeux/Train Simulator/"));
    enregistrer(fenetre, QStringLiteral("frmCorvanel"));
    fenetre.txtDossierMSTS->setText(dossierVrai);

    // The question a delete asks when a route's service runs the consist:
    // drawn, then answered No, so the demo keeps every consist.
    {
        const QString consist = fenetre.lstLFI->item(0)->text();
        ecrireRoute(DossierMSTS, consist.left(consist.size() - 4));
        seam.intercepter = [](const Message &m) -> std::optional<Reponse> {
            if (m.boutons != Boutons::OuiNon)
                return std::nullopt;
            if (!m.nonParDefaut) // the delete's own confirmations
                return Reponse::Oui;
            enregistrer(*boiteMessage(m), QStringLiteral("QuestionServices"));
            return Reponse::Non;
        };
        fenetre.lstLFI->clearSelection();
        fenetre.lstLFI->item(0)->setSelected(true);
        fenetre.cmdSupprimer_Click();
        seam.intercepter = nullptr;
    }
    fenetre.lstLFI->setCurrentRow(3);
    frmProprietesFichier proprietes(&fenetre);
    if (proprietes.Form_Load(fenetre))
        enregistrer(proprietes, QStringLiteral("frmProprietesFichier"));

    frmDeplacerVers destination(fenetre);
    enregistrer(destination, QStringLiteral("frmDeplacerVers"));
    frmNouveauDossier nouveau(destination);
    enregistrer(nouveau, QStringLiteral("frmNouveauDossier"));

    // A destination that already holds the consist, for the question.
    // (The folder dialog above left its own choice in DossierMSTS.)
    const QString ailleurs = QDir::cleanPath(DossierConsists + QStringLiteral("../../../Ailleurs"));
    QDir().mkpath(ailleurs);
    QFile::copy(DossierConsists + fenetre.lstLFI->item(0)->text(), ailleurs + u'/' + fenetre.lstLFI->item(0)->text());
    destination.CheDossier->definirChemin(ailleurs);
    Compteur = 0;
    frmDemander demande(fenetre, destination);
    enregistrer(demande, QStringLiteral("frmDemander"));
    supprimerDemo(demo);
    return 0;
}
