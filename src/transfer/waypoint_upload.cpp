// SPDX-License-Identifier: GPL-3.0-or-later
#include <cstdio>
#include <optional>
#include <string>

#include "platform/event_log.h"
#include "config/configuration.h"
#include "platform/message_box.h"
#include "serial/sentence.h"
#include "transfer/transfer.h"
#include "transfer/transfer_steps.h"
#include "transfer/upload_sentences.h"
#include "transfer/waypoint_file_reader.h"
#include "transfer/waypoint_line.h"

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

void LogUnsendable(TransferContext& context, const WaypointFileReader& reader,
                   const char* problem) {
    LogPrintf(context.operation.Log(), "Abbruch, Zeile %ld: %s", reader.LineNumber(), problem);
}

void LogCannotOpen(TransferContext& context) {
    LogPrintf(context.operation.Log(),
              "Abbruch, Wendepunktdatei %s l\xE4sst sich nicht \xF6" "ffnen!",
              context.waypointFilePath.c_str());
}

// The whole file is read once before anything is sent, so that the instrument never gives up
// its list for a file that would stop halfway: the number of records, with `reader` back at the
// first line, or nothing when the file cannot be read or one of its lines cannot go out whole
// (said in the log). The same open file serves both passes, so it cannot vanish in between.
std::optional<int> CheckFile(TransferContext& context, WaypointFileReader& reader) {
    if (!reader.Open(context.waypointFilePath)) {
        LogCannotOpen(context);
        return std::nullopt;
    }
    int records = 0;
    for (WaypointLineStatus status; (status = reader.Next()) != WaypointLineStatus::End;) {
        const PreparedLine line = PrepareLine(status, reader, context.config);
        if (line.problem != nullptr) {
            LogUnsendable(context, reader, line.problem);
            return std::nullopt;
        }
        ++records;
    }
    if (!reader.Rewind()) {
        LogCannotOpen(context);
        return std::nullopt;
    }
    return records;
}

// Sends every record line of the file, each acknowledged before the next is read. The number
// of acknowledged records, or nothing when the run was aborted (its reason already logged).
std::optional<int> SendRecords(UploadMode mode, TransferContext& context,
                               WaypointFileReader& reader) {
    int runningNumber = 0;
    for (WaypointLineStatus status; (status = reader.Next()) != WaypointLineStatus::End;) {
        // The file was found whole; a line that fails now was changed since.
        const PreparedLine line = PrepareLine(status, reader, context.config);
        if (line.problem != nullptr) {
            LogUnsendable(context, reader, line.problem);
            return std::nullopt;
        }
        char number[16];
        std::snprintf(number, sizeof number, "WP %3d: ", ++runningNumber);
        const int result = LoggedExchange(context, number + line.sentence, line.sentence,
                                          RecordReply(mode, runningNumber));
        if (result != kExchangeAccepted) {
            LogAbort(context, result, runningNumber - 1);
            return std::nullopt;
        }
        context.operation.SetProgressPosition(runningNumber);
    }
    return runningNumber;
}

// The opening sentence; false when the instrument did not take it (said in the log).
bool OpenUpload(UploadMode mode, TransferContext& context) {
    const std::string opening = OpeningSentence(mode);
    // Anything but an acknowledgement fails: a silent instrument has taken nothing.
    const int result = LoggedExchange(context, opening, opening, kOpeningReply);
    if (result != kExchangeAccepted) {
        LogAbort(context, result, 0);
        return false;
    }
    return true;
}

}  // namespace

bool WaypointFileChosen(const std::string& waypointFilePath, const char* missing) {
    if (!waypointFilePath.empty()) {
        return true;
    }
    ShowMessage(platform::kStyleStopIcon, 1, "Fehler", "%s", missing);
    return false;
}

void UploadWaypointFile(UploadMode mode, TransferContext& context) {
    platform::LogSink* log = context.operation.Log();
    const char* word = ModeWord(mode);
    context.operation.SetText(word);
    LogPrintf(log, "%s", kSectionBreak);
    LogPrintf(log, "%s", Banner(word, kRuleLength + (mode == UploadMode::Update)).c_str());

    WaypointFileReader reader;
    const std::optional<int> records =
        LineMissing(context) ? std::nullopt : CheckFile(context, reader);
    if (records && OpenUpload(mode, context)) {
        LogPrintf(log, "%d S\xE4tze in der Datei", *records);
        context.operation.SetProgressRange(*records);
        if (const std::optional<int> sent = SendRecords(mode, context, reader)) {
            LogPrintf(log, "%s fertig, %d S\xE4" "tze \xFC" "bertragen!", word, *sent);
            LogPrintf(log, "%s", Banner("", kRuleLength).c_str());
            LogPrintf(log, "%s", kSectionBreak);
            context.completed = true;
        }
    }
    EndTransfer(context);
}

}  // namespace zr640
