#include "bench/Fenetre.h"

#include "analysis/frmManquants.h"
#include "analysis/frmRapportDetaille.h"
#include "app/modSubMain.h"
#include "commun/Reglages.h"
#include "commun/modDeclarations.h"
#include "platform/Chemins.h"
#include "ui/InteractionQt.h"
#include "ui/frmCorvanel.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QKeyEvent>
#include <QListWidget>
#include <QMouseEvent>
#include <QPushButton>
#include <QScrollBar>
#include <QTableView>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <memory>
#include <sys/resource.h>
#include <time.h>

namespace corvanel::bench {

namespace {

double processeurMs()
{
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

// A tick comes late by as long as the event loop was held up: by the
// program's work between its own yields, but also by a slow handler or
// repaint inside event processing, which the yields cannot see. The window
// thread's own processor time in a gap tells the program's share from the
// time other processes of a busy machine took.
class Sonde {
public:
    Sonde()
    {
        m_minuteur.setTimerType(Qt::PreciseTimer);
        QObject::connect(&m_minuteur, &QTimer::timeout, &m_minuteur, [this] {
            noterEcart();
            m_chrono.restart();
            m_processeur = processeurMs();
        });
        m_minuteur.start(PeriodeSondeMs);
        recommencer();
    }
    void recommencer()
    {
        m_ecartMax = 0;
        m_processeurMax = 0;
        m_chrono.start();
        m_processeur = processeurMs();
    }
    // The gap still open counts too: a phase may end inside one.
    void terminer() { noterEcart(); }
    double ecartMaxMs() const { return m_ecartMax; }
    double processeurMaxMs() const { return m_processeurMax; }

private:
    void noterEcart()
    {
        m_ecartMax = std::max(m_ecartMax, m_chrono.nsecsElapsed() / 1e6);
        m_processeurMax = std::max(m_processeurMax, processeurMs() - m_processeur);
    }
    QTimer m_minuteur;
    QElapsedTimer m_chrono;
    double m_processeur = 0;
    double m_ecartMax = 0;
    double m_processeurMax = 0;
};

// The production seam, noting the stretches between the program's own
// yields, and acting in a modal window from inside its loop, as a user would.
class InteractionMesuree : public InteractionQt {
public:
    InteractionMesuree() { chrono.start(); }
    void laisserPasserEvenements() override
    {
        ecartMax = std::max(ecartMax, chrono.nsecsElapsed() / 1e6);
        ++cessions;
        InteractionQt::laisserPasserEvenements();
        chrono.restart();
    }
    // Answered as the phase's user would, when it says how.
    Reponse message(const Message &m) override { return repondre ? repondre(m) : InteractionQt::message(m); }
    int montrerModal(QDialog &dialogue) override
    {
        if (pendantModal)
            QTimer::singleShot(0, &dialogue, [this, &dialogue] { pendantModal(dialogue); });
        return InteractionQt::montrerModal(dialogue);
    }
    void recommencer()
    {
        ecartMax = 0;
        cessions = 0;
        chrono.start();
    }

    std::function<void(QDialog &)> pendantModal;
    std::function<Reponse(const Message &)> repondre;
    QElapsedTimer chrono;
    double ecartMax = 0;
    long cessions = 0;
};

long memoireMaxKo()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

// The loop runs on its own for a while, as between two actions of a user:
// repaints happen and the probe ticks.
void laisserVivre(int ms)
{
    QEventLoop boucle;
    QTimer::singleShot(ms, &boucle, &QEventLoop::quit);
    boucle.exec();
}

void touche(QWidget *cible, Qt::Key t, Qt::KeyboardModifiers modificateurs = Qt::NoModifier)
{
    QCoreApplication::postEvent(cible, new QKeyEvent(QEvent::KeyPress, t, modificateurs));
    QCoreApplication::postEvent(cible, new QKeyEvent(QEvent::KeyRelease, t, modificateurs));
    laisserVivre(10);
}

void cliquer(QAbstractItemView *vue, const QModelIndex &index)
{
    vue->scrollTo(index);
    laisserVivre(10);
    QWidget *zone = vue->viewport();
    const QPointF ici = vue->visualRect(index).center();
    const QPointF ecran = zone->mapToGlobal(ici);
    for (const QEvent::Type t : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease})
        QCoreApplication::postEvent(zone, new QMouseEvent(t, ici, ecran, Qt::LeftButton,
                                                          t == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton,
                                                          Qt::NoModifier));
    laisserVivre(10);
}

// Drags the scroll bar down and back up in steps, as a user going through
// the whole list would.
void parcourir(QAbstractItemView *vue)
{
    QScrollBar *barre = vue->verticalScrollBar();
    constexpr int Pas = 25;
    for (int i = 0; i <= Pas; ++i) {
        barre->setValue(barre->maximum() * i / Pas);
        laisserVivre(5);
    }
    for (int i = Pas; i >= 0; i -= 5) {
        barre->setValue(barre->maximum() * i / Pas);
        laisserVivre(5);
    }
}

// Cuts the run into phases and prints each as it ends, so a child that
// dies part-way still leaves the figures of what went before.
class Chronique {
public:
    Chronique(Sonde &sonde, InteractionMesuree &seam) : m_sonde(sonde), m_seam(seam) {}

