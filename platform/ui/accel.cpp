#include "platform/ui/accel.h"

#include <algorithm>

namespace {

// The length of the UTF-8 sequence that starts with byte lead.
size_t SequenceLength(unsigned char lead) {
    return lead < 0x80             ? 1
           : (lead & 0xE0) == 0xC0 ? 2
           : (lead & 0xF0) == 0xE0 ? 3
           : (lead & 0xF8) == 0xF0 ? 4
                                   : 1;
}

uint32_t Decode(std::string_view s) {
    auto lead = static_cast<unsigned char>(s[0]);
    size_t length = std::min(SequenceLength(lead), s.size());
    if (length == 1) return lead;
    uint32_t cp = lead & (0x7F >> length);
    for (size_t i = 1; i < length; ++i)
        cp = (cp << 6) | (static_cast<unsigned char>(s[i]) & 0x3F);
    return cp;
}

// Lower case for the letters that have one in Latin-1, Latin Extended-A, Greek and
// Cyrillic: enough for access letters, which are single letters of a caption.
uint32_t Fold(uint32_t ch) {
    if ((ch >= 'A' && ch <= 'Z') || (ch >= 0xC0 && ch <= 0xDE && ch != 0xD7)) return ch + 0x20;
    if (ch >= 0x100 && ch <= 0x17F && ch % 2 == 0) return ch + 1;
    if (ch >= 0x391 && ch <= 0x3AB) return ch + 0x20;
    if (ch >= 0x410 && ch <= 0x42F) return ch + 0x20;
    if (ch >= 0x400 && ch <= 0x40F) return ch + 0x50;
    return ch;
}

}  // namespace

TAccelText ParseAccel(std::string_view caption) {
    TAccelText out;
    out.Text.reserve(caption.size());
    for (size_t i = 0; i < caption.size(); ++i) {
        if (caption[i] != '&') {
            out.Text += caption[i];
            continue;
        }
        if (i + 1 < caption.size() && caption[i + 1] == '&') {
            out.Text += '&';
            ++i;
            continue;
        }
        if (i + 1 < caption.size()) {
            out.Index = out.Text.size();
            out.Length = std::min(SequenceLength(static_cast<unsigned char>(caption[i + 1])),
                                  caption.size() - (i + 1));
        }
    }
    return out;
}

bool IsAccel(uint32_t ch, std::string_view caption) {
    TAccelText text = ParseAccel(caption);
    if (!text.HasAccel() || ch == 0) return false;
    return Fold(Decode(std::string_view(text.Text).substr(text.Index, text.Length))) == Fold(ch);
}

void DrawAccelUnderline(TCanvas& canvas, int x, int y, const TAccelText& text) {
    if (!text.HasAccel()) return;
    const TFontFace& face = canvas.Font.Face();
    const TFontMetrics m = face.Metrics();
    std::string_view all(text.Text);
    int left = x + face.TextWidth(all.substr(0, text.Index));
    int width = face.TextWidth(all.substr(text.Index, text.Length));
    int top = y + m.Ascent + m.UnderlinePosition;
    TBrushStyle style = canvas.Brush.Style;
    TColor color = canvas.Brush.Color;
    canvas.Brush.Style = bsSolid;
    canvas.Brush.Color = canvas.Font.Color();
    canvas.FillRect({left, top, left + width, top + std::max(1, m.LineThickness)});
    canvas.Brush.Style = style;
    canvas.Brush.Color = color;
}
