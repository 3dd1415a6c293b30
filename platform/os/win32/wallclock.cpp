// The wall clock on Windows: the C runtime's time and localtime_s, with the same switch
// for tests as elsewhere.
#include "platform/os/wallclock.h"

#include <chrono>

namespace {
std::function<int64_t()>& VirtualClock() {
    static std::function<int64_t()> clock;
    return clock;
}
constexpr std::time_t kEpochDay = 1767225600;  // 2026-01-01 00:00:00

// Whole seconds of a millisecond count, rounding down also before the epoch.
std::time_t Seconds(int64_t ms) {
    return std::time_t(ms >= 0 ? ms / 1000 : -((-ms + 999) / 1000));
}
}  // namespace

void SetVirtualWallClock(std::function<int64_t()> millisecondsNow) {
    VirtualClock() = std::move(millisecondsNow);
}

int64_t WallClockMs() {
    if (VirtualClock()) return VirtualClock()();
    using namespace std::chrono;
    return duration_cast<milliseconds>(system_clock::now().time_since_epoch()).count();
}

std::time_t TimeNow() {
    return VirtualClock() ? Seconds(VirtualClock()()) : std::time(nullptr);
}

std::tm VirtualLocalTime(std::time_t localSeconds) {
    std::tm result{};
    gmtime_s(&result, &localSeconds);
    return result;
}

std::tm LocalTimeNow() {
    if (VirtualClock()) return VirtualLocalTime(Seconds(VirtualClock()()));
    std::time_t now = std::time(nullptr);
    std::tm result{};
    localtime_s(&result, &now);
    return result;
}

std::time_t LocalSeconds(int hour, int minute, int second) {
    return kEpochDay + hour * 3600 + minute * 60 + second;
}
