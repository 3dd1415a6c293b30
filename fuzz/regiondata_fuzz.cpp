// Feeds arbitrary bytes to ReadRegionData as a stored window region. A block it accepts
// must have been read exactly to its end, and must come back unchanged from the writer
// and the reader; a block it refuses gives no region. The reader of blocks in memory must
// decide the same and stop at the same place.
#include <cstdint>
#include <cstdlib>
#include <span>
#include <sstream>
#include <string>

#include "shaped/fcregion.h"

namespace {

void Check(bool condition) {
    if (!condition) std::abort();
}

uint32_t LengthOf(const uint8_t* data) {
    return uint32_t(data[0]) | uint32_t(data[1]) << 8 | uint32_t(data[2]) << 16 |
           uint32_t(data[3]) << 24;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::istringstream in(std::string(reinterpret_cast<const char*>(data), size));
    TStoredRegion stored = ReadRegionData(in);
    std::span<const uint8_t> memory(data, size);
    TStoredRegion fromMemory = ReadRegionData(memory);
    Check(fromMemory.Kind == stored.Kind);
    Check(!stored.Region || (fromMemory.Region && *fromMemory.Region == *stored.Region));
    switch (stored.Kind) {
        case srNone:
            Check(size >= 4 && LengthOf(data) == 0 && !stored.Region);
            break;
        case srRefused:
            Check(!stored.Region);
            break;
        case srRegion: {
            Check(stored.Region != nullptr);
            const uint64_t length = LengthOf(data);
            Check(4 + length <= size);
            Check(uint64_t(in.tellg()) == 4 + length);
            Check(memory.size() == size - 4 - length);
            // The writer gives the canonical block of the same region, which reads back
            // as that region and writes again byte for byte.
            std::ostringstream out;
            WriteRegionData(out, stored.Region.get());
            const std::string written = out.str();
            std::istringstream back(written);
            TStoredRegion again = ReadRegionData(back);
            Check(again.Kind == srRegion && *again.Region == *stored.Region);
            std::ostringstream outAgain;
            WriteRegionData(outAgain, again.Region.get());
            Check(outAgain.str() == written);
            // Every pixel of every rectangle read is in the region.
            for (const TRect& r : stored.Region->Rects())
                Check(stored.Region->Contains(r.Left, r.Top) &&
                      stored.Region->Contains(r.Right - 1, r.Bottom - 1));
            break;
        }
    }
    return 0;
}
