// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>

#include "app/main_dialog_controller.h"
#include "app/thread_job_runner.h"

namespace zr640::testing {

// The dialog's thread without a window system: the caller's own thread runs the controller's
// ticks every 50 ms and what a job posts whenever the real ThreadJobRunner wakes it, as the
// event loop of a front end would. Counts the wake-ups.
class DialogLoop {
public:
    using Clock = std::chrono::steady_clock;

    // Ticks and posted reports until `done` holds or `limit` has passed: whether it held.
    bool RunUntil(MainDialogController& controller, const std::function<bool()>& done,
                  std::chrono::milliseconds limit = std::chrono::seconds(10)) {
        const Clock::time_point deadline = Clock::now() + limit;
        Clock::time_point nextTick = Clock::now() + std::chrono::milliseconds(PollPeriodMs);
        while (!done()) {
            if (Clock::now() >= deadline) return false;
            bool woken = false;
            {
                std::unique_lock<std::mutex> lock(mutex_);
                woken_.wait_until(lock, std::min(nextTick, deadline), [this] { return wake_; });
                woken = std::exchange(wake_, false);
            }
            if (woken) jobs.RunPosted();
            if (Clock::now() >= nextTick) {
                controller.OnTimer();
                nextTick += std::chrono::milliseconds(PollPeriodMs);
            }
        }
        return true;
    }
    std::atomic<long> wakeUps{0};

private:
    void Wake() {
        {
            const std::lock_guard<std::mutex> lock(mutex_);
            wake_ = true;
        }
        ++wakeUps;
        woken_.notify_one();
    }

    std::mutex mutex_;
    std::condition_variable woken_;
    bool wake_ = false;

public:
    // Last, so that it joins its job before what the job's wake-ups use is gone.
    ThreadJobRunner jobs{[this] { Wake(); }};
};

}  // namespace zr640::testing
