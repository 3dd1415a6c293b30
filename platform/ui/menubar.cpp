#include "platform/ui/menubar.h"

#include "platform/ui/accel.h"
#include "platform/ui/form.h"
#include "platform/ui/stylepainter.h"
#include "platform/ui/winapi.h"

namespace {

// At 100 %: the bar's height scales with its bounds, the padding when it is used.
constexpr int kBarHeight = kMenuItemHeight + 2;
constexpr int kTitlePadding = 6;  // each side of a title's caption

// Posted to the bar while it opens a menu; handled inside the menu's loop, once the menu's
// window exists (wParam: the serial of that opening).
constexpr UINT CM_HOOKMENU = CM_BASE + 202;

TShortCut ShortCutOf(uint16_t key, TShiftState shift) {
    TShortCut shortCut = key;
    if (shift & ssShift) shortCut |= scShift;
    if (shift & ssCtrl) shortCut |= scCtrl;
    if (shift & ssAlt) shortCut |= scAlt;
    return shortCut;
}

// The first enabled item under parent (depth first) with the short cut, reached through
// enabled items only.
TMenuItem* FindShortCut(const TMenuItem* parent, TShortCut shortCut) {
    for (int i = 0; i < parent->Count(); ++i) {
        TMenuItem* item = parent->Items(i);
        if (!item->Enabled()) continue;
        if (item->ShortCut() == shortCut && !item->IsLine()) return item;
        if (TMenuItem* inner = FindShortCut(item, shortCut)) return inner;
    }
    return nullptr;
}

bool Contains(const TMenuItem* parent, const TMenuItem* wanted) {
    for (int i = 0; i < parent->Count(); ++i)
        if (parent->Items(i) == wanted || Contains(parent->Items(i), wanted)) return true;
    return false;
}

}  // namespace

TMainMenu::TMainMenu(TComponent* owner)
    : TCustomControl(owner), items_(new TMenuItem(this)), popup_(new TPopupMenu(this)) {
    Font().SetName("MS Sans Serif");
    Font().SetHeight(-11);
    SetHeight(kBarHeight);
    SetAlign(alTop);
    if (auto* form = dynamic_cast<TCustomForm*>(owner)) {
        SetParent(form);
        form->SetMenu(this);
    }
}

void TMainMenu::Notification(TComponent* component, TOperation operation) {
    TCustomControl::Notification(component, operation);
    if (operation != opRemove) return;
    if (component == items_) items_ = nullptr;
    if (component == popup_) popup_ = nullptr;
}

// Titles ------------------------------------------------------------------------------------

TRect TMainMenu::TitleRect(int index) const {
    if (!items_ || index < 0 || index >= items_->Count() || !items_->Items(index)->Visible())
        return {};
    const TFontFace& face = Font().Face();
    const int padding = ScaleValue(kTitlePadding);
    int x = 0;
    for (int i = 0; i < index; ++i)
        if (const TMenuItem* title = items_->Items(i); title->Visible())
            x += face.TextWidth(ParseAccel(title->Caption()).Text) + 2 * padding;
    int width = face.TextWidth(ParseAccel(items_->Items(index)->Caption()).Text) + 2 * padding;
    return {x, 0, x + width, Height()};
}

int TMainMenu::TitleAt(TPoint p) const {
    if (!items_) return -1;
    for (int i = 0; i < items_->Count(); ++i)
        if (TitleRect(i).Contains(p)) return i;
    return -1;
}

bool TMainMenu::CanOpen(int index) const {
    return items_ && index >= 0 && index < items_->Count() && items_->Items(index)->Visible() &&
           items_->Items(index)->Enabled();
}

int TMainMenu::FirstTitle() const {
    if (!items_) return -1;
    for (int i = 0; i < items_->Count(); ++i)
        if (CanOpen(i)) return i;
    return -1;
}

int TMainMenu::Neighbour(int index, int direction) const {
    int count = items_ ? items_->Count() : 0;
    for (int k = 1; k < count; ++k) {
        int candidate = ((index + direction * k) % count + count) % count;
        if (CanOpen(candidate)) return candidate;
    }
    return index;
}

HWND TMainMenu::MenuWindow() const {
    return popup_ ? popup_->WindowHandle() : nullptr;
}

// Painting and the mouse --------------------------------------------------------------------

void TMainMenu::Paint() {
    TCanvas& canvas = Canvas();
    canvas.Brush.Style = bsSolid;
    canvas.Brush.Color = clBtnFace;
    canvas.FillRect(ClientRect());
    if (!items_) return;
    canvas.Font = Font();
    for (int i = 0; i < items_->Count(); ++i) {
        TRect r = TitleRect(i);
        if (r.IsEmpty()) continue;
        const TMenuItem* title = items_->Items(i);
        const TAccelText caption = ParseAccel(title->Caption());
        int y = r.Top + (r.Height() - canvas.TextHeight(caption.Text)) / 2;
        if (i == open_) {
            canvas.Brush.Style = bsSolid;
            canvas.Brush.Color = clHighlight;
            canvas.FillRect(r);
            canvas.Font.SetColor(clHighlightText);
            canvas.Brush.Style = bsClear;
            canvas.TextOut(r.Left + ScaleValue(kTitlePadding), y, caption.Text);
        } else {
            DrawControlText(canvas, r.Left + ScaleValue(kTitlePadding), y, caption.Text,
                            title->Enabled());
            canvas.Font.SetColor(title->Enabled() ? Font().Color() : clGrayText);
        }
        DrawAccelUnderline(canvas, r.Left + ScaleValue(kTitlePadding), y, caption);
        canvas.Font.SetColor(Font().Color());
    }
}

