// SPDX-License-Identifier: GPL-3.0-or-later
#include <algorithm>
#include <cstdint>
#include <limits>

#include "platform/event_log.h"
#include "platform/quit_request.h"
#include "config/configuration.h"
#include "platform/message_box.h"

namespace zr640 {
namespace {

constexpr int kComSettingsValues = 5;

// Walks a text the way scanf walks it for "COM%d:%ld,%c,%d,%d": literals must match byte for
// byte, a number may follow white space and a sign, a character is taken as it stands.
class ScanCursor {
public:
    explicit ScanCursor(const char* text) : next_(text) {}

    bool Literal(const char* literal) {
        const char* at = next_;
        for (; *literal != '\0'; ++literal, ++at) {
            if (*at != *literal) {
                return false;
            }
        }
        next_ = at;
        return true;
    }

    // scanf leaves a value beyond the range of its field undefined; here it does not match.
    bool Integer(std::int32_t& value) {
        while (IsWhiteSpace(*next_)) {
            ++next_;
        }
        const bool negative = *next_ == '-';
        if (*next_ == '-' || *next_ == '+') {
            ++next_;
        }
        if (!IsDigit(*next_)) {
            return false;
        }
        // Anything beyond 2^31 is out of range whatever the sign; stop growing there.
        constexpr std::int64_t kBeyondRange = (std::int64_t{1} << 31) + 1;
        std::int64_t magnitude = 0;
        for (; IsDigit(*next_); ++next_) {
            magnitude = std::min(magnitude * 10 + (*next_ - '0'), kBeyondRange);
        }
        const std::int64_t signedValue = negative ? -magnitude : magnitude;
        if (signedValue > std::numeric_limits<std::int32_t>::max() ||
            signedValue < std::numeric_limits<std::int32_t>::min()) {
            return false;
        }
        value = static_cast<std::int32_t>(signedValue);
        return true;
    }

    bool Character(char& value) {
        if (*next_ == '\0') {
            return false;
        }
        value = *next_++;
        return true;
    }

private:
    static bool IsWhiteSpace(char c) {
        return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
    }
    static bool IsDigit(char c) { return c >= '0' && c <= '9'; }

    const char* next_;
};

// Stores the values as they are taken and returns how many were.
int MatchComSettings(const char* text, AppConfig& config) {
    ScanCursor cursor(text);
    if (!cursor.Literal("COM") || !cursor.Integer(config.PortNumber)) {
        return 0;
    }
    if (!cursor.Literal(":") || !cursor.Integer(config.BaudRate)) {
        return 1;
    }
    if (!cursor.Literal(",") || !cursor.Character(config.Parity)) {
        return 2;
    }
    if (!cursor.Literal(",") || !cursor.Integer(config.DataBits)) {
        return 3;
    }
    if (!cursor.Literal(",") || !cursor.Integer(config.StopBits)) {
        return 4;
    }
    return kComSettingsValues;
}

}  // namespace

void ParseComSettings(const char* text, AppConfig& config) {
    if (MatchComSettings(text, config) == kComSettingsValues) {
        return;
    }
    ShowMessage(platform::kStyleStopIcon, 1, "Fehler im COM-Eintrag in Ini-Datei!",
                "\n\nEintrag %s fehlerhaft\nProgramm wird beendet!", text);
    RaiseQuitRequest();
}

}  // namespace zr640
