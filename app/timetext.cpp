#include "app/timetext.h"

#include <cstdio>

#include "platform/os/datenames.h"

std::string TimeInWords(const std::tm& local, bool hour24) {
    char time[32];
    if (hour24) {
        std::snprintf(time, sizeof time, "%02d:%02d:%02d", local.tm_hour, local.tm_min,
                      local.tm_sec);
    } else {
        int hour = local.tm_hour % 12 == 0 ? 12 : local.tm_hour % 12;
        std::snprintf(time, sizeof time, "%d:%02d:%02d ", hour, local.tm_min, local.tm_sec);
    }
    std::string text = time;
    if (!hour24) text += LocalDayPeriod(local.tm_hour >= 12);
    return text + " \u2014 " + LocalLongDate(local);
}
