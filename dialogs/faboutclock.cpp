#include "dialogs/faboutclock.h"

#include <cstdio>

#include "dialogs/product.h"
#include "platform/os/shell.h"
#include "platform/ui/winapi.h"

namespace {

// The maker's other work, in the order of the links from top to bottom.
struct TLink {
    const char* Caption;
    const char* Url;
};
constexpr TLink kOtherWork[5] = {
    {"zentick-hexedit: a hex editor with undo and search", "https://www.zentick.org/hexedit/"},
    {"The shaped-window library behind the clock", "https://www.zentick.org/shaped/"},
    {"The markup label and bar panel components", "https://www.zentick.org/components/"},
    {"Release notes", "https://www.zentick.org/releases/"},
    {"Report a problem or suggest an idea", "https://www.zentick.org/issues/"},
};

}  // namespace

TFormAboutClock::TFormAboutClock(TComponent* owner) : TForm(owner) {
    SetName("FormAboutClock");
    SetBorderStyle(bsDialog);
    SetText("About Tarvo's Binary Clock");
    SetClientWidth(396);
    SetClientHeight(305);
    SetColor(clBtnFace);
    Font().SetName("MS Sans Serif");
    Font().SetHeight(-11);

    LabelProgName = MakeLabel(24, 13);
    LabelProgName->SetAlignment(taCenter);
    LabelCopyright = MakeLabel(40, 13);
    LabelCopyright->SetAlignment(taCenter);
    LabelUrl = MakeLink(56, "");
    LabelUrl->OnClick = Method(this, &TFormAboutClock::LabelUrlClick);

    Label1 = MakeLabel(80, 49);
    Label1->SetWordWrap(true);
    Label1->SetText(
        "Tarvo's Binary Clock is free software under the MIT licence. Visit the zentick web site "
        "to read what is new, to "
        "find the other programs and components made alongside the clock, and to tell us what "
        "you would like to see next.");

    Label6 = MakeLink(136, kOtherWork[0].Caption);
    Label3 = MakeLink(152, kOtherWork[1].Caption);
    Label4 = MakeLink(168, kOtherWork[2].Caption);
    Label2 = MakeLink(184, kOtherWork[3].Caption);
    Label5 = MakeLink(200, kOtherWork[4].Caption);
    for (TLabel* link : {Label6, Label3, Label4, Label2, Label5})
        link->OnClick = Method(this, &TFormAboutClock::LinkClick);

    ButtonOk = new TButton(this);
    ButtonOk->SetParent(this);
    ButtonOk->SetBounds(160, 272, 75, 25);
    ButtonOk->SetText("Ok");
    ButtonOk->SetDefault(true);
    ButtonOk->SetTabOrder(0);
    ButtonOk->OnClick = Method(this, &TFormAboutClock::ButtonOkClick);

    OnCreate = Method(this, &TFormAboutClock::FormCreate);
}

TLabel* TFormAboutClock::MakeLabel(int top, int height) {
    auto* label = new TLabel(this);
    label->SetParent(this);
    label->SetAutoSize(false);
    label->SetBounds(8, top, 377, height);
    return label;
}

TLabel* TFormAboutClock::MakeLink(int top, const char* caption) {
    TLabel* link = MakeLabel(top, 13);
    link->SetAlignment(taCenter);
    link->Font().SetColor(clBlue);
    link->Font().SetStyle(fsUnderline);
    link->SetCursor(crHandPoint);
    link->SetText(caption);
    return link;
}

void TFormAboutClock::FormCreate(TObject*) {
    char name[128];
    std::snprintf(name, sizeof name, "%s ver %s", kProgramName, kProgramVersion);
    LabelProgName->SetText(name);
    LabelCopyright->SetText(kCopyright);
    LabelUrl->SetText(kProductUrl);
}

const char* TFormAboutClock::LinkAddress(const TLabel* label) const {
    if (label == LabelUrl) return kProductUrl;
    const TLabel* links[5] = {Label6, Label3, Label4, Label2, Label5};
    for (int i = 0; i < 5; ++i)
        if (links[i] == label) return kOtherWork[i].Url;
    return nullptr;
}

void TFormAboutClock::LabelUrlClick(TObject* sender) {
    LinkClick(sender);
}

void TFormAboutClock::LinkClick(TObject* sender) {
    if (const char* url = LinkAddress(dynamic_cast<TLabel*>(sender)))
        ShellExecuteA(nullptr, "open", url, nullptr, nullptr, SW_SHOWNORMAL);
}

void TFormAboutClock::ButtonOkClick(TObject*) {
    SetModalResult(mrOk);
}
