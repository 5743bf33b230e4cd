#include "platform/ErreurExecution.h"

#include <QFileInfo>

#include <cerrno>

namespace corvanel {

ErreurExecution::ErreurExecution(int numero, QString description)
    : m_numero(numero), m_description(std::move(description)),
      m_what(QStringLiteral("%1. %2").arg(numero).arg(m_description).toUtf8())
{
}

ErreurExecution::ErreurExecution(int numero) : ErreurExecution(numero, descriptionFrancaise(numero)) {}

QString ErreurExecution::descriptionFrancaise(int numero)
{
    switch (numero) {
    case NumErreur::AppelIncorrect:
        return QStringLiteral("Appel de procédure ou argument incorrect");
    case NumErreur::Depassement:
        return QStringLiteral("Dépassement de capacité");
    case NumErreur::IncompatibiliteType:
        return QStringLiteral("Incompatibilité de type");
    case NumErreur::NomFichierIncorrect:
        return QStringLiteral("Nom ou numéro de fichier incorrect");
    case NumErreur::FichierIntrouvable:
        return QStringLiteral("Fichier introuvable");
    case NumErreur::ErreurES:
        return QStringLiteral("Erreur d'entrée/sortie de périphérique");
    case NumErreur::FichierExiste:
        return QStringLiteral("Ce fichier existe déjà");
    case NumErreur::DisquePlein:
        return QStringLiteral("Disque plein");
    case NumErreur::PermissionRefusee:
        return QStringLiteral("Permission refusée");
    case NumErreur::AccesChemin:
        return QStringLiteral("Erreur d'accès au chemin/fichier");
    case NumErreur::CheminIntrouvable:
        return QStringLiteral("Chemin d'accès introuvable");
    default:
        return QStringLiteral("Erreur définie par l'application ou par l'objet");
    }
}

ErreurExecution ErreurExecution::depuisErrno(int err, bool cheminAbsent)
{
    switch (err) {
    case ENOENT:
        return ErreurExecution(cheminAbsent ? NumErreur::CheminIntrouvable : NumErreur::FichierIntrouvable);
    case ENOTDIR:
        return ErreurExecution(NumErreur::CheminIntrouvable);
    case EACCES:
    case EPERM:
    case EROFS:
    case EBUSY:
    case ETXTBSY:
        return ErreurExecution(NumErreur::PermissionRefusee);
    case EEXIST:
    case ENOTEMPTY:
        return ErreurExecution(NumErreur::FichierExiste);
    case ENOSPC:
#ifdef EDQUOT
    case EDQUOT:
#endif
    case EFBIG:
        return ErreurExecution(NumErreur::DisquePlein);
    case EIO:
        return ErreurExecution(NumErreur::ErreurES);
    case EINVAL:
        return ErreurExecution(NumErreur::AppelIncorrect);
#ifdef EILSEQ
    case EILSEQ:
        return ErreurExecution(NumErreur::NomFichierIncorrect);
#endif
    default:
        return ErreurExecution(NumErreur::AccesChemin);
    }
}

ErreurExecution ErreurExecution::depuisFichier(const QFileDevice &f)
{
    switch (f.error()) {
    case QFileDevice::PermissionsError:
        return ErreurExecution(NumErreur::PermissionRefusee);
    case QFileDevice::ResourceError:
        return ErreurExecution(NumErreur::DisquePlein);
    case QFileDevice::ReadError:
    case QFileDevice::WriteError:
        return ErreurExecution(NumErreur::ErreurES);
    case QFileDevice::OpenError:
        return ErreurExecution(QFileInfo::exists(f.fileName()) ? NumErreur::AccesChemin
                                                               : NumErreur::FichierIntrouvable);
    default:
        return ErreurExecution(NumErreur::AccesChemin);
    }
}

const char *ErreurExecution::what() const noexcept
{
    return m_what.constData();
}

QString texteRapportFatal(VarianteRapport v, const ErreurExecution &e)
{
    QString premier;
    bool point = true;
    switch (v) {
    case VarianteRapport::ErreurNo:
        premier = QStringLiteral("Erreur n° ");
        break;
    case VarianteRapport::ErreurNoSansPoint:
        premier = QStringLiteral("Erreur n° ");
        point = false;
        break;
    case VarianteRapport::ErreurNoColle:
        premier = QStringLiteral("Erreur n°");
        point = false;
        break;
    }
    return premier + QString::number(e.numero()) + QStringLiteral(". ") + e.description() +
           (point ? QStringLiteral(".") : QString()) + QStringLiteral("\r\n\r\n") +
           QStringLiteral("Si le problème persiste, veuillez contacter l'auteur du programme.");
}

} // namespace corvanel
