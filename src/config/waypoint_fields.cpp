// SPDX-License-Identifier: GPL-3.0-or-later
#include <algorithm>
#include <cstring>

#include "config/configuration.h"

namespace zr640 {
namespace {

constexpr std::size_t kFieldCapacity = kFieldSize - 1;

// The white space of the C locale's isspace; bytes 0x80 to 0xFF are letters in Windows-1252.
bool IsWhiteSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// Copies a piece of the line into a field; false when it had to be cut to fit.
bool CopyPiece(char* field, const char* piece, std::size_t length) {
    const std::size_t kept = std::min(length, kFieldCapacity);
    std::memcpy(field, piece, kept);
    field[kept] = '\0';
    return kept == length;
}

// Lengths from the configuration file are whatever the user wrote; a field cannot be cut
// to fewer than 0 characters, and never holds more than it can.
void CutField(char* field, int maxLength) {
    const std::size_t limit =
        static_cast<std::size_t>(std::clamp(maxLength, 0, static_cast<int>(kFieldCapacity)));
    if (std::strlen(field) > limit) {
        field[limit] = '\0';
    }
}

}  // namespace

int TrimField(char* field) {
    const char* start = field;
    while (IsWhiteSpace(*start)) {
        ++start;
    }
    std::size_t length = std::strlen(start);
    while (length > 0 && start[length - 1] == ' ') {
        --length;
    }
    std::memmove(field, start, length);
    field[length] = '\0';
    return static_cast<int>(length);
}

bool ParseWaypointFields(const char* text, WaypointFields& record, const AppConfig& config) {
    record = WaypointFields{};
    bool fits = true;
    const char* piece = text;
    for (int n = 1; n <= kWaypointFieldCount && piece != nullptr; ++n) {
        const char* comma = std::strchr(piece, ',');
        const std::size_t length =
            comma != nullptr ? static_cast<std::size_t>(comma - piece) : std::strlen(piece);
        fits = CopyPiece(record.Field(n), piece, length) && fits;
        piece = comma != nullptr ? comma + 1 : nullptr;
    }
    for (int n = 1; n <= kWaypointFieldCount; ++n) {
        TrimField(record.Field(n));
    }
    CutField(record.Field(1), config.MaxLaengeName1);
    CutField(record.Field(2), config.MaxLaengeName2);
    TrimField(record.Field(1));
    TrimField(record.Field(2));
    return fits;
}

}  // namespace zr640
