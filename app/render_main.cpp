// zentick-render: draws the real main window, or one of its dialogs, on the headless
// backend into a PNG file, without touching the user's settings.
//
//   zentick-render [--time HH:MM:SS] [--type N] [--back N] [--color N] [--shape N]
//                  [--hour24 0|1] [--bcd 0|1] [--bcdhide 0|1] [--secondshide 0|1]
//                  [--ontop 0|1] [--autoload 0|1] [--hidetask 0|1] [--movearound 0|1]
//                  [--startup 0|1] [--dialog settings|about] [--scale PERCENT]
//                  [--control gauge]
//                  --out FILE.png [--region FILE.bin]
//
// Options are read in the GNU style (platform/os/cmdoptions.h): --type=3 or --type 3, -o
// FILE. Each option sets the settings field of its name before they are applied (the
// others keep their defaults). A number outside its range, an unknown option, or --bcd 1
// with a horizontal format or the dip switches (which show binary, as the Settings dialog
// insists) is refused with status 2 before anything is written. The PNG is RGBA at the
// window's size: alpha 0 outside the window's visible shape, 255 inside. --region writes
// the window's region as a stored region block (4-byte length, then the region data).
// --dialog draws the settings dialog, filled from the settings as the Settings command
// fills it, or the About box, instead of the main window: its client area, without the
// frame and title bar the window manager adds. --scale draws everything at a scale from 100
// to 400 percent in steps of 25, on a screen of that share of 96 pixels per inch, whose
// density the clock's automatic size follows. --control gauge draws the component set's
// gauge (TAGauge) instead, once in each of its kinds, at 65 percent. -h/--help prints the
// usage, -V/--version the version; both end the program at once.
#include <cstdio>
#include <ctime>
#include <fstream>
#include <string>
#include <string_view>
#include <utility>

#include "app/fclock.h"
#include "app/startdirectory.h"
#include "dialogs/faboutclock.h"
#include "platform/gfx/pngfile.h"
#include "platform/native/headless.h"
#include "platform/os/cmdoptions.h"
#include "platform/os/wallclock.h"
#include "platform/ui/application.h"
#include "shaped/fcregion.h"
#include "widgets/agauge.h"

namespace {

// The options, one row each. A number option that sets a settings field is listed in
// kSettingsFields as well; the others are read in main.
const TOptionSpec kOptions[] = {
    {"time", 0, TOptionValue::Text, 0, 0, "", "HH:MM:SS", "the time shown (default: now)"},
    {"type", 0, TOptionValue::Number, 0, 6, "", "N",
     "clock format: 0-2 large, small, tiny standard; 3-5 horizontal; 6 dip switches"},
    {"back", 0, TOptionValue::Number, 0, 3, "", "N",
     "background: 0 black, 1 aluminium, 2 mahogany, 3 transparent"},
    {"color", 0, TOptionValue::Number, 0, 4, "", "N",
     "LEDs: 0 red, 1 blue, 2 amber, 3 green, 4 switch"},
    {"shape", 0, TOptionValue::Number, 0, 2, "", "N", "LED shape: 0 round, 1 square, 2 rect"},
    {"hour24", 0, TOptionValue::Number, 0, 1, "", "0|1", "24-hour time"},
    {"bcd", 0, TOptionValue::Number, 0, 1, "", "0|1",
     "BCD digits (standard formats only; the others show binary)"},
    {"bcdhide", 0, TOptionValue::Number, 0, 1, "", "0|1", "hide the LEDs BCD never uses"},
    {"secondshide", 0, TOptionValue::Number, 0, 1, "", "0|1", "hide the seconds"},
    {"ontop", 0, TOptionValue::Number, 0, 1, "", "0|1", "always on top"},
    {"autoload", 0, TOptionValue::Number, 0, 1, "", "0|1", "start at log-on"},
    {"hidetask", 0, TOptionValue::Number, 0, 1, "", "0|1", "no taskbar button"},
    {"movearound", 0, TOptionValue::Number, 0, 1, "", "0|1", "move around"},
    {"startup", 0, TOptionValue::Number, 0, 1, "", "0|1", "show the start-up greeting"},
    {"dialog", 0, TOptionValue::Choice, 0, 0, "settings|about", "",
     "draw this dialog instead of the clock"},
    {"scale", 0, TOptionValue::Number, 100, 400, "", "PERCENT",
     "draw as on a screen of PERCENT x 96 / 100 dpi (100 to 400, steps of 25)"},
    {"control", 0, TOptionValue::Choice, 0, 0, "gauge", "",
     "draw this control of the component set instead of the clock"},
    {"out", 'o', TOptionValue::Text, 0, 0, "", "FILE.png", "the picture to write (required)"},
    {"region", 0, TOptionValue::Text, 0, 0, "", "FILE.bin",
     "also write the window's region as a stored region block"},
    {"help", 'h', TOptionValue::None, 0, 0, "", "", "print this help and exit"},
    {"version", 'V', TOptionValue::None, 0, 0, "", "", "print the version and exit"},
};

// Options that set the settings field of their name.
const std::pair<std::string_view, int32_t ClockSettings::*> kSettingsFields[] = {
    {"type", &ClockSettings::Type},         {"back", &ClockSettings::Back},
    {"color", &ClockSettings::Color},       {"shape", &ClockSettings::Shape},
    {"hour24", &ClockSettings::Hour24},     {"bcd", &ClockSettings::Bcd},
    {"bcdhide", &ClockSettings::BcdHide},   {"secondshide", &ClockSettings::SecondsHide},
    {"ontop", &ClockSettings::OnTop},       {"autoload", &ClockSettings::AutoLoad},
    {"hidetask", &ClockSettings::HideTask}, {"movearound", &ClockSettings::MoveAround},
};

const char* const kProgram = "zentick-render";

void PrintHelp() {
    std::printf(
        "Usage: zentick-render [OPTION]... --out FILE.png\n"
        "Draws the clock's main window (or a dialog) headless into a PNG file, from the\n"
        "settings the options give (the others keep their defaults); the user's settings are\n"
        "not read. See zentick-render(1).\n"
        "\n%s",
        OptionHelp(kOptions).c_str());
}

bool ParseTime(const std::string& text, int& h, int& m, int& s) {
    char extra = 0;
    if (std::sscanf(text.c_str(), "%2d:%2d:%2d%c", &h, &m, &s, &extra) != 3) return false;
    return text.size() == 8 && h >= 0 && h < 24 && m >= 0 && m < 60 && s >= 0 && s < 60;
}

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
        {gkHorizontalBar, TRect::FromSize(8, 30, 120, 20)},
        {gkVerticalBar, TRect::FromSize(136, 8, 20, 64)},
        {gkPie, TRect::FromSize(164, 8, 64, 64)},
        {gkNeedle, TRect::FromSize(236, 8, 96, 64)},
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
    const TParsedOptions parsed = ParseOptions(kOptions, Arguments(argc, argv));
    if (!parsed.Error.empty()) return OptionError(kProgram, parsed.Error);
    if (parsed.Has("help")) {
        PrintHelp();
        return 0;
    }
    if (parsed.Has("version")) {
        std::fputs(VersionText(kProgram).c_str(), stdout);
        return 0;
    }
    if (!parsed.Operands.empty())
        return OptionError(kProgram, "unexpected argument '" + parsed.Operands.front() + "'");

