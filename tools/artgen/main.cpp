// artgen: draws the clock's numbered pictures.
//
//   artgen <outdir>                 writes <outdir>/<id>.bmp for every picture (24-bit,
//                                   bottom-up) and <outdir>/<n>x/<id>.png for every picture
//                                   drawn at n times its size (n = 2, 3, 4)
//   artgen --sheet <png> [<png>]    writes a contact sheet of all pictures and, when a
//                                   second name is given, a preview of the clock faces
#include <cstdio>
#include <exception>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

#include "platform/gfx/bmpfile.h"
#include "platform/gfx/pngfile.h"
#include "tools/artgen/artgen.h"
#include "tools/artgen/contactsheet.h"

namespace {

int Usage() {
    std::fprintf(stderr, "usage: artgen <outdir>\n       artgen --sheet <png> [<preview png>]\n");
    return 2;
}

bool WriteFile(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    out.close();
    return bool(out);
}

int WritePictures(const std::string& dir) {
    for (int factor : ArtFactors()) {
        const std::string set = factor == 1 ? dir : dir + "/" + std::to_string(factor) + "x";
        std::error_code error;
        std::filesystem::create_directories(set, error);
        for (int id : ArtIds()) {
            const TBitmap picture = DrawArt(id, factor);
            const std::string path =
                set + "/" + std::to_string(id) + (factor == 1 ? ".bmp" : ".png");
            if (factor == 1 ? !WriteFile(path, WriteBmp(picture)) : !SavePng(path, picture)) {
                std::fprintf(stderr, "artgen: cannot write %s\n", path.c_str());
                return 1;
            }
        }
    }
    return 0;
}

int WriteSheets(int argc, char** argv) {
    if (!SavePng(argv[2], DrawContactSheet())) {
        std::fprintf(stderr, "artgen: cannot write %s\n", argv[2]);
        return 1;
    }
    if (argc > 3 && !SavePng(argv[3], DrawClockPreview())) {
        std::fprintf(stderr, "artgen: cannot write %s\n", argv[3]);
        return 1;
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    try {
        if (argc == 2 && std::string_view(argv[1]) != "--sheet") return WritePictures(argv[1]);
        if ((argc == 3 || argc == 4) && std::string_view(argv[1]) == "--sheet")
            return WriteSheets(argc, argv);
        return Usage();
    } catch (const std::exception& e) {
        std::fprintf(stderr, "artgen: %s\n", e.what());
        return 1;
    }
}
