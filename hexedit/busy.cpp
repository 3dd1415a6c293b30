#include "hexedit/busy.h"

#include <algorithm>

#include "platform/ui/winapi.h"

void TBusyIndicator::Begin(const std::string& what) {
    what_ = what;
    start_ = Clock ? Clock() : GetTickCount64();
    active_ = true;
    shown_ = false;
    cancelled_ = false;
}

bool TBusyIndicator::Step(int64_t done, int64_t total) {
    if (!active_) return true;
    const int64_t now = Clock ? Clock() : GetTickCount64();
    if (!shown_ && now - start_ >= kDelayMs) {
        shown_ = true;
        label_->SetText(what_ + "... Esc cancels");
        gauge_->SetProgress(0);
        gauge_->Show();
    }
    if (shown_ && total > 0)
        gauge_->SetProgress(int(std::clamp<int64_t>(done * 100 / total, 0, 100)));
    Pump();
    return !cancelled_;
}

void TBusyIndicator::Pump() {
    MSG msg;
    while (!cancelled_ && PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            // Ending the program cancels what runs; the loop gets its message again.
            PostQuitMessage(int(msg.wParam));
            cancelled_ = true;
        } else if (msg.message == WM_KEYDOWN && msg.wParam == VK_ESCAPE) {
            cancelled_ = true;
        } else if (msg.message == WM_CLOSE) {
            closes_.push_back(msg.hwnd);
        } else if ((msg.message >= WM_KEYDOWN && msg.message <= WM_CHAR) ||
                   (msg.message >= WM_MOUSEFIRST && msg.message <= WM_MOUSELAST)) {
            // Dropped: keys and clicks must not change what is being worked on.
        } else {
            TranslateMessage(&msg);
            DispatchMessage(&msg);
        }
    }
}

void TBusyIndicator::End() {
    active_ = false;
    shown_ = false;
    gauge_->Hide();
    for (HWND window : closes_)
        PostMessage(window, WM_CLOSE, 0, 0);
    closes_.clear();
}
