#include "app/fclock.h"

#include <algorithm>
#include <cstdlib>
#include <span>

#include "app/startdirectory.h"
#include "app/timetext.h"
#include "art/clockart.h"
#include "desktop/formutil.h"
#include "desktop/viewdoc.h"
#include "dialogs/faboutclock.h"
#include "dialogs/fclockconfig.h"
#include "dialogs/product.h"
#include "platform/native/monitor.h"
#include "platform/native/native.h"
#include "platform/os/shell.h"
#include "platform/os/wallclock.h"
#include "platform/ui/application.h"
#include "platform/ui/screen.h"
#include "platform/ui/winapi.h"
#include "settings/autoload.h"

// The stored region of the form's design-time picture (app/fclock_regiondata.bin).
extern const unsigned char kFclockRegionData[];
extern const unsigned long kFclockRegionDataSize;

namespace {

// Background pictures by format (rows) and background: flat black (also used by the
// transparent background), brushed aluminium, mahogany.
constexpr int kBackgrounds[7][3] = {
    {85, 62, 48}, {84, 61, 47}, {74, 58, 44}, {83, 60, 46},
    {82, 59, 45}, {73, 57, 43}, {66, 66, 66},
};

// The clock tick: the first comes a quarter second after creation (and after every
// change of settings and of the wall clock); each later one a little after the next
// change of the face.
constexpr unsigned kFirstTickMs = 250;
constexpr unsigned kTickAfterSecondMs = 5;

bool ValidType(int32_t type) {
    return type >= ctLargeStandard && type <= ctDipSwitch;
}

// The start-up panel and its labels as designed: the panel's bounds, the labels' places
// (and the width of the centred one). Their font is 8 points.
constexpr TRect kPanelBounds{4, 16, 4 + 142, 16 + 57};
constexpr TPoint kTitlePlace{24, 8};
constexpr TPoint kRightPlace{17, 40};
constexpr int kRightWidth = 107;
constexpr TPoint kLinkPlace{19, 22};
constexpr TPoint kClosePlace{130, 4};
constexpr int kLabelPoints = 8;
// How far the pointer may wander from a press on the picture before it drags the window.
constexpr int kDragTolerance = 5;

// The design length that a length at a scale was made from (the rounding of ScaleLength
// undone; exact for scales of 100 and more).
int DesignLength(int length, int scalePercent) {
    return int((int64_t(length) * 100 + scalePercent / 2) / scalePercent);
}

}  // namespace

const TForm1::TGeometry TForm1::kGeometry[7] = {
    {11, 9, 128, 72, 150, 90}, {6, 6, 64, 35, 76, 46},  {4, 4, 36, 20, 44, 28},
    {9, 6, 455, 20, 480, 32},  {6, 4, 225, 9, 235, 16}, {4, 2, 125, 5, 132, 9},
    {6, 8, 270, 25, 280, 41},
};

TForm1::TGeometry TForm1::ScaledGeometry(int32_t type, int scalePercent) {
    const TGeometry& g = kGeometry[ValidType(type) ? type : 0];
    auto scaled = [scalePercent](int length) { return native::ScaleLength(length, scalePercent); };
    return {scaled(g.ClockLeft),   scaled(g.ClockTop),    scaled(g.ClockWidth),
            scaled(g.ClockHeight), scaled(g.WindowWidth), scaled(g.WindowHeight)};
}

// Construction: the window as designed --------------------------------------------------------

