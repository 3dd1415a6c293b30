// TFormClockConfig: the modal "Clock Settings" dialog, where every clock setting is
// changed at once.
//
// The dialog knows nothing of the settings record or the store: its owner fills the check
// boxes and radio groups, shows it modally and reads them back when it closed with Ok.
// What the dialog does itself: it lists the clock formats in its own order and translates
// to and from clock types (SelectType, GetSelectedType), and the sizes to and from scales
// (SelectScale, GetSelectedScale), refuses Ok while BCD is checked
// with a horizontal or Dip Switch format, closes with Ok (1) or Cancel (2), and opens the
// donation page from its link. Esc and the window's close box cancel.
#pragma once

#include "platform/ui/button.h"
#include "platform/ui/checkbox.h"
#include "platform/ui/form.h"
#include "platform/ui/label.h"
#include "platform/ui/radiogroup.h"
#include "widgets/htmllabel.h"

class TFormClockConfig : public TForm {
public:
    explicit TFormClockConfig(TComponent* owner);

    // Controls, in the order of the class's fields.
    TCheckBox* CheckBox24Hour = nullptr;
    TCheckBox* CheckBoxAutoLoad = nullptr;
    TCheckBox* CheckBoxOnTop = nullptr;
    TButton* ButtonOk = nullptr;
    TButton* ButtonCancel = nullptr;
    TRadioGroup* RadioGroupType = nullptr;
    TCheckBox* CheckBoxBcd = nullptr;
    TRadioGroup* RadioGroupColor = nullptr;
    TRadioGroup* RadioGroupShape = nullptr;
    TCheckBox* CheckBoxHideTask = nullptr;
    TRadioGroup* RadioGroupBack = nullptr;
    TLabel* Label1 = nullptr;
    TCheckBox* CheckBoxMoveAround = nullptr;
    TCheckBox* CheckBoxBcdHide = nullptr;
    THtmlLabel* HtmlLabel1 = nullptr;
    TCheckBox* CheckBoxSecondsHide = nullptr;
    TRadioGroup* RadioGroupSize = nullptr;

    // The clock type of the selected "Clock Format" item; -1 when none is selected.
    int GetSelectedType() const;
    // Selects the "Clock Format" item that shows clock type; a value outside 0..6 goes to
    // the radio group unchanged (which selects the last item for too large a value and
    // none for a negative one).
    void SelectType(int type);

    // The scale of the selected "Size" item in percent, 0 for "Automatic"; -1 when none is
    // selected.
    int GetSelectedScale() const;
    // Selects the "Size" item of a scale (0 "Automatic"); a scale no item offers selects
    // none, so that reading the dialog back leaves it as it was.
    void SelectScale(int scalePercent);

    // Event handlers.
    void ButtonOkClick(TObject* sender);
    void ButtonCancelClick(TObject* sender);
    void HtmlLabel1Click(TObject* sender);

    // The refusal shown when Ok is pressed with BCD and a horizontal format.
    static constexpr const char* kBcdHorizontalMessage =
        "You can't use BCD and Horizontal mode together. Turn off 'BCD digits', or switch to a "
        "non-horizontal clock type";

private:
    TCheckBox* MakeCheckBox(int left, int top, int width, const char* caption, int tabOrder);
    TRadioGroup* MakeRadioGroup(TRect bounds, const char* caption, std::vector<std::string> items,
                                int columns, int tabOrder);
};
