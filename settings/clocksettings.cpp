#include "settings/clocksettings.h"

#include <algorithm>

#include "settings/paramstore.h"

namespace {
constexpr const char* kAppKey = "QVZentick";

// The fields with their stored names, in the order they are read and written.
struct TSettingField {
    const char* Name;
    int32_t ClockSettings::*Field;
};
constexpr TSettingField kFields[] = {
    {"alwaysontop", &ClockSettings::OnTop},
    {"24hour", &ClockSettings::Hour24},
    {"bcd", &ClockSettings::Bcd},
    {"bcdhide", &ClockSettings::BcdHide},
    {"secondshide", &ClockSettings::SecondsHide},
    {"autoload", &ClockSettings::AutoLoad},
    {"hidetask", &ClockSettings::HideTask},
    {"type", &ClockSettings::Type},
    {"back", &ClockSettings::Back},
    {"ledcolor", &ClockSettings::Color},
    {"ledshape", &ClockSettings::Shape},
    {"movearound", &ClockSettings::MoveAround},
    {"scale", &ClockSettings::Scale},
};

// Window positions are 16-bit numbers for the window system (X11 wraps the rest round).
int32_t WindowCoordinate(int32_t stored) {
    return std::clamp(stored, kMinWindowCoordinate, kMaxWindowCoordinate);
}
}  // namespace

int32_t ChosenScale(int32_t stored) {
    return stored >= 100 && stored <= 400 ? stored : 0;
}

void LoadSettings(ClockSettings& settings, TSettingsWindow& window) {
    ParamStore store;
    ParamOpen(kAppKey, kAppKey, &store, 1);
    // On the first run the reads store their defaults: all in one change.
    ParamBeginBatch(&store);
    window.SetTop(WindowCoordinate(ParamReadInt(&store, "viewertop", window.ScreenHeight() / 2)));
    window.SetLeft(WindowCoordinate(ParamReadInt(&store, "viewerleft", window.ScreenWidth() / 2)));
    for (const TSettingField& field : kFields) {
        settings.*field.Field = ParamReadInt(&store, field.Name, settings.*field.Field);
    }
    ParamClose(&store);
}

void SaveSettings(const ClockSettings& settings, const TSettingsWindow& window) {
    ParamStore store;
    ParamOpen(kAppKey, kAppKey, &store, 1);
    // The whole record in one change, so that two clocks saving at once leave one's whole
    // record rather than a mix of both.
    ParamBeginBatch(&store);
    if (!window.MinimizedOrMaximized()) {
        ParamWriteInt(&store, "viewertop", window.Top());
        ParamWriteInt(&store, "viewerleft", window.Left());
        ParamWriteInt(&store, "viewerwidth", window.Width());
        ParamWriteInt(&store, "viewerheight", window.Height());
    }
    for (const TSettingField& field : kFields) {
        ParamWriteInt(&store, field.Name, settings.*field.Field);
    }
    ParamClose(&store);
}
