#include "platform/os/wallclock.h"

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
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    return int64_t(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
}

namespace {
// The seconds of the same clock as WallClockMs. Not time(): it reads a copy of the clock
// that the kernel updates at its timer tick, a few milliseconds behind, so just after a
// second begins it would still tell the one before.
std::time_t RealSeconds() {
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    return now.tv_sec;
}
}  // namespace

std::time_t TimeNow() {
    return VirtualClock() ? Seconds(VirtualClock()()) : RealSeconds();
}

std::tm VirtualLocalTime(std::time_t localSeconds) {
    std::tm result{};
    gmtime_r(&localSeconds, &result);
    return result;
}

std::tm LocalTimeNow() {
    if (VirtualClock()) return VirtualLocalTime(Seconds(VirtualClock()()));
    std::time_t now = RealSeconds();
    std::tm result{};
    localtime_r(&now, &result);
    return result;
}

std::time_t LocalSeconds(int hour, int minute, int second) {
    return kEpochDay + hour * 3600 + minute * 60 + second;
}
