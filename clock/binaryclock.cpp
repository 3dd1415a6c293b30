#include "clock/binaryclock.h"

#include <algorithm>
#include <optional>

#include "art/clockart.h"
#include "platform/native/monitor.h"
#include "platform/os/wallclock.h"

namespace {

// Blackens rows [0, count) and [height - count, height) of a 24-bit picture, or columns
// when columns is set; indexes beyond the picture are skipped.
void BlackenEdges(TBitmap& art, int count, bool columns) {
    int w = art.Width(), h = art.Height();
    for (int i = 0; i < count; ++i) {
        if (columns) {
            for (int x : {i, w - 1 - i}) {
                if (x < 0 || x >= w) continue;
                for (int y = 0; y < h; ++y)
                    std::fill_n(art.ScanLine(y) + 3 * x, 3, uint8_t(0));
            }
        } else {
            for (int y : {i, h - 1 - i}) {
                if (y < 0 || y >= h) continue;
                std::fill_n(art.ScanLine(y), 3 * w, uint8_t(0));
            }
        }
    }
}

void Make24Bit(TBitmap& art) {
    if (art.PixelFormat() != pf24bit) art.SetPixelFormat(pf24bit);
}

// The design length that a length at a scale was made from (the scale is 100 or more, so
// the rounding of ScaleLength is undone exactly).
int DesignLength(int length, int scalePercent) {
    return int((int64_t(length) * 100 + scalePercent / 2) / scalePercent);
}

}  // namespace

TBinaryClock::TBinaryClock(TComponent* owner) : TCustomControl(owner) {
    RegisterClockArt();
    // The control leaves most of its area to the picture beneath it.
    controlStyle_ &= ~csOpaque;
}

TBinaryClock::~TBinaryClock() = default;

// Properties
// ---------------------------------------------------------------------------------------

void TBinaryClock::SetLedColor(int32_t value) {
    SetMode(ledColor_, value);
}

void TBinaryClock::SetModeShape(int32_t value) {
    SetMode(modeShape_, value);
}

void TBinaryClock::SetModeTransparentLed(int32_t value) {
    SetMode(modeTransparentLed_, value);
}

void TBinaryClock::SetMode24(int32_t value) {
    SetMode(mode24_, value);
}

void TBinaryClock::SetModeBcd(int32_t value) {
    SetMode(modeBcd_, value);
}

void TBinaryClock::SetModeBcdHide(int32_t value) {
    SetMode(modeBcdHide_, value);
}

void TBinaryClock::SetModeSecondsHide(int32_t value) {
    SetMode(modeSecondsHide_, value);
}

void TBinaryClock::SetModeDoubleBuffered(int32_t value) {
    SetMode(modeDoubleBuffered_, value);
}

void TBinaryClock::SetType(int32_t value) {
    SetMode(type_, value);
}

void TBinaryClock::SetScale(int32_t percent) {
    percent = std::clamp(percent, native::kMinScalePercent, native::kMaxScalePercent);
    // The pictures of another scale come from another set: those of the old one go.
    if (percent != scale_) art_ = TArtSet();
    SetMode(scale_, percent);
}

int TBinaryClock::Scaled(int length) const {
    return native::ScaleLength(length, scale_);
}

TRect TBinaryClock::Scaled(const TRect& r) const {
    return {Scaled(r.Left), Scaled(r.Top), Scaled(r.Right), Scaled(r.Bottom)};
}

void TBinaryClock::SetMode(int32_t& field, int32_t value) {
    field = value;
    faceKnown_ = false;
    Repaint();
}

int TBinaryClock::InvalidateIfTimeChanged() {
    int second = LocalTimeNow().tm_sec;
    if (second == lastSecond_) return 0;
    lastSecond_ = second;
    Invalidate();
    return 1;
}

int TBinaryClock::Tick() {
    // The milliseconds first, the time of day after: should a second begin between the
    // two readings, the face below is that of the later second, and the wait still ends
    // where it begins (at the start of the later second, plus whole seconds).
    const int64_t ms = WallClockMs();
    const std::tm now = LocalTimeNow();
    if (!faceKnown_) {
        Invalidate();
    } else if (TRect changed = ChangedArea(face_, now); !changed.IsEmpty()) {
        InvalidateRect(changed);
    }
    int wait = 1000 - int(((ms % 1000) + 1000) % 1000);
    if (modeSecondsHide_ != 0) wait += (59 - std::min(now.tm_sec, 59)) * 1000;
    return wait;
}

