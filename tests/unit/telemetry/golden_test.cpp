// Replays every captured byte stream in tests/data/telemetry (*.hex) through the poll step and
// compares the event log with the lines next to it (*.log). After a deliberate change of the
// log lines, run with ZR640_REGENERATE_GOLDEN=1 to rewrite the .log files, and review the diff.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "fake_dialog_controls.h"
#include "fake_serial_device.h"
#include "hex_bytes.h"
#include "manual_clock.h"
#include "recording_message_box.h"
#include "telemetry/telemetry_reader.h"

namespace zr640 {
namespace {

namespace fs = std::filesystem;

// The bytes of a capture: hexadecimal pairs, a '#' starts a comment up to the line's end.
std::string CaptureBytes(const fs::path& path) {
    std::ifstream in(path);
    std::string bytes;
    std::string line;
    while (std::getline(in, line)) {
        const std::vector<std::uint8_t> lineBytes =
            testing::HexBytes(line.substr(0, line.find('#')));
        bytes.append(lineBytes.begin(), lineBytes.end());
    }
    return bytes;
}

// The event log after the poll step has run over the whole capture: one step per byte is
// more than enough, since every step takes at least one byte while any are waiting.
std::string Replay(const std::string& capture) {
    testing::RecordingMessageBox messageBoxes;
    testing::ManualClock clock;
    testing::FakeSerialDevice device(&clock);
    testing::FakeDialogControls dialog;
    ComPort record;
    record.device = &device;
    ComPort* port = OpenComPort(record, 1, 4800, 'N', 8, 1, 256);
    device.Feed(capture);
    TelemetryReader reader;
    for (std::size_t step = 0; step <= capture.size() && !device.input.empty(); ++step) {
        PollTelemetry(port, reader, dialog, &dialog.log, clock);
    }
    std::string log;
    for (const std::string& entry : dialog.list.entries) {
        log += entry + '\n';
    }
    return log;
}

std::string ReadWhole(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// The first line at which two logs differ, for a readable failure.
std::string FirstDifference(const std::string& expected, const std::string& actual) {
    std::istringstream want(expected);
    std::istringstream got(actual);
    std::string wantLine;
    std::string gotLine;
    for (int number = 1;; ++number) {
        const bool moreWanted = static_cast<bool>(std::getline(want, wantLine));
        const bool moreGot = static_cast<bool>(std::getline(got, gotLine));
        if (!moreWanted && !moreGot) {
            return "none";
        }
        if (!moreWanted || !moreGot || wantLine != gotLine) {
            return "line " + std::to_string(number) + "\n  expected: " +
                   (moreWanted ? wantLine : "<end>") + "\n  actual:   " +
                   (moreGot ? gotLine : "<end>");
        }
    }
}

TEST(TelemetryGolden, EveryCaptureGivesItsLoggedLines) {
    const fs::path folder = ZR640_TELEMETRY_GOLDEN_DIR;
    const char* regenerate = std::getenv("ZR640_REGENERATE_GOLDEN");
    const bool regenerating = regenerate != nullptr && std::string(regenerate) == "1";

    int captures = 0;
    for (const fs::directory_entry& entry : fs::directory_iterator(folder)) {
        if (entry.path().extension() != ".hex") {
            continue;
        }
        ++captures;
        SCOPED_TRACE(entry.path().filename().string());
        const std::string actual = Replay(CaptureBytes(entry.path()));
        fs::path expectedPath = entry.path();
        expectedPath.replace_extension(".log");
        if (regenerating) {
            std::ofstream(expectedPath, std::ios::binary) << actual;
            continue;
        }
        ASSERT_TRUE(fs::exists(expectedPath))
            << expectedPath << " is missing; run with ZR640_REGENERATE_GOLDEN=1";
        const std::string expected = ReadWhole(expectedPath);
        EXPECT_EQ(expected, actual) << "first difference: " << FirstDifference(expected, actual);
    }
    EXPECT_GE(captures, 5) << "captures in " << folder;
}

}  // namespace
}  // namespace zr640
