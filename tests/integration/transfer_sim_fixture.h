#pragma once

#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "config/app_config.h"
#include "fake_list_view.h"
#include "platform/clock.h"
#include "backends/posix/posix_serial_device.h"
#include "recording_message_box.h"
#include "scratch_file.h"
#include "serial/com_port.h"
#include "sim_process.h"
#include "transfer/transfer.h"

namespace zr640::testing {

// A transfer through the real termios port to the real zr640-sim on a pseudo-terminal. The
// simulator logs every line it receives and keeps the waypoints and the task it stored.
class SimTransferTest : public ::testing::Test {
protected:
    ~SimTransferTest() override {
        if (port != nullptr) CloseComPort(port);
    }

    // Starts the simulator, without telemetry, with `faults` added to its options.
    void StartSim(const std::vector<std::string>& faults = {}) {
        std::vector<std::string> arguments = {"--no-telemetry", "--log", trafficLog.Path(),
                                              "--store", store.Path()};
        arguments.insert(arguments.end(), faults.begin(), faults.end());
        ASSERT_TRUE(sim.Start(arguments)) << sim.Error();
        device = std::make_unique<platform::PosixSerialDevice>(sim.SlavePath());
        record.device = device.get();
        port = OpenComPort(record, 1, 4800, 'N', 8, 1, 256);
        ASSERT_NE(port, nullptr);
    }

    void Upload(UploadMode mode, const std::string& fileBytes) {
        waypointFile.Write(fileBytes);
        waypointFilePath = waypointFile.Path();
        TransferContext context{operation, port, config, waypointFilePath};
        UploadWaypointFile(mode, context);
    }

    void SendTask() {
        TransferContext context{operation, port, config, waypointFilePath};
        UploadTask(context);
    }

    // Ends the simulator, which writes its memory on the way out.
    void StopSim() {
        if (port != nullptr) CloseComPort(port);
        port = nullptr;
        sim.Stop(SIGTERM);
    }

    // Every line the simulator received, byte for byte.
    std::vector<std::string> ReceivedLines() const {
        std::vector<std::string> lines;
        std::istringstream traffic(trafficLog.Read());
        for (std::string entry; std::getline(traffic, entry);) {
            if (entry.rfind("rx ", 0) == 0) lines.push_back(Unescaped(entry.substr(3)));
        }
        return lines;
    }

    // The lines of one section of the simulator's memory: "[waypoints]" or "[task]".
    std::vector<std::string> Stored(const std::string& section) const {
        std::vector<std::string> lines;
        std::istringstream memory(store.Read());
        bool inSection = false;
        for (std::string line; std::getline(memory, line);) {
            if (!line.empty() && line.front() == '[') {
                inSection = line == section;
            } else if (inSection && !line.empty()) {
                lines.push_back(line);
            }
        }
        return lines;
    }

    // Undoes the traffic log's escapes: "\\" for a backslash, "\xHH" for any other byte.
    static std::string Unescaped(const std::string& text) {
        std::string bytes;
        for (std::size_t i = 0; i < text.size(); ++i) {
            if (text[i] == '\\' && i + 1 < text.size() && text[i + 1] == 'x') {
                bytes += static_cast<char>(std::stoi(text.substr(i + 2, 2), nullptr, 16));
                i += 3;
            } else if (text[i] == '\\' && i + 1 < text.size() && text[i + 1] == '\\') {
                bytes += '\\';
                ++i;
            } else {
                bytes += text[i];
            }
        }
        return bytes;
    }

    static std::string Hyphens(std::size_t count) { return std::string(count, '-'); }

    RecordingMessageBox messageBoxes;
    ScratchFile trafficLog{""};
    ScratchFile store{""};
    ScratchFile waypointFile{""};
    test::SimProcess sim;
    std::unique_ptr<platform::PosixSerialDevice> device;
    ComPort record;
    ComPort* port = nullptr;
    platform::SteadyClock clock;
    testing::RecordedLog log;
    platform::OperationEnvironment operation{&log, clock};
    AppConfig config;
    std::string waypointFilePath;
};

}  // namespace zr640::testing
