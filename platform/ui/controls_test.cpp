#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "platform/sysutils.h"
#include "platform/ui/button.h"
#include "platform/ui/label.h"
#include "platform/ui/msgbox.h"
#include "platform/ui/panel.h"
#include "platform/ui/screen.h"
#include "platform/ui/timer.h"
#include "tests/support/headless_app.h"

namespace {

class Controls : public ::testing::Test {
protected:
    THeadlessApp app;
    native::THeadlessBackend& screen = app.Backend();
    TForm* form = nullptr;

    void SetUp() override {
        form = New<TForm>(Application);
        form->SetBorderStyle(bsNone);
        form->SetBounds(100, 100, 200, 150);
        form->SetColor(clBlack);
        form->Show();
    }

    // Records the mouse events of a control.
    void Record(TControl* c, std::vector<std::string>& log) {
        c->OnMouseDown = [&log](TObject*, TMouseButton b, TShiftState, int x, int y) {
            log.push_back("down " + std::to_string(int(b)) + " " + std::to_string(x) + "," +
                          std::to_string(y));
        };
        c->OnMouseMove = [&log](TObject*, TShiftState, int x, int y) {
            log.push_back("move " + std::to_string(x) + "," + std::to_string(y));
        };
        c->OnMouseUp = [&log](TObject*, TMouseButton b, TShiftState, int, int) {
            log.push_back("up " + std::to_string(int(b)));
        };
        c->OnClick = [&log](TObject*) { log.push_back("click"); };
    }
};

class TTestControl : public TCustomControl {
public:
    using TCustomControl::TCustomControl;
    TColor fill = clRed;
    int paints = 0;

protected:
    void Paint() override {
        ++paints;
        Canvas().Brush.Color = fill;
        Canvas().FillRect(ClientRect());
    }
};

TEST_F(Controls, ClickComesBeforeMouseUpAndOnlyForAReleaseOverTheControl) {
    auto* c = new TTestControl(form);
    c->SetParent(form);
    c->SetBounds(10, 10, 50, 40);
    std::vector<std::string> log;
    Record(c, log);
    screen.Click(115, 115);
    app.Run();
    EXPECT_EQ(log, (std::vector<std::string>{"move 5,5", "down 0 5,5", "click", "up 0"}));
    log.clear();
    screen.MouseDown(115, 115);
    screen.MouseUp(300, 115);  // released outside: no click
    app.Run();
    EXPECT_EQ(log, (std::vector<std::string>{"down 0 5,5", "up 0"}));
}

TEST_F(Controls, PressedControlKeepsGettingMovesOutsideItAndTheWindow) {
    auto* c = new TTestControl(form);
    c->SetParent(form);
    c->SetBounds(10, 10, 50, 40);
    std::vector<std::string> log;
    Record(c, log);
    screen.MouseDown(115, 115);
    screen.MouseMove(900, 700);
    screen.MouseMove(50, 20);
    screen.MouseUp(50, 20);
    screen.MouseMove(60, 20);  // no longer captured
    app.Run();
    EXPECT_EQ(log,
              (std::vector<std::string>{"down 0 5,5", "move 790,590", "move -60,-90", "up 0"}));
}

TEST_F(Controls, GraphicControlsGetTheMouseThroughTheirParent) {
    auto* panel = new TPanel(form);
    panel->SetParent(form);
    panel->SetBounds(20, 20, 100, 60);
    auto* label = new TLabel(form);
    label->SetParent(panel);
    label->SetBounds(10, 10, 40, 13);
    label->SetAutoSize(false);
    std::vector<std::string> labelLog, panelLog;
    Record(label, labelLog);
    Record(panel, panelLog);
    screen.Click(100 + 20 + 15, 100 + 20 + 12);
    app.Run();
    EXPECT_EQ(labelLog, (std::vector<std::string>{"move 5,2", "down 0 5,2", "click", "up 0"}));
    EXPECT_TRUE(panelLog.empty());
    // A drag that starts on the label stays with the label.
    labelLog.clear();
    screen.MouseDown(135, 132);
    screen.MouseMove(190, 170);
    screen.MouseUp(190, 170);
    app.Run();
    EXPECT_EQ(labelLog, (std::vector<std::string>{"down 0 5,2", "move 60,40", "up 0"}));
    EXPECT_TRUE(panelLog.empty());
}

TEST_F(Controls, RightClickOnALabelAsksItsPanelForTheContextMenu) {
    auto* panel = new TPanel(form);
    panel->SetParent(form);
    panel->SetBounds(20, 20, 100, 60);
    auto* label = new TLabel(form);
    label->SetParent(panel);
    label->SetBounds(10, 10, 40, 13);
    std::vector<TPoint> asked;
    panel->OnContextPopup = [&](TObject* sender, TPoint p, bool&) {
        EXPECT_EQ(sender, panel);
        asked.push_back(p);
    };
    screen.Click(100 + 20 + 15, 100 + 20 + 12, native::kRightButton);
    app.Run();
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0], (TPoint{15, 12}));
    EXPECT_EQ(panel->ClientToScreen(asked[0]), (TPoint{135, 132}));
}

