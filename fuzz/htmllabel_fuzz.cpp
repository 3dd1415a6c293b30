// Feeds arbitrary bytes to THtmlLabel as its caption, on the headless desktop with the
// built-in fixed font: the first byte chooses word wrap, auto size, alignment and width,
// the rest is the caption, which the label measures and paints at once. Every pass must
// end with its pending piece flushed, and an auto-sized label must take the measured size.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "platform/ui/form.h"
#include "tests/support/headless_app.h"
#include "widgets/htmllabel.h"

namespace {

void Check(bool condition) {
    if (!condition) std::abort();
}

struct TLabelDesk {
    THeadlessApp app;
    TForm* form = nullptr;
    THtmlLabel* label = nullptr;

    TLabelDesk() {
        form = New<TForm>(Application);
        form->SetBorderStyle(bsNone);
        form->SetBounds(10, 10, 400, 200);
        label = new THtmlLabel(form);
        label->SetParent(form);
        form->Show();
        app.Run();
    }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static TLabelDesk* desk = new TLabelDesk();
    THtmlLabel* label = desk->label;
    const uint8_t flags = size > 0 ? data[0] : 0;
    label->SetAutoSize1(0);
    label->SetCaption("");
    label->SetBounds(5, 5, 1 + (flags >> 4) * 25, 40);
    label->SetWordWrap1(flags & 1);
    label->SetAlignment(TAlignment((flags >> 1) & 3));
    label->SetAutoSize1((flags >> 3) & 1);
    const std::string caption =
        size > 0 ? std::string(reinterpret_cast<const char*>(data + 1), size - 1) : std::string();
    label->SetCaption(caption);
    Check(label->WordBuffer().empty());
    if (label->AutoSize()) {
        Check(label->Width() == std::max(label->ExtentWidth(), 0));
        Check(label->Height() == std::max(label->LineHeight(), 0));
    }
    label->Repaint();
    desk->app.Run();
    Check(label->WordBuffer().empty());
    return 0;
}
