// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/text/windows_1252.h"

#include <array>
#include <cstdint>
#include <optional>

namespace zr640::platform {
namespace {

// Code points of the bytes 0x80 to 0x9F; the five bytes Windows leaves undefined map to the
// control characters of the same number, as MultiByteToWideChar maps them.
constexpr std::array<char32_t, 32> kHighControlRange = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};
constexpr char kUnmappable = '?';
constexpr char32_t kInvalid = 0xFFFFFFFF;

char ByteOf(char32_t codePoint) {
    const std::optional<unsigned char> byte = Windows1252ByteOf(codePoint);
    return byte ? static_cast<char>(*byte) : kUnmappable;
}

// Decodes one sequence at `at` and advances past it; an invalid, overlong or cut sequence
// gives kInvalid and advances by one byte.
char32_t DecodeOne(std::string_view utf8, std::size_t& at) {
    const auto lead = static_cast<unsigned char>(utf8[at++]);
    if (lead < 0x80) {
        return lead;
    }
    int following = 0;
    char32_t codePoint = 0;
    char32_t smallest = 0;
    if ((lead & 0xE0) == 0xC0) {
        following = 1, codePoint = lead & 0x1F, smallest = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
        following = 2, codePoint = lead & 0x0F, smallest = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
        following = 3, codePoint = lead & 0x07, smallest = 0x10000;
    } else {
        return kInvalid;
    }
    if (at + static_cast<std::size_t>(following) > utf8.size()) {
        return kInvalid;
    }
    for (int i = 0; i < following; ++i) {
        const auto next = static_cast<unsigned char>(utf8[at + static_cast<std::size_t>(i)]);
        if ((next & 0xC0) != 0x80) {
            return kInvalid;
        }
        codePoint = (codePoint << 6) | (next & 0x3F);
    }
    at += static_cast<std::size_t>(following);
    const bool surrogate = codePoint >= 0xD800 && codePoint <= 0xDFFF;
    if (codePoint < smallest || codePoint > 0x10FFFF || surrogate) {
        return kInvalid;
    }
    return codePoint;
}

void AppendUtf8(std::string& out, char32_t codePoint) {
    if (codePoint < 0x80) {
        out += static_cast<char>(codePoint);
    } else if (codePoint < 0x800) {
        out += static_cast<char>(0xC0 | (codePoint >> 6));
        out += static_cast<char>(0x80 | (codePoint & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | (codePoint >> 12));
        out += static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (codePoint & 0x3F));
    }
}

}  // namespace

char32_t Windows1252CodePointOf(unsigned char byte) {
    if (byte >= 0x80 && byte <= 0x9F) {
        return kHighControlRange[byte - 0x80];
    }
    return byte;
}

std::optional<unsigned char> Windows1252ByteOf(char32_t codePoint) {
    if (codePoint < 0x80 || (codePoint >= 0xA0 && codePoint <= 0xFF)) {
        return static_cast<unsigned char>(codePoint);
    }
    for (std::size_t i = 0; i < kHighControlRange.size(); ++i) {
        if (kHighControlRange[i] == codePoint) {
            return static_cast<unsigned char>(0x80 + i);
        }
    }
    return std::nullopt;
}

std::string Utf8ToWindows1252(std::string_view utf8) {
    std::string text;
    text.reserve(utf8.size());
    std::size_t at = 0;
    while (at < utf8.size()) {
        const char32_t codePoint = DecodeOne(utf8, at);
        text += codePoint == kInvalid ? kUnmappable : ByteOf(codePoint);
    }
    return text;
}

std::string Windows1252ToUtf8(std::string_view text) {
    std::string utf8;
    utf8.reserve(text.size() * 2);
    for (char c : text) {
        AppendUtf8(utf8, Windows1252CodePointOf(static_cast<unsigned char>(c)));
    }
    return utf8;
}

char UpperCase1252(char c) {
    const auto byte = static_cast<unsigned char>(c);
    if ((byte >= 'a' && byte <= 'z') || (byte >= 0xE0 && byte <= 0xFE && byte != 0xF7)) {
        return static_cast<char>(byte - 0x20);
    }
    switch (byte) {
        case 0x9A: return static_cast<char>(0x8A);
        case 0x9C: return static_cast<char>(0x8C);
        case 0x9E: return static_cast<char>(0x8E);
        case 0xFF: return static_cast<char>(0x9F);
        default: return c;
    }
}

}  // namespace zr640::platform
