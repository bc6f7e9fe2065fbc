#include <optional>
#include <string>

#include "app/event_log.h"
#include "serial/com_port.h"
#include "serial/sentence.h"
#include "transfer/transfer.h"
#include "transfer/transfer_steps.h"
#include "transfer/upload_sentences.h"

namespace zr640 {

void UploadTask(TransferContext& context) {
    context.receiveEnabled = false;
    SetRts(context.port, SETRTS);
    LogPrintf(context.log, "%s", kSectionBreak);
    LogPrintf(context.log, "%s", Banner("Strecke setzen", kRuleLength).c_str());

    const std::optional<std::string> sentence = TaskSentence(context.config);
    if (sentence) {
        LogPrintf(context.log, "Strecke: %s", sentence->c_str());
        const std::string reply = TaskReply(context.config.RouteCount);
        // The result needs no branch: the exchange logs a wrong or a missing answer itself.
        ExchangeSentence(context.log, context.port, context.clock, ReplyTimeoutMs,
                         kExchangeAttempts, sentence->c_str(), reply.c_str());
    } else {
        LogPrintf(context.log,
                  "Strecke nicht gesendet: der Satz w\xE4re l\xE4nger als %d Zeichen "
                  "(MaxLaengeName1/MaxLaengeName2 kleiner w\xE4hlen)!",
                  kSentenceBufferSize - 1);
    }

    LogPrintf(context.log, "%s", Banner("", kRuleLength).c_str());
    LogPrintf(context.log, "%s", kSectionBreak);
    EndTransfer(context);
}

}  // namespace zr640
