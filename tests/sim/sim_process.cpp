#include "sim_process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>

#include "serial/sentence.h"

namespace zr640::test {

namespace {

using Clock = std::chrono::steady_clock;

int RemainingMs(Clock::time_point deadline) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
    return left.count() > 0 ? static_cast<int>(left.count()) : 0;
}

// Blocks until `fd` is readable or the time is up.
bool WaitReadable(int fd, int timeoutMs) {
    pollfd p{fd, POLLIN, 0};
    int result = 0;
    do {
        result = poll(&p, 1, timeoutMs);
    } while (result < 0 && errno == EINTR);
    return result > 0;
}

int StatusOf(int status) { return WIFEXITED(status) ? WEXITSTATUS(status) : -1; }

}  // namespace

std::string SimProcess::Executable() { return ZR640_SIM_EXECUTABLE; }

SimProcess::~SimProcess() {
    if (pid_ > 0 && Stop(SIGTERM, 5000) == -1 && pid_ > 0) {
        kill(pid_, SIGKILL);
        Wait(5000);
    }
    for (int fd : {pidFd_, stdoutFd_, stdinFd_}) {
        if (fd >= 0) close(fd);
    }
}

bool SimProcess::Start(const std::vector<std::string>& arguments, int firstLineTimeoutMs) {
    int out[2];
    int in[2];
    if (pipe2(out, O_CLOEXEC) != 0 || pipe2(in, O_CLOEXEC) != 0) {
        error_ = std::string("pipe: ") + std::strerror(errno);
        return false;
    }
    std::vector<std::string> argv{Executable()};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    std::vector<char*> pointers;
    for (auto& argument : argv) pointers.push_back(argument.data());
    pointers.push_back(nullptr);

    pid_ = fork();
    if (pid_ == 0) {
        dup2(in[0], STDIN_FILENO);
        dup2(out[1], STDOUT_FILENO);
        execv(pointers[0], pointers.data());
        _exit(127);
    }
    close(out[1]);
    close(in[0]);
    stdoutFd_ = out[0];
    stdinFd_ = in[1];
    if (pid_ < 0) {
        error_ = std::string("fork: ") + std::strerror(errno);
        return false;
    }
    // Through syscall(): Debian 12's <sys/pidfd.h> lacks the C linkage for C++.
    pidFd_ = static_cast<int>(syscall(SYS_pidfd_open, pid_, 0));
    const auto first = ReadLine(firstLineTimeoutMs);
    if (!first || first->empty()) {
        error_ = "the simulator printed no slave path";
        return false;
    }
    slavePath_ = *first;
    return true;
}

std::optional<std::string> SimProcess::ReadLine(int timeoutMs) {
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        const std::size_t end = buffered_.find('\n');
        if (end != std::string::npos) {
            std::string line = buffered_.substr(0, end);
            buffered_.erase(0, end + 1);
            return line;
        }
        if (!WaitReadable(stdoutFd_, RemainingMs(deadline))) return std::nullopt;
        char bytes[512];
        const ssize_t count = read(stdoutFd_, bytes, sizeof bytes);
        if (count <= 0) return std::nullopt;
        buffered_.append(bytes, static_cast<std::size_t>(count));
    }
}

void SimProcess::CloseInput() {
    if (stdinFd_ >= 0) close(stdinFd_);
    stdinFd_ = -1;
}

int SimProcess::Stop(int signal, int timeoutMs) {
    if (pid_ <= 0) return -1;
    kill(pid_, signal);
    return Wait(timeoutMs);
}

int SimProcess::Wait(int timeoutMs) {
    if (pid_ <= 0) return -1;
    if (pidFd_ >= 0 && !WaitReadable(pidFd_, timeoutMs)) return -1;
    int status = 0;
    if (waitpid(pid_, &status, 0) != pid_) return -1;
    pid_ = -1;
    return StatusOf(status);
}

