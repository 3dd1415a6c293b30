// The embedded pictures as the generated source lays them out (see embed.cmake); used only
// by clockart.cpp.
#pragma once

#include <cstddef>
#include <cstdint>

struct TEmbeddedArt {
    int Id;
    int Factor;           // the picture's size as a multiple of its design size
    const uint8_t* Data;  // a whole BMP (factor 1) or PNG (larger factors) file image
    size_t Size;
};

extern const TEmbeddedArt kEmbeddedArt[];
extern const size_t kEmbeddedArtCount;
