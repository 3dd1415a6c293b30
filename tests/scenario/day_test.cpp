// The clock over time, in virtual time on the headless desktop: a whole day of ticking
// with the settings dialog used every hour and the window dragged every few minutes, the
// wall clock set back and forward and a daylight-saving change on the way; and the clock
// without seconds, which wakes once a minute.
//
// Each test runs in a time zone with daylight saving (Central European rules, written
// out so that no zone database is needed) and gives the wall clock in seconds since the
// epoch (SetWallTimeUtc), so the local time goes through the zone as on a real system.
#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <cstdlib>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "dialogs/fclockconfig.h"
#include "platform/gfx/bitmap.h"
#include "platform/gfx/region.h"
#include "platform/ui/winapi.h"
#include "tests/support/clock_fixture.h"
#include "tests/support/stored_settings.h"

namespace {

using ztest::Store;

constexpr int64_t kSecond = 1000;
constexpr int64_t kMinute = 60 * kSecond;
constexpr int64_t kHour = 60 * kMinute;

// 2026-03-28 12:00:00 CET (11:00 UTC): the next night the clocks go from 02:00 CET to
// 03:00 CEST (at 01:00 UTC).
constexpr std::time_t kSaturdayNoonUtc = 1774695600;
constexpr std::time_t kSpringChangeUtc = 1774746000;  // 2026-03-29 01:00:00 UTC
constexpr std::time_t kAutumnChangeUtc = 1792890000;  // 2026-10-25 01:00:00 UTC

// Central European Time with its daylight-saving rules.
constexpr const char* kBerlinRules = "CET-1CEST,M3.5.0,M10.5.0/3";

// Sets TZ for the life of the object, and puts the old one back.
class TTimeZone {
public:
    explicit TTimeZone(const char* tz) {
        if (const char* old = std::getenv("TZ")) old_ = old;
        setenv("TZ", tz, 1);
        tzset();
    }
    ~TTimeZone() {
        if (old_) {
            setenv("TZ", old_->c_str(), 1);
        } else {
            unsetenv("TZ");
        }
        tzset();
    }
    TTimeZone(const TTimeZone&) = delete;
    TTimeZone& operator=(const TTimeZone&) = delete;

private:
    std::optional<std::string> old_;
};

// The live objects of the program's kinds.
struct TLiveObjects {
    int64_t Bitmaps, Regions;
    size_t Windows, Timers;
    friend bool operator==(const TLiveObjects&, const TLiveObjects&) = default;
};

TLiveObjects LiveObjects() {
    return {TBitmap::LiveCount(), TRegion::LiveCount(), LiveWindowCount(), LiveTimerCount()};
}

std::ostream& operator<<(std::ostream& out, const TLiveObjects& o) {
    return out << o.Bitmaps << " bitmaps, " << o.Regions << " regions, " << o.Windows
               << " windows, " << o.Timers << " timers";
}

// A look chosen in the settings dialog.
struct TLook {
    int Type, Back, Color, Shape, Bcd;
};

uint64_t Fingerprint(const TBitmap& pixels) {
    uint64_t hash = 1469598103934665603ull;
    for (int y = 0; y < pixels.Height(); ++y)
        for (int x = 0; x < pixels.Width(); ++x)
            hash = (hash ^ uint64_t(pixels.Pixel(x, y))) * 1099511628211ull;
    return hash;
}

class ClockOverTime : public ztest::TClockFixture {
protected:
    // One paint of the clock: when (virtual milliseconds) and which local second it showed
    // (seconds counted as the local time's, from the epoch).
    struct TPaint {
        int64_t At;
        int64_t Shown;
        int IntoSecondMs;
    };

    TTimeZone zone{kBerlinRules};
    std::vector<TPaint> paints;
    int ticks = 0;
    bool recording = true;

