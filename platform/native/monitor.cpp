#include "platform/native/monitor.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>

namespace native {

int PixelsPerInchOfSize(int pixels, int millimetres) {
    if (pixels <= 0 || millimetres <= 0) return 0;
    long dpi = std::lround(pixels * 25.4 / millimetres);
    return dpi >= 48 && dpi <= 480 ? int(dpi) : 0;
}

int ScalePercentForPixelsPerInch(int pixelsPerInch) {
    // Quarters of 96: 24 dpi a quarter, rounded to the nearest.
    int quarters = (std::max(pixelsPerInch, 0) + 12) / 24;
    return std::clamp(quarters * 25, kMinScalePercent, kMaxScalePercent);
}

int ScaleLength(int length, int scalePercent) {
    int64_t scaled = int64_t(length) * scalePercent;
    return int(scaled >= 0 ? (scaled + 50) / 100 : -((-scaled + 50) / 100));
}

int MonitorIndexFor(const std::vector<TMonitor>& monitors, const TRect& bounds) {
    const TPoint centre{bounds.Left + bounds.Width() / 2, bounds.Top + bounds.Height() / 2};
    int nearest = -1;
    int64_t nearestDistance = std::numeric_limits<int64_t>::max();
    for (int i = 0; i < int(monitors.size()); ++i) {
        const TRect& m = monitors[size_t(i)].Bounds;
        if (m.Contains(centre)) return i;
        int64_t dx = centre.X < m.Left ? int64_t(m.Left) - centre.X
                                       : std::max<int64_t>(0, int64_t(centre.X) - (m.Right - 1));
        int64_t dy = centre.Y < m.Top ? int64_t(m.Top) - centre.Y
                                      : std::max<int64_t>(0, int64_t(centre.Y) - (m.Bottom - 1));
        int64_t distance = dx * dx + dy * dy;
        if (distance < nearestDistance) {
            nearestDistance = distance;
            nearest = i;
        }
    }
    return nearest;
}

}  // namespace native
