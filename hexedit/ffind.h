// TFormFind: the hex editor's modal Find dialog. The user types what to look for, picks
// how to read it (Text: the characters; Number: a decimal number, or hexadecimal after
// "0x", as its big-endian bytes; Bytes: hexadecimal byte values such as "0d 0a") and, for
// text, whether the case must match. Find (or Enter) closes it with mrOk and is enabled
// only while there is something to find; Cancel, Esc and the close box with mrCancel.
// "Match case" is enabled for Text only.
#pragma once

#include <string>

#include "platform/ui/button.h"
#include "platform/ui/checkbox.h"
#include "platform/ui/edit.h"
#include "platform/ui/form.h"
#include "platform/ui/label.h"
#include "platform/ui/radiogroup.h"

class TFormFind : public TForm {
public:
    explicit TFormFind(TComponent* owner);

    TLabel* LabelText = nullptr;
    TEdit* EditText = nullptr;
    TRadioGroup* RadioGroupMode = nullptr;
    TCheckBox* CheckBoxMatchCase = nullptr;
    TButton* ButtonFind = nullptr;
    TButton* ButtonCancel = nullptr;

    // The search the dialog shows: the text, the mode (smText, smNumber, smHexBytes) and
    // the flags (sfMatchCase).
    void SetSearch(const std::string& text, int mode, int flags);
    std::string SearchText() const { return EditText->Text(); }
    int SearchMode() const;
    int SearchFlags() const;

    void EditTextChange(TObject* sender);
    void RadioGroupModeClick(TObject* sender);

private:
    // Enables Find and "Match case" for what the dialog holds now.
    void UpdateControls();
};
