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
#include "platform/gfx/coverage.h"
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
        BlendCoverage(target, area, x, y, width, height, mask.data(), color);
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