TEST_F(Controls, RepaintPaintsAtOnceAndInvalidateAtTheNextLoop) {
    auto* c = new TTestControl(form);
    c->SetParent(form);
    c->SetBounds(10, 10, 20, 20);
    app.Run();
    int before = c->paints;
    c->Invalidate();
    EXPECT_EQ(c->paints, before);
    app.Run();
    EXPECT_EQ(c->paints, before + 1);
    c->fill = clLime;
    c->Repaint();
    EXPECT_EQ(c->paints, before + 2);
    EXPECT_EQ(screen.Screenshot().Pixel(115, 115), clLime);
}

TEST_F(Controls, PanelDrawsAOnePixelRaisedBevel) {
    auto* panel = new TPanel(form);
    panel->SetParent(form);
    panel->SetBounds(10, 10, 30, 20);
    panel->SetColor(clBlack);
    app.Run();
    TBitmap shot = screen.Screenshot();
    TColor light = ColorToRGB(clBtnHighlight), dark = ColorToRGB(clBtnShadow);
    EXPECT_EQ(shot.Pixel(110, 110), light);  // top-left corner
    EXPECT_EQ(shot.Pixel(120, 110), light);  // top edge
    EXPECT_EQ(shot.Pixel(110, 120), light);  // left edge
    EXPECT_EQ(shot.Pixel(139, 120), dark);   // right edge
    EXPECT_EQ(shot.Pixel(120, 129), dark);   // bottom edge
    EXPECT_EQ(shot.Pixel(111, 111), clBlack);
}

TEST_F(Controls, LabelsWrapAtSpacesAndSizeToTheirText) {
    auto* label = new TLabel(form);
    label->SetParent(form);
    label->SetText("Tarvo's Binary Clock");
    EXPECT_EQ(label->Width(), 20 * 6);  // the fixed font: 6 pixels a character
    EXPECT_EQ(label->Height(), 13);
    label->SetAutoSize(false);
    label->SetWordWrap(true);
    label->SetWidth(60);
    EXPECT_EQ(label->Lines(), (std::vector<std::string>{"Tarvo's", "Binary", "Clock"}));
    label->SetWidth(84);
    EXPECT_EQ(label->Lines(), (std::vector<std::string>{"Tarvo's Binary", "Clock"}));
    label->SetWidth(83);
    EXPECT_EQ(label->Lines(), (std::vector<std::string>{"Tarvo's", "Binary Clock"}));
}

TEST_F(Controls, ModalFormRunsTimersAndEndsWithTheButtonsResult) {
    auto* timer = new TTimer(form);
    timer->SetInterval(250);
    int ticks = 0;
    timer->SetOnTimer([&](TObject*) { ++ticks; });

    TForm* dialog = New<TForm>(form);
    dialog->SetBorderStyle(bsDialog);
    dialog->SetBounds(300, 300, 200, 100);
    auto* ok = new TButton(dialog);
    ok->SetParent(dialog);
    ok->SetBounds(10, 60, 75, 25);
    ok->SetModalResult(mrOk);
    auto* cancel = new TButton(dialog);
    cancel->SetParent(dialog);
    cancel->SetBounds(100, 60, 75, 25);
    cancel->SetModalResult(mrCancel);
    cancel->SetCancel(true);

    std::vector<UINT> mainClicks;
    form->OnClick = [&](TObject*) { mainClicks.push_back(1); };
    screen.After(500, [&] { screen.Click(150, 200); });             // the main form is disabled
    screen.After(2100, [&] { screen.Click(300 + 20, 300 + 70); });  // Ok
    EXPECT_EQ(dialog->ShowModal(), mrOk);
    EXPECT_EQ(app.Now(), 2100);
    EXPECT_EQ(ticks, 8);
    EXPECT_TRUE(mainClicks.empty());
    EXPECT_FALSE(dialog->Visible());

    screen.After(100, [&] { screen.PressKey(VK_ESCAPE); });
    EXPECT_EQ(dialog->ShowModal(), mrCancel);
    screen.After(100, [&] { screen.RequestClose(NativeWindow(dialog->Handle())); });
    EXPECT_EQ(dialog->ShowModal(), mrCancel);
}

