// A bare window for tests of exception handling: its procedure throws
// std::runtime_error("thrown") for each WM_USER posted to it. It is no control, so nothing
// between its procedure and the message loop that dispatches to it catches the exception.
#pragma once

#include <stdexcept>

#include "platform/ui/winapi.h"

class TThrowingWindow {
public:
    TThrowingWindow()
        : handle_(CreateWindowExA(0, "", WS_POPUP, 0, 0, 1, 1, HWND_MESSAGE,
                                  [](HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
                                      if (msg == WM_USER) throw std::runtime_error("thrown");
                                      return DefWindowProc(hwnd, msg, wParam, lParam);
                                  })) {}
    ~TThrowingWindow() { DestroyWindow(handle_); }
    TThrowingWindow(const TThrowingWindow&) = delete;
    TThrowingWindow& operator=(const TThrowingWindow&) = delete;

    // Posts the message whose handler throws.
    void PostThrow() const { PostMessage(handle_, WM_USER, 0, 0); }

private:
    HWND handle_;
};
