// Where a program keeps what it needs to carry on after it ended: journals of unfinished
// saves, edits kept when it had to end (the XDG state folder on Linux, the local
// application data folder on Windows).
#pragma once

#include <string>

// The folder for a program's state: ${XDG_STATE_HOME:-$HOME/.local/state}/<name> (relative
// values are ignored, as the XDG rules say), or %LOCALAPPDATA%\<name> on Windows. Empty
// when the system tells none. The folder need not exist.
std::string StateFolder(const std::string& name);
