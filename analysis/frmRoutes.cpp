// The routes window: its controls, grid and list, and its commands.
#include "analysis/frmRoutes.h"

#include "analysis/Analyse.h"
#include "analysis/Manquants.h"
#include "analysis/frmManquants.h"
#include "commun/Interaction.h"
#include "commun/modDeclarations.h"
#include "localisation/LireLangue.h"
#include "platform/ErreurExecution.h"
#include "platform/Texte.h"
#include "ui/Commandes.h"
#include "ui/Editeur.h"
#include "ui/Geometrie.h"
#include "ui/Modal.h"
#include "ui/Pointeur.h"
#include "ui/frmCorvanel.h"

#include <QHeaderView>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QSortFilterProxyModel>
#include <QTableView>
#include <QTreeWidget>

#include <chrono>
#include <future>

namespace corvanel {

namespace {

constexpr int RoleTri = Qt::UserRole;

QString message(int numero)
{
    return texte(QStringLiteral("Messages"), QStringLiteral("Msg%1").arg(numero));
}

QString etiquette(int numero)
{
    return texte(QStringLiteral("Label"), QStringLiteral("Label%1").arg(numero));
}

// 2: cannot start (or cannot be read), 1: runs with gaps, 0: sound. The
// grid sorts on it, the files that cannot start first.
int gravite(const VerdictFichier &v)
{
    if (v.manques.isEmpty())
        return 0;
    return v.pire == EffetManque::Degrade ? 1 : 2;
}

QString texteIntermediaire(const Intermediaire &i, const QString &fichier)
{
    switch (i.genre) {
    case GenreIntermediaire::Fichier:
        return fichier;
    case GenreIntermediaire::Service:
        return remplacer(message(134), u"[name]", i.nom);
    case GenreIntermediaire::Consist:
        return remplacer(message(135), u"[name]", i.nom);
    case GenreIntermediaire::ConsistLibre:
        return message(136);
    case GenreIntermediaire::TrainHoraire:
        break;
    }
    return remplacer(message(137), u"[name]", i.nom);
}

} // namespace

QStringList colonnesManque(const ManqueRoute &m)
{
    QStringList par;
    for (const Intermediaire &i : m.par)
        par << texteIntermediaire(i, m.fichier);
    const int effet = m.effet == EffetManque::Degrade ? 131 : m.effet == EffetManque::Bloque ? 130 : 132;
    return {m.manquant.isEmpty() ? m.fichier : m.manquant, message(effet), par.join(QStringLiteral("; "))};
}

bool estVehicule(const QString &manquant)
{
    return manquant.endsWith(u".eng", Qt::CaseInsensitive) || manquant.endsWith(u".wag", Qt::CaseInsensitive);
}

QVariant ModeleRoutes::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= m_lignes.size())
        return {};
    const VerdictFichier &v = m_lignes[index.row()];
    if (role == RoleTri) {
        if (index.column() == 2)
            return gravite(v);
        if (index.column() == 3)
            return v.manques.size();
        return data(index, Qt::DisplayRole).toString().toCaseFolded();
    }
    if (role == Qt::TextAlignmentRole)
        return int(index.column() == 3 ? Qt::AlignCenter : Qt::AlignVCenter | Qt::AlignLeft);
    if (role != Qt::DisplayRole && role != Qt::ToolTipRole)
        return {};
    switch (index.column()) {
    case 0:
        return v.fichier.route;
    case 1:
        return v.fichier.fichier;
    case 2:
        return etiquette(35 - gravite(v));
    default:
        return QString::number(v.manques.size());
    }
}

void OuvrirRoutes(frmCorvanel &f)
{
    frmRoutes fenetre(&f, &f);
    montrerModal(fenetre);
}