TForm1::TForm1(TComponent* owner, TClockSettingsStore* store) : TForm(owner), store_(store) {
    if (!store_) {
        ownStore_ = std::make_unique<TRegistrySettingsStore>();
        store_ = ownStore_.get();
    }
    RegisterClockArt();
    SetName("Form1");
    // The window is shaped and sized by its pictures at its own scale (ApplySettings).
    SetScaled(false);
    SetBorderStyle(bsNone);
    SetText("Form1");
    SetBounds(Left(), Top(), 150, 90);
    SetColor(clBlack);
    // A gadget on the desktop: starting it leaves the keyboard where it is.
    SetShowWithoutActivating(true);
    Font().SetName("MS Sans Serif");
    Font().SetHeight(-11);
    // Visible by design: Application->Run shows the main form once it is set up.

    fcImageForm1 = new TfcImageForm(this);
    fcImageForm1->SetName("fcImageForm1");
    fcImageForm1->SetParent(this);
    {
        TBitmap design;
        design.LoadFromResourceID(85);
        fcImageForm1->SetPicture(&design);
    }
    fcImageForm1->SetDragTolerance(kDragTolerance);
    {
        // The region stored with the form: applied at once, as loading the form does.
        fcImageForm1->ReadRegionData(std::span(kFclockRegionData, kFclockRegionDataSize));
    }

    PanelStartup = new TPanel(this);
    PanelStartup->SetName("PanelStartup");
    PanelStartup->SetParent(this);
    PanelStartup->SetBounds(kPanelBounds.Left, kPanelBounds.Top, kPanelBounds.Width(),
                            kPanelBounds.Height());
    PanelStartup->SetColor(clBlack);
    PanelStartup->SetText("");

    LabelTitle = MakeLabel(kTitlePlace.X, kTitlePlace.Y, "Tarvo's Binary Clock", clWhite);
    LabelRight = MakeLabel(kRightPlace.X, kRightPlace.Y, "Right-Click for Settings", clWhite);
    LabelRight->SetAutoSize(false);
    LabelRight->SetWidth(kRightWidth);
    LabelRight->SetAlignment(taCenter);
    LabelLink = MakeLabel(kLinkPlace.X, kLinkPlace.Y, kProductAddress, clBlue);
    LabelLink->Font().SetStyle(fsUnderline);
    LabelLink->SetCursor(crHandPoint);
    LabelLink->OnClick = Method(this, &TForm1::LabelLinkClick);
    Label4 = MakeLabel(kClosePlace.X, kClosePlace.Y, "X", clWhite);
    Label4->SetAnchors(akTop | akRight);
    Label4->OnClick = Method(this, &TForm1::Label4Click);

    BinaryClock = new TBinaryClock(this);
    BinaryClock->SetName("BinaryClock");
    BinaryClock->SetParent(this);
    BinaryClock->SetBounds(11, 9, 128, 72);
    BinaryClock->SetModeTransparentLed(1);
    BinaryClock->SetMode24(1);
    BinaryClock->SetModeBcdHide(1);
    BinaryClock->SetModeDoubleBuffered(1);
    BinaryClock->OnMouseDown = Method(this, &TForm1::BinaryClockMouseDown);
    BinaryClock->OnMouseMove = Method(this, &TForm1::BinaryClockMouseMove);
    BinaryClock->OnMouseUp = Method(this, &TForm1::BinaryClockMouseUp);
    BinaryClock->OnClick = Method(this, &TForm1::BinaryClockClick);
    BinaryClock->OnContextPopup = Method(this, &TForm1::BinaryClockContextPopup);
    PanelStartup->OnContextPopup = Method(this, &TForm1::PanelStartupContextPopup);
    ClockTip = std::make_unique<TClockTip>(this, BinaryClock, [this] { return TimeText(); });
    OnKeyDown = Method(this, &TForm1::FormKeyDown);

    TimerClock = new TTimer(this);
    TimerClock->SetName("TimerClock");
    TimerClock->SetInterval(kFirstTickMs);
    TimerClock->SetOnTimer(Method(this, &TForm1::TimerClockTimer));

    PopupMenu1 = new TPopupMenu(this);
    PopupMenu1->SetName("PopupMenu1");
    Settings1 = AddMenuItem("Settings1", "&Settings", Method(this, &TForm1::Settings1Click));
    AddMenuItem("N1", "-", nullptr);
    UsersManual1 =
        AddMenuItem("UsersManual1", "&Users Manual", Method(this, &TForm1::UsersManual1Click));
    AddMenuItem("N2", "-", nullptr);
    About1 = AddMenuItem("About1", "&About", Method(this, &TForm1::About1Click));
    AddMenuItem("N3", "-", nullptr);
    Resume1 = AddMenuItem("Resume1", "&Resume", nullptr);
    Quit1 = AddMenuItem("Quit1", "&Quit", Method(this, &TForm1::Quit1Click));

    TimerStartup = new TTimer(this);
    TimerStartup->SetName("TimerStartup");
    TimerStartup->SetInterval(5000);
    TimerStartup->SetOnTimer(Method(this, &TForm1::TimerStartupTimer));

    OnCreate = Method(this, &TForm1::FormCreate);
    OnDestroy = Method(this, &TForm1::FormDestroy);
}

