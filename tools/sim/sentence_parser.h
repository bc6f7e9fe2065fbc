// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace zr640::sim {

enum class LineVerdict {
    Sentence,     // "$", body, "*", two upper-case hex digits, CR LF (or LF alone)
    NotSentence,  // does not begin with "$": noise on the line, not answered
    Malformed,    // begins with "$" but has no "*HH" before its line end
    BadChecksum,  // "*HH" does not match the body
};

struct ReceivedSentence {
    LineVerdict verdict = LineVerdict::NotSentence;
    std::string identifier;           // "KTWPI"
    std::vector<std::string> fields;  // the comma-separated pieces after the identifier
};

// Judges one line received from the tool, line feed included. The checksum is taken from
// the last "*" so that a "*" inside a field does not cut the sentence short.
ReceivedSentence ParseSentenceLine(std::string_view line);

}  // namespace zr640::sim
