// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>

#include "platform/operation_environment.h"
#include "protocol/sentence_format.h"
#include "serial/com_port.h"

namespace zr640 {

inline constexpr std::uint32_t ReplyTimeoutMs = 2000;
inline constexpr int kExchangeAttempts = 3;

// Results of ExchangeSentence. Callers take every negative value as failure.
inline constexpr int kExchangeAccepted = 1;
inline constexpr int kExchangeWrongReply = -1;
inline constexpr int kExchangeOverflow = -2;
// The last attempt ran out of time without a complete reply line.
inline constexpr int kExchangeNoReply = -3;
// The device went away (adapter unplugged, peer of the pseudo-terminal closed).
inline constexpr int kExchangeLineLost = -4;
// The user stopped the operation: no further attempt was written.
inline constexpr int kExchangeCancelled = -5;

// Sends `sentence` and waits for a reply line that begins with `expectedPrefix`, with
// `attempts` attempts of at most `timeLimitMs` each, logging to the operation's log.
int ExchangeSentence(platform::OperationEnvironment& operation, ComPort* port,
                     std::uint32_t timeLimitMs, int attempts, const char* sentence,
                     const char* expectedPrefix);

}  // namespace zr640
