#include "platform/qt/cp1252.h"

#include <array>

namespace zr640::platform {
namespace {

// 0x80..0x9F; the rest of the bytes are the Latin-1 code points of the same value.
constexpr std::array<char16_t, 32> kHighControlRange = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

char16_t CodePointOf(unsigned char byte) {
    if (byte >= 0x80 && byte <= 0x9F) {
        return kHighControlRange[static_cast<std::size_t>(byte - 0x80)];
    }
    return byte;
}

std::optional<unsigned char> ByteOf(char16_t codePoint) {
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

}  // namespace

QString FromCp1252(std::string_view text) {
    QString result;
    result.reserve(static_cast<qsizetype>(text.size()));
    for (char c : text) {
        result.append(QChar(CodePointOf(static_cast<unsigned char>(c))));
    }
    return result;
}

std::optional<std::string> ToCp1252(const QString& text) {
    std::string result;
    result.reserve(static_cast<std::size_t>(text.size()));
    for (QChar c : text) {
        std::optional<unsigned char> byte = ByteOf(c.unicode());
        if (!byte) {
            return std::nullopt;
        }
        result.push_back(static_cast<char>(*byte));
    }
    return result;
}

}  // namespace zr640::platform
