#pragma once

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

// What the far end sends after one write: `bytes` become readable `delayMs` after the write
// (on the clock given to the device); with `loseLine` the line is gone once they are read.
struct ScriptedReply {
    std::string bytes;
    std::uint32_t delayMs = 0;
    bool loseLine = false;
};

// A serial device for what a pseudo-terminal cannot do: fail a chosen step (named as in
// `calls`) with a chosen error code, answer each write from a script, and let time-outs pass
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
        if (onWait) onWait();
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
    int Write(const std::uint8_t* bytes, int length) override {
        Step("Write", N(length));
        writes.emplace_back(reinterpret_cast<const char*>(bytes), static_cast<std::size_t>(length));
        if (!replies.empty()) {
            pending_ = replies.front(), dueMs_ = clock_.NowMs() + pending_->delayMs;
            replies.pop_front();
            DeliverDueReply();
        }
        return writeAccepts.value_or(length);
    }
    void WaitUntilSent() override { Step("WaitUntilSent"); }
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
    std::optional<int> writeAccepts;  // bytes that Write reports, when not all
    platform::CommTimeouts deviceTimeouts{1, 2, 3, 4, 5};
    std::function<void()> onWait;  // called as each wait begins, e.g. to cancel there

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
        return failing.count(name) == 0;
    }

    void DeliverDueReply() {
        if (!pending_ || static_cast<std::int32_t>(clock_.NowMs() - dueMs_) < 0) return;
        Feed(pending_->bytes);
        lineLost = lineLost || pending_->loseLine;
        pending_.reset();
    }

    ManualClock& clock_;
    std::optional<ScriptedReply> pending_;  // the reply to the last write, due at dueMs_
    std::uint32_t dueMs_ = 0;
};

}  // namespace zr640::testing
