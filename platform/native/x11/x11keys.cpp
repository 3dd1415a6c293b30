#include "platform/native/x11/x11keys.h"

#include <X11/keysym.h>

#include "platform/native/keys.h"

namespace native {

namespace {

constexpr int kNumpad0 = 0x60;  // VK_NUMPAD0 .. VK_NUMPAD9 follow it
constexpr int kInsert = 0x2D;

// The dead keys (dead_grave, dead_acute, ... dead_greek and the rest of their block).
bool IsDeadKeysym(unsigned long keysym) {
    return keysym >= XK_dead_grave && keysym <= 0xFE8F;
}

}  // namespace

int VirtualKeyFromKeysym(unsigned long keysym) {
    if (keysym >= XK_a && keysym <= XK_z) return int('A' + (keysym - XK_a));
    if (keysym >= XK_A && keysym <= XK_Z) return int(keysym);
    if (keysym >= XK_0 && keysym <= XK_9) return int(keysym);
    if (keysym >= XK_F1 && keysym <= XK_F24) return VK_F1 + int(keysym - XK_F1);
    if (keysym >= XK_KP_0 && keysym <= XK_KP_9) return kNumpad0 + int(keysym - XK_KP_0);
    switch (keysym) {
        case XK_BackSpace:
            return VK_BACK;
        case XK_Tab:
        case XK_ISO_Left_Tab:
            return VK_TAB;
        case XK_Return:
        case XK_KP_Enter:
            return VK_RETURN;
        case XK_Escape:
            return VK_ESCAPE;
        case XK_space:
        case XK_KP_Space:
            return VK_SPACE;
        case XK_Prior:
        case XK_KP_Prior:
            return VK_PRIOR;
        case XK_Next:
        case XK_KP_Next:
            return VK_NEXT;
        case XK_End:
        case XK_KP_End:
            return VK_END;
        case XK_Home:
        case XK_KP_Home:
            return VK_HOME;
        case XK_Left:
        case XK_KP_Left:
            return VK_LEFT;
        case XK_Up:
        case XK_KP_Up:
            return VK_UP;
        case XK_Right:
        case XK_KP_Right:
            return VK_RIGHT;
        case XK_Down:
        case XK_KP_Down:
            return VK_DOWN;
        case XK_Insert:
        case XK_KP_Insert:
            return kInsert;
        case XK_Delete:
        case XK_KP_Delete:
            return VK_DELETE;
        case XK_Shift_L:
        case XK_Shift_R:
            return VK_SHIFT;
        case XK_Control_L:
        case XK_Control_R:
            return VK_CONTROL;
        case XK_Alt_L:
        case XK_Alt_R:
        case XK_Meta_L:
        case XK_Meta_R:
            return VK_MENU;
        case XK_Menu:
            return VK_APPS;
        default:
            return 0;
    }
}

uint32_t CharFromKeysym(unsigned long keysym) {
    if ((keysym >= 0x20 && keysym <= 0x7E) || (keysym >= 0xA0 && keysym <= 0xFF))
        return uint32_t(keysym);
    // Unicode keysyms: 0x01000000 + the code point.
    if (keysym >= 0x01000100 && keysym <= 0x0110FFFF) return uint32_t(keysym - 0x01000000);
    if (keysym >= XK_KP_0 && keysym <= XK_KP_9) return uint32_t('0' + (keysym - XK_KP_0));
    switch (keysym) {
        case XK_KP_Space:
            return ' ';
        case XK_KP_Multiply:
            return '*';
        case XK_KP_Add:
            return '+';
        case XK_KP_Subtract:
            return '-';
        case XK_KP_Decimal:
            return '.';
        case XK_KP_Divide:
            return '/';
        case XK_KP_Equal:
            return '=';
        default:
            return 0;
    }
}

std::vector<uint32_t> DecodeUtf8(const std::string& text) {
    std::vector<uint32_t> out;
    for (size_t i = 0; i < text.size();) {
        auto lead = uint8_t(text[i]);
        int length = lead < 0x80             ? 1
                     : (lead & 0xE0) == 0xC0 ? 2
                     : (lead & 0xF0) == 0xE0 ? 3
                     : (lead & 0xF8) == 0xF0 ? 4
                                             : 0;
        uint32_t cp = length == 1   ? lead
                      : length == 2 ? lead & 0x1F
                      : length == 3 ? lead & 0x0F
                                    : lead & 0x07;
        bool valid = length > 0 && i + size_t(length) <= text.size();
        for (int k = 1; valid && k < length; ++k) {
            auto next = uint8_t(text[i + size_t(k)]);
            if ((next & 0xC0) != 0x80) valid = false;
            cp = (cp << 6) | (next & 0x3F);
        }
        if (valid && (cp > 0x10FFFF || (cp >= 0xD800 && cp < 0xE000))) valid = false;
        out.push_back(valid ? cp : 0xFFFD);
        i += valid ? size_t(length) : 1;
    }
    return out;
}

TKeyPress TranslateKeyPress(unsigned long baseKeysym, unsigned long keysym, const std::string& text,
                            unsigned state) {
    TKeyPress press;
    if (IsDeadKeysym(keysym)) return press;
    press.Key = IsDeadKeysym(baseKeysym) ? 0 : VirtualKeyFromKeysym(baseKeysym);
    if (state & (kXControlMask | kXMod4Mask)) return press;
    std::vector<uint32_t> chars = DecodeUtf8(text);
    if (chars.empty())
        if (uint32_t ch = CharFromKeysym(keysym)) chars.push_back(ch);
    for (uint32_t ch : chars) {
        bool control = ch < 0x20 || ch == 0x7F;
        bool kept = ch == 0x08 || ch == 0x09 || ch == 0x0D || ch == 0x1B;
        if (!control || kept) press.Chars.push_back(ch);
    }
    press.System = (state & kXMod1Mask) != 0;
    return press;
}

}  // namespace native