    void commencer(const QString &nom, bool chronometre)
    {
        m_phase = Phase{};
        m_phase.nom = nom;
        m_chronometre = chronometre;
        m_sonde.recommencer();
        m_seam.recommencer();
        m_chrono.start();
    }
    void terminer(int elements)
    {
        if (m_chronometre)
            m_phase.secondes = m_chrono.nsecsElapsed() / 1e9;
        // The repaints the last action asked for belong to the phase.
        laisserVivre(30);
        m_sonde.terminer();
        m_phase.ecartMaxMs = m_sonde.ecartMaxMs();
        m_phase.processeurMaxMs = m_sonde.processeurMaxMs();
        m_phase.ecartCessionsMs = m_seam.ecartMax;
        m_phase.cessions = m_seam.cessions;
        m_phase.memoireKo = memoireMaxKo();
        m_phase.elements = elements;
        std::printf("%s\t%.3f\t%.1f\t%.1f\t%.1f\t%ld\t%ld\t%d\n", qPrintable(m_phase.nom), m_phase.secondes,
                    m_phase.ecartMaxMs, m_phase.processeurMaxMs, m_phase.ecartCessionsMs, m_phase.cessions,
                    m_phase.memoireKo, m_phase.elements);
        std::fflush(stdout);
    }

private:
    Sonde &m_sonde;
    InteractionMesuree &m_seam;
    QElapsedTimer m_chrono;
    Phase m_phase;
    bool m_chronometre = false;
};

// Inside the report window's modal loop, as the user would: a refresh that
// fills the grid with every fault, going through the grid, a second refresh
// over the full grid, then closing.
void utiliserRapport(frmRapportDetaille &r, Chronique &chronique)
{
    r.cmdActualiser->click();
    chronique.terminer(r.modele().rowCount());

    chronique.commencer(QStringLiteral("report window: scroll, select"), false);
    parcourir(r.MSHFlexGrid);
    if (r.modele().rowCount() > 0)
        cliquer(r.MSHFlexGrid, r.modele().index(r.modele().rowCount() / 2, 0));
    for (const int t : {Qt::Key_PageDown, Qt::Key_PageDown, Qt::Key_PageUp})
        touche(r.MSHFlexGrid, Qt::Key(t));
    touche(r.MSHFlexGrid, Qt::Key_End, Qt::ControlModifier);
    touche(r.MSHFlexGrid, Qt::Key_Home, Qt::ControlModifier);
    chronique.terminer(r.modele().rowCount());

    chronique.commencer(QStringLiteral("report window: refresh again"), true);
    r.cmdActualiser->click();
    chronique.terminer(r.modele().rowCount());

    chronique.commencer(QStringLiteral("report window: close"), false);
    r.cmdFermer->click();
}

// The child's program: offscreen, the default language, settings of its
// own, the main window shown on the game folder.
struct Banc {
    struct HorsEcran {
        HorsEcran() { qputenv("QT_QPA_PLATFORM", "offscreen"); }
    } horsEcran;
    QApplication app;
    InteractionMesuree seam;
    QTemporaryDir temp;
    Reglages store{temp.filePath(QStringLiteral("r.ini"))};
    std::unique_ptr<frmCorvanel> f;
    Sonde sonde;
    Chronique chronique{sonde, seam};

