// SPDX-License-Identifier: GPL-3.0-or-later
// Bytes of any kind from the line, taken by PollTelemetry tick after tick through the real port
// code from a fake device until none are left, in the driver or in the port's receive ring: each
// tick takes at least one byte and reads at most one frame, logging it; the record formatters
// end their line within LogPrintf's buffer.
#include <algorithm>
#include <cstring>

#include "fake_dialog_controls.h"
#include "fuzz_support.h"
#include "platform/dialog_layout.h"
#include "telemetry/records.h"
#include "telemetry/telemetry_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace zr640;
    FrameBytes frame{};
    std::memcpy(frame.data(), data, std::min(size, frame.size() - 1));
    for (const std::string& line : {FormatFlightDataRecord(frame.data(), std::int32_t(size)),
                                    FormatDeviceStatusRecord(frame.data(), std::int32_t(size))}) {
        ZR640_REQUIRE(line.size() < kLogBufferSize && line.back() == '\n');
        ZR640_REQUIRE(line.find('\0') == line.npos);
    }

    fuzz::FakeLine line;
    testing::FakeDialogControls dialog;
    line.device.Feed(std::string(reinterpret_cast<const char*>(data), size));
    TelemetryReader reader;
    const std::vector<std::string>& lines = dialog.list.entries;
    const auto waitingBytes = [&line] {
        return line.device.input.size() +
               static_cast<std::size_t>(line.port->rxWritePos - line.port->rxReadPos);
    };
    for (std::uint32_t ticks = 1; waitingBytes() > 0; ++ticks) {
        const std::size_t waiting = waitingBytes();
        const std::size_t logged = lines.size() + dialog.list.deletions;
        const std::int32_t frames = reader.FrameCounter;
        PollTelemetry(line.port, reader, dialog, &dialog.log, line.clock);
        const std::size_t added = lines.size() + dialog.list.deletions - logged;
        ZR640_REQUIRE(waitingBytes() < waiting && reader.FrameCounter - frames <= 1);
        ZR640_REQUIRE((reader.FrameCounter != frames) == (added > 0));
        ZR640_REQUIRE(added == 0 || lines[lines.size() - added].starts_with("Reading "));
        ZR640_REQUIRE(reader.FrameBuffer.back() == 0);
        ZR640_REQUIRE(dialog.itemText[IDC_BYTE_DISPLAY].size() <= 8);
        ZR640_REQUIRE(line.clock.NowMs() - 1000 <= ticks * reader.FrameSilenceLimitMs);
    }
    ZR640_REQUIRE(fuzz::messages.shown.empty() && CloseComPort(line.port) == 0);
    return 0;
}
