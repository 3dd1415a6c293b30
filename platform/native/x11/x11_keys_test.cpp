// Tests of the X11 backend that need no server: the colour-key mask and the key tables.
#ifdef ZT_HAVE_X11

#include <gtest/gtest.h>

#include "platform/gfx/canvas.h"
#include "platform/native/keys.h"
#include "platform/native/x11/x11keymask.h"
#include "platform/native/x11/x11keys.h"

// The X headers last: their macros must not reach the headers above.
#include <X11/keysym.h>

namespace native {
namespace {

// Key mask ------------------------------------------------------------------------------------

TEST(X11KeyMask, RegionHoldsTheNonKeyPixels) {
    const uint32_t k = 0;
    // 5 x 3, stride 6 (the last column of each row is padding and must be ignored).
    std::vector<uint32_t> pixels = {
        k, 7, 7, k, 7, 9,  //
        k, 7, 7, k, 7, 9,  //
        7, 7, k, k, k, 9,  //
    };
    TX11KeyMask mask;
    EXPECT_TRUE(mask.Update(pixels.data(), 5, 3, 6, 0, 3, k));
    TRegion expected(TRect{1, 0, 3, 2});
    expected.Combine(TRegion(TRect{4, 0, 5, 2}), RGN_OR);
    expected.Combine(TRegion(TRect{0, 2, 2, 3}), RGN_OR);
    EXPECT_EQ(mask.Region(), expected);
}

TEST(X11KeyMask, ReportsOnlyChangesOfWhichPixelsAreKeyed) {
    std::vector<uint32_t> pixels(4 * 4, 5);
    TX11KeyMask mask;
    ASSERT_TRUE(mask.Update(pixels.data(), 4, 4, 4, 0, 4, 0));
    pixels[5] = 6;  // another non-key colour: same mask
    EXPECT_FALSE(mask.Update(pixels.data(), 4, 4, 4, 1, 2, 0));
    pixels[6] = 0;  // keyed now
    EXPECT_TRUE(mask.Update(pixels.data(), 4, 4, 4, 1, 2, 0));
    EXPECT_FALSE(mask.Region().Contains(2, 1));
    EXPECT_TRUE(mask.Region().Contains(1, 1));
    // Rows outside the scanned range are not looked at...
    pixels[12] = 0;
    EXPECT_FALSE(mask.Update(pixels.data(), 4, 4, 4, 0, 2, 0));
    // ...until they are, or the key or the size changes, or the mask is reset.
    EXPECT_TRUE(mask.Update(pixels.data(), 4, 4, 4, 3, 4, 0));
    EXPECT_TRUE(mask.Update(pixels.data(), 4, 4, 4, 0, 0, 5));
    EXPECT_TRUE(mask.Update(pixels.data(), 4, 3, 4, 0, 0, 5));
    mask.Reset();
    EXPECT_TRUE(mask.Update(pixels.data(), 4, 3, 4, 0, 0, 5));
}

// Keys
// ----------------------------------------------------------------------------------------------

TEST(X11Keys, KeysymsGiveVirtualKeysAndCharacters) {
    struct TCase {
        unsigned long keysym;
        int key;
        uint32_t ch;
    };
    const TCase cases[] = {
        {XK_a, 'A', 'a'},           {XK_Z, 'Z', 'Z'},          {XK_0, '0', '0'},
        {XK_9, '9', '9'},           {XK_Return, VK_RETURN, 0}, {XK_KP_Enter, VK_RETURN, 0},
        {XK_Escape, VK_ESCAPE, 0},  {XK_Tab, VK_TAB, 0},       {XK_ISO_Left_Tab, VK_TAB, 0},
        {XK_BackSpace, VK_BACK, 0}, {XK_space, VK_SPACE, ' '}, {XK_Left, VK_LEFT, 0},
        {XK_Up, VK_UP, 0},          {XK_Right, VK_RIGHT, 0},   {XK_Down, VK_DOWN, 0},
        {XK_Home, VK_HOME, 0},      {XK_End, VK_END, 0},       {XK_Prior, VK_PRIOR, 0},
        {XK_Next, VK_NEXT, 0},      {XK_Delete, VK_DELETE, 0}, {XK_F1, VK_F1, 0},
        {XK_F10, VK_F10, 0},        {XK_Shift_L, VK_SHIFT, 0}, {XK_Control_R, VK_CONTROL, 0},
        {XK_Alt_L, VK_MENU, 0},     {XK_KP_7, 0x67, '7'},      {XK_eacute, 0, 0xE9},
        {0x010020AC, 0, 0x20AC},  // the Unicode keysym of the euro sign
        {XK_Caps_Lock, 0, 0},
    };
    for (const TCase& c : cases) {
        EXPECT_EQ(VirtualKeyFromKeysym(c.keysym), c.key) << std::hex << c.keysym;
        EXPECT_EQ(CharFromKeysym(c.keysym), c.ch) << std::hex << c.keysym;
    }
}

TEST(X11Keys, ChordsTypeNothingOrSystemCharactersAndAltGrStillTypes) {
    struct TCase {
        const char* what;
        unsigned long base, keysym;
        std::string text;  // what the keymap or input method made of it
        unsigned state;
        int key;
        std::vector<uint32_t> chars;
        bool system;
    };
    constexpr unsigned shift = kXShiftMask, ctrl = kXControlMask, alt = kXMod1Mask,
                       super = kXMod4Mask, altGr = kXMod5Mask;
    const TCase cases[] = {
        {"a", XK_a, XK_a, "a", 0, 'A', {'a'}, false},
        {"Shift+a", XK_a, XK_A, "A", shift, 'A', {'A'}, false},
        {"Alt+f", XK_f, XK_f, "f", alt, 'F', {'f'}, true},
        {"Alt+Shift+f", XK_f, XK_F, "F", alt | shift, 'F', {'F'}, true},
        {"Ctrl+a", XK_a, XK_a, "\x01", ctrl, 'A', {}, false},
        {"Ctrl+1", XK_1, XK_1, "1", ctrl, '1', {}, false},
        {"Ctrl+.", XK_period, XK_period, ".", ctrl, 0, {}, false},
        {"Ctrl+Alt+x", XK_x, XK_x, "x", ctrl | alt, 'X', {}, false},
        {"Super+e", XK_e, XK_e, "e", super, 'E', {}, false},
        {"Ctrl+Backspace", XK_BackSpace, XK_BackSpace, "\b", ctrl, VK_BACK, {}, false},
        {"AltGr+q on a German keymap", XK_q, XK_at, "@", altGr, 'Q', {'@'}, false},
        {"AltGr+e on a German keymap",
         XK_e,
         XK_EuroSign,
         "\xE2\x82\xAC",
         altGr,
         'E',
         {0x20AC},
         false},
        {"Return", XK_Return, XK_Return, "\r", 0, VK_RETURN, {'\r'}, false},
        {"Delete", XK_Delete, XK_Delete, "\x7F", 0, VK_DELETE, {}, false},
        {"dead acute", XK_dead_acute, XK_dead_acute, "", 0, 0, {}, false},
        {"dead circumflex with Shift", XK_grave, XK_dead_circumflex, "", shift, 0, {}, false},
        {"e after a dead acute", XK_e, XK_eacute, "\xC3\xA9", 0, 'E', {0xE9}, false},
        {"a composed sequence", 0, 0, "e\xCC\x81", 0, 0, {'e', 0x301}, false},
        {"no text, a Latin-1 keysym", XK_eacute, XK_eacute, "", 0, 0, {0xE9}, false},
        {"the Menu key", XK_Menu, XK_Menu, "", 0, VK_APPS, {}, false},
        {"F10", XK_F10, XK_F10, "", 0, VK_F10, {}, false},
        {"Shift+F10", XK_F10, XK_F10, "", shift, VK_F10, {}, false},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.what);
        TKeyPress press = TranslateKeyPress(c.base, c.keysym, c.text, c.state);
        EXPECT_EQ(press.Key, c.key);
        EXPECT_EQ(press.Chars, c.chars);
        if (!c.chars.empty()) {
            EXPECT_EQ(press.System, c.system);
        }
    }
}

TEST(X11Keys, Utf8IsDecodedAndMalformedBytesBecomeReplacementCharacters) {
    EXPECT_EQ(DecodeUtf8("a\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80"),
              (std::vector<uint32_t>{'a', 0xE9, 0x20AC, 0x1F600}));
    EXPECT_EQ(DecodeUtf8("\xC3"), (std::vector<uint32_t>{0xFFFD}));        // cut short
    EXPECT_EQ(DecodeUtf8("\xFFz"), (std::vector<uint32_t>{0xFFFD, 'z'}));  // no lead byte
    EXPECT_EQ(DecodeUtf8("\xED\xA0\x80"), (std::vector<uint32_t>{0xFFFD, 0xFFFD, 0xFFFD}));
}

}  // namespace
}  // namespace native

#endif  // ZT_HAVE_X11
