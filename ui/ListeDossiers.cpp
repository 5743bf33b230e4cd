#include "ui/ListeDossiers.h"

#include "platform/ErreurExecution.h"
#include "platform/Texte.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QKeyEvent>
#include <QSignalBlocker>
#include <QStyle>

#include <algorithm>

namespace corvanel {

namespace {
constexpr int RoleChemin = Qt::UserRole + 1;
constexpr int RoleNom = Qt::UserRole + 2;

QString propre(const QString &chemin)
{
    return QDir::cleanPath(QDir::fromNativeSeparators(chemin));
}

QStringList ancetres(const QString &chemin)
{
    // "/a/b" -> "/", "/a", "/a/b"
    QStringList liste;
    QDir d(chemin);
    for (;;) {
        liste.prepend(d.absolutePath());
        if (d.isRoot() || !d.cdUp())
            break;
    }
    return liste;
}
} // namespace

ListeDossiers::ListeDossiers(QWidget *parent) : QListWidget(parent)
{
    setSelectionMode(QAbstractItemView::SingleSelection);
    connect(this, &QListWidget::itemDoubleClicked, this, &ListeDossiers::ouvrirElement);
}

bool ListeDossiers::definirChemin(const QString &chemin, QString *erreur)
{
    const QString nouveau = propre(chemin);
    const QString raison = raisonDossierIllisible(nouveau);
    if (!raison.isEmpty()) {
        if (erreur)
            *erreur = raison;
        return false;
    }
    const bool change = nouveau != m_chemin;
    m_chemin = nouveau;
    remplir();
    if (change)
        emit changement();
    return true;
}

void ListeDossiers::rafraichir()
{
    remplir();
}

void ListeDossiers::remplir()
{
    clear();
    const QIcon ouvert = style()->standardIcon(QStyle::SP_DirOpenIcon);
    const QIcon ferme = style()->standardIcon(QStyle::SP_DirClosedIcon);
    const QStringList chaine = ancetres(m_chemin);
    int niveau = 0;
    QListWidgetItem *courant = nullptr;
    for (const QString &c : chaine) {
        const QString nom = niveau == 0 ? QDir::toNativeSeparators(c) : QFileInfo(c).fileName();
        auto *item = new QListWidgetItem(ouvert, QString(niveau * 2, u' ') + nom, this);
        item->setData(RoleChemin, c);
        item->setData(RoleNom, nom);
        courant = item;
        ++niveau;
    }
    QDir d(m_chemin);
    const QStringList sous = d.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name | QDir::IgnoreCase);
    for (const QString &nom : sous) {
        auto *item = new QListWidgetItem(ferme, QString(niveau * 2, u' ') + nom, this);
        item->setData(RoleChemin, d.filePath(nom));
        item->setData(RoleNom, nom);
    }
    setCurrentItem(courant);
}

void ListeDossiers::ouvrirElement(QListWidgetItem *item)
{
    if (item)
        definirChemin(item->data(RoleChemin).toString());
}

void ListeDossiers::keyPressEvent(QKeyEvent *e)
{
    // Enter opens the highlighted folder; the dialog's default button
    // answers Enter only when the list does not have the focus.
    if ((e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter) && currentItem() &&
        currentItem()->data(RoleChemin).toString() != m_chemin) {
        ouvrirElement(currentItem());
        return;
    }
    QListWidget::keyPressEvent(e);
}

void ListeDossiers::keyboardSearch(const QString &saisie)
{
    // The blanks that show the tree would stand between what is typed and
    // the names, so the toolkit's own search never finds a folder.
    const bool suite = m_frappe.isValid() && !m_frappe.hasExpired(QApplication::keyboardInputInterval());
    m_recherche = suite ? m_recherche + saisie : saisie;
    m_frappe.start();
    const int n = count();
    if (n == 0)
        return;
    // A first letter looks past the highlighted folder, so that the same
    // letter typed again steps through the folders it begins.
    const int depart = std::max(0, currentRow() + (suite ? 0 : 1));
    for (int i = 0; i < n; ++i) {
        QListWidgetItem *element = item((depart + i) % n);
        if (element->data(RoleNom).toString().startsWith(m_recherche, Qt::CaseInsensitive)) {
            setCurrentItem(element);
            return;
        }
    }
}

ListeDisques::ListeDisques(QWidget *parent) : QComboBox(parent), m_volumes(volumesMontes())
{
    for (const Volume &v : m_volumes)
        addItem(style()->standardIcon(QStyle::SP_DriveHDIcon), v.libelle, v.racine);
    connect(this, &QComboBox::activated, this, [this] { emit changement(); });
}

QString ListeDisques::disque() const
{
    return currentData().toString();
}

void ListeDisques::afficherDisqueDe(const QString &chemin)
{
    const QString racine = racineDuVolume(chemin, m_volumes);
    const int i = findData(racine);
    if (i >= 0) {
        const QSignalBlocker bloque(this);
        setCurrentIndex(i);
    }
}

ListeFichiers::ListeFichiers(QWidget *parent) : QListWidget(parent)
{
    setSelectionMode(QAbstractItemView::SingleSelection);
}

void ListeFichiers::definirDossier(const QString &dossier)
{
    m_dossier = propre(dossier);
    clear();
    const QDir d(m_dossier);
#ifdef Q_OS_WIN
    const QStringList noms = d.entryList({QStringLiteral("*.exe")}, QDir::Files, QDir::Name | QDir::IgnoreCase);
#else
    const QStringList noms = d.entryList(QDir::Files | QDir::Executable, QDir::Name | QDir::IgnoreCase);
#endif
    addItems(noms);
}

QString ListeFichiers::nomFichier() const
{
    const auto choisis = selectedItems();
    return choisis.isEmpty() ? QString() : choisis.constFirst()->text();
}

} // namespace corvanel
