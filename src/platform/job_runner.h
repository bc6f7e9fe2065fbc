// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <functional>

namespace zr640::platform {

// Runs a long device operation (a transfer) as a job away from the dialog's thread, so that
// the dialog keeps answering while the instrument is slow or silent, and brings what the job
// reports back to the dialog's thread. One job at a time.
class JobRunner {
public:
    virtual ~JobRunner() = default;
    // Starts `job` and returns at once.
    virtual void Start(std::function<void()> job) = 0;
    // Has `task` run on the dialog's thread, after everything posted before it. Any thread
    // may post; the job never touches a window itself.
    virtual void Post(std::function<void()> task) = 0;
    // On the dialog's thread, as the dialog goes: waits until the job has returned and drops
    // what it posted that has not run, and whatever is posted afterwards, so that no report
    // reaches a closing window.
    virtual void Shutdown() = 0;
};

}  // namespace zr640::platform
