// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/thread_job_runner.h"

namespace zr640 {

ThreadJobRunner::~ThreadJobRunner() { JoinJob(); }

void ThreadJobRunner::JoinJob() {
    if (job_.joinable()) job_.join();
}

void ThreadJobRunner::Start(std::function<void()> job) {
    // The previous job posted its end as its last act; what is left of its thread ends at once.
    JoinJob();
    job_ = std::thread(std::move(job));
}

void ThreadJobRunner::Post(std::function<void()> task) {
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        if (shutDown_) return;
        posted_.push_back(std::move(task));
        if (posted_.size() > 1) return;
    }
    wake_();
}

void ThreadJobRunner::Shutdown() {
    JoinJob();
    std::deque<std::function<void()>> dropped;
    const std::lock_guard<std::mutex> lock(mutex_);
    shutDown_ = true;
    dropped.swap(posted_);
}

void ThreadJobRunner::RunPosted() {
    for (;;) {
        std::function<void()> task;
        {
            const std::lock_guard<std::mutex> lock(mutex_);
            if (posted_.empty()) return;
            task = std::move(posted_.front());
            posted_.pop_front();
        }
        task();
    }
}

}  // namespace zr640
