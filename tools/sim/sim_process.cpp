// SPDX-License-Identifier: GPL-3.0-or-later
#include "sim_process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>

namespace zr640::test {

using Clock = std::chrono::steady_clock;

static bool WaitReadable(int fd, Clock::time_point deadline) {
    pollfd wait{fd, POLLIN, 0};
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
    return left.count() > 0 && poll(&wait, 1, static_cast<int>(left.count())) > 0;
}

SimProcess::~SimProcess() {
    if (Stop(SIGTERM, 5000) == -1 && pid_ > 0) Stop(SIGKILL, 5000);
    for (const int fd : {pidFd_, stdoutFd_}) close(fd);
}

bool SimProcess::Start(const std::vector<std::string>& arguments) {
    std::vector<std::string> argv{ZR640_SIM_EXECUTABLE};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    std::vector<char*> pointers;
    for (std::string& argument : argv) pointers.push_back(argument.data());
    pointers.push_back(nullptr);
    int out[2];
    if (pipe2(out, O_CLOEXEC) != 0 || (pid_ = fork()) < 0) return false;
    if (pid_ == 0) {
        dup2(out[1], STDOUT_FILENO);
        execv(pointers[0], pointers.data());
        _exit(127);
    }
    close(out[1]);
    stdoutFd_ = out[0];
    // Through syscall(): Debian 12's <sys/pidfd.h> lacks the C linkage for C++.
    pidFd_ = static_cast<int>(syscall(SYS_pidfd_open, pid_, 0));
    slavePath_ = ReadLine(10000).value_or("");
    error_ = slavePath_.empty() ? "zr640-sim printed no slave path" : "";
    return !slavePath_.empty();
}

std::optional<std::string> SimProcess::ReadLine(int timeoutMs) {
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    char bytes[512];
    std::size_t end = 0;
    while ((end = buffered_.find('\n')) == std::string::npos) {
        const ssize_t count =
            WaitReadable(stdoutFd_, deadline) ? read(stdoutFd_, bytes, sizeof bytes) : 0;
        if (count <= 0) return std::nullopt;
        buffered_.append(bytes, static_cast<std::size_t>(count));
    }
    std::string line = buffered_.substr(0, end);
    buffered_.erase(0, end + 1);
    return line;
}

int SimProcess::Stop(int signal, int timeoutMs) {
    int status = 0;
    if (pid_ <= 0 || kill(pid_, signal) != 0 ||
        !WaitReadable(pidFd_, Clock::now() + std::chrono::milliseconds(timeoutMs)) ||
        waitpid(pid_, &status, 0) != pid_) {
        return -1;
    }
    pid_ = -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace zr640::test
