// The missing-stock window's commands: refresh, replace, undo. The work runs
// on this thread in steps, window events let through every 25 ms at most.
#include "analysis/Analyse.h"
#include "analysis/Remplacement.h"
#include "analysis/TextesReparation.h"
#include "analysis/frmManquants.h"
#include "commun/Interaction.h"
#include "commun/modDeclarations.h"
#include "fileops/DossierOuvert.h"
#include "fileops/Echecs.h"
#include "localisation/LireLangue.h"
#include "platform/ErreurExecution.h"
#include "platform/Texte.h"
#include "ui/Commandes.h"
#include "ui/Modal.h"
#include "ui/Pointeur.h"
#include "ui/frmCorvanel.h"

#include <QElapsedTimer>
#include <QLabel>
#include <QListWidget>
#include <QLocale>
#include <QProgressBar>
#include <QPushButton>
#include <QTableView>

namespace corvanel {

namespace {

// The progress bar brought up to date and window events let through when
// 25 ms have passed: a consist written and made durable may take a few
// milliseconds, so the clock is read at every step.
class Progression {
public:
    explicit Progression(QProgressBar *barre) : m_barre(barre) { m_minuteur.start(); }
    Avancement avancement()
    {
        return [this](qsizetype fait, qsizetype total) {
            m_fait = fait;
            m_total = total;
            battre();
        };
    }
    Battement battement()
    {
        return [this] { battre(); };
    }
    void battre()
    {
        if (m_minuteur.elapsed() < 25)
            return;
        m_barre->setRange(0, static_cast<int>(std::max<qsizetype>(1, m_total)));
        m_barre->setValue(static_cast<int>(std::max<qsizetype>(1, m_fait)));
        interaction().laisserPasserEvenements();
        m_minuteur.restart();
    }

private:
    QProgressBar *m_barre;
    QElapsedTimer m_minuteur;
    qsizetype m_fait = 0;
    qsizetype m_total = 1;
};

// A read-only or hidden consist is asked about before it is changed.
bool autoriser(const QString &nom)
{
    return interaction().question(avecSautsDeLigne(remplacer(message(78), u"[file]", nom)));
}

} // namespace

void OuvrirManquants(frmCorvanel &f)
{
    frmManquants fenetre(&f, &f);
    montrerModal(fenetre);
}

void frmManquants::Form_Load()
{
    setWindowTitle(texte(QStringLiteral("Form"), QStringLiteral("Form10")));
    cmdActualiser->setText(texte(QStringLiteral("Button"), QStringLiteral("Button14")));
    cmdRemplacer->setText(texte(QStringLiteral("Button"), QStringLiteral("Button30")));
    cmdAnnuler->setText(texte(QStringLiteral("Button"), QStringLiteral("Button31")));
    cmdFermer->setText(texte(QStringLiteral("Button"), QStringLiteral("Button11")));
    lblConsists->setText(texte(QStringLiteral("Label"), QStringLiteral("Label30")));
    QStringList entetes;
    for (int i = 10; i <= 13; ++i)
        entetes << texte(QStringLiteral("MSHFlexGrid"), QStringLiteral("MSHFGCol%1").arg(i));
    m_modele->definir(entetes, {});
    cmdRemplacer->setEnabled(false);
    cmdAnnuler->setEnabled(derniereSauvegarde(DossierMSTS).has_value());
}

void frmManquants::occuper(bool occupe)
{
    for (QPushButton *b : {cmdActualiser, cmdFermer})
        b->setEnabled(!occupe);
    MSHFlexGrid->setEnabled(!occupe);
    if (occupe) {
        cmdRemplacer->setEnabled(false);
        cmdAnnuler->setEnabled(false);
        definirPointeur(Pointeur::Sablier);
        pbJauge->setRange(0, 1);
        pbJauge->setValue(1);
    } else {
        pbJauge->setValue(0);
        cmdRemplacer->setEnabled(ligneChoisie() >= 0);
        cmdAnnuler->setEnabled(derniereSauvegarde(DossierMSTS).has_value());
        definirPointeur(Pointeur::ParDefaut);
    }
}

bool frmManquants::Form_Unload()
{
    // A command is running while the progress bar is not at 0.
    return pbJauge->value() == 0;
}

void frmManquants::cmdActualiser_Click()
{
    occuper(true);
    lblInformations->setText(message(60));
    lstConsists->clear();
    QList<VehiculeManquant> lignes;
    try {
        Progression p(pbJauge);
        lignes = chercherManquants(DossierConsists, DossierTrainset, p.avancement(), p.battement());
    } catch (const ErreurExecution &e) {
        rapportFatal(VarianteRapport::ErreurNoSansPoint, e);
    }
    lblInformations->setText(remplacer(message(61), u"[num]", QString::number(lignes.size())));
    QStringList entetes;
    for (int c = 0; c < m_modele->columnCount(); ++c)
        entetes << m_modele->headerData(c, Qt::Horizontal).toString();
    m_modele->definir(entetes, std::move(lignes));
    occuper(false);
}

void frmManquants::apresChangement(const QString &resume)
{
    interaction().information(resume);
    cmdActualiser_Click();
    if (m_principale)
        m_principale->cmdRechercher_Click();
}

void frmManquants::cmdRemplacer_Click()
{
    const int ligne = ligneChoisie();
    if (ligne < 0)
        return;
    const VehiculeManquant l = m_modele->lignes()[ligne];
    if (const auto resume = remplacerVehiculeManquant(
            *this, pbJauge, [this](bool o) { occuper(o); }, l.dossier + u'/' + l.fichier, l.ailleurs))
        apresChangement(*resume);
}

std::optional<QString> remplacerVehiculeManquant(QWidget &fenetre, QProgressBar *jauge,
                                                 const std::function<void(bool)> &occuper, const QString &manquant,
                                                 const QStringList &ailleurs)
{
    const auto ancien = analyserCheminVehicule(manquant);
    if (!ancien || refuserAdministrateur({DossierConsists}))
        return std::nullopt;
    const QString trainset = DossierTrainset;
    const QString extension = ancien->extension;
    const QStringList vehicules = sansBloquer([&] { return vehiculesDuTrainset(trainset, extension); });
    if (vehicules.isEmpty()) {
        interaction().information(message(76));
        return std::nullopt;
    }
    frmChoixVehicule choix(ancien->texte(), ailleurs, vehicules, &fenetre);
    if (montrerModal(choix) != QDialog::Accepted || choix.choix().isEmpty())
        return std::nullopt;
    const auto demande = analyserCheminVehicule(choix.choix());
    const auto nouveau = demande ? vehiculeSurDisque(trainset, *demande) : std::nullopt;
    if (!nouveau) {
        interaction().erreur(
            remplacer(texte(QStringLiteral("Errors"), QStringLiteral("Error30")), u"[new]", choix.choix()));
        return std::nullopt;
    }

    DemandeRemplacement d;
    d.dossierJeu = DossierMSTS;
    d.dossierConsists = DossierConsists;
    d.ancien = *ancien;
    d.nouveau = *nouveau;
    const auto executer = [&](bool simulation, Autorisation a) {
        d.simulation = simulation;
        d.autoriser = std::move(a);
        occuper(true);
        Progression p(jauge);
        d.avancement = p.avancement();
        d.battement = p.battement();
        Bilan b = remplacer(d);
        occuper(false);
        return b;
    };
    Bilan b;
    try {
        // First how many would change: the confirmation tells it.
        b = executer(true, [](const QString &) { return true; });
        if (b.changes.isEmpty() && b.activites.isEmpty()) {
            interaction().information(b.sansLaisses()
                                          ? remplacer(message(63), u"[old]", ancien->texte())
                                          : lignesBilan(b, nouveau->texte(), Resume::Simulation, true).join(u"\r\n"));
            return std::nullopt;
        }
        const int cle = !b.activites.isEmpty() ? 162 : b.changes.size() == 1 ? 79 : 62;
        QString question = remplacer(message(cle), u"[num]", QString::number(b.changes.size()));
        question = remplacer(question, u"[act]", QString::number(b.activites.size()));
        question = remplacer(remplacer(question, u"[old]", ancien->texte()), u"[new]", nouveau->texte());
        if (!interaction().question(question))
            return std::nullopt;
        b = executer(false, autoriser);
    } catch (const sf::NomDeplace &n) {
        occuper(false);
        interaction().erreur(texteNomDeplace(n.chemin));
        return std::nullopt;
    } catch (const SauvegardeImpossible &e) {
        occuper(false);
        QString t = remplacer(texte(QStringLiteral("Errors"), QStringLiteral("Error33")), u"[folder]", e.dossier);
        interaction().erreur(remplacer(t, u"[error]", descriptionEchec(e)));
        return std::nullopt;
    } catch (const ErreurExecution &e) {
        occuper(false);
        signalerEchec(DossierConsists, e);
        return std::nullopt;
    }
    return lignesBilan(b, nouveau->texte(), Resume::Remplacement, true).join(u"\r\n");
}

void frmManquants::cmdAnnuler_Click()
{
    const auto s = derniereSauvegarde(DossierMSTS);
    if (!s) {
        cmdAnnuler->setEnabled(false);
        return;
    }
    if (refuserAdministrateur({DossierConsists}))
        return;
    const QLocale locale; // the language file's, see chargerTraductionsQt()
    const QDateTime quand = s->date.toLocalTime();
    const int cle = !s->activites.isEmpty() ? 163 : s->consists.size() == 1 ? 80 : 72;
    QString question = remplacer(message(cle), u"[old]", s->ancien);
    question = remplacer(question, u"[new]", s->nouveau);
    question = remplacer(question, u"[date]", locale.toString(quand.date(), QLocale::ShortFormat));
    question = remplacer(question, u"[time]", locale.toString(quand.time(), QLocale::ShortFormat));
    question = remplacer(question, u"[num]", QString::number(s->consists.size()));
    question = remplacer(question, u"[act]", QString::number(s->activites.size()));
    if (!interaction().question(question))
        return;
    occuper(true);
    Bilan b;
    try {
        Progression p(pbJauge);
        b = annulerDernier(DossierMSTS, DossierConsists, autoriser, p.avancement(), p.battement());
    } catch (const sf::NomDeplace &n) {
        occuper(false);
        interaction().erreur(texteNomDeplace(n.chemin));
        return;
    } catch (const ErreurExecution &e) {
        occuper(false);
        signalerEchec(DossierConsists, e);
        return;
    }
    occuper(false);
    apresChangement(lignesBilan(b, {}, Resume::Annulation, true).join(u"\r\n"));
}

} // namespace corvanel