TRect TBinaryClock::ChangedArea(const std::tm& from, const std::tm& to) const {
    // Only the units whose numbers differ are laid out.
    unsigned units = (from.tm_hour != to.tm_hour ? 1u : 0u) | (from.tm_min != to.tm_min ? 2u : 0u) |
                     (from.tm_sec != to.tm_sec ? 4u : 0u);
    if (units == 0) return {};
    TCell a[kMaxCells], b[kMaxCells];
    int count = LayOut(from, a, units);
    LayOut(to, b, units);
    TRect area;
    for (int i = 0; i < count; ++i)
        if (a[i].Lit != b[i].Lit) area = area.Union(a[i].Area);
    return area;
}

int TBinaryClock::LayOut(const std::tm& time, TCell (&cells)[kMaxCells], unsigned units) const {
    TBitmap* on = nullptr;
    TBitmap* off = nullptr;
    const_cast<TBinaryClock*>(this)->GetLEDs(on, off);  // only looks the art up
    if (!on || !off) return 0;
    if (type_ == ctDipSwitch) const_cast<TBinaryClock*>(this)->GetSwitches(on, off);
    const bool bcd = modeBcd_ != 0;
    const bool hiding = bcd && modeBcdHide_ != 0;
    if (modeSecondsHide_ != 0) units &= 3u;
    int count = 0;
    // A cell 18 tall is drawn unscaled, at the size of its picture (a switch picture is
    // taller than the cell); any other is stretched to the cell. Positions are the design's,
    // scaled.
    const TSize art{std::max(on->Width(), off->Width()), std::max(on->Height(), off->Height())};
    auto add = [&](int left, int top, int w, int h, bool lit) {
        TRect area = Scaled(TRect{left, top, left + w, top + h});
        if (h == 18) area = TRect::FromSize(area.Left, area.Top, art.cx, art.cy);
        cells[count++] = {area, lit};
    };
    int hour = time.tm_hour;
    switch (type_) {
        case ctLargeStandard:
        case ctSmallStandard:
        case ctTinyStandard: {
            static constexpr int kCell[3] = {18, 9, 5};
            static constexpr int kUnitStep[3] = {46, 22, 12};
            const int cell = kCell[type_], step = kUnitStep[type_];
            if (mode24_ == 0) {
                if (hour > 12) hour -= 12;
                if (hour == 0 && type_ == ctLargeStandard) hour = 12;
            }
            const int values[3] = {hour, time.tm_min, time.tm_sec};
            for (int unit = 0; unit < 3; ++unit) {
                if (!(units & (1u << unit))) continue;
                for (int c = 0; c < 2; ++c)
                    for (int r = 0; r < 4; ++r) {
                        // As PaintBinary: hidden BCD cells are not drawn.
                        if (hiding && c == 0 && (r == 0 || (r == 1 && unit == 0))) continue;
                        const int value = values[unit];
                        const int digit = c == 0 ? value / 10 : value % 10;
                        const bool lit =
                            bcd ? (digit & (8 >> r)) != 0 : ((value >> (7 - (4 * c + r))) & 1) != 0;
                        add(unit * step + c * cell, r * cell, cell, cell, lit);
                    }
            }
            return count;
        }
        case ctLargeHoriz:
        case ctSmallHoriz:
        case ctTinyHoriz:
        case ctDipSwitch: {
            struct TRow {
                int W, H, GroupGap, CellGap;
            };
            static constexpr TRow kRows[4] = {
                {18, 18, 10, 0}, {9, 9, 4, 0}, {5, 5, 2, 0}, {9, 25, 23, 1}};
            const TRow& row = kRows[type_ - ctLargeHoriz];
            if (mode24_ == 0 && hour > 12) hour -= 12;
            const int values[3] = {hour, time.tm_min, time.tm_sec};
            for (int unit = 0; unit < 3; ++unit) {
                if (!(units & (1u << unit))) continue;
                for (int k = 0; k < 8; ++k) {
                    // As PaintHBinary: always binary; BCD hiding drops the first cell.
                    if (hiding && k == 0) continue;
                    add(unit * (8 * row.W + row.GroupGap) + k * (row.W + row.CellGap), 0, row.W,
                        row.H, ((values[unit] >> (7 - k)) & 1) != 0);
                }
            }
            return count;
        }
        default:
            return 0;
    }
}

