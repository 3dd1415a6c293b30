// TBinaryClock: a control that shows the local time as LEDs, in pure binary or in BCD.
//
// The control reads the wall clock itself (LocalTimeNow) on every poll and every paint,
// turns hours, minutes and seconds into on/off cells and paints the cells from the
// numbered LED and switch pictures in one of seven layouts. It has no background of its
// own: a paint starts from what lies beneath the control, draws the cells over it off
// screen and puts the result back in one blit, so hidden cells and the key-coloured
// parts of keyed LEDs show the owner's picture.
//
// The owner sets the mode properties (each setter stores its value unchecked and
// repaints at once) and polls InvalidateIfTimeChanged a few times a second; the control
// then repaints once for every change of second. Or the owner calls Tick when the face
// can next change (Tick tells when): the control then repaints only the cells that
// change, and a clock without seconds wakes once a minute.
//
// The control draws at a scale (Scale, a percentage; 100 is the design): every position
// and size of the layouts is the design's scaled and rounded (ScaleLength), the cell
// edges too, so cells neither overlap nor part; the pictures come from the set drawn for
// the scale (LoadClockArt) and the square and rect crops cut the scaled borders.
#pragma once

#include <cstdint>
#include <ctime>
#include <memory>

#include "platform/gfx/bitmap.h"
#include "platform/ui/wincontrol.h"

// Clock format (property Type).
using TClockType = int32_t;
constexpr TClockType ctLargeStandard = 0;  // two columns of four per unit, 18-pixel cells
constexpr TClockType ctSmallStandard = 1;  // the same with 9-pixel cells
constexpr TClockType ctTinyStandard = 2;   // the same with 5-pixel cells
constexpr TClockType ctLargeHoriz = 3;     // one row of eight per unit, 18-pixel cells
constexpr TClockType ctSmallHoriz = 4;     // the same with 9-pixel cells
constexpr TClockType ctTinyHoriz = 5;      // the same with 5-pixel cells
constexpr TClockType ctDipSwitch = 6;      // one row of eight slide switches per unit

// LED colour (property LedColor). lcSwitch uses the slide-switch pictures as cells.
using TLedColor = int32_t;
constexpr TLedColor lcRed = 0;
constexpr TLedColor lcBlue = 1;
constexpr TLedColor lcAmber = 2;
constexpr TLedColor lcGreen = 3;
constexpr TLedColor lcSwitch = 4;

// LED shape (property ModeShape): the round pictures as drawn, or cropped at paint time
// to a centred square or a centred flat bar. Any other value is treated as lsRound.
using TLedShape = int32_t;
constexpr TLedShape lsRound = 0;
constexpr TLedShape lsSquare = 1;
constexpr TLedShape lsRect = 2;

// Background of the owner's window (not a property of the control; the owner picks its
// picture by it and sets ModeTransparentLed from it).
using TClockBackground = int32_t;
constexpr TClockBackground cbFlatBlack = 0;
constexpr TClockBackground cbBrushedAluminum = 1;
constexpr TClockBackground cbMahogany = 2;
constexpr TClockBackground cbTransparent = 3;

// Numbers of the cell pictures (18 x 18 LEDs; switches 9 wide). Keyed LEDs sit on pure
// black, which is left out when they are drawn; opaque LEDs cover their whole cell.
namespace clockart {
constexpr int kKeyedGreenOn = 49;
constexpr int kKeyedGreenOff = 50;
constexpr int kKeyedAmberOn = 51;
constexpr int kKeyedAmberOff = 52;
constexpr int kKeyedBlueOn = 53;
constexpr int kKeyedBlueOff = 54;
constexpr int kKeyedRedOn = 55;
constexpr int kKeyedRedOff = 56;
constexpr int kSwitchOff = 67;  // 9 x 25, a clear bit
constexpr int kSwitchOn = 68;   // 9 x 24, a set bit
constexpr int kOpaqueGreenOff = 75;
constexpr int kOpaqueGreenOn = 76;
constexpr int kOpaqueAmberOff = 77;
constexpr int kOpaqueAmberOn = 78;
constexpr int kOpaqueBlueOff = 79;
constexpr int kOpaqueBlueOn = 80;
constexpr int kOpaqueRedOn = 88;
constexpr int kOpaqueRedOff = 89;
}  // namespace clockart

class TBinaryClock : public TCustomControl {
public:
    // Declares the control non-opaque (it does not cover its whole client area). Each of
    // the eighteen cell pictures is decoded the first time a paint or layout needs it and
    // then kept for the control's whole life: a clock holds only the pictures it has shown.
    explicit TBinaryClock(TComponent* owner);
    ~TBinaryClock() override;

