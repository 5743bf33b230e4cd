#include "analysis/Ecriture.h"

#include "app/modDeclarations.h"
#include "localisation/LireLangue.h"

#include <QDir>
#include <QSaveFile>

#include <cerrno>

namespace corvanel {

std::optional<QString> ecrireFichier(const QString &chemin, const QByteArray &octets)
{
    QSaveFile f(chemin);
    // Writing straight into the target when no temporary file can be made
    // beside it would lose the old content on a failure half-way.
    f.setDirectWriteFallback(false);
    if (!f.open(QIODevice::WriteOnly))
        return f.errorString();
    if (f.write(octets) != octets.size()) {
        const QString description = f.errorString();
        f.cancelWriting();
        return description;
    }
    errno = 0;
    if (!f.commit()) {
        // A failed rename into place leaves QSaveFile's own text unset
        // ("Unknown error"); errno still names the reason.
        const int err = errno;
        return err != 0 ? qt_error_string(err) : f.errorString();
    }
    return std::nullopt;
}

void signalerEchecEcriture(const QString &chemin, const QString &description)
{
    interaction().erreur(QDir::toNativeSeparators(chemin) + QStringLiteral("\r\n\r\n") + description);
}

ChoixFichier choixEnregistrement(const QString &filtre)
{
    ChoixFichier c;
    c.titre = texte(QStringLiteral("Messages"), QStringLiteral("Msg19"));
    c.extensionParDefaut = QStringLiteral("txt");
    c.filtre = filtre;
    c.confirmerEcrasement = true;
    c.refuserLectureSeule = true;
    c.dossierInitial = DossierConsists;
    return c;
}

} // namespace corvanel
