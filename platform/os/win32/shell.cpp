// The shell's "open" on Windows: ShellExecuteA itself. A test may name a program that is
// started instead, with the file as its one argument.
#include "platform/os/shell.h"

#include <cstdint>

#include "platform/os/cmdline.h"
#include "platform/os/win32/winsys.h"

namespace {
std::string& OpenCommand() {
    static std::string command;
    return command;
}
}  // namespace

HINSTANCE ShellExecuteA(HWND, const char* operation, const char* file, const char* parameters,
                        const char* directory, int showCommand) {
    if (file == nullptr) return reinterpret_cast<HINSTANCE>(intptr_t(SE_ERR_FNF));
    intptr_t result;
    if (OpenCommand().empty()) {
        result = winsys::OpenWithShell(operation, file, parameters, directory, showCommand);
    } else {
        if (operation != nullptr && std::string_view(operation) != "open")
            return reinterpret_cast<HINSTANCE>(intptr_t(SE_ERR_NOASSOC));
        const std::string argument = QuoteArgument(file);
        result = winsys::OpenWithShell("open", OpenCommand().c_str(), argument.c_str(), directory,
                                       showCommand);
    }
    return reinterpret_cast<HINSTANCE>(result);
}

void SetShellOpenCommand(std::string command) {
    OpenCommand() = std::move(command);
}