    // Mode properties: plain integers, flags on when non-zero. Values at construction
    // in brackets.
    int32_t LedColor() const { return ledColor_; }                      // TLedColor [lcRed]
    int32_t ModeShape() const { return modeShape_; }                    // TLedShape [lsRound]
    int32_t ModeTransparentLed() const { return modeTransparentLed_; }  // keyed LEDs [1]
    int32_t Mode24() const { return mode24_; }            // 24-hour display, 0: 12-hour [1]
    int32_t ModeBcd() const { return modeBcd_; }          // standard formats in BCD [0]
    int32_t ModeBcdHide() const { return modeBcdHide_; }  // with ModeBcd: hide unused cells [1]
    int32_t ModeSecondsHide() const { return modeSecondsHide_; }  // no seconds cells [0]
    // Kept and repaints when set; painting always goes through an off-screen bitmap. [1]
    int32_t ModeDoubleBuffered() const { return modeDoubleBuffered_; }
    int32_t Type() const { return type_; }  // TClockType [ctLargeStandard]
    // The scale the control draws at, in percent of the design size [100].
    int32_t Scale() const { return scale_; }

    // Each setter stores the value as it is (no range check, no comparison with the old
    // value) and repaints the control at once.
    void SetLedColor(int32_t value);
    void SetModeShape(int32_t value);
    void SetModeTransparentLed(int32_t value);
    void SetMode24(int32_t value);
    void SetModeBcd(int32_t value);
    void SetModeBcdHide(int32_t value);
    void SetModeSecondsHide(int32_t value);
    void SetModeDoubleBuffered(int32_t value);
    void SetType(int32_t value);
    // Brought within 100..400; a new scale frees the pictures decoded for the old one.
    void SetScale(int32_t percent);

    // Reads the local time; when its seconds differ from those seen by the previous call,
    // remembers them, asks for a deferred repaint of the whole control and returns 1.
    // Otherwise returns 0. Only seconds are compared.
    int InvalidateIfTimeChanged();

    // The seconds value seen by the last InvalidateIfTimeChanged (0 at construction).
    int32_t LastSecond() const { return lastSecond_; }

    // The clock tick. Reads the wall clock; when the face shows other cells for that time
    // than it shows now (hours and minutes, and the seconds unless they are hidden), asks
    // for a deferred repaint of the cells that change, or of the whole control when what
    // it shows is not known (nothing painted yet, or a mode changed). Returns the
    // milliseconds from that reading to the next moment the face can change: the start
    // of the next second, or with the seconds hidden, of the next minute.
    int Tick();

    // The area taken by the cells that differ between the faces for two times, with the
    // present modes, in client coordinates: where a repaint must reach to turn the one
    // face into the other. Empty when the faces are alike.
    TRect ChangedArea(const std::tm& from, const std::tm& to) const;

    // Background-erase requests are answered as done without drawing (the picture beneath
    // must stay); every other message takes the inherited way.
    void Dispatch(TMessage& message) override;

    // Crop an art copy in place by painting its borders black (the key colour of the keyed
    // LEDs). Square: n = width / 4 rows and columns off every edge, leaving a centred
    // 10 x 10 square of an 18 x 18 picture. Rect: n = width / 6 off every edge, then
    // width / 3 rows off the top and bottom, leaving a centred 12 x 6 bar. Rows and
    // columns beyond the picture are left alone; a picture that is not 24-bit is made so.
    // Given the scale the picture was made for, the counts are those of its design width,
    // scaled: a scaled picture keeps the design's proportions (20 x 20 of 36 x 36).
    static void MakeSquareLed(TBitmap& art, int scalePercent = 100);
    static void MakeRectLed(TBitmap& art, int scalePercent = 100);

protected:
    // Without WS_CLIPCHILDREN and WS_CLIPSIBLINGS, with WS_EX_TRANSPARENT: the window is
    // painted after the ones beneath it, whose painting shows through.
    void CreateParams(TCreateParams& params) override;

    // Paints the current time: copies what lies beneath into an off-screen bitmap, picks,
    // crops and keys the art, lays out the cells for Type and blits the result. The time
    // is read once, at the start. Only the part of the control that the canvas may draw on
    // (its clip) is copied, drawn and blitted.
    void Paint() override;

    // A client-sized bitmap holding what the control's canvas shows now (the picture
    // beneath the control) within the canvas's clip, and its blit back onto the control's
    // canvas at (0, 0). The bitmap is kept from one paint to the next (made anew only when
    // the control's size changed), so a paint allocates nothing.
    std::unique_ptr<TBitmap> InitDoubleBuffer(TCanvas& canvas);
    void DoneDoubleBuffer(std::unique_ptr<TBitmap> buffer);