    // Starts the clock at an instant (seconds since the epoch), counting its paints and its
    // ticks.
    void StartAt(std::time_t utc) {
        screen.SetWallTimeUtc(utc);
        Application->CreateForm(form);
        TWndMethod inherited = form->BinaryClock->WindowProc;
        form->BinaryClock->WindowProc = [this, inherited](TMessage& message) {
            inherited(message);
            if (message.Msg != WM_PAINT || !recording) return;
            int64_t ms = WallClockMs();
            paints.push_back(
                {app.Now(), FloorDiv(ms, kSecond), int(ms - FloorDiv(ms, kSecond) * kSecond)});
        };
        TNotifyEvent tick = form->TimerClock->OnTimer();
        form->TimerClock->SetOnTimer([this, tick](TObject* sender) {
            ++ticks;
            tick(sender);
        });
        form->Show();
        app.Run();
    }
    static int64_t FloorDiv(int64_t a, int64_t b) { return a >= 0 ? a / b : -((-a + b - 1) / b); }

    // The local time the face shows now, as hours and minutes.
    static std::pair<int, int> ShownHourMinute(const TPaint& p) {
        std::tm t = VirtualLocalTime(std::time_t(p.Shown));
        return {t.tm_hour, t.tm_min};
    }

    // Whether the window shows what a paint of the whole clock shows now.
    bool FaceIsRight() {
        uint64_t before = Fingerprint(Window().Pixels());
        recording = false;
        form->BinaryClock->Repaint();
        recording = true;
        return Fingerprint(Window().Pixels()) == before;
    }

    // A point of the clock face that the window shows (black is see-through with the
    // transparent background), on the screen.
    TPoint FacePoint() {
        TRect client = form->BinaryClock->ClientRect();
        for (int y = client.Top; y < client.Bottom; ++y)
            for (int x = client.Left; x < client.Right; ++x) {
                TPoint screenPoint = form->BinaryClock->ClientToScreen({x, y});
                TPoint inWindow{screenPoint.X - Window().Bounds().Left,
                                screenPoint.Y - Window().Bounds().Top};
                if (Window().Covers(inWindow)) return screenPoint;
            }
        ADD_FAILURE() << "no visible point on the clock face";
        return {};
    }

    // Schedules steps gap milliseconds apart from at on, each run by whichever loop waits
    // then (the main loop, the menu's or the dialog's), as input is.
    int64_t Steps(int64_t at, std::vector<std::function<void()>> steps, int64_t gap = 20) {
        for (auto& step : steps) {
            at += gap;
            screen.At(at, std::move(step));
        }
        return at;
    }

    // The clock face's dialog, while it is open.
    TFormClockConfig* OpenDialog() {
        for (int i = 0; i < form->ComponentCount(); ++i)
            if (auto* dialog = dynamic_cast<TFormClockConfig*>(form->Components(i));
                dialog && dialog->Visible())
                return dialog;
        return nullptr;
    }
    void ClickOn(TControl* control, TPoint at) {
        TPoint p = control->ClientToScreen(at);
        screen.Click(p.X, p.Y);
    }
    void ClickItem(TRadioGroup* group, int item) {
        TRect r = group->ItemRect(item);
        ClickOn(group, {r.Left + 6, (r.Top + r.Bottom) / 2});
    }
    void ClickBox(TCheckBox* box) { ClickOn(box, {6, box->Height() / 2}); }

    // Uses the Settings command as a user does: a right-click on the face, Settings from the
    // menu, the choices clicked in the dialog, Ok. Returns when the last step is scheduled.
    int64_t ChooseLook(int64_t at, const TLook& look, std::function<void()> whileOpen = {}) {
        static constexpr int kItemOfType[7] = {0, 1, 2, 4, 5, 6, 3};
        TPoint face = FacePoint();
        return Steps(at, {
                             [this, face] { screen.Click(face.X, face.Y, native::kRightButton); },
                             [this] {
                                 screen.PressKey(VK_DOWN);
                                 screen.PressKey(VK_RETURN, '\r');
                             },
                             [this, look, whileOpen] {
                                 TFormClockConfig* dialog = OpenDialog();
                                 ASSERT_NE(dialog, nullptr);
                                 if (whileOpen) whileOpen();
                                 if (dialog->CheckBoxBcd->Checked() != (look.Bcd != 0))
                                     ClickBox(dialog->CheckBoxBcd);
                             },
                             [this, look] {
                                 ClickItem(OpenDialog()->RadioGroupType, kItemOfType[look.Type]);
                             },
                             [this, look] { ClickItem(OpenDialog()->RadioGroupBack, look.Back); },
                             [this, look] { ClickItem(OpenDialog()->RadioGroupColor, look.Color); },
                             [this, look] { ClickItem(OpenDialog()->RadioGroupShape, look.Shape); },
                             [this] {
                                 TButton* ok = OpenDialog()->ButtonOk;
                                 ClickOn(ok, {ok->Width() / 2, ok->Height() / 2});
                             },
                         });
    }

