// TXServer (TXvfb): a private X server for tests, with an optional window manager.
//
// The server is Xvfb on the first free display number from 90 up, with one 24-bit
// screen and no TCP listener, and any further arguments the test gives it (-dpi 192). For
// tests that need monitors of their own (RandR 1.5 monitors with physical sizes, which
// Xvfb cannot take at run time), it is Xorg with the dummy video driver instead
// (TXServer::DummyXorg). Either reports the display it took on a pipe once it accepts
// connections (-displayfd), so starting it needs no polling; a display that is taken
// makes that server exit, and the next number is tried. The window manager is openbox with
// its built-in settings; it runs a startup command once it manages the screen, which
// tells the test that it is ready. Both are stopped when the object goes.
//
// Tests skip themselves when Xvfb is not installed (TXvfb::Installed()), unless the X
// tools are required (XToolsRequired(): scripts/test.sh installs them and sets
// ZT_REQUIRE_X_TOOLS=1); then a missing Xvfb or openbox fails the test instead.
#pragma once

#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <utility>
#include <vector>

extern char** environ;

namespace ztest {

// Whether Xvfb, openbox and xdotool must be there (ZT_REQUIRE_X_TOOLS set and not "0"):
// a test that misses one then fails rather than skips, so that a run that installed them
// cannot pass without running the tests that need them.
inline bool XToolsRequired() {
    const char* required = std::getenv("ZT_REQUIRE_X_TOOLS");
    return required != nullptr && required[0] != '\0' && std::string(required) != "0";
}

// Whether an executable of this name is on PATH.
inline bool ProgramOnPath(const std::string& name) {
    const char* path = std::getenv("PATH");
    std::string dirs = path ? path : "/usr/bin:/bin";
    size_t start = 0;
    while (start <= dirs.size()) {
        size_t end = dirs.find(':', start);
        if (end == std::string::npos) end = dirs.size();
        std::string dir = dirs.substr(start, end - start);
        if (!dir.empty() && access((dir + "/" + name).c_str(), X_OK) == 0) return true;
        start = end + 1;
    }
    return false;
}

// Reads one line from fd, waiting at most timeoutMs in all. Returns it without the newline;
// empty at the end of the input, on an error or when the time is up.
inline std::string ReadLineFrom(int fd, int timeoutMs) {
    using Clock = std::chrono::steady_clock;
    auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    std::string line;
    for (;;) {
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        if (left.count() <= 0) return {};
        pollfd p{fd, POLLIN, 0};
        int ready = poll(&p, 1, int(left.count()));
        if (ready < 0 && errno == EINTR) continue;
        if (ready <= 0) return {};
        char c = 0;
        ssize_t n = read(fd, &c, 1);
        if (n < 0 && (errno == EINTR || errno == EAGAIN)) continue;
        if (n <= 0) return {};
        if (c == '\n') return line;
        line += c;
    }
}

// A child process started from an argument vector, ended with SIGTERM (or the signal
// given) when it goes.
class TChildProcess {
public:
    TChildProcess() = default;
    // A process ended with stopSignal: SIGKILL for one that may not end on SIGTERM (fluxbox
    // can hang in its handler) and has nothing to save.
    explicit TChildProcess(int stopSignal) : stopSignal_(stopSignal) {}
    ~TChildProcess() { Stop(); }
    TChildProcess(TChildProcess&& o) noexcept
        : pid_(std::exchange(o.pid_, -1)), stopSignal_(o.stopSignal_) {}
    TChildProcess& operator=(TChildProcess&& o) noexcept {
        if (this != &o) {
            Stop();
            pid_ = std::exchange(o.pid_, -1);
            stopSignal_ = o.stopSignal_;
        }
        return *this;
    }

