#include "transfer/transfer_steps.h"

#include "platform/event_log.h"
#include "serial/com_port.h"
#include "serial/sentence.h"

namespace zr640 {

int LoggedExchange(TransferContext& context, const std::string& line,
                   const std::string& sentence, const std::string& reply) {
    if (context.operation.IsCancelled()) {
        return kExchangeCancelled;
    }
    LogPrintf(context.operation.Log(), "%s", line.c_str());
    return ExchangeSentence(context.operation, context.port, ReplyTimeoutMs, kExchangeAttempts,
                            sentence.c_str(), reply.c_str());
}

void EndTransfer(TransferContext& context) { SetRts(context.port, CLRRTS); }

}  // namespace zr640
