// SPDX-License-Identifier: GPL-3.0-or-later
#include "backends/posix/posix_serial_device.h"

#include <fcntl.h>
#include <grp.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <utility>

#include "platform/text/port_list_message.h"
#include "backends/posix/serial_port_list.h"

namespace zr640::platform {
namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

constexpr int kRaiseRts = 3;
constexpr int kLowerRts = 4;
// Where a Linux user names the device that stands for the COM port.
constexpr const char* kDeviceHint = "Device= im Abschnitt [ZR640] der zr640.ini eintragen";

struct BaudConstant {
    long baudRate;
    speed_t speed;
};

constexpr BaudConstant kBaudConstants[] = {
    {50, B50},       {75, B75},         {110, B110},       {134, B134},       {150, B150},
    {200, B200},     {300, B300},       {600, B600},       {1200, B1200},     {1800, B1800},
    {2400, B2400},   {4800, B4800},     {9600, B9600},     {19200, B19200},   {38400, B38400},
    {57600, B57600}, {115200, B115200}, {230400, B230400}, {460800, B460800}, {921600, B921600},
};

bool SpeedOf(long baudRate, speed_t& speed) {
    for (const BaudConstant& entry : kBaudConstants) {
        if (entry.baudRate == baudRate) {
            speed = entry.speed;
            return true;
        }
    }
    return false;
}

bool CharacterSizeOf(int dataBits, tcflag_t& characterSize) {
    switch (dataBits) {
        case 5:
            characterSize = CS5;
            return true;
        case 6:
            characterSize = CS6;
            return true;
        case 7:
            characterSize = CS7;
            return true;
        case 8:
            characterSize = CS8;
            return true;
        default:
            return false;
    }
}

bool KnownParity(char letter) {
#ifdef CMSPAR
    return std::strchr("NEOMS", letter) != nullptr && letter != '\0';
#else
    return std::strchr("NEO", letter) != nullptr && letter != '\0';
#endif
}

tcflag_t ParityFlags(char parity) {
    switch (parity) {
        case 'E':
            return PARENB;
        case 'O':
            return PARENB | PARODD;
#ifdef CMSPAR
        case 'M':
            return PARENB | PARODD | CMSPAR;
        case 'S':
            return PARENB | CMSPAR;
#endif
        default:
            return 0;
    }
}

int ToPollTimeout(Clock::duration remaining) {
    const auto ms = std::chrono::ceil<milliseconds>(remaining).count();
    return static_cast<int>(std::clamp<decltype(ms)>(ms, 0, INT_MAX));
}

std::string GroupNameOf(gid_t group) {
    char buffer[1024];
    struct group entry {};
    struct group* found = nullptr;
    if (getgrgid_r(group, &entry, buffer, sizeof buffer, &found) == 0 && found != nullptr) {
        return found->gr_name;
    }
    return std::to_string(group);
}

// Errors after which the device will not come back: the adapter was unplugged, the
// peer of a pseudo-terminal closed it.
bool MeansLineLost(int errorNumber) {
    return errorNumber == EIO || errorNumber == ENXIO || errorNumber == ENODEV ||
           errorNumber == EBADF;
}

}  // namespace

PosixSerialDevice::PosixSerialDevice(std::string devicePath, std::string deviceRoot)
    : pathOverride_(std::move(devicePath)), deviceRoot_(std::move(deviceRoot)) {}

PosixSerialDevice::~PosixSerialDevice() {
    if (fd_ >= 0) ::close(fd_);
}

std::string PosixSerialDevice::DevicePath(int portNumber) const {
    if (!pathOverride_.empty()) return pathOverride_;
    return deviceRoot_ + "/ttyS" + std::to_string(portNumber - 1);
}

bool PosixSerialDevice::Fail() {
    lastErrno_ = errno;
    return false;
}

bool PosixSerialDevice::Open(int portNumber) {
    path_ = DevicePath(portNumber);
    fd_ = ::open(path_.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd_ < 0) {
        openErrno_ = errno;
        return Fail();
    }
    openErrno_ = 0;
    lineLost_ = false;
    // The port is ours alone, as on Windows; a refusal (not a terminal) is found later.
    ::ioctl(fd_, TIOCEXCL);
    return true;
}