frmRoutes::frmRoutes(frmCorvanel *principale, QWidget *parent) : QDialog(parent), m_principale(principale)
{
    preparerDialogue(*this);
    setWindowFlag(Qt::WindowMaximizeButtonHint); // many routes are read better large
    Disposition d;
    m_modele = new ModeleRoutes(this);
    MSHFlexGrid = grilleTriable(this, m_modele, m_tri);
    MSHFlexGrid->setSortingEnabled(true);
    // The files that cannot start first; the sort keeps the route order
    // within each verdict.
    MSHFlexGrid->sortByColumn(2, Qt::DescendingOrder);
    d.placer(MSHFlexGrid, 105, 105, 9690, 3270, Ancre::Largeur | Ancre::Hauteur);

    lblInformations = new QLabel(this);
    d.placer(lblInformations, 105, 3450, 9690, 255, Ancre::Bas | Ancre::Largeur);
    lblManques = new QLabel(this);
    d.placer(lblManques, 105, 3750, 9690, 255, Ancre::Bas | Ancre::Largeur);
    lstManques = new QTreeWidget(this);
    lstManques->setRootIsDecorated(false);
    lstManques->setColumnCount(3);
    lstManques->setSelectionMode(QAbstractItemView::SingleSelection);
    d.placer(lstManques, 105, 4020, 9690, 1530, Ancre::Bas | Ancre::Largeur);

    pbJauge = jaugeAuRepos(this);
    d.placer(pbJauge, 105, 5640, 9690, 240, Ancre::Bas | Ancre::Largeur);

    cmdActualiser = new QPushButton(this);
    d.placer(cmdActualiser, 105, 6000, 1455, 375, Ancre::Bas);
    cmdRemplacer = new QPushButton(this);
    d.placer(cmdRemplacer, 1665, 6000, 2235, 375, Ancre::Bas);
    cmdOuvrir = new QPushButton(this);
    d.placer(cmdOuvrir, 4005, 6000, 3150, 375, Ancre::Bas);
    cmdFermer = new QPushButton(this);
    d.placer(cmdFermer, 8340, 6000, 1455, 375, Ancre::Bas | Ancre::Droite);
    for (QPushButton *b : {cmdActualiser, cmdRemplacer, cmdOuvrir, cmdFermer})
        b->setAutoDefault(false);

    connect(cmdActualiser, &QPushButton::clicked, this, &frmRoutes::cmdActualiser_Click);
    connect(cmdRemplacer, &QPushButton::clicked, this, &frmRoutes::cmdRemplacer_Click);
    connect(cmdOuvrir, &QPushButton::clicked, this, &frmRoutes::cmdOuvrir_Click);
    connect(cmdFermer, &QPushButton::clicked, this, &frmRoutes::cmdFermer_Click);
    connect(MSHFlexGrid->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &frmRoutes::MSHFlexGrid_SelectionChange);
    connect(lstManques, &QTreeWidget::itemSelectionChanged, this, &frmRoutes::lstManques_SelectionChange);

    Form_Load();
    rendreExtensible(*this, d, 9900, 6480);
    const int largeur = MSHFlexGrid->width();
    // The last column takes what is left: the grid never scrolls sideways.
    MSHFlexGrid->setColumnWidth(0, largeur * 25 / 100);
    MSHFlexGrid->setColumnWidth(1, largeur * 30 / 100);
    MSHFlexGrid->setColumnWidth(2, largeur * 28 / 100);
    lstManques->setColumnWidth(0, largeur * 4 / 10);
    lstManques->setColumnWidth(1, largeur * 25 / 100);
}

void frmRoutes::Form_Load()
{
    setWindowTitle(texte(QStringLiteral("Form"), QStringLiteral("Form12")));
    cmdActualiser->setText(texte(QStringLiteral("Button"), QStringLiteral("Button14")));
    cmdRemplacer->setText(texte(QStringLiteral("Button"), QStringLiteral("Button30")));
    cmdOuvrir->setText(texte(QStringLiteral("Button"), QStringLiteral("Button32")));
    cmdFermer->setText(texte(QStringLiteral("Button"), QStringLiteral("Button11")));
    lblManques->setText(etiquette(36));
    QStringList entetes;
    for (int i = 14; i <= 17; ++i)
        entetes << texte(QStringLiteral("MSHFlexGrid"), QStringLiteral("MSHFGCol%1").arg(i));
    m_modele->definir(entetes, {});
    QStringList detail;
    for (int i = 18; i <= 20; ++i)
        detail << texte(QStringLiteral("MSHFlexGrid"), QStringLiteral("MSHFGCol%1").arg(i));
    lstManques->setHeaderLabels(detail);
    cmdRemplacer->setEnabled(false);
    cmdOuvrir->setEnabled(false);
}

int frmRoutes::ligneChoisie() const
{
    const QModelIndexList choisies = MSHFlexGrid->selectionModel()->selectedRows();
    return choisies.isEmpty() ? -1 : m_tri->mapToSource(choisies.first()).row();
}

const ManqueRoute *frmRoutes::manqueChoisi() const
{
    const int ligne = ligneChoisie();
    const QTreeWidgetItem *e = lstManques->currentItem();
    if (ligne < 0 || !e || !e->isSelected())
        return nullptr;
    const int rang = lstManques->indexOfTopLevelItem(const_cast<QTreeWidgetItem *>(e));
    const QList<ManqueRoute> &manques = m_modele->lignes()[ligne].manques;
    return rang >= 0 && rang < manques.size() ? &manques[rang] : nullptr;
}

