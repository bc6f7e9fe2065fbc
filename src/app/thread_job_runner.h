// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <deque>
#include <functional>
#include <mutex>
#include <thread>

#include "platform/job_runner.h"

namespace zr640 {

// Runs each job on a thread of its own and keeps what the job posts in a queue, which the
// dialog's thread empties when the front end's wake-up reaches it (a window message, a
// queued call): the front end supplies only that wake-up. It wakes the dialog only when the
// queue goes from empty to not empty: what is posted behind that runs in the same turn.
class ThreadJobRunner : public platform::JobRunner {
public:
    // `wake` asks the dialog's thread to call RunPosted() soon; it is called on the job's
    // thread and must not wait for the dialog.
    explicit ThreadJobRunner(std::function<void()> wake) : wake_(std::move(wake)) {}
    ~ThreadJobRunner() override;
    ThreadJobRunner(const ThreadJobRunner&) = delete;
    ThreadJobRunner& operator=(const ThreadJobRunner&) = delete;

    void Start(std::function<void()> job) override;
    void Post(std::function<void()> task) override;
    void Shutdown() override;

    // On the dialog's thread: runs what has been posted, in order.
    void RunPosted();

private:
    void JoinJob();

    std::function<void()> wake_;
    std::thread job_;
    std::mutex mutex_;
    std::deque<std::function<void()>> posted_;
    bool shutDown_ = false;
};

}  // namespace zr640
