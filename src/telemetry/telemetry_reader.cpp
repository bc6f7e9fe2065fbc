#include "telemetry/telemetry_reader.h"

#include <cstdio>
#include <string>

#include "app/event_log.h"
#include "telemetry/frame_assembler.h"
#include "telemetry/records.h"

namespace zr640 {

namespace {

// Nothing at all was waiting; a received 0xFF reads the same at the start of a step.
constexpr int kNothingTaken = 0xFF;
constexpr std::size_t kByteDisplaySize = 16;

void ShowByte(platform::DialogControls& dialog, int received) {
    const int low = received & 0xFF;
    if (low == kNothingTaken) {
        dialog.SetItemText(kByteDisplayId, "EOF     ");
        dialog.CheckButton(kRxIndicatorId, false);
        return;
    }
    // A zero byte ends the text after "00 ".
    char text[kByteDisplaySize];
    std::snprintf(text, sizeof text, "%02x %c ", low, static_cast<char>(low));
    dialog.SetItemText(kByteDisplayId, text);
    dialog.CheckButton(kRxIndicatorId, true);
}

// Reads the rest of the frame as it comes. The instrument sends a frame in one go, so a
// silence of kFrameSilenceLimitMs within it means the rest is not coming; the wait blocks in
// WaitComInput between reads instead of polling.
FrameProgress ReadRestOfFrame(ComPort* port, FrameAssembler& frame,
                              platform::MonotonicClock& clock) {
    bool silent = false;
    std::uint32_t silentSinceMs = 0;
    while (frame.Progress() == FrameProgress::Collecting) {
        const int received = ReadComByte(port);
        if (received >= 0) {
            frame.Add(static_cast<std::uint8_t>(received));
            silent = false;
            continue;
        }
        const std::uint32_t nowMs = clock.NowMs();
        if (!silent) {
            silent = true;
            silentSinceMs = nowMs;
        }
        const std::uint32_t silenceMs = nowMs - silentSinceMs;
        if (silenceMs >= kFrameSilenceLimitMs ||
            WaitComInput(port, kFrameSilenceLimitMs - silenceMs) != platform::InputWait::Ready) {
            break;
        }
    }
    return frame.Progress();
}

void LogFrame(platform::LogSink* log, const FrameBytes& buffer, std::int32_t frameCounter) {
    const std::uint8_t recordType = buffer[kRecordTypeOffset];
    if (recordType == kFlightDataRecordType) {
        LogPrintf(log, "%s", FormatFlightDataRecord(buffer.data(), frameCounter).c_str());
    } else if (recordType == kDeviceStatusRecordType) {
        LogPrintf(log, "%s", FormatDeviceStatusRecord(buffer.data(), frameCounter).c_str());
    } else {
        // A Tag of 0 ends the line after "$ ", as any zero byte ends a text.
        LogPrintf(log, "Reading %5d %c %c Bytes:%d Chk:%d Satz:%d\n", frameCounter,
                  buffer[0], buffer[kTagOffset], buffer[kLengthOffset],
                  buffer[kCheckByteOffset], recordType);
    }
}

}  // namespace

void PollTelemetry(ComPort* port, TelemetryReader& reader, platform::DialogControls& dialog,
                   platform::LogSink* log, platform::MonotonicClock& clock) {
    const int received = ReadComByte(port);
    ShowByte(dialog, received);
    if ((received & 0xFF) != kFrameStart) {
        return;
    }

    FrameAssembler frame(reader.FrameBuffer);
    ++reader.FrameCounter;
    switch (ReadRestOfFrame(port, frame, clock)) {
    case FrameProgress::Complete:
        LogFrame(log, reader.FrameBuffer, reader.FrameCounter);
        break;
    case FrameProgress::ZeroLength:
        LogPrintf(log, "Reading %5d $ Laenge 0, Rahmen verworfen\n", reader.FrameCounter);
        break;
    case FrameProgress::Collecting:
        LogPrintf(log, "Reading %5d $ Rahmen abgebrochen nach %d von %d Bytes\n",
                  reader.FrameCounter, frame.Received(), frame.Expected());
        break;
    }
}

}  // namespace zr640
