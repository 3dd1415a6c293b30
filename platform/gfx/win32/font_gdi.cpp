// The system font provider on Windows: the system's own fonts, drawn by GDI.
//
// A face is a TGdiText (platform/os/win32/gditext.h) for the description: the family name
// as given ("MS Sans Serif" is the system's own dialog font there), the character height
// in pixels, bold and italic. The generic names of fontconfig mean nothing to the system:
// "monospace" (and "mono") asks for a fixed-pitch face of the modern family, Consolas,
// then Courier New, then whichever fixed-pitch face the system has; "sans-serif" (and
// "sans") is the dialog font and "serif" Times New Roman. Metrics and widths are the system's; a
// text is drawn as coverage and blended with the 24-bit target like the other providers: out =
// (colour * a + target * (255 - a)) / 255. When the system gives no font, the built-in fixed font
// stands in, so text is still drawn. Faces are kept by description.
#include <algorithm>
#include <cstring>
#include <initializer_list>
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
    std::string FaceName() const override { return text_->FaceName(); }

    int TextWidth(std::string_view text) const override { return text_->TextWidth(text); }

    // From the text as the system draws it: its advance less the columns up to its last
    // inked one (the system may place a character drawn within a text otherwise than alone).
    int TrailingBlank(std::string_view text) const override {
        if (text.empty()) return 0;
        const std::string key(text);
        auto found = blanks_.find(key);
        if (found != blanks_.end()) return found->second;
        int width = 0, height = 0, inkRight = 0;
        const std::vector<uint8_t> mask = text_->Coverage(text, width, height);
        for (int y = 0; y < height; ++y)
            for (int x = width - 1; x >= inkRight; --x)
                if (mask[size_t(y) * size_t(width) + size_t(x)]) {
                    inkRight = x + 1;
                    break;
                }
        const int blank = inkRight == 0 ? 0 : std::max(0, text_->TextWidth(text) - inkRight);
        if (blanks_.size() >= kMaxRememberedBlanks) blanks_.clear();
        return blanks_.emplace(key, blank).first->second;
    }

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
    // The blanks of the texts underlined last (links: few, and drawn again and again).
    static constexpr size_t kMaxRememberedBlanks = 64;
    mutable std::map<std::string, int> blanks_;
};

class TGdiFontProvider : public TFontProvider {
public:
    std::shared_ptr<const TFontFace> Face(const TFontDesc& desc) override {
        auto key = std::make_tuple(desc.Name, desc.PixelHeight, desc.Style);
        auto found = faces_.find(key);
        if (found != faces_.end()) return found->second;
        std::unique_ptr<TGdiText> text = Text(desc);
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
    static std::unique_ptr<TGdiText> Text(const TFontDesc& desc) {
        const bool bold = (desc.Style & fsBold) != 0, italic = (desc.Style & fsItalic) != 0;
        if (IsName(desc.Name, {"monospace", "mono"})) {
            std::unique_ptr<TGdiText> text;
            for (const char* family : {"Consolas", "Courier New", ""}) {
                text = std::make_unique<TGdiText>(family, desc.PixelHeight, bold, italic, true);
                // The system substitutes a face it does not have: only a fixed-pitch one of
                // the name asked for (or any fixed-pitch one, last) will do.
                if (text->Valid() && text->FixedPitch() &&
                    (!*family || IsName(text->FaceName(), {family})))
                    break;
            }
            return text;
        }
        std::string family = desc.Name;
        if (IsName(family, {"sans-serif", "sans"})) family = "MS Sans Serif";
        if (IsName(family, {"serif"})) family = "Times New Roman";
        return std::make_unique<TGdiText>(family, desc.PixelHeight, bold, italic);
    }

    static bool IsName(const std::string& name, std::initializer_list<const char*> names) {
        for (const char* candidate : names)
            if (_stricmp(name.c_str(), candidate) == 0) return true;
        return false;
    }

    std::map<std::tuple<std::string, int, TFontStyles>, std::shared_ptr<const TFontFace>> faces_;
    std::shared_ptr<TFontProvider> fallback_;
};

}  // namespace

std::shared_ptr<TFontProvider> CreateSystemFontProvider() {
    return std::make_shared<TGdiFontProvider>();
}
