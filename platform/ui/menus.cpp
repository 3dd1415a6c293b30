#include "platform/ui/menus.h"

#include <algorithm>

#include "platform/gfx/font.h"
#include "platform/gfx/scale.h"
#include "platform/ui/accel.h"
#include "platform/ui/application.h"
#include "platform/ui/screen.h"
#include "platform/ui/stylepainter.h"
#include "platform/ui/winapi.h"

// Short cuts -------------------------------------------------------------------------------

namespace {

// The name of a key as a short cut shows it; empty for a key without one.
std::string KeyName(int key) {
    if ((key >= 'A' && key <= 'Z') || (key >= '0' && key <= '9')) return std::string(1, char(key));
    if (key >= VK_F1 && key < VK_F1 + 24) return "F" + std::to_string(key - VK_F1 + 1);
    switch (key) {
        case VK_BACK:
            return "BkSp";
        case VK_TAB:
            return "Tab";
        case VK_RETURN:
            return "Enter";
        case VK_ESCAPE:
            return "Esc";
        case VK_SPACE:
            return "Space";
        case VK_PRIOR:
            return "PgUp";
        case VK_NEXT:
            return "PgDn";
        case VK_END:
            return "End";
        case VK_HOME:
            return "Home";
        case VK_LEFT:
            return "Left";
        case VK_UP:
            return "Up";
        case VK_RIGHT:
            return "Right";
        case VK_DOWN:
            return "Down";
        case 0x2D:  // VK_INSERT
            return "Ins";
        case VK_DELETE:
            return "Del";
        default:
            return {};
    }
}

}  // namespace

std::string ShortCutToText(TShortCut shortCut) {
    std::string key = KeyName(int(shortCut & 0xFFFF & ~(scShift | scCtrl | scAlt)));
    if (key.empty()) return {};
    std::string text;
    if (shortCut & scShift) text += "Shift+";
    if (shortCut & scCtrl) text += "Ctrl+";
    if (shortCut & scAlt) text += "Alt+";
    return text + key;
}

// TMenuItem --------------------------------------------------------------------------------

TMenuItem::TMenuItem(TComponent* owner) : TComponent(owner) {}

TMenuItem::~TMenuItem() {
    if (parent_) parent_->Remove(this);
    Clear();
}

void TMenuItem::Add(TMenuItem* item) {
    if (!item) return;
    Insert(item->parent_ == this ? Count() - 1 : Count(), item);
}

void TMenuItem::Insert(int index, TMenuItem* item) {
    if (!item) return;
    for (const TMenuItem* p = this; p; p = p->parent_)
        if (p == item) throw EMenuError("A menu item cannot be put into itself");
    // An item moved within this one counts its place after leaving its old one.
    int last = item->parent_ == this ? Count() - 1 : Count();
    if (index < 0 || index > last) throw EMenuError("Menu index out of range");
    if (item->parent_) item->parent_->Remove(item);
    items_.insert(items_.begin() + index, item);
    item->parent_ = this;
}

void TMenuItem::Remove(TMenuItem* item) {
    auto it = std::find(items_.begin(), items_.end(), item);
    if (it == items_.end()) return;
    items_.erase(it);
    item->parent_ = nullptr;
}

void TMenuItem::Clear() {
    while (!items_.empty()) {
        TMenuItem* item = items_.back();
        items_.pop_back();
        item->parent_ = nullptr;
        item->Free();
    }
}

void TMenuItem::Click() {
    if (enabled_ && OnClick) OnClick(this);
}

// TMenuWindow ------------------------------------------------------------------------------

// The window of an open popup menu and its modal loop. It lives on the stack of Popup: it
// makes the window, shows it holding the capture, runs the loop until the menu closes and
// destroys the window when it goes. The popup menu, or any item, may be freed while the
// loop runs (by a timer's handler); the window is told and forgets them.
class TMenuWindow {
public:
    TMenuWindow(TPopupMenu& popup, const std::vector<TMenuItem*>& items, TPoint at);
    ~TMenuWindow();
    TMenuWindow(const TMenuWindow&) = delete;
    TMenuWindow& operator=(const TMenuWindow&) = delete;

