#include "hexedit/endsignals.h"

#include <csignal>

#include "platform/native/native.h"
#include "platform/ui/winapi.h"

namespace {

volatile std::sig_atomic_t pendingSignal = 0;
std::function<void(int)> handler;

constexpr int kSignals[] = {
    SIGTERM,
    SIGINT,
#ifdef SIGHUP
    SIGHUP,
#endif
};

void OnSignal(int signal) {
    pendingSignal = signal;
    if (native::HasBackend()) native::Backend().Wake();
}

}  // namespace

void InstallEndSignals(std::function<void(int signal)> onSignal) {
    handler = std::move(onSignal);
    pendingSignal = 0;
    for (int signal : kSignals)
        std::signal(signal, OnSignal);
    SetWakeHandler([] {
        int signal = pendingSignal;
        if (signal == 0 || !handler) return;
        pendingSignal = 0;
        handler(signal);
    });
}

void RemoveEndSignals() {
    for (int signal : kSignals)
        std::signal(signal, SIG_DFL);
    SetWakeHandler(nullptr);
    handler = nullptr;
}
