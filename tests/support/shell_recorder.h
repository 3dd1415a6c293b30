// Records what the program asks the shell to open, instead of starting a browser.
//
// The recorder installs a fake opener that prints "open:<argument>" on its standard error.
// Between Begin and End the caller's standard error is a pipe, which the opener inherits;
// End reads that pipe to its end, which waits exactly until every opener started meanwhile
// has finished, and returns the arguments in the order they were printed.
#pragma once

#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <string>
#include <vector>

#include "platform/os/shell.h"

namespace ztest {

class TShellRecorder {
public:
    // folder: a writable folder of the test's own for the fake opener.
    explicit TShellRecorder(const std::string& folder) : opener_(folder + "/fake-opener") {
        std::ofstream(opener_) << "#!/bin/sh\nfor a in \"$@\"; do echo \"open:$a\" >&2; done\n";
        chmod(opener_.c_str(), 0755);
        SetShellOpenCommand(opener_);
    }
    ~TShellRecorder() {
        if (savedError_ >= 0) End();
        SetShellOpenCommand("");
    }
    TShellRecorder(const TShellRecorder&) = delete;
    TShellRecorder& operator=(const TShellRecorder&) = delete;

    void Begin() {
        int fds[2];
        if (pipe(fds) != 0) return;
        savedError_ = dup(2);
        dup2(fds[1], 2);
        close(fds[1]);
        readEnd_ = fds[0];
    }

    // What was opened since Begin, one entry an argument.
    std::vector<std::string> End() {
        if (savedError_ < 0) return {};
        dup2(savedError_, 2);
        close(savedError_);
        savedError_ = -1;
        std::string output;
        char chunk[256];
        ssize_t got;
        while ((got = read(readEnd_, chunk, sizeof chunk)) > 0)
            output.append(chunk, size_t(got));
        close(readEnd_);
        readEnd_ = -1;
        std::vector<std::string> opened;
        size_t start = 0;
        while (start < output.size()) {
            size_t end = output.find('\n', start);
            if (end == std::string::npos) end = output.size();
            std::string line = output.substr(start, end - start);
            if (line.rfind("open:", 0) == 0) opened.push_back(line.substr(5));
            start = end + 1;
        }
        return opened;
    }

private:
    std::string opener_;
    int savedError_ = -1;
    int readEnd_ = -1;
};

}  // namespace ztest
