// SPDX-License-Identifier: GPL-3.0-or-later
#include "sentence_parser.h"

#include <cstdint>

#include "protocol/sentence_format.h"

namespace zr640::sim {

namespace {

int UpperHexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

std::string_view WithoutLineEnd(std::string_view line) {
    if (!line.empty() && line.back() == '\n') line.remove_suffix(1);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    return line;
}

std::vector<std::string> SplitAtCommas(std::string_view text) {
    std::vector<std::string> pieces;
    std::size_t start = 0;
    for (;;) {
        const std::size_t comma = text.find(',', start);
        pieces.emplace_back(text.substr(start, comma - start));
        if (comma == std::string_view::npos) return pieces;
        start = comma + 1;
    }
}

}  // namespace

ReceivedSentence ParseSentenceLine(std::string_view line) {
    ReceivedSentence sentence;
    const std::string_view text = WithoutLineEnd(line);
    if (text.empty() || text.front() != '$') return sentence;

    sentence.verdict = LineVerdict::Malformed;
    const std::size_t star = text.rfind('*');
    if (star == std::string_view::npos || text.size() != star + 3) return sentence;
    const int high = UpperHexValue(text[star + 1]);
    const int low = UpperHexValue(text[star + 2]);
    if (high < 0 || low < 0) return sentence;

    const std::string_view dollarAndBody = text.substr(0, star);
    const int checksum = SentenceChecksum(
        reinterpret_cast<const std::uint8_t*>(dollarAndBody.data()),
        static_cast<int>(dollarAndBody.size()));
    if (checksum != high * 16 + low) {
        sentence.verdict = LineVerdict::BadChecksum;
        return sentence;
    }
    sentence.verdict = LineVerdict::Sentence;
    sentence.fields = SplitAtCommas(dollarAndBody.substr(1));
    sentence.identifier = std::move(sentence.fields.front());
    sentence.fields.erase(sentence.fields.begin());
    return sentence;
}

}  // namespace zr640::sim