std::string PosixSerialDevice::OpenFailureDetail() {
    if (openErrno_ == 0) return {};
    const std::string reason = DescribeOpenFailure(path_, openErrno_);
    // Only a device that is not there calls for the list; any other refusal names its cause.
    // A legacy ttyS node without a UART behind it answers EIO: as good as not there.
    const bool absent = openErrno_ == ENOENT || openErrno_ == ENXIO || openErrno_ == EIO;
    if (!absent || reason.size() >= kOpenFailureDetailMax) {
        return reason;
    }
    const std::string ports =
        FormatPortList(ListSerialPorts(deviceRoot_, kPortListMaxEntries + 1), kDeviceHint,
                       kOpenFailureDetailMax - reason.size() - 1);
    return ports.empty() ? reason : reason + "\n" + ports;
}

bool PosixSerialDevice::SetupQueues(std::uint32_t, std::uint32_t) {
    // The kernel sizes its own queues.
    return fd_ >= 0;
}

int PosixSerialDevice::BuildLineSettings(const char* settingsText) {
    settingsBuilt_ = false;
    const char* colon = settingsText != nullptr ? std::strchr(settingsText, ':') : nullptr;
    if (colon == nullptr) return 0;
    long baudRate = 0;
    char parity = 0;
    int dataBits = 0;
    int stopBits = 0;
    int consumed = -1;
    if (std::sscanf(colon + 1, "%ld,%c,%d,%d%n", &baudRate, &parity, &dataBits, &stopBits,
                    &consumed) != 4 ||
        colon[1 + consumed] != '\0') {
        return 0;
    }
    LineSettings built;
    built.parity = static_cast<char>(std::toupper(static_cast<unsigned char>(parity)));
    built.twoStopBits = stopBits == 2;
    if (!SpeedOf(baudRate, built.speed) || !CharacterSizeOf(dataBits, built.characterSize) ||
        !KnownParity(built.parity) || (stopBits != 1 && stopBits != 2)) {
        return 0;
    }
    settings_ = built;
    settingsBuilt_ = true;
    return 1;
}

bool PosixSerialDevice::ApplyLineSettings() {
    if (!settingsBuilt_) {
        errno = EINVAL;
        return Fail();
    }
    termios line{};
    if (::tcgetattr(fd_, &line) != 0) return Fail();
    ::cfmakeraw(&line);
    line.c_iflag &= ~static_cast<tcflag_t>(IXON | IXOFF | IXANY | INPCK);
    line.c_cflag &= ~static_cast<tcflag_t>(CSIZE | PARENB | PARODD | CSTOPB | CRTSCTS);
#ifdef CMSPAR
    line.c_cflag &= ~static_cast<tcflag_t>(CMSPAR);
#endif
    line.c_cflag |= settings_.characterSize | ParityFlags(settings_.parity) | CLOCAL | CREAD;
    if (settings_.twoStopBits) line.c_cflag |= CSTOPB;
    // With O_NONBLOCK a read returns at once; VMIN 1 makes "nothing yet" an EAGAIN, so
    // that a read of 0 bytes can only mean a hung-up line.
    line.c_cc[VMIN] = 1;
    line.c_cc[VTIME] = 0;
    if (::cfsetispeed(&line, settings_.speed) != 0 || ::cfsetospeed(&line, settings_.speed) != 0 ||
        ::tcsetattr(fd_, TCSANOW, &line) != 0) {
        return Fail();
    }
    // DTR and RTS start low; the answer is not examined (pseudo-terminals have no lines).
    int lines = TIOCM_DTR | TIOCM_RTS;
    ::ioctl(fd_, TIOCMBIC, &lines);
    return true;
}

bool PosixSerialDevice::GetTimeouts(CommTimeouts& timeouts) {
    if (fd_ < 0) return false;
    timeouts = timeouts_;
    return true;
}

bool PosixSerialDevice::SetTimeouts(const CommTimeouts& timeouts) {
    if (fd_ < 0) return false;
    timeouts_ = timeouts;
    return true;
}

bool PosixSerialDevice::SetEventMask(std::uint32_t) {
    // WaitForInput polls for input whatever the mask says.
    return fd_ >= 0;
}

bool PosixSerialDevice::Purge(std::uint32_t flags) {
    const bool input = (flags & kPurgeRxClear) != 0;
    const bool output = (flags & kPurgeTxClear) != 0;
    if (!input && !output) return fd_ >= 0;
    const int queue = input && output ? TCIOFLUSH : input ? TCIFLUSH : TCOFLUSH;
    if (::tcflush(fd_, queue) != 0) return Fail();
    return true;
}

