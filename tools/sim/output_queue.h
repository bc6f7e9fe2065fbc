// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <deque>
#include <optional>
#include <string>
#include <string_view>

#include "pacing.h"

namespace zr640::sim {

enum class UnitKind { Reply, Telemetry };

// What the simulator has to say, in order, paced by the line. Units are never interleaved:
// a reply is never cut into by telemetry, and telemetry that the tool talks over is dropped
// rather than finished into the middle of its reply.
class OutputQueue {
public:
    explicit OutputQueue(long baud) : line_(baud) {}

    void Push(std::string bytes, UnitKind kind, TimeNs now);
    bool Empty() const { return units_.empty(); }
    // The bytes that may be written now, all from the front unit.
    std::string_view Ready(TimeNs now) const;
    // `count` bytes of Ready went to the line at `now`.
    void Written(std::size_t count);
    // The line took nothing for a while (the tool did not read): the pace starts afresh.
    void Resume(TimeNs now) { line_.StartBurst(now); }
    // When Ready will next offer bytes; empty when nothing waits.
    std::optional<TimeNs> NextReady() const;
    // Drops every telemetry unit not yet finished; true if one was begun.
    bool DropTelemetry();
    // When the last byte written so far has left the line.
    TimeNs LineFreeAt() const { return line_.FreeAt(); }

private:
    struct Unit {
        std::string bytes;
        UnitKind kind;
        std::size_t sent = 0;
    };

    std::deque<Unit> units_;
    LineClock line_;
};

}  // namespace zr640::sim
