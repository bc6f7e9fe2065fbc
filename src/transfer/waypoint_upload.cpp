#include <optional>
#include <string>

#include "app/event_log.h"
#include "config/configuration.h"
#include "platform/message_box.h"
#include "serial/sentence.h"
#include "transfer/transfer.h"
#include "transfer/transfer_steps.h"
#include "transfer/upload_sentences.h"
#include "transfer/waypoint_file_reader.h"

namespace zr640 {
namespace {

constexpr const char* kResendAbort = "Abbruch, Fehler bei resend!!";

// How a run that was not acknowledged ends: the user's cancel says how far it came.
void LogAbort(TransferContext& context, int exchangeResult, int acknowledged) {
    if (exchangeResult == kExchangeCancelled) {
        LogPrintf(context.operation.Log(), "Abbruch durch Benutzer nach %d S\xE4tzen",
                  acknowledged);
    } else {
        LogPrintf(context.operation.Log(), "%s", kResendAbort);
    }
}

// Why a line of the file cannot go out as it stands.
const char* UnsendableReason(WaypointLineStatus status) {
    switch (status) {
    case WaypointLineStatus::TooLong:
        return "ist l\xE4nger als 511 Zeichen";
    case WaypointLineStatus::ZeroByte:
        return "enth\xE4lt ein Nullbyte";
    case WaypointLineStatus::TextAfterCarriageReturn:
        return "hat Text hinter dem CR";
    default:
        return "l\xE4sst sich nicht lesen";
    }
}

// The record that would have got number `next` is not sent; the upload stops before it.
void LogUnsendable(TransferContext& context, int next, long lineNumber, const char* reason) {
    LogPrintf(context.operation.Log(), "WP %3d: Abbruch, Zeile %ld der Datei %s!", next, lineNumber, reason);
}

// Sends every record line of the file, each acknowledged before the next is read. The number
// of acknowledged records, or nothing when the run was aborted (its reason already logged).
std::optional<int> SendRecords(UploadMode mode, TransferContext& context,
                               WaypointFileReader& reader) {
    WaypointFields record;
    int runningNumber = 0;
    for (;;) {
        const WaypointLineStatus status = reader.Next();
        if (status == WaypointLineStatus::End) {
            return runningNumber;
        }
        const int next = runningNumber + 1;
        if (context.operation.IsCancelled()) {
            LogAbort(context, kExchangeCancelled, runningNumber);
            return std::nullopt;
        }
        if (status != WaypointLineStatus::Line) {
            LogUnsendable(context, next, reader.LineNumber(), UnsendableReason(status));
            return std::nullopt;
        }
        if (!ParseWaypointFields(reader.Text(), record, context.config)) {
            LogUnsendable(context, next, reader.LineNumber(),
                          "hat ein Feld mit mehr als 255 Zeichen");
            return std::nullopt;
        }
        const std::optional<std::string> sentence = RecordSentence(record);
        if (!sentence) {
            LogUnsendable(context, next, reader.LineNumber(),
                          "ergibt einen Satz von mehr als 511 Zeichen");
            return std::nullopt;
        }
        runningNumber = next;
        LogPrintf(context.operation.Log(), "WP %3d: %s", runningNumber, sentence->c_str());
        const std::string reply = RecordReply(mode, runningNumber);
        const int result = ExchangeSentence(context.operation, context.port, ReplyTimeoutMs,
                                            kExchangeAttempts, sentence->c_str(), reply.c_str());
        if (result != kExchangeAccepted) {
            LogAbort(context, result, runningNumber - 1);
            return std::nullopt;
        }
    }
}

}  // namespace

bool WaypointFileChosen(const std::string& waypointFilePath) {
    if (!waypointFilePath.empty()) {
        return true;
    }
    ShowMessage(platform::kStyleStopIcon, 1, "Fehler",
                "Erst mal eine Wendepunktdatei zum \xDC" "bertragen w\xE4hlen!");
    return false;
}

void UploadWaypointFile(UploadMode mode, TransferContext& context) {
    platform::LogSink* log = context.operation.Log();
    const char* word = ModeWord(mode);
    LogPrintf(log, "%s", kSectionBreak);
    LogPrintf(log, "%s", Banner(word, kRuleLength + (mode == UploadMode::Update)).c_str());

    // Opened before the opening sentence: a file that cannot be read must not make the
    // instrument give up its list for a Replace that brings nothing.
    WaypointFileReader reader;
    if (!reader.Open(context.waypointFilePath)) {
        LogPrintf(log, "Abbruch, Wendepunktdatei %s l\xE4sst sich nicht \xF6" "ffnen!",
                  context.waypointFilePath.c_str());
        EndTransfer(context);
        return;
    }

    const std::string opening = OpeningSentence(mode);
    if (!context.operation.IsCancelled()) {
        LogPrintf(log, "%s", opening.c_str());
    }
    // Anything but an acknowledgement fails: a silent instrument has taken nothing.
    const int result = ExchangeSentence(context.operation, context.port, ReplyTimeoutMs,
                                        kExchangeAttempts, opening.c_str(), kOpeningReply);
    if (result != kExchangeAccepted) {
        LogAbort(context, result, 0);
        EndTransfer(context);
        return;
    }

    if (const std::optional<int> sent = SendRecords(mode, context, reader)) {
        LogPrintf(log, "%s fertig, %d S\xE4" "tze \xFC" "bertragen!", word, *sent);
        LogPrintf(log, "%s", Banner("", kRuleLength).c_str());
        LogPrintf(log, "%s", kSectionBreak);
    }
    EndTransfer(context);
}

}  // namespace zr640
