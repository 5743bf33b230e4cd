#include "platform/SignauxDeFin.h"

#include <QtGlobal>

#ifndef Q_OS_WIN

#include <QCoreApplication>
#include <QSocketNotifier>

#include <csignal>

#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace corvanel {

namespace {

// Only what a signal handler may touch: a descriptor, and a flag.
int g_ecriture = -1;
volatile std::sig_atomic_t g_recu = 0;

extern "C" void surSignal(int numero)
{
    if (g_recu) { // the first is still being handled: end as the signal would
        std::signal(numero, SIG_DFL);
        std::raise(numero);
        return;
    }
    g_recu = 1;
    const unsigned char octet = static_cast<unsigned char>(numero);
    [[maybe_unused]] const ssize_t n = ::write(g_ecriture, &octet, 1);
}

} // namespace

void surSignalDeFin(std::function<void(int)> action)
{
    int paire[2];
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, paire) != 0)
        return; // the signals keep their usual effect
    g_ecriture = paire[0];
    auto *notificateur = new QSocketNotifier(paire[1], QSocketNotifier::Read, QCoreApplication::instance());
    QObject::connect(notificateur, &QSocketNotifier::activated, notificateur, [action = std::move(action), paire] {
        unsigned char octet = 0;
        if (::read(paire[1], &octet, 1) == 1)
            action(octet);
    });
    struct sigaction sa {};
    sa.sa_handler = surSignal;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = SA_RESTART;
    for (const int numero : {SIGHUP, SIGINT, SIGTERM})
        ::sigaction(numero, &sa, nullptr);
}

} // namespace corvanel

#else

namespace corvanel {

void surSignalDeFin(std::function<void(int)>) {}

} // namespace corvanel

#endif
