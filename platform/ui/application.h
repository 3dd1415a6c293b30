// TApplication: the one application object. It owns the forms, runs the message loop,
// shows escaping exceptions, and has the application window that carries the taskbar
// button (ShowWindow(Application->Handle(), SW_HIDE) removes the button).
//
// CreateApplication makes the global Application and Screen objects on the backend in
// use; DestroyApplication frees them, and with them every form. RunProgram is a program's
// whole life on a backend, for its main().
#pragma once

#include <exception>
#include <functional>
#include <memory>
#include <string>

#include "platform/native/native.h"

#include "platform/ui/form.h"

class TScreen;

using TExceptionEvent = std::function<void(TObject* sender, const std::exception& error)>;

// Sees each message of a nested loop before it is dispatched; returns true when it has
// handled the message itself (it may dispatch it too).
using TMessageFilter = std::function<bool(MSG& msg)>;

class TApplication : public TComponent {
public:
    explicit TApplication(TComponent* owner);
    ~TApplication() override;

    void Initialize();
    // Creates a form owned by the application; the first one becomes the main form,
    // whose closing ends the application.
    template <class T>
    void CreateForm(T*& reference) {
        reference = New<T>(this);
        if (!mainForm_) mainForm_ = reference;
    }
    TCustomForm* MainForm() const { return mainForm_; }
    void SetMainForm(TCustomForm* form) { mainForm_ = form; }

    // Shows the main form and handles messages until the application terminates.
    void Run();
    // Ends the message loop (posts WM_QUIT).
    void Terminate();
    bool Terminated() const { return terminated_; }
    // Handles one message, or waits for one when none is ready.
    void HandleMessage();
    // Handles every message that is ready, then returns.
    void ProcessMessages();

    // Shows the exception being handled (call from a catch block), or passes it to
    // OnException when that is set.
    void HandleException(TObject* sender);
    // The standard exception box: the message, with a full stop, under the title.
    void ShowException(const std::exception& error);
    TExceptionEvent OnException;

    HWND Handle() const { return handle_; }
    const std::string& Title() const { return title_; }
    void SetTitle(const std::string& title);
    const std::string& ExeName() const { return exeName_; }

    void Notification(TComponent* component, TOperation operation) override;

private:
    friend bool RunModalLoop(const std::function<bool()>& done, const TMessageFilter& filter);
    bool ProcessMessage(MSG& msg);

    HWND handle_ = nullptr;
    TCustomForm* mainForm_ = nullptr;
    bool terminated_ = false;
    std::string title_;
    std::string exeName_;
};

extern TApplication* Application;

// The one nested message loop: a modal form's, a popup menu's, a window drag's. Handles
// messages (waiting for them) until done() returns true, which it asks before each one.
// A handler's exception is handled as in the main loop (Application->HandleException;
// without an application it propagates). A WM_QUIT ends the loop: it is posted again for
// the loop beneath, and the application counts as terminated at once, so that every loop
// up to the main one ends. Returns true when done() ended the loop, false when the
// application's end did (also when it had ended before the call).
bool RunModalLoop(const std::function<bool()>& done, const TMessageFilter& filter = {});

// Makes Application and Screen (the backend must be installed first).
void CreateApplication();
// Frees the forms, Application and Screen.
void DestroyApplication();

// Installs backend, makes and initializes the application and calls run, which creates
// the program's forms and runs the message loop; an Exception escaping it is shown. Then
// frees the application, every window left and the backend. Returns what run returned,
// or 0 when an exception ended it.
int RunProgram(std::unique_ptr<native::TBackend> backend, const std::function<int()>& run);
