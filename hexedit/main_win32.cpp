// zentick-hexedit on Windows: the hex editor on the desktop.
//
// Reads the command line (hexedit/options.h), makes the win32 backend, shows the main
// window with the file named on the command line (or none) and runs the message loop
// until the window closes. A GUI program (-mwindows) has no console to print to: the
// help, the version and a wrong command line are shown in a message box instead.
#include <memory>
#include <string>
#include <vector>

#include "hexedit/fhexedit.h"
#include "hexedit/options.h"
#include "platform/native/win32/win32.h"
#include "platform/ui/application.h"
#include "platform/ui/msgbox.h"
#include "platform/ui/winapi.h"

int main(int argc, char** argv) {
    THexEditOptions options = ParseHexEditOptions(std::vector<std::string>(argv + 1, argv + argc));
    std::unique_ptr<native::TBackend> backend = native::CreateWin32Backend();
    if (!backend) return 1;
    SetProgramWindowClass(kHexEditName);
    return RunProgram(std::move(backend), [&options] {
        if (!options.Error.empty()) {
            MessageBoxA(nullptr, options.Error + "\n\n" + HexEditUsage(), kHexEditName,
                        MB_OK | MB_ICONERROR);
            return 2;
        }
        if (options.Help || options.Version) {
            MessageBoxA(nullptr, options.Help ? HexEditUsage() : HexEditVersion(), kHexEditName,
                        MB_OK | MB_ICONINFORMATION);
            return 0;
        }
        TFormHexEdit* form = nullptr;
        Application->CreateForm(form);
        form->Show();
        if (!options.FileName.empty()) form->OpenArgument(options.FileName);
        Application->Run();
        return 0;
    });
}