TForm1::~TForm1() = default;

TMenuItem* TForm1::AddMenuItem(const char* name, const char* caption, TNotifyEvent onClick) {
    auto* item = new TMenuItem(this);
    item->SetName(name);
    item->SetCaption(caption);
    item->OnClick = std::move(onClick);
    PopupMenu1->Items()->Add(item);
    return item;
}

TLabel* TForm1::MakeLabel(int left, int top, const char* caption, TColor color) {
    auto* label = new TLabel(this);
    label->SetParent(PanelStartup);
    label->SetColor(clBlack);
    label->Font().SetName("MS Sans Serif");
    label->Font().SetHeight(-11);
    label->Font().SetColor(color);
    label->SetBounds(left, top, label->Width(), label->Height());
    label->SetText(caption);
    return label;
}

void TForm1::CreateParams(TCreateParams& params) {
    TForm::CreateParams(params);
    params.Caption = kProgramName;
}

int TForm1::ScreenWidth() const {
    return Screen->Width();
}
int TForm1::ScreenHeight() const {
    return Screen->Height();
}

// Start-up and shutdown --------------------------------------------------------------------------

void TForm1::FormCreate(TObject*) {
    // Should the display go away, the window's last place and the settings are kept: the
    // file needs no display.
    native::SetConnectionLostHandler([this] { SaveSettings(); });
    store_->Load(Settings, *this);
    ApplySettings();
    if (Settings.Type == ctLargeStandard && Settings.SecondsHide == 0) {
        BinaryClock->Hide();
        PanelStartup->Show();
        PanelStartup->BringToFront();
    } else {
        PanelStartup->Hide();
    }
    BringOntoScreen();
    // Named before it is first shown: a screen reader never finds the window without its
    // time, even before the first tick.
    SetWindowAccessibleName(Handle(), TimeText());
}

void TForm1::BringOntoScreen() {
    // A minimised or maximised window is where the system keeps it.
    if (MinimizedOrMaximized()) return;
    const TRect bounds = BoundsRect();
    const TRect reachable = ReachableBounds(bounds, Screen->MonitorBounds());
    if (reachable != bounds)
        SetBounds(reachable.Left, reachable.Top, reachable.Width(), reachable.Height());
}

void TForm1::FormDestroy(TObject*) {
    native::SetConnectionLostHandler(nullptr);
    SaveSettings();
}

void TForm1::SaveSettings() {
    store_->Save(Settings, *this);
}

// Applying the settings
// ----------------------------------------------------------------------------

std::unique_ptr<TBitmap> TForm1::BackgroundBitmap(int32_t type, int32_t back, int scalePercent) {
    if (!ValidType(type) || back < cbFlatBlack || back > cbTransparent) return nullptr;
    int column = back == cbTransparent ? 0 : back;
    // Not cached: the image form copies the picture it is given, and a second copy kept
    // here would stay in memory for the life of the clock for the rare change of settings.
    return std::make_unique<TBitmap>(LoadClockArt(kBackgrounds[type][column], scalePercent));
}

