// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/text/port_list_message.h"

namespace zr640::platform {
namespace {

constexpr std::size_t kPortEntryMaxChars = 200;
const std::string kHeading = "Vorhandene serielle Schnittstellen:";
const std::string kNoPorts = "keine seriellen Schnittstellen gefunden";
const std::string kMorePorts = "... (weitere nicht aufgef\xFChrt)";

// One odd name must not crowd out the others; the cut shows.
std::string Shortened(const std::string& port) {
    if (port.size() <= kPortEntryMaxChars) return port;
    return port.substr(0, kPortEntryMaxChars - 3) + "...";
}

}  // namespace

std::string FormatPortList(const std::vector<std::string>& ports, const std::string& hint,
                           std::size_t budget) {
    if (ports.empty()) {
        std::string text = kNoPorts + "\n" + hint;
        return text.size() <= budget ? text : std::string();
    }
    // Room for the line that says some were left out is kept whatever comes.
    const std::size_t frame = kHeading.size() + 1 + kMorePorts.size() + 1 + hint.size();
    if (frame > budget) return {};
    std::string lines;
    std::size_t shown = 0;
    for (const std::string& port : ports) {
        const std::string entry = Shortened(port);
        if (shown == kPortListMaxEntries || frame + lines.size() + entry.size() + 1 > budget) {
            break;
        }
        lines += entry + "\n";
        ++shown;
    }
    if (shown < ports.size()) lines += kMorePorts + "\n";
    return kHeading + "\n" + lines + hint;
}

}  // namespace zr640::platform
