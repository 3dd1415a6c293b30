#include "platform/ui/msgbox.h"

#include <algorithm>
#include <vector>

#include "platform/ui/application.h"
#include "platform/ui/button.h"
#include "platform/ui/label.h"
#include "platform/ui/screen.h"

namespace {

// At 100 %: the box is laid out at the scale of its owner's monitor.
constexpr int kMargin = 12;         // around the text and under the buttons
constexpr int kTextToButtons = 16;  // between the text and the buttons
constexpr int kButtonWidth = 75;
constexpr int kButtonHeight = 23;
constexpr int kButtonGap = 6;
constexpr int kMaxTextWidth = 480;
constexpr int kTitleExtra = 48;  // beside the title: the window manager's buttons

struct TChoice {
    const char* caption;
    int result;
};

// Wraps the label's text to the narrowest width that still gives as few lines as the
// widest allowed width does: lines of even length rather than one long line and a
// short last one.
void FitText(TLabel& label, int maxWidth) {
    label.SetWordWrap(true);
    label.SetWidth(maxWidth);
    size_t lines = label.Lines().size();
    int low = 1, high = maxWidth;  // lines(high) == lines; the line count falls as width grows
    while (low < high) {
        int mid = low + (high - low) / 2;
        label.SetWidth(mid);
        if (label.Lines().size() <= lines) {
            high = mid;
        } else {
            low = mid + 1;
        }
    }
    label.SetWidth(high);
    // The widest word may be wider than the box allows; the label takes its widest line.
    int widest = 0;
    for (const std::string& line : label.Lines())
        widest = std::max(widest, label.Font().Face().TextWidth(line));
    label.SetWidth(std::max(high, std::min(widest, maxWidth)));
}

}  // namespace

int MessageBoxA(HWND owner, const std::string& text, const std::string& caption, UINT type) {
    std::vector<TChoice> choices;
    switch (type & 0xF) {
        case MB_OKCANCEL:
            choices = {{"OK", IDOK}, {"Cancel", IDCANCEL}};
            break;
        case MB_YESNO:
            choices = {{"&Yes", IDYES}, {"&No", IDNO}};
            break;
        case MB_YESNOCANCEL:
            choices = {{"&Yes", IDYES}, {"&No", IDNO}, {"Cancel", IDCANCEL}};
            break;
        default:
            choices = {{"OK", IDOK}};
            break;
    }
    bool hasCancel = std::any_of(choices.begin(), choices.end(),
                                 [](const TChoice& c) { return c.result == IDCANCEL; });
    bool okOnly = choices.size() == 1;
    size_t defaultButton = (type & 0xF00) >> 8;  // MB_DEFBUTTON1..3
    if (defaultButton >= choices.size()) defaultButton = 0;

    // The owner: the given window's top-level window, else the main form when it shows.
    HWND ownerTop = IsWindow(owner) ? GetTopLevel(owner) : nullptr;
    bool centreOnOwner = ownerTop != nullptr;
    if (!ownerTop && Application)
        if (TCustomForm* main = Application->MainForm();
            main && main->HandleAllocated() && IsWindowVisible(main->Handle()))
            ownerTop = main->Handle();

    TForm* box = New<TForm>(Application);
    const TScopedObject<TForm> freedAtReturn(box);  // also when an exception leaves
    box->SetBorderStyle(bsDialog);
    box->SetText(caption);
    box->SetOwnerWindow(ownerTop);
    if (ownerTop) box->ScaleForPPI(int(GetDpiForWindow(ownerTop)));
    auto scaled = [box](int length) { return box->ScaleValue(length); };
    // The close box answers as Escape does; a box without Cancel (Yes/No) ignores it.
    box->OnCloseQuery = [&](TObject*, bool& canClose) {
        int result = box->ModalResult();
        canClose = std::any_of(choices.begin(), choices.end(),
                               [result](const TChoice& c) { return c.result == result; }) ||
                   (result == mrCancel && okOnly);
    };

    auto* message = new TLabel(box);
    message->SetParent(box);
    message->SetText(text);
    // The box goes on its owner's monitor, or the primary one.
    TRect area{0, 0, Screen ? Screen->Width() : 1024, Screen ? Screen->Height() : 768};
    if (centreOnOwner) GetWindowRect(ownerTop, &area);
    const TRect monitor =
        Screen && centreOnOwner
            ? Screen->MonitorAt({area.Left + area.Width() / 2, area.Top + area.Height() / 2}).Bounds
            : area;
    FitText(*message, std::max(1, std::min(scaled(kMaxTextWidth), monitor.Width() * 5 / 8)));
    const int margin = scaled(kMargin), buttonWidth = scaled(kButtonWidth),
              buttonHeight = scaled(kButtonHeight), buttonGap = scaled(kButtonGap);
    message->SetLeft(margin);
    message->SetTop(margin);

    int count = int(choices.size());
    int buttonsWidth = count * buttonWidth + (count - 1) * buttonGap;
    int titleWidth = box->Font().Face().TextWidth(caption) + scaled(kTitleExtra);
    int width = std::max({message->Width() + 2 * margin, buttonsWidth + 2 * margin, titleWidth});
    int buttonsTop = margin + message->Height() + scaled(kTextToButtons);
    int height = buttonsTop + buttonHeight + margin;

    int x = (width - buttonsWidth) / 2;
    for (int i = 0; i < count; ++i) {
        const TChoice& choice = choices[size_t(i)];
        auto* button = new TButton(box);
        button->SetParent(box);
        button->SetText(choice.caption);
        button->SetBounds(x, buttonsTop, buttonWidth, buttonHeight);
        button->SetModalResult(choice.result);
        button->SetTabOrder(i);
        button->SetDefault(size_t(i) == defaultButton);
        if (size_t(i) == defaultButton) box->SetActiveControl(button);
        // Escape: the Cancel button, or OK when it is the only one.
        button->SetCancel(choice.result == IDCANCEL || okOnly);
        x += buttonWidth + buttonGap;
    }

    int left = area.Left + (area.Width() - width) / 2,
        top = area.Top + (area.Height() - height) / 2;
    left = std::max(monitor.Left, std::min(left, monitor.Right - width));
    top = std::max(monitor.Top, std::min(top, monitor.Bottom - height));
    box->SetBounds(left, top, width, height);

    const int result = box->ShowModal();
    // The application ending, or the close box of an OK box, end it as Cancel would.
    if (result == mrCancel && !hasCancel) return okOnly ? IDOK : IDNO;
    return result;
}
