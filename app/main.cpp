// zentick: Tarvo's Binary Clock on the desktop.
//
// Records the start directory, opens the display, creates the main window and runs the
// message loop until the window closes (Quit, the window manager's close, or SIGTERM,
// SIGINT or SIGHUP, which close it the same way so that the settings are saved). Of the
// command line only -h/--help and -V/--version are read (they print and end the program
// before the display is opened); every other argument is ignored, as the "-autominimize"
// that the log-on entry passes.
//
// Once started, the clock runs for days doing one small thing a second: a few seconds
// after the start the free heap pages that only starting needed go back to the system
// (ReturnFreeHeap).
#include <malloc.h>

#include <csignal>
#include <cstdio>

#include "app/fclock.h"
#include "app/startdirectory.h"
#include "app/windowicon.h"
#include "platform/gfx/font.h"
#include "platform/native/x11/x11.h"
#include "platform/os/cmdoptions.h"
#include "platform/ui/application.h"
#include "platform/ui/timer.h"
#include "platform/ui/winapi.h"

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
    for (int signal : {SIGTERM, SIGINT, SIGHUP})
        sigaction(signal, &action, nullptr);
    SetWakeHandler([] {
        if (closeRequested && Application && Application->MainForm())
            Application->MainForm()->Close();
    });
}

const TOptionSpec kOptions[] = {
    {"help", 'h', TOptionValue::None, 0, 0, "", "", "print this help and exit"},
    {"version", 'V', TOptionValue::None, 0, 0, "", "", "print the version and exit"},
};

const char* const kAbout =
    "Usage: zentick [OPTION]...\n"
    "\n"
    "Tarvo's Binary Clock: the local time as LEDs, in binary or binary-coded decimal, in a\n"
    "small shaped window on the X desktop ($DISPLAY). Click the clock for its menu\n"
    "(Settings, Users Manual, About, Resume, Quit); drag it anywhere by its face.\n"
    "Settings are kept in ${XDG_CONFIG_HOME:-~/.config}/zentick/user.reg.\n"
    "\n";

const char* const kMore =
    "\n"
    "Other arguments are ignored. See zentick(1) and the user's manual.\n";

// --help or --version: prints and returns true. Options the clock does not know are
// ignored, as the "-autominimize" of the log-on entry.
bool Informational(int argc, char** argv) {
    const TParsedOptions parsed =
        ParseOptions(kOptions, Arguments(argc, argv), TUnknownOptions::Ignore);
    for (const TParsedOption& option : parsed.Options) {
        if (option.Spec->Long == "help") {
            std::printf("%s%s%s", kAbout, OptionHelp(kOptions).c_str(), kMore);
            return true;
        }
        if (option.Spec->Long == "version") {
            std::fputs(VersionText("zentick").c_str(), stdout);
            return true;
        }
    }
    return false;
}

// Starting allocates blocks that ticking never needs again (the settings file's text, the
// pictures decoded to be copied into the window, the greeting's layout). Once freed they
// stay in the heap; malloc_trim hands the whole free pages among them back to the system,
// a few tens of kilobytes here, after fontconfig's configuration has gone too (loaded
// again if a dialog needs a new face). What stays in use (the window's frames, the
// pictures shown, the font, Xlib's buffers) is not touched.
void ReturnFreeHeap() {
    FontProvider().ReleaseCaches();
    malloc_trim(0);
}

}  // namespace

int main(int argc, char** argv) {
    if (Informational(argc, argv)) return 0;
    CaptureStartDirectory();
    std::unique_ptr<native::TBackend> backend = native::CreateX11Backend();
    if (!backend) {
        std::fprintf(stderr, "zentick: cannot open the display\n");
        return 1;
    }
    InstallSignalHandlers();
    SetProgramWindowClass("zentick", ClockWindowIcon());
    return RunProgram(std::move(backend), [] {
        TForm1* form1 = nullptr;
        Application->CreateForm(form1);
        // Once the greeting has gone and the clock has shown its face.
        auto* release = new TTimer(Application);
        release->SetInterval(6000);
        release->SetOnTimer([release](TObject*) {
            release->SetEnabled(false);
            ReturnFreeHeap();
        });
        if (closeRequested) Application->Terminate();
        Application->Run();
        return 0;
    });
}
