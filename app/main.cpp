// Parses the command line and hands over: to the scan or the report for
// scripts (no display needed), otherwise to start-up and the main window.
#include "app/Demo.h"
#include "app/LigneDeCommande.h"
#include "app/LigneDeCommandeReparation.h"
#include "app/modSubMain.h"
#include "commun/Interaction.h"
#include "commun/Reglages.h"
#include "commun/modDeclarations.h"
#include "localisation/LireLangue.h"
#include "platform/Chemins.h"
#include "platform/Instance.h"
#include "platform/SignauxDeFin.h"
#include "platform/Texte.h"
#include "ui/Geometrie.h"
#include "ui/InteractionQt.h"
#include "ui/frmCorvanel.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QFileInfo>
#include <QStyleFactory>

#include <array>
#include <cstdio>
#include <memory>
#include <optional>
#include <utility>

using namespace corvanel;
using namespace Qt::StringLiterals;

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
    QCommandLineOption routes{
        QStringLiteral("routes"),
        QStringLiteral(
            "Print, as CSV (route,file,effect,missing), what each activity and timetable of GAMEDIR's routes "
            "names that is missing, and exit (0: nothing missing, 1: something, 2: the folder cannot be "
            "used)."),
        QStringLiteral("GAMEDIR")};
    QCommandLineOption texte{QStringLiteral("text"), QStringLiteral("With --report: the text layout instead of CSV.")};
    QCommandLineOption langue{
        QStringLiteral("lang"),
        QStringLiteral("The language file (a path, or a name in lang/), for the window or any mode below; the "
                       "window uses it for this run only."),
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

    std::array<const QCommandLineOption *, 7> modes() const
    {
        return {&scan, &rapport, &utilisations, &routes, &manquants, &remplacer, &annuler};
    }
    std::array<const QCommandLineOption *, 11> avecValeur() const
    {
        return {&msts, &scan, &rapport, &utilisations, &routes, &langue, &manquants, &remplacer, &de, &vers, &annuler};
    }

    void ajouter(QCommandLineParser &p) const
    {
        p.setApplicationDescription(
            QStringLiteral("Finds the consists of a Train Simulator folder that name missing engines or wagons."));
        p.addHelpOption();
        p.addVersionOption();
        p.addOptions({msts, demo, scan, rapport, utilisations, routes, texte, langue, manquants, remplacer, de, vers,
                      simulation, annuler});
    }
};

// A usage error, told in the language file's words: the key and what fills
// its placeholders.
struct FauteUsage {
    const char *cle;
    QString option, autre;
};

// What the command line asks, checked before any display is needed, so a
// mistyped option is told as such on a machine without one.
struct Demande {
    std::optional<FauteUsage> faute;
    bool console = false; // a mode for scripts, --help or --version
};

Demande analyser(QCommandLineParser &p, const Options &o, const QStringList &arguments)
{
    Demande d;
    const auto faute = [&d](const char *cle, const QString &option, const QString &autre = {}) {
        d.faute = FauteUsage{cle, option, autre};
        return d;
    };
    const auto nom = [](const QCommandLineOption &option) { return u"--"_s + option.names().constFirst(); };
    if (!p.parse(arguments)) {
        if (!p.unknownOptionNames().isEmpty()) {
            const QString inconnue = p.unknownOptionNames().constFirst();
            return faute("Error62", (inconnue.size() == 1 ? u"-"_s : u"--"_s) + inconnue);
        }
        // Qt stops at the first option left without its value: the last one
        // given that takes a value.
        QString sansValeur = p.errorText();
        for (const QString &a : arguments) {
            for (const QCommandLineOption *option : o.avecValeur())
                if (a == nom(*option))
                    sansValeur = a;
        }
        return faute("Error63", sansValeur);
    }
    d.console = p.isSet(u"help"_s) || p.isSet(u"help-all"_s) || p.isSet(u"version"_s);
    const QCommandLineOption *mode = nullptr;
    for (const QCommandLineOption *m : o.modes()) {
        if (!p.isSet(*m))
            continue;
        if (mode)
            return faute("Error64", nom(*mode), nom(*m));
        mode = m;
    }
    if (!p.positionalArguments().isEmpty())
        return faute("Error65", p.positionalArguments().constFirst());
    const bool remplacement = mode == &o.remplacer;
    for (const QCommandLineOption *requise : {&o.de, &o.vers}) {
        if (remplacement && !p.isSet(*requise))
            return faute("Error66", nom(o.remplacer), nom(*requise));
        if (!remplacement && p.isSet(*requise))
            return faute("Error67", nom(*requise), nom(o.remplacer));
    }
    if (!remplacement && p.isSet(o.simulation))
        return faute("Error67", nom(o.simulation), nom(o.remplacer));
    if (mode != &o.rapport && p.isSet(o.texte))
        return faute("Error67", nom(o.texte), nom(o.rapport));
    d.console = d.console || mode;
    return d;
}

QString texteFaute(const FauteUsage &f)
{
    QString t = texte(u"Errors"_s, QString::fromLatin1(f.cle));
    for (const auto &[marque, valeur] :
         {std::pair{u"[option]", f.option}, std::pair{u"[other]", f.autre}, std::pair{u"[argument]", f.option}})
        t = remplacer(t, marque, valeur);
    return t;
}

void nommer()
{
    QCoreApplication::setApplicationName(QStringLiteral("Corvanel"));
    QCoreApplication::setOrganizationName(QStringLiteral("Corvanel"));
    QCoreApplication::setApplicationVersion(QStringLiteral(CORVANEL_VERSION));
}

int console(int argc, char *argv[], QCommandLineParser &p, const Options &o, const Demande &demande)
{
    QCoreApplication app(argc, argv);
    nommer();
    InteractionConsole seam;
    definirInteraction(&seam);
    Reglages store;
    definirReglages(&store);
    DossierAppli = dossierProgramme();
    if (demande.faute) {
        // In the language asked for when it can be had, else the user's.
        choisirLangue(p.value(o.langue));
        if (!QFileInfo(FichierLangue).isFile())
            choisirLangue({});
        ecrireConsole(stderr, u"corvanel: "_s + texteFaute(*demande.faute) + u'\n');
        return SortieInutilisable;
    }
    if (p.isSet(u"help"_s) || p.isSet(u"help-all"_s))
        p.showHelp(0);
    if (p.isSet(u"version"_s))
        p.showVersion();

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
    } else if (p.isSet(o.routes)) {
        a.dossierJeu = p.value(o.routes);
        a.mode = OptionsAnalyse::Mode::Routes;
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
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    Options o;
    QCommandLineParser p;
    o.ajouter(p);
    const Demande demande = analyser(p, o, arguments);
    if (demande.faute || demande.console)
        return console(argc, argv, p, o, demande);

    QApplication app(argc, argv);
    nommer();
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    QApplication::setFont(policeFenetres());
    QApplication::setWindowIcon(iconeProgramme());
    QGuiApplication::setDesktopFileName(QStringLiteral("org.corvanel.Corvanel"));

    // One copy at a time, decided before anything is written: a second copy
    // ends here, before it copies the demo folder or touches a setting.
    auto instance = std::make_unique<InstanceUnique>();
    if (!instance->acquerir())
        return 0;

    OptionsDemarrage d;
    if (p.isSet(o.msts))
        d.dossierJeu = p.value(o.msts);
    d.langue = p.value(o.langue);
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
