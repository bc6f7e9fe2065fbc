// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/event_log.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <string>

#include "platform/message_box.h"

namespace zr640 {
namespace {

// Formats into `buffer`, cutting a longer text at the buffer's end. The terminator is set
// again because a failed conversion leaves the buffer's contents unspecified.
#if defined(__GNUC__)
__attribute__((format(printf, 3, 0)))
#endif
void FormatInto(char* buffer, std::size_t size, const char* format, std::va_list args) {
    if (std::vsnprintf(buffer, size, format, args) < 0) {
        buffer[0] = '\0';
    }
    buffer[size - 1] = '\0';
}

void AddEntry(platform::ListView& list, const char* text) {
    list.AddString(text);
    if (list.Count() > kEventLogCap) {
        list.DeleteString(0);
    }
}

}  // namespace

void EventLog::Append(const char* text) {
    if (list_ == nullptr) {
        return;
    }
    const char* lineFeed = std::strchr(text, '\n');
    if (lineFeed == nullptr) {
        AddEntry(*list_, text);
    }
    const char* piece = text;
    std::string line;
    while (lineFeed != nullptr) {
        line.assign(piece, lineFeed);
        AddEntry(*list_, line.c_str());
        piece = lineFeed + 1;
        lineFeed = std::strchr(piece, '\n');
    }
    list_->SetCurSel(list_->Count() - 1);
}

void LogPrintf(platform::LogSink* log, const char* format, ...) {
    if (log == nullptr) {
        return;
    }
    char text[kLogBufferSize];
    std::va_list args;
    va_start(args, format);
    FormatInto(text, sizeof text, format, args);
    va_end(args);
    log->Append(text);
}

void ShowMessage(unsigned style, int beep, const char* caption, const char* format, ...) {
    char text[kMessageBufferSize];
    std::va_list args;
    va_start(args, format);
    FormatInto(text, sizeof text, format, args);
    va_end(args);

    platform::MessageBox& box = platform::InstalledMessageBox();
    if (beep != 0) {
        box.Beep();
    }
    const platform::OpenBoxCount open;
    box.Show(text, caption, style);
}

}  // namespace zr640