    HWND Handle() const { return hwnd_; }
    // Handles messages until the menu closes; returns the command chosen, or none.
    TMenuItem* Run();
    // Ends the loop with the command chosen (none: closed without a choice).
    void Close(TMenuItem* chosen);
    void ItemGone(const TComponent* item);
    void PopupGone();

private:
    struct TEntry {
        TMenuItem* item;
        TAccelText caption;  // as shown, with its access letter
        std::string shortCut;
        bool line;
        TRect rect;  // client coordinates
    };

    LRESULT WndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    void Paint(HWND hwnd);
    // The command (enabled or not) at a client point, or -1.
    int CommandAt(TPoint p) const;
    bool Selectable(int index) const;
    void SetHighlight(int index);
    // Moves the highlight to the next selectable command in a direction, wrapping; from no
    // highlight, Down starts at the top and Up at the bottom.
    void Step(int direction);
    void Choose(int index);
    void KeyDown(int key);
    // A typed character: the command whose access letter it is runs; with several such
    // commands, the highlight goes to the next of them.
    void AccessKey(uint32_t ch);
    bool Inside(TPoint p) const;

    TPopupMenu* popup_;
    std::vector<TEntry> entries_;
    int scalePercent_;  // of the monitor the menu opens on
    TFont font_;
    TSize size_;
    HWND hwnd_ = nullptr;
    int highlight_ = -1;
    bool closed_ = false;
    TMenuItem* chosen_ = nullptr;
};

namespace {

// Space between a caption and its short-cut text (at 100 %).
constexpr int kShortCutGap = kMenuTextRight;

}  // namespace

