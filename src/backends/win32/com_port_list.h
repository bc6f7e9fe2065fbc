// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <vector>

namespace zr640::platform {

// One serial port as the system lists it: "COM4" and the driver's device, "\Device\VCP0"
// (empty when the system names none).
struct ComPortName {
    std::string name;
    std::string device;
};

// The ports of HKLM\HARDWARE\DEVICEMAP\SERIALCOMM as they are right now.
std::vector<ComPortName> ReadComPorts();

// The ports sorted by number, each as "COM4 (\Device\VCP0)", or "COM4" without a device;
// names that are no COM number come last.
std::vector<std::string> FormatComPorts(std::vector<ComPortName> ports);

}  // namespace zr640::platform
