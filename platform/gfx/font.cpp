#include "platform/gfx/font.h"

#include <cmath>
#include <cstdlib>

namespace {
std::shared_ptr<TFontProvider>& Installed() {
    static std::shared_ptr<TFontProvider> provider;
    return provider;
}
}  // namespace

TFontProvider& FontProvider() {
    if (!Installed()) Installed() = CreateSystemFontProvider();
    return *Installed();
}

void SetFontProvider(std::shared_ptr<TFontProvider> provider) {
    Installed() = std::move(provider);
}

void TFont::SetName(const std::string& name) {
    if (name == name_) return;
    name_ = name;
    Changed();
}

void TFont::SetHeight(int height) {
    if (height == height_) return;
    height_ = height;
    Changed();
}

int TFont::Size() const {
    return int(std::lround(-height_ * 72.0 / pixelsPerInch_));
}

void TFont::SetSize(int points) {
    SetHeight(-int(std::lround(points * pixelsPerInch_ / 72.0)));
}

void TFont::ChangePixelsPerInch(int ppi) {
    if (ppi <= 0 || ppi == pixelsPerInch_) return;
    const int magnitude = std::abs(height_);
    const long points = std::lround(magnitude * 72.0 / pixelsPerInch_);
    long scaled = points > 0 ? std::lround(points * ppi / 72.0)
                             : std::lround(double(magnitude) * ppi / pixelsPerInch_);
    pixelsPerInch_ = ppi;
    SetHeight(height_ < 0 ? -int(scaled) : int(scaled));
}

void TFont::SetColor(TColor color) {
    if (color == color_) return;
    color_ = color;
    Changed();
}

void TFont::SetStyle(TFontStyles style) {
    if (style == style_) return;
    style_ = style;
    Changed();
}

void TFont::Assign(const TFont& other) {
    name_ = other.name_;
    height_ = other.height_;
    pixelsPerInch_ = other.pixelsPerInch_;
    color_ = other.color_;
    style_ = other.style_;
    Changed();
}

TFontDesc TFont::Desc() const {
    // A positive height includes the internal leading, about a fifth of the cell.
    int pixels = height_ < 0 ? -height_ : height_ > 0 ? std::max(1, height_ * 4 / 5) : 11;
    return TFontDesc{name_, pixels, style_ & (fsBold | fsItalic)};
}

const TFontFace& TFont::Face() const {
    if (!face_) face_ = FontProvider().Face(Desc());
    return *face_;
}

void TFont::Changed() {
    face_.reset();
    if (OnChange) OnChange();
}