    Banc(int &argc, char **argv, const QString &jeu) : app(argc, argv)
    {
        definirInteraction(&seam);
        definirReglages(&store);
        DossierAppli = dossierProgramme();
        NomFichierLangue = LangueParDefaut;
        FichierLangue = DossierAppli + QStringLiteral("lang/") + NomFichierLangue;
        utiliserDossierJeu(jeu);
        f = std::make_unique<frmCorvanel>();
        TraduireFenetrePrincipale(*f, FichierLangue);
        f->show();
        laisserVivre(50);
    }
};

} // namespace

int mesurerQuestion(int argc, char *argv[], const QString &jeu)
{
    Banc b(argc, argv, jeu);
    b.f->cmdRechercher->click();
    b.f->cmdSelectionner[0]->click();
    laisserVivre(20);
    // Yes to the delete's own confirmation, No to the routes' question.
    b.seam.repondre = [](const Message &m) { return m.nonParDefaut ? Reponse::Non : Reponse::Oui; };
    b.chronique.commencer(QStringLiteral("main window: delete, routes read"), true);
    b.f->cmdSupprimer->click();
    b.chronique.terminer(b.f->lstLFI->count());
    return 0;
}

int mesurerScanFenetre(int argc, char *argv[], const QString &jeu)
{
    Banc b(argc, argv, jeu);
    b.chronique.commencer(QStringLiteral("main window: scan"), true);
    b.f->cmdRechercher->click();
    b.chronique.terminer(b.f->lstLFI->count());
    return 0;
}

int mesurerFenetres(int argc, char *argv[], const QString &jeu)
{
    Banc b(argc, argv, jeu);
    frmCorvanel &f = *b.f;
    Chronique &chronique = b.chronique;
    InteractionMesuree &seam = b.seam;

    chronique.commencer(QStringLiteral("main window: scan"), true);
    f.cmdRechercher->click();
    chronique.terminer(f.lstLFI->count());

    chronique.commencer(QStringLiteral("main window: list in use"), false);
    f.cmdSelectionner[0]->click();
    laisserVivre(20);
    parcourir(f.lstLFI);
    if (f.lstLFI->count() > 0)
        cliquer(f.lstLFI, f.lstLFI->model()->index(f.lstLFI->count() / 2, 0));
    for (const int t : {Qt::Key_End, Qt::Key_Home, Qt::Key_PageDown, Qt::Key_PageDown})
        touche(f.lstLFI, Qt::Key(t));
    f.cmdSelectionner[1]->click();
    laisserVivre(20);
    f.cmdSelectionner[0]->click();
    chronique.terminer(f.lstLFI->count());

    seam.pendantModal = [&chronique](QDialog &d) { utiliserRapport(static_cast<frmRapportDetaille &>(d), chronique); };
    chronique.commencer(QStringLiteral("report window: open, refresh"), true);
    f.cmdRapportDetaille->click();
    chronique.terminer(0);

    // Missing stock: a refresh over every consist, then the most named
    // vehicle replaced by the chooser's first offer, then that undone.
    seam.pendantModal = [](QDialog &d) { d.accept(); };
    // Yes to the count of consists to change, OK to the summary.
    seam.repondre = [](const Message &m) { return m.boutons == Boutons::OuiNon ? Reponse::Oui : Reponse::OK; };
    // The replacement's backups stay in the bench's own folder.
    qputenv("XDG_DATA_HOME", QFile::encodeName(b.temp.filePath(QStringLiteral("donnees"))));
    frmManquants m(&f);
    m.show();
    laisserVivre(20);
    chronique.commencer(QStringLiteral("missing stock: refresh"), true);
    m.cmdActualiser->click();
    chronique.terminer(m.modele().rowCount());
    m.MSHFlexGrid->selectRow(0);
    chronique.commencer(QStringLiteral("missing stock: replace"), true);
    m.cmdRemplacer->click();
    chronique.terminer(m.modele().rowCount());
    chronique.commencer(QStringLiteral("missing stock: undo"), true);
    m.cmdAnnuler->click();
    chronique.terminer(m.modele().rowCount());
    return 0;
}

QList<Phase> lirePhases(const QByteArray &sortie)
{
    QList<Phase> phases;
    for (const QByteArray &ligne : sortie.split('\n')) {
        const QList<QByteArray> c = ligne.split('\t');
        if (c.size() != 8)
            continue;
        Phase p;
        p.nom = QString::fromUtf8(c[0]);
        p.secondes = c[1].toDouble();
        p.ecartMaxMs = c[2].toDouble();
        p.processeurMaxMs = c[3].toDouble();
        p.ecartCessionsMs = c[4].toDouble();
        p.cessions = c[5].toLong();
        p.memoireKo = c[6].toLong();
        p.elements = c[7].toInt();
        phases << p;
    }
    return phases;
}

} // namespace corvanel::bench
