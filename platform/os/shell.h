// Opening documents and web addresses with the user's preferred program.
#pragma once

#include <string>

#include "platform/os/wintypes.h"

// Result codes of ShellExecuteA; success is any value above 32.
constexpr int SE_ERR_FNF = 2;           // the file does not exist, or no opener program
constexpr int SE_ERR_ACCESSDENIED = 5;  // the opener program cannot be run
constexpr int SE_ERR_OOM = 8;           // no process could be started
constexpr int SE_ERR_NOASSOC = 31;      // a verb other than "open"

// Does the "open" verb (operation "open" or null) on file, a path or a URL: starts the
// desktop's opener (xdg-open) with file as its one argument, in folder directory when that
// is given, and returns at once without waiting for it. A relative path is taken from the
// current folder; a path that does not exist gives SE_ERR_FNF without starting anything.
// The opener runs as a separate process with an argument vector (never a shell command
// line) and is not a child of the caller, so it leaves no zombie. It inherits no
// descriptor of the caller's but standard input, output and error. window, parameters and
// showCommand are accepted and not used. Returns a value above 32 when the opener was
// started, otherwise one of the SE_ERR codes; read it as reinterpret_cast<intptr_t>.
HINSTANCE ShellExecuteA(HWND window, const char* operation, const char* file,
                        const char* parameters, const char* directory, int showCommand);

// Replaces the opener program (a path, or a name looked up in PATH) for tests; an empty
// command restores xdg-open.
void SetShellOpenCommand(std::string command);

// For tests: replaces the close_range call that marks the opener's inherited descriptors
// close-on-exec (for example by one that fails with ENOSYS, as on kernels before 5.9);
// null restores close_range. The opener then must still inherit nothing.
using TCloseRangeCall = int (*)(unsigned first, unsigned last, int flags);
void SetCloseRangeCall(TCloseRangeCall call);