void TMainMenu::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
    TCustomControl::MouseDown(button, shift, x, y);
    if (button != mbLeft) return;
    int title = TitleAt({x, y});
    if (CanOpen(title)) OpenMenu(title);
}

// Opening menus -----------------------------------------------------------------------------

void TMainMenu::OpenMenu(int index) {
    if (open_ >= 0 || !items_ || !popup_) return;
    std::weak_ptr<bool> alive = alive_;
    chosen_ = nullptr;
    for (int next = index; CanOpen(next);) {
        open_ = next;
        switchTo_ = -1;
        Repaint();
        // The popup shows stand-ins of the title's items: the items stay where they are, and
        // the command chosen runs once the bar is plain again.
        TMenuItem* title = items_->Items(open_);
        for (int i = 0; i < title->Count(); ++i) {
            TMenuItem* item = title->Items(i);
            auto* shown = new TMenuItem(popup_);
            shown->SetCaption(item->Caption());
            shown->SetEnabled(item->Enabled());
            shown->SetVisible(item->Visible());
            shown->SetChecked(item->Checked());
            shown->SetShortCutText(item->ShortCutText());
            shown->OnClick = [this, item](TObject*) { chosen_ = item; };
            popup_->Items()->Add(shown);
        }
        TRect r = TitleRect(open_);
        TPoint at = ClientToScreen({r.Left, r.Bottom});
        PostMessage(Handle(), CM_HOOKMENU, ++hookSerial_, 0);
        popup_->Popup(at.X, at.Y);
        if (alive.expired()) return;  // the bar went while its menu was open
        if (!popup_ || !items_) break;
        popup_->Items()->Clear();
        next = switchTo_;
    }
    open_ = -1;
    switchTo_ = -1;
    Repaint();
    TMenuItem* chosen = chosen_;
    chosen_ = nullptr;
    // The command may have gone, or been disabled, while the menu was open.
    if (chosen && items_ && Contains(items_, chosen)) chosen->Click();
}

void TMainMenu::HookMenuWindow() {
    HWND window = MenuWindow();
    if (!window || open_ < 0) return;
    WNDPROC previous = GetWindowProc(window);
    std::weak_ptr<bool> alive = alive_;
    SetWindowProc(
        window,
        [this, alive, previous](HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) -> LRESULT {
            if (!alive.expired() && MenuWindowMessage(hwnd, msg, wParam, lParam)) return 0;
            return CallWindowProc(previous, hwnd, msg, wParam, lParam);
        });
}

bool TMainMenu::MenuWindowMessage(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (open_ < 0 || !popup_) return false;
    switch (msg) {
        case WM_KEYDOWN: {
            if (wParam != WPARAM(VK_LEFT) && wParam != WPARAM(VK_RIGHT)) return false;
            int next = Neighbour(open_, wParam == WPARAM(VK_RIGHT) ? 1 : -1);
            if (next == open_) return true;
            switchTo_ = next;
            popup_->CloseMenu();
            return true;
        }
        case WM_MOUSEMOVE:
        case WM_LBUTTONDOWN: {
            TPoint p = PointFromLParam(lParam);
            ::ClientToScreen(window, &p);
            p = ScreenToClient(p);
            int title = ClientRect().Contains(p) ? TitleAt(p) : -1;
            if (title < 0) return false;
            if (title == open_) {
                if (msg != WM_LBUTTONDOWN) return false;
                popup_->CloseMenu();
                return true;
            }
            if (!CanOpen(title)) return false;
            switchTo_ = title;
            popup_->CloseMenu();
            return true;
        }
        default:
            return false;
    }
}

// Keys --------------------------------------------------------------------------------------

bool TMainMenu::IsShortCut(uint16_t key, TShiftState shift) {
    if (!items_ || key == 0 || key == VK_SHIFT || key == VK_CONTROL || key == VK_MENU) return false;
    TMenuItem* item = FindShortCut(items_, ShortCutOf(key, shift & (ssShift | ssCtrl | ssAlt)));
    if (!item) return false;
    item->Click();
    return true;
}

bool TMainMenu::FormKey(uint16_t key, TShiftState shift, bool down) {
    if (!down) {
        bool open = key == VK_MENU && altAlone_;
        altAlone_ = false;
        if (!open || FirstTitle() < 0) return false;
        OpenMenu(FirstTitle());
        return true;
    }
    if (key == VK_MENU) {
        altAlone_ = true;
        return false;
    }
    altAlone_ = false;
    if (key == VK_F10 && !(shift & (ssShift | ssCtrl | ssAlt)) && FirstTitle() >= 0) {
        OpenMenu(FirstTitle());
        return true;
    }
    if (IsShortCut(key, shift)) return true;
    if ((shift & (ssAlt | ssCtrl)) == ssAlt) {
        int title = TitleWithAccessKey(key);
        if (title < 0) return false;
        // The character of the chord is the bar's: it must not reach the open menu.
        MSG typed;
        PeekMessage(&typed, nullptr, WM_SYSCHAR, WM_SYSCHAR, PM_REMOVE);
        OpenMenu(title);
        return true;
    }
    return false;
}

int TMainMenu::TitleWithAccessKey(uint16_t key) const {
    // Letters and digits: the virtual key is the character (upper case for letters).
    bool letter = (key >= 'A' && key <= 'Z') || (key >= '0' && key <= '9');
    if (!letter || !items_) return -1;
    for (int i = 0; i < items_->Count(); ++i)
        if (CanOpen(i) && IsAccel(key, items_->Items(i)->Caption())) return i;
    return -1;
}

void TMainMenu::Dispatch(TMessage& m) {
    if (m.Msg == CM_HOOKMENU) {
        if (m.WParam == hookSerial_) HookMenuWindow();
        return;
    }
    TCustomControl::Dispatch(m);
}
