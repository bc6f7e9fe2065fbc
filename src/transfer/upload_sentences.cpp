// SPDX-License-Identifier: GPL-3.0-or-later
#include "transfer/upload_sentences.h"

#include <cstdio>

#include "serial/sentence.h"

namespace zr640 {
namespace {

std::optional<std::string> FramedIfItFits(const std::string& dollarAndBody) {
    std::string framed = FrameSentence(dollarAndBody);
    if (framed.size() >= static_cast<std::size_t>(kSentenceBufferSize)) {
        return std::nullopt;
    }
    return framed;
}

std::string WithNumber(const char* prefix, int number) {
    char digits[16];
    std::snprintf(digits, sizeof digits, "%d", number);
    return std::string(prefix) + digits;
}

}  // namespace

const char* ModeWord(UploadMode mode) {
    return mode == UploadMode::Replace ? "Replace" : "Update";
}

std::string OpeningSentence(UploadMode mode) {
    return FrameSentence(std::string("$KTWPI,") + ModeWord(mode));
}

std::optional<std::string> RecordSentence(const WaypointFields& record) {
    std::string body = "$KTWPU";
    for (int n = 1; n <= kWaypointFieldCount; ++n) {
        body += ',';
        body += record.Field(n);
    }
    return FramedIfItFits(body);
}

std::string RecordReply(UploadMode mode, int runningNumber) {
    return mode == UploadMode::Replace ? WithNumber("$KTWPA,", runningNumber) : "$KTWPA,";
}

std::optional<std::string> TaskSentence(const AppConfig& config) {
    std::string body = "$KTWPR,1,1,1";
    for (int slot = 0; slot < config.RouteCount && slot < kRouteSlots; ++slot) {
        const WaypointFields& point = config.Route.slot[static_cast<std::size_t>(slot)];
        body += ',';
        body += point.Field(1);
        body += ',';
        body += point.Field(2);
    }
    return FramedIfItFits(body);
}

std::string TaskReply(int routeCount) {
    return WithNumber("$KTWPS,1,", routeCount);
}

}  // namespace zr640
