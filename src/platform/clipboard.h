// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

namespace zr640::platform {

// How text that leaves the program (the clipboard, a saved file) is written on a platform:
// its line end and its character set. The program's own texts are Windows-1252.
enum class TextEncoding { Windows1252, Utf8 };
struct TextConvention {
    const char* lineEnd;
    TextEncoding encoding;
};
inline constexpr TextConvention kWindowsTextConvention{"\r\n", TextEncoding::Windows1252};
inline constexpr TextConvention kLinuxTextConvention{"\n", TextEncoding::Utf8};

// The system's clipboard. It takes text in the platform's TextConvention and offers it to
// other programs as Unicode text; false when the system refused it.
class Clipboard {
public:
    virtual ~Clipboard() = default;
    virtual bool SetText(const std::string& text) = 0;
};

}  // namespace zr640::platform
