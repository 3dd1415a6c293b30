#include "hexedit/ffind.h"

#include "widgets/hex/hexcontrol.h"
#include "widgets/hex/strutil.h"

namespace {

// The modes in the order of the radio group's items.
constexpr int kModes[] = {smText, smNumber, smHexBytes};

}  // namespace

TFormFind::TFormFind(TComponent* owner) : TForm(owner) {
    SetName("FormFind");
    SetBorderStyle(bsDialog);
    SetPosition(poOwnerFormCenter);
    SetText("Find");
    SetClientWidth(344);
    SetClientHeight(122);
    Font().SetName("MS Sans Serif");
    Font().SetHeight(-11);

    LabelText = new TLabel(this);
    LabelText->SetParent(this);
    LabelText->SetBounds(8, 12, 60, 13);
    LabelText->SetText("Find what:");

    EditText = new TEdit(this);
    EditText->SetParent(this);
    EditText->SetBounds(72, 8, 180, 21);
    EditText->SetTabStop(true);
    EditText->SetTabOrder(0);
    EditText->OnChange = Method(this, &TFormFind::EditTextChange);

    RadioGroupMode = new TRadioGroup(this);
    RadioGroupMode->SetParent(this);
    RadioGroupMode->SetBounds(8, 38, 244, 44);
    RadioGroupMode->SetText("Search for");
    RadioGroupMode->SetColumns(3);
    RadioGroupMode->SetItems({"Text", "Number", "Bytes"});
    RadioGroupMode->SetItemIndex(0);
    RadioGroupMode->SetTabOrder(1);
    RadioGroupMode->OnClick = Method(this, &TFormFind::RadioGroupModeClick);

    CheckBoxMatchCase = new TCheckBox(this);
    CheckBoxMatchCase->SetParent(this);
    CheckBoxMatchCase->SetBounds(8, 94, 120, 17);
    CheckBoxMatchCase->SetText("Match case");
    CheckBoxMatchCase->SetTabOrder(2);

    ButtonFind = new TButton(this);
    ButtonFind->SetParent(this);
    ButtonFind->SetBounds(261, 8, 75, 23);
    ButtonFind->SetText("Find");
    ButtonFind->SetDefault(true);
    ButtonFind->SetModalResult(mrOk);
    ButtonFind->SetTabOrder(3);

    ButtonCancel = new TButton(this);
    ButtonCancel->SetParent(this);
    ButtonCancel->SetBounds(261, 37, 75, 23);
    ButtonCancel->SetText("Cancel");
    ButtonCancel->SetCancel(true);
    ButtonCancel->SetModalResult(mrCancel);
    ButtonCancel->SetTabOrder(4);

    SetActiveControl(EditText);
    UpdateControls();
}

void TFormFind::SetSearch(const std::string& text, int mode, int flags) {
    EditText->SetText(text);
    EditText->SelectAll();
    int index = 0;
    for (int i = 0; i < 3; ++i)
        if (kModes[i] == mode) index = i;
    RadioGroupMode->SetItemIndex(index);
    CheckBoxMatchCase->SetChecked(flags & sfMatchCase);
    UpdateControls();
}

int TFormFind::SearchMode() const {
    int index = RadioGroupMode->ItemIndex();
    return index >= 0 && index < 3 ? kModes[index] : smText;
}

int TFormFind::SearchFlags() const {
    return SearchMode() == smText && CheckBoxMatchCase->Checked() ? sfMatchCase : 0;
}

void TFormFind::EditTextChange(TObject*) {
    UpdateControls();
}

void TFormFind::RadioGroupModeClick(TObject*) {
    UpdateControls();
}

void TFormFind::UpdateControls() {
    // The editor trims what it searches for: white space alone finds nothing.
    ButtonFind->SetEnabled(!TrimWhiteSpace(EditText->Text()).empty());
    CheckBoxMatchCase->SetEnabled(SearchMode() == smText);
}
