// SPDX-License-Identifier: GPL-3.0-or-later
#include "frontends/win32/win32_clipboard.h"

#include <cstring>

#include "frontends/win32/win32_text.h"

namespace zr640::platform {
namespace {

// Another program may hold the clipboard for a moment; the dialog must still answer in 100 ms.
constexpr int kOpenAttempts = 4;
constexpr DWORD kOpenRetryMs = 20;

bool OpenClipboardOf(HWND owner) {
    for (int attempt = 1; OpenClipboard(owner) == 0; ++attempt) {
        if (attempt == kOpenAttempts) {
            return false;
        }
        Sleep(kOpenRetryMs);
    }
    return true;
}

// The clipboard takes the memory only when SetClipboardData succeeds.
bool PlaceUnicodeText(const std::wstring& wide) {
    const std::size_t bytes = (wide.size() + 1) * sizeof(wchar_t);
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes);
    if (memory == nullptr) {
        return false;
    }
    void* target = GlobalLock(memory);
    if (target == nullptr) {
        GlobalFree(memory);
        return false;
    }
    std::memcpy(target, wide.c_str(), bytes);
    GlobalUnlock(memory);
    if (SetClipboardData(CF_UNICODETEXT, memory) == nullptr) {
        GlobalFree(memory);
        return false;
    }
    return true;
}

}  // namespace

bool Win32Clipboard::SetText(const std::string& text) {
    const std::wstring wide = WideFrom1252(text);
    if (!OpenClipboardOf(owner_.Window())) {
        return false;
    }
    const bool placed = EmptyClipboard() != 0 && PlaceUnicodeText(wide);
    CloseClipboard();
    return placed;
}

}  // namespace zr640::platform
