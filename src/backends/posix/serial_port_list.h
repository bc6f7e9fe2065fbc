// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace zr640::platform {

// The serial ports under `deviceRoot` (normally /dev), the lasting names first: each link
// of serial/by-id with the device it points at ("<link> (<device>)"), then the ttyUSB*,
// ttyACM* and ttyS* devices by number, leaving out those a link already named, dangling
// links and ttyS lines without a UART. At most `limit` entries; never waits for a device.
std::vector<std::string> ListSerialPorts(const std::string& deviceRoot, std::size_t limit);

}  // namespace zr640::platform
