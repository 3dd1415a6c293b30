#include "platform/ui/msgbox.h"

#include <algorithm>
#include <vector>

#include "platform/ui/application.h"
#include "platform/ui/button.h"
#include "platform/ui/label.h"
#include "platform/ui/screen.h"

int MessageBoxA(HWND owner, const std::string& text, const std::string& caption, UINT type) {
    struct TChoice {
        const char* caption;
        int result;
    };
    std::vector<TChoice> choices;
    switch (type & 0xF) {
        case MB_OKCANCEL: choices = {{"OK", IDOK}, {"Cancel", IDCANCEL}}; break;
        case MB_YESNO: choices = {{"&Yes", IDYES}, {"&No", IDNO}}; break;
        default: choices = {{"OK", IDOK}}; break;
    }

    TForm* box = New<TForm>(Application);
    box->SetBorderStyle(bsDialog);
    box->SetText(caption);
    auto* message = new TLabel(box);
    message->SetParent(box);
    message->SetText(text);
    int textWidth = std::min(message->Width(), 400);
    message->SetAutoSize(false);
    message->SetWordWrap(true);
    message->SetBounds(16, 16, textWidth, 16);
    message->SetAutoSize(true);

    int buttonsWidth = int(choices.size()) * 75 + (int(choices.size()) - 1) * 8;
    int width = std::max(textWidth, buttonsWidth) + 32;
    int height = message->Height() + 16 + 16 + 25 + 12;
    box->SetBounds(0, 0, width, height);
    int x = (width - buttonsWidth) / 2;
    for (size_t i = 0; i < choices.size(); ++i) {
        auto* button = new TButton(box);
        button->SetParent(box);
        button->SetText(choices[i].caption);
        button->SetBounds(x, height - 12 - 25, 75, 25);
        button->SetModalResult(choices[i].result);
        button->SetTabOrder(int(i));
        button->SetDefault(i == 0);
        button->SetCancel(choices[i].result == IDCANCEL || choices[i].result == IDNO || choices.size() == 1);
        x += 75 + 8;
    }

    TRect area{0, 0, Screen->Width(), Screen->Height()};
    if (owner) GetWindowRect(owner, &area);
    box->SetBounds(area.Left + (area.Width() - width) / 2, area.Top + (area.Height() - height) / 2, width, height);
    int result = box->ShowModal();
    box->Free();
    if (result == mrCancel && choices.size() == 1) return IDOK;
    return result;
}
