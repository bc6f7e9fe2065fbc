// SPDX-License-Identifier: GPL-3.0-or-later
#include <cstring>

#include "platform/event_log.h"
#include "serial/sentence.h"

namespace zr640 {
namespace {

constexpr int kReplyLineSize = 256;
constexpr int kLineFeed = 10;

enum class AttemptEnd { CompleteLine, Overflow, TimedOut, LineLost, Cancelled };

// One reply line as it is collected; always zero-terminated within its 256 bytes until
// the byte that overflows it.
struct ReplyLine {
    char text[kReplyLineSize] = {};
    int count = 0;
};

// Collects bytes until a line feed, an overflow, the end of the attempt's time, the loss
// of the line or a cancel. Between empty reads it sleeps on the port for the time left.
AttemptEnd CollectReply(platform::OperationEnvironment& operation, ComPort* port,
                        std::uint32_t startMs, std::uint32_t timeLimitMs, ReplyLine& line) {
    for (;;) {
        const std::uint32_t elapsedMs = operation.Clock().NowMs() - startMs;
        if (elapsedMs >= timeLimitMs) return AttemptEnd::TimedOut;
        const int value = ReadComByte(port);
        if (value == -1) {
            switch (WaitComInput(port, timeLimitMs - elapsedMs, operation)) {
            case platform::InputWait::LineLost:
                return AttemptEnd::LineLost;
            case platform::InputWait::Cancelled:
                return AttemptEnd::Cancelled;
            default:
                continue;
            }
        }
        line.text[line.count] = static_cast<char>(value);
        ++line.count;
        if (line.count > kReplyLineSize - 1) return AttemptEnd::Overflow;
        if (value == kLineFeed) return AttemptEnd::CompleteLine;
    }
}

bool BeginsWith(const char* line, const char* prefix) {
    return std::strncmp(line, prefix, std::strlen(prefix)) == 0;
}

// Runs the attempts; RTS is left raised for the caller to lower once.
int RunAttempts(platform::OperationEnvironment& operation, ComPort* port,
                std::uint32_t timeLimitMs, int attempts, const char* sentence,
                const char* expectedPrefix) {
    platform::LogSink* log = operation.Log();
    // Each attempt sets the result; without any there was no reply either.
    int result = kExchangeNoReply;
    const int sentenceLength = static_cast<int>(std::strlen(sentence));
    for (int attempt = 0; attempt < attempts; ++attempt) {
        if (operation.IsCancelled()) return kExchangeCancelled;
        SetRts(port, SETRTS);
        const std::uint32_t startMs = operation.Clock().NowMs();
        ReplyLine line;
        WriteComBlock(port, reinterpret_cast<const std::uint8_t*>(sentence), sentenceLength,
                      operation);
        if (operation.IsCancelled()) return kExchangeCancelled;
        switch (CollectReply(operation, port, startMs, timeLimitMs, line)) {
            case AttemptEnd::CompleteLine:
                if (BeginsWith(line.text, expectedPrefix)) {
                    LogPrintf(log, "%s", line.text);
                    return kExchangeAccepted;
                }
                LogPrintf(log, "Response Falsch:%s", line.text);
                result = kExchangeWrongReply;
                break;
            case AttemptEnd::Overflow:
                // The 256th byte took the terminator's place; the first 255 are shown.
                line.text[kReplyLineSize - 1] = '\0';
                LogPrintf(log, "Antwort zu lang:%s", line.text);
                return kExchangeOverflow;
            case AttemptEnd::TimedOut:
                // A silent instrument must not pass for one that agreed.
                if (line.count == 0) {
                    LogPrintf(log, "Keine Antwort nach %u ms", timeLimitMs);
                } else {
                    LogPrintf(log, "Unvollst\xE4ndige Antwort nach %u ms:%s", timeLimitMs,
                              line.text);
                }
                result = kExchangeNoReply;
                break;
            case AttemptEnd::LineLost:
                LogPrintf(log, "Verbindung zum Ger\xE4t verloren");
                return kExchangeLineLost;
            case AttemptEnd::Cancelled:
                return kExchangeCancelled;
        }
    }
    return result;
}

}  // namespace

int ExchangeSentence(platform::OperationEnvironment& operation, ComPort* port,
                     std::uint32_t timeLimitMs, int attempts, const char* sentence,
                     const char* expectedPrefix) {
    const int result =
        RunAttempts(operation, port, timeLimitMs, attempts, sentence, expectedPrefix);
    SetRts(port, CLRRTS);
    return result;
}

}  // namespace zr640
