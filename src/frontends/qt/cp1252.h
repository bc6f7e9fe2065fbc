// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <string_view>

#include <QString>

namespace zr640::platform {

// The core's texts are Windows-1252; Qt's are Unicode. The five bytes that Windows-1252
// leaves undefined (0x81, 0x8D, 0x8F, 0x90, 0x9D) map to the C1 control characters of the
// same value, so every byte survives the round trip.
QString FromCp1252(std::string_view text);
// And back; what Windows-1252 lacks becomes '?'.
std::string ToCp1252(const QString& text);

}  // namespace zr640::platform
