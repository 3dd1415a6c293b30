// MessageBoxA: a modal box with a message and buttons, as the system shows it.
//
// The box is a dialog-bordered form titled caption, with the text at its top-left and a
// row of buttons centred under it. The text keeps its line breaks and wraps at spaces
// to at most 480 pixels (or 5/8 of the screen, when that is less), with its lines made
// as even as the same number of lines allows; the box is as wide as the widest of the
// text, the buttons and the title need, and as high as the text needs. It is laid out at
// the scale of its owner's monitor (sizes here are at 100 %).
//
// The box is owned by owner's top-level window (a dialog above it) and centred over it;
// with no owner it is owned by the application's main form when that is showing, and
// centred on the screen. It is kept on its owner's monitor (without one, on the primary
// screen). Other forms are disabled while it runs, and timers keep firing. The MB_ICON
// flags are accepted and draw no icon.
#pragma once

#include <string>

#include "platform/ui/messages.h"

constexpr UINT MB_OK = 0x00000000;
constexpr UINT MB_OKCANCEL = 0x00000001;
constexpr UINT MB_YESNOCANCEL = 0x00000003;
constexpr UINT MB_YESNO = 0x00000004;
constexpr UINT MB_ICONSTOP = 0x00000010;
constexpr UINT MB_ICONERROR = 0x00000010;
constexpr UINT MB_ICONQUESTION = 0x00000020;
constexpr UINT MB_ICONWARNING = 0x00000030;
constexpr UINT MB_ICONINFORMATION = 0x00000040;
constexpr UINT MB_DEFBUTTON1 = 0x00000000;
constexpr UINT MB_DEFBUTTON2 = 0x00000100;
constexpr UINT MB_DEFBUTTON3 = 0x00000200;

constexpr int IDOK = 1;
constexpr int IDCANCEL = 2;
constexpr int IDYES = 6;
constexpr int IDNO = 7;

// Shows text under caption with the buttons type asks for (OK; OK and Cancel; Yes and
// No; Yes, No and Cancel) and returns the button pressed. The default button has the
// focus and answers Return: the first one, or the second or third with MB_DEFBUTTON2 or
// MB_DEFBUTTON3 (the first when the box has fewer buttons). Escape and the close box give
// IDCANCEL when there is a Cancel button and IDOK with OK alone; a Yes/No box answers
// only its buttons. Y and N (alone or with Alt) press Yes and No.
int MessageBoxA(HWND owner, const std::string& text, const std::string& caption, UINT type);
