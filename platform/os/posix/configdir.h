// Where the user's configuration lives on this system (XDG base directories).
#pragma once

#include <optional>
#include <string>

// The user's configuration folder: $XDG_CONFIG_HOME when it is an absolute path, otherwise
// $HOME/.config when $HOME is an absolute path. Nothing when neither gives one; relative
// paths are ignored, as the XDG rules say. The folder need not exist.
std::optional<std::string> UserConfigHome();

// The program's own folder in it, <config home>/zentick.
std::optional<std::string> ProgramConfigDir();

// Creates a folder and any missing parents, each with mode 0700. Returns 0 when the folder
// exists afterwards, otherwise the errno of the step that failed (ENOTDIR when a file is in
// the way).
int MakeDirectories(const std::string& path);
