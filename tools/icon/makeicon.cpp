// zentick-icon: writes a program's icon (see clockicon.h).
//
//   zentick-icon [--hexedit] SIZE FILE.png        the icon at SIZE x SIZE, with transparency
//   zentick-icon [--hexedit] --svg FILE.svg       the scalable icon
//   zentick-icon [--hexedit] --window-icon FUNCTION FILE.cpp
//
// --hexedit draws the hex editor's icon instead of the clock's. --window-icon writes a
// C++ source defining `std::span<const native::TIconImage> FUNCTION()`: the icon at the
// sizes the X11 windows carry (kWindowIconSizes), compiled into the program.
#include <charconv>
#include <cstdio>
#include <exception>
#include <fstream>
#include <string>

#include "platform/gfx/pngfile.h"
#include "platform/os/cmdoptions.h"
#include "tools/icon/clockicon.h"

namespace {

constexpr int kWindowIconSizes[] = {16, 32, 48, 64};
const char* const kProgram = "zentick-icon";

const TOptionSpec kOptions[] = {
    {"hexedit", 0, TOptionValue::None, 0, 0, "", "", "the hex editor's icon"},
    {"svg", 0, TOptionValue::None, 0, 0, "", "", "write the scalable icon"},
    {"window-icon", 0, TOptionValue::Text, 0, 0, "", "FUNCTION",
     "write the window icon's sizes as C++ source"},
    {"help", 'h', TOptionValue::None, 0, 0, "", "", "print this help and exit"},
};

bool WriteText(const std::string& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << text;
    out.flush();
    return bool(out);
}

// The pixels as 0xAARRGGBB words, unpremultiplied, as _NET_WM_ICON wants them.
std::string WindowIconSource(TIconKind kind, const std::string& function) {
    std::string source =
        "// Made by zentick-icon --window-icon: the program's icon at the sizes its windows\n"
        "// carry.\n"
        "#include <span>\n\n#include \"platform/native/native.h\"\n\nnamespace {\n";
    std::string table;
    for (int size : kWindowIconSizes) {
        const TClockIcon icon = DrawIcon(kind, size);
        source += "constexpr uint32_t kIcon" + std::to_string(size) + "[] = {";
        for (int y = 0; y < size; ++y) {
            source += "\n   ";
            for (int x = 0; x < size; ++x) {
                const TColor c = icon.Pixels.Pixel(x, y);
                const uint32_t alpha = icon.Alpha[size_t(y) * size_t(size) + size_t(x)];
                const uint32_t argb = alpha << 24 | uint32_t(GetRValue(c)) << 16 |
                                      uint32_t(GetGValue(c)) << 8 | GetBValue(c);
                char word[16];
                std::snprintf(word, sizeof word, " 0x%08x,", argb);
                source += word;
            }
        }
        source += "\n};\n";
        table += "    {" + std::to_string(size) + ", " + std::to_string(size) + ", kIcon" +
                 std::to_string(size) + "},\n";
    }
    source += "constexpr native::TIconImage kImages[] = {\n" + table + "};\n}  // namespace\n\n";
    source += "std::span<const native::TIconImage> " + function + "() {\n    return kImages;\n}\n";
    return source;
}

int Run(const TParsedOptions& parsed) {
    const TIconKind kind = parsed.Has("hexedit") ? TIconKind::HexEdit : TIconKind::Clock;
    if (const TParsedOption* windowIcon = parsed.Find("window-icon")) {
        if (parsed.Operands.size() != 1) return OptionError(kProgram, "one output file, please");
        if (!WriteText(parsed.Operands[0], WindowIconSource(kind, windowIcon->Text))) {
            std::fprintf(stderr, "%s: cannot write %s\n", kProgram, parsed.Operands[0].c_str());
            return 1;
        }
        return 0;
    }
    if (parsed.Has("svg")) {
        if (parsed.Operands.size() != 1) return OptionError(kProgram, "one output file, please");
        if (!WriteText(parsed.Operands[0], IconSvg(kind))) {
            std::fprintf(stderr, "%s: cannot write %s\n", kProgram, parsed.Operands[0].c_str());
            return 1;
        }
        return 0;
    }
    if (parsed.Operands.size() != 2)
        return OptionError(kProgram, "a size and an output file, please");
    const std::string& text = parsed.Operands[0];
    int size = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), size);
    if (error != std::errc() || end != text.data() + text.size() || size < 1 || size > 1024)
        return OptionError(kProgram, "the size must be 1 to 1024 pixels");
    const TClockIcon icon = DrawIcon(kind, size);
    if (!SavePngWithAlpha(parsed.Operands[1], icon.Pixels, icon.Alpha)) {
        std::fprintf(stderr, "%s: cannot write %s\n", kProgram, parsed.Operands[1].c_str());
        return 1;
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const TParsedOptions parsed = ParseOptions(kOptions, Arguments(argc, argv));
    if (!parsed.Error.empty()) return OptionError(kProgram, parsed.Error);
    if (parsed.Has("help")) {
        std::printf(
            "Usage: zentick-icon [--hexedit] SIZE FILE.png\n"
            "       zentick-icon [--hexedit] --svg FILE.svg\n"
            "       zentick-icon [--hexedit] --window-icon FUNCTION FILE.cpp\n\n%s",
            OptionHelp(kOptions).c_str());
        return 0;
    }
    try {
        return Run(parsed);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s: %s\n", kProgram, e.what());
        return 1;
    }
}
