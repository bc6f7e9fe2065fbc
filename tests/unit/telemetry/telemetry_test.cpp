// SPDX-License-Identifier: GPL-3.0-or-later
// The telemetry receive step over the fake device. The decoding test replays every captured
// byte stream in tests/data/telemetry (*.hex) and compares the event log with the lines next
// to it (*.log), also under a locale with a decimal comma; after a deliberate change, run with
// ZR640_REGENERATE_GOLDEN=1 and review the diff. The frame reader's table says what one step
// takes and waits.
#include <gtest/gtest.h>

#include <algorithm>
#include <clocale>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <sstream>
#include <stdexcept>
#include <string>

#include "fake_dialog_controls.h"
#include "platform/dialog_layout.h"
#include "telemetry/telemetry_reader.h"
#include "test_files.h"
#include "transcript.h"

namespace zr640 {
namespace {

namespace fs = std::filesystem;
const fs::path kCaptures = ZR640_TELEMETRY_GOLDEN_DIR;

// Bytes written as hexadecimal numbers with blanks between them: "24 41 2D 00".
std::string HexBytes(const std::string& text) {
    std::istringstream in(text);
    std::string bytes;
    for (unsigned byte = 0; in >> std::hex >> byte && byte <= 0xFF;) {
        bytes += static_cast<char>(byte);
    }
    if (!in.eof()) throw std::invalid_argument("not hexadecimal bytes: " + text);
    return bytes;
}

// An open port on the fake device, whose waits move the fake clock, and the dialog.
struct Line {
    explicit Line(const std::string& fed) {
        record.device = &device, port = OpenComPort(record, 1, 4800, 'N', 8, 1, 256);
        device.Feed(fed);  // after the opening, which discards what came before
    }
    void Step(ComPort* from) { PollTelemetry(from, reader, dialog, &dialog.log, clock); }
    // Bytes not yet taken: in the device, and read ahead into the port's ring.
    std::size_t Waiting() const {
        return device.input.size() + static_cast<std::size_t>(record.rxWritePos - record.rxReadPos);
    }