// Window
// -------------------------------------------------------------------------------------------

void TBinaryClock::CreateParams(TCreateParams& params) {
    TCustomControl::CreateParams(params);
    params.Style &= ~(WS_CLIPCHILDREN | WS_CLIPSIBLINGS);
    params.ExStyle |= WS_EX_TRANSPARENT;
}

void TBinaryClock::Dispatch(TMessage& message) {
    if (message.Msg == WM_ERASEBKGND) {
        message.Result = 1;
        return;
    }
    TCustomControl::Dispatch(message);
}

// Painting
// -----------------------------------------------------------------------------------------

void TBinaryClock::Paint() {
    paintTime_ = LocalTimeNow();
    const TRect client = ClientRect();
    const TRect painted = Canvas().ClipRect().Intersect(client);
    std::unique_ptr<TBitmap> buffer = InitDoubleBuffer(Canvas());
    TCanvas& canvas = buffer->Canvas();

    TBitmap* on = nullptr;
    TBitmap* off = nullptr;
    GetLEDs(on, off);
    // A colour without art (outside lcRed..lcSwitch) draws no cells at all, in every
    // format: the control then shows only what lies beneath it.
    if (on && off) {
        // Square and rect LEDs are cut from copies, made and dropped within this paint.
        std::optional<TBitmap> onShaped, offShaped;
        if (modeShape_ == lsSquare || modeShape_ == lsRect) {
            onShaped.emplace(*on);
            offShaped.emplace(*off);
            if (modeShape_ == lsSquare) {
                MakeSquareLed(*onShaped, scale_);
                MakeSquareLed(*offShaped, scale_);
            } else {
                MakeRectLed(*onShaped, scale_);
                MakeRectLed(*offShaped, scale_);
            }
            on = &*onShaped;
            off = &*offShaped;
        }
        // Keyed LEDs leave out their black surround (the bottom-left pixel's colour). With
        // round LEDs this marks the stored keyed art itself, which is only ever drawn so.
        if (modeTransparentLed_ != 0 && ledColor_ != lcSwitch) {
            on->SetTransparent(true);
            off->SetTransparent(true);
        }
        switch (type_) {
            case ctLargeStandard:
                PaintBig(canvas, *on, *off);
                break;
            case ctSmallStandard:
                PaintSmall(canvas, *on, *off);
                break;
            case ctTinyStandard:
                PaintTiny(canvas, *on, *off);
                break;
            case ctLargeHoriz:
                PaintHoriz(canvas, 18, 18, 10, 0, *on, *off);
                break;
            case ctSmallHoriz:
                PaintHoriz(canvas, 9, 9, 4, 0, *on, *off);
                break;
            case ctTinyHoriz:
                PaintHoriz(canvas, 5, 5, 2, 0, *on, *off);
                break;
            // The switch format draws the switch pictures, uncropped and opaque, whatever
            // the colour, shape and keying say.
            case ctDipSwitch: {
                TBitmap* switchOn = nullptr;
                TBitmap* switchOff = nullptr;
                GetSwitches(switchOn, switchOff);
                PaintHoriz(canvas, 9, 25, 23, 1, *switchOn, *switchOff);
                break;
            }
            default:
                break;  // an unknown format draws no cells
        }
    }
    DoneDoubleBuffer(std::move(buffer));
    // What the whole face shows now: this paint's time when it reached every cell that
    // differs from what the face showed; else the face is a mix of two times.
    const TRect changed = faceKnown_ ? ChangedArea(face_, paintTime_) : client;
    faceKnown_ = changed.IsEmpty() || painted.Intersect(changed) == changed;
    if (faceKnown_) face_ = paintTime_;
}

