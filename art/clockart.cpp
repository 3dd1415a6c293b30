#include "art/clockart.h"

#include <algorithm>

#include "art/clockartdata.h"
#include "platform/gfx/bitmap.h"

void RegisterClockArt() {
    // Registration is explicit rather than done by static initialisers, which a static
    // library would drop when nothing refers to them.
    static bool registered = false;
    if (registered) return;
    for (size_t i = 0; i < kEmbeddedArtCount; ++i)
        RegisterBitmapResource(kEmbeddedArt[i].Id, {kEmbeddedArt[i].Data, kEmbeddedArt[i].Size});
    registered = true;
}

std::vector<int> ClockArtIds() {
    std::vector<int> ids;
    for (size_t i = 0; i < kEmbeddedArtCount; ++i)
        ids.push_back(kEmbeddedArt[i].Id);
    std::sort(ids.begin(), ids.end());
    return ids;
}
