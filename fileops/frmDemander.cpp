#include "fileops/frmDemander.h"

#include "commun/modDeclarations.h"
#include "fileops/SystemeFichiers.h"
#include "fileops/frmDeplacerVers.h"
#include "localisation/LireLangue.h"
#include "platform/Texte.h"
#include "ui/Geometrie.h"
#include "ui/frmCorvanel.h"

#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>

namespace corvanel {

namespace {

constexpr int Largeur = 5700;
constexpr int Hauteur = 2910;

QString message(const char *cle)
{
    return texte(QStringLiteral("Messages"), QString::fromLatin1(cle));
}

// Texts carry CR LF line breaks; a label wants LF alone.
QString pourEtiquette(QString t)
{
    return t.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
}

} // namespace

frmDemander::frmDemander(frmCorvanel &principale, frmDeplacerVers &destination)
    : QDialog(&principale), m_destination(destination)
{
    setWindowTitle(QStringLiteral("Confirmer le remplacement du fichier"));
    preparerDialogue(*this);
    Disposition d;

    const auto etiquette = [this, &d](const char *legende, int gauche, int haut, int hauteur) {
        auto *l = new QLabel(QString::fromUtf8(legende), this);
        l->setWordWrap(true);
        l->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        d.placer(l, gauche, haut, Largeur - 120 - gauche, hauteur);
        return l;
    };
    // Sizes and dates stand indented under the line they belong to.
    lbl1 = etiquette("Ce dossier contient déjà un fichier nommé '...'", 120, 120, 435);
    lbl2 = etiquette("Voulez-vous remplacer le fichier existant", 120, 630, 225);
    lbl3 = etiquette("", 480, 900, 225);
    lbl4 = etiquette("", 480, 1155, 225);
    lbl5 = etiquette("par celui-ci ?", 120, 1470, 225);
    lbl6 = etiquette("", 480, 1740, 225);
    lbl7 = etiquette("", 480, 1995, 225);

    const auto bouton = [this, &d](const char *legende, int gauche) {
        auto *b = new QPushButton(QString::fromUtf8(legende), this);
        b->setAutoDefault(false);
        d.placer(b, gauche, 2430, 1290, 345);
        return b;
    };
    cmdOui = bouton("&Oui", 120);
    cmdOuiTous = bouton("Oui pour &tous", 1515);
    cmdNon = bouton("&Non", 2910);
    cmdNonTous = bouton("Non pour tou&s", 4305);

    connect(cmdOui, &QPushButton::clicked, this, &frmDemander::cmdOui_Click);
    connect(cmdOuiTous, &QPushButton::clicked, this, &frmDemander::cmdOuiTous_Click);
    connect(cmdNon, &QPushButton::clicked, this, &frmDemander::cmdNon_Click);
    connect(cmdNonTous, &QPushButton::clicked, this, &frmDemander::cmdNonTous_Click);

    // The entry the move command is on; it keeps Compteur there while the
    // dialog is shown.
    const QListWidgetItem *entree = principale.lstLFI->item(static_cast<int>(Compteur));
    const QString nom = entree ? entree->text() : QString();
    m_consist = DossierConsists + nom;
    m_existant = destination.txtDeplacerVers->text() + nom;

    Form_Load();
    setFixedSize(d.appliquer(d.echelleNecessaire(), Largeur, Hauteur));
}

void frmDemander::Form_Load()
{
    setWindowTitle(texte(QStringLiteral("Form"), QStringLiteral("Form03")));
    cmdOui->setText(texte(QStringLiteral("Button"), QStringLiteral("Button04")));
    cmdOuiTous->setText(texte(QStringLiteral("Button"), QStringLiteral("Button06")));
    cmdNon->setText(texte(QStringLiteral("Button"), QStringLiteral("Button05")));
    cmdNonTous->setText(texte(QStringLiteral("Button"), QStringLiteral("Button07")));

    const QString nom = m_consist.mid(DossierConsists.size());
    const QString taille = QStringLiteral("[size]");
    const QString date = QStringLiteral("[date]");
    // A "%n" brought in by the file name becomes a line break, as in every
    // text that names a file.
    lbl1->setText(pourEtiquette(avecSautsDeLigne(remplacer(message("Msg14"), u"[file]", nom))));
    lbl2->setText(pourEtiquette(message("Msg15")));
    lbl3->setText(pourEtiquette(remplacer(message("Msg16"), taille, QString::number(sf::taille(m_existant)))));
    lbl4->setText(pourEtiquette(remplacer(message("Msg17"), date, dateGenerale(sf::dateModification(m_existant)))));
    lbl5->setText(pourEtiquette(message("Msg18")));
    lbl6->setText(pourEtiquette(remplacer(message("Msg16"), taille, QString::number(sf::taille(m_consist)))));
    lbl7->setText(pourEtiquette(remplacer(message("Msg17"), date, dateGenerale(sf::dateModification(m_consist)))));
}

void frmDemander::cmdOui_Click()
{
    try {
        if (avantCopie && !avantCopie()) {
            accept();
            return;
        }
        sf::copierFichier(m_consist, m_existant);
        m_copie = true;
    } catch (const ErreurExecution &e) {
        m_echec = e;
    }
    accept();
}

void frmDemander::cmdOuiTous_Click()
{
    // No copy here: the move command copies when it next tests the rule.
    m_destination.optFichierExiste[1]->setChecked(true);
    accept();
}

void frmDemander::cmdNon_Click()
{
    reject();
}

void frmDemander::cmdNonTous_Click()
{
    m_destination.optFichierExiste[3]->setChecked(true);
    accept();
}

// Without a cancel button, Escape answers nothing; only the four buttons and
// the close box end the question.
void frmDemander::keyPressEvent(QKeyEvent *e)
{
    if (e->key() == Qt::Key_Escape) {
        e->accept();
        return;
    }
    QDialog::keyPressEvent(e);
}

} // namespace corvanel
