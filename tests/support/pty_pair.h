// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <stdexcept>
#include <string>

namespace zr640::testing {

// A pseudo-terminal pair: the test plays the instrument on the master side and the code
// under test opens `SlavePath()` as its serial device, which must set the line's mode itself.
class PtyPair {
public:
    PtyPair() : master_(::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC)) {
        if (::grantpt(master_) != 0 || ::unlockpt(master_) != 0 || !::ptsname(master_)) {
            throw std::runtime_error("no pseudo-terminal");
        }
        slavePath_ = ::ptsname(master_);
    }
    ~PtyPair() { ::close(master_); }
    PtyPair(const PtyPair&) = delete;
    PtyPair& operator=(const PtyPair&) = delete;

    const std::string& SlavePath() const { return slavePath_; }
    int MasterFd() const { return master_; }

    // Sends bytes as the instrument would; a blocking write to the master takes them all.
    void Send(const std::string& bytes) {
        if (::write(master_, bytes.data(), bytes.size()) != ssize_t(bytes.size())) {
            throw std::runtime_error("pty write failed");
        }
    }

    // What the device side wrote: `wanted` bytes, or up to and including `end`, or what had come
    // when `timeout` passed.
    std::string Receive(std::size_t wanted, std::chrono::milliseconds timeout, int end = -1) {
        const auto deadline = std::chrono::steady_clock::now() + timeout;
        std::string received;
        pollfd watched{master_, POLLIN, 0};
        for (char byte; received.size() < wanted &&
                        (received.empty() || std::uint8_t(received.back()) != end);
             received += byte) {
            const auto left = std::chrono::ceil<std::chrono::milliseconds>(
                deadline - std::chrono::steady_clock::now());
            if (left.count() <= 0 || ::poll(&watched, 1, int(left.count())) <= 0 ||
                ::read(master_, &byte, 1) != 1) {
                break;
            }
        }
        return received;
    }

private:
    int master_;
    std::string slavePath_;
};

}  // namespace zr640::testing
