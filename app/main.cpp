// Parses the command line and hands over: to the scan or the report for
// scripts (no display needed), otherwise to start-up and the main window.
#include "app/Demo.h"
#include "app/LigneDeCommande.h"
#include "app/LigneDeCommandeReparation.h"
#include "app/modSubMain.h"
#include "commun/Interaction.h"
#include "commun/Reglages.h"
#include "commun/modDeclarations.h"
#include "platform/Chemins.h"
#include "platform/Instance.h"
#include "platform/SignauxDeFin.h"
#include "ui/Geometrie.h"
#include "ui/InteractionQt.h"
#include "ui/frmCorvanel.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QStyleFactory>

#include <cstdio>
#include <cstring>
#include <memory>

using namespace corvanel;

namespace {

struct Options {
    QCommandLineOption msts{QStringLiteral("msts"),
                            QStringLiteral("Use DIR as the game folder instead of the registry's value."),
                            QStringLiteral("DIR")};
    QCommandLineOption demo{QStringLiteral("demo"),
                            QStringLiteral("Start on a fresh copy of the bundled demo game folder.")};
    QCommandLineOption scan{QStringLiteral("scan"),
                            QStringLiteral("Print the invalid consists of GAMEDIR, one a line, and exit "
                                           "(0: none, 1: some, 2: the folder cannot be used)."),
                            QStringLiteral("GAMEDIR")};
    QCommandLineOption rapport{QStringLiteral("report"),
                               QStringLiteral("Print the detailed report of GAMEDIR (CSV) and exit; exit codes "
                                              "as --scan."),
                               QStringLiteral("GAMEDIR")};
    QCommandLineOption utilisations{
        QStringLiteral("used-by"),
        QStringLiteral("Print, as CSV, the services of GAMEDIR's routes that use an invalid consist and the "
                       "activities that run them, and exit (0: none used, 1: some, 2: the folder cannot be used)."),
        QStringLiteral("GAMEDIR")};
    QCommandLineOption texte{QStringLiteral("text"), QStringLiteral("With --report: the text layout instead of CSV.")};
    QCommandLineOption langue{QStringLiteral("lang"),
                              QStringLiteral("With --scan, --report, --used-by, --missing, --replace or --undo: "
                                             "the language file (a path, or a name in lang/)."),
                              QStringLiteral("FILE")};
    QCommandLineOption manquants{QStringLiteral("missing"),
                                 QStringLiteral("Print the missing vehicles of GAMEDIR as CSV (folder, file, "
                                                "consists naming it, where a file of that name stands) and exit "
                                                "(0: none, 1: some, 2: the folder cannot be used)."),
                                 QStringLiteral("GAMEDIR")};
    QCommandLineOption remplacer{QStringLiteral("replace"),
                                 QStringLiteral("Replace --from by --to in every consist of GAMEDIR naming it, "
                                                "print the consists changed and exit (0: all changed, 1: none "
                                                "names it or some were left, 2: it cannot be done)."),
                                 QStringLiteral("GAMEDIR")};
    QCommandLineOption de{QStringLiteral("from"), QStringLiteral("With --replace: the vehicle replaced."),
                          QStringLiteral("Folder/Name.ext")};
    QCommandLineOption vers{QStringLiteral("to"), QStringLiteral("With --replace: the vehicle put in its place."),
                            QStringLiteral("Folder/Name.ext")};
    QCommandLineOption simulation{QStringLiteral("dry-run"),
                                  QStringLiteral("With --replace: only print the consists that would change.")};
    QCommandLineOption annuler{QStringLiteral("undo"),
                               QStringLiteral("Undo the last replacement on GAMEDIR not undone yet and exit (0: all "
                                              "restored, 1: nothing to undo or some were left, 2: the folder "
                                              "cannot be used)."),
                               QStringLiteral("GAMEDIR")};

