// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <algorithm>
#include <cstdint>
#include <deque>
#include <functional>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "manual_clock.h"
#include "platform/serial_device.h"

namespace zr640::testing {

// What the far end sends after one sentence: `bytes` become readable `delayMs` after the line
// end written last has left the device (on the clock given to the device); with `loseLine`
// the line is gone once they are read.
struct ScriptedReply {
    std::string bytes;
    std::uint32_t delayMs = 0;
    bool loseLine = false;
};

// A serial device for what a pseudo-terminal cannot do: fail a chosen step (named as in
// `calls`) with a chosen error code, answer each sentence from a script, hold written bytes
// in an output queue that empties at the pace of a real line, stall, and let time-outs pass
// at once by moving the clock. Every call is recorded in order, with its arguments.
class FakeSerialDevice final : public platform::SerialDevice {
public:
    explicit FakeSerialDevice(ManualClock* clock) : clock_(*clock) {}

    bool Open(int portNumber) override { return Step("Open", N(portNumber)); }
    std::string OpenFailureDetail() override { return openFailureDetail; }
    bool SetupQueues(std::uint32_t rx, std::uint32_t tx) override {
        return Step("SetupQueues", N(rx) + " " + N(tx));
    }
    int BuildLineSettings(const char* text) override { return Step("BuildLineSettings", text); }
    bool ApplyLineSettings() override { return Step("ApplyLineSettings"); }
    bool GetTimeouts(platform::CommTimeouts& timeouts) override {
        return Step("GetTimeouts") && (timeouts = deviceTimeouts, true);
    }
    bool SetTimeouts(const platform::CommTimeouts& t) override {
        return Step("SetTimeouts", N(t.readIntervalTimeout) + " " + N(t.readTotalTimeoutMultiplier) +
                                       " " + N(t.readTotalTimeoutConstant) + " " +
                                       N(t.writeTotalTimeoutMultiplier) + " " +
                                       N(t.writeTotalTimeoutConstant)) &&
               (deviceTimeouts = t, true);
    }
    bool SetEventMask(std::uint32_t mask) override { return Step("SetEventMask", N(mask)); }
    bool Purge(std::uint32_t flags) override {
        if (!Step("Purge", N(flags))) return false;
        if ((flags & platform::kPurgeRxClear) != 0) input.clear();
        if ((flags & platform::kPurgeTxClear) != 0 && QueuedBytes() > 0) {
            calls.push_back("       " + N(QueuedBytes()) + " bytes not sent");
            sentUntilUs_ = NowUs(), pending_.reset();  // the sentence never arrives whole
        }
        return true;
    }
    void ClearErrors() override { Step("ClearErrors"); }
    // Takes what waits, as far as the capacity asked for allows.
    int Read(std::uint8_t* bytes, int capacity) override {
        Step("Read", N(capacity));
        DeliverDueReply();
        int count = 0;
        for (; count < capacity && !input.empty(); ++count, input.pop_front()) {
            bytes[count] = input.front();
        }
        return count;
    }
    platform::InputWait WaitForInput(std::uint32_t timeoutMs) override {
        Step("WaitForInput", N(timeoutMs));
        DeliverDueReply();
        if (!input.empty()) return platform::InputWait::Ready;
        if (lineLost) return platform::InputWait::LineLost;
        if (pending_ && dueMs_ - clock_.NowMs() <= timeoutMs) {
            clock_.Advance(dueMs_ - clock_.NowMs());
            DeliverDueReply();
            return input.empty() && lineLost ? platform::InputWait::LineLost
                                             : platform::InputWait::Ready;
        }
        clock_.Advance(timeoutMs);
        return platform::InputWait::TimedOut;
    }
    int Write(const std::uint8_t* bytes, int length, std::uint32_t timeoutMs) override {
        Step("Write", N(length));
        if (writeAccepts && *writeAccepts < 0) {
            writes.emplace_back();
            return *writeAccepts;
        }
        const int taken = stalled ? 0 : std::min(length, writeAccepts.value_or(length));
        const std::string sent(reinterpret_cast<const char*>(bytes),
                               static_cast<std::size_t>(taken));
        writes.push_back(sent);
        sentUntilUs_ = std::max(sentUntilUs_, NowUs()) + std::uint64_t{byteMicros} * sent.size();
        if (!replies.empty() && !sent.empty() && sent.back() == '\n') {
            pending_ = replies.front(), replies.pop_front();
            dueMs_ = static_cast<std::uint32_t>((sentUntilUs_ + 999) / 1000) + pending_->delayMs;
            DeliverDueReply();
        }
        if (taken < length) clock_.Advance(timeoutMs);  // waited for room that did not come
        return taken;
    }
    int OutputQueued() override { return Step("OutputQueued"), QueuedBytes(); }
    void EscapeFunction(int function) override {
        Step("EscapeFunction", N(function)), escapes.push_back(function);
    }
    bool Close() override { return Step("Close"); }
    std::uint32_t LastError() override { return lastErrorCode; }

    // Bytes that are readable at once, as if they had arrived before the call.
    void Feed(const std::string& bytes) { input.insert(input.end(), bytes.begin(), bytes.end()); }

    // Set up by the test.
    std::set<std::string> failing;  // the names of the steps that fail
    std::uint32_t lastErrorCode = 5;
    std::string openFailureDetail;
    std::deque<ScriptedReply> replies;
    std::optional<int> writeAccepts;  // bytes that Write takes, when not all; -1: it fails
    bool stalled = false;  // Write takes nothing and waits its whole time
    std::uint32_t byteMicros = 0;  // one byte's time on the wire; 0: output leaves at once
    platform::CommTimeouts deviceTimeouts{1, 2, 3, 4, 5};
    std::function<void(const std::string&)> onCall;  // as each call begins, e.g. to cancel

    // Observed.
    std::deque<std::uint8_t> input;
    std::vector<std::string> calls;
    std::vector<std::string> writes;
    std::vector<int> escapes;
    bool lineLost = false;

private:
    static std::string N(long long value) { return std::to_string(value); }
    // Records the call; false when the test made this step fail.
    bool Step(const std::string& name, const std::string& arguments = "") {
        calls.push_back(arguments.empty() ? name : name + " " + arguments);
        if (onCall) onCall(name);
        return failing.count(name) == 0;
    }
    std::uint64_t NowUs() const { return std::uint64_t{clock_.NowMs()} * 1000; }
    int QueuedBytes() const {
        if (byteMicros == 0 || sentUntilUs_ <= NowUs()) return 0;
        return static_cast<int>((sentUntilUs_ - NowUs() + byteMicros - 1) / byteMicros);
    }

    void DeliverDueReply() {
        if (!pending_ || static_cast<std::int32_t>(clock_.NowMs() - dueMs_) < 0) return;
        Feed(pending_->bytes);
        lineLost = lineLost || pending_->loseLine;
        pending_.reset();
    }

    ManualClock& clock_;
    std::optional<ScriptedReply> pending_;  // the reply to the last sentence, due at dueMs_
    std::uint32_t dueMs_ = 0;
    std::uint64_t sentUntilUs_ = 0;  // when the output queue is empty
};

}  // namespace zr640::testing
