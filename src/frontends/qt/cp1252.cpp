// SPDX-License-Identifier: GPL-3.0-or-later
#include "frontends/qt/cp1252.h"

#include "platform/text/windows_1252.h"

namespace zr640::platform {

QString FromCp1252(std::string_view text) {
    QString result;
    result.reserve(static_cast<qsizetype>(text.size()));
    for (char c : text) {
        const char32_t codePoint = Windows1252CodePointOf(static_cast<unsigned char>(c));
        result.append(QChar(static_cast<char16_t>(codePoint)));
    }
    return result;
}

std::string ToCp1252(const QString& text) { return Utf8ToWindows1252(text.toStdString()); }

}  // namespace zr640::platform
