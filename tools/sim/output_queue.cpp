// SPDX-License-Identifier: GPL-3.0-or-later
#include "output_queue.h"

#include <algorithm>

namespace zr640::sim {

void OutputQueue::Push(std::string bytes, UnitKind kind, TimeNs now) {
    if (bytes.empty()) return;
    if (units_.empty()) line_.StartBurst(now);
    units_.push_back({std::move(bytes), kind, 0});
}

std::string_view OutputQueue::Ready(TimeNs now) const {
    if (units_.empty()) return {};
    const Unit& front = units_.front();
    const std::size_t count = std::min(front.bytes.size() - front.sent, line_.Deliverable(now));
    return std::string_view(front.bytes).substr(front.sent, count);
}

void OutputQueue::Written(std::size_t count) {
    line_.Delivered(count);
    while (count > 0 && !units_.empty()) {
        Unit& front = units_.front();
        const std::size_t taken = std::min(count, front.bytes.size() - front.sent);
        front.sent += taken;
        count -= taken;
        if (front.sent == front.bytes.size()) units_.pop_front();
    }
}

std::optional<TimeNs> OutputQueue::NextReady() const {
    if (units_.empty()) return std::nullopt;
    return line_.NextDelivery();
}

bool OutputQueue::DropTelemetry() {
    const bool begun = !units_.empty() && units_.front().kind == UnitKind::Telemetry &&
                       units_.front().sent > 0;
    std::erase_if(units_, [](const Unit& unit) { return unit.kind == UnitKind::Telemetry; });
    return begun;
}

}  // namespace zr640::sim
