#include "fileops/Impact.h"

#include "analysis/Analyse.h"
#include "analysis/Utilisations.h"
#include "commun/Interaction.h"
#include "commun/Reglages.h"
#include "commun/modDeclarations.h"
#include "localisation/LireLangue.h"
#include "platform/Texte.h"
#include "ui/frmCorvanel.h"

#include <QAction>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>

#include <utility>

namespace corvanel {

namespace {

// The lines the question shows at most; the rest are counted.
constexpr qsizetype LignesMontrees = 10;
const QString Saut = SautDeLigne.toString();

QString message(const char *cle)
{
    return texte(QStringLiteral("Messages"), QString::fromLatin1(cle));
}

// The window's commands and status as the command found them: the reading
// holds them back while events run, and a No must leave all as it was.
class EtatFenetre {
public:
    explicit EtatFenetre(frmCorvanel &f)
        : m_f(f), m_informations(f.lblInformations->text()), m_jauge(f.pbJauge->minimum(), f.pbJauge->maximum())
    {
        for (QWidget *w :
             std::initializer_list<QWidget *>{f.cmdRechercher, f.cmdRapportDetaille, f.cmdNettoyer, f.cmdDeplacerVers,
                                              f.cmdSupprimer, f.cmdSelectionner[0], f.cmdSelectionner[1], f.lstLFI})
            m_widgets.append({w, w->isEnabled()});
        for (QMenu *m : {f.mnuFichier, f.mnuOutils, f.mnuAide})
            m_menus.append({m, frmCorvanel::menuActif(m)});
        m_enregistrer = f.mnuEnregistrerListe->isEnabled();
        // The window stays open while the routes are read: the command has begun.
        m_enCours = std::exchange(f.commandeEnCours, true);
    }
    ~EtatFenetre()
    {
        for (const auto &[m, actif] : std::as_const(m_menus))
            frmCorvanel::activerMenu(m, actif);
        for (const auto &[w, actif] : std::as_const(m_widgets))
            w->setEnabled(actif);
        m_f.mnuEnregistrerListe->setEnabled(m_enregistrer);
        m_f.lblInformations->setText(m_informations);
        m_f.pbJauge->setRange(m_jauge.first, m_jauge.second);
        m_f.pbJauge->setValue(0);
        m_f.commandeEnCours = m_enCours;
    }
    EtatFenetre(const EtatFenetre &) = delete;
    EtatFenetre &operator=(const EtatFenetre &) = delete;

private:
    frmCorvanel &m_f;
    QString m_informations;
    std::pair<int, int> m_jauge;
    QList<std::pair<QWidget *, bool>> m_widgets;
    QList<std::pair<QMenu *, bool>> m_menus;
    bool m_enregistrer = false;
    bool m_enCours = false;
};

struct Utilisateurs {
    QList<ServiceUtilisateur> services;
    QList<HoraireUtilisateur> horaires;
};

Utilisateurs lire(frmCorvanel &f, const QStringList &consists)
{
    const EtatFenetre etat(f);
    f.occuper();
    f.informations(QStringLiteral(" \r\n") + message("Msg90"));
    Progression avancement;
    // The bar follows the reading each time events run.
    QTimer minuteur;
    QObject::connect(&minuteur, &QTimer::timeout, f.pbJauge, [&] {
        f.pbJauge->setRange(0, static_cast<int>(std::max<std::int64_t>(avancement.total, 1)));
        f.pbJauge->setValue(static_cast<int>(avancement.faits));
    });
    minuteur.start(40);
    const QString jeu = DossierMSTS;
    return sansBloquer([&] {
        Utilisateurs u{servicesUtilisant(jeu, consists, &avancement), {}};
        u.horaires = horairesUtilisant(jeu, consists, &avancement);
        return u;
    });
}

QString ligne(const ServiceUtilisateur &s)
{
    QString l = s.activites.size() == 1 ? message("Msg93")
                                        : remplacer(message("Msg92"), u"[num]", QString::number(s.activites.size()));
    l = remplacer(l, u"[file]", s.consist);
    l = remplacer(l, u"[route]", s.route);
    return remplacer(l, u"[service]", s.service);
}

QString ligne(const HoraireUtilisateur &h)
{
    QString l = remplacer(message("Msg98"), u"[file]", h.consist);
    l = remplacer(l, u"[route]", h.route);
    return remplacer(l, u"[timetable]", h.horaire);
}

} // namespace

bool corbeilleVoulue()
{
    return commeBooleen(reglages().lire(QStringLiteral("Options"), QStringLiteral("Corbeille"))).value_or(true);
}

QString avecLigneCorbeille(const QString &fin, bool corbeille, qsizetype dansLaCorbeille)
{
    if (!corbeille)
        return fin;
    return fin + Saut + remplacer(message("Msg96"), u"[num]", QString::number(dansLaCorbeille));
}

QStringList consistsChoisis(const frmCorvanel &f, bool tous)
{
    QStringList noms;
    for (int i = 0; i < f.lstLFI->count(); ++i) {
        if (tous || f.lstLFI->item(i)->isSelected())
            noms << f.lstLFI->item(i)->text();
    }
    return noms;
}

bool confirmerUtilisations(frmCorvanel &f, const QStringList &consists)
{
    if (consists.isEmpty())
        return true;
    const Utilisateurs u = lire(f, consists);
    QStringList lignes;
    for (const ServiceUtilisateur &s : u.services)
        lignes << ligne(s);
    for (const HoraireUtilisateur &h : u.horaires)
        lignes << ligne(h);
    if (lignes.isEmpty())
        return true;
    QString question = message("Msg91") + Saut;
    for (qsizetype i = 0; i < std::min(lignes.size(), LignesMontrees); ++i)
        question += Saut + lignes[i];
    if (lignes.size() > LignesMontrees)
        question += Saut + remplacer(message("Msg94"), u"[num]", QString::number(lignes.size() - LignesMontrees));
    question += Saut + Saut + message("Msg95");
    return interaction().message({question, Boutons::OuiNon, Icone::Exclamation, QStringLiteral("Corvanel"), true}) ==
           Reponse::Oui;
}

} // namespace corvanel
