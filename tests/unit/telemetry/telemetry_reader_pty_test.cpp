// The poll step over a real pseudo-terminal: the instrument's side is played on the master.
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "fake_dialog_controls.h"
#include "hex_bytes.h"
#include "backends/posix/posix_serial_device.h"
#include "pty_pair.h"
#include "recording_message_box.h"
#include "telemetry/telemetry_reader.h"

namespace zr640 {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

std::string FlightFrame() {
    const std::vector<std::uint8_t> bytes = testing::HexBytes(
        "24 41 2D 00 00 00 00 00 00 8D 0E D2 04 F0 05 1E 05 E9 02 F4 FF 6A FF 0F 00 F8 FF 17 "
        "00 51 04 DB 03 91 0A 80 57 04 86 7E CD 87 AC D3 FF");
    return std::string(bytes.begin(), bytes.end());
}

class PollTelemetryOverPty : public ::testing::Test {
protected:
    PollTelemetryOverPty() {
        record.device = &device;
        record.indicators = &dialog;
        port = OpenComPort(record, 1, 4800, 'N', 8, 1, 256);
    }

    // One tick, once the line has something for it (or a generous time has passed).
    void StepWhenInputWaits() {
        WaitComInput(port, 5000);
        PollTelemetry(port, reader, dialog, &dialog.log, clock);
    }

    std::chrono::milliseconds TimedStep() {
        WaitComInput(port, 5000);
        const auto start = Clock::now();
        PollTelemetry(port, reader, dialog, &dialog.log, clock);
        return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start);
    }

    testing::RecordingMessageBox messageBoxes;
    testing::PtyPair pty;
    platform::PosixSerialDevice device{pty.SlavePath()};
    platform::SteadyClock clock;
    testing::FakeDialogControls dialog;
    ComPort record;
    ComPort* port = nullptr;
    TelemetryReader reader;
};

TEST_F(PollTelemetryOverPty, FramesAndStrayBytesComeThroughTheLine) {
    ASSERT_EQ(port, &record);
    pty.Send("\xFF" "A" + FlightFrame());
    StepWhenInputWaits();
    EXPECT_EQ(dialog.itemText[IDC_BYTE_DISPLAY], "24 $ ");
    ASSERT_EQ(dialog.list.entries.size(), 1u);
    EXPECT_EQ(dialog.list.entries[0].substr(0, 41), "Reading     1 Satznr 0 FlugZeitSek:3725 A");
    EXPECT_NE(dialog.list.entries[0].find(" DiffWinkel:-45"), std::string::npos);
}

TEST_F(PollTelemetryOverPty, HangUpInsideAFrameEndsTheStepAtOnce) {
    reader.FrameSilenceLimitMs = 1000;
    pty.Send(FlightFrame().substr(0, 20));
    // Unplugged while the step waits for the rest.
    std::thread unplug([&] {
        std::this_thread::sleep_for(100ms);
        pty.CloseMaster();
    });
    const auto took = TimedStep();
    unplug.join();
    EXPECT_EQ(dialog.list.entries,
              std::vector<std::string>{"Reading     1 $ Rahmen abgebrochen nach 20 von 45 Bytes"});
    EXPECT_LT(took, std::chrono::milliseconds(reader.FrameSilenceLimitMs - 200));
}

}  // namespace
}  // namespace zr640
