#include "platform/ui/application.h"

#include "platform/os/module.h"
#include "platform/os/path.h"
#include "platform/sysutils.h"
#include "platform/ui/msgbox.h"
#include "platform/ui/screen.h"

TApplication* Application = nullptr;

namespace {
std::string ExecutablePath() {
    char buffer[4096];
    DWORD n = GetModuleFileNameA(nullptr, buffer, sizeof buffer);
    if (n == 0 || n >= sizeof buffer) return {};
    return std::string(buffer, n);
}

// Dispatches a message (the filter first, when there is one); an exception a handler
// throws goes to the application, as every loop handles it.
void DispatchHandled(MSG& msg, const TMessageFilter& filter) {
    try {
        if (filter && filter(msg)) return;
        TranslateMessage(&msg);
        DispatchMessage(&msg);
    } catch (...) {
        if (!Application) throw;
        Application->HandleException(Application);
    }
}
}  // namespace

TApplication::TApplication(TComponent* owner) : TComponent(owner) {
    exeName_ = ExecutablePath();
    std::string base = NameOfPath(exeName_);
    title_ = base.substr(0, base.find('.'));
    handle_ = CreateWindowExA(0, title_, WS_POPUP, 0, 0, 0, 0, HWND_MESSAGE, WNDPROC{});
    SetTaskbarCarrier(handle_);
}

TApplication::~TApplication() {
    mainForm_ = nullptr;
    DestroyComponents();
    if (handle_) DestroyWindow(handle_);
}

void TApplication::Initialize() {}

void TApplication::SetTitle(const std::string& title) {
    title_ = title;
    SetWindowTextA(handle_, title);
}

void TApplication::Notification(TComponent* component, TOperation operation) {
    TComponent::Notification(component, operation);
    if (operation == opRemove && component == mainForm_) mainForm_ = nullptr;
}

void TApplication::Run() {
    if (mainForm_) mainForm_->Show();
    while (!terminated_)
        HandleMessage();
}

void TApplication::Terminate() {
    PostQuitMessage(0);
}

bool TApplication::ProcessMessage(MSG& msg) {
    if (!PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE)) return false;
    if (msg.message == WM_QUIT) {
        terminated_ = true;
        return true;
    }
    DispatchHandled(msg, {});
    return true;
}

bool RunModalLoop(const std::function<bool()>& done, const TMessageFilter& filter) {
    for (;;) {
        if (done()) return true;
        if (Application && Application->Terminated()) return false;
        MSG msg;
        if (!PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE)) {
            WaitForMessage(-1);
            continue;
        }
        if (msg.message == WM_QUIT) {
            PostQuitMessage(int(msg.wParam));
            if (Application) Application->terminated_ = true;
            return false;
        }
        DispatchHandled(msg, filter);
    }
}

void TApplication::HandleMessage() {
    MSG msg;
    if (!ProcessMessage(msg)) WaitForMessage(-1);
}

void TApplication::ProcessMessages() {
    MSG msg;
    while (ProcessMessage(msg)) {
    }
}

void TApplication::HandleException(TObject* sender) {
    std::exception_ptr current = std::current_exception();
    if (!current) return;
    try {
        std::rethrow_exception(current);
    } catch (const std::exception& e) {
        if (OnException) {
            OnException(sender, e);
        } else {
            ShowException(e);
        }
    }
}

void TApplication::ShowException(const std::exception& error) {
    std::string text = error.what();
    if (!text.empty() && text.back() != '.') text += '.';
    MessageBoxA(nullptr, text, title_, MB_OK | MB_ICONSTOP);
}

void CreateApplication() {
    Screen = new TScreen(nullptr);
    Application = new TApplication(nullptr);
}

void DestroyApplication() {
    FreeAndNil(Application);
    FreeAndNil(Screen);
}

int RunProgram(std::unique_ptr<native::TBackend> backend, const std::function<int()>& run) {
    native::SetBackend(std::move(backend));
    CreateApplication();
    int status = 0;
    try {
        Application->Initialize();
        status = run();
    } catch (const Exception& error) {
        Application->ShowException(error);
    }
    DestroyApplication();
    DestroyAllWindows();
    native::SetBackend(nullptr);
    return status;
}
