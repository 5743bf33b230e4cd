// Parses the command line and hands over: to the scan or the report for
// scripts (no display needed), otherwise to start-up and the main window.
#include "app/Demo.h"
#include "app/Interaction.h"
#include "app/LigneDeCommande.h"
#include "app/Reglages.h"
#include "app/modDeclarations.h"
#include "app/modSubMain.h"
#include "platform/Chemins.h"
#include "platform/Instance.h"
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
                              QStringLiteral("With --scan, --report or --used-by: the language file (a path, or "
                                             "a name in lang/)."),
                              QStringLiteral("FILE")};

    void ajouter(QCommandLineParser &p) const
    {
        p.setApplicationDescription(
            QStringLiteral("Finds the consists of a Train Simulator folder that name missing engines or wagons."));
        p.addHelpOption();
        p.addVersionOption();
        p.addOptions({msts, demo, scan, rapport, utilisations, texte, langue});
    }
};

bool pourLaConsole(int argc, char *argv[])
{
    for (int i = 1; i < argc; ++i) {
        for (const char *o :
             {"--scan", "--report", "--used-by", "--help", "-h", "-?", "--help-all", "--version", "-v"}) {
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

    OptionsDemarrage d;
    if (p.isSet(o.msts))
        d.dossierJeu = p.value(o.msts);
    if (p.isSet(o.demo)) {
        QString erreur;
        const QString copie = copierDemo(dossierProgramme() + QStringLiteral("demo"), &erreur);
        if (copie.isEmpty()) {
            std::fprintf(stderr, "corvanel: %s\n", qPrintable(erreur));
            return 2;
        }
        std::fprintf(stderr, "corvanel: demo game folder copied to %s\n", qPrintable(copie));
        d.dossierJeu = copie;
    }

    InteractionQt seam;
    definirInteraction(&seam);
    Reglages store;
    definirReglages(&store);
    auto instance = std::make_unique<InstanceUnique>();
    seam.avantFin = [&instance] { instance.reset(); };

    auto fenetre = Main(d, *instance);
    if (!fenetre)
        return 0;
    return QApplication::exec();
}
