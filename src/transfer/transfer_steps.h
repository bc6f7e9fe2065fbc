// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <functional>
#include <string>

#include "transfer/transfer.h"

namespace zr640 {

// Two entries of one blank each: the separator between sections of the log.
inline constexpr const char* kSectionBreak = " \n \n";
inline constexpr int kRuleLength = 128;

// `word` followed by `hyphens` hyphens: the banners and closing rules of the transfers.
inline std::string Banner(const char* word, int hyphens) {
    return std::string(word) + std::string(static_cast<std::size_t>(hyphens), '-');
}

// Logs `line`, then sends `sentence` until `reply` comes back; the exchange's result. Once the
// user has cancelled, nothing is logged or sent: the log shows no sentence that never went out.
int LoggedExchange(TransferContext& context, const std::string& line,
                   const std::string& sentence, const std::string& reply);

// Whether the transfer has no line to send on; says so in the log when it has none.
bool LineMissing(TransferContext& context);

// How every transfer ends on the line: RTS low, whatever happened. Live reception is switched
// on again by the controller when the job has ended.
void EndTransfer(TransferContext& context);

// Runs a transfer so that whatever it throws ends it as any abort does: RTS low and a line in
// the log, instead of ending the program with RTS raised.
void RunGuarded(const std::function<void(TransferContext&)>& transfer, TransferContext& context);

}  // namespace zr640
