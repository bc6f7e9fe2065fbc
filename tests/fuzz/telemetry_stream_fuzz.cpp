// Bytes from the line of any kind, taken by PollTelemetry tick after tick through the real port
// code from a fake device until nothing is left; and the two record formatters on a frame
// buffer of any bytes.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>

#include "platform/event_log.h"
#include "fake_dialog_controls.h"
#include "fake_list_view.h"
#include "fake_serial_device.h"
#include "fuzz_support.h"
#include "manual_clock.h"
#include "serial/com_port.h"
#include "telemetry/records.h"
#include "telemetry/telemetry_reader.h"

namespace {

using zr640::testing::FakeDialogControls;
using zr640::testing::FakeListView;
using zr640::testing::FakeSerialDevice;
using zr640::testing::ManualClock;

// A line reaches the log whole: LogPrintf formats into kLogBufferSize bytes. (The degrees of
// an angle beyond 2^31 are printed in full, up to 41 digits, so a flight line can be longer
// than the 480 characters that 32-bit degrees would allow.)
constexpr std::size_t kLongestRecordLine = zr640::kLogBufferSize - 1;

void CheckFormatters(const std::uint8_t* data, std::size_t size, std::int32_t frameCounter) {
    zr640::FrameBytes frame{};
    std::memcpy(frame.data(), data, std::min(size, frame.size() - 1));
    const std::string flight = zr640::FormatFlightDataRecord(frame.data(), frameCounter);
    ZR640_REQUIRE(flight.size() <= kLongestRecordLine && flight.back() == '\n');
    ZR640_REQUIRE(flight.find('\n') == flight.size() - 1);
    ZR640_REQUIRE(flight.find('\0') == std::string::npos);
    const std::string status = zr640::FormatDeviceStatusRecord(frame.data(), frameCounter);
    ZR640_REQUIRE(status.size() <= kLongestRecordLine && status.back() == '\n');
    ZR640_REQUIRE(status.find('\0') == std::string::npos);
}

void CheckStream(const std::uint8_t* data, std::size_t size) {
    static zr640::fuzz::CountingMessageBox messages;
    ManualClock clock;
    FakeSerialDevice device(&clock);
    zr640::ComPort record;
    record.device = &device;
    zr640::ComPort* port = zr640::OpenComPort(record, 1, 4800, 'N', 8, 1, 256);
    ZR640_REQUIRE(port != nullptr);
    device.Feed(std::string(reinterpret_cast<const char*>(data), size));

    zr640::TelemetryReader reader;
    FakeDialogControls dialog;
    FakeListView& log = dialog.list;
    std::size_t ticks = 0;
    std::size_t framesBegun = 0;
    while (!device.input.empty()) {
        const std::size_t before = device.input.size();
        const std::size_t entriesBefore = log.entries.size();
        const int deletionsBefore = log.deletions;
        const std::int32_t counterBefore = reader.FrameCounter;
        zr640::PollTelemetry(port, reader, dialog, &dialog.log, clock);
        ++ticks;
        // Every tick takes at least its one byte, and a frame is read to its end or given up
        // within the same tick, with one line for it.
        ZR640_REQUIRE(device.input.size() < before);
        ZR640_REQUIRE(reader.FrameCounter - counterBefore <= 1);
        if (reader.FrameCounter != counterBefore) {
            ++framesBegun;
            // The log keeps its last 2000 entries: the oldest go as the new ones come.
            const std::size_t dropped = static_cast<std::size_t>(log.deletions - deletionsBefore);
            ZR640_REQUIRE(log.entries.size() + dropped > entriesBefore);
            ZR640_REQUIRE(log.entries[entriesBefore - dropped].rfind("Reading ", 0) == 0);
        } else {
            ZR640_REQUIRE(log.entries.size() == entriesBefore && log.deletions == deletionsBefore);
        }
        ZR640_REQUIRE(reader.FrameBuffer.back() == 0);
        ZR640_REQUIRE(dialog.itemText[zr640::IDC_BYTE_DISPLAY].size() <= 8);
        ZR640_REQUIRE(clock.NowMs() - 1000 <= ticks * reader.FrameSilenceLimitMs);
    }
    ZR640_REQUIRE(static_cast<std::size_t>(reader.FrameCounter) == framesBegun);
    ZR640_REQUIRE(ticks <= size);
    ZR640_REQUIRE(messages.shown == 0);
    ZR640_REQUIRE(zr640::CloseComPort(port) == 0);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    CheckFormatters(data, size, static_cast<std::int32_t>(size));
    CheckStream(data, size);
    return 0;
}
