// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace zr640::platform {

// The system's texts are Windows-1252; a profile file saved as UTF-8 with a byte-order mark
// is converted on the way in and out, as the Windows profile functions do.
// The Unicode code point of one Windows-1252 byte; the five bytes Windows leaves undefined
// map to the control characters of the same number, so that nothing is lost.
char32_t Windows1252CodePointOf(unsigned char byte);
// The Windows-1252 byte of a code point, or nothing when the character set has none.
std::optional<unsigned char> Windows1252ByteOf(char32_t codePoint);

std::string Utf8ToWindows1252(std::string_view utf8);
std::string Windows1252ToUtf8(std::string_view text);

// Upper case of one Windows-1252 letter (ASCII, the accented letters, Š Œ Ž Ÿ); other bytes
// stay as they are.
char UpperCase1252(char c);

}  // namespace zr640::platform
