#include "platform/os/posix/autostart.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/os/cmdline.h"
#include "platform/os/path.h"
#include "platform/os/posix/atomicfile.h"
#include "platform/os/posix/configdir.h"
#include "platform/os/posix/desktopentry.h"
#include "platform/os/posix/regfile.h"
#include "platform/os/posix/report.h"

namespace {
constexpr std::string_view kSuffix = ".desktop";
constexpr std::string_view kCommandLineKey = "X-Zentick-CommandLine";

bool IsUsableName(std::string_view name) {
    return !name.empty() && name != "." && name != ".." &&
           name.find_first_of(std::string_view("/\r\n\0", 4)) == std::string_view::npos;
}

// The existing entry file for a value name: the exact name first, otherwise one whose
// name differs only in case. Empty when there is none.
std::string FindEntryFile(const std::string& dir, std::string_view name) {
    const std::string exact = std::string(name) + std::string(kSuffix);
    if (access(JoinPath(dir, exact).c_str(), F_OK) == 0) return exact;
    DIR* listing = opendir(dir.c_str());
    if (listing == nullptr) return {};
    std::string found;
    while (dirent* entry = readdir(listing)) {
        std::string_view file(entry->d_name);
        if (file.size() == exact.size() && SameRegName(file, exact)) {
            found = file;
            break;
        }
    }
    closedir(listing);
    return found;
}

// The lock that orders changes to entries; it lives in the program's own folder so that
// the autostart folder holds nothing but entries. Sets path, or returns the failure.
LONG LockPath(std::string& path) {
    auto dir = ProgramConfigDir();
    if (!dir) return ERROR_PATH_NOT_FOUND;
    if (int error = MakeDirectories(*dir)) return ErrorFromErrno(error);
    path = *dir + "/autostart.lock";
    return ERROR_SUCCESS;
}
}  // namespace

std::optional<std::string> AutostartDir() {
    auto home = UserConfigHome();
    if (!home) return std::nullopt;
    return *home + "/autostart";
}

LONG ReadRunValue(std::string_view name, std::string& commandLine) {
    auto dir = AutostartDir();
    if (!IsUsableName(name) || !dir) return ERROR_FILE_NOT_FOUND;
    std::string file = FindEntryFile(*dir, name);
    if (file.empty()) return ERROR_FILE_NOT_FOUND;
    int error = 0;
    std::optional<std::string> text = ReadWholeFile(JoinPath(*dir, file), error);
    if (!text) return error == ENOENT ? ERROR_FILE_NOT_FOUND : ErrorFromErrno(error);

    auto keys = ReadDesktopEntry(*text);
    auto exec = keys.find("Exec");
    if (exec == keys.end()) return ERROR_FILE_NOT_FOUND;
    auto arguments = ParseExecValue(exec->second);
    if (!arguments || arguments->empty()) return ERROR_FILE_NOT_FOUND;

    auto written = keys.find(std::string(kCommandLineKey));
    if (written != keys.end()) {
        std::string original = UnescapeDesktopValue(written->second);
        if (SplitCommandLine(original) == *arguments) {
            commandLine = original;
            return ERROR_SUCCESS;
        }
    }
    commandLine = JoinCommandLine(*arguments);
    return ERROR_SUCCESS;
}

LONG WriteRunValue(std::string_view name, std::string_view commandLine) {
    if (!IsUsableName(name)) return ERROR_INVALID_PARAMETER;
    std::vector<std::string> arguments = SplitCommandLine(commandLine);
    if (arguments.empty() || arguments.front().empty()) return ERROR_INVALID_PARAMETER;
    auto dir = AutostartDir();
    const std::string entry =
        JoinPath(dir ? *dir : std::string("autostart"), std::string(name) + std::string(kSuffix));
    auto fail = [&](const std::string& why, LONG error) {
        ReportProblem(TFileTask::Autostart,
                      "cannot write the entry that starts the clock at "
                      "log-on, " +
                          entry + ": " + why);
        return error;
    };
    if (!IsValidUtf8(commandLine)) {
        return fail(
            "the command line \"" + ShowUtf8(commandLine) +
                "\" is not UTF-8 text, which a desktop entry must be; the entry is left as it was",
            ERROR_NO_UNICODE_TRANSLATION);
    }
    std::string lockPath;
    if (!dir)
        return fail("neither XDG_CONFIG_HOME nor HOME is an absolute path", ERROR_PATH_NOT_FOUND);
    if (LONG error = LockPath(lockPath)) return fail("cannot make the settings folder", error);
    if (int error = MakeDirectories(*dir)) return fail(ReasonOf(error), ErrorFromErrno(error));

    std::string text = "[Desktop Entry]\n";
    text += "Type=Application\n";
    text += "Name=Tarvo's Binary Clock\n";
    text += "Exec=" + ExecValue(arguments) + "\n";
    text += std::string(kCommandLineKey) + "=" + EscapeDesktopValue(commandLine) + "\n";

    TFileLock lock(lockPath);
    if (!lock.Locked())
        return fail("cannot lock " + lockPath + ": " + ReasonOf(lock.Error()),
                    ErrorFromErrno(lock.Error()));
    std::string file = FindEntryFile(*dir, name);
    if (file.empty()) file = std::string(name) + std::string(kSuffix);
    if (int error = WriteFileAtomic(JoinPath(*dir, file), text, 0644))
        return fail(ReasonOf(error), ErrorFromErrno(error));
    ReportSuccess(TFileTask::Autostart);
    return ERROR_SUCCESS;
}

LONG DeleteRunValue(std::string_view name) {
    auto dir = AutostartDir();
    if (!IsUsableName(name) || !dir) return ERROR_FILE_NOT_FOUND;
    if (FindEntryFile(*dir, name).empty()) return ERROR_FILE_NOT_FOUND;
    auto fail = [&](const std::string& entry, const std::string& why, LONG error) {
        ReportProblem(
            TFileTask::Autostart,
            "cannot remove the entry that starts the clock at log-on, " + entry + ": " + why);
        return error;
    };
    std::string lockPath;
    if (LONG error = LockPath(lockPath))
        return fail(*dir, "cannot make the settings folder", error);
    TFileLock lock(lockPath);
    if (!lock.Locked()) {
        return fail(*dir, "cannot lock " + lockPath + ": " + ReasonOf(lock.Error()),
                    ErrorFromErrno(lock.Error()));
    }
    std::string file = FindEntryFile(*dir, name);
    if (file.empty()) return ERROR_FILE_NOT_FOUND;
    const std::string entry = JoinPath(*dir, file);
    // Only an entry file is removed: a folder, FIFO or device of that name stays.
    struct stat st {};
    if (stat(entry.c_str(), &st) == 0 && !S_ISREG(st.st_mode)) {
        const int error = S_ISDIR(st.st_mode) ? EISDIR : kNotRegularFile;
        return fail(entry, ReasonOf(error), ErrorFromErrno(error));
    }
    if (unlink(entry.c_str()) != 0) {
        if (errno == ENOENT) return ERROR_FILE_NOT_FOUND;
        const int error = errno;
        return fail(entry, ReasonOf(error), ErrorFromErrno(error));
    }
    ReportSuccess(TFileTask::Autostart);
    return ERROR_SUCCESS;
}