void PosixSerialDevice::ClearErrors() {}

int PosixSerialDevice::Read(std::uint8_t* bytes, int capacity) {
    if (fd_ < 0 || capacity <= 0) return 0;
    const ssize_t count = ::read(fd_, bytes, static_cast<std::size_t>(capacity));
    if (count > 0) return static_cast<int>(count);
    if (count == 0 || MeansLineLost(errno)) {
        lineLost_ = true;
        lastErrno_ = count == 0 ? EIO : errno;
    }
    return 0;
}

InputWait PosixSerialDevice::WaitForInput(std::uint32_t timeoutMs) {
    if (fd_ < 0 || lineLost_) return InputWait::LineLost;
    const Clock::time_point deadline = Clock::now() + milliseconds(timeoutMs);
    for (;;) {
        pollfd watched{fd_, POLLIN, 0};
        const int ready = ::poll(&watched, 1, ToPollTimeout(deadline - Clock::now()));
        if (ready == 0) return InputWait::TimedOut;
        if (ready < 0) {
            if (errno == EINTR) continue;
            lastErrno_ = errno;
            return InputWait::LineLost;
        }
        // A hung-up terminal also reports input, but its reads give nothing any more.
        if ((watched.revents & (POLLHUP | POLLERR | POLLNVAL)) != 0) {
            lineLost_ = true;
            lastErrno_ = EIO;
            return InputWait::LineLost;
        }
        return InputWait::Ready;
    }
}

int PosixSerialDevice::Write(const std::uint8_t* bytes, int length, std::uint32_t timeoutMs) {
    if (fd_ < 0) return -1;
    const Clock::time_point deadline = Clock::now() + milliseconds(timeoutMs);
    int written = 0;
    while (written < length) {
        const ssize_t count =
            ::write(fd_, bytes + written, static_cast<std::size_t>(length - written));
        if (count > 0) {
            written += static_cast<int>(count);
            continue;
        }
        if (count < 0 && errno == EINTR) continue;
        if (count < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            // The terminal's queue is full: an adapter that does not send, or a peer that
            // does not read. Wait for room, within the time given.
            pollfd watched{fd_, POLLOUT, 0};
            const int ready = ::poll(&watched, 1, ToPollTimeout(deadline - Clock::now()));
            if (ready > 0 && (watched.revents & POLLOUT) != 0) continue;
            if (ready == 0) return written;
            if (ready < 0 && errno == EINTR) continue;
            errno = EIO;
        }
        lastErrno_ = errno;
        if (MeansLineLost(errno)) lineLost_ = true;
        return written > 0 ? written : -1;
    }
    return written;
}

int PosixSerialDevice::OutputQueued() {
    int queued = 0;
    if (fd_ < 0 || ::ioctl(fd_, TIOCOUTQ, &queued) != 0) return -1;
    return queued;
}

void PosixSerialDevice::EscapeFunction(int function) {
    int rts = TIOCM_RTS;
    if (function == kRaiseRts) ::ioctl(fd_, TIOCMBIS, &rts);
    if (function == kLowerRts) ::ioctl(fd_, TIOCMBIC, &rts);
}

bool PosixSerialDevice::Close() {
    if (fd_ < 0) {
        errno = EBADF;
        return Fail();
    }
    ::ioctl(fd_, TIOCNXCL);
    const int result = ::close(fd_);
    // Linux frees the descriptor even when close() fails; closing it again could hit
    // another file that has taken its number.
    fd_ = -1;
    if (result != 0) return Fail();
    return true;
}

std::uint32_t PosixSerialDevice::LastError() { return static_cast<std::uint32_t>(lastErrno_); }

std::string DescribeOpenFailure(const std::string& path, int errorNumber) {
    std::string text = path + ": " + std::strerror(errorNumber);
    if (errorNumber != EACCES) return text;
    struct stat status {};
    if (::stat(path.c_str(), &status) != 0) {
        return text + "\nDer Benutzer muss Mitglied der Gruppe sein, der das Ger\xE4t geh\xF6rt.";
    }
    const std::string group = GroupNameOf(status.st_gid);
    return text + "\nDer Benutzer muss Mitglied der Gruppe \"" + group +
           "\" sein, der das Ger\xE4t geh\xF6rt (sudo usermod -aG " + group +
           " $USER, danach neu anmelden).";
}

}  // namespace zr640::platform
