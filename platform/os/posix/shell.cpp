#include "platform/os/shell.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <strings.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "platform/os/module.h"
#include "platform/os/path.h"
#include "platform/os/posix/atomicfile.h"

namespace {
std::string& OpenCommand() {
    static std::string command;
    return command;
}

HINSTANCE Result(intptr_t code) {
    return reinterpret_cast<HINSTANCE>(code);
}

// "scheme:rest", as in http://..., mailto:...
bool IsUrl(const char* text) {
    if (!std::isalpha(static_cast<unsigned char>(text[0]))) return false;
    const char* p = text + 1;
    while (std::isalnum(static_cast<unsigned char>(*p)) || *p == '+' || *p == '-' || *p == '.')
        ++p;
    return *p == ':' && p - text >= 2;
}

// The program's full path: as given when it holds a '/', otherwise found in PATH.
std::string FindProgram(const std::string& name) {
    if (name.find('/') != std::string::npos) return name;
    const char* path = std::getenv("PATH");
    std::string dirs = path != nullptr ? path : "/usr/local/bin:/usr/bin:/bin";
    size_t start = 0;
    while (start <= dirs.size()) {
        size_t end = dirs.find(':', start);
        if (end == std::string::npos) end = dirs.size();
        std::string dir = dirs.substr(start, end - start);
        std::string candidate = JoinPath(dir.empty() ? std::string(".") : dir, name);
        if (access(candidate.c_str(), X_OK) == 0) return candidate;
        start = end + 1;
    }
    return {};
}

TCloseRangeCall& CloseRangeCall() {
    static TCloseRangeCall call = nullptr;
    return call;
}

int SystemCloseRange(unsigned first, unsigned last, int flags) {
    return ::close_range(first, last, flags);
}

// Marks descriptor fd close-on-exec (the only descriptor flag there is).
void SetCloseOnExec(int fd) {
    ::fcntl(fd, F_SETFD, FD_CLOEXEC);
}

// Marks every descriptor from 3 up close-on-exec, so that the opener inherits nothing of
// ours but its standard streams (the X connection, for one, is not close-on-exec). Runs in
// the forked child, so it only makes system calls. close_range does it in one call; a
// kernel without it (before 5.9) or without its CLOEXEC flag (before 5.11) refuses, and
// each descriptor that /proc lists is marked instead, or failing that every number up to
// the descriptor limit.
void CloseOnExecFromThree() {
    TCloseRangeCall call = CloseRangeCall() ? CloseRangeCall() : SystemCloseRange;
    if (call(3, ~0U, CLOSE_RANGE_CLOEXEC) == 0) return;
    const int listing = ::open("/proc/self/fd", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (listing >= 0) {
        alignas(dirent64) char buffer[4096];
        ssize_t got = 0;
        while ((got = ::getdents64(listing, buffer, sizeof buffer)) > 0) {
            for (ssize_t at = 0; at < got;) {
                const auto* entry = reinterpret_cast<const dirent64*>(buffer + at);
                at += entry->d_reclen;
                int fd = 0;
                const char* digit = entry->d_name;
                if (*digit == '\0') continue;
                for (; *digit >= '0' && *digit <= '9'; ++digit)
                    fd = fd * 10 + (*digit - '0');
                if (*digit == '\0' && fd >= 3 && fd != listing) SetCloseOnExec(fd);
            }
        }
        ::close(listing);
        if (got == 0) return;
    }
    rlimit limit{};
    rlim_t last = 1 << 20;
    if (::getrlimit(RLIMIT_NOFILE, &limit) == 0 && limit.rlim_cur < last) last = limit.rlim_cur;
    for (rlim_t fd = 3; fd < last; ++fd)
        SetCloseOnExec(int(fd));
}

[[noreturn]] void FailChild(int reportFd, int error) {
    ssize_t ignored = write(reportFd, &error, sizeof error);
    (void)ignored;
    _exit(127);
}
}  // namespace

void SetShellOpenCommand(std::string command) {
    OpenCommand() = std::move(command);
}

void SetCloseRangeCall(TCloseRangeCall call) {
    CloseRangeCall() = call;
}

HINSTANCE ShellExecuteA(HWND /*window*/, const char* operation, const char* file,
                        const char* /*parameters*/, const char* directory, int /*showCommand*/) {
    if (operation != nullptr && strcasecmp(operation, "open") != 0) return Result(SE_ERR_NOASSOC);
    if (file == nullptr || file[0] == '\0') return Result(SE_ERR_FNF);

    // The target: an existing path (made absolute, since the opener may run elsewhere) or
    // a URL.
    std::string target = file;
    struct stat st {};
    if (stat(file, &st) == 0) {
        if (file[0] != '/') {
            char cwd[4096];
            DWORD length = GetCurrentDirectoryA(sizeof cwd, cwd);
            if (length == 0 || length >= sizeof cwd) return Result(SE_ERR_FNF);
            target = JoinPath(cwd, file);
        }
    } else if (!IsUrl(file)) {
        return Result(SE_ERR_FNF);
    }
    const std::string program =
        FindProgram(OpenCommand().empty() ? std::string("xdg-open") : OpenCommand());
    if (program.empty()) return Result(SE_ERR_FNF);
    const std::string folder = directory != nullptr ? directory : "";

    // Everything the child needs is prepared before the fork.
    std::vector<char*> argv = {const_cast<char*>(program.c_str()),
                               const_cast<char*>(target.c_str()), nullptr};
    int report[2];
    if (pipe2(report, O_CLOEXEC) != 0) return Result(SE_ERR_OOM);
    TFileHandle reader(report[0]);
    TFileHandle writer(report[1]);

    pid_t child = fork();
    if (child < 0) return Result(SE_ERR_OOM);
    if (child == 0) {
        // The middle process only starts the opener and ends, so the opener is adopted
        // by init and never becomes a zombie of the caller.
        pid_t opener = fork();
        if (opener < 0) FailChild(writer.Get(), errno);
        if (opener > 0) _exit(0);
        setsid();
        sigset_t none;
        sigemptyset(&none);
        sigprocmask(SIG_SETMASK, &none, nullptr);
        CloseOnExecFromThree();
        if (!folder.empty() && chdir(folder.c_str()) != 0) FailChild(writer.Get(), errno);
        execv(argv[0], argv.data());
        FailChild(writer.Get(), errno);
    }
    writer.Close();
    int status = 0;
    while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    // The report pipe closes on a successful exec; otherwise it carries the errno.
    int error = 0;
    ssize_t got;
    while ((got = read(reader.Get(), &error, sizeof error)) < 0 && errno == EINTR) {
    }
    if (got == 0) return Result(33);
    if (error == EACCES || error == EPERM) return Result(SE_ERR_ACCESSDENIED);
    if (error == ENOMEM || error == EAGAIN) return Result(SE_ERR_OOM);
    return Result(SE_ERR_FNF);
}
