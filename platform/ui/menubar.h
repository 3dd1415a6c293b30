// TMainMenu: the menu bar of a form, a row of titles along the top of its client area,
// each opening its items as a popup menu just below the title. F10 (or Alt pressed and
// released) opens the first title, Alt with a title's access letter (the letter after "&"
// in its caption, underlined: Alt+F for "&File") that title; while a menu is open, Left and Right
// move to the neighbouring title's menu, and so does the pointer moving onto another title; a press
// on the open menu's own title closes it. Items may carry a short cut
// (TMenuItem::SetShortCut: Ctrl+S, F3, ...): the form hands every key press to its main
// menu first (IsShortCut), which runs the enabled item with that short cut, also when no
// menu is open. The bar is a control aligned to the top of its form.
//
// A main menu owned by a form puts itself on that form and becomes its Menu. The titles
// are the items of Items(); hidden titles take no room, disabled ones are drawn grey and
// do not open. A chosen command runs after its menu has closed and the bar is drawn plain
// again.
#pragma once

#include <memory>
#include <string>

#include "platform/ui/menus.h"
#include "platform/ui/wincontrol.h"

class TMainMenu : public TCustomControl {
public:
    explicit TMainMenu(TComponent* owner);

    // The titles are the items of this root item; each title's items are its menu.
    TMenuItem* Items() const { return items_; }
    // Runs the enabled item whose short cut is key with shift; true when one ran.
    bool IsShortCut(uint16_t key, TShiftState shift);
    // Opens the menu of title index (as a click on it does) and returns once it closed.
    void OpenMenu(int index);
    // A key the form hands over before its focused control sees it (down: pressed, else
    // released): F10, and Alt pressed and released with no other key between, open the
    // first menu; any other press is tried as a short cut, then with Alt as a title's
    // access letter. True when the key was used.
    bool FormKey(uint16_t key, TShiftState shift, bool down);

    // Where title index is drawn, in client coordinates (empty for a hidden or missing
    // title), and the title at a client point (-1 for none).
    TRect TitleRect(int index) const;
    int TitleAt(TPoint p) const;
    // The title whose menu is open (-1: none), and that menu's window.
    int OpenIndex() const { return open_; }
    HWND MenuWindow() const;

    void Dispatch(TMessage& message) override;

protected:
    void Paint() override;
    void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
    void Notification(TComponent* component, TOperation operation) override;

private:
    // Whether title index can open: it exists, shows and is enabled.
    bool CanOpen(int index) const;
    int FirstTitle() const;
    // The title that opens with Alt and key (a virtual key), or -1.
    int TitleWithAccessKey(uint16_t key) const;
    // The next title that can open from index in a direction, wrapping; index itself when
    // there is no other.
    int Neighbour(int index, int direction) const;
    // Takes over the open menu's window to see the keys and pointer moves it gets first.
    void HookMenuWindow();
    // A message for the open menu's window; true when the bar used it.
    bool MenuWindowMessage(HWND window, UINT msg, WPARAM wParam, LPARAM lParam);

    TMenuItem* items_;
    TPopupMenu* popup_;
    int open_ = -1;                // the title whose menu is open
    int switchTo_ = -1;            // the title to open once the open menu has closed
    TMenuItem* chosen_ = nullptr;  // the command chosen in the open menu
    bool altAlone_ = false;        // Alt went down and no other key since
    WPARAM hookSerial_ = 0;        // tells the hook request of the open menu from stale ones
    // Gone with the bar: lets a menu loop or a window procedure still running see that.
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};
