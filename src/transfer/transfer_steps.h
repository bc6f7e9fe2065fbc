#pragma once

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

// How every transfer ends: RTS low and live reception on, whatever it was before.
void EndTransfer(TransferContext& context);

}  // namespace zr640
