#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include "platform/os/win32/gditext.h"

#include <windows.h>

#include <algorithm>

namespace {

constexpr int kCrispPixelHeight = 13;

std::wstring Wide(std::string_view utf8) {
    if (utf8.empty()) return {};
    int length = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), int(utf8.size()), nullptr, 0);
    std::wstring out(size_t(std::max(length, 0)), L'\0');
    if (length > 0)
        MultiByteToWideChar(CP_UTF8, 0, utf8.data(), int(utf8.size()), out.data(), length);
    return out;
}

}  // namespace

struct TGdiText::TImpl {
    HDC dc = nullptr;
    HFONT font = nullptr;
    HGDIOBJ oldFont = nullptr;
    // The drawing surface, grown as texts need: a 32-bit top-down DIB section.
    mutable HBITMAP surface = nullptr;
    mutable HGDIOBJ oldSurface = nullptr;
    mutable uint32_t* bits = nullptr;
    mutable int surfaceWidth = 0;
    mutable int surfaceHeight = 0;

    ~TImpl() {
        if (dc && oldSurface) SelectObject(dc, oldSurface);
        if (surface) DeleteObject(surface);
        if (dc && oldFont) SelectObject(dc, oldFont);
        if (font) DeleteObject(font);
        if (dc) DeleteDC(dc);
    }

    bool Surface(int width, int height) const {
        if (surface && width <= surfaceWidth && height <= surfaceHeight) return true;
        width = std::max(width, surfaceWidth);
        height = std::max(height, surfaceHeight);
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof info.bmiHeader;
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = -height;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        void* pixels = nullptr;
        HBITMAP made = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &pixels, nullptr, 0);
        if (!made) return false;
        if (oldSurface) SelectObject(dc, oldSurface);
        if (surface) DeleteObject(surface);
        surface = made;
        oldSurface = SelectObject(dc, surface);
        bits = static_cast<uint32_t*>(pixels);
        surfaceWidth = width;
        surfaceHeight = height;
        return true;
    }
};

TGdiText::TGdiText(const std::string& family, int pixelHeight, bool bold, bool italic,
                   bool fixedPitch)
    : impl_(std::make_unique<TImpl>()) {
    pixelHeight = std::max(1, pixelHeight);
    impl_->dc = CreateCompatibleDC(nullptr);
    std::wstring face = Wide(family);
    if (face.size() >= LF_FACESIZE) face.resize(LF_FACESIZE - 1);
    LOGFONTW log{};
    log.lfHeight = -pixelHeight;  // the character height, without internal leading
    log.lfWeight = bold ? FW_BOLD : FW_NORMAL;
    log.lfItalic = italic ? TRUE : FALSE;
    log.lfCharSet = DEFAULT_CHARSET;
    log.lfOutPrecision = OUT_DEFAULT_PRECIS;
    log.lfClipPrecision = CLIP_DEFAULT_PRECIS;
    log.lfQuality = pixelHeight <= kCrispPixelHeight ? NONANTIALIASED_QUALITY : ANTIALIASED_QUALITY;
    log.lfPitchAndFamily = fixedPitch ? FIXED_PITCH | FF_MODERN : DEFAULT_PITCH | FF_SWISS;
    std::copy(face.begin(), face.end(), log.lfFaceName);
    impl_->font = CreateFontIndirectW(&log);
    if (!impl_->dc || !impl_->font) return;
    impl_->oldFont = SelectObject(impl_->dc, impl_->font);
    SetMapMode(impl_->dc, MM_TEXT);
    SetBkMode(impl_->dc, TRANSPARENT);
    SetTextColor(impl_->dc, RGB(255, 255, 255));
    SetTextAlign(impl_->dc, TA_LEFT | TA_TOP | TA_NOUPDATECP);

    TEXTMETRICW tm{};
    if (GetTextMetricsW(impl_->dc, &tm)) {
        ascent_ = tm.tmAscent;
        descent_ = tm.tmDescent;
    } else {
        ascent_ = pixelHeight;
        descent_ = (pixelHeight + 4) / 5;
    }
    int position = 0, thickness = 0;
    if (UINT size = GetOutlineTextMetricsW(impl_->dc, 0, nullptr);
        size >= sizeof(OUTLINETEXTMETRICW)) {
        std::vector<uint8_t> buffer(size);
        auto* otm = reinterpret_cast<OUTLINETEXTMETRICW*>(buffer.data());
        if (GetOutlineTextMetricsW(impl_->dc, size, otm)) {
            position = -otm->otmsUnderscorePosition;
            thickness = int(otm->otmsUnderscoreSize);
        }
    }
    thickness_ = std::max(1, thickness);
    if (position < 1) position = std::max(1, pixelHeight / 11);
    if (descent_ > thickness_) position = std::min(position, descent_ - thickness_);
    underline_ = position;
    strikeOut_ = std::max(1, (3 * pixelHeight + 5) / 10);
}

