// The main window as a whole on the headless desktop, in virtual time, with its settings
// in a throw-away per-user registry: the base of the scenario tests.
#pragma once

#include <gtest/gtest.h>

#include "app/fclock.h"
#include "platform/os/wallclock.h"
#include "tests/support/headless_app.h"
#include "tests/support/tempconfighome.h"

namespace ztest {

class TClockFixture : public ::testing::Test {
protected:
    TTempConfigHome home;
    THeadlessApp app{{1024, 768}};
    native::THeadlessBackend& screen = app.Backend();
    TForm1* form = nullptr;

    // Starts the clock as the program does at 13:47:05: create the main form, show it.
    void Start() {
        screen.SetWallTime(LocalSeconds(13, 47, 5));
        Application->CreateForm(form);
        form->Show();
        app.Run();
    }
    native::THeadlessWindow& Window() { return NativeOf(form->Handle()); }
    static native::THeadlessWindow& NativeOf(HWND window) {
        return *dynamic_cast<native::THeadlessWindow*>(NativeWindow(window));
    }
    // The widest extent of the window's visible shape.
    int ShapeWidth() {
        return Window().Shape() ? Window().Shape()->Bounds().Right : Window().Bounds().Width();
    }
    void Quit() {
        form->Close();
        app.Run();
        DestroyApplicationForms();
    }
    void DestroyApplicationForms() {
        if (form) {
            form->Free();
            form = nullptr;
        }
    }
    void TearDown() override { DestroyApplicationForms(); }
};

}  // namespace ztest
