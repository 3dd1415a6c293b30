// Problems with the user's files, told on stderr.
//
// The clock shows no message box for a file it cannot read or write: nothing in its way of
// working waits for one. But a change that is lost must not be lost in silence, so each
// problem becomes one line on stderr, "zentick: <what happened>", naming the file and the
// reason. A problem is told once: the same line for the same task is not repeated until
// that task has succeeded again (a save that fails at every drag fills no log), and a
// different problem of the task is told at once.
#pragma once

#include <functional>
#include <string>

// What the program was doing with its files.
enum class TFileTask {
    ReadSettings,  // reading the settings file
    SaveSettings,  // changing it
    SetAside,      // moving an unreadable settings file out of the way
    SkipLines,     // reading past lines it could not read
    Autostart,     // writing or removing the entry that starts it at log-on
};

// Tells a problem of task: line (without the program's name or a line end), unless the
// task's last problem was the same. sameAs, when not empty, stands for the line in that
// comparison (for a line that names something that changes, as line numbers do).
void ReportProblem(TFileTask task, const std::string& line, const std::string& sameAs = {});

// The task succeeded: its next problem is told whatever it is.
void ReportSuccess(TFileTask task);

// The reason an errno value gives, for these lines: the system's text, except for the few
// the file code gives a meaning of its own (a file that is not regular, a file too large,
// a lock held too long).
std::string ReasonOf(int error);

// For tests: where the lines go instead of stderr, each without its line end; none sends
// them to stderr again.
void SetProblemSink(std::function<void(const std::string& line)> sink);
