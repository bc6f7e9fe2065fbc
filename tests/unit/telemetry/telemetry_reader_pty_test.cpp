// The poll step over a real pseudo-terminal: the instrument's side is played on the master.
#include <gtest/gtest.h>

#include <chrono>
#include <ctime>
#include <string>
#include <thread>
#include <vector>

#include "fake_dialog_controls.h"
#include "hex_bytes.h"
#include "platform/posix/posix_serial_device.h"
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

// Processor time of this process, to tell a blocking wait from a spinning one.
double CpuSeconds() {
    return static_cast<double>(std::clock()) / CLOCKS_PER_SEC;
}

class PollTelemetryOverPty : public ::testing::Test {
protected:
    PollTelemetryOverPty() {
        record.device = &device;
        record.indicators = &dialog;
        port = OpenComPort(record, 1, 4800, 'N', 8, 1, 256, 256, 0);
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
    EXPECT_EQ(dialog.itemText[kByteDisplayId], "EOF     ");
    StepWhenInputWaits();
    EXPECT_EQ(dialog.itemText[kByteDisplayId], "41 A ");
    StepWhenInputWaits();
    ASSERT_EQ(dialog.list.entries.size(), 1u);
    EXPECT_EQ(dialog.list.entries[0].substr(0, 41), "Reading     1 Satznr 0 FlugZeitSek:3725 A");
    EXPECT_NE(dialog.list.entries[0].find(" DiffWinkel:-45"), std::string::npos);
}

TEST_F(PollTelemetryOverPty, RestOfAFrameArrivingWithinTheLimitCompletesIt) {
    const std::string frame = FlightFrame();
    pty.Send(frame.substr(0, 12));
    std::thread instrument([&] {
        std::this_thread::sleep_for(300ms);
        pty.Send(frame.substr(12));
    });
    const auto took = TimedStep();
    instrument.join();
    ASSERT_EQ(dialog.list.entries.size(), 1u);
    EXPECT_NE(dialog.list.entries[0].find("Satznr 0 FlugZeitSek:3725"), std::string::npos);
    EXPECT_GE(took, 250ms);
}

TEST_F(PollTelemetryOverPty, SilentInstrumentInsideAFrameHoldsTheStepOnlyUpToTheLimit) {
    pty.Send(FlightFrame().substr(0, 12));
    const double cpuBefore = CpuSeconds();
    const auto took = TimedStep();
    const double cpuUsed = CpuSeconds() - cpuBefore;

    EXPECT_EQ(dialog.list.entries,
              std::vector<std::string>{"Reading     1 $ Rahmen abgebrochen nach 12 von 45 Bytes"});
    EXPECT_GE(took, std::chrono::milliseconds(kFrameSilenceLimitMs - 50));
    // Generous for a loaded machine; an unbounded wait would never return at all.
    EXPECT_LT(took, std::chrono::milliseconds(kFrameSilenceLimitMs + 2000));
    // The wait blocks: a second of polling would burn most of a second of processor time.
    EXPECT_LT(cpuUsed, 0.2);

    // The line is usable afterwards: the next frame is read as usual.
    pty.Send(FlightFrame());
    StepWhenInputWaits();
    ASSERT_EQ(dialog.list.entries.size(), 2u);
    EXPECT_EQ(dialog.list.entries[1].substr(0, 22), "Reading     2 Satznr 0");
}

TEST_F(PollTelemetryOverPty, HangUpInsideAFrameEndsTheStepAtOnce) {
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
    EXPECT_LT(took, std::chrono::milliseconds(kFrameSilenceLimitMs - 200));
}

}  // namespace
}  // namespace zr640
