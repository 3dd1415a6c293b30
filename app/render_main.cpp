// zentick-render: draws the real main window, or one of its dialogs, on the headless
// backend into a PNG file, without touching the user's settings.
//
//   zentick-render [--time HH:MM:SS] [--type N] [--back N] [--color N] [--shape N]
//                  [--hour24 0|1] [--bcd 0|1] [--bcdhide 0|1] [--secondshide 0|1]
//                  [--ontop 0|1] [--autoload 0|1] [--hidetask 0|1] [--movearound 0|1]
//                  [--startup 0|1] [--dialog settings|about] [--control gauge]
//                  --out FILE.png [--region FILE.bin]
//
// Each option sets the settings field of its name before they are applied (the others
// keep their defaults); numbers are applied as stored ones would be. The PNG is RGBA at the
// window's size: alpha 0 outside the window's visible shape, 255 inside. --region writes
// the window's region as a stored region block (4-byte length, then the region data).
// --dialog draws the settings dialog, filled from the settings as the Settings command
// fills it, or the About box, instead of the main window: its client area, without the
// frame and title bar the window manager adds. --control gauge draws the component set's
// gauge (TAGauge) instead, once in each of its kinds, at 65 percent. --help prints the
// usage, --version the version; both end the program at once.
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <map>
#include <string>

#include "app/fclock.h"
#include "app/startdirectory.h"
#include "dialogs/faboutclock.h"
#include "dialogs/product.h"
#include "platform/gfx/pngfile.h"
#include "platform/native/headless.h"
#include "platform/os/wallclock.h"
#include "platform/ui/application.h"
#include "shaped/fcregion.h"
#include "widgets/agauge.h"

namespace {

const char* const kUsage =
    "usage: zentick-render [--time HH:MM:SS] [--type N] [--back N] [--color N] [--shape N] "
    "[--hour24 0|1] [--bcd 0|1] [--bcdhide 0|1] [--secondshide 0|1] [--ontop 0|1] [--autoload 0|1] "
    "[--hidetask 0|1] [--movearound 0|1] [--startup 0|1] [--dialog settings|about] "
    "[--control gauge] --out FILE.png "
    "[--region FILE.bin]\n"
    "       zentick-render --help | --version\n"
    "Draws the clock's main window (or a dialog) headless into a PNG file; see zentick-render(1).\n";

[[noreturn]] void Usage(const std::string& error) {
    std::fprintf(stderr, "zentick-render: %s\n%s", error.c_str(), kUsage);
    std::exit(2);
}

bool ParseInt(const std::string& text, int32_t& value) {
    if (text.empty()) return false;
    errno = 0;
    char* end = nullptr;
    long v = std::strtol(text.c_str(), &end, 10);
    if (*end != '\0' || errno == ERANGE || v < INT32_MIN || v > INT32_MAX) return false;
    value = int32_t(v);
    return true;
}

bool ParseTime(const std::string& text, int& h, int& m, int& s) {
    char extra = 0;
    if (std::sscanf(text.c_str(), "%2d:%2d:%2d%c", &h, &m, &s, &extra) != 3) return false;
    return text.size() == 8 && h >= 0 && h < 24 && m >= 0 && m < 60 && s >= 0 && s < 60;
}

// Settings from the command line; nothing is stored.
class TCommandLineStore : public TClockSettingsStore {
public:
    explicit TCommandLineStore(const ClockSettings& settings) : settings_(settings) {}
    void Load(ClockSettings& settings, TSettingsWindow& window) override {
        settings = settings_;
        window.SetTop(0);
        window.SetLeft(0);
    }
    void Save(const ClockSettings&, const TSettingsWindow&) override {}

private:
    ClockSettings settings_;
};

// A window with a gauge of each kind, at 65 percent, on the dialog face colour.
TForm* GaugeGallery(TComponent* owner) {
    auto* form = New<TForm>(owner);
    form->SetBorderStyle(bsNone);
    form->SetColor(clBtnFace);
    form->SetBounds(0, 0, 408, 80);
    struct TPlace {
        TGaugeKind Kind;
        TRect Bounds;
    };
    const TPlace places[] = {
        {gkHorizontalBar, TRect::FromSize(8, 30, 120, 20)}, {gkVerticalBar, TRect::FromSize(136, 8, 20, 64)},
        {gkPie, TRect::FromSize(164, 8, 64, 64)},           {gkNeedle, TRect::FromSize(236, 8, 96, 64)},
        {gkText, TRect::FromSize(340, 30, 60, 20)},
    };
    for (const TPlace& place : places) {
        auto* gauge = new TAGauge(form);
        gauge->SetParent(form);
        gauge->SetBounds(place.Bounds.Left, place.Bounds.Top, place.Bounds.Width(),
                         place.Bounds.Height());
        gauge->SetKind(place.Kind);
        gauge->SetForeColor(clHighlight);
        gauge->SetBackColor(clWindow);
        gauge->SetShowText(place.Kind == gkHorizontalBar || place.Kind == gkText);
        gauge->SetProgress(65);
    }
    return form;
}

}  // namespace