std::unique_ptr<TBitmap> TBinaryClock::InitDoubleBuffer(TCanvas& canvas) {
    // The control never erases its background, and a paint pass repaints the windows
    // bottom-up: by the time Paint runs, the parent (its picture and its graphic controls)
    // has been painted afresh into the window's frame wherever this paint reaches, and the
    // control's canvas is mapped onto that frame. Copying the client rectangle from the
    // canvas therefore renders the parent's background into the buffer: the picture under
    // the control, with no cells of an earlier paint in the area being painted. Pixels
    // outside that area are not shown by this paint.
    // Only the canvas's clip is copied, drawn (the buffer's clip is set to it) and blitted.
    std::unique_ptr<TBitmap> buffer = std::move(buffer_);
    if (!buffer || buffer->Width() != ClientWidth() || buffer->Height() != ClientHeight())
        buffer = std::make_unique<TBitmap>(ClientWidth(), ClientHeight());
    TRect client = ClientRect();
    buffer->Canvas().SetClipRect(canvas.ClipRect().Intersect(client));
    buffer->Canvas().CopyRect(client, canvas, client);
    return buffer;
}

void TBinaryClock::DoneDoubleBuffer(std::unique_ptr<TBitmap> buffer) {
    if (!buffer) return;
    Canvas().Draw(0, 0, *buffer);
    buffer_ = std::move(buffer);
}

TBitmap& TBinaryClock::Art(TBitmap& slot, int id) const {
    if (slot.Empty()) slot = LoadClockArt(id, scale_);
    return slot;
}

void TBinaryClock::GetSwitches(TBitmap*& on, TBitmap*& off) {
    on = &Art(art_.switchOn, clockart::kSwitchOn);
    off = &Art(art_.switchOff, clockart::kSwitchOff);
}

void TBinaryClock::GetLEDs(TBitmap*& on, TBitmap*& off) {
    using namespace clockart;
    bool keyed = modeTransparentLed_ != 0;
    switch (ledColor_) {
        case lcRed:
            on = keyed ? &Art(art_.keyedRedOn, kKeyedRedOn) : &Art(art_.opaqueRedOn, kOpaqueRedOn);
            off = keyed ? &Art(art_.keyedRedOff, kKeyedRedOff)
                        : &Art(art_.opaqueRedOff, kOpaqueRedOff);
            break;
        case lcBlue:
            on = keyed ? &Art(art_.keyedBlueOn, kKeyedBlueOn)
                       : &Art(art_.opaqueBlueOn, kOpaqueBlueOn);
            off = keyed ? &Art(art_.keyedBlueOff, kKeyedBlueOff)
                        : &Art(art_.opaqueBlueOff, kOpaqueBlueOff);
            break;
        case lcAmber:
            on = keyed ? &Art(art_.keyedAmberOn, kKeyedAmberOn)
                       : &Art(art_.opaqueAmberOn, kOpaqueAmberOn);
            off = keyed ? &Art(art_.keyedAmberOff, kKeyedAmberOff)
                        : &Art(art_.opaqueAmberOff, kOpaqueAmberOff);
            break;
        case lcGreen:
            on = keyed ? &Art(art_.keyedGreenOn, kKeyedGreenOn)
                       : &Art(art_.opaqueGreenOn, kOpaqueGreenOn);
            off = keyed ? &Art(art_.keyedGreenOff, kKeyedGreenOff)
                        : &Art(art_.opaqueGreenOff, kOpaqueGreenOff);
            break;
        case lcSwitch:
            GetSwitches(on, off);
            break;
        default:
            on = nullptr;
            off = nullptr;
            break;
    }
}

void TBinaryClock::PaintBackground() {}

void TBinaryClock::PaintBig(TCanvas& canvas, TBitmap& on, TBitmap& off) {
    StandardLayout(canvas, 18, 46, true, on, off);
}

void TBinaryClock::PaintSmall(TCanvas& canvas, TBitmap& on, TBitmap& off) {
    StandardLayout(canvas, 9, 22, false, on, off);
}

void TBinaryClock::PaintTiny(TCanvas& canvas, TBitmap& on, TBitmap& off) {
    StandardLayout(canvas, 5, 12, false, on, off);
}

