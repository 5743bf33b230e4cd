#include "analysis/frmRapportDetaille.h"

#include "commun/modDeclarations.h"
#include "localisation/LireLangue.h"
#include "ui/Editeur.h"
#include "ui/Geometrie.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QProgressBar>
#include <QPushButton>
#include <QTableView>

namespace corvanel {

void ModeleRapport::vider()
{
    beginResetModel();
    m_entetes.clear();
    m_lignes.clear();
    endResetModel();
}

void ModeleRapport::commencer(const QStringList &entetes)
{
    beginResetModel();
    m_entetes = entetes;
    m_lignes.clear();
    endResetModel();
}

void ModeleRapport::rattraper(const QList<LigneRapport> &toutes)
{
    const qsizetype deja = m_lignes.size();
    if (toutes.size() <= deja)
        return;
    // One insertion per batch: a row at a time would make the view redo its
    // layout for each of a large installation's many rows.
    beginInsertRows({}, static_cast<int>(deja), static_cast<int>(toutes.size() - 1));
    m_lignes.append(toutes.mid(deja));
    endInsertRows();
}

int ModeleRapport::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_lignes.size());
}

int ModeleRapport::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_entetes.size());
}

QVariant ModeleRapport::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= m_lignes.size() || index.column() >= m_entetes.size())
        return {};
    if (role == Qt::TextAlignmentRole)
        return int(Qt::AlignCenter);
    if (role != Qt::DisplayRole && role != Qt::ToolTipRole)
        return {};
    const LigneRapport &l = m_lignes[index.row()];
    switch (index.column()) {
    case 0:
        return l.consist;
    case 1:
        return l.dossier;
    default:
        return l.fichier;
    }
}

QVariant ModeleRapport::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || section < 0 || section >= m_entetes.size())
        return {};
    if (role == Qt::TextAlignmentRole)
        return int(Qt::AlignCenter);
    if (role == Qt::DisplayRole)
        return m_entetes[section];
    return {};
}

Qt::ItemFlags ModeleRapport::flags(const QModelIndex &index) const
{
    return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::NoItemFlags;
}

frmRapportDetaille::frmRapportDetaille(QWidget *parent) : QDialog(parent)
{
    setWindowTitle(QString::fromUtf8("Rapport détaillé"));
    preparerDialogue(*this);
    setWindowFlag(Qt::WindowMaximizeButtonHint); // a long report is read better large

    // Wide enough for three columns of names as long as real consists and
    // vehicle folders have (about 30 characters).
    Disposition d;
    m_modele = new ModeleRapport(this);
    MSHFlexGrid = new QTableView(this);
    MSHFlexGrid->setModel(m_modele);
    MSHFlexGrid->setSelectionMode(QAbstractItemView::SingleSelection);
    MSHFlexGrid->setSelectionBehavior(QAbstractItemView::SelectItems);
    preparerGrille(*MSHFlexGrid);
    // Each column a third of the grid, whether a vertical scroll bar
    // takes room or not.
    MSHFlexGrid->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    MSHFlexGrid->horizontalHeader()->setDefaultAlignment(Qt::AlignCenter);
    MSHFlexGrid->installEventFilter(this);
    d.placer(MSHFlexGrid, 105, 105, 9690, 5040, Ancre::Largeur | Ancre::Hauteur);

    pbJauge = jaugeAuRepos(this);
    d.placer(pbJauge, 105, 5250, 9690, 240, Ancre::Bas | Ancre::Largeur);

    cmdActualiser = new QPushButton(QStringLiteral("Actualiser"), this);
    d.placer(cmdActualiser, 105, 5625, 1455, 375, Ancre::Bas);
    cmdEnregistrer = new QPushButton(QStringLiteral("Enregistrer..."), this);
    d.placer(cmdEnregistrer, 1665, 5625, 1455, 375, Ancre::Bas);
    cmdFermer = new QPushButton(QStringLiteral("Fermer"), this);
    d.placer(cmdFermer, 8340, 5625, 1455, 375, Ancre::Bas | Ancre::Droite);

    connect(cmdActualiser, &QPushButton::clicked, this, &frmRapportDetaille::cmdActualiser_Click);
    connect(cmdEnregistrer, &QPushButton::clicked, this, &frmRapportDetaille::cmdEnregistrer_Click);
    connect(cmdFermer, &QPushButton::clicked, this, &frmRapportDetaille::cmdFermer_Click);
    connect(MSHFlexGrid, &QAbstractItemView::doubleClicked, this, &frmRapportDetaille::MSHFlexGrid_Click);

    Form_Load();
    rendreExtensible(*this, d, 9900, 6105);
}

void frmRapportDetaille::Form_Load()
{
    setWindowTitle(texte(QStringLiteral("Form"), QStringLiteral("Form08")));
    cmdEnregistrer->setText(texte(QStringLiteral("Button"), QStringLiteral("Button15")));
    cmdActualiser->setText(texte(QStringLiteral("Button"), QStringLiteral("Button14")));
    cmdFermer->setText(texte(QStringLiteral("Button"), QStringLiteral("Button11")));
    cmdEnregistrer->setEnabled(false);
    m_modele->vider();
}

void frmRapportDetaille::cmdFermer_Click()
{
    close();
}

bool frmRapportDetaille::Form_Unload()
{
    return !commandeEnCours && pbJauge->value() == 0;
}

void frmRapportDetaille::reject()
{
    if (Form_Unload())
        QDialog::reject();
}

void frmRapportDetaille::MSHFlexGrid_Click(const QModelIndex &cellule)
{
    if (!cellule.isValid() || cellule.column() != 0)
        return;
    EditerFichier(DossierConsists + cellule.data().toString());
}

bool frmRapportDetaille::eventFilter(QObject *objet, QEvent *evenement)
{
    // Enter on a cell opens it. The view would also pass the key on to the
    // dialog, whose default button would then run as well.
    if (objet == MSHFlexGrid && evenement->type() == QEvent::KeyPress) {
        const int touche = static_cast<QKeyEvent *>(evenement)->key();
        if (touche == Qt::Key_Return || touche == Qt::Key_Enter) {
            MSHFlexGrid_Click(MSHFlexGrid->currentIndex());
            return true;
        }
    }
    return QDialog::eventFilter(objet, evenement);
}

} // namespace corvanel
