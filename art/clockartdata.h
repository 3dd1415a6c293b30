// The embedded pictures as the generated source lays them out (see embed.cmake); used only
// by clockart.cpp.
#pragma once

#include <cstddef>
#include <cstdint>

struct TEmbeddedArt {
    int Id;
    const uint8_t* Data;  // a whole BMP file image
    size_t Size;
};

extern const TEmbeddedArt kEmbeddedArt[];
extern const size_t kEmbeddedArtCount;
