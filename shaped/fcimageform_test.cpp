#include "shaped/fcimageform.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "art/clockart.h"
#include "platform/ui/form.h"
#include "shaped/fcregion.h"
#include "tests/support/headless_app.h"
#include "tests/support/throwing_window.h"

namespace {

class ImageForm : public ::testing::Test {
protected:
    THeadlessApp app;
    native::THeadlessBackend& screen = app.Backend();
    TForm* form = nullptr;
    TfcImageForm* image = nullptr;
    TBitmap picture;

    void SetUp() override {
        RegisterClockArt();
        picture.LoadFromResourceID(85);  // 150 x 90, white margin round a black body
        form = New<TForm>(Application);
        form->SetBounds(200, 100, 150, 90);
        image = new TfcImageForm(form);
        image->SetParent(form);
        image->SetPicture(&picture);
        image->RebuildRegion();
        form->Show();
        app.Run();
    }
    native::THeadlessWindow& Window() {
        return *dynamic_cast<native::THeadlessWindow*>(NativeWindow(form->Handle()));
    }
    // A press on the frame at (x, y) of the window, moves by the offsets given (one
    // pointer event each, 10 ms apart), then the release at the last one.
    void Drag(int x, int y, std::vector<TPoint> moves) {
        TRect w = Window().Bounds();
        TPoint p{w.Left + x, w.Top + y};
        int64_t t = app.Now();
        screen.At(t += 10, [=, this] { screen.MouseDown(p.X, p.Y); });
        for (TPoint m : moves)
            screen.At(t += 10, [=, this] { screen.MouseMove(p.X + m.X, p.Y + m.Y); });
        TPoint last = moves.empty() ? TPoint{} : moves.back();
        screen.At(t += 10, [=, this] { screen.MouseUp(p.X + last.X, p.Y + last.Y); });
        app.Run(t - app.Now() + 10);
    }
};

TEST_F(ImageForm, PlacingItMakesTheFormBorderlessAndHooksItsWindow) {
    EXPECT_EQ(form->BorderStyle(), bsNone);
    EXPECT_EQ(GetWindowLongA(form->Handle(), GWL_STYLE) & LONG(WS_CLIPCHILDREN), 0);
    ASSERT_NE(image->Capture(), nullptr);
    EXPECT_TRUE(image->Capture()->Installed());
    EXPECT_EQ(image->Align(), alClient);
    EXPECT_EQ(image->BoundsRect(), (TRect{0, 0, 150, 90}));
}

TEST_F(ImageForm, TheRegionLeavesOutThePicturesMargin) {
    ASSERT_TRUE(Window().Shape());
    EXPECT_EQ(Window().Shape()->Rects().size(), 13u);
    EXPECT_EQ(Window().Shape()->Bounds(), (TRect{2, 2, 148, 86}));
    // Setting a transparent colour changes nothing until the region is rebuilt.
    image->SetTransparentColor(clBlack);
    EXPECT_EQ(Window().Shape()->Bounds(), (TRect{2, 2, 148, 86}));
    image->RebuildRegion();
    EXPECT_EQ(Window().Shape()->Bounds(), (TRect{0, 0, 150, 90}));
    EXPECT_FALSE(Window().Covers({75, 45}));  // the black body is out now
}

TEST_F(ImageForm, APressAndReleaseWithinTheToleranceMovesAndDrawsNothing) {
    TRect start = Window().Bounds();
    Drag(75, 4, {{3, 2}, {5, -5}, {-5, 5}});
    EXPECT_EQ(Window().Bounds(), start);
    EXPECT_EQ(screen.OutlinePixelsInverted(), 0);
}

TEST_F(ImageForm, BeyondTheToleranceTheOutlineFollowsAndTheReleasePlacesTheWindow) {
    const TRect start = Window().Bounds();
    const TPoint p{start.Left + 75, start.Top + 4};
    int outlineDuringDrag = 0, inverted = 0;
    TRect duringDrag;
    const TBitmap before = screen.Screenshot();
    int64_t t = app.Now();
    screen.At(t + 10, [&] { screen.MouseDown(p.X, p.Y); });
    screen.At(t + 20, [&] { screen.MouseMove(p.X + 6, p.Y); });
    screen.At(t + 30, [&] { screen.MouseMove(p.X + 40, p.Y + 20); });
    // The drag loop reads the pointer before each wait, so after the second move the
    // outline stands where the first one put it.
    screen.At(t + 35, [&] {
        outlineDuringDrag = screen.OutlinePixelsInverted();
        duringDrag = Window().Bounds();
        TBitmap shot = screen.Screenshot();
        TRect outline = start.Offset(6, 0);
        for (int x = outline.Left; x < outline.Right; ++x)
            inverted += shot.Pixel(x, outline.Top) == (~before.Pixel(x, outline.Top) & 0xFFFFFF);
    });
    screen.At(t + 40, [&] { screen.MouseMove(p.X + 2, p.Y + 1); });  // back inside the tolerance
    screen.At(t + 50, [&] { screen.MouseUp(p.X + 2, p.Y + 1); });
    app.Run(60);
    EXPECT_GT(outlineDuringDrag, 0);
    EXPECT_EQ(inverted, 75) << "every other pixel of the outline's top edge is inverted";
    EXPECT_EQ(duringDrag, start) << "the window waits for the release";
    EXPECT_EQ(Window().Bounds(), start.Offset(40, 20)) << "placed at the last outline drawn";
    EXPECT_EQ(screen.OutlinePixelsInverted(), 0);
    EXPECT_EQ(form->Left(), start.Left + 40);
    EXPECT_EQ(GetCapture(), nullptr);
}

TEST_F(ImageForm, APressOnAControlWithHandlersNeverStartsADrag) {
    auto* face = new TfcCustomImage(form);  // a graphic control lying on the picture
    face->SetParent(form);
    face->SetBounds(20, 20, 60, 40);
    face->OnMouseDown = [](TObject*, TMouseButton, TShiftState, int, int) {};
    TRect start = Window().Bounds();
    Drag(30, 30, {{20, 20}, {30, 30}});
    EXPECT_EQ(Window().Bounds(), start);
    // With the control as the caption bar, a press on it drags even though it has handlers.
    image->SetCaptionBarControl(face);
    Drag(30, 30, {{20, 20}, {30, 30}});
    EXPECT_EQ(Window().Bounds(), start.Offset(20, 20));
    // ... and a press outside it does not.
    start = Window().Bounds();
    Drag(100, 5, {{20, 20}, {30, 30}});
    EXPECT_EQ(Window().Bounds(), start);
    // Removing the control clears the reference.
    face->Free();
    EXPECT_EQ(image->CaptionBarControl(), nullptr);
}

TEST_F(ImageForm, FullWindowDragMovesTheWindowItself) {
    image->SetOptions(ifUseWindowsDrag);
    screen.SetDragFullWindows(true);
    TRect start = Window().Bounds();
    Drag(75, 4, {{10, 0}, {30, 15}, {30, 15}});
    EXPECT_EQ(Window().Bounds(), start.Offset(30, 15));
    EXPECT_EQ(screen.OutlinePixelsInverted(), 0);
}

TEST_F(ImageForm, QuitDuringADragEndsItAndStillReachesTheMainLoop) {
    TRect w = Window().Bounds();
    screen.At(app.Now() + 10, [&] { screen.MouseDown(w.Left + 75, w.Top + 4); });
    screen.At(app.Now() + 20, [&] { PostQuitMessage(7); });
    app.Run(30);
    EXPECT_TRUE(Application->Terminated());
    EXPECT_NE(GetCapture(), form->Handle());
}

TEST_F(ImageForm, AHandlersExceptionDuringADragIsHandledAndTheDragGoesOn) {
    std::vector<std::string> handled;
    Application->OnException = [&](TObject*, const std::exception& e) {
        handled.push_back(e.what());
    };
    TThrowingWindow thrower;
    const TRect start = Window().Bounds();
    // Between the two moves of the drag below (press at 10 ms, moves at 20 and 30).
    screen.At(app.Now() + 25, [&] { thrower.PostThrow(); });
    Drag(75, 4, {{20, 10}, {20, 10}});
    EXPECT_EQ(handled, (std::vector<std::string>{"thrown"}));
    EXPECT_EQ(Window().Bounds(), start.Offset(20, 10));
    EXPECT_EQ(GetCapture(), nullptr);
}

TEST_F(ImageForm, APictureObjectSizesTheFormABareBitmapDoesNot) {
    TBitmap small(76, 46);
    image->SetPicture(&small);
    EXPECT_EQ(form->Width(), 150);
    TPicture holder;
    holder.SetGraphic(&small);
    image->SetPicture(holder);
    EXPECT_EQ(form->ClientWidth(), 76);
    EXPECT_EQ(form->ClientHeight(), 46);
    TPicture empty;
    image->SetPicture(empty);
    EXPECT_EQ(form->ClientWidth(), 76);
}

TEST_F(ImageForm, TheCaptureFollowsTheWindowWhenItIsMadeAnew) {
    HWND before = form->Handle();
    form->SetFormStyle(fsStayOnTop);
    ASSERT_NE(form->Handle(), before);
    EXPECT_EQ(image->Capture()->WindowHandle(), form->Handle());
    EXPECT_TRUE(image->Capture()->Installed());
    EXPECT_EQ(image->Region(), nullptr) << "the old window's region went with it";
    image->RebuildRegion();
    app.Run();
    TRect start = Window().Bounds();
    Drag(75, 4, {{20, 10}, {20, 10}});
    EXPECT_EQ(Window().Bounds(), start.Offset(20, 10));
}

TEST_F(ImageForm, StoredRegionsAreAppliedAndMalformedOnesRefused) {
    std::ostringstream written;
    image->WriteRegionData(written);
    EXPECT_EQ(written.str().size(), 244u);
    SetWindowRgn(form->Handle(), nullptr, false);
    std::istringstream good(written.str());
    image->ReadRegionData(good);
    ASSERT_NE(GetWindowRgn(form->Handle()), nullptr);
    EXPECT_EQ(GetWindowRgn(form->Handle())->Rects().size(), 13u);

    SetWindowRgn(form->Handle(), nullptr, false);
    std::string bad = written.str();
    bad[4 + 12] = 99;  // nCount disagrees with the length
    std::istringstream refused(bad);
    image->ReadRegionData(refused);
    EXPECT_EQ(GetWindowRgn(form->Handle()), nullptr);

    std::istringstream none(std::string(4, '\0'));
    image->ReadRegionData(none);  // length 0: rebuilt from the picture
    ASSERT_NE(GetWindowRgn(form->Handle()), nullptr);
}

TEST_F(ImageForm, OnAPaletteDisplayThePictureIsDrawnInHalftoneColours) {
    TBitmap odd(150, 90);
    odd.Canvas().Brush.Color = RGB(37, 140, 201);
    odd.Canvas().FillRect({0, 0, 150, 90});
    image->SetPicture(&odd);
    form->Repaint();
    EXPECT_EQ(Window().Pixels().Pixel(50, 50), RGB(37, 140, 201));
    screen.SetBitsPerPixel(8);
    form->Repaint();
    TColor shown = Window().Pixels().Pixel(50, 50);
    EXPECT_NE(shown, RGB(37, 140, 201));
    for (uint8_t channel : {GetRValue(shown), GetGValue(shown), GetBValue(shown)})
        EXPECT_EQ(channel % 51, 0) << "a colour of the halftone cube";
}

TEST_F(ImageForm, DestroyingTheFormTakesTheRegionOffAndLeavesNothingBehind) {
    const HWND handle = form->Handle();
    native::THeadlessWindow* window = &Window();
    ASSERT_TRUE(window->Shape());
    ASSERT_NE(GetWindowRgn(handle), nullptr);
    // A procedure outside the component's own hook sees WM_DESTROY after the form and the
    // component have handled it: the region must be off the window by then.
    bool destroyed = false;
    bool regionAtDestroy = true;
    bool shapeAtDestroy = true;
    WNDPROC previous = GetWindowProc(handle);
    SetWindowProc(handle, [&, previous](HWND h, UINT msg, WPARAM wParam, LPARAM lParam) {
        const LRESULT result = CallWindowProc(previous, h, msg, wParam, lParam);
        if (msg == WM_DESTROY) {
            destroyed = true;
            regionAtDestroy = GetWindowRgn(h) != nullptr;
            shapeAtDestroy = window->Shape().has_value();
        }
        return result;
    });
    form->Free();
    form = nullptr;
    app.Run(100);
    ASSERT_TRUE(destroyed);
    EXPECT_FALSE(regionAtDestroy);
    EXPECT_FALSE(shapeAtDestroy);
    // Nothing is left: no window of the form, nothing of it on the screen.
    EXPECT_FALSE(IsWindow(handle));
    EXPECT_TRUE(screen.Windows().empty());
    const TBitmap shot = screen.Screenshot();
    for (int y = 100; y < 190; ++y)
        for (int x = 200; x < 350; ++x)
            ASSERT_EQ(shot.Pixel(x, y), native::THeadlessBackend::kDesktopColor) << x << "," << y;
}

}  // namespace
