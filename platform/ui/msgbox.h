// MessageBoxA: a modal box with a message and buttons, as the system shows it.
#pragma once

#include <string>

#include "platform/ui/messages.h"

constexpr UINT MB_OK = 0x00000000;
constexpr UINT MB_OKCANCEL = 0x00000001;
constexpr UINT MB_YESNO = 0x00000004;
constexpr UINT MB_ICONSTOP = 0x00000010;
constexpr UINT MB_ICONERROR = 0x00000010;
constexpr UINT MB_ICONQUESTION = 0x00000020;
constexpr UINT MB_ICONWARNING = 0x00000030;
constexpr UINT MB_ICONINFORMATION = 0x00000040;

constexpr int IDOK = 1;
constexpr int IDCANCEL = 2;
constexpr int IDYES = 6;
constexpr int IDNO = 7;

// Shows text under caption with the buttons type asks for (OK; OK and Cancel; Yes and
// No), centred over owner (or the screen), and returns the button pressed (IDCANCEL for
// Escape or the close box, when there is a Cancel button; IDOK for Escape with OK alone).
int MessageBoxA(HWND owner, const std::string& text, const std::string& caption, UINT type);