void TBinaryClock::StandardLayout(TCanvas& canvas, int cell, int unitStep, bool midnightIsTwelve,
                                  TBitmap& on, TBitmap& off) {
    canvas.Brush.Color = Color();
    PaintBackground();
    const std::tm& now = paintTime_;
    int hour = now.tm_hour;
    if (mode24_ == 0) {
        if (hour > 12) hour -= 12;
        if (hour == 0 && midnightIsTwelve) hour = 12;
    }
    PaintBinary(canvas, 0, 0, hour, cell, cell, on, off, 0);
    PaintBinary(canvas, unitStep, 0, now.tm_min, cell, cell, on, off, 1);
    if (modeSecondsHide_ == 0)
        PaintBinary(canvas, 2 * unitStep, 0, now.tm_sec, cell, cell, on, off, 2);
}

void TBinaryClock::PaintHoriz(TCanvas& canvas, int w, int h, int groupGap, int cellGap, TBitmap& on,
                              TBitmap& off) {
    canvas.Brush.Color = Color();
    PaintBackground();
    const std::tm& now = paintTime_;
    int hour = now.tm_hour;
    if (mode24_ == 0 && hour > 12) hour -= 12;
    PaintHBinary(canvas, 0, 0, hour, w, h, cellGap, on, off, 0);
    PaintHBinary(canvas, 8 * w + groupGap, 0, now.tm_min, w, h, cellGap, on, off, 1);
    if (modeSecondsHide_ == 0)
        PaintHBinary(canvas, 16 * w + 2 * groupGap, 0, now.tm_sec, w, h, cellGap, on, off, 2);
}

void TBinaryClock::PaintBinary(TCanvas& canvas, int x, int y, int value, int columnWidth,
                               int rowHeight, TBitmap& on, TBitmap& off, int unit) {
    bool hiding = modeBcd_ != 0 && modeBcdHide_ != 0;
    for (int c = 0; c < 2; ++c) {
        for (int r = 0; r < 4; ++r) {
            // The tens digit never needs weight 8 (nor 4 for hours): those cells are hidden.
            if (hiding && c == 0 && (r == 0 || (r == 1 && unit == 0))) continue;
            bool lit;
            if (modeBcd_ != 0) {
                int digit = c == 0 ? value / 10 : value % 10;
                lit = (digit & (8 >> r)) != 0;
            } else {
                lit = ((value >> (7 - (4 * c + r))) & 1) != 0;
            }
            int left = x + c * columnWidth, top = y + r * rowHeight;
            DrawCell(canvas, {left, top, left + columnWidth, top + rowHeight}, lit ? on : off);
        }
    }
}

void TBinaryClock::PaintHBinary(TCanvas& canvas, int x, int y, int value, int w, int h, int cellGap,
                                TBitmap& on, TBitmap& off, int /*unit*/) {
    bool hiding = modeBcd_ != 0 && modeBcdHide_ != 0;
    for (int k = 0; k < 8; ++k) {
        if (hiding && k == 0) continue;  // the leftmost cell of every group
        bool lit = ((value >> (7 - k)) & 1) != 0;
        int left = x + k * (w + cellGap);
        DrawCell(canvas, {left, y, left + w, y + h}, lit ? on : off);
    }
}

void TBinaryClock::DrawCell(TCanvas& canvas, const TRect& cell, TBitmap& art) {
    const TRect area = Scaled(cell);
    if (cell.Height() == 18) {
        canvas.Draw(area.Left, area.Top, art);
    } else {
        canvas.StretchDraw(area, art);
    }
}

// Cropping
// -----------------------------------------------------------------------------------------

void TBinaryClock::MakeSquareLed(TBitmap& art, int scalePercent) {
    Make24Bit(art);
    const int width = DesignLength(art.Width(), scalePercent);
    int n = native::ScaleLength(width / 4, scalePercent);
    BlackenEdges(art, n, false);
    BlackenEdges(art, n, true);
}

void TBinaryClock::MakeRectLed(TBitmap& art, int scalePercent) {
    Make24Bit(art);
    const int width = DesignLength(art.Width(), scalePercent);
    int n = native::ScaleLength(width / 6, scalePercent);
    BlackenEdges(art, n, false);
    BlackenEdges(art, n, true);
    // Both counts come from the width, also for the rows.
    BlackenEdges(art, native::ScaleLength(width / 3, scalePercent), false);
}
