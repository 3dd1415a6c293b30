// zentick: Tarvo's Binary Clock on the desktop.
//
// Records the start directory, opens the display, creates the main window and runs the
// message loop until the window closes (Quit, the window manager's close, or SIGTERM,
// SIGINT or SIGHUP, which close it the same way so that the settings are saved). The
// command line is not read.
#include <csignal>
#include <cstdio>

#include "app/fclock.h"
#include "app/startdirectory.h"
#include "platform/native/x11.h"
#include "platform/sysutils.h"
#include "platform/ui/application.h"

namespace {

volatile std::sig_atomic_t closeRequested = 0;

// Only records the request and wakes the loop; the loop closes the window.
void OnSignal(int) {
    closeRequested = 1;
    if (native::HasBackend()) native::Backend().Wake();
}

void InstallSignalHandlers() {
    struct sigaction action {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    for (int signal : {SIGTERM, SIGINT, SIGHUP}) sigaction(signal, &action, nullptr);
    SetWakeHandler([] {
        if (closeRequested && Application && Application->MainForm()) Application->MainForm()->Close();
    });
}

}  // namespace

int main() {
    CaptureStartDirectory();
    std::unique_ptr<native::TBackend> backend = native::CreateX11Backend();
    if (!backend) {
        std::fprintf(stderr, "zentick: cannot open the display\n");
        return 1;
    }
    native::SetBackend(std::move(backend));
    InstallSignalHandlers();
    CreateApplication();
    try {
        Application->Initialize();
        TForm1* form1 = nullptr;
        Application->CreateForm(form1);
        if (closeRequested) Application->Terminate();
        Application->Run();
    } catch (const Exception& error) {
        Application->ShowException(error);
    }
    DestroyApplication();
    DestroyAllWindows();
    native::SetBackend(nullptr);
    return 0;
}