    // The stored on and off art for LedColor and ModeTransparentLed (decoded when first
    // asked for); both none for a colour outside lcRed..lcSwitch.
    void GetLEDs(TBitmap*& on, TBitmap*& off);
    // The slide-switch pictures (decoded when first asked for).
    void GetSwitches(TBitmap*& on, TBitmap*& off);

    // The standard layouts: two columns of four cells per unit, 18, 9 and 5 pixels.
    void PaintBig(TCanvas& canvas, TBitmap& on, TBitmap& off);
    void PaintSmall(TCanvas& canvas, TBitmap& on, TBitmap& off);
    void PaintTiny(TCanvas& canvas, TBitmap& on, TBitmap& off);
    // The horizontal layouts: one row of eight cells per unit, cells w x h, units
    // 8w + groupGap apart, cells w + cellGap apart.
    void PaintHoriz(TCanvas& canvas, int w, int h, int groupGap, int cellGap, TBitmap& on,
                    TBitmap& off);
    // One two-column block of a standard layout; unit 0 hours, 1 minutes, 2 seconds.
    void PaintBinary(TCanvas& canvas, int x, int y, int value, int columnWidth, int rowHeight,
                     TBitmap& on, TBitmap& off, int unit);
    // One row of eight cells of a horizontal layout.
    void PaintHBinary(TCanvas& canvas, int x, int y, int value, int w, int h, int cellGap,
                      TBitmap& on, TBitmap& off, int unit);
    // Called by every layout once the brush has the control's Color. It draws nothing: the
    // control has no background of its own, the picture beneath is its background.
    void PaintBackground();

private:
    // One cell of a face: the area its picture covers and whether it is lit.
    struct TCell {
        TRect Area;
        bool Lit;
    };
    static constexpr int kMaxCells = 48;
    // The cells a paint draws for a time with the present modes, in drawing order, of the
    // units in the mask (1 hours, 2 minutes, 4 seconds); returns how many (none for a
    // format or colour that draws no cells).
    int LayOut(const std::tm& time, TCell (&cells)[kMaxCells], unsigned units) const;
    // Changes the mode value at field and repaints; the face is then no longer known.
    void SetMode(int32_t& field, int32_t value);

    void StandardLayout(TCanvas& canvas, int cell, int unitStep, bool midnightIsTwelve, TBitmap& on,
                        TBitmap& off);
    // One cell, given in design coordinates: the picture at its own size at the scaled
    // cell's top-left corner when the cell is 18 tall, else stretched to the scaled cell.
    void DrawCell(TCanvas& canvas, const TRect& cell, TBitmap& art);
    // A design length or rectangle at the control's scale.
    int Scaled(int length) const;
    TRect Scaled(const TRect& designRect) const;

    // The picture in slot, decoded from picture number id at the control's scale when slot
    // is still empty.
    TBitmap& Art(TBitmap& slot, int id) const;

    // The cell pictures (opaque set, keyed set, switches) at the control's scale; empty
    // until first needed.
    struct TArtSet {
        TBitmap opaqueGreenOff, opaqueGreenOn, opaqueRedOff, opaqueRedOn;
        TBitmap opaqueBlueOff, opaqueBlueOn, opaqueAmberOff, opaqueAmberOn;
        TBitmap keyedGreenOff, keyedGreenOn, keyedRedOff, keyedRedOn;
        TBitmap keyedBlueOff, keyedBlueOn, keyedAmberOff, keyedAmberOn;
        TBitmap switchOff, switchOn;
    };
    mutable TArtSet art_;

    int32_t mode24_ = 1;
    int32_t modeBcd_ = 0;
    int32_t modeBcdHide_ = 1;
    int32_t modeShape_ = lsRound;
    int32_t modeTransparentLed_ = 1;
    int32_t modeDoubleBuffered_ = 1;
    int32_t modeSecondsHide_ = 0;
    int32_t type_ = ctLargeStandard;
    int32_t ledColor_ = lcRed;
    int32_t lastSecond_ = 0;
    int32_t scale_ = 100;

    // The time the paint under way shows.
    std::tm paintTime_{};
    // The time the whole face shows, when the paints so far made it show one time with the
    // present modes.
    std::tm face_{};
    bool faceKnown_ = false;
    // The off-screen bitmap, between paints.
    std::unique_ptr<TBitmap> buffer_;
};
