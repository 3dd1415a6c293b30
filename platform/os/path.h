// Paths as the system writes them: the separator of folders, a path's folder and its last
// part, and a folder joined with a name. On Windows '/' separates folders as well as '\',
// and a path may begin with a drive ("C:"); on Linux '\' is an ordinary character.
#pragma once

#include <string>

#ifdef _WIN32
constexpr char kPathSeparator = '\\';
#else
constexpr char kPathSeparator = '/';
#endif

// Whether c separates folders in a path.
bool IsPathSeparator(char c);
// The folder of a path: "." for a bare name, the root ("/", "C:\") for a file in it,
// otherwise the path up to its last separator.
std::string FolderOfPath(const std::string& path);
// The last part of a path (empty when the path ends with a separator).
std::string NameOfPath(const std::string& path);
// The folder and the name with one separator between them (none added after a folder
// that ends with one, or after a bare drive); a name alone when the folder is empty.
std::string JoinPath(const std::string& folder, const std::string& name);
