#include "settings/clocksettings.h"

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
}  // namespace

int32_t ChosenScale(int32_t stored) {
    return stored >= 100 && stored <= 400 ? stored : 0;
}

void LoadSettings(ClockSettings& settings, TSettingsWindow& window) {
    ParamStore store;
    ParamOpen(kAppKey, kAppKey, &store, 1);
    window.SetTop(ParamReadInt(&store, "viewertop", window.ScreenHeight() / 2));
    window.SetLeft(ParamReadInt(&store, "viewerleft", window.ScreenWidth() / 2));
    for (const TSettingField& field : kFields) {
        settings.*field.Field = ParamReadInt(&store, field.Name, settings.*field.Field);
    }
    ParamClose(&store);
}

void SaveSettings(const ClockSettings& settings, const TSettingsWindow& window) {
    ParamStore store;
    ParamOpen(kAppKey, kAppKey, &store, 1);
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