    // Starts argv[0], found on PATH, with its output thrown away (its stderr goes to the
    // file errorsPath instead, when given). extraEnv entries ("NAME=value") replace or add
    // to the environment; inheritFd stays open in the child.
    bool Start(const std::vector<std::string>& argv, const std::vector<std::string>& extraEnv = {},
               int inheritFd = -1, const std::string& errorsPath = {}) {
        Stop();
        std::vector<std::string> env;
        for (char** e = environ; *e; ++e) {
            std::string entry = *e;
            bool replaced = false;
            for (const std::string& extra : extraEnv)
                if (entry.compare(0, extra.find('=') + 1, extra, 0, extra.find('=') + 1) == 0)
                    replaced = true;
            if (!replaced) env.push_back(entry);
        }
        env.insert(env.end(), extraEnv.begin(), extraEnv.end());
        std::vector<char*> args, envp;
        for (const std::string& a : argv)
            args.push_back(const_cast<char*>(a.c_str()));
        args.push_back(nullptr);
        for (const std::string& e : env)
            envp.push_back(const_cast<char*>(e.c_str()));
        envp.push_back(nullptr);
        int devNull = open("/dev/null", O_RDWR | O_CLOEXEC);
        int errors = errorsPath.empty()
                         ? -1
                         : open(errorsPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
        pid_t pid = fork();
        if (pid == 0) {
            if (devNull >= 0) {
                dup2(devNull, STDIN_FILENO);
                dup2(devNull, STDOUT_FILENO);
                dup2(errors >= 0 ? errors : devNull, STDERR_FILENO);
            }
            if (inheritFd >= 0) fcntl(inheritFd, F_SETFD, 0);
            // The process must not outlive a test binary that crashes.
            prctl(PR_SET_PDEATHSIG, stopSignal_);
            execvpe(args[0], args.data(), envp.data());
            _exit(127);
        }
        if (devNull >= 0) close(devNull);
        if (errors >= 0) close(errors);
        if (pid < 0) return false;
        pid_ = pid;
        return true;
    }

    // Ends the process (with its stop signal, or the signal given) and waits for it.
    void Stop(int signal = 0) {
        if (pid_ <= 0) return;
        kill(pid_, signal ? signal : stopSignal_);
        int status = 0;
        while (waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
        }
        pid_ = -1;
    }

    pid_t Pid() const { return pid_; }

private:
    pid_t pid_ = -1;
    int stopSignal_ = SIGTERM;
};

class TXServer {
public:
    // Whether tests should start the server: Xvfb is installed, or it is required (the
    // constructor then reports it missing, Ok() is false, and the test fails).
    static bool Installed() { return ProgramOnPath("Xvfb") || XToolsRequired(); }

    // Starts Xvfb with a screen ("1024x768x24") and further arguments; Ok() tells whether
    // it runs, Error() why not.
    explicit TXServer(const std::string& screen = "1024x768x24", int timeoutMs = 20000,
                      const std::vector<std::string>& arguments = {}) {
        if (!Installed()) {
            error_ = "Xvfb is not installed";
            return;
        }
        std::vector<std::string> command = {"Xvfb", "-screen", "0", screen};
        command.insert(command.end(), arguments.begin(), arguments.end());
        Launch(command, timeoutMs);
    }

    // Xorg with the dummy video driver and the given device, monitor and screen sections
    // of its configuration. Needs root, as Xorg does.
    static std::unique_ptr<TXServer> DummyXorg(const std::string& configuration,
                                               int timeoutMs = 20000) {
        auto server = std::unique_ptr<TXServer>(new TXServer(TNoServer{}));
        if (!ProgramOnPath("Xorg")) {
            server->error_ = "Xorg is not installed";
            return server;
        }
        char dir[] = "/tmp/zt-xorg-XXXXXX";
        if (!mkdtemp(dir)) {
            server->error_ = "no folder for the Xorg configuration";
            return server;
        }
        server->folder_ = dir;
        const std::string config = server->folder_ + "/xorg.conf";
        if (FILE* file = std::fopen(config.c_str(), "w")) {
            std::fputs(configuration.c_str(), file);
            std::fclose(file);
        }
        server->Launch({"Xorg", "-config", config, "-logfile", server->folder_ + "/xorg.log",
                        "-novtswitch", "-sharevts"},
                       timeoutMs);
        return server;
    }

