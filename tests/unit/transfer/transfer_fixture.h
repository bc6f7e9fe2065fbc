#pragma once

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <vector>

#include "config/app_config.h"
#include "fake_list_view.h"
#include "fake_serial_device.h"
#include "manual_clock.h"
#include "recording_message_box.h"
#include "serial/com_port.h"
#include "serial/sentence.h"
#include "transfer/transfer.h"

namespace zr640::testing {

// A transfer over an open port whose device answers from a script, with a clock that jumps
// over every wait, so that a silent instrument costs no real time.
class TransferTest : public ::testing::Test {
protected:
    TransferTest() {
        record.device = &device;
        port = OpenComPort(record, 1, 4800, 'N', 8, 1, 256);
    }

    TransferContext Context() {
        return TransferContext{operation, port, config, waypointFilePath};
    }

    // One reply line, CR LF added, per write, in order.
    void Answer(std::initializer_list<std::string> lines) {
        for (const std::string& line : lines) {
            device.replies.push_back({line + "\r\n"});
        }
    }

    static std::string Hyphens(std::size_t count) { return std::string(count, '-'); }

    // The log entry of a framed sentence or a reply line: its CR stays, its LF ends the entry.
    static std::string Entry(const std::string& sentence) {
        return sentence.substr(0, sentence.size() - 1);
    }

    ManualClock clock;
    FakeSerialDevice device{&clock};
    ComPort record;
    ComPort* port = nullptr;
    testing::RecordedLog log;
    platform::OperationEnvironment operation{&log, clock};
    RecordingMessageBox messageBoxes;
    AppConfig config;
    std::string waypointFilePath;
};

}  // namespace zr640::testing
