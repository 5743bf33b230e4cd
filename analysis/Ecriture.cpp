#include "analysis/Ecriture.h"

#include "commun/modDeclarations.h"
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
    // Unbuffered: QSaveFile (Qt 6.4) takes no notice of a failure while its
    // buffer is written out at commit, and would put a file cut short by a
    // full disk in place of the old one, reporting success.
    if (!f.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return f.errorString();
    errno = 0;
    if (f.write(octets) != octets.size()) {
        // A write cut short leaves QSaveFile's own text unset; errno
        // names the reason.
        const int err = errno;
        const QString description = err != 0 ? qt_error_string(err) : f.errorString();
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
