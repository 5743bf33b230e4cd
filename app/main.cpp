// Parses the command line and hands over to start-up.
#include "app/Demo.h"
#include "app/Interaction.h"
#include "app/Reglages.h"
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

using namespace corvanel;

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Corvanel"));
    QApplication::setOrganizationName(QStringLiteral("Corvanel"));
    QApplication::setApplicationVersion(QStringLiteral(CORVANEL_VERSION));
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    QApplication::setFont(policeFenetres());

    QCommandLineParser options;
    options.setApplicationDescription(
        QStringLiteral("Finds the consists of a Train Simulator folder that name missing engines or wagons."));
    options.addHelpOption();
    options.addVersionOption();
    const QCommandLineOption msts(QStringLiteral("msts"),
                                  QStringLiteral("Use DIR as the game folder instead of the registry's value."),
                                  QStringLiteral("DIR"));
    const QCommandLineOption demo(QStringLiteral("demo"),
                                  QStringLiteral("Start on a fresh copy of the bundled demo game folder."));
    options.addOption(msts);
    options.addOption(demo);
    options.process(app);

    OptionsDemarrage o;
    if (options.isSet(msts))
        o.dossierJeu = options.value(msts);
    if (options.isSet(demo)) {
        QString erreur;
        const QString copie = copierDemo(dossierProgramme() + QStringLiteral("demo"), &erreur);
        if (copie.isEmpty()) {
            std::fprintf(stderr, "corvanel: %s\n", qPrintable(erreur));
            return 2;
        }
        std::fprintf(stderr, "corvanel: demo game folder copied to %s\n", qPrintable(copie));
        o.dossierJeu = copie;
    }

    InteractionQt seam;
    definirInteraction(&seam);
    Reglages store;
    definirReglages(&store);
    InstanceUnique instance;
    seam.avantFin = [&] { instance.~InstanceUnique(); };

    auto fenetre = Main(o, instance);
    if (!fenetre)
        return 0;
    const int code = QApplication::exec();
    return code;
}
