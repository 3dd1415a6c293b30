// zentick-hexedit: the hex editor on the desktop.
//
// Reads the command line (hexedit/options.h), opens the display, shows the main window
// with the file named on the command line (or none) and runs the message loop until the
// window closes. SIGTERM, SIGHUP and SIGINT, and the loss of the display, end it at once:
// unsaved changes go into their file's recovery file first (TFormHexEdit::EndNow).
#include <csignal>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "hexedit/endsignals.h"
#include "hexedit/fhexedit.h"
#include "hexedit/options.h"
#include "hexedit/windowicon.h"
#include "platform/native/x11/x11.h"
#include "platform/os/cmdoptions.h"
#include "platform/ui/application.h"
#include "platform/ui/winapi.h"

int main(int argc, char** argv) {
    THexEditOptions options = ParseHexEditOptions(std::vector<std::string>(argv + 1, argv + argc));
    if (!options.Error.empty()) return OptionError(kHexEditName, options.Error);
    if (options.Help || options.Version) {
        std::fputs((options.Help ? HexEditUsage() : HexEditVersion()).c_str(), stdout);
        return 0;
    }
    std::unique_ptr<native::TBackend> backend = native::CreateX11Backend();
    if (!backend) {
        std::fprintf(stderr, "zentick-hexedit: cannot open the display\n");
        return 1;
    }
    SetProgramWindowClass(kHexEditName, HexEditWindowIcon());
    return RunProgram(std::move(backend), [&options] {
        TFormHexEdit* form = nullptr;
        Application->CreateForm(form);
        int status = 0;
        InstallEndSignals([&](int signal) {
            status = form->EndNow(signal == SIGINT ? "interrupted" : "ended by a signal");
        });
        // The backend has said the display is gone and ends with status 1 after this.
        native::SetConnectionLostHandler([&] { form->EndNow("the display is gone", false); });
        form->Show();
        if (!options.FileName.empty()) form->OpenArgument(options.FileName);
        Application->Run();
        native::SetConnectionLostHandler(nullptr);
        RemoveEndSignals();
        return status;
    });
}
