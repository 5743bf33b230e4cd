#include "localisation/TraductionsQt.h"

#include "commun/modDeclarations.h"
#include "localisation/LireLangue.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

#include <memory>

namespace corvanel {

void chargerTraductionsQt(const QString &fichier)
{
    static std::unique_ptr<QTranslator> enUsage;
    if (enUsage) {
        QCoreApplication::removeTranslator(enUsage.get());
        enUsage.reset();
    }
    // Dates follow the language of the window too (month names and their
    // order in the properties and the overwrite question), from the file's
    // optional Locale key; without it, the system's.
    const QString regional = LireLangue(fichier, QStringLiteral("Language"), QStringLiteral("Locale"), false);
    QLocale::setDefault(regional.isEmpty() ? QLocale::system() : QLocale(regional));
    const QString langue = LireLangue(fichier, QStringLiteral("Language"), QStringLiteral("Qt"), false);
    const QLocale locale = langue.isEmpty() ? QLocale::system() : QLocale(langue);
    auto traducteur = std::make_unique<QTranslator>();
    // Qt's own folder (Debian's qt6-translations-l10n), else a translations
    // folder shipped beside the program, as Windows deployments have it.
    for (const QString &dossier :
         {QLibraryInfo::path(QLibraryInfo::TranslationsPath), DossierAppli + QStringLiteral("translations")}) {
        if (traducteur->load(locale, QStringLiteral("qtbase"), QStringLiteral("_"), dossier)) {
            QCoreApplication::installTranslator(traducteur.get());
            enUsage = std::move(traducteur);
            return;
        }
    }
}

} // namespace corvanel