    ClockSettings settings;
    for (const auto& [name, field] : kSettingsFields)
        if (const TParsedOption* option = parsed.Find(name))
            settings.*field = int32_t(option->Number);
    // The horizontal formats and the dip switches show binary, as the clock shows them:
    // BCD is refused there, as the Settings dialog refuses it.
    if (settings.Type >= ctLargeHoriz) {
        if (parsed.Has("bcd") && settings.Bcd != 0)
            return OptionError(kProgram,
                               "--bcd 1 needs a standard format (--type 0 to 2): the "
                               "horizontal formats and the dip switches show binary");
        settings.Bcd = 0;
    }
    const TParsedOption* startupOption = parsed.Find("startup");
    const int32_t startup = startupOption ? int32_t(startupOption->Number) : 0;
    const TParsedOption* dialogOption = parsed.Find("dialog");
    const std::string dialog = dialogOption ? dialogOption->Text : "";
    const TParsedOption* controlOption = parsed.Find("control");
    const std::string control = controlOption ? controlOption->Text : "";
    const TParsedOption* outOption = parsed.Find("out");
    const std::string out = outOption ? outOption->Text : "";
    const TParsedOption* regionOption = parsed.Find("region");
    const std::string regionOut = regionOption ? regionOption->Text : "";
    if (out.empty()) return OptionError(kProgram, "no --out file given");
    const TParsedOption* scaleOption = parsed.Find("scale");
    const int scale = scaleOption ? int(scaleOption->Number) : 100;
    if (scale % 25 != 0) return OptionError(kProgram, "--scale must be a multiple of 25, as 150");

    CaptureStartDirectory();
    int hour = 0, minute = 0, second = 0;
    if (const TParsedOption* time = parsed.Find("time")) {
        if (!ParseTime(time->Text, hour, minute, second))
            return OptionError(kProgram, "--time must be HH:MM:SS, as 13:47:05");
    } else {
        std::tm now = LocalTimeNow();
        hour = now.tm_hour;
        minute = now.tm_min;
        second = now.tm_sec;
    }

    // A screen of the scale's density (96 dpi a hundred percent), large enough for the
    // largest window at 400 %.
    auto backend = std::make_unique<native::THeadlessBackend>(TSize{2048, 1536}, 96 * scale / 100);
    native::THeadlessBackend& screen = *backend;
    native::SetBackend(std::move(backend));
    screen.SetWallTime(LocalSeconds(hour, minute, second));
    CreateApplication();
    int result = 0;
    {
        TFixedSettingsStore store(settings, {0, 0});
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
            std::fprintf(stderr, "%s: cannot write %s\n", kProgram, out.c_str());
            result = 1;
        }
        if (!regionOut.empty()) {
            std::ofstream file(regionOut, std::ios::binary | std::ios::trunc);
            WriteRegionData(file, GetWindowRgn(shown->Handle()));
            file.flush();
            if (!file) {
                std::fprintf(stderr, "%s: cannot write %s\n", kProgram, regionOut.c_str());
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
