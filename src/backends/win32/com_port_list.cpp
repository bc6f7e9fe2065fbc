// SPDX-License-Identifier: GPL-3.0-or-later
#include "backends/win32/com_port_list.h"

#include <windows.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <tuple>

namespace zr640::platform {
namespace {

// More ports than the system can number (COM1..COM255) means a damaged key.
constexpr DWORD kMaxValues = 1024;

// The number of "COM12", or INT_MAX for a name that is none, so that it sorts last.
int PortNumber(const std::string& name) {
    if (name.size() < 4 || name.size() > 6 || _strnicmp(name.c_str(), "COM", 3) != 0 ||
        name.find_first_not_of("0123456789", 3) != std::string::npos) {
        return INT_MAX;
    }
    return std::stoi(name.substr(3));
}

}  // namespace

std::vector<ComPortName> ReadComPorts() {
    std::vector<ComPortName> ports;
    HKEY key = nullptr;
    if (::RegOpenKeyExA(HKEY_LOCAL_MACHINE, "HARDWARE\\DEVICEMAP\\SERIALCOMM", 0,
                        KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) {
        return ports;
    }
    DWORD nameMax = 0;
    DWORD dataMax = 0;
    if (::RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                           &nameMax, &dataMax, nullptr, nullptr) == ERROR_SUCCESS) {
        std::vector<char> name(nameMax + 1);
        std::vector<char> data(dataMax + 1);
        for (DWORD index = 0; index < kMaxValues; ++index) {
            DWORD nameLength = nameMax + 1;
            DWORD dataLength = dataMax;
            DWORD type = 0;
            const LONG result =
                ::RegEnumValueA(key, index, name.data(), &nameLength, nullptr, &type,
                                reinterpret_cast<BYTE*>(data.data()), &dataLength);
            if (result == ERROR_NO_MORE_ITEMS) break;
            // A value added since the sizes were read is too long for them: left out.
            if (result != ERROR_SUCCESS || type != REG_SZ) continue;
            ports.push_back({std::string(data.data(), ::strnlen(data.data(), dataLength)),
                             std::string(name.data(), nameLength)});
        }
    }
    ::RegCloseKey(key);
    return ports;
}

std::vector<std::string> FormatComPorts(std::vector<ComPortName> ports) {
    std::sort(ports.begin(), ports.end(), [](const ComPortName& a, const ComPortName& b) {
        return std::make_tuple(PortNumber(a.name), a.name, a.device) <
               std::make_tuple(PortNumber(b.name), b.name, b.device);
    });
    std::vector<std::string> lines;
    for (const ComPortName& port : ports) {
        lines.push_back(port.device.empty() ? port.name : port.name + " (" + port.device + ")");
    }
    return lines;
}

}  // namespace zr640::platform
