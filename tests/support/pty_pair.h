#pragma once

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <stdexcept>
#include <string>

namespace zr640::testing {

// A pseudo-terminal pair: the test plays the instrument on the master side and the code
// under test opens `SlavePath()` as its serial device. Raw mode from the start, so that
// nothing is echoed or held back for a line end before the device sets its own mode.
class PtyPair {
public:
    PtyPair() {
        master_ = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
        if (master_ < 0 || ::grantpt(master_) != 0 || ::unlockpt(master_) != 0) {
            throw std::runtime_error("no pseudo-terminal");
        }
        char name[128];
        if (::ptsname_r(master_, name, sizeof name) != 0) {
            throw std::runtime_error("no pseudo-terminal name");
        }
        slavePath_ = name;
        termios mode{};
        ::tcgetattr(master_, &mode);
        ::cfmakeraw(&mode);
        ::tcsetattr(master_, TCSANOW, &mode);
    }
    ~PtyPair() { CloseMaster(); }
    PtyPair(const PtyPair&) = delete;
    PtyPair& operator=(const PtyPair&) = delete;

    const std::string& SlavePath() const { return slavePath_; }
    int MasterFd() const { return master_; }

    // Sends bytes as the instrument would.
    void Send(const std::string& bytes) {
        std::size_t sent = 0;
        while (sent < bytes.size()) {
            const ssize_t count = ::write(master_, bytes.data() + sent, bytes.size() - sent);
            if (count < 0 && errno == EINTR) continue;
            if (count <= 0) throw std::runtime_error("pty write failed");
            sent += static_cast<std::size_t>(count);
        }
    }

    // Collects what the device side wrote until `wanted` bytes have come or `timeout` has
    // passed.
    std::string Receive(std::size_t wanted, std::chrono::milliseconds timeout) {
        std::string received;
        const auto deadline = std::chrono::steady_clock::now() + timeout;
        while (received.size() < wanted) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                deadline - std::chrono::steady_clock::now());
            if (left.count() <= 0) break;
            pollfd watched{master_, POLLIN, 0};
            if (::poll(&watched, 1, static_cast<int>(left.count())) <= 0) continue;
            char chunk[256];
            const std::size_t room = std::min(sizeof chunk, wanted - received.size());
            const ssize_t count = ::read(master_, chunk, room);
            if (count <= 0) break;
            received.append(chunk, static_cast<std::size_t>(count));
        }
        return received;
    }

    // Reads up to and including a line feed, or what has come when `timeout` has passed.
    std::string ReceiveLine(std::chrono::milliseconds timeout) {
        std::string line;
        const auto deadline = std::chrono::steady_clock::now() + timeout;
        while (line.empty() || line.back() != '\n') {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                deadline - std::chrono::steady_clock::now());
            if (left.count() <= 0) break;
            line += Receive(1, left);
        }
        return line;
    }

    // Hangs up, as an unplugged adapter or an ended simulator does.
    void CloseMaster() {
        if (master_ >= 0) ::close(master_);
        master_ = -1;
    }

private:
    int master_ = -1;
    std::string slavePath_;
};

}  // namespace zr640::testing