    testing::RecordingMessageBox messageBoxes;
    testing::ManualClock clock;
    testing::FakeSerialDevice device{&clock};
    testing::FakeDialogControls dialog;
    ComPort record;
    ComPort* port = nullptr;
    TelemetryReader reader;
};

// The event log once the poll step has used up the capture; every step takes a byte.
std::string Replay(const std::string& capture) {
    Line line(capture);
    for (std::size_t step = 0; step <= capture.size() && line.Waiting() > 0; ++step) {
        line.Step(line.port);
    }
    std::string log;
    for (const std::string& entry : line.dialog.list.entries) log += entry + '\n';
    return log;
}

// The event log of every capture in tests/data/telemetry, by its name.
std::map<std::string, std::string> ReplayEveryCapture() {
    std::map<std::string, std::string> logs;
    for (const std::string& name : testing::NamesIn(ZR640_TELEMETRY_GOLDEN_DIR, ".hex")) {
        std::string capture;
        std::istringstream in(testing::ReadWholeFile(kCaptures / (name + ".hex")));
        for (std::string text; std::getline(in, text);) {
            capture += HexBytes(text.substr(0, text.find('#')));  // '#' starts a comment
        }
        logs[name] = Replay(capture);
    }
    return logs;
}

TEST(TelemetryGolden, EveryCaptureGivesItsLoggedLines) {
    for (const auto& [name, log] : ReplayEveryCapture()) {
        testing::ExpectGolden(kCaptures / (name + ".log"), log);
    }
    EXPECT_EQ(testing::NamesIn(kCaptures, ".log"), testing::NamesIn(kCaptures, ".hex"));
}

// A toolkit may set the user's locale. Where the build made a German one, it must be there;
// elsewhere a missing one is a skip that the test summary shows.
TEST(TelemetryGolden, ADecimalCommaChangesNoLoggedLine) {
#ifdef ZR640_GERMAN_LOCALE_DIR
    setenv("LOCPATH", ZR640_GERMAN_LOCALE_DIR, 1);
#endif
    bool comma = false;
    for (const char* name : {"de_DE.UTF-8", "German_Germany.1252"}) {
        comma = comma || (std::setlocale(LC_NUMERIC, name) != nullptr &&
                          std::localeconv()->decimal_point[0] == ',');
    }
#ifdef ZR640_GERMAN_LOCALE_DIR
    ASSERT_TRUE(comma) << "no German locale in " << ZR640_GERMAN_LOCALE_DIR;
#endif
    if (!comma) GTEST_SKIP() << "no locale with a decimal comma";
    const std::map<std::string, std::string> logs = ReplayEveryCapture();
    std::setlocale(LC_NUMERIC, "C");
    for (const auto& [name, log] : logs) {
        EXPECT_EQ(log, testing::ReadWholeFile(kCaptures / (name + ".log"))) << name;
    }
}

struct StepRow {
    const char* legend;
    std::string fed;
    bool lineLost = false;
    std::int32_t counterBefore = 0;
    bool withPort = true;
    std::string arriving = "";  // comes while the step waits the first time
};

// One step on each row's fresh line: what it showed, logged and left waiting in the port, and
// how long it waited in how many waits; then the silence limits; against poll_steps.txt.
TEST(PollTelemetry, OneStepTakesShowsWaitsAndLogsAsEachRowSays) {
    const std::string generic = HexBytes("24 41 06 37 01 99");
    const std::string flight = HexBytes("24 41 2D 00 00 00 00 00 00 8D 0E D2 04 F0 05 1E 05");
    const std::string long45 = HexBytes("24 41 2D 37 01") + std::string(40, 'x');
    const std::string long255 = HexBytes("24 41 FF 37 05") + std::string(250, 'y');
    const StepRow rows[] = {
        {"nothing waiting", ""},
        {"no port", "", false, 0, false},
        {"a zero byte ends the display text", HexBytes("41 00")},
        {"a high byte shows as two digits and itself", HexBytes("0A E4")},
        {"0xFF reads as nothing taken", HexBytes("41 FF")},
        {"stray bytes up to the dollar sign, then the frame", HexBytes("FF 41") + generic + "x"},
        {"200 bytes waiting are taken with one read", std::string(150, 'A') + long45 + "12345"},
        {"at most 4096 bytes before a frame", std::string(4101, 'A')},
        {"one frame per step, the next one waits", generic + generic},
        {"Length 0 is dropped after its header", HexBytes("24 41 00") + generic},
        {"silence inside the body", flight},
        {"silence inside the header", "$A"},
        {"a lost line ends the wait at once", flight, true},
        {"the rest on its way is read once its time on the line has passed", long45.substr(0, 5),
         false, 0, true, long45.substr(5)},
        {"that time is at most the silence limit", long255.substr(0, 3), false, 0, true,
         long255.substr(3)},
        {"six digits widen the number", generic, false, 99999},
    };
    std::string story;
    for (const StepRow& row : rows) {
        Line line(row.fed);
        line.reader.FrameCounter = row.counterBefore;
        line.device.lineLost = row.lineLost;
        const std::uint32_t startMs = line.clock.NowMs();
        int waits = 0;  // a step that kept waiting on a lost line would never end
        line.device.onCall = [&](const std::string& call) {
            if (call != "WaitForInput") return;
            if (++waits > 10) throw std::runtime_error("spins");
            if (waits == 1) line.device.Feed(row.arriving);
        };
        line.device.calls.clear();
        line.Step(row.withPort ? line.port : nullptr);
        const auto reads = std::count_if(line.device.calls.begin(), line.device.calls.end(),
                                         [](const std::string& c) { return c.starts_with("Read "); });
        story += "== " + std::string(row.legend) + "\nshown \"" +
                 testing::Escaped(line.dialog.itemText[IDC_BYTE_DISPLAY]) + "\",";
        for (const auto& [id, on] : line.dialog.checks) story += on ? " RX on," : " RX off,";
        story += " " + std::to_string(line.Waiting()) + " bytes left, waited " +
                 std::to_string(line.clock.NowMs() - startMs) + " ms in " +
                 std::to_string(waits) + " waits, " + std::to_string(reads) + " reads\n";
        for (const std::string& entry : line.dialog.list.entries) story += entry + "\n";
    }
    story += "== the silence that gives a frame up, by baud rate\n";
    for (const std::int32_t baud : {115200, 2000, 1999, 300, 110, 0}) {
        story += std::to_string(baud) + ": " + std::to_string(FrameSilenceLimitForBaud(baud)) + "\n";
    }
    testing::ExpectGolden(ZR640_TELEMETRY_GOLDEN_DIR "/poll_steps.txt", story);
}

}  // namespace
}  // namespace zr640
