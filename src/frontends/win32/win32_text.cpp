// SPDX-License-Identifier: GPL-3.0-or-later
#include "frontends/win32/win32_text.h"

#include "platform/text/windows_1252.h"

namespace zr640::platform {

std::wstring WideFrom1252(std::string_view text) {
    std::wstring wide;
    wide.reserve(text.size());
    for (const char c : text) {
        wide.push_back(static_cast<wchar_t>(Windows1252CodePointOf(static_cast<unsigned char>(c))));
    }
    return wide;
}

}  // namespace zr640::platform