TMenuWindow::TMenuWindow(TPopupMenu& popup, const std::vector<TMenuItem*>& items, TPoint at)
    : popup_(&popup),
      scalePercent_(Screen ? Screen->ScalePercentFor(Screen->PixelsPerInchAt(at)) : 100) {
    // The menu is drawn at the scale of the monitor at the point, and stays on it.
    font_.SetName("MS Sans Serif");
    font_.SetHeight(-11);
    font_.ChangePixelsPerInch(PixelsPerInchOfScale(scalePercent_));
    auto scaled = [this](int length) { return ScaleLength(length, scalePercent_); };
    const int border = scaled(kMenuBorder);
    const TFontFace& face = font_.Face();
    int captionWidth = 0, shortCutWidth = 0, height = border;
    for (TMenuItem* item : items) {
        TEntry entry{item, ParseAccel(item->Caption()), item->ShortCutText(), item->IsLine(), {}};
        if (!entry.line) {
            captionWidth = std::max(captionWidth, face.TextWidth(entry.caption.Text));
            if (!entry.shortCut.empty())
                shortCutWidth = std::max(shortCutWidth, face.TextWidth(entry.shortCut));
        }
        int itemHeight = scaled(entry.line ? kMenuSeparatorHeight : kMenuItemHeight);
        entry.rect = {border, height, 0, height + itemHeight};
        height += itemHeight;
        entries_.push_back(std::move(entry));
    }
    int width = 2 * border + scaled(kMenuTextLeft) + captionWidth + scaled(kMenuTextRight) +
                (shortCutWidth > 0 ? scaled(kShortCutGap) + shortCutWidth : 0);
    height += border;
    for (TEntry& entry : entries_)
        entry.rect.Right = width - border;
    size_ = {width, height};

    // The top-left corner at the point, moved as little as needed to be on its monitor.
    const TRect monitor =
        Screen ? Screen->MonitorAt(at).Bounds
               : TRect{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    int x = std::max(monitor.Left, std::min(at.X, monitor.Right - width));
    int y = std::max(monitor.Top, std::min(at.Y, monitor.Bottom - height));
    hwnd_ = CreateWindowExA(WS_EX_TOOLWINDOW | WS_EX_TOPMOST, "", WS_POPUP, x, y, width, height,
                            nullptr, [this](HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
                                return WndProc(hwnd, msg, wParam, lParam);
                            });
    if (!hwnd_) throw EOutOfResources("Error creating window");
    popup.menuWindow_ = this;
    popup.window_ = hwnd_;
    for (TMenuItem* item : items)
        item->FreeNotification(&popup);
    // Whoever holds the mouse (a control with a button down) lets it go, as before a
    // modal dialog.
    if (HWND captured = GetCapture()) SendMessage(captured, WM_CANCELMODE, 0, 0);
    if (!hwnd_) return;
    ShowWindow(hwnd_, SW_SHOWNA);
    SetCapture(hwnd_);
}

TMenuWindow::~TMenuWindow() {
    if (hwnd_) DestroyWindow(hwnd_);
    if (!popup_) return;
    popup_->menuWindow_ = nullptr;
    popup_->window_ = nullptr;
    for (const TEntry& entry : entries_)
        if (entry.item) popup_->RemoveFreeNotification(entry.item);
}

TMenuItem* TMenuWindow::Run() {
    RunModalLoop([this] { return closed_; });
    // An ending application runs no command.
    if (!closed_) return nullptr;
    return popup_ ? chosen_ : nullptr;
}

void TMenuWindow::Close(TMenuItem* chosen) {
    if (closed_) return;
    closed_ = true;
    chosen_ = chosen;
}

void TMenuWindow::ItemGone(const TComponent* item) {
    for (TEntry& entry : entries_)
        if (entry.item == item) entry.item = nullptr;
    if (chosen_ == item) chosen_ = nullptr;
    if (hwnd_) InvalidateRect(hwnd_, nullptr, false);
}

void TMenuWindow::PopupGone() {
    popup_ = nullptr;
    Close(nullptr);
}

bool TMenuWindow::Inside(TPoint p) const {
    return TRect{0, 0, size_.cx, size_.cy}.Contains(p);
}

int TMenuWindow::CommandAt(TPoint p) const {
    for (size_t i = 0; i < entries_.size(); ++i)
        if (!entries_[i].line && entries_[i].rect.Contains(p)) return int(i);
    return -1;
}

bool TMenuWindow::Selectable(int index) const {
    if (index < 0 || index >= int(entries_.size())) return false;
    const TEntry& entry = entries_[size_t(index)];
    return !entry.line && entry.item && entry.item->Enabled();
}

void TMenuWindow::SetHighlight(int index) {
    if (index == highlight_) return;
    for (int changed : {highlight_, index})
        if (changed >= 0 && hwnd_) InvalidateRect(hwnd_, &entries_[size_t(changed)].rect, false);
    highlight_ = index;
}

void TMenuWindow::Step(int direction) {
    int count = int(entries_.size());
    if (count == 0) return;
    int from = highlight_ >= 0 ? highlight_ : direction > 0 ? -1 : count;
    for (int k = 1; k <= count; ++k) {
        int index = ((from + direction * k) % count + count) % count;
        if (Selectable(index)) {
            SetHighlight(index);
            return;
        }
    }
}

void TMenuWindow::Choose(int index) {
    if (Selectable(index)) Close(entries_[size_t(index)].item);
}

void TMenuWindow::KeyDown(int key) {
    switch (key) {
        case VK_DOWN:
            Step(1);
            break;
        case VK_UP:
            Step(-1);
            break;
        case VK_HOME:
            SetHighlight(-1);
            Step(1);
            break;
        case VK_END:
            SetHighlight(-1);
            Step(-1);
            break;
        case VK_RETURN:
            Choose(highlight_);
            break;
        case VK_ESCAPE:
        case VK_MENU:
        case VK_F10:
            Close(nullptr);
            break;
        default:
            break;
    }
}

void TMenuWindow::AccessKey(uint32_t ch) {
    std::vector<int> matches;
    for (size_t i = 0; i < entries_.size(); ++i)
        if (Selectable(int(i)) && IsAccel(ch, entries_[i].item->Caption()))
            matches.push_back(int(i));
    if (matches.size() == 1) {
        SetHighlight(matches[0]);
        Choose(matches[0]);
    } else if (!matches.empty()) {
        auto next = std::upper_bound(matches.begin(), matches.end(), highlight_);
        SetHighlight(next == matches.end() ? matches.front() : *next);
    }
}

LRESULT TMenuWindow::WndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    TPoint p = PointFromLParam(lParam);
    switch (msg) {
        case WM_PAINT:
            Paint(hwnd);
            return 0;
        case WM_ERASEBKGND:
            return 1;  // the paint covers every pixel
        case WM_MOUSEMOVE:
            SetHighlight(Inside(p) ? CommandAt(p) : -1);
            return 0;
        case WM_LBUTTONDOWN:
        case WM_RBUTTONDOWN:
        case WM_MBUTTONDOWN:
            // A press outside closes the menu; the capture kept it from the window there.
            if (!Inside(p)) Close(nullptr);
            return 0;
        case WM_LBUTTONUP:
        case WM_RBUTTONUP:
            if (Inside(p)) Choose(CommandAt(p));
            return 0;
        case WM_MBUTTONUP:
            return 0;  // no context menu of the menu
        case WM_KEYDOWN:
            KeyDown(int(wParam));
            return 0;
        case WM_CHAR:
        case WM_SYSCHAR:
            AccessKey(uint32_t(wParam));
            return 0;
        case WM_CAPTURECHANGED:
            if (reinterpret_cast<HWND>(lParam) != hwnd) Close(nullptr);
            return 0;
        case WM_CANCELMODE:
            Close(nullptr);
            return 0;
        case WM_DESTROY:
            hwnd_ = nullptr;
            Close(nullptr);
            return 0;
        default:
            return DefWindowProc(hwnd, msg, wParam, lParam);
    }
}

