#include "platform/Instance.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QLockFile>
#include <QStandardPaths>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

namespace corvanel {

namespace {

// A lock file whose owner cannot be read (a copy killed, or power lost,
// between creating the file and writing its owner into it) is taken as left
// over once it is this old; younger, it may be another copy starting now.
constexpr qint64 AgeVerrouIllisibleMs = 10'000;

QString nomUtilisateur()
{
    for (const char *variable : {"USER", "USERNAME", "LOGNAME"}) {
        const QString nom = qEnvironmentVariable(variable);
        if (!nom.isEmpty())
            return nom;
    }
#ifdef Q_OS_UNIX
    return QString::number(::getuid());
#else
    return QStringLiteral("utilisateur");
#endif
}

// The name goes into a file name: nothing that would change the folder.
QString pourNomDeFichier(QString texte)
{
    for (QChar &c : texte) {
        if (c == u'/' || c == u'\\' || c == u':' || c == u'*' || c == u'?' || c == u'"' || c == u'<' || c == u'>' ||
            c == u'|' || c.unicode() < 32)
            c = u'_';
    }
    return texte;
}

} // namespace

InstanceUnique::InstanceUnique(const QString &cheminVerrou)
    : m_chemin(cheminVerrou.isEmpty() ? cheminParDefaut() : cheminVerrou),
      m_verrou(std::make_unique<QLockFile>(m_chemin))
{
    // Never by age: the program may run for days. A lock whose owner is no
    // longer running is still recognised, from the process id it holds.
    m_verrou->setStaleLockTime(0);
}

InstanceUnique::~InstanceUnique() = default;

bool InstanceUnique::acquerir()
{
    if (m_verrou->isLocked())
        return true;
    if (m_verrou->tryLock(0))
        return true;

    switch (m_verrou->error()) {
    case QLockFile::LockFailedError: {
        // tryLock already removed a lock whose owner process is gone; what
        // is left is a live copy, or a lock file without a readable owner.
        qint64 pid = 0;
        QString hote;
        QString application;
        if (m_verrou->getLockInfo(&pid, &hote, &application))
            return false;
        const QDateTime modifie = QFileInfo(m_chemin).lastModified();
        if (!modifie.isValid() || qAbs(modifie.msecsTo(QDateTime::currentDateTime())) < AgeVerrouIllisibleMs)
            return false;
        // Removal still fails while another process holds the file locked.
        if (!m_verrou->removeStaleLockFile())
            return false;
        return m_verrou->tryLock(0);
    }
    case QLockFile::PermissionError:
    case QLockFile::UnknownError:
    case QLockFile::NoError:
        break;
    }
    // The lock cannot be made at all (folder missing or read-only): whether
    // another copy runs is unknown, and refusing to start would lock the
    // user out for a fault of the system.
    return true;
}

QString InstanceUnique::cheminParDefaut()
{
    QString dossier;
#if defined(Q_OS_UNIX) && !defined(Q_OS_DARWIN)
    // Without a session's runtime folder Qt would make one up in /tmp and
    // complain about it on every start; the temporary folder does as well.
    if (!qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR"))
        dossier = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
#else
    dossier = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
#endif
    if (dossier.isEmpty())
        dossier = QDir::tempPath();
    return dossier + QStringLiteral("/corvanel-") + pourNomDeFichier(nomUtilisateur()) + QStringLiteral(".lock");
}

} // namespace corvanel
