// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <optional>
#include <string>

#include "config/app_config.h"
#include "transfer/transfer.h"

namespace zr640 {

// Sentences are assembled in a buffer of this size: at most 511 characters and a terminator.
inline constexpr int kSentenceBufferSize = 512;

inline constexpr const char* kOpeningReply = "$KTWPO";

// "Update" or "Replace": the word of the opening sentence, the banner and the summary.
const char* ModeWord(UploadMode mode);

// "$KTWPI,Update" or "$KTWPI,Replace", framed.
std::string OpeningSentence(UploadMode mode);

// "$KTWPU," and fields 1 to 9, framed; nothing when the sentence would not fit its buffer.
std::optional<std::string> RecordSentence(const WaypointFields& record);

// The reply that acknowledges record `runningNumber`: "$KTWPA,<n>" in Replace mode, where the
// instrument echoes the count, "$KTWPA," in Update mode.
std::string RecordReply(UploadMode mode, int runningNumber);

// "$KTWPR,1,1,1" and fields 1 and 2 of each route point, framed; nothing when the sentence
// would not fit its buffer.
std::optional<std::string> TaskSentence(const AppConfig& config);

// "$KTWPS,1,<route points>".
std::string TaskReply(int routeCount);

}  // namespace zr640
