#pragma once

#include <deque>
#include <functional>

#include "platform/job_runner.h"

namespace zr640::testing {

// Runs a job only when the test says so, on the test's own thread, and keeps what the job
// posts until the test lets the dialog's thread have it: a transfer's course is then a
// sequence the test controls step by step.
class ManualJobRunner final : public platform::JobRunner {
public:
    void Start(std::function<void()> job) override { pending_ = std::move(job); }
    void Post(std::function<void()> task) override { posted_.push_back(std::move(task)); }
    void Finish() override {
        RunJob();
        RunPosted();
    }

    bool JobPending() const { return static_cast<bool>(pending_); }
    void RunJob() {
        std::function<void()> job = std::move(pending_);
        pending_ = nullptr;
        if (job) job();
    }
    void RunPosted() {
        while (!posted_.empty()) {
            std::function<void()> task = std::move(posted_.front());
            posted_.pop_front();
            task();
        }
    }
    // The job and then what it posted, as a quick dialog would see it.
    void RunAll() { Finish(); }

private:
    std::function<void()> pending_;
    std::deque<std::function<void()>> posted_;
};

}  // namespace zr640::testing