TGdiText::~TGdiText() = default;

bool TGdiText::Valid() const {
    return impl_->dc && impl_->font;
}

std::string TGdiText::FaceName() const {
    if (!Valid()) return {};
    wchar_t face[LF_FACESIZE] = {};
    int length = GetTextFaceW(impl_->dc, LF_FACESIZE, face);
    if (length <= 1) return {};
    std::wstring wide(face);
    int bytes = WideCharToMultiByte(CP_UTF8, 0, wide.data(), int(wide.size()), nullptr, 0, nullptr,
                                    nullptr);
    std::string out(size_t(std::max(bytes, 0)), '\0');
    if (bytes > 0)
        WideCharToMultiByte(CP_UTF8, 0, wide.data(), int(wide.size()), out.data(), bytes, nullptr,
                            nullptr);
    return out;
}

bool TGdiText::FixedPitch() const {
    TEXTMETRICW tm{};
    // The flag's name says the opposite of what it means: set for a variable pitch.
    return Valid() && GetTextMetricsW(impl_->dc, &tm) && !(tm.tmPitchAndFamily & TMPF_FIXED_PITCH);
}

int TGdiText::TextWidth(std::string_view text) const {
    if (!Valid() || text.empty()) return 0;
    std::wstring wide = Wide(text);
    SIZE size{};
    if (!GetTextExtentPoint32W(impl_->dc, wide.c_str(), int(wide.size()), &size)) return 0;
    return size.cx;
}

std::vector<uint8_t> TGdiText::Coverage(std::string_view text, int& width, int& height) const {
    width = height = 0;
    if (!Valid() || text.empty()) return {};
    std::wstring wide = Wide(text);
    SIZE size{};
    if (!GetTextExtentPoint32W(impl_->dc, wide.c_str(), int(wide.size()), &size)) return {};
    // Italic and bold letters reach past their advance; the margin holds that.
    const int cell = ascent_ + descent_;
    const int margin = cell / 2 + 2;
    width = size.cx + margin;
    height = std::max<int>(cell, size.cy);
    if (width <= 0 || height <= 0 || !impl_->Surface(width, height)) {
        width = height = 0;
        return {};
    }
    GdiFlush();
    const int stride = impl_->surfaceWidth;
    for (int y = 0; y < height; ++y)
        std::fill_n(impl_->bits + size_t(y) * size_t(stride), width, 0u);
    TextOutW(impl_->dc, 0, 0, wide.c_str(), int(wide.size()));
    GdiFlush();
    std::vector<uint8_t> mask(size_t(width) * size_t(height));
    for (int y = 0; y < height; ++y) {
        const uint32_t* row = impl_->bits + size_t(y) * size_t(stride);
        for (int x = 0; x < width; ++x) {
            // White on black: any channel is the coverage; the brightest one survives
            // sub-pixel smoothing that the system may apply against the request.
            uint32_t p = row[x];
            mask[size_t(y) * size_t(width) + size_t(x)] =
                uint8_t(std::max({p & 0xFF, (p >> 8) & 0xFF, (p >> 16) & 0xFF}));
        }
    }
    return mask;
}
