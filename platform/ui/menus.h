// TMenuItem and TPopupMenu: a popup menu of commands, drawn in the classic look.
//
// A popup menu opens with its top-left corner at a screen point (moved as little as
// needed to stay on the monitor there) in a window of its own above every other window, and
// runs modally: Popup returns after the menu has closed, and the chosen command's OnClick
// runs after that, once the menu's window is gone. While the menu is open it holds the
// pointer and the keyboard: the highlight follows the pointer, Up and Down move it over
// the commands (skipping separators and disabled items), Enter or a click on a command
// chooses it, and Escape or a click outside the menu closes it without running anything.
// A caption's "&" underlines the letter after it, its access letter: typing that letter
// (with or without Alt) chooses the command; with several commands of that letter it
// moves the highlight among them. Timers keep firing in the menu's loop. The menu is drawn at the
// scale of the monitor it opens on (TScreen::ScalePercentFor), its font in points at that scale.
//
// In detail: a command is chosen by releasing the left or right button over it (wherever
// the press was); a release over a separator, a disabled item or outside the menu chooses
// nothing and the menu stays open. A press outside the menu closes it, and that press
// reaches no other window. Up and Down wrap around, Home and End go to the first and last
// command, Escape and Alt close the menu. The menu also closes, running nothing, when it
// loses the mouse capture (another window takes it, a modal dialog opens) and when the
// application terminates. Items may be freed in any order: a freed item leaves its parent
// (and an open menu), a freed parent frees the items still in it.
#pragma once

#include <string>
#include <vector>

#include "platform/sysutils.h"
#include "platform/ui/component.h"
#include "platform/ui/messages.h"

// A menu item put where it cannot go (an index out of range, an item into itself).
class EMenuError : public Exception {
public:
    using Exception::Exception;
};

// A key with its modifiers, as a menu item's short cut: the key in the low 16 bits
// (VK_...), scShift, scCtrl and scAlt above; 0 for none.
using TShortCut = uint32_t;
constexpr TShortCut scShift = 0x2000;
constexpr TShortCut scCtrl = 0x4000;
constexpr TShortCut scAlt = 0x8000;
// The text of a short cut: "Ctrl+S", "F3", "Shift+Ctrl+Z"; empty for none.
std::string ShortCutToText(TShortCut shortCut);

class TMenuItem : public TComponent {
public:
    explicit TMenuItem(TComponent* owner);
    ~TMenuItem() override;

    // "-" makes the item a separator line.
    const std::string& Caption() const { return caption_; }
    void SetCaption(const std::string& caption) { caption_ = caption; }
    bool IsLine() const { return caption_ == "-"; }
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool enabled) { enabled_ = enabled; }
    bool Visible() const { return visible_; }
    void SetVisible(bool visible) { visible_ = visible; }
    bool Checked() const { return checked_; }
    void SetChecked(bool checked) { checked_ = checked; }
    // A short text shown at the right of the caption, such as "Ctrl+S" (display only).
    const std::string& ShortCutText() const { return shortCutText_; }
    void SetShortCutText(const std::string& text) { shortCutText_ = text; }
    // The key that runs the item from its form (see TMainMenu); setting it also sets the
    // text shown.
    TShortCut ShortCut() const { return shortCut_; }
    void SetShortCut(TShortCut shortCut) {
        shortCut_ = shortCut;
        shortCutText_ = ShortCutToText(shortCut);
    }

    // The items of a submenu or of a menu's root, top to bottom. Add appends an item and
    // makes this item its parent (taking it from a parent it had); Remove takes an item
    // out without freeing it; Clear frees every item; the parent frees its items when it
    // goes. (A popup menu shows the items of its root; it does not open submenus.)
    int Count() const { return int(items_.size()); }
    TMenuItem* Items(int index) const { return items_.at(size_t(index)); }
    void Add(TMenuItem* item);
    void Insert(int index, TMenuItem* item);
    void Remove(TMenuItem* item);
    void Clear();
    TMenuItem* Parent() const { return parent_; }

    // Runs OnClick (when the item is enabled).
    virtual void Click();
    TNotifyEvent OnClick;

private:
    std::string caption_;
    std::string shortCutText_;
    TShortCut shortCut_ = 0;
    bool enabled_ = true;
    bool visible_ = true;
    bool checked_ = false;
    TMenuItem* parent_ = nullptr;
    std::vector<TMenuItem*> items_;
};

class TPopupMenu : public TComponent {
public:
    explicit TPopupMenu(TComponent* owner);
    ~TPopupMenu() override;

    // The menu's commands are the items of this root item.
    TMenuItem* Items() const { return items_; }

    // Opens the menu with its top-left corner at the screen point (x, y) and returns once
    // it has closed; the chosen item's OnClick then runs before Popup returns.
    virtual void Popup(int x, int y);
    // Raised just before the menu opens.
    TNotifyEvent OnPopup;

    // While the menu is open: its window (none otherwise), for tests and hosts.
    HWND WindowHandle() const { return window_; }
    // Closes an open menu as Escape does.
    void CloseMenu();

protected:
    void Notification(TComponent* component, TOperation operation) override;

private:
    friend class TMenuWindow;
    TMenuItem* items_;
    HWND window_ = nullptr;
    class TMenuWindow* menuWindow_ = nullptr;
};
