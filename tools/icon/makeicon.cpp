// zentick-icon: writes the program's icon (see clockicon.h) as a PNG with transparency.
//
//   zentick-icon <size> <png>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <string>

#include "tools/icon/clockicon.h"
#include "platform/gfx/pngfile.h"

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: zentick-icon <size> <png>\n");
        return 2;
    }
    char* end = nullptr;
    const long size = std::strtol(argv[1], &end, 10);
    if (end == argv[1] || *end != '\0' || size < 1 || size > 1024) {
        std::fprintf(stderr, "zentick-icon: the size must be 1 to 1024 pixels\n");
        return 2;
    }
    try {
        const TClockIcon icon = DrawClockIcon(int(size));
        if (!SavePngWithAlpha(argv[2], icon.Pixels, icon.Alpha)) {
            std::fprintf(stderr, "zentick-icon: cannot write %s\n", argv[2]);
            return 1;
        }
    } catch (const std::exception& e) {
        std::fprintf(stderr, "zentick-icon: %s\n", e.what());
        return 1;
    }
    return 0;
}
