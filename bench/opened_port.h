// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

#include "backends/posix/posix_serial_device.h"
#include "serial/com_port.h"

namespace zr640::bench {

// The tool's port on the serial device at `path`, opened at 4800 baud 8N1 as the instrument is
// set up in every benchmark and closed with this object; `port` is null when it did not open.
struct OpenedPort {
    explicit OpenedPort(const std::string& path) : device(path) {
        record.device = &device;
        port = OpenComPort(record, 1, 4800, 'N', 8, 1, 256);
    }
    ~OpenedPort() {
        if (port != nullptr) CloseComPort(port);
    }
    OpenedPort(const OpenedPort&) = delete;
    OpenedPort& operator=(const OpenedPort&) = delete;

    platform::PosixSerialDevice device;
    ComPort record;
    ComPort* port = nullptr;
};

}  // namespace zr640::bench
