// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <poll.h>

#include <deque>
#include <memory>
#include <optional>
#include <string>

#include "instrument.h"
#include "line_splitter.h"
#include "options.h"
#include "output_queue.h"
#include "pseudo_terminal.h"
#include "telemetry_source.h"
#include "traffic_log.h"

namespace zr640::sim {

// The running simulator: one ppoll() loop over the master side of the terminal, a signal
// descriptor and (if asked) standard input, woken by the earliest of its deadlines (next
// telemetry frame, next paced byte, next delayed answer, reopening). Nothing spins.
class Simulator {
public:
    explicit Simulator(SimOptions options);
    ~Simulator();
    Simulator(const Simulator&) = delete;
    Simulator& operator=(const Simulator&) = delete;

    // Sets everything up, prints the slave's path, runs until told to stop; the exit status.
    int Run();

private:
    struct ScheduledReply {
        TimeNs due;
        std::string bytes;
    };

    bool SetUp();
    bool OpenLine();
    // What the loop waits on: signals, the line's master side, standard input.
    static constexpr int kWatched = 3;
    void Loop();
    void DoDueWork(TimeNs now);
    void HandleReady(const pollfd (&fds)[kWatched], TimeNs now);
    // The earliest deadline, if any.
    std::optional<TimeNs> NextWake(TimeNs now) const;
    void SendDueReplies(TimeNs now);
    void SendTelemetry(TimeNs now);
    void WriteOutput(TimeNs now);
    void ReadFromTool(TimeNs now);
    void HandleLine(const ReceivedLine& line, TimeNs arrival);
    void HandleSignal();
    void DrainStandardInput();
    void HangUp(TimeNs now);
    void Reopen();
    void WriteStore();
    void Announce(const std::string& line);

    SimOptions options_;
    TrafficLog log_;
    Instrument instrument_;
    std::optional<TelemetrySource> telemetry_;
    PseudoTerminal line_;
    SlaveLink link_;
    std::unique_ptr<OutputQueue> output_;
    LineSplitter splitter_;
    std::deque<ScheduledReply> replies_;
    int signalFd_ = -1;
    bool running_ = true;
    bool stalled_ = false;
    bool standardInputOpen_ = false;
    // The last frame of a replay is queued; its last byte on the line is announced.
    bool lastFrameQueued_ = false;
    TimeNs inputFreeAt_ = 0;
    TimeNs nextTelemetryAt_ = 0;
    TimeNs lastTelemetryAt_ = 0;
    TimeNs telemetryHeldUntil_ = 0;
    TimeNs masterIgnoredUntil_ = 0;
    std::optional<TimeNs> unplugAt_;
    std::optional<TimeNs> reopenAt_;
};

}  // namespace zr640::sim
