#pragma once

#include "platform/list_view.h"

namespace zr640 {

inline constexpr int kEventLogCap = 2000;
inline constexpr int kLogBufferSize = 2048;
inline constexpr int kMessageBufferSize = 1024;
inline constexpr int kEventLogId = 110;

// Formats printf-style and appends one entry per line that a line feed ends (or the whole
// text when it holds none), keeping at most 2000 entries. A null list does nothing.
void LogPrintf(platform::ListView* list, const char* format, ...)
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
