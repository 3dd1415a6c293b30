// TFormAboutClock: the modal About box. It shows the program's name and version, a
// copyright line, a link to the product's web page, an invitation to the maker's site
// and a column of links to the maker's other work; each link opens its page in the
// user's browser. Ok (or Enter) and the window's close box close it; it has no Cancel
// button, so Esc does nothing.
#pragma once

#include "platform/ui/button.h"
#include "platform/ui/form.h"
#include "platform/ui/label.h"

class TFormAboutClock : public TForm {
public:
    explicit TFormAboutClock(TComponent* owner);

    TLabel* LabelProgName = nullptr;
    TLabel* LabelUrl = nullptr;
    TLabel* LabelCopyright = nullptr;
    TButton* ButtonOk = nullptr;
    TLabel* Label1 = nullptr;
    TLabel* Label2 = nullptr;
    TLabel* Label3 = nullptr;
    TLabel* Label4 = nullptr;
    TLabel* Label5 = nullptr;
    TLabel* Label6 = nullptr;

    // Fills the name, copyright and address labels; runs once when the form is created.
    void FormCreate(TObject* sender);
    void LabelUrlClick(TObject* sender);
    void ButtonOkClick(TObject* sender);

    // The address each link label opens (LabelUrl and Label2 to Label6), or none.
    const char* LinkAddress(const TLabel* label) const;

private:
    TLabel* MakeLabel(int top, int height);
    TLabel* MakeLink(int top, const char* caption);
    void LinkClick(TObject* sender);
};