int main(int argc, char** argv) {
    CaptureStartDirectory();
    ClockSettings settings;
    int32_t startup = 0;
    std::map<std::string, int32_t*> numbers = {
        {"--type", &settings.Type},
        {"--back", &settings.Back},
        {"--color", &settings.Color},
        {"--shape", &settings.Shape},
        {"--hour24", &settings.Hour24},
        {"--bcd", &settings.Bcd},
        {"--bcdhide", &settings.BcdHide},
        {"--secondshide", &settings.SecondsHide},
        {"--ontop", &settings.OnTop},
        {"--autoload", &settings.AutoLoad},
        {"--hidetask", &settings.HideTask},
        {"--movearound", &settings.MoveAround},
        {"--startup", &startup},
    };
    std::string out, regionOut, dialog, control;
    bool fixedTime = false;
    int hour = 0, minute = 0, second = 0;
    for (int i = 1; i < argc; ++i) {
        std::string option = argv[i];
        if (option == "--help") {
            std::fputs(kUsage, stdout);
            return 0;
        }
        if (option == "--version") {
            std::printf("zentick-render (%s) %s\n", kProgramName, kProgramVersion);
            return 0;
        }
        if (i + 1 >= argc) Usage("option " + option + " needs a value");
        std::string value = argv[++i];
        if (auto it = numbers.find(option); it != numbers.end()) {
            if (!ParseInt(value, *it->second)) Usage("not a number for " + option + ": " + value);
        } else if (option == "--time") {
            if (!ParseTime(value, hour, minute, second)) Usage("not a time (HH:MM:SS): " + value);
            fixedTime = true;
        } else if (option == "--out") {
            out = value;
        } else if (option == "--region") {
            regionOut = value;
        } else if (option == "--dialog") {
            if (value != "settings" && value != "about") Usage("no such dialog: " + value);
            dialog = value;
        } else if (option == "--control") {
            if (value != "gauge") Usage("no such control: " + value);
            control = value;
        } else {
            Usage("unknown option " + option);
        }
    }
    if (out.empty()) Usage("no --out file given");
    if (!fixedTime) {
        std::tm now = LocalTimeNow();
        hour = now.tm_hour;
        minute = now.tm_min;
        second = now.tm_sec;
    }

    auto backend = std::make_unique<native::THeadlessBackend>(TSize{1024, 768});
    native::THeadlessBackend& screen = *backend;
    native::SetBackend(std::move(backend));
    screen.SetWallTime(LocalSeconds(hour, minute, second));
    CreateApplication();
    int result = 0;
    {
        TCommandLineStore store(settings);
        TForm1* form = New<TForm1>(Application, &store);
        Application->SetMainForm(form);
        if (startup == 0) form->TimerStartupTimer(form);
        form->Show();
        Application->ProcessMessages();
        // A dialog is shown beside the clock (not modally: nothing waits for input) and
        // drawn on its own.
        TForm* shown = form;
        if (dialog == "settings") {
            auto* settingsDialog = New<TFormClockConfig>(form);
            form->FillSettingsDialog(*settingsDialog);
            shown = settingsDialog;
        } else if (dialog == "about") {
            shown = New<TFormAboutClock>(form);
        } else if (control == "gauge") {
            shown = GaugeGallery(form);
        }
        if (shown != form) {
            shown->Show();
            Application->ProcessMessages();
        }
        auto* window = dynamic_cast<native::THeadlessWindow*>(NativeWindow(shown->Handle()));
        if (!window || !SavePngWithAlpha(out, window->Pixels(), window->VisibleMask())) {
            std::fprintf(stderr, "zentick-render: cannot write %s\n", out.c_str());
            result = 1;
        }
        if (!regionOut.empty()) {
            std::ofstream file(regionOut, std::ios::binary | std::ios::trunc);
            WriteRegionData(file, GetWindowRgn(shown->Handle()));
            file.flush();
            if (!file) {
                std::fprintf(stderr, "zentick-render: cannot write %s\n", regionOut.c_str());
                result = 1;
            }
        }
        form->Free();  // while its store still exists: the form saves to it when it goes
    }
    DestroyApplication();
    DestroyAllWindows();
    native::SetBackend(nullptr);
    return result;
}
