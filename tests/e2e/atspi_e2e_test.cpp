// Screen readers and the clock, end to end: a private session bus, the accessibility bus
// launcher (at-spi2-core) on a private Xvfb with openbox, the real clock, and a reader
// built on the library Orca reads the desktop with (atspi_reader.py beside this file). The
// reader finds the clock among the desktop's applications, reads its window's name (the
// time in words), hears it change and hears the window activated when it takes the
// keyboard; where accessibility is off the clock stays off the bus, it never starts the
// launcher itself, and it outlives the accessibility bus and joins the next one.
#ifdef ZT_HAVE_ATSPI

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "tests/support/x11_program.h"

namespace {

using ztest::WaitFor;
using namespace std::chrono_literals;
namespace fs = std::filesystem;

constexpr const char* kLauncher = "/usr/libexec/at-spi-bus-launcher";
// The system's own Python, which has the accessibility library (a Python of the user's
// choosing on PATH may not).
constexpr const char* kPython = "/usr/bin/python3";

using TLines = std::vector<std::vector<std::string>>;

// How far (seconds, either way) the time in words "13:47:05 — Wednesday 9 December 2026"
// is from now; -1 when text is not the time in words of today.
int SecondsFromNow(const std::string& text) {
    int hours = 0, minutes = 0, seconds = 0, day = 0, year = 0, used = 0;
    char weekday[32] = {}, month[32] = {};
    if (std::sscanf(text.c_str(), "%2d:%2d:%2d \u2014 %31s %d %31s %4d%n", &hours, &minutes,
                    &seconds, weekday, &day, month, &year, &used) != 7 ||
        size_t(used) != text.size())
        return -1;
    std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char date[64];
    std::strftime(date, sizeof date, "%A %B %Y", &local);
    if (std::string(weekday) + " " + month + " " + std::to_string(year) != date ||
        day != local.tm_mday)
        return -1;
    int shown = hours * 3600 + minutes * 60 + seconds;
    int actual = local.tm_hour * 3600 + local.tm_min * 60 + local.tm_sec;
    int off = std::abs(actual - shown) % 86400;
    return std::min(off, 86400 - off);
}

class ScreenReader : public ztest::TProgramFixture {
protected:
    std::string runtimeDir;
    std::string busAddress;
    ztest::TChildProcess sessionBus;
    ztest::TChildProcess launcher;

    void SetUp() override {
        bool haveTools =
            ztest::ProgramOnPath("dbus-daemon") && ztest::ProgramOnPath("dbus-send") &&
            access(kLauncher, X_OK) == 0 &&
            std::system((std::string(kPython) + " -c 'import pyatspi' 2>/dev/null").c_str()) == 0;
        if (!haveTools) {
            if (ztest::XToolsRequired())
                FAIL() << "dbus, at-spi2-core or python3-pyatspi is not installed "
                          "(ZT_REQUIRE_X_TOOLS is set)";
            GTEST_SKIP() << "dbus, at-spi2-core or python3-pyatspi is not installed";
        }
        ztest::TProgramFixture::SetUp();
        char dir[] = "/tmp/zt-a11y-XXXXXX";
        ASSERT_NE(mkdtemp(dir), nullptr);
        runtimeDir = dir;
    }
    void TearDown() override {
        clock.Stop();
        launcher.Stop();
        sessionBus.Stop();
        ztest::TProgramFixture::TearDown();
        if (!runtimeDir.empty()) fs::remove_all(runtimeDir);
    }

    // What the clock, the launcher and the reader run with: the display, the private
    // session bus, and a runtime folder of their own (where the accessibility bus's socket
    // goes).
    std::vector<std::string> Environment() const {
        return {"DISPLAY=" + x->Display(), "DBUS_SESSION_BUS_ADDRESS=" + busAddress,
                "XDG_RUNTIME_DIR=" + runtimeDir};
    }

    void StartSessionBus() {
        int fds[2];
        ASSERT_EQ(pipe2(fds, O_CLOEXEC), 0);
        bool started = sessionBus.Start({"dbus-daemon", "--session", "--nofork", "--nopidfile",
                                         "--print-address=" + std::to_string(fds[1])},
                                        {}, fds[1]);
        close(fds[1]);
        busAddress = started ? ztest::ReadLineFrom(fds[0], 20000) : std::string();
        close(fds[0]);
        ASSERT_FALSE(busAddress.empty()) << "the session bus did not start";
    }

    // Starts the launcher; immediately: with the accessibility bus at once (it then names it
    // on the root window), as on a desktop where accessibility is on.
    void StartLauncher(bool immediately) {
        std::vector<std::string> argv = {kLauncher};
        if (immediately) argv.push_back("--launch-immediately");
        ASSERT_TRUE(launcher.Start(argv, Environment()));
        if (immediately) {
            ASSERT_TRUE(WaitFor([&] { return !RootProperty("AT_SPI_BUS").empty(); }, 20000ms))
                << "the accessibility bus was not named on the root window";
        } else {
            ASSERT_TRUE(WaitFor([&] { return LauncherRuns(); }, 20000ms))
                << "the launcher did not start";
        }
    }

