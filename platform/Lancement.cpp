#include "platform/Lancement.h"

#include <cerrno>

#ifdef Q_OS_UNIX
#include <QFile>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>
#include <vector>

extern char **environ;
#else
#include <QFileInfo>
#include <QProcess>
#endif

namespace corvanel {

int demarrerDetache(const QString &programme, const QStringList &arguments)
{
#ifdef Q_OS_UNIX
    // posix_spawn reports the exec's own failure, which a detached QProcess
    // turns into an English sentence without its number.
    std::vector<QByteArray> octets;
    octets.reserve(std::size_t(arguments.size()) + 1);
    octets.push_back(QFile::encodeName(programme));
    for (const QString &a : arguments)
        octets.push_back(QFile::encodeName(a));
    std::vector<char *> argv;
    for (QByteArray &o : octets)
        argv.push_back(o.data());
    argv.push_back(nullptr);
    pid_t pid = 0;
    const int erreur = ::posix_spawn(&pid, argv[0], nullptr, nullptr, argv.data(), environ);
    if (erreur != 0)
        return erreur;
    // The editor lives on its own; only its exit status is collected, so
    // that it leaves no zombie behind while the program runs.
    std::thread([pid] {
        int etat = 0;
        while (::waitpid(pid, &etat, 0) < 0 && errno == EINTR) {
        }
    }).detach();
    return 0;
#else
    if (QProcess::startDetached(programme, arguments))
        return 0;
    // Qt keeps the system's code to itself here: tell a missing program from
    // one that cannot be run.
    return QFileInfo(programme).isFile() ? EACCES : ENOENT;
#endif
}

} // namespace corvanel
