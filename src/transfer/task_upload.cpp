// SPDX-License-Identifier: GPL-3.0-or-later
#include <optional>
#include <string>

#include "platform/event_log.h"
#include "serial/com_port.h"
#include "serial/sentence.h"
#include "transfer/transfer.h"
#include "transfer/transfer_steps.h"
#include "transfer/upload_sentences.h"

namespace zr640 {

namespace {

// The task sentence out and its acknowledgement in; what went wrong is logged.
void SendTask(TransferContext& context) {
    platform::LogSink* log = context.operation.Log();
    const std::optional<std::string> sentence = TaskSentence(context.config);
    if (!sentence) {
        LogPrintf(log,
                  "Strecke nicht gesendet: der Satz w\xE4re l\xE4nger als %d Zeichen "
                  "(MaxLaengeName1/MaxLaengeName2 kleiner w\xE4hlen)!",
                  kSentenceBufferSize - 1);
        return;
    }
    const int result = LoggedExchange(context, "Strecke: " + *sentence, *sentence,
                                      TaskReply(context.config.RouteCount));
    context.completed = result == kExchangeAccepted;
    if (result == kExchangeCancelled) {
        LogPrintf(log, "Abbruch durch Benutzer");
    } else if (result < 0) {
        LogPrintf(log, "Abbruch, Strecke nicht gesetzt!");
    }
}

}  // namespace

void UploadTask(TransferContext& context) {
    platform::LogSink* log = context.operation.Log();
    context.operation.SetText("Strecke setzen");
    SetRts(context.port, SETRTS);
    LogPrintf(log, "%s", kSectionBreak);
    LogPrintf(log, "%s", Banner("Strecke setzen", kRuleLength).c_str());
    // Without a line that is said in the log; the closing lines follow in every case.
    if (!LineMissing(context)) {
        SendTask(context);
    }

    LogPrintf(log, "%s", Banner("", kRuleLength).c_str());
    LogPrintf(log, "%s", kSectionBreak);
    EndTransfer(context);
}

}  // namespace zr640