    void ajouter(QCommandLineParser &p) const
    {
        p.setApplicationDescription(
            QStringLiteral("Finds the consists of a Train Simulator folder that name missing engines or wagons."));
        p.addHelpOption();
        p.addVersionOption();
        p.addOptions({msts, demo, scan, rapport, utilisations, texte, langue, manquants, remplacer, de, vers,
                      simulation, annuler});
    }
};

bool pourLaConsole(int argc, char *argv[])
{
    for (int i = 1; i < argc; ++i) {
        for (const char *o : {"--scan", "--report", "--used-by", "--missing", "--replace", "--undo", "--help", "-h",
                              "-?", "--help-all", "--version", "-v"}) {
            if (std::strcmp(argv[i], o) == 0 ||
                (std::strncmp(argv[i], o, std::strlen(o)) == 0 && argv[i][std::strlen(o)] == '='))
                return true;
        }
    }
    return false;
}

void nommer()
{
    QCoreApplication::setApplicationName(QStringLiteral("Corvanel"));
    QCoreApplication::setOrganizationName(QStringLiteral("Corvanel"));
    QCoreApplication::setApplicationVersion(QStringLiteral(CORVANEL_VERSION));
}

int console(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    nommer();
    Options o;
    QCommandLineParser p;
    o.ajouter(p);
    p.process(app);

    InteractionConsole seam;
    definirInteraction(&seam);
    Reglages store;
    definirReglages(&store);
    DossierAppli = dossierProgramme();

    if (p.isSet(o.manquants) || p.isSet(o.remplacer) || p.isSet(o.annuler)) {
        OptionsReparation r;
        r.langue = p.value(o.langue);
        r.mode = p.isSet(o.manquants)   ? OptionsReparation::Mode::Manquants
                 : p.isSet(o.remplacer) ? OptionsReparation::Mode::Remplacer
                                        : OptionsReparation::Mode::Annuler;
        r.dossierJeu = p.value(p.isSet(o.manquants) ? o.manquants : p.isSet(o.remplacer) ? o.remplacer : o.annuler);
        r.ancien = p.value(o.de);
        r.nouveau = p.value(o.vers);
        r.simulation = p.isSet(o.simulation);
        return executerReparation(r, stdout, stderr);
    }
    OptionsAnalyse a;
    a.langue = p.value(o.langue);
    if (p.isSet(o.scan)) {
        a.dossierJeu = p.value(o.scan);
    } else if (p.isSet(o.utilisations)) {
        a.dossierJeu = p.value(o.utilisations);
        a.mode = OptionsAnalyse::Mode::Utilisations;
    } else {
        a.dossierJeu = p.value(o.rapport);
        a.mode = p.isSet(o.texte) ? OptionsAnalyse::Mode::RapportTexte : OptionsAnalyse::Mode::RapportCsv;
    }
    return executerAnalyse(a, stdout, stderr);
}

} // namespace

int main(int argc, char *argv[])
{
    if (pourLaConsole(argc, argv))
        return console(argc, argv);

    QApplication app(argc, argv);
    nommer();
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    QApplication::setFont(policeFenetres());
    QApplication::setWindowIcon(iconeProgramme());
    QGuiApplication::setDesktopFileName(QStringLiteral("org.corvanel.Corvanel"));
    Options o;
    QCommandLineParser p;
    o.ajouter(p);
    p.process(app);

    // One copy at a time, decided before anything is written: a second copy
    // ends here, before it copies the demo folder or touches a setting.
    auto instance = std::make_unique<InstanceUnique>();
    if (!instance->acquerir())
        return 0;

    OptionsDemarrage d;
    if (p.isSet(o.msts))
        d.dossierJeu = p.value(o.msts);
    QString demo;
    if (p.isSet(o.demo)) {
        QString erreur;
        demo = copierDemo(dossierProgramme() + QStringLiteral("demo"), &erreur);
        if (demo.isEmpty()) {
            std::fprintf(stderr, "corvanel: %s\n", qPrintable(erreur));
            return 2;
        }
        std::fprintf(stderr, "corvanel: demo game folder copied to %s\n", qPrintable(demo));
        d.dossierJeu = demo;
    }

    InteractionQt seam;
    definirInteraction(&seam);
    Reglages store;
    definirReglages(&store);
    // Every end the program makes itself (window closed, Quit, a reported
    // failure) removes the demo copy, so repeated demos leave nothing behind.
    const auto finir = [&instance, &demo] {
        supprimerDemo(demo);
        instance.reset();
    };
    seam.avantFin = finir;
    // Closing the terminal a demo was started from ends it the same way.
    if (!demo.isEmpty())
        surSignalDeFin([&seam](int numero) { seam.terminer(128 + numero); });

    auto fenetre = Main(d, *instance);
    int code = 0;
    if (fenetre)
        code = QApplication::exec();
    fenetre.reset();
    finir();
    return code;
}