    std::string RootProperty(const char* name) {
        Atom type = 0;
        int format = 0;
        unsigned long count = 0, after = 0;
        unsigned char* data = nullptr;
        std::string value;
        if (XGetWindowProperty(display, DefaultRootWindow(display),
                               XInternAtom(display, name, False), 0, 1024, False, AnyPropertyType,
                               &type, &format, &count, &after, &data) == Success &&
            data && format == 8)
            value.assign(reinterpret_cast<char*>(data), count);
        if (data) XFree(data);
        return value;
    }

    // Runs a shell command in the environment above; returns what it printed.
    std::string Run(const std::string& command) {
        std::string line = "env";
        for (const std::string& e : Environment())
            line += " '" + e + "'";
        line += " " + command;
        std::string output;
        if (FILE* pipe = popen(line.c_str(), "r")) {
            char buffer[4096];
            size_t n = 0;
            while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0)
                output.append(buffer, n);
            pclose(pipe);
        }
        return output;
    }

    bool LauncherRuns() {
        return Run("dbus-send --session --print-reply --dest=org.freedesktop.DBus "
                   "/org/freedesktop/DBus "
                   "org.freedesktop.DBus.NameHasOwner string:org.a11y.Bus")
                   .find("boolean true") != std::string::npos;
    }

    // The reader's answer lines, split at tabs.
    TLines Reader(const std::string& arguments) {
        const std::string script = ZT_ATSPI_READER_PATH;
        std::istringstream output(
            Run(std::string(kPython) + " " + script + " " + arguments + " 2>&1"));
        TLines lines;
        for (std::string line; std::getline(output, line);) {
            std::vector<std::string> fields;
            std::istringstream split(line);
            for (std::string field; std::getline(split, field, '\t');)
                fields.push_back(field);
            lines.push_back(fields);
        }
        return lines;
    }
    static const std::vector<std::string>* LineOf(const TLines& lines, const std::string& key) {
        for (const auto& line : lines)
            if (!line.empty() && line[0] == key) return &line;
        return nullptr;
    }
    static std::string Dump(const TLines& lines) {
        std::string text;
        for (const auto& line : lines) {
            for (const std::string& field : line)
                text += field + " | ";
            text += "\n";
        }
        return text;
    }

    // The sockets the clock holds open.
    int ClockSockets() {
        int sockets = 0;
        const fs::path fds = "/proc/" + std::to_string(clock.Pid()) + "/fd";
        for (const auto& entry : fs::directory_iterator(fds)) {
            std::error_code error;
            if (fs::read_symlink(entry.path(), error).string().rfind("socket:", 0) == 0) ++sockets;
        }
        return sockets;
    }
};

TEST_F(ScreenReader, FindsTheClockReadsItsTimeInWordsAndHearsItChange) {
    StartSessionBus();
    StartLauncher(true);
    Start(Environment());
    const TRect bounds = Geometry(Find());

    TLines lines = Reader("read zentick");
    SCOPED_TRACE(Dump(lines));
    const auto* app = LineOf(lines, "app");
    ASSERT_NE(app, nullptr) << "the clock is not among the desktop's applications";
    EXPECT_EQ(*app, (std::vector<std::string>{"app", "zentick", "application", "1"}));
    const auto* window = LineOf(lines, "window");
    ASSERT_NE(window, nullptr);
    ASSERT_EQ(window->size(), 7u);
    EXPECT_EQ((*window)[1], "frame");
    int off = SecondsFromNow((*window)[2]);
    EXPECT_TRUE(off >= 0 && off <= 3) << "the name is not the time in words: " << (*window)[2];
    EXPECT_EQ((*window)[3], "Tarvo's Binary Clock");
    EXPECT_EQ((*window)[4], std::to_string(bounds.Left) + "," + std::to_string(bounds.Top) + "," +
                                std::to_string(bounds.Width()) + "," +
                                std::to_string(bounds.Height()));
    EXPECT_EQ((*window)[5], "0");
    EXPECT_NE((*window)[6].find("showing"), std::string::npos);
    EXPECT_NE((*window)[6].find("visible"), std::string::npos);
    const auto* event = LineOf(lines, "event");
    ASSERT_NE(event, nullptr) << "no name change was heard";
    EXPECT_NE((*event)[1], (*window)[2]);
    off = SecondsFromNow((*event)[1]);
    EXPECT_TRUE(off >= 0 && off <= 3) << (*event)[1];
}

