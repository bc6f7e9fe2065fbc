// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdio>
#include <string>

#include "fake_serial_device.h"
#include "manual_clock.h"
#include "platform/log_sink.h"
#include "recording_message_box.h"

namespace zr640::testing {

// Bytes as the golden files show them: printable ASCII as it stands, a backslash doubled, every
// other byte as \xHH (the simulator's traffic log writes them so too), line feeds kept if asked.
inline std::string Escaped(const std::string& bytes, bool keepLineFeeds = false) {
    std::string text;
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        char hex[8];
        std::snprintf(hex, sizeof hex, "\\x%02X", byte);
        const bool plain = (byte >= 0x20 && byte < 0x7F) || (keepLineFeeds && byte == '\n');
        text += byte == '\\' ? "\\\\" : plain ? std::string(1, c) : hex;
    }
    return text;
}

// What a run over a FakeSerialDevice did, in order: what it logged and the boxes it showed,
// each at its time on the ManualClock, and what reached the device. The log's texts and the
// boxes are put into the device's own call list, so that they stand among its calls in order.
class Transcript final : public platform::LogSink {
public:
    Transcript(FakeSerialDevice& device, ManualClock& clock, RecordingMessageBox& boxes)
        : device_(device), clock_(clock), startMs_(clock.NowMs()) {
        boxes.whileOpen = [this, &boxes] {
            const ShownMessage& box = boxes.shown.back();
            Note("box " + std::to_string(box.style) + (box.beepedBefore ? " beep [" : " [") +
                 box.caption + "] " + Escaped(box.text));
        };
    }
    void Append(const char* text) override { Note("log " + Escaped(text)); }

    // A line of the test's own, with the milliseconds since the start.
    void Note(const std::string& line) {
        char stamp[16];
        std::snprintf(stamp, sizeof stamp, "%6u ", clock_.NowMs() - startMs_);
        device_.calls.push_back(stamp + line);
    }

    // The run so far, and a fresh start: of the device's calls every one with `everyCall`,
    // else the writes and the RTS line alone.
    std::string Take(bool everyCall = false) {
        std::string story;
        std::size_t write = 0;
        for (const std::string& call : device_.calls) {
            if (call[0] == ' ' || (call[0] >= '0' && call[0] <= '9')) {
                story += call + "\n";
            } else if (call.rfind("Write ", 0) == 0) {
                story += "       tx " + Escaped(device_.writes.at(write++)) + "\n";
            } else if (call.rfind("EscapeFunction ", 0) == 0 && !everyCall) {
                story += call == "EscapeFunction 3" ? "       RTS up\n" : "       RTS down\n";
            } else if (everyCall) {
                story += "       " + call + "\n";
            }
        }
        device_.calls.clear();
        device_.writes.clear();
        startMs_ = clock_.NowMs();
        return story;
    }

private:
    FakeSerialDevice& device_;
    ManualClock& clock_;
    std::uint32_t startMs_;
};

}  // namespace zr640::testing
