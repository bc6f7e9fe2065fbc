// SPDX-License-Identifier: GPL-3.0-or-later
#include "backends/posix/serial_port_list.h"

#include <fcntl.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <set>
#include <tuple>

#if defined(__linux__)
#include <linux/serial.h>
#endif

namespace zr640::platform {
namespace {

namespace fs = std::filesystem;

// The device families in the order they are offered: USB adapters first, the legacy
// on-board lines last.
const std::string kFamilies[] = {"ttyUSB", "ttyACM", "ttyS"};
constexpr std::size_t kLegacyFamily = 2;

struct TtyDevice {
    std::size_t family;
    unsigned long number;
    std::string path;
    bool operator<(const TtyDevice& other) const {
        return std::tie(family, number) < std::tie(other.family, other.number);
    }
};

std::vector<fs::path> SortedEntries(const fs::path& folder) {
    std::vector<fs::path> entries;
    std::error_code error;
    for (fs::directory_iterator it(folder, error), end; !error && it != end;
         it.increment(error)) {
        entries.push_back(it->path());
    }
    std::sort(entries.begin(), entries.end());
    return entries;
}

// True for a name such as ttyUSB12 of one of the families, with its family and number.
bool ParseTtyName(const std::string& name, TtyDevice& device) {
    for (std::size_t family = 0; family < std::size(kFamilies); ++family) {
        const std::string& prefix = kFamilies[family];
        const std::size_t digits = name.size() - std::min(name.size(), prefix.size());
        if (name.rfind(prefix, 0) != 0 || digits == 0 || digits > 6 ||
            name.find_first_not_of("0123456789", prefix.size()) != std::string::npos) {
            continue;
        }
        device.family = family;
        device.number = std::stoul(name.substr(prefix.size()));
        return true;
    }
    return false;
}

// The kernel makes ttyS nodes whether or not a UART sits behind them; the driver tells.
// The line is opened without waiting for a carrier and without becoming our terminal.
bool HasUart(const std::string& path) {
#if defined(__linux__)
    const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return false;
    serial_struct line{};
    const bool uart = ::ioctl(fd, TIOCGSERIAL, &line) == 0 && line.type != PORT_UNKNOWN;
    ::close(fd);
    return uart;
#else
    return fs::exists(path);
#endif
}

std::string Canonical(const fs::path& path) {
    std::error_code error;
    const fs::path resolved = fs::canonical(path, error);
    return error ? std::string() : resolved.string();
}

}  // namespace

std::vector<std::string> ListSerialPorts(const std::string& deviceRoot, std::size_t limit) {
    std::vector<std::string> ports;
    std::set<std::string> named;
    for (const fs::path& link : SortedEntries(fs::path(deviceRoot) / "serial" / "by-id")) {
        if (ports.size() >= limit) break;
        const std::string device = Canonical(link);
        if (device.empty()) continue;
        ports.push_back(link.string() + " (" + device + ")");
        named.insert(device);
    }
    std::vector<TtyDevice> devices;
    for (const fs::path& entry : SortedEntries(deviceRoot)) {
        TtyDevice device{0, 0, entry.string()};
        if (ParseTtyName(entry.filename().string(), device)) devices.push_back(device);
    }
    std::sort(devices.begin(), devices.end());
    for (const TtyDevice& device : devices) {
        if (ports.size() >= limit) break;
        if (named.count(Canonical(device.path)) != 0) continue;
        if (device.family == kLegacyFamily && !HasUart(device.path)) continue;
        ports.push_back(device.path);
    }
    return ports;
}

}  // namespace zr640::platform
