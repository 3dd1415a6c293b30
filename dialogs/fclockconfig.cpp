#include "dialogs/fclockconfig.h"

#include "dialogs/product.h"
#include "platform/os/shell.h"
#include "platform/ui/msgbox.h"
#include "platform/ui/winapi.h"

namespace {

// The "Clock Format" items in the dialog's order, by the clock type each shows.
constexpr int kTypeOfItem[7] = {0, 1, 2, 6, 3, 4, 5};

// The "Size" items, by the scale each chooses (0: automatic).
constexpr int kScaleOfItem[5] = {0, 100, 150, 200, 300};

// Clock types drawn by the horizontal layout: the three "Horiz" formats and Dip Switch.
bool IsHorizontalType(int type) {
    return type >= 3 && type <= 6;
}

}  // namespace

TFormClockConfig::TFormClockConfig(TComponent* owner) : TForm(owner) {
    SetName("FormClockConfig");
    SetBorderStyle(bsDialog);
    SetText("Clock Settings");
    // The design's 537 pixels, and a column for the "Size" group beside them.
    SetClientWidth(633);
    SetClientHeight(322);
    SetColor(clBtnFace);
    Font().SetName("MS Sans Serif");
    Font().SetHeight(-11);

    CheckBox24Hour = MakeCheckBox(8, 16, 257, "24 Hour Mode (un-check for 12-hour mode)", 0);
    CheckBoxAutoLoad = MakeCheckBox(8, 40, 257, "Auto-Load on Window Startup", 1);
    CheckBoxOnTop = MakeCheckBox(8, 64, 257, "Always on Top", 2);

    ButtonOk = new TButton(this);
    ButtonOk->SetParent(this);
    ButtonOk->SetBounds(191, 288, 75, 25);
    ButtonOk->SetText("Ok");
    ButtonOk->SetDefault(true);
    ButtonOk->SetTabOrder(3);
    ButtonOk->OnClick = Method(this, &TFormClockConfig::ButtonOkClick);

    ButtonCancel = new TButton(this);
    ButtonCancel->SetParent(this);
    ButtonCancel->SetBounds(271, 288, 75, 25);
    ButtonCancel->SetText("Cancel");
    ButtonCancel->SetCancel(true);
    ButtonCancel->SetTabOrder(4);
    ButtonCancel->OnClick = Method(this, &TFormClockConfig::ButtonCancelClick);

    RadioGroupType = MakeRadioGroup(TRect::FromSize(8, 184, 257, 97), "Clock Format",
                                    {"Large Standard", "Small Standard", "Tiny Standard",
                                     "Dip Switch", "Large Horiz", "Small Horiz", "Tiny Horiz"},
                                    2, 5);
    CheckBoxBcd = MakeCheckBox(8, 112, 257, "BCD digits instead of binary", 6);
    RadioGroupColor = MakeRadioGroup(TRect::FromSize(272, 8, 125, 57), "LED Color",
                                     {"Red", "Blue", "Amber", "Green"}, 2, 7);
    RadioGroupShape = MakeRadioGroup(TRect::FromSize(404, 8, 125, 57), "LED Shape",
                                     {"Round", "Square", "Rect"}, 2, 8);
    CheckBoxHideTask =
        MakeCheckBox(8, 88, 257, "Hide Taskbar Button (takes effect after restart)", 9);
    RadioGroupBack =
        MakeRadioGroup(TRect::FromSize(272, 72, 257, 81), "Background",
                       {"Flat Black", "Brushed Aluminum", "Mahogany", "Transparent"}, 1, 10);

    Label1 = new TLabel(this);
    Label1->SetParent(this);
    Label1->SetAutoSize(false);
    Label1->SetWordWrap(true);
    Label1->SetBounds(272, 160, 245, 49);
    Label1->SetText(
        "In my opinion, the round LEDs look best with the flat black background. The other LED "
        "shapes (square, rect) look good with any background.");

    CheckBoxMoveAround = MakeCheckBox(8, 40, 241, "Move clock around screen", 11);
    CheckBoxMoveAround->Hide();
    CheckBoxBcdHide = MakeCheckBox(8, 136, 257, "Hide unused BCD leds", 12);

    HtmlLabel1 = new THtmlLabel(this);
    HtmlLabel1->SetParent(this);
    HtmlLabel1->SetBounds(272, 208, 257, 49);
    HtmlLabel1->SetWordWrap1(1);
    HtmlLabel1->SetCursor(crHandPoint);
    HtmlLabel1->SetColor(clBtnFace);
    // The link says what it opens: an empty caption would leave a click target nobody
    // can see.
    HtmlLabel1->SetCaption("Enjoy the clock? <hyper>Support its development</hyper>");
    HtmlLabel1->OnClick = Method(this, &TFormClockConfig::HtmlLabel1Click);

    CheckBoxSecondsHide = MakeCheckBox(8, 160, 257, "Hide 'seconds' digits", 14);
    RadioGroupSize = MakeRadioGroup(TRect::FromSize(536, 8, 89, 97), "Size",
                                    {"Automatic", "100 %", "150 %", "200 %", "300 %"}, 1, 15);
}

TCheckBox* TFormClockConfig::MakeCheckBox(int left, int top, int width, const char* caption,
                                          int tabOrder) {
    auto* box = new TCheckBox(this);
    box->SetParent(this);
    box->SetBounds(left, top, width, 17);
    box->SetText(caption);
    box->SetTabOrder(tabOrder);
    return box;
}

TRadioGroup* TFormClockConfig::MakeRadioGroup(TRect bounds, const char* caption,
                                              std::vector<std::string> items, int columns,
                                              int tabOrder) {
    auto* group = new TRadioGroup(this);
    group->SetParent(this);
    group->SetBounds(bounds.Left, bounds.Top, bounds.Width(), bounds.Height());
    group->SetText(caption);
    group->SetColumns(columns);
    group->SetItems(std::move(items));
    group->SetTabOrder(tabOrder);
    return group;
}

int TFormClockConfig::GetSelectedType() const {
    int item = RadioGroupType->ItemIndex();
    if (item < 0 || item >= 7) return -1;
    return kTypeOfItem[item];
}

void TFormClockConfig::SelectType(int type) {
    if (type < 0 || type > 6) {
        RadioGroupType->SetItemIndex(type);
        return;
    }
    for (int item = 0; item < 7; ++item)
        if (kTypeOfItem[item] == type) RadioGroupType->SetItemIndex(item);
}

int TFormClockConfig::GetSelectedScale() const {
    int item = RadioGroupSize->ItemIndex();
    return item >= 0 && item < 5 ? kScaleOfItem[item] : -1;
}

void TFormClockConfig::SelectScale(int scalePercent) {
    RadioGroupSize->SetItemIndex(-1);
    for (int item = 0; item < 5; ++item)
        if (kScaleOfItem[item] == scalePercent) RadioGroupSize->SetItemIndex(item);
}

void TFormClockConfig::ButtonOkClick(TObject*) {
    int type = GetSelectedType();
    if (CheckBoxBcd->Checked() && IsHorizontalType(type)) {
        MessageBoxA(Handle(), kBcdHorizontalMessage, "Error", MB_OK);
        return;
    }
    SetModalResult(mrOk);
}

void TFormClockConfig::ButtonCancelClick(TObject*) {
    SetModalResult(mrCancel);
}

void TFormClockConfig::HtmlLabel1Click(TObject*) {
    ShellExecuteA(nullptr, "open", kDonationUrl, nullptr, nullptr, SW_SHOWNORMAL);
}