TEST_F(Controls, MessageBoxReturnsOnEnter) {
    screen.After(10, [&] { screen.PressKey(VK_RETURN); });
    EXPECT_EQ(MessageBoxA(nullptr, "Unable to find documentation", "error", MB_OK), IDOK);
    screen.After(10, [&] { screen.PressKey(VK_ESCAPE); });
    EXPECT_EQ(MessageBoxA(form->Handle(), "Sure?", "Question", MB_OKCANCEL), IDCANCEL);
}

TEST_F(Controls, AnEscapingExceptionIsShownInTheStandardBoxAndTheLoopGoesOn) {
    Application->OnException = nullptr;  // the standard box, as in the program
    auto* c = new TTestControl(form);
    c->SetParent(form);
    c->SetBounds(10, 10, 50, 40);
    c->OnClick = [](TObject*) { throw Exception("Disk full"); };
    std::string shown;
    screen.After(50, [&] {
        for (native::THeadlessWindow* w : screen.Windows())
            if (w->Visible() && w->Title() == Application->Title()) shown = w->Title();
        screen.PressKey(VK_RETURN);
    });
    screen.Click(115, 115);
    app.Run(100);
    EXPECT_EQ(shown, Application->Title());
    // The loop goes on: a later click is handled again.
    int clicks = 0;
    c->OnClick = [&](TObject*) { ++clicks; };
    screen.Click(115, 115);
    app.Run(10);
    EXPECT_EQ(clicks, 1);
}

TEST_F(Controls, ChangingTheFormStyleMakesANewWindowWithoutItsRegion) {
    HWND before = form->Handle();
    SetWindowRgn(before, std::make_unique<TRegion>(TRect{0, 0, 10, 10}), true);
    form->SetFormStyle(fsStayOnTop);
    HWND after = form->Handle();
    EXPECT_FALSE(IsWindow(before));
    EXPECT_TRUE(IsWindow(after));
    EXPECT_EQ(GetWindowRgn(after), nullptr);
    auto* native = dynamic_cast<native::THeadlessWindow*>(NativeWindow(after));
    EXPECT_TRUE(native->StayOnTop());
    EXPECT_TRUE(native->Visible());
    EXPECT_EQ(native->Bounds(), (TRect{100, 100, 300, 250}));
}

// A control whose painting throws, after it has looked at its canvas.
class TThrowingPainter : public TCustomControl {
public:
    using TCustomControl::TCustomControl;
    TBitmap* targetWhilePainting = nullptr;

protected:
    void Paint() override {
        targetWhilePainting = Canvas().Target();
        throw std::runtime_error("paint");
    }
};

TEST_F(Controls, APaintThatThrowsLeavesTheCanvasDetached) {
    std::vector<std::string> handled;
    Application->OnException = [&](TObject*, const std::exception& e) {
        handled.push_back(e.what());
    };
    auto* control = new TThrowingPainter(form);
    control->SetParent(form);
    control->SetBounds(10, 10, 50, 40);
    TBitmap* formTarget = nullptr;
    form->OnPaint = [&](TObject*) {
        formTarget = form->Canvas().Target();
        throw std::runtime_error("form paint");
    };
    form->Invalidate();
    control->Invalidate();
    app.Run();
    EXPECT_NE(control->targetWhilePainting, nullptr);
    EXPECT_NE(formTarget, nullptr);
    EXPECT_EQ(control->Canvas().Target(), nullptr);
    EXPECT_EQ(form->Canvas().Target(), nullptr);
    EXPECT_FALSE(handled.empty());
    for (const std::string& what : handled)
        EXPECT_TRUE(what == "paint" || what == "form paint") << what;
}

TEST_F(Controls, ClosingTheMainFormEndsTheApplication) {
    Application->SetMainForm(form);
    form->Close();
    app.Run();
    EXPECT_TRUE(Application->Terminated());
}

}  // namespace
