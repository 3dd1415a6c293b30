// The system font provider on Windows: the system's own fonts, drawn by GDI.
//
// A face is a TGdiText (platform/os/win32/gditext.h) for the description: the family name
// as given ("MS Sans Serif" is the system's own dialog font there), the character height
// in pixels, bold and italic. Metrics and widths are the system's; a text is drawn as
// coverage and blended with the 24-bit target like the other providers:
// out = (colour * a + target * (255 - a)) / 255. When the system gives no font, the
// built-in fixed font stands in, so text is still drawn. Faces are kept by description.
#include <algorithm>
#include <map>
#include <tuple>

#include "platform/gfx/bitmap.h"
#include "platform/gfx/font.h"
#include "platform/os/win32/gditext.h"

namespace {

class TGdiFace : public TFontFace {
public:
    explicit TGdiFace(std::unique_ptr<TGdiText> text) : text_(std::move(text)) {
        metrics_.Ascent = text_->Ascent();
        metrics_.Descent = text_->Descent();
        metrics_.UnderlinePosition = text_->UnderlinePosition();
        metrics_.StrikeOutPosition = text_->StrikeOutPosition();
        metrics_.LineThickness = text_->LineThickness();
    }

    TFontMetrics Metrics() const override { return metrics_; }

    int TextWidth(std::string_view text) const override { return text_->TextWidth(text); }

    void DrawText(TBitmap& target, int x, int y, std::string_view text, TColor color,
                  const TRect& clip) const override {
        const TRect area = clip.Intersect({0, 0, target.Width(), target.Height()});
        if (area.IsEmpty() || text.empty()) return;
        int width = 0, height = 0;
        const std::vector<uint8_t> mask = text_->Coverage(text, width, height);
        if (mask.empty()) return;
        color = ColorToRGB(color);
        const int source[3] = {GetBValue(color), GetGValue(color), GetRValue(color)};
        const bool direct = target.PixelFormat() == pf24bit;
        const int x0 = std::max(x, area.Left), x1 = std::min(x + width, area.Right);
        const int y0 = std::max(y, area.Top), y1 = std::min(y + height, area.Bottom);
        for (int py = y0; py < y1; ++py) {
            const uint8_t* coverage = mask.data() + size_t(py - y) * size_t(width) + size_t(x0 - x);
            uint8_t* row = direct ? target.ScanLine(py) : nullptr;
            for (int px = x0; px < x1; ++px) {
                const int a = *coverage++;
                if (a == 0) continue;
                if (direct) {
                    uint8_t* p = row + 3 * px;
                    for (int i = 0; i < 3; ++i)
                        p[i] = uint8_t((source[i] * a + p[i] * (255 - a)) / 255);
                } else {
                    const TColor old = target.Pixel(px, py);
                    const int dst[3] = {GetBValue(old), GetGValue(old), GetRValue(old)};
                    int out[3];
                    for (int i = 0; i < 3; ++i)
                        out[i] = (source[i] * a + dst[i] * (255 - a)) / 255;
                    target.SetPixel(px, py, RGB(out[2], out[1], out[0]));
                }
            }
        }
    }

private:
    std::unique_ptr<TGdiText> text_;
    TFontMetrics metrics_;
};

class TGdiFontProvider : public TFontProvider {
public:
    std::shared_ptr<const TFontFace> Face(const TFontDesc& desc) override {
        auto key = std::make_tuple(desc.Name, desc.PixelHeight, desc.Style);
        auto found = faces_.find(key);
        if (found != faces_.end()) return found->second;
        auto text = std::make_unique<TGdiText>(
            desc.Name, desc.PixelHeight, (desc.Style & fsBold) != 0, (desc.Style & fsItalic) != 0);
        std::shared_ptr<const TFontFace> face;
        if (text->Valid()) {
            face = std::make_shared<TGdiFace>(std::move(text));
        } else {
            if (!fallback_) fallback_ = CreateFixedFontProvider();
            face = fallback_->Face(desc);
        }
        faces_.emplace(key, face);
        return face;
    }

private:
    std::map<std::tuple<std::string, int, TFontStyles>, std::shared_ptr<const TFontFace>> faces_;
    std::shared_ptr<TFontProvider> fallback_;
};

}  // namespace

std::shared_ptr<TFontProvider> CreateSystemFontProvider() {
    return std::make_shared<TGdiFontProvider>();
}
