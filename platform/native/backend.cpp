#include "platform/native/native.h"

#include <stdexcept>

namespace native {

namespace {
std::unique_ptr<TBackend>& Installed() {
    static std::unique_ptr<TBackend> backend;
    return backend;
}

std::function<void()>& LostHandler() {
    static std::function<void()> handler;
    return handler;
}
}  // namespace

TBackend& Backend() {
    if (!Installed()) throw std::logic_error("no window system backend installed");
    return *Installed();
}

bool HasBackend() {
    return Installed() != nullptr;
}

void SetBackend(std::unique_ptr<TBackend> backend) {
    Installed() = std::move(backend);
}

void SetConnectionLostHandler(std::function<void()> handler) {
    LostHandler() = std::move(handler);
}

void RunConnectionLostHandler() {
    // Taken out first: should the handler itself end here again, it does not run twice.
    std::function<void()> handler = std::move(LostHandler());
    LostHandler() = nullptr;
    if (handler) handler();
}

}  // namespace native
