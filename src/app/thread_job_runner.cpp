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
        posted_.push_back(std::move(task));
    }
    wake_();
}

void ThreadJobRunner::Finish() {
    JoinJob();
    RunPosted();
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
