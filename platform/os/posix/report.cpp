#include "platform/os/posix/report.h"

#include <unistd.h>

#include <cstring>
#include <map>
#include <mutex>

#include "platform/os/posix/atomicfile.h"

namespace {
struct TReports {
    std::mutex Mutex;
    std::map<TFileTask, std::string> Last;  // the last problem told, by task
    std::function<void(const std::string&)> Sink;
};

TReports& Reports() {
    static TReports reports;
    return reports;
}
}  // namespace

void ReportProblem(TFileTask task, const std::string& line, const std::string& sameAs) {
    TReports& reports = Reports();
    std::function<void(const std::string&)> sink;
    {
        std::lock_guard guard(reports.Mutex);
        const std::string& key = sameAs.empty() ? line : sameAs;
        auto [last, added] = reports.Last.try_emplace(task, key);
        if (!added && last->second == key) return;
        last->second = key;
        sink = reports.Sink;
    }
    const std::string text = "zentick: " + line;
    if (sink) {
        sink(text);
        return;
    }
    // One write, so that lines of several programs sharing the terminal do not interleave.
    const std::string whole = text + "\n";
    ssize_t written = write(STDERR_FILENO, whole.data(), whole.size());
    (void)written;
}

void ReportSuccess(TFileTask task) {
    TReports& reports = Reports();
    std::lock_guard guard(reports.Mutex);
    reports.Last.erase(task);
}

std::string ReasonOf(int error) {
    switch (error) {
        case kNotRegularFile:
            return "not a regular file";
        case EFBIG:
            return "larger than " + std::to_string(kMaxFileSize / (1024 * 1024)) + " MB";
        case EWOULDBLOCK:
            return "another program held its lock for more than a second";
        default: {
            char buffer[256];
            // The GNU strerror_r gives its text, in buffer or in a string of its own.
            return strerror_r(error, buffer, sizeof buffer);
        }
    }
}

void SetProblemSink(std::function<void(const std::string& line)> sink) {
    TReports& reports = Reports();
    std::lock_guard guard(reports.Mutex);
    reports.Sink = std::move(sink);
    reports.Last.clear();
}
