// SPDX-License-Identifier: GPL-3.0-or-later
#include "instrument.h"

#include <cstdint>
#include <cstdio>

#include "protocol/sentence_format.h"

namespace zr640::sim {

namespace {

constexpr std::size_t kRecordFields = 9;
constexpr std::size_t kTaskHeaderFields = 3;

bool IsTaskHeader(const std::vector<std::string>& fields) {
    return fields.size() >= kTaskHeaderFields && fields[0] == "1" && fields[1] == "1" &&
           fields[2] == "1";
}

// The framed sentence with every bit of its checksum flipped.
std::string WithCorruptChecksum(const std::string& dollarAndBody) {
    const int checksum =
        SentenceChecksum(reinterpret_cast<const std::uint8_t*>(dollarAndBody.data()),
                         static_cast<int>(dollarAndBody.size()));
    char tail[8];
    std::snprintf(tail, sizeof tail, "*%02X\r\n", checksum ^ 0xFF);
    return dollarAndBody + tail;
}

}  // namespace

InstrumentAnswer Instrument::HandleLine(const ReceivedLine& line) {
    if (faults_.silent || silenced_) return {"", false, "silent"};
    if (line.overlong) {
        if (!line.bytes.empty() && line.bytes.front() == '$') {
            return Error("LENGTH", "", "line too long");
        }
        return {"", false, "noise, line too long"};
    }
    const ReceivedSentence sentence = ParseSentenceLine(line.bytes);
    switch (sentence.verdict) {
        case LineVerdict::NotSentence:
            return {"", false, "noise"};
        case LineVerdict::Malformed:
            return Error("FORMAT", "", "no checksum");
        case LineVerdict::BadChecksum:
            return Error("CHECKSUM", "", "checksum wrong");
        case LineVerdict::Sentence:
            break;
    }
    ++sentencesReceived_;
    if (InWrongReplyWindow()) {
        return Error("RETRY", sentence.identifier,
                     "wrong reply " + std::to_string(sentencesReceived_ -
                                                     faults_.wrongRepliesFrom + 1) +
                         " of " + std::to_string(faults_.wrongReplies));
    }
    return HandleSentence(sentence);
}

bool Instrument::InWrongReplyWindow() const {
    return sentencesReceived_ >= faults_.wrongRepliesFrom &&
           sentencesReceived_ < faults_.wrongRepliesFrom + faults_.wrongReplies;
}

InstrumentAnswer Instrument::HandleSentence(const ReceivedSentence& sentence) {
    if (sentence.identifier == "KTWPI") return OpenUpload(sentence);
    if (sentence.identifier == "KTWPU") return StoreRecord(sentence);
    if (sentence.identifier == "KTWPR") return StoreTask(sentence);
    return Error("UNKNOWN", sentence.identifier, "unknown sentence");
}

InstrumentAnswer Instrument::OpenUpload(const ReceivedSentence& sentence) {
    if (sentence.fields.size() != 1 ||
        (sentence.fields[0] != "Update" && sentence.fields[0] != "Replace")) {
        return Error("FORMAT", sentence.identifier, "mode is neither Update nor Replace");
    }
    const bool replace = sentence.fields[0] == "Replace";
    upload_ = replace ? Upload::Replace : Upload::Update;
    recordsInUpload_ = 0;
    if (replace) waypoints_.clear();
    return Answer("$KTWPO," + sentence.fields[0] + "," + std::to_string(waypoints_.size()),
                  sentence.fields[0] + " begins");
}

InstrumentAnswer Instrument::StoreRecord(const ReceivedSentence& sentence) {
    if (upload_ == Upload::None) return Error("NOTOPEN", sentence.identifier, "no upload open");
    if (sentence.fields.size() != kRecordFields) {
        return Error("FORMAT", sentence.identifier,
                     std::to_string(sentence.fields.size()) + " fields instead of 9");
    }
    if (!hungUp_ && recordsInUpload_ == faults_.hangupAfterRecords) {
        hungUp_ = true;
        InstrumentAnswer answer{"", true, "hanging up before record " +
                                              std::to_string(recordsInUpload_ + 1)};
        return answer;
    }
    if (recordsInUpload_ == faults_.silentAfterRecords) {
        silenced_ = true;
        return {"", false, "falls silent"};
    }
    Waypoint waypoint;
    for (std::size_t i = 0; i < kRecordFields; ++i) waypoint.fields[i] = sentence.fields[i];
    bool replaced = false;
    for (auto& held : waypoints_) {
        if (held.fields[0] == waypoint.fields[0]) {
            held = waypoint;
            replaced = true;
            break;
        }
    }
    if (!replaced) waypoints_.push_back(waypoint);
    ++recordsInUpload_;
    return Answer("$KTWPA," + std::to_string(recordsInUpload_),
                  replaced ? "record replaces its namesake" : "record added");
}

InstrumentAnswer Instrument::StoreTask(const ReceivedSentence& sentence) {
    if (!IsTaskHeader(sentence.fields) || sentence.fields.size() % 2 == 0) {
        return Error("FORMAT", sentence.identifier, "not 1,1,1 and name,id pairs");
    }
    task_.clear();
    for (std::size_t i = kTaskHeaderFields; i + 1 < sentence.fields.size(); i += 2) {
        task_.push_back({sentence.fields[i], sentence.fields[i + 1]});
    }
    return Answer("$KTWPS,1," + std::to_string(task_.size()), "task stored");
}

InstrumentAnswer Instrument::Answer(const std::string& dollarAndBody, std::string note) const {
    if (faults_.badReplyChecksum) {
        return {WithCorruptChecksum(dollarAndBody), false, note + ", checksum corrupted"};
    }
    return {FrameSentence(dollarAndBody), false, std::move(note)};
}

InstrumentAnswer Instrument::Error(const std::string& reason, const std::string& identifier,
                                   std::string note) const {
    std::string body = "$KTWPE," + reason;
    if (!identifier.empty()) body += "," + identifier;
    return Answer(body, std::move(note));
}

}  // namespace zr640::sim
