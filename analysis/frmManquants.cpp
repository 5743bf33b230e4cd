// The missing-stock window and the chooser of the replacing vehicle: their
// controls, grid and list. The commands are in ManquantsFenetre.cpp.
#include "analysis/frmManquants.h"

#include "localisation/LireLangue.h"
#include "platform/Texte.h"
#include "ui/Geometrie.h"

#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QSortFilterProxyModel>
#include <QTableView>

namespace corvanel {

namespace {
// Sorting by a column: numbers as numbers, text without regard to case.
constexpr int RoleTri = Qt::UserRole;
} // namespace

QVariant ModeleManquants::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= m_lignes.size())
        return {};
    const VehiculeManquant &l = m_lignes[index.row()];
    if (role == RoleTri) {
        if (index.column() == 2)
            return l.consists.size();
        return data(index, Qt::DisplayRole).toString().toCaseFolded();
    }
    if (role == Qt::TextAlignmentRole)
        return int(index.column() == 2 ? Qt::AlignCenter : Qt::AlignVCenter | Qt::AlignLeft);
    if (role != Qt::DisplayRole && role != Qt::ToolTipRole)
        return {};
    switch (index.column()) {
    case 0:
        return l.dossier;
    case 1:
        return l.fichier;
    case 2:
        return QString::number(l.consists.size());
    default:
        return l.ailleurs.join(role == Qt::ToolTipRole ? QStringLiteral("\n") : QStringLiteral("; "));
    }
}

frmManquants::frmManquants(frmCorvanel *principale, QWidget *parent) : QDialog(parent), m_principale(principale)
{
    preparerDialogue(*this);
    setWindowFlag(Qt::WindowMaximizeButtonHint); // a long report is read better large
    Disposition d;
    m_modele = new ModeleManquants(this);
    MSHFlexGrid = grilleTriable(this, m_modele, m_tri);
    // The rows come most-named first; a click on a header sorts by it.
    MSHFlexGrid->horizontalHeader()->setSortIndicator(-1, Qt::AscendingOrder);
    MSHFlexGrid->setSortingEnabled(true);
    d.placer(MSHFlexGrid, 105, 105, 9690, 3570, Ancre::Largeur | Ancre::Hauteur);

    lblInformations = new QLabel(this);
    d.placer(lblInformations, 105, 3750, 9690, 255, Ancre::Bas | Ancre::Largeur);
    lblConsists = new QLabel(this);
    d.placer(lblConsists, 105, 4050, 9690, 255, Ancre::Bas | Ancre::Largeur);
    lstConsists = new QListWidget(this);
    lstConsists->setSelectionMode(QAbstractItemView::NoSelection);
    d.placer(lstConsists, 105, 4320, 9690, 1230, Ancre::Bas | Ancre::Largeur);

    pbJauge = jaugeAuRepos(this);
    d.placer(pbJauge, 105, 5640, 9690, 240, Ancre::Bas | Ancre::Largeur);

    cmdActualiser = new QPushButton(QStringLiteral("Actualiser"), this);
    d.placer(cmdActualiser, 105, 6000, 1455, 375, Ancre::Bas);
    cmdRemplacer = new QPushButton(QStringLiteral("Remplacer par..."), this);
    d.placer(cmdRemplacer, 1665, 6000, 2235, 375, Ancre::Bas);
    cmdAnnuler = new QPushButton(QStringLiteral("Annuler le dernier remplacement"), this);
    d.placer(cmdAnnuler, 4005, 6000, 3150, 375, Ancre::Bas);
    cmdFermer = new QPushButton(QStringLiteral("Fermer"), this);
    d.placer(cmdFermer, 8340, 6000, 1455, 375, Ancre::Bas | Ancre::Droite);
    for (QPushButton *b : {cmdActualiser, cmdRemplacer, cmdAnnuler, cmdFermer})
        b->setAutoDefault(false);

    connect(cmdActualiser, &QPushButton::clicked, this, &frmManquants::cmdActualiser_Click);
    connect(cmdRemplacer, &QPushButton::clicked, this, &frmManquants::cmdRemplacer_Click);
    connect(cmdAnnuler, &QPushButton::clicked, this, &frmManquants::cmdAnnuler_Click);
    connect(cmdFermer, &QPushButton::clicked, this, &frmManquants::cmdFermer_Click);
    connect(MSHFlexGrid->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &frmManquants::MSHFlexGrid_SelectionChange);

    Form_Load();
    rendreExtensible(*this, d, 9900, 6480);
    const int largeur = MSHFlexGrid->width();
    for (int c = 0; c < 3; ++c)
        MSHFlexGrid->setColumnWidth(c, largeur * (c == 2 ? 1 : 3) / 10);
}