    // Drags the window by its face, by (dx, dy).
    int64_t Drag(int64_t at, int dx, int dy) {
        TPoint p = FacePoint();
        return Steps(at, {
                             [this, p] { screen.MouseDown(p.X, p.Y); },
                             [this, p, dx, dy] { screen.MouseMove(p.X + dx / 2, p.Y + dy / 2); },
                             [this, p, dx, dy] { screen.MouseMove(p.X + dx, p.Y + dy); },
                             [this, p, dx, dy] { screen.MouseUp(p.X + dx, p.Y + dy); },
                         });
    }

    // Runs the virtual clock on to an instant.
    void RunTo(int64_t at) { app.Run(std::max<int64_t>(at - app.Now(), 0)); }
};

// Eight looks, each hour the next: every hour another format, background and colour.
constexpr std::array<TLook, 8> kLooks = {{
    {1, 1, 3, 0, 1},
    {3, 2, 1, 1, 0},
    {2, 3, 2, 2, 1},
    {6, 0, 0, 0, 0},
    {4, 1, 2, 2, 0},
    {0, 2, 3, 1, 0},
    {5, 3, 1, 0, 0},
    {0, 0, 0, 0, 1},
}};

TEST_F(ClockOverTime, ADayPaintsEverySecondOnceAndPilesNothingUp) {
    StartAt(kSaturdayNoonUtc);
    RunTo(5 * kSecond + 100);  // the greeting is gone: the clock shows
    paints.clear();
    const int64_t start = app.Now();

    // Saturday 12:00:05 CET. The wall clock is set back an hour after six hours (18:00 to
    // 17:00), so that nine hours later, at Sunday 02:00 CET, the zone goes on to 03:00
    // CEST; three hours after that the wall clock is set forward a day (Monday 06:00 CEST).
    // Both sets come half-way through a second. Each entry: when in virtual time, and the
    // local second the wall clock showed just after.
    struct TJump {
        int64_t At;
        int64_t NewShown;
    };
    std::vector<TJump> jumps;
    auto setWall = [&](int64_t at, int64_t deltaSeconds) {
        screen.At(at, [&, deltaSeconds] {
            std::time_t utc = screen.WallTime() + std::time_t(deltaSeconds);
            screen.SetWallTimeUtc(utc);
            jumps.push_back({app.Now(), FloorDiv(WallClockMs(), kSecond)});
        });
    };
    // The seconds begin at 0 ms of the virtual clock's seconds; after the first set, at 500.
    const int64_t hour6 = start + 6 * kHour - start % kSecond + 500;
    setWall(hour6, -3600);
    setWall(hour6 + 12 * kHour + 500, 86400);

    // Settings each hour, a drag every five minutes; the spans of time in which the settings
    // were applied, where extra paints of the same second are expected.
    struct TSpan {
        int64_t From, To;
    };
    std::vector<TSpan> busy;
    std::vector<TLiveObjects> live;
    std::vector<bool> faceRight;
    int dragsMissed = 0, facesWrong = 0;
    for (int hour = 0; hour < 24; ++hour) {
        const int64_t hourStart = start + hour * kHour;
        for (int minute = 2; minute < 60; minute += 5) {
            int64_t at = hourStart + minute * kMinute + 300;
            int dx = minute % 10 == 2 ? 12 : -12, dy = hour % 2 ? 7 : -7;
            screen.At(at, [&, at, dx, dy] {
                facesWrong += !FaceIsRight();
                TRect from = Window().Bounds();
                int64_t end = Drag(at, dx, dy);
                screen.At(end + 1, [&, from, dx, dy] {
                    dragsMissed += Window().Bounds() != from.Offset(dx, dy);
                });
            });
        }
        RunTo(hourStart + 1500);
        live.push_back(LiveObjects());
        faceRight.push_back(FaceIsRight());
        int64_t end = ChooseLook(app.Now(), kLooks[size_t(hour) % kLooks.size()]);
        busy.push_back({app.Now(), end + 300});
        RunTo(end + 300);
        ASSERT_EQ(OpenDialog(), nullptr) << "hour " << hour;
        ASSERT_EQ(form->Settings.Type, kLooks[size_t(hour) % kLooks.size()].Type)
            << "hour " << hour;
    }
    RunTo(start + 24 * kHour);
    live.push_back(LiveObjects());
    faceRight.push_back(FaceIsRight());

    EXPECT_EQ(dragsMissed, 0) << "drags that did not move the window";
    // The face was right before every drag (just after a new minute) and at every hour.
    EXPECT_EQ(facesWrong, 0);
    for (size_t i = 0; i < faceRight.size(); ++i)
        EXPECT_TRUE(faceRight[i]) << "hour " << i;
    // Nothing piles up: the third round of looks has the objects of the second, look by
    // look (the first round makes what is made once, on first use).
    for (size_t i = 2 * kLooks.size(); i <= 24; ++i)
        EXPECT_EQ(live[i], live[i - kLooks.size()])
            << "hour " << i << " against hour " << i - kLooks.size();

    // Every second painted once, each within a few milliseconds of its start, in order; a
    // second painted again only while the settings were applied (dragging paints nothing).
    ASSERT_EQ(jumps.size(), 2u);
    auto busyAt = [&](int64_t at) {
        for (const TSpan& s : busy)
            if (at >= s.From && at <= s.To) return true;
        return false;
    };
    const int64_t springChange = kSpringChangeUtc + 3600;  // 02:00:00 CET, local seconds
    size_t nextJump = 0;
    int repeated = 0, late = 0, wrong = 0, springForward = 0;
    for (size_t i = 1; i < paints.size(); ++i) {
        const TPaint &p = paints[i], &before = paints[i - 1];
        if (p.Shown == before.Shown) {
            if (!busyAt(p.At)) ++repeated;
            continue;
        }
        int64_t expected = before.Shown + 1;
        if (before.Shown < springChange && expected >= springChange) {
            expected += 3600;
            ++springForward;
        }
        if (nextJump < jumps.size() && p.At >= jumps[nextJump].At) {
            // The first paint after a set shows the second the new time has reached (the
            // set itself starts a second): at once when the face changed (an hour back),
            // else when its next second begins (a day forward).
            expected = jumps[nextJump].NewShown + (p.At - jumps[nextJump].At) / kSecond;
            ++nextJump;
        }
        if (p.Shown != expected) {
            if (wrong++ < 5)
                ADD_FAILURE() << "paint " << i << " at " << p.At << " showed " << p.Shown
                              << ", expected " << expected;
        } else if (p.IntoSecondMs > 10 && !busyAt(p.At)) {
            if (late++ < 5)
                ADD_FAILURE() << "paint " << i << " came " << p.IntoSecondMs
                              << " ms into its second";
        }
    }
    EXPECT_EQ(nextJump, jumps.size());
    EXPECT_EQ(springForward, 1) << "the day went through the change to summer time";
    EXPECT_EQ(repeated, 0);
    EXPECT_EQ(wrong, 0);
    EXPECT_EQ(late, 0);
    // And so over the whole day, from its first second to its last.
    ASSERT_FALSE(paints.empty());
    EXPECT_LT(paints.front().At, start + kSecond);
    EXPECT_GT(paints.back().At, start + 24 * kHour - kSecond);
    EXPECT_NEAR(double(ticks), 24 * 3600.0, 60.0);
}

// Without seconds ------------------------------------------------------------------------------

class ClockWithoutSeconds : public ClockOverTime {
protected:
    void SetUp() override { Store("secondshide", 1); }
};

TEST_F(ClockWithoutSeconds, WakesOnceAMinuteAndPaintsEachMinuteAtItsStart) {
    StartAt(kSaturdayNoonUtc + 17);  // 12:00:17 CET
    paints.clear();
    int ticksBefore = ticks;
    RunTo(kHour);
    // The minutes 12:01 to 13:00, each painted once, at its start.
    ASSERT_EQ(paints.size(), 60u);
    for (size_t i = 0; i < paints.size(); ++i) {
        auto [h, m] = ShownHourMinute(paints[i]);
        EXPECT_EQ(h * 60 + m, 12 * 60 + 1 + int(i)) << i;
        EXPECT_LE(paints[i].IntoSecondMs, 10) << i;
        EXPECT_EQ(paints[i].Shown % 60, 0) << i;
    }
    EXPECT_LE(ticks - ticksBefore, 61);
    EXPECT_TRUE(FaceIsRight());
}

TEST_F(ClockWithoutSeconds, ASettingsChangeActsWithinAQuarterSecond) {
    Store("hidetask", 0);
    StartAt(kSaturdayNoonUtc + 17);
    RunTo(30 * kSecond);  // asleep until the next minute
    ASSERT_TRUE(Window().TaskbarButton());
    int64_t shut = 0;
    int64_t end =
        ChooseLook(app.Now(), {0, 0, 3, 0, 1}, [&] { ClickBox(OpenDialog()->CheckBoxHideTask); });
    screen.At(end, [&] { shut = app.Now(); });
    RunTo(end + 1);
    EXPECT_EQ(form->Settings.HideTask, 1);
    RunTo(shut + 250);
    EXPECT_FALSE(Window().TaskbarButton());
    EXPECT_LT(app.Now(), 43 * kSecond) << "before the next minute";
}

TEST_F(ClockWithoutSeconds, AWallClockSetShowsAtOnceAndTheMinutesFollowTheNewTime) {
    StartAt(kSaturdayNoonUtc + 17);
    RunTo(20 * kSecond + 300);
    paints.clear();
    // Set to 15:30:40.
    std::time_t set = kSaturdayNoonUtc + 3 * 3600 + 30 * 60 + 40;
    screen.SetWallTimeUtc(set);
    int64_t setAt = app.Now();
    RunTo(setAt + 1);
    ASSERT_EQ(paints.size(), 1u) << "the face shows the new time at once";
    EXPECT_EQ(ShownHourMinute(paints[0]), (std::pair{15, 30}));
    EXPECT_TRUE(FaceIsRight());
    // The next minute comes at its start by the new time: 20 s later, not 40 s.
    RunTo(setAt + 20 * kSecond + 10);
    ASSERT_EQ(paints.size(), 2u);
    EXPECT_EQ(ShownHourMinute(paints[1]), (std::pair{15, 31}));
    EXPECT_LE(paints[1].IntoSecondMs, 10);
}

TEST_F(ClockWithoutSeconds, DaylightSavingChangesShowAtTheirMinute) {
    struct TCase {
        const char* Name;
        std::time_t Change;
        std::pair<int, int> Before, After;
    };
    for (const TCase& c : {TCase{"spring", kSpringChangeUtc, {1, 59}, {3, 0}},
                           TCase{"autumn", kAutumnChangeUtc, {2, 59}, {2, 0}}}) {
        SCOPED_TRACE(c.Name);
        DestroyApplicationForms();
        paints.clear();
        StartAt(c.Change - 30);
        int64_t started = app.Now();
        RunTo(started + 30 * kSecond + 20);
        ASSERT_FALSE(paints.empty());
        EXPECT_EQ(ShownHourMinute(paints.front()), c.Before);
        EXPECT_EQ(ShownHourMinute(paints.back()), c.After);
        EXPECT_LE(paints.back().IntoSecondMs, 10);
        EXPECT_TRUE(FaceIsRight());
    }
}

}  // namespace
