// SPDX-License-Identifier: GPL-3.0-or-later
#include <cstdio>
#include <string>
#include <vector>

#include "options.h"
#include "simulator.h"
#include "zr640_version.h"

int main(int argc, char** argv) {
    using namespace zr640::sim;
    const CommandLine commandLine =
        ParseCommandLine(std::vector<std::string>(argv + 1, argv + argc));
    switch (commandLine.outcome) {
        case CommandLineOutcome::Help:
            std::fputs(UsageText().c_str(), stdout);
            return 0;
        case CommandLineOutcome::Version:
            std::printf("zr640-sim %s\n", ZR640_VERSION);
            return 0;
        case CommandLineOutcome::Error:
            std::fprintf(stderr, "zr640-sim: %s\nTry 'zr640-sim --help'.\n",
                         commandLine.error.c_str());
            return 2;
        case CommandLineOutcome::Run:
            break;
    }
    Simulator simulator(commandLine.options);
    return simulator.Run();
}
