// The main window's controls, menus and captions.
#include "ui/frmCorvanel.h"

#include "commun/modDeclarations.h"
#include "localisation/LireLangue.h"
#include "ui/ListeNoms.h"

#include <QAction>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

namespace corvanel {

namespace {

// Design size of the client area, in twips.
constexpr int LargeurClient = 8100;
constexpr int HauteurClient = 5160;

QGroupBox *cadre(QWidget *parent, const QString &legende)
{
    auto *g = new QGroupBox(legende, parent);
    return g;
}

QWidget *panneau(QWidget *parent)
{
    auto *p = new QWidget(parent);
    return p;
}

QPushButton *bouton(QWidget *parent, const QString &legende)
{
    auto *b = new QPushButton(legende, parent);
    b->setAutoDefault(false);
    return b;
}

} // namespace

void frmCorvanel::construire()
{
    setWindowTitle(TitreFenetre);
    setFont(policeFenetres());
    auto *client = new QWidget(this);
    setCentralWidget(client);
    Disposition &d = m_disposition;

    LineMenu = new QFrame(client);
    LineMenu->setFrameShape(QFrame::HLine);
    LineMenu->setStyleSheet(QStringLiteral("color: #0000ff; background: #0000ff;"));
    d.placer(LineMenu, 0, 0, LargeurClient, 15, Ancre::Largeur);

    fraDossierMSTS = cadre(client, QStringLiteral("Emplacement de Train Simulator"));
    d.placer(fraDossierMSTS, 105, 105, 7890, 855, Ancre::Largeur);
    Picture4 = panneau(fraDossierMSTS);
    d.placer(Picture4, 105, 210, 7680, 540, Ancre::Largeur);
    txtDossierMSTS = new QLineEdit(fraDossierMSTS);
    txtDossierMSTS->setReadOnly(true);
    d.placer(txtDossierMSTS, 210, 315, 7470, 330, Ancre::Largeur);

    fraLFI = cadre(client, QStringLiteral("Liste des fichiers invalides"));
    // The list takes what the window gains; the commands keep to its right.
    d.placer(fraLFI, 105, 1050, 3795, 4005, Ancre::Largeur | Ancre::Hauteur);
    Picture1 = panneau(fraLFI);
    d.placer(Picture1, 105, 210, 3585, 3690, Ancre::Largeur | Ancre::Hauteur);
    lstLFI = new QListWidget(Picture1);
    // Each click changes one entry; several can be selected at once.
    lstLFI->setSelectionMode(QAbstractItemView::MultiSelection);
    m_noms = new DelegueListeNoms(lstLFI);
    lstLFI->setEnabled(false);
    d.placer(lstLFI, 105, 105, 3375, 3180, Ancre::Largeur | Ancre::Hauteur);
    cmdSelectionner[0] = bouton(Picture1, QStringLiteral("V"));
    d.placer(cmdSelectionner[0], 210, 3360, 330, 330, Ancre::Bas);
    cmdSelectionner[1] = bouton(Picture1, QStringLiteral("X"));
    d.placer(cmdSelectionner[1], 630, 3360, 330, 330, Ancre::Bas);
    for (QPushButton *b : cmdSelectionner) {
        b->setFont(policeFenetres(true));
        b->setEnabled(false);
    }

    fraRFI = cadre(client, QStringLiteral("Recherche des fichiers invalides"));
    d.placer(fraRFI, 4095, 1050, 3900, 1590, Ancre::Droite);
    Picture2 = panneau(fraRFI);
    d.placer(Picture2, 105, 210, 3690, 1275);
    cmdRechercher = bouton(Picture2, QStringLiteral("&Rechercher"));
    d.placer(cmdRechercher, 945, 105, 1800, 330);
    cmdRapportDetaille = bouton(Picture2, QStringLiteral("Rapport dé&taillé"));
    d.placer(cmdRapportDetaille, 945, 525, 1800, 330);
    cmdNettoyer = bouton(Picture2, QStringLiteral("&Nettoyer le répertoire"));
    d.placer(cmdNettoyer, 945, 945, 1800, 330);

    fraTFI = cadre(client, QStringLiteral("Traitement des fichiers invalides"));
    d.placer(fraTFI, 4095, 2730, 3900, 1170, Ancre::Droite);
    Picture3 = panneau(fraTFI);
    d.placer(Picture3, 105, 210, 3690, 855);
    cmdDeplacerVers = bouton(Picture3, QStringLiteral("&Deplacer Vers..."));
    d.placer(cmdDeplacerVers, 945, 105, 1800, 330);
    cmdSupprimer = bouton(Picture3, QStringLiteral("&Supprimer"));
    d.placer(cmdSupprimer, 945, 525, 1800, 330);
    cmdDeplacerVers->setEnabled(false);
    cmdSupprimer->setEnabled(false);

    lblInformations = new QLabel(client);
    lblInformations->setAutoFillBackground(true);
    lblInformations->setStyleSheet(
        QStringLiteral("QLabel { background: white; color: #0000c0; border: 1px solid #a0a0a0; padding: 0 3px; }"));
    lblInformations->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    lblInformations->setWordWrap(true);
    d.placer(lblInformations, 4095, 4095, 3900, 645, Ancre::Droite | Ancre::Hauteur);

    pbJauge = new QProgressBar(client);
    pbJauge->setTextVisible(false);
    pbJauge->setRange(0, 100);
    pbJauge->setValue(0);
    d.placer(pbJauge, 4095, 4830, 3900, 225, Ancre::Droite | Ancre::Bas);
    // In the corner of the status area, which says what runs.
    cmdAnnuler = bouton(client, QStringLiteral("Annuler"));
    d.placer(cmdAnnuler, 6135, 4350, 1800, 330, Ancre::Droite | Ancre::Bas);
    cmdAnnuler->hide();

    connect(cmdRechercher, &QPushButton::clicked, this, &frmCorvanel::cmdRechercher_Click);
    connect(cmdRapportDetaille, &QPushButton::clicked, this, &frmCorvanel::cmdRapportDetaille_Click);
    connect(cmdNettoyer, &QPushButton::clicked, this, &frmCorvanel::cmdNettoyer_Click);
    connect(cmdDeplacerVers, &QPushButton::clicked, this, &frmCorvanel::cmdDeplacerVers_Click);
    connect(cmdSupprimer, &QPushButton::clicked, this, &frmCorvanel::cmdSupprimer_Click);
    connect(cmdAnnuler, &QPushButton::clicked, this, [this] { annulationDemandee = true; });
    connect(cmdSelectionner[0], &QPushButton::clicked, this, [this] { cmdSelectionner_Click(0); });
    connect(cmdSelectionner[1], &QPushButton::clicked, this, [this] { cmdSelectionner_Click(1); });
    connect(lstLFI, &QListWidget::currentRowChanged, this, &frmCorvanel::lstLFI_Click);

    construireMenus();
    disposer();
}

QAction *frmCorvanel::article(QMenu *menu, const QString &legende, const QKeySequence &raccourci,
                              void (frmCorvanel::*procedure)())
{
    QAction *a = menu->addAction(legende);
    a->setShortcut(raccourci);
    // Qt fires a shortcut even while its menu is disabled; the item answers
    // only while its menu is usable, so no command starts over another.
    connect(a, &QAction::triggered, this, [this, menu, a, procedure] {
        if (menuActif(menu) && a->isEnabled())
            (this->*procedure)();
    });
    return a;
}

void frmCorvanel::construireMenus()
{
    QMenuBar *barre = menuBar();
    barre->setFont(policeFenetres());

    mnuFichier = barre->addMenu(QStringLiteral("&Fichier"));
    mnuEditerFichier = article(mnuFichier, QStringLiteral("&Editer le fichier"), QKeySequence(Qt::CTRL | Qt::Key_E),
                               &frmCorvanel::mnuEditerFichier_Click);
    mnuProprietesFichier = article(mnuFichier, QStringLiteral("&Propriétés du fichier"),
                                   QKeySequence(Qt::CTRL | Qt::Key_I), &frmCorvanel::mnuProprietesFichier_Click);
    mnuEnregistrerListe = article(mnuFichier, QStringLiteral("&Enregistrer la liste"),
                                  QKeySequence(Qt::CTRL | Qt::Key_S), &frmCorvanel::mnuEnregistrerListe_Click);
    mnuFichier->addSeparator();
    mnuQuitter = article(mnuFichier, QStringLiteral("&Quitter"), QKeySequence(Qt::CTRL | Qt::Key_Q),
                         &frmCorvanel::mnuQuitter_Click);
    mnuEditerFichier->setEnabled(false);
    mnuProprietesFichier->setEnabled(false);
    mnuEnregistrerListe->setEnabled(false);

    mnuOutils = barre->addMenu(QStringLiteral("&Outils"));
    mnuMenuLangue = article(mnuOutils, QStringLiteral("&Langue..."), {}, &frmCorvanel::mnuMenuLangue_Click);
    mnuOutils->addSeparator();
    mnuEditeurFichiers =
        article(mnuOutils, QStringLiteral("&Editeur de fichiers..."), {}, &frmCorvanel::mnuEditeurFichiers_Click);
    mnuManquants = article(mnuOutils, QString::fromUtf8("&Matériel manquant..."), {}, &frmCorvanel::mnuManquants_Click);
    mnuRoutes =
        article(mnuOutils, QString::fromUtf8("&Routes : activités et horaires..."), {}, &frmCorvanel::mnuRoutes_Click);

    mnuAide = barre->addMenu(QStringLiteral("&Aide"));
    mnuAfficher =
        article(mnuAide, QStringLiteral("&Afficher"), QKeySequence(Qt::Key_F1), &frmCorvanel::mnuAfficher_Click);
    mnuFAQ = article(mnuAide, QStringLiteral("&Foire aux questions"), {}, &frmCorvanel::mnuFAQ_Click);
    mnuAide->addSeparator();
    mnuHistorique = article(mnuAide, QStringLiteral("&Historique"), {}, &frmCorvanel::mnuHistorique_Click);
    mnuSiteInternet = article(mnuAide, QStringLiteral("&Site Internet..."), {}, &frmCorvanel::mnuSiteInternet_Click);
    mnuAide->addSeparator();
    mnuAbout = article(mnuAide, QStringLiteral("A &propos de..."), {}, &frmCorvanel::mnuAbout_Click);
}

void frmCorvanel::activerMenu(QMenu *menu, bool actif)
{
    menu->menuAction()->setEnabled(actif);
}

bool frmCorvanel::menuActif(const QMenu *menu)
{
    return menu->menuAction()->isEnabled();
}

void frmCorvanel::disposer()
{
    rendreExtensible(*centralWidget(), m_disposition, LargeurClient, HauteurClient);
    // The designed size at first; afterwards the user's, unless too small
    // for a translation's longer captions.
    resize(testAttribute(Qt::WA_Resized) ? size().expandedTo(minimumSizeHint()) : minimumSizeHint());
}

void TraduireFenetrePrincipale(frmCorvanel &f, const QString &Fichier)
{
    struct Legende {
        const char *section;
        const char *cle;
        std::function<void(const QString &)> poser;
    };
    const Legende table[] = {
        {"Button", "Button01", [&](const QString &t) { f.cmdRechercher->setText(t); }},
        {"Button", "Button13", [&](const QString &t) { f.cmdRapportDetaille->setText(t); }},
        {"Button", "Button16", [&](const QString &t) { f.cmdNettoyer->setText(t); }},
        {"Button", "Button02", [&](const QString &t) { f.cmdDeplacerVers->setText(t); }},
        {"Button", "Button03", [&](const QString &t) { f.cmdSupprimer->setText(t); }},
        {"Frame", "Frame01", [&](const QString &t) { f.fraDossierMSTS->setTitle(t); }},
        {"Frame", "Frame02", [&](const QString &t) { f.fraLFI->setTitle(t); }},
        {"Frame", "Frame03", [&](const QString &t) { f.fraRFI->setTitle(t); }},
        {"Frame", "Frame04", [&](const QString &t) { f.fraTFI->setTitle(t); }},
        {"Menu", "Menu100", [&](const QString &t) { f.mnuFichier->setTitle(t); }},
        {"Menu", "Menu101", [&](const QString &t) { f.mnuEditerFichier->setText(t); }},
        {"Menu", "Menu102", [&](const QString &t) { f.mnuEnregistrerListe->setText(t); }},
        {"Menu", "Menu103", [&](const QString &t) { f.mnuProprietesFichier->setText(t); }},
        {"Menu", "Menu104", [&](const QString &t) { f.mnuQuitter->setText(t); }},
        {"Menu", "Menu200", [&](const QString &t) { f.mnuOutils->setTitle(t); }},
        {"Menu", "Menu201", [&](const QString &t) { f.mnuMenuLangue->setText(t); }},
        {"Menu", "Menu202", [&](const QString &t) { f.mnuEditeurFichiers->setText(t); }},
        {"Menu", "Menu300", [&](const QString &t) { f.mnuAide->setTitle(t); }},
        {"Menu", "Menu301", [&](const QString &t) { f.mnuAfficher->setText(t); }},
        {"Menu", "Menu302", [&](const QString &t) { f.mnuFAQ->setText(t); }},
        {"Menu", "Menu303", [&](const QString &t) { f.mnuHistorique->setText(t); }},
        {"Menu", "Menu304", [&](const QString &t) { f.mnuSiteInternet->setText(t); }},
        {"Menu", "Menu305", [&](const QString &t) { f.mnuAbout->setText(t); }},
    };
    for (const Legende &l : table)
        l.poser(LireLangue(Fichier, QString::fromLatin1(l.section), QString::fromLatin1(l.cle), true));
    // Newer than the 1.0.7 files: a file without it takes the default's text.
    f.mnuManquants->setText(texte(QStringLiteral("Menu"), QStringLiteral("Menu206")));
    f.mnuRoutes->setText(texte(QStringLiteral("Menu"), QStringLiteral("Menu207")));
    f.cmdAnnuler->setText(texte(QStringLiteral("Button"), QStringLiteral("Button09")));
    // The select-all and select-none buttons show only a letter: the tip says
    // what they do.
    f.cmdSelectionner[0]->setToolTip(texte(QStringLiteral("ToolTip"), QStringLiteral("ToolTip01")));
    f.cmdSelectionner[1]->setToolTip(texte(QStringLiteral("ToolTip"), QStringLiteral("ToolTip02")));
    f.disposer();
}

} // namespace corvanel
