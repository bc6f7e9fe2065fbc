#include "app/event_log.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

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

void LogPrintf(platform::ListView* list, const char* format, ...) {
    if (list == nullptr) {
        return;
    }
    char text[kLogBufferSize];
    std::va_list args;
    va_start(args, format);
    FormatInto(text, sizeof text, format, args);
    va_end(args);

    char* lineFeed = std::strchr(text, '\n');
    if (lineFeed == nullptr) {
        AddEntry(*list, text);
    }
    char* piece = text;
    while (lineFeed != nullptr) {
        *lineFeed = '\0';
        AddEntry(*list, piece);
        piece = lineFeed + 1;
        lineFeed = std::strchr(piece, '\n');
    }
    list->SetCurSel(list->Count() - 1);
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
    box.Show(text, caption, style);
}

}  // namespace zr640