std::unique_ptr<TBitmap> TForm1::SqueezeForHiddenSeconds(const TBitmap& picture, int32_t type,
                                                         int scalePercent) {
    static constexpr int kMargin[6] = {4, 3, 2, 3, 3, 1};
    int margin = type >= 0 && type < 6 ? kMargin[type] : 0;
    // The design's arithmetic on the design width, then scaled.
    const int width = (2 * DesignLength(picture.Width(), scalePercent)) / 3 + margin;
    auto squeezed =
        std::make_unique<TBitmap>(native::ScaleLength(width, scalePercent), picture.Height());
    squeezed->Canvas().StretchDraw({0, 0, squeezed->Width(), squeezed->Height()},
                                   const_cast<TBitmap&>(picture));
    return squeezed;
}

void TForm1::SetWindowTransparency(int32_t back) {
    HWND h = Handle();
    LONG exStyle = GetWindowLongA(h, GWL_EXSTYLE);
    if (back != cbTransparent) {
        SetWindowLongA(h, GWL_EXSTYLE, exStyle & ~LONG(WS_EX_LAYERED));
        return;
    }
    SetWindowLongA(h, GWL_EXSTYLE, exStyle | LONG(WS_EX_LAYERED));
    static const auto setLayered = reinterpret_cast<TSetLayeredWindowAttributes>(
        GetProcAddress(LoadLibraryA("user32"), "SetLayeredWindowAttributes"));
    if (setLayered) setLayered(h, RGB(0, 0, 0), 128, LWA_COLORKEY);
}

int TForm1::WantedScale() {
    if (int chosen = ChosenScale(Settings.Scale)) return chosen;
    return native::ScalePercentForPixelsPerInch(int(GetDpiForWindow(Handle())));
}

void TForm1::ScaleStartupPanel() {
    auto scaled = [this](int length) { return native::ScaleLength(length, scale_); };
    PanelStartup->SetBounds(scaled(kPanelBounds.Left), scaled(kPanelBounds.Top),
                            scaled(kPanelBounds.Width()), scaled(kPanelBounds.Height()));
    // The labels' text in points at the window's density: the scale's share of 96 dpi.
    const int pixelsPerInch = (96 * scale_ + 50) / 100;
    for (TLabel* label : {LabelTitle, LabelRight, LabelLink, Label4}) {
        label->Font().SetPixelsPerInch(pixelsPerInch);
        label->Font().SetSize(kLabelPoints);
    }
    LabelTitle->SetLeft(scaled(kTitlePlace.X));
    LabelTitle->SetTop(scaled(kTitlePlace.Y));
    LabelLink->SetLeft(scaled(kLinkPlace.X));
    LabelLink->SetTop(scaled(kLinkPlace.Y));
    Label4->SetLeft(scaled(kClosePlace.X));
    Label4->SetTop(scaled(kClosePlace.Y));
    // The width was designed for the classic dialog font; where the installed face needs
    // more room, the label grows about the same centre rather than cutting the text.
    int left = scaled(kRightPlace.X), width = scaled(kRightWidth);
    if (int need = LabelRight->Font().Face().TextWidth(LabelRight->Caption()); need > width) {
        left -= (need - width + 1) / 2;
        width = need;
    }
    LabelRight->SetBounds(left, scaled(kRightPlace.Y), width, LabelRight->Height());
}

