#pragma once

#include <atomic>

#include "platform/clock.h"
#include "platform/log_sink.h"

namespace zr640::platform {

// What a long device operation (a transfer) works with: where its log texts go, the clock
// its time limits run on, and the user's wish to stop it. The dialog's thread cancels; the
// job asks before every sentence and while it waits for an answer.
class OperationEnvironment {
public:
    OperationEnvironment(LogSink* log, MonotonicClock& clock) : log_(log), clock_(clock) {}
    OperationEnvironment(const OperationEnvironment&) = delete;
    OperationEnvironment& operator=(const OperationEnvironment&) = delete;

    LogSink* Log() const { return log_; }
    MonotonicClock& Clock() const { return clock_; }

    // Any thread.
    void Cancel() { cancelled_.store(true); }
    bool IsCancelled() const { return cancelled_.load(); }
    // Before the next operation starts.
    void Reset() { cancelled_.store(false); }

private:
    LogSink* log_;
    MonotonicClock& clock_;
    std::atomic<bool> cancelled_{false};
};

}  // namespace zr640::platform