    ~TXServer() {
        windowManager_.Stop();
        server_.Stop();
        if (!folder_.empty()) {
            unlink((folder_ + "/xorg.conf").c_str());
            unlink((folder_ + "/xorg.log").c_str());
            unlink((folder_ + "/xorg.log.old").c_str());
            rmdir(folder_.c_str());
        }
    }
    TXServer(const TXServer&) = delete;
    TXServer& operator=(const TXServer&) = delete;

    bool Ok() const { return !display_.empty(); }
    const std::string& Error() const { return error_; }
    // The display name, like ":90".
    const std::string& Display() const { return display_; }

    // Starts openbox on the display and waits until it manages the screen. Returns false
    // when openbox is not installed or does not come up in time; when the X tools are
    // required, that is also recorded as a failure of the running test.
    bool StartWindowManager(int timeoutMs = 20000) {
        if (!Ok()) return false;
        if (!ProgramOnPath("openbox")) {
            if (XToolsRequired())
                ADD_FAILURE() << "openbox is not installed (ZT_REQUIRE_X_TOOLS is set)";
            return false;
        }
        char dir[] = "/tmp/zt-xvfb-XXXXXX";
        if (!mkdtemp(dir)) return false;
        // An empty configuration: the built-in settings, and no complaint about a missing
        // or broken file on the screen.
        std::string config = std::string(dir) + "/rc.xml";
        if (FILE* file = std::fopen(config.c_str(), "w")) {
            std::fputs(
                "<?xml version=\"1.0\"?>\n"
                "<openbox_config xmlns=\"http://openbox.org/3.4/rc\"/>\n",
                file);
            std::fclose(file);
        }
        std::string fifo = std::string(dir) + "/ready";
        bool ready = false;
        if (mkfifo(fifo.c_str(), 0600) == 0) {
            // Opened for writing too, so that reading waits for the line instead of seeing
            // the end of a pipe nobody has opened yet.
            int fd = open(fifo.c_str(), O_RDWR | O_NONBLOCK | O_CLOEXEC);
            if (fd >= 0) {
                ready = windowManager_.Start({"openbox", "--sm-disable", "--config-file", config,
                                              "--startup", "sh -c 'echo ready > " + fifo + "'"},
                                             {"DISPLAY=" + display_}) &&
                        ReadLineFrom(fd, timeoutMs) == "ready";
                close(fd);
            }
            unlink(fifo.c_str());
        }
        unlink(config.c_str());
        rmdir(dir);
        if (!ready) {
            windowManager_.Stop();
            if (XToolsRequired()) ADD_FAILURE() << "openbox did not start on " << display_;
        }
        return ready;
    }

    void StopWindowManager() { windowManager_.Stop(); }
    // Kills the server (and its window manager) as a crash would: its clients lose their
    // connections.
    void KillServer() {
        server_.Stop(SIGKILL);
        windowManager_.Stop();
    }

    // Ends the window manager and the server: the display goes away under its clients.
    void StopServer() {
        windowManager_.Stop();
        server_.Stop();
    }

private:
    struct TNoServer {};
    explicit TXServer(TNoServer) {}

    // Starts command (a server program and its arguments) on the first free display.
    void Launch(const std::vector<std::string>& command, int timeoutMs) {
        for (int number = 90; number < 190; ++number) {
            int fds[2];
            if (pipe2(fds, O_CLOEXEC) != 0) break;
            std::vector<std::string> argv = {command[0], ":" + std::to_string(number)};
            argv.insert(argv.end(), command.begin() + 1, command.end());
            for (const char* a : {"-nolisten", "tcp", "-noreset", "-displayfd"})
                argv.push_back(a);
            argv.push_back(std::to_string(fds[1]));
            TChildProcess server;
            bool started = server.Start(argv, {}, fds[1]);
            close(fds[1]);
            std::string reported = started ? ReadLineFrom(fds[0], timeoutMs) : std::string();
            close(fds[0]);
            if (!reported.empty()) {
                display_ = ":" + reported;
                server_ = std::move(server);
                return;
            }
        }
        error_ = command[0] + " did not start on any display from :90 to :189";
    }

    std::string folder_;  // of a configuration written for the server
    std::string display_;
    std::string error_;
    TChildProcess server_;
    TChildProcess windowManager_;
};

using TXvfb = TXServer;

}  // namespace ztest