void TMenuWindow::Paint(HWND hwnd) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd, &ps);
    if (!dc) return;
    TCanvas& canvas = DCCanvas(dc);
    canvas.SetScalePercent(scalePercent_);
    canvas.Font = font_;
    DrawMenuFrame(canvas, {0, 0, size_.cx, size_.cy});
    for (size_t i = 0; i < entries_.size(); ++i) {
        const TEntry& entry = entries_[i];
        if (entry.line) {
            DrawMenuSeparator(canvas, entry.rect);
            continue;
        }
        bool enabled = entry.item && entry.item->Enabled();
        bool highlighted = int(i) == highlight_;
        DrawMenuItem(canvas, entry.rect, entry.caption.Text, highlighted, enabled);
        TColor text = !enabled ? clGrayText : highlighted ? clHighlightText : clWindowText;
        if (entry.caption.HasAccel()) {
            // Under the caption as DrawMenuItem placed it.
            TColor before = canvas.Font.Color();
            canvas.Font.SetColor(text);
            DrawAccelUnderline(
                canvas, entry.rect.Left + canvas.ScaleValue(kMenuTextLeft),
                entry.rect.Top + (entry.rect.Height() - canvas.TextHeight(entry.caption.Text)) / 2,
                entry.caption);
            canvas.Font.SetColor(before);
        }
        // The check mark in the room before the caption.
        if (entry.item && entry.item->Checked())
            DrawCheckMark(canvas,
                          {entry.rect.Left, entry.rect.Top,
                           entry.rect.Left + canvas.ScaleValue(kMenuTextLeft), entry.rect.Bottom},
                          text);
        if (entry.shortCut.empty()) continue;
        int x =
            entry.rect.Right - canvas.ScaleValue(kMenuTextRight) - canvas.TextWidth(entry.shortCut);
        int y = entry.rect.Top + (entry.rect.Height() - canvas.TextHeight(entry.shortCut)) / 2;
        if (!enabled && !highlighted) {
            DrawControlText(canvas, x, y, entry.shortCut, false);
        } else {
            canvas.Font.SetColor(text);
            canvas.Brush.Style = bsClear;
            canvas.TextOut(x, y, entry.shortCut);
        }
    }
    EndPaint(hwnd, &ps);
}

// TPopupMenu -------------------------------------------------------------------------------

TPopupMenu::TPopupMenu(TComponent* owner) : TComponent(owner), items_(new TMenuItem(this)) {}

TPopupMenu::~TPopupMenu() {
    if (menuWindow_) menuWindow_->PopupGone();
}

void TPopupMenu::Notification(TComponent* component, TOperation operation) {
    TComponent::Notification(component, operation);
    if (operation != opRemove) return;
    if (component == items_) items_ = nullptr;
    if (menuWindow_) menuWindow_->ItemGone(component);
}

void TPopupMenu::Popup(int x, int y) {
    if (menuWindow_) return;  // open already
    if (OnPopup) OnPopup(this);
    if (menuWindow_ || !items_ || (Application && Application->Terminated())) return;
    std::vector<TMenuItem*> shown;
    for (int i = 0; i < items_->Count(); ++i)
        if (items_->Items(i)->Visible()) shown.push_back(items_->Items(i));
    if (shown.empty()) return;
    TMenuItem* chosen = nullptr;
    {
        TMenuWindow menu(*this, shown, {x, y});
        chosen = menu.Run();
    }
    // The window is gone now; the popup menu itself may be too (then nothing was chosen).
    if (chosen) chosen->Click();
}

void TPopupMenu::CloseMenu() {
    if (menuWindow_) menuWindow_->Close(nullptr);
}
