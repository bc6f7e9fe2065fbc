// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <string>

namespace zr640::platform {

// How far a long device operation has come, as the operation itself says it.
struct ProgressReport {
    std::string activity;     // what it does, Windows-1252: "Replace", "Strecke setzen"
    int total = 0;            // the steps it will take; 0 while nobody knows
    int done = 0;             // the steps taken
    std::uint32_t atMs = 0;   // when it said so, on the operation's clock
};

// Where an operation's progress goes: from a job away from the dialog's thread, the way back
// to it, where the title and the taskbar button show it.
class ProgressSink {
public:
    virtual ~ProgressSink() = default;
    virtual void Report(const ProgressReport& report) = 0;
};

}  // namespace zr640::platform
