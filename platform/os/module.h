// The running program's own file and the process's current folder.
#pragma once

#include "platform/os/wintypes.h"

// Copies the full path of the running program's executable (module null; other modules are
// not known and give 0) into buffer and returns its length. When the path does not fit,
// the buffer holds its first size - 1 characters and a terminator, and size is returned,
// so a result equal to size means "cut". 0 when the path cannot be read. When the program's
// file was replaced since it started, the path names the file there now; when it was
// removed and nothing took its place, the path is the one the system reports, ending in
// " (deleted)", and names no file: callers that hand the path on check that it exists.
DWORD GetModuleFileNameA(HMODULE module, char* buffer, DWORD size);

// Copies the current folder into buffer and returns its length. When it does not fit, the
// buffer is left alone and the size needed (terminator included) is returned. 0 when the
// folder cannot be read (for example, it was removed).
DWORD GetCurrentDirectoryA(DWORD size, char* buffer);