void TForm1::ApplySettings() {
    applying_ = true;
    // A change of the stacking style makes the window anew, and the new window has no
    // region: the outline is kept to be given back when no picture below brings its own.
    std::unique_ptr<TRegion> outline;
    if (const TRegion* region = fcImageForm1->Region())
        outline = std::make_unique<TRegion>(*region);
    SetFormStyle(Settings.OnTop ? fsStayOnTop : fsNormal);
    scale_ = WantedScale();
    BinaryClock->SetScale(scale_);
    ScaleStartupPanel();
    // The pointer's tolerance before a press on the picture drags, as a length of the face.
    fcImageForm1->SetDragTolerance(native::ScaleLength(kDragTolerance, scale_));
    const std::unique_ptr<TBitmap> picture = BackgroundBitmap(Settings.Type, Settings.Back, scale_);
    BinaryClock->SetModeTransparentLed(Settings.Back != cbFlatBlack ? 1 : 0);
    SetWindowTransparency(Settings.Back);
    // A format or background outside the tables has no picture: the window then keeps
    // its picture, shape and size as they are, and only the clock's modes change.
    if (picture) {
        const TGeometry g = ScaledGeometry(Settings.Type, scale_);
        fcImageForm1->SetPicture(picture.get());
        BinaryClock->SetLeft(g.ClockLeft);
        BinaryClock->SetTop(g.ClockTop);
        BinaryClock->SetWidth(g.ClockWidth);
        BinaryClock->SetHeight(g.ClockHeight);
        SetWidth(g.WindowWidth);
        SetHeight(g.WindowHeight);
        if (Settings.SecondsHide != 0 && Settings.Type != ctDipSwitch &&
            Settings.Back != cbTransparent)
            fcImageForm1->SetPicture(
                SqueezeForHiddenSeconds(*picture, Settings.Type, scale_).get());
        fcImageForm1->RebuildRegion();
    } else if (outline && !fcImageForm1->Region()) {
        // Given back as a stored region block: its length, then its data.
        const std::vector<uint8_t> data = outline->GetRegionData();
        std::vector<uint8_t> block(4);
        for (int i = 0; i < 4; ++i)
            block[size_t(i)] = uint8_t(data.size() >> (8 * i));
        block.insert(block.end(), data.begin(), data.end());
        fcImageForm1->ReadRegionData(std::span<const uint8_t>(block));
    }
    BinaryClock->SetMode24(Settings.Hour24);
    BinaryClock->SetModeBcd(Settings.Bcd);
    BinaryClock->SetModeBcdHide(Settings.BcdHide);
    BinaryClock->SetModeSecondsHide(Settings.SecondsHide);
    BinaryClock->SetType(Settings.Type);
    BinaryClock->SetLedColor(Settings.Color);
    BinaryClock->SetModeShape(Settings.Shape);
    // No taskbar button from the first showing on, rather than from the first tick.
    if (Settings.HideTask != 0) ShowWindow(Application->Handle(), SW_HIDE);
    BinaryClock->Invalidate();
    BinaryClock->Repaint();
    fcImageForm1->Invalidate();
    fcImageForm1->Repaint();
    Repaint();
    // A tick within the first quarter second: a HideTask just switched on acts at once.
    TimerClock->SetInterval(kFirstTickMs);
    applying_ = false;
    applied_ = true;
}

// The tick and the start-up panel -----------------------------------------------------------------

void TForm1::TimerClockTimer(TObject*) {
    if (Settings.HideTask != 0) ShowWindow(Application->Handle(), SW_HIDE);
    SetWindowAccessibleName(Handle(), TimeText());
    // The next tick comes just after the face next changes: it then changes within a few
    // milliseconds of each second (or minute), and the program wakes once a second (or
    // once a minute) instead of four times a second. Waking up is most of what a clock
    // costs. Only the cells that change are repainted.
    TimerClock->SetInterval(unsigned(BinaryClock->Tick()) + kTickAfterSecondMs);
}

void TForm1::WMTimeChange(TMessage&) {
    // A tick sleeping towards the next minute would wake at the wrong moment of the new
    // time: it starts again.
    unsigned next = std::min(unsigned(BinaryClock->Tick()) + kTickAfterSecondMs, kFirstTickMs);
    TimerClock->SetEnabled(false);
    TimerClock->SetInterval(next);
    TimerClock->SetEnabled(true);
}

