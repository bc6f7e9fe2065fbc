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

std::string ToCp1252(const QString& text) {
    const QByteArray utf8 = text.toUtf8();
    return Utf8ToWindows1252(
        std::string_view(utf8.constData(), static_cast<std::size_t>(utf8.size())));
}

}  // namespace zr640::platform
