// SPDX-License-Identifier: GPL-3.0-or-later
#include "store_file.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace zr640::sim {

std::string FormatStore(const std::vector<Waypoint>& waypoints,
                        const std::vector<RoutePoint>& task) {
    std::string text = "# zr640-sim memory\n[waypoints]\n";
    for (const auto& waypoint : waypoints) {
        for (std::size_t i = 0; i < waypoint.fields.size(); ++i) {
            if (i > 0) text += ',';
            text += waypoint.fields[i];
        }
        text += '\n';
    }
    text += "[task]\n";
    for (const auto& point : task) text += point.name + "," + point.id + "\n";
    return text;
}

bool WriteStoreFile(const std::string& path, const std::string& text, std::string& error) {
    const std::string temporary = path + ".tmp";
    std::FILE* file = std::fopen(temporary.c_str(), "wb");
    if (file == nullptr) {
        error = temporary + ": " + std::strerror(errno);
        return false;
    }
    const bool written = std::fwrite(text.data(), 1, text.size(), file) == text.size();
    const int writeErrno = errno;
    if (std::fclose(file) != 0 || !written) {
        error = temporary + ": " + std::strerror(written ? errno : writeErrno);
        std::remove(temporary.c_str());
        return false;
    }
    if (std::rename(temporary.c_str(), path.c_str()) != 0) {
        error = path + ": " + std::strerror(errno);
        std::remove(temporary.c_str());
        return false;
    }
    return true;
}

}  // namespace zr640::sim