void TForm1::WMDpiChanged(TMessage& message) {
    // Before the settings are first applied the window is still being set up, and while
    // they are applied the scale is being chosen anyway.
    if (!applied_ || applying_) return;
    const int old = scale_, scale = WantedScale();
    if (scale == old) return;
    // The new size about the centre of the suggested rectangle, which lies on the monitor
    // the window came to.
    const TRect& suggested = *reinterpret_cast<const TRect*>(message.LParam);
    if (ValidType(Settings.Type)) {
        const TGeometry g = ScaledGeometry(Settings.Type, scale);
        SetBounds(suggested.Left + (suggested.Width() - g.WindowWidth) / 2,
                  suggested.Top + (suggested.Height() - g.WindowHeight) / 2, Width(), Height());
    }
    // A drag under way keeps the same point of the face under the pointer.
    DragStartX = int((int64_t(DragStartX) * scale + old / 2) / old);
    DragStartY = int((int64_t(DragStartY) * scale + old / 2) / old);
    ApplySettings();
}

void TForm1::WMDisplayChange(TMessage&) {
    BringOntoScreen();
}

void TForm1::Dispatch(TMessage& message) {
    if (message.Msg == WM_TIMECHANGE) WMTimeChange(message);
    if (message.Msg == WM_DPICHANGED) WMDpiChanged(message);
    if (message.Msg == WM_DISPLAYCHANGE) WMDisplayChange(message);
    TForm::Dispatch(message);
}

void TForm1::TimerStartupTimer(TObject*) {
    TimerStartup->SetEnabled(false);
    PanelStartup->Hide();
    BinaryClock->Show();
}

void TForm1::Label4Click(TObject* sender) {
    TimerStartupTimer(sender);
}

void TForm1::LabelLinkClick(TObject*) {
    ShellExecuteA(nullptr, "open", kProductUrl, nullptr, nullptr, SW_SHOWNORMAL);
}

// Dragging by the clock face ----------------------------------------------------------------------

void TForm1::BinaryClockMouseDown(TObject*, TMouseButton button, TShiftState, int x, int y) {
    ClockTip->Pressed();
    if (button != mbLeft) return;
    Dragging = true;
    DragMoved = false;
    DragStartX = x;
    DragStartY = y;
}

void TForm1::BinaryClockMouseMove(TObject*, TShiftState, int x, int y) {
    if (!Dragging) ClockTip->PointerMoved();
    if (!Dragging) return;
    if (std::abs(DragStartX - x) <= 1 && std::abs(DragStartY - y) <= 1) return;
    MoveWindow(Handle(), Left() + (x - DragStartX), Top() + (y - DragStartY), Width(), Height(),
               true);
    DragMoved = true;
}

void TForm1::BinaryClockMouseUp(TObject*, TMouseButton, TShiftState, int, int) {
    Dragging = false;
    if (DragMoved) SaveSettings();
    DragMoved = false;
}

// The popup menu and its commands
// --------------------------------------------------------------------

void TForm1::BinaryClockClick(TObject*) {
    if (DragMoved) return;
    TPoint pointer;
    GetCursorPos(&pointer);
    PopupMenu1->Popup(pointer.X, pointer.Y);
}

void TForm1::BinaryClockContextPopup(TObject*, TPoint mousePos, bool&) {
    TPoint at = BinaryClock->ClientToScreen(mousePos);
    PopupMenu1->Popup(at.X, at.Y);
}

void TForm1::PanelStartupContextPopup(TObject*, TPoint mousePos, bool&) {
    TPoint at = PanelStartup->ClientToScreen(mousePos);
    PopupMenu1->Popup(at.X, at.Y);
}

