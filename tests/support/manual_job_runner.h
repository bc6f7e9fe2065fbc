// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <deque>
#include <functional>
#include <utility>

#include "platform/job_runner.h"

namespace zr640::testing {

// Runs a job only when the test says so, on the test's own thread, and keeps what the job
// posts until the test lets the dialog's thread have it: a transfer's course is then a
// sequence the test controls step by step.
class ManualJobRunner final : public platform::JobRunner {
public:
    void Start(std::function<void()> job) override { pending_ = std::move(job); }
    void Post(std::function<void()> task) override {
        if (!shutDown_) posted_.push_back(std::move(task));
    }
    // The job, then what it posted, as a quick dialog would see them.
    void Finish() {
        if (auto job = std::exchange(pending_, nullptr)) job();
        for (; !posted_.empty(); posted_.pop_front()) posted_.front()();
    }
    // The job runs to its end, as a thread would while the dialog waits for it; what it
    // posts is dropped.
    void Shutdown() override {
        shutDown_ = true;
        if (auto job = std::exchange(pending_, nullptr)) job();
        posted_.clear();
    }
    bool JobPending() const { return static_cast<bool>(pending_); }

private:
    std::function<void()> pending_;
    std::deque<std::function<void()>> posted_;
    bool shutDown_ = false;
};

}  // namespace zr640::testing