void frmRoutes::MSHFlexGrid_SelectionChange()
{
    const int ligne = ligneChoisie();
    lstManques->clear();
    if (ligne >= 0) {
        QList<QTreeWidgetItem *> elements;
        for (const ManqueRoute &m : m_modele->lignes()[ligne].manques) {
            auto *e = new QTreeWidgetItem(colonnesManque(m));
            e->setToolTip(2, e->text(2));
            elements << e;
        }
        lstManques->addTopLevelItems(elements);
    }
    lstManques_SelectionChange();
}

void frmRoutes::lstManques_SelectionChange()
{
    const ManqueRoute *m = m_occupe ? nullptr : manqueChoisi();
    const bool vehicule = m && estVehicule(m->manquant);
    cmdRemplacer->setEnabled(vehicule);
    cmdOuvrir->setEnabled(m && !vehicule && !m->par.isEmpty() && !m->par.first().fichier.isEmpty());
}

void frmRoutes::occuper(bool occupe)
{
    m_occupe = occupe;
    for (QPushButton *b : {cmdActualiser, cmdFermer})
        b->setEnabled(!occupe);
    MSHFlexGrid->setEnabled(!occupe);
    lstManques->setEnabled(!occupe);
    if (occupe) {
        definirPointeur(Pointeur::Sablier);
        pbJauge->setRange(0, 1);
        pbJauge->setValue(1);
    } else {
        pbJauge->setValue(0);
        definirPointeur(Pointeur::ParDefaut);
    }
    lstManques_SelectionChange();
}

bool frmRoutes::Form_Unload()
{
    return !m_occupe;
}

void frmRoutes::reject()
{
    if (Form_Unload())
        QDialog::reject();
}

void frmRoutes::cmdFermer_Click()
{
    close();
}

void frmRoutes::cmdActualiser_Click()
{
    occuper(true);
    lblInformations->setText(message(138));
    lstManques->clear();
    m_modele->definir(m_modele->entetes(), {});
    QList<VerdictFichier> lignes;
    BilanRoutes bilan;
    try {
        // The routes are read on other threads; this one only moves the
        // bar and lets the window answer.
        Progression avancement;
        const QString jeu = DossierMSTS;
        const QString consists = DossierConsists;
        const QString trainset = DossierTrainset;
        auto futur = std::async(std::launch::async, [&] {
            BilanRoutes b = verifierRoutes(jeu, consists, trainset, &avancement);
            return std::pair{verdictsParFichier(b), std::move(b)};
        });
        while (futur.wait_for(std::chrono::milliseconds(15)) != std::future_status::ready) {
            pbJauge->setRange(0, static_cast<int>(std::max<std::int64_t>(1, avancement.total)));
            pbJauge->setValue(static_cast<int>(std::max<std::int64_t>(1, avancement.faits)));
            interaction().laisserPasserEvenements();
        }
        std::tie(lignes, bilan) = futur.get();
    } catch (const ErreurExecution &e) {
        rapportFatal(VarianteRapport::ErreurNoSansPoint, e);
    }
    QString resume = remplacer(message(139), u"[num]", QString::number(bilan.fichiers));
    resume = remplacer(resume, u"[blocked]", QString::number(bilan.bloques));
    lblInformations->setText(remplacer(resume, u"[gaps]", QString::number(bilan.lacunaires)));
    m_modele->definir(m_modele->entetes(), std::move(lignes));
    occuper(false);
}

void frmRoutes::cmdRemplacer_Click()
{
    const ManqueRoute *m = manqueChoisi();
    if (!m || !estVehicule(m->manquant))
        return;
    const QString manquant = m->manquant;
    const QString fichier = manquant.mid(manquant.lastIndexOf(u'/') + 1).toCaseFolded();
    const QString trainset = DossierTrainset;
    const QStringList ailleurs = sansBloquer([&] { return trouverDansTrainset(trainset, {fichier}).value(fichier); });
    const auto resume = remplacerVehiculeManquant(
        *this, pbJauge, [this](bool o) { occuper(o); }, manquant, ailleurs);
    if (!resume)
        return;
    interaction().information(*resume);
    cmdActualiser_Click();
    if (m_principale)
        m_principale->cmdRechercher_Click();
}

void frmRoutes::cmdOuvrir_Click()
{
    const ManqueRoute *m = manqueChoisi();
    if (m && !m->par.isEmpty() && !m->par.first().fichier.isEmpty())
        EditerFichier(m->par.first().fichier);
}

} // namespace corvanel
