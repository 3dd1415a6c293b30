// The signals that end zentick-hexedit at once: SIGTERM, SIGHUP (where the system has it)
// and SIGINT. A handler only notes the signal and wakes the message loop; the loop then
// calls onSignal with the signal's number, outside the signal, where it may write files
// and end the program.
#pragma once

#include <functional>

void InstallEndSignals(std::function<void(int signal)> onSignal);
// Puts the system's own handling back (for tests).
void RemoveEndSignals();
