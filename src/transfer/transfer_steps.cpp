// SPDX-License-Identifier: GPL-3.0-or-later
#include "transfer/transfer_steps.h"

#include <cstdio>
#include <exception>

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
    const int result = ExchangeSentence(context.operation, context.port, ReplyTimeoutMs,
                                        kExchangeAttempts, sentence.c_str(), reply.c_str());
    if (result == kExchangeLineLost) context.lineLost = true;
    return result;
}

bool LineMissing(TransferContext& context) {
    if (!context.lineMissing) return false;
    LogPrintf(context.operation.Log(), "Keine Verbindung zum Ger\xE4t, nichts gesendet");
    return true;
}

void EndTransfer(TransferContext& context) { SetRts(context.port, CLRRTS); }

void RunGuarded(const std::function<void(TransferContext&)>& transfer, TransferContext& context) {
    char what[256] = "unbekannt";
    try {
        transfer(context);
        return;
    } catch (const std::exception& fault) {
        std::snprintf(what, sizeof what, "%s", fault.what());
    } catch (...) {
    }
    EndTransfer(context);
    try {
        LogPrintf(context.operation.Log(), "Abbruch: interner Fehler: %s", what);
    } catch (...) {
        // Out of memory even for the line: the transfer has ended all the same.
    }
}

}  // namespace zr640
