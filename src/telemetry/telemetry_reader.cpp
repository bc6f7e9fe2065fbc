// SPDX-License-Identifier: GPL-3.0-or-later
#include "telemetry/telemetry_reader.h"

#include <cstdio>
#include <string>

#include "platform/dialog_layout.h"
#include "platform/event_log.h"
#include "telemetry/frame_assembler.h"
#include "telemetry/records.h"

namespace zr640 {

namespace {

// Nothing at all was waiting; a received 0xFF reads the same in the byte display.
constexpr int kNothingTaken = 0xFF;
constexpr std::size_t kByteDisplaySize = 16;
constexpr std::size_t kGenericLineSize = 64;
// Below the slowest rate that serial drivers offer, a baud rate in the configuration would
// let the silence limit hold the user interface for minutes.
constexpr std::int32_t kSlowestBaud = 110;
// Twenty characters of ten bits each, in bit times of a millisecond.
constexpr std::uint32_t kTwentyCharactersMsAtOneBaud = 20 * 10 * 1000;

void ShowByte(platform::DialogControls& dialog, int received) {
    const int low = received & 0xFF;
    if (low == kNothingTaken) {
        dialog.SetItemText(IDC_BYTE_DISPLAY, "EOF     ");
        dialog.CheckButton(IDC_RX, false);
        return;
    }
    // A zero byte ends the text after "00 ".
    char text[kByteDisplaySize];
    std::snprintf(text, sizeof text, "%02x %c ", low, static_cast<char>(low));
    dialog.SetItemText(IDC_BYTE_DISPLAY, text);
    dialog.CheckButton(IDC_RX, true);
}

// Takes the bytes that wait before the next frame (noise, the rest of a broken frame) up to
// and including its dollar sign, so that they cost no tick of their own: the last byte
// taken, or -1 when none was waiting.
int TakeBytesUpToFrameStart(ComPort* port) {
    int last = -1;
    for (int taken = 0; taken < kMaxBytesBeforeFrame && last != kFrameStart; ++taken) {
        const int received = ReadComByte(port);
        if (received < 0) {
            break;
        }
        last = received;
    }
    return last;
}

// How long the bytes the frame still lacks need on the line, at most `limitMs`.
std::uint32_t RestOnTheLineMs(ComPort* port, const FrameAssembler& frame,
                              std::uint32_t limitMs) {
    const std::uint32_t restMs = LineTimeMs(port, frame.Expected() - frame.Received());
    return restMs < limitMs ? restMs : limitMs;
}

// Reads the rest of the frame as it comes. The instrument sends a frame in one go, so a
// silence of `silenceLimitMs` within it means the rest is not coming; the wait blocks in
// WaitComInput between reads instead of polling. Once bytes come, the rest's time on the line
// passes before the next read: a wake for each byte would cost more than the byte (under Wine,
// a round trip through the server and back each).
FrameProgress ReadRestOfFrame(ComPort* port, FrameAssembler& frame,
                              platform::MonotonicClock& clock, std::uint32_t silenceLimitMs) {
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
        if (silenceMs >= silenceLimitMs ||
            WaitComInput(port, silenceLimitMs - silenceMs) != platform::InputWait::Ready) {
            break;
        }
        const std::uint32_t restMs = RestOnTheLineMs(port, frame, silenceLimitMs);
        if (restMs > 0) clock.Sleep(restMs);
    }
    return frame.Progress();
}

}  // namespace

std::uint32_t FrameSilenceLimitForBaud(std::int32_t baudRate) {
    const auto baud = static_cast<std::uint32_t>(baudRate > kSlowestBaud ? baudRate : kSlowestBaud);
    const std::uint32_t twentyCharactersMs = (kTwentyCharactersMsAtOneBaud + baud - 1) / baud;
    return twentyCharactersMs > kMinFrameSilenceMs ? twentyCharactersMs : kMinFrameSilenceMs;
}

std::string FrameLogLine(const FrameBytes& frame, std::int32_t frameCounter) {
    const std::uint8_t recordType = frame[kRecordTypeOffset];
    if (recordType == kFlightDataRecordType) {
        return FormatFlightDataRecord(frame.data(), frameCounter);
    }
    if (recordType == kDeviceStatusRecordType) {
        return FormatDeviceStatusRecord(frame.data(), frameCounter);
    }
    // A Tag of 0 ends the line after "$ ", as any zero byte ends a text.
    char line[kGenericLineSize];
    std::snprintf(line, sizeof line, "Reading %5d %c %c Bytes:%d Chk:%d Satz:%d\n", frameCounter,
                  frame[0], frame[kTagOffset], frame[kLengthOffset], frame[kCheckByteOffset],
                  recordType);
    return line;
}

void PollTelemetry(ComPort* port, TelemetryReader& reader, platform::DialogControls& dialog,
                   platform::LogSink* log, platform::MonotonicClock& clock) {
    const int last = TakeBytesUpToFrameStart(port);
    ShowByte(dialog, last);
    if (last != kFrameStart) {
        return;
    }

    FrameAssembler frame(reader.FrameBuffer);
    ++reader.FrameCounter;
    switch (ReadRestOfFrame(port, frame, clock, reader.FrameSilenceLimitMs)) {
    case FrameProgress::Complete:
        LogPrintf(log, "%s", FrameLogLine(reader.FrameBuffer, reader.FrameCounter).c_str());
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
