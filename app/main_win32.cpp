// zentick on Windows: Tarvo's Binary Clock on the desktop.
//
// Records the start directory, makes the win32 backend, creates the main window and runs
// the message loop until the window closes (Quit, Alt+F4, or another program asking the
// window to close, which saves the settings the same way). A GUI program (-mwindows): no
// console opens with it. The command line is not read.
#include "app/fclock.h"
#include "app/startdirectory.h"
#include "platform/native/win32/win32.h"
#include "platform/ui/application.h"

int main() {
    CaptureStartDirectory();
    std::unique_ptr<native::TBackend> backend = native::CreateWin32Backend();
    if (!backend) return 1;
    return RunProgram(std::move(backend), [] {
        TForm1* form1 = nullptr;
        Application->CreateForm(form1);
        Application->Run();
        return 0;
    });
}
