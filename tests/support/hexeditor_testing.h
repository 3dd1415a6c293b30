// The fixture of the hex editor's tests: an editor of 440 x 300 pixels on a borderless
// window of the headless desktop, in the fixed font, with a folder of the test's own for
// its files, journals and recovery files.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "platform/gfx/bitmap.h"
#include "platform/ui/form.h"
#include "platform/ui/listview.h"
#include "platform/ui/menus.h"
#include "platform/ui/scrollbar.h"
#include "tests/support/headless_app.h"
#include "widgets/hex/hexcontrol.h"

namespace hexeditor_testing {

namespace fs = std::filesystem;

// The fixed font at the default height: characters 6 wide, rows 13 high. A row of the
// default layout: offset at 12, bytes panel at 80, characters panel at 310, 418 wide. The
// editor is 300 high: 21 rows fit above its 6-pixel frame.
constexpr int kChar = 6;
constexpr int kRow = 13;
constexpr int kBytesX = 80;
constexpr int kCharsX = 310;
constexpr int kRows = 21;
constexpr int kFormX = 100, kFormY = 100;
constexpr TColor kPaper = clWhite;

inline int HexCellX(int column) {
    return kBytesX + 2 * kChar * column + kChar * (column / 4);
}
inline int CharCellX(int column) {
    return kCharsX + kChar * column;
}
inline int RowY(int row) {
    return 10 + kRow * row;
}

inline std::string ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

inline void WriteFile(const fs::path& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

class HexEditor : public ::testing::Test {
protected:
    THeadlessApp app;
    native::THeadlessBackend& screen = app.Backend();
    TForm* form = nullptr;
    THexEditor* hex = nullptr;
    fs::path dir;

    void SetUp() override {
        std::random_device random;
        do {
            dir = fs::temp_directory_path() / ("zt-hexeditor-" + std::to_string(random()));
        } while (!fs::create_directory(dir));
        form = New<TForm>(Application);
        form->SetBorderStyle(bsNone);
        form->SetBounds(kFormX, kFormY, 460, 320);
        form->SetColor(kPaper);
        hex = new THexEditor(form);
        hex->Document().SetStateFolder((dir / "state").string());
        hex->SetParent(form);
        hex->SetBounds(0, 0, 440, 300);
        hex->SetColor(kPaper);
        form->Show();
        app.Run();
        hex->SetFocus();
    }
    void TearDown() override {
        std::error_code ignored;
        fs::remove_all(dir, ignored);
    }

    void Type(const std::string& text) {
        for (char c : text)
            hex->Perform(WM_CHAR, WPARAM(static_cast<unsigned char>(c)), 0);
    }
    void Key(int key) { hex->Perform(WM_KEYDOWN, WPARAM(key), 0); }
    std::string File(const std::string& name, const std::string& bytes) {
        WriteFile(dir / name, bytes);
        return (dir / name).string();
    }
    // Pixels of colour in a rectangle of the editor's client area.
    int Count(const TRect& r, TColor color) {
        TBitmap shot = screen.Screenshot();
        int n = 0;
        for (int y = r.Top; y < r.Bottom; ++y)
            for (int x = r.Left; x < r.Right; ++x)
                n += shot.Pixel(kFormX + x, kFormY + y) == color;
        return n;
    }
    // Pixels that are neither paper nor the colour in a rectangle: what is drawn there.
    int Ink(const TRect& r) {
        TBitmap shot = screen.Screenshot();
        int n = 0;
        for (int y = r.Top; y < r.Bottom; ++y)
            for (int x = r.Left; x < r.Right; ++x)
                n += shot.Pixel(kFormX + x, kFormY + y) != kPaper;
        return n;
    }
    TColor At(int x, int y) { return screen.Screenshot().Pixel(kFormX + x, kFormY + y); }
    TRect Underline(int x, int row) { return TRect::FromSize(x, RowY(row) + kRow - 2, kChar, 2); }
};

}  // namespace hexeditor_testing
