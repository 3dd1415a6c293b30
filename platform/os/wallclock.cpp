#include "platform/os/wallclock.h"

namespace {
std::function<std::time_t()>& VirtualClock() {
    static std::function<std::time_t()> clock;
    return clock;
}
constexpr std::time_t kEpochDay = 1767225600;  // 2026-01-01 00:00:00
}  // namespace

void SetVirtualWallClock(std::function<std::time_t()> secondsNow) {
    VirtualClock() = std::move(secondsNow);
}

std::time_t TimeNow() { return VirtualClock() ? VirtualClock()() : std::time(nullptr); }

std::tm VirtualLocalTime(std::time_t localSeconds) {
    std::tm result{};
    gmtime_r(&localSeconds, &result);
    return result;
}

std::tm LocalTimeNow() {
    if (VirtualClock()) return VirtualLocalTime(VirtualClock()());
    std::time_t now = std::time(nullptr);
    std::tm result{};
    localtime_r(&now, &result);
    return result;
}

std::time_t LocalSeconds(int hour, int minute, int second) {
    return kEpochDay + hour * 3600 + minute * 60 + second;
}
