// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

namespace zr640::platform {

// Where the texts of the event log go: the dialog's list itself, or, from a job that runs
// away from the dialog's thread, the way back to it. A text is Windows-1252 and zero-
// terminated; the receiver splits it into entries at its line feeds.
class LogSink {
public:
    virtual ~LogSink() = default;
    virtual void Append(const char* text) = 0;
};

}  // namespace zr640::platform