int frmManquants::ligneChoisie() const
{
    const QModelIndexList choisies = MSHFlexGrid->selectionModel()->selectedRows();
    return choisies.isEmpty() ? -1 : m_tri->mapToSource(choisies.first()).row();
}

void frmManquants::MSHFlexGrid_SelectionChange()
{
    const int ligne = ligneChoisie();
    lstConsists->clear();
    if (ligne >= 0)
        lstConsists->addItems(m_modele->lignes()[ligne].consists);
    cmdRemplacer->setEnabled(ligne >= 0 && cmdActualiser->isEnabled());
}

void frmManquants::cmdFermer_Click()
{
    close();
}

void frmManquants::reject()
{
    if (Form_Unload())
        QDialog::reject();
}

frmChoixVehicule::frmChoixVehicule(const QString &ancien, const QStringList &ailleurs, const QStringList &vehicules,
                                   QWidget *parent)
    : QDialog(parent)
{
    preparerDialogue(*this);
    setWindowTitle(texte(QStringLiteral("Form"), QStringLiteral("Form11")));
    Disposition d;
    lbl1 = new QLabel(remplacer(texte(QStringLiteral("Label"), QStringLiteral("Label32")), u"[old]", ancien), this);
    d.placer(lbl1, 105, 105, 6390, 255);
    lblFiltre = new QLabel(texte(QStringLiteral("Label"), QStringLiteral("Label31")), this);
    d.placer(lblFiltre, 105, 480, 1000, 255);
    txtFiltre = new QLineEdit(this);
    lblFiltre->setBuddy(txtFiltre);
    d.placer(txtFiltre, 1150, 435, 5345, 315);
    lstVehicules = new QListWidget(this);
    d.placer(lstVehicules, 105, 840, 6390, 3570);
    d.placer(ligneBleue(this), 105, 4515, 6390, 15);
    cmdOK = new QPushButton(texte(QStringLiteral("Button"), QStringLiteral("Button08")), this);
    d.placer(cmdOK, 4080, 4620, 1155, 375);
    cmdAnnuler = new QPushButton(texte(QStringLiteral("Button"), QStringLiteral("Button09")), this);
    d.placer(cmdAnnuler, 5340, 4620, 1155, 375);
    cmdOK->setDefault(true);

    // The places where the missing vehicle's file stands come first: the
    // likeliest replacement is the same vehicle moved to another folder.
    lstVehicules->addItems(ailleurs);
    for (int i = 0; i < lstVehicules->count(); ++i)
        lstVehicules->item(i)->setFont(policeFenetres(true));
    const QSet<QString> deja(ailleurs.cbegin(), ailleurs.cend());
    for (const QString &v : vehicules) {
        if (!deja.contains(v))
            lstVehicules->addItem(v);
    }
    if (lstVehicules->count() > 0)
        lstVehicules->setCurrentRow(0);

    connect(txtFiltre, &QLineEdit::textChanged, this, &frmChoixVehicule::txtFiltre_Change);
    connect(cmdOK, &QPushButton::clicked, this, &QDialog::accept);
    connect(cmdAnnuler, &QPushButton::clicked, this, &QDialog::reject);
    connect(lstVehicules, &QListWidget::itemDoubleClicked, this, &QDialog::accept);
    setFixedSize(d.appliquer(d.echelleNecessaire(), 6600, 5100));
    txtFiltre->setFocus();
}

void frmChoixVehicule::txtFiltre_Change()
{
    const QString filtre = txtFiltre->text().trimmed();
    QListWidgetItem *premier = nullptr;
    for (int i = 0; i < lstVehicules->count(); ++i) {
        QListWidgetItem *e = lstVehicules->item(i);
        e->setHidden(!e->text().contains(filtre, Qt::CaseInsensitive));
        if (!e->isHidden() && !premier)
            premier = e;
    }
    QListWidgetItem *courant = lstVehicules->currentItem();
    if (!courant || courant->isHidden())
        lstVehicules->setCurrentItem(premier);
}

QString frmChoixVehicule::choix() const
{
    const QListWidgetItem *e = lstVehicules->currentItem();
    return e && !e->isHidden() ? e->text() : QString();
}

} // namespace corvanel
