// What screen readers get for a window of the win32 backend (Microsoft Active
// Accessibility).
//
// A window with an accessible name answers WM_GETOBJECT for its client area (OBJID_CLIENT)
// with the system's standard accessible object of that area (CreateStdAccessibleObject),
// wrapped: the name of the area itself (CHILDID_SELF) is the window's accessible name, not
// its title, and everything else (role, state, location, parent, navigation, the names of
// children) is the standard object's. The name is read when a screen reader asks, so it is
// always the window's current one; the objects handed out share it and may outlive the
// window. oleacc.dll is loaded, and COM started on the thread, at the first request only:
// a program nobody reads never loads them.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

namespace native {

// The answer to WM_GETOBJECT (wParam, lParam) for the window hwnd named name: the result
// of LresultFromObject for a request about the client area, 0 for any other request or
// when the system offers no accessibility (DefWindowProc then answers).
LRESULT AnswerGetObject(HWND hwnd, WPARAM wParam, LPARAM lParam,
                        const std::shared_ptr<const std::wstring>& name);

}  // namespace native