SimResult RunSimToEnd(const std::vector<std::string>& arguments, int timeoutMs) {
    SimResult result;
    int out[2];
    int err[2];
    if (pipe2(out, O_CLOEXEC) != 0 || pipe2(err, O_CLOEXEC) != 0) return result;
    std::vector<std::string> argv{SimProcess::Executable()};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    std::vector<char*> pointers;
    for (auto& argument : argv) pointers.push_back(argument.data());
    pointers.push_back(nullptr);
    const pid_t pid = fork();
    if (pid == 0) {
        dup2(out[1], STDOUT_FILENO);
        dup2(err[1], STDERR_FILENO);
        execv(pointers[0], pointers.data());
        _exit(127);
    }
    close(out[1]);
    close(err[1]);
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    pollfd fds[2] = {{out[0], POLLIN, 0}, {err[0], POLLIN, 0}};
    std::string* texts[2] = {&result.out, &result.err};
    int open = 2;
    while (open > 0 && RemainingMs(deadline) > 0) {
        if (poll(fds, 2, RemainingMs(deadline)) <= 0) break;
        for (int i = 0; i < 2; ++i) {
            if (fds[i].fd < 0 || !(fds[i].revents & (POLLIN | POLLHUP))) continue;
            char bytes[4096];
            const ssize_t count = read(fds[i].fd, bytes, sizeof bytes);
            if (count > 0) {
                texts[i]->append(bytes, static_cast<std::size_t>(count));
            } else {
                close(fds[i].fd);
                fds[i].fd = -1;
                --open;
            }
        }
    }
    for (auto& p : fds) {
        if (p.fd >= 0) close(p.fd);
    }
    if (open > 0) kill(pid, SIGKILL);
    int status = 0;
    waitpid(pid, &status, 0);
    result.status = open > 0 ? -1 : StatusOf(status);
    return result;
}

bool SlaveLine::Open(const std::string& path) {
    Close();
    fd_ = open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd_ < 0) return false;
    termios settings{};
    tcgetattr(fd_, &settings);
    cfmakeraw(&settings);
    tcsetattr(fd_, TCSANOW, &settings);
    hungUp_ = false;
    return true;
}

void SlaveLine::Close() {
    if (fd_ >= 0) close(fd_);
    fd_ = -1;
}

bool SlaveLine::Write(const std::string& bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t count = write(fd_, bytes.data() + done, bytes.size() - done);
        if (count < 0) {
            if (errno == EINTR) continue;
            if (errno != EAGAIN) return false;
            pollfd p{fd_, POLLOUT, 0};
            if (poll(&p, 1, 5000) <= 0) return false;
            continue;
        }
        done += static_cast<std::size_t>(count);
    }
    return true;
}

void SlaveLine::DiscardInput() { tcflush(fd_, TCIFLUSH); }

bool SlaveLine::SendSentence(const std::string& dollarAndBody) {
    DiscardInput();
    return Write(FrameSentence(dollarAndBody));
}

int SlaveLine::ReadSome(char* bytes, std::size_t size, int timeoutMs) {
    if (fd_ < 0 || hungUp_ || !WaitReadable(fd_, timeoutMs)) return 0;
    const ssize_t count = read(fd_, bytes, size);
    if (count > 0) return static_cast<int>(count);
    if (count == 0 || (errno != EAGAIN && errno != EINTR)) hungUp_ = true;
    return 0;
}

std::optional<std::string> SlaveLine::ReadLine(int timeoutMs) {
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    std::string line;
    while (line.empty() || line.back() != '\n') {
        if (RemainingMs(deadline) == 0 || hungUp_) return std::nullopt;
        char byte = 0;
        // One byte at a time: what follows the line stays for the next read.
        if (ReadSome(&byte, 1, RemainingMs(deadline)) == 1) line += byte;
    }
    return line;
}

std::string SlaveLine::ReadBytes(std::size_t count, int timeoutMs) {
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    std::string bytes;
    while (bytes.size() < count && RemainingMs(deadline) > 0 && !hungUp_) {
        char chunk[512];
        const int got = ReadSome(chunk, std::min(sizeof chunk, count - bytes.size()),
                                 RemainingMs(deadline));
        bytes.append(chunk, static_cast<std::size_t>(got));
    }
    return bytes;
}

}  // namespace zr640::test
