// A headless desktop for tests: installs the headless backend and the fixed font, makes
// the Application and Screen objects, and removes them again. Exceptions raised inside
// event handlers reach the test instead of a message box.
#pragma once

#include <memory>

#include "platform/gfx/font.h"
#include "platform/native/headless.h"
#include "platform/ui/application.h"
#include "platform/ui/winapi.h"

class THeadlessApp {
public:
    explicit THeadlessApp(TSize screen = {1024, 768}, int pixelsPerInch = 96) {
        auto backend = std::make_unique<native::THeadlessBackend>(screen, pixelsPerInch);
        backend_ = backend.get();
        native::SetBackend(std::move(backend));
        SetFontProvider(CreateFixedFontProvider());
        CreateApplication();
        Application->OnException = [](TObject*, const std::exception&) { throw; };
    }
    ~THeadlessApp() {
        DestroyApplication();
        DestroyAllWindows();
        native::SetBackend(nullptr);
    }
    THeadlessApp(const THeadlessApp&) = delete;
    THeadlessApp& operator=(const THeadlessApp&) = delete;

    native::THeadlessBackend& Backend() { return *backend_; }
    int64_t Now() const { return backend_->NowMs(); }

    // Handles messages while the virtual clock moves on by ms; timers fire on the way.
    void Run(int64_t ms = 0) {
        int64_t deadline = Now() + ms;
        for (;;) {
            Application->ProcessMessages();
            if (Now() >= deadline) break;
            WaitForMessage(deadline);
        }
        Application->ProcessMessages();
    }

private:
    native::THeadlessBackend* backend_;
};
