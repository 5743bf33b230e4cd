#pragma once
// A request to end the program from outside (the terminal closed, a logout,
// kill) turned into an ordinary call on the event loop's thread, so the
// program ends through its own closing steps (a demo copy removed, the
// single-instance lock released) rather than vanishing mid-way.
#include <functional>

namespace corvanel {

// From now on SIGHUP, SIGINT and SIGTERM call `action` with the signal's
// number once the event loop runs; a second signal while it has not
// returned ends the program as the signal would. Nothing on Windows, whose
// console closes the program itself.
void surSignalDeFin(std::function<void(int)> action);

} // namespace corvanel
