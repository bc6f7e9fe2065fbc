// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <vector>

#include "instrument.h"
#include "telemetry_source.h"

namespace zr640::sim {

struct SimOptions {
    std::string linkPath;
    int intervalMs = 1000;  // 0: no telemetry
    std::string framesPath;
    bool replayOnce = false;
    long baud = 0;          // 0: unpaced
    std::string storePath;
    std::string logPath;
    bool verbose = false;
    bool exitOnStdinEof = false;
    int transferQuietMs = 2500;
    std::string werknummer = "A1234";
    int replyDelayMs = 0;
    int unplugAfterMs = -1;  // closes the line that long after the start (once)
    int reopenAfterMs = -1;  // after a hang-up: -1 exits, else a new line after that long
    ReplyFaults replyFaults;
    TelemetryFaults telemetryFaults;
};

enum class CommandLineOutcome { Run, Help, Version, Error };

struct CommandLine {
    CommandLineOutcome outcome = CommandLineOutcome::Run;
    SimOptions options;
    std::string error;  // for Error: what is wrong, naming the option
};

// Reads the arguments after the program name. Options take their value as the next
// argument or after "=" (--interval 500, --interval=500).
CommandLine ParseCommandLine(const std::vector<std::string>& arguments);

// The --help text.
std::string UsageText();

}  // namespace zr640::sim
