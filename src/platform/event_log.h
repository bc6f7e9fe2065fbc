// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/list_view.h"
#include "platform/log_sink.h"

namespace zr640 {

inline constexpr int kEventLogCap = 2000;
inline constexpr int kLogBufferSize = 2048;
inline constexpr int kMessageBufferSize = 1024;

// The event log: the dialog's list control, which keeps at most 2000 entries. Each text
// becomes one entry per line that a line feed ends (or one entry when it holds none), and the
// last entry is selected. Without a list (before the dialog exists) it does nothing.
class EventLog final : public platform::LogSink {
public:
    explicit EventLog(platform::ListView* list = nullptr) : list_(list) {}
    void Attach(platform::ListView* list) { list_ = list; }
    void Append(const char* text) override;

private:
    platform::ListView* list_;
};

// Formats printf-style and hands the text to `log`. A null log does nothing.
void LogPrintf(platform::LogSink* log, const char* format, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 2, 3)))
#endif
    ;

// Formats printf-style into a modal message box, with a beep first when `beep` is non-zero.
void ShowMessage(unsigned style, int beep, const char* caption, const char* format, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 4, 5)))
#endif
    ;

}  // namespace zr640