void TForm1::FillSettingsDialog(TFormClockConfig& dialog) const {
    // The move-around box stays hidden; its value passes through the dialog unchanged.
    dialog.CheckBoxMoveAround->Hide();
    dialog.CheckBoxMoveAround->SetChecked(Settings.MoveAround != 0);
    dialog.CheckBox24Hour->SetChecked(Settings.Hour24 != 0);
    dialog.CheckBoxBcd->SetChecked(Settings.Bcd != 0);
    dialog.CheckBoxBcdHide->SetChecked(Settings.BcdHide != 0);
    dialog.CheckBoxSecondsHide->SetChecked(Settings.SecondsHide != 0);
    dialog.CheckBoxAutoLoad->SetChecked(Settings.AutoLoad != 0);
    dialog.CheckBoxOnTop->SetChecked(Settings.OnTop != 0);
    dialog.CheckBoxHideTask->SetChecked(Settings.HideTask != 0);
    dialog.SelectType(Settings.Type);
    dialog.RadioGroupBack->SetItemIndex(Settings.Back);
    dialog.RadioGroupColor->SetItemIndex(Settings.Color);
    dialog.RadioGroupShape->SetItemIndex(Settings.Shape);
    dialog.SelectScale(ChosenScale(Settings.Scale));
}

void TForm1::ReadSettingsDialog(const TFormClockConfig& dialog) {
    auto flag = [](const TCheckBox* box) { return int32_t(box->Checked() ? 1 : 0); };
    Settings.MoveAround = flag(dialog.CheckBoxMoveAround);
    Settings.Hour24 = flag(dialog.CheckBox24Hour);
    Settings.Bcd = flag(dialog.CheckBoxBcd);
    Settings.BcdHide = flag(dialog.CheckBoxBcdHide);
    Settings.SecondsHide = flag(dialog.CheckBoxSecondsHide);
    Settings.AutoLoad = flag(dialog.CheckBoxAutoLoad);
    Settings.OnTop = flag(dialog.CheckBoxOnTop);
    Settings.HideTask = flag(dialog.CheckBoxHideTask);
    Settings.Type = dialog.GetSelectedType();
    Settings.Back = dialog.RadioGroupBack->ItemIndex();
    Settings.Color = dialog.RadioGroupColor->ItemIndex();
    Settings.Shape = dialog.RadioGroupShape->ItemIndex();
    // A stored size that no item offers stays until another is chosen.
    if (int scale = dialog.GetSelectedScale(); scale >= 0) Settings.Scale = scale;
}

void TForm1::Settings1Click(TObject*) {
    {
        TScopedObject<TFormClockConfig> dialog(New<TFormClockConfig>(this));
        FillSettingsDialog(*dialog);
        PlaceDialog(this, dialog.Get());
        if (dialog->ShowModal() == mrOk) ReadSettingsDialog(*dialog);
    }
    // Also after Cancel: the settings are applied, the Run entry written or removed, and
    // everything saved again (the window's position included).
    ApplySettings();
    SetAutoLoad(Settings.AutoLoad, "QVZentick");
    SaveSettings();
}

void TForm1::UsersManual1Click(TObject*) {
    ViewDoc("zentick", StartDirectory, 0);
}

void TForm1::About1Click(TObject*) {
    TScopedObject<TFormAboutClock> about(New<TFormAboutClock>(this));
    PlaceDialog(this, about.Get());
    about->ShowModal();
}

void TForm1::Quit1Click(TObject*) {
    Close();
}

void TForm1::FormKeyDown(TObject*, uint16_t& key, TShiftState shift) {
    bool menuKey =
        key == VK_APPS || key == VK_RETURN || (key == VK_F10 && !(shift & (ssCtrl | ssAlt)));
    if (!menuKey || (shift & ssCtrl)) return;
    key = 0;
    ClockTip->Hide();
    TPoint corner = ClientToScreen({0, 0});
    PopupMenu1->Popup(corner.X, corner.Y);
}

std::string TForm1::TimeText() const {
    return TimeInWords(LocalTimeNow(), Settings.Hour24 != 0);
}
