// TXorgDummy: a private X server whose screen can change size while clients run, for tests
// of what a program does when the monitors change.
//
// Xvfb cannot change its RandR layout at run time; Xorg with the dummy video driver can:
// "xrandr -s WxH" makes its one output (and the screen) that size and sends every client
// that asked for it an RRScreenChangeNotify, as a real desktop does when a monitor is
// unplugged or its mode changes. The server takes the first free display (it reports the
// number on a pipe once it accepts connections, -displayfd), with its
// configuration, log and the modes of a few common sizes in a folder of its own; it is
// stopped when the object goes. Xorg needs root for this; Installed() tells whether a test
// can have one.
#pragma once

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "tests/support/xvfb.h"

namespace ztest {

class TXorgDummy {
public:
    // Whether Xorg and its dummy driver are installed and the tests run as root; when the X
    // tools are required (XToolsRequired), a missing one is a failure of the test instead.
    static bool Installed() {
        return (ProgramOnPath("Xorg") && std::filesystem::exists(kDriver) && geteuid() == 0) ||
               XToolsRequired();
    }

    // Starts the server with a screen of width x height (one of the modes below).
    TXorgDummy(int width, int height, int timeoutMs = 20000) {
        if (!Installed() || !ProgramOnPath("Xorg") || !std::filesystem::exists(kDriver)) {
            error_ = "Xorg with the dummy driver (xserver-xorg-video-dummy) is not installed";
            return;
        }
        char dir[] = "/tmp/zt-xorg-XXXXXX";
        if (!mkdtemp(dir)) return;
        dir_ = dir;
        if (FILE* file = std::fopen((dir_ + "/xorg.conf").c_str(), "w")) {
            std::fprintf(file,
                         "Section \"Device\"\n  Identifier \"dummy\"\n  Driver \"dummy\"\n"
                         "  VideoRam 64000\nEndSection\n"
                         "Section \"Monitor\"\n  Identifier \"monitor\"\n"
                         "  HorizSync 5.0-1000.0\n  VertRefresh 5.0-200.0\nEndSection\n"
                         "Section \"Screen\"\n  Identifier \"screen\"\n  Device \"dummy\"\n"
                         "  Monitor \"monitor\"\n  DefaultDepth 24\n  SubSection \"Display\"\n"
                         "    Depth 24\n    Modes \"%dx%d\" \"1280x1024\" \"1024x768\" \"800x600\" "
                         "\"640x480\"\n"
                         "    Virtual 1920 1200\n  EndSubSection\nEndSection\n",
                         width, height);
            std::fclose(file);
        }
        int fds[2];
        if (pipe2(fds, O_CLOEXEC) != 0) return;
        bool started = server_.Start(
            {"Xorg", "-config", dir_ + "/xorg.conf", "-logfile", dir_ + "/log", "-noreset",
             "-nolisten", "tcp", "-novtswitch", "-sharevts", "-displayfd", std::to_string(fds[1])},
            {}, fds[1]);
        close(fds[1]);
        std::string reported = started ? ReadLineFrom(fds[0], timeoutMs) : std::string();
        close(fds[0]);
        if (reported.empty()) {
            error_ = "Xorg did not start (see " + dir_ + "/log)";
            server_.Stop();
            return;
        }
        display_ = ":" + reported;
    }

    ~TXorgDummy() {
        server_.Stop();
        // The folder stays when the server did not start: its log tells why.
        if (!dir_.empty() && Ok()) {
            std::error_code ignored;
            std::filesystem::remove_all(dir_, ignored);
        }
    }
    TXorgDummy(const TXorgDummy&) = delete;
    TXorgDummy& operator=(const TXorgDummy&) = delete;

    bool Ok() const { return !display_.empty(); }
    const std::string& Error() const { return error_; }
    const std::string& Display() const { return display_; }

    // Changes the screen's size as a change of monitors does; true when xrandr did it.
    bool SetSize(int width, int height) {
        const std::string command = "DISPLAY=" + display_ + " xrandr -s " + std::to_string(width) +
                                    "x" + std::to_string(height) + " >/dev/null 2>&1";
        return std::system(command.c_str()) == 0;
    }

private:
    static constexpr const char* kDriver = "/usr/lib/xorg/modules/drivers/dummy_drv.so";
    std::string dir_;
    std::string display_;
    std::string error_;
    TChildProcess server_;
};

}  // namespace ztest