TEST_F(ScreenReader, TheClockTakingTheKeyboardActivatesItsWindow) {
    StartSessionBus();
    StartLauncher(true);
    Start(Environment());
    Window clockWindow = Find();
    // The reader listens while the window manager gives the clock the keyboard, as when
    // the user switches to it.
    std::string command = "env";
    for (const std::string& e : Environment())
        command += " '" + e + "'";
    command += std::string(" ") + kPython + " " + ZT_ATSPI_READER_PATH + " activate zentick";
    FILE* reader = popen(command.c_str(), "r");
    ASSERT_NE(reader, nullptr);
    EXPECT_EQ(ztest::ReadLineFrom(fileno(reader), 20000), "listening");
    Xdotool("windowactivate " + std::to_string(clockWindow));
    const std::string heard = ztest::ReadLineFrom(fileno(reader), 15000);
    pclose(reader);
    // activated <name> <states>
    std::vector<std::string> fields;
    std::istringstream split(heard);
    for (std::string field; std::getline(split, field, '\t');)
        fields.push_back(field);
    ASSERT_EQ(fields.size(), 3u) << heard;
    EXPECT_EQ(fields[0], "activated");
    EXPECT_GE(SecondsFromNow(fields[1]), 0) << heard;
    EXPECT_NE(fields[2].find("active"), std::string::npos) << heard;
}

TEST_F(ScreenReader, TheClockJoinsTheDesktopWhenAScreenReaderIsSwitchedOn) {
    StartSessionBus();
    StartLauncher(false);
    Start(Environment());
    // Accessibility is off: the clock stays away (asking for the desktop starts the
    // accessibility bus, as an assistive technology would).
    TLines before = Reader("apps");
    EXPECT_EQ(LineOf(before, "app"), nullptr) << Dump(before);
    // A screen reader starting says so on the session bus.
    Run("dbus-send --session --print-reply --dest=org.a11y.Bus /org/a11y/bus "
        "org.freedesktop.DBus.Properties.Set string:org.a11y.Status string:ScreenReaderEnabled "
        "variant:boolean:true");
    TLines after = Reader("read zentick");
    SCOPED_TRACE(Dump(after));
    ASSERT_NE(LineOf(after, "app"), nullptr) << "the clock did not join the desktop";
    const auto* window = LineOf(after, "window");
    ASSERT_NE(window, nullptr);
    EXPECT_GE(SecondsFromNow((*window)[2]), 0) << (*window)[2];
}

TEST_F(ScreenReader, TheClockOutlivesItsAccessibilityBusAndJoinsTheNextOne) {
    StartSessionBus();
    StartLauncher(true);
    Start(Environment());
    ASSERT_NE(LineOf(Reader("read zentick"), "app"), nullptr);
    // The launcher ends, and its bus with it; another starts, and a screen reader turns
    // accessibility on.
    launcher.Stop();
    StartLauncher(false);
    Run("dbus-send --session --print-reply --dest=org.a11y.Bus /org/a11y/bus "
        "org.freedesktop.DBus.Properties.Set string:org.a11y.Status string:IsEnabled "
        "variant:boolean:true");
    TLines lines = Reader("read zentick");
    SCOPED_TRACE(Dump(lines));
    EXPECT_EQ(kill(clock.Pid(), 0), 0) << "the clock ended";
    ASSERT_NE(LineOf(lines, "app"), nullptr) << "the clock is not on the new bus";
    ASSERT_NE(LineOf(lines, "window"), nullptr);
    EXPECT_NE(LineOf(lines, "event"), nullptr);
}

TEST_F(ScreenReader, WithoutAccessibilityTheClockNeverStartsTheLauncher) {
    StartSessionBus();
    // Everything on the session bus, as it happens: the clock's question to the launcher,
    // and the bus's answer.
    FILE* monitor = popen(
        ("env 'DBUS_SESSION_BUS_ADDRESS=" + busAddress + "' dbus-monitor --session").c_str(), "r");
    ASSERT_NE(monitor, nullptr);
    Start(Environment());
    // The launcher could be started on demand (its service file is installed); asked
    // without starting it, the bus answers that nobody has the name.
    bool answered = false;
    for (std::string line; !answered;) {
        line = ztest::ReadLineFrom(fileno(monitor), 10000);
        if (line.empty()) break;
        answered =
            line.find("error_name=org.freedesktop.DBus.Error.NameHasNoOwner") != std::string::npos;
    }
    EXPECT_TRUE(answered) << "the clock did not ask the launcher, or asked it to start";
    EXPECT_FALSE(LauncherRuns());
    clock.Stop();
    sessionBus.Stop();  // ends the monitor
    pclose(monitor);
}

TEST_F(ScreenReader, WithNoBusAtAllTheClockOpensNothingButItsDisplay) {
    // No session bus, and none to be found in the runtime folder; no AT_SPI_BUS.
    busAddress.clear();
    Start(Environment());
    EXPECT_EQ(ClockSockets(), 1);
}

}  // namespace

#endif  // ZT_HAVE_ATSPI
