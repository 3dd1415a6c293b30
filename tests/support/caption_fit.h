// Whether every caption of a form fits its control: the text each standard control shows,
// measured in the control's own font, against the room the control gives it (inside its
// frame, right of its glyph, within its rows). Tests run it at every scale with the fonts
// the program is installed with.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/ui/button.h"
#include "platform/ui/checkbox.h"
#include "platform/ui/edit.h"
#include "platform/ui/label.h"
#include "platform/ui/listview.h"
#include "platform/ui/radiogroup.h"
#include "platform/ui/stylepainter.h"

// For a control of another kind: a description of what does not fit, nothing when it fits
// or is not a kind the check knows.
using TCaptionCheck = std::function<std::optional<std::string>(const TControl&)>;

inline void CollectClippedCaptions(const TWinControl& parent, const TCaptionCheck& other,
                                   std::vector<std::string>& clipped) {
    auto report = [&](const TControl& c, const std::string& text, int need, int room) {
        if (need > room)
            clipped.push_back((c.Name().empty() ? std::string("?") : c.Name()) + ": \"" + text +
                              "\" needs " + std::to_string(need) + ", has " + std::to_string(room));
    };
    for (int i = 0; i < parent.ControlCount(); ++i) {
        const TControl& c = *parent.Controls(i);
        if (!c.Visible()) continue;
        const TFontFace& face = c.Font().Face();
        const int height = face.Metrics().Height(), line = c.LineWidth();
        if (auto* box = dynamic_cast<const TCheckBox*>(&c)) {
            report(c, box->Caption(), box->CaptionRect().Right, box->Width());
            report(c, box->Caption(), height, box->Height());
        } else if (auto* group = dynamic_cast<const TRadioGroup*>(&c)) {
            // The caption sits in a gap of the frame, which ends two lines inside the edge.
            report(c, group->Caption(), c.ScaleValue(9) + face.TextWidth(group->Caption()),
                   group->Width() - 2 * line);
            for (int item = 0; item < int(group->Items().size()); ++item) {
                const std::string& text = group->Items()[size_t(item)];
                const TRect r = group->ItemRect(item);
                report(c, text, c.ScaleValue(kGlyphTextLeft) + face.TextWidth(text), r.Width());
                report(c, text, height, r.Height());
                report(c, text, r.Bottom, group->Height() - 2 * line);
            }
        } else if (auto* button = dynamic_cast<const TButton*>(&c)) {
            // Inside the default outline and the two-line edge on either side.
            report(c, button->Caption(), face.TextWidth(button->Caption()) + 6 * line,
                   button->Width());
            report(c, button->Caption(), height + 6 * line, button->Height());
        } else if (auto* label = dynamic_cast<const TLabel*>(&c)) {
            const std::vector<std::string> lines = label->Lines();
            for (const std::string& text : lines)
                report(c, text, face.TextWidth(text), label->Width());
            report(c, label->Caption(), int(lines.size()) * height, label->Height());
        } else if (auto* edit = dynamic_cast<const TEdit*>(&c)) {
            report(c, edit->Text(), height + 4 * line, edit->Height());
        } else if (auto* list = dynamic_cast<const TListView*>(&c)) {
            for (const TListColumn& column : list->Columns())
                report(c, column.Caption,
                       face.TextWidth(column.Caption) + 2 * c.ScaleValue(kHeaderTextLeft),
                       column.Width);
            report(c, "(header)", height + 4 * line, list->HeaderHeight());
        } else if (other) {
            if (std::optional<std::string> problem = other(c)) clipped.push_back(*problem);
        }
        if (auto* inner = dynamic_cast<const TWinControl*>(&c))
            CollectClippedCaptions(*inner, other, clipped);
    }
}

// What does not fit in the controls inside parent, one line each; empty when all fits.
inline std::vector<std::string> ClippedCaptions(const TWinControl& parent,
                                                const TCaptionCheck& other = {}) {
    std::vector<std::string> clipped;
    CollectClippedCaptions(parent, other, clipped);
    return clipped;
}
