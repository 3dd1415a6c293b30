#include "platform/native/native.h"

#include <stdexcept>

namespace native {

namespace {
std::unique_ptr<TBackend>& Installed() {
    static std::unique_ptr<TBackend> backend;
    return backend;
}
}  // namespace

TBackend& Backend() {
    if (!Installed()) throw std::logic_error("no window system backend installed");
    return *Installed();
}

bool HasBackend() { return Installed() != nullptr; }

void SetBackend(std::unique_ptr<TBackend> backend) { Installed() = std::move(backend); }

}  // namespace native
