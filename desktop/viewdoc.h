// The user's manual: finding the program's HTML manual and opening it in the browser.
//
// ViewDoc(baseName, directory, quiet) looks for the manual under baseName + ".html" and
// then baseName + ".htm" in each of these places, in this order, and opens the first file
// it finds with the desktop's opener (ShellExecuteA "open"):
//   1-2. directory (the clock passes StartDirectory, the folder it was started from);
//   3-4. the current folder at the time of the call (the bare relative names);
//   5-6. the folder of the program's own executable;
//   then "zentick" in each of the user's and the system's data folders, as the XDG base
//        directories name them: $XDG_DATA_HOME (~/.local/share when unset or empty),
//        then each folder of $XDG_DATA_DIRS in its order (/usr/local/share:/usr/share
//        when unset or empty); relative folders are skipped, as the XDG rules ask;
//   then the program's installed data folder (ZT_INSTALLED_DATA_DIR, fixed when the
//        program is built, for example /usr/local/share/zentick);
//   last the data folder next to the executable's folder (../share/zentick beside bin/),
//        which finds the manual of a copy installed under another prefix than the one it
//        was built for.
// The search ends at the first file found. Returns 1 when it was handed to the opener
// (whatever the opener then does) and 0 otherwise. Unless quiet is nonzero, a failure is
// shown in a message box (caption "error", one OK button, no owner): "Unable to find
// documentation" when no file was found, and "Unable to show documentation: no program to
// open web pages was found ..." with the manual's path when no opener could be started
// (xdg-open missing). A place whose path would not fit a path buffer is skipped rather
// than cut short, so a shortened name never opens a different file.
//
// MakeDocPath(directory, fileName, path) joins a folder and a file name with "/" (none is
// added after a folder that already ends in "/"; an empty folder gives the file name
// alone). On this system a ":" is an ordinary character of a name, not a drive, so a
// folder ending in ":" gets its "/" like any other. Returns false, leaving path empty,
// when the result would be longer than kDocPathSize - 1 characters.
//
// OpenDocIfExists(path) returns 1 and opens path when it names an existing entry that is
// not a folder (a link to a file counts), otherwise 0. The opener's own result is not
// looked at: a file that exists counts as opened.
#pragma once

#include <cstddef>
#include <string>

// Size of every path buffer of the manual viewer, terminator included.
constexpr std::size_t kDocPathSize = 1024;

int ViewDoc(const char* baseName, const char* directory, int quiet);
bool MakeDocPath(const char* directory, const char* fileName, char (&path)[kDocPathSize]);
int OpenDocIfExists(const char* path);

// Replaces the installed data folder of places 7-8 for tests, so that a manual installed
// on the machine does not change their outcome; an empty folder restores the built-in one.
void SetInstalledDocDirectory(std::string directory);
