// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <sys/types.h>

#include <optional>
#include <string>
#include <vector>

namespace zr640::test {

// The real zr640-sim binary as a child process on its pty, for the tests that need an
// instrument. The destructor ends a simulator that still runs.
class SimProcess {
public:
    SimProcess() = default;
    SimProcess(const SimProcess&) = delete;
    ~SimProcess();

    // Starts it with `arguments` and waits for its first line, the slave's path.
    bool Start(const std::vector<std::string>& arguments);
    const std::string& SlavePath() const { return slavePath_; }
    const std::string& Error() const { return error_; }
    pid_t Pid() const { return pid_; }
    // The next line of its standard output without the line feed; nothing after `timeoutMs`.
    std::optional<std::string> ReadLine(int timeoutMs = 5000);
    // Sends `signal`, waits for the end: the exit status; -1 if none in time or a signal.
    int Stop(int signal, int timeoutMs = 10000);

private:
    pid_t pid_ = -1;
    int pidFd_ = -1;
    int stdoutFd_ = -1;
    std::string buffered_, slavePath_, error_;
};

}  // namespace zr640::test
