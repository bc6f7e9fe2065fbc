// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <array>
#include <string>
#include <vector>

#include "line_splitter.h"
#include "sentence_parser.h"

namespace zr640::sim {

// How the instrument misbehaves on demand. Sentences and records count from 1.
struct ReplyFaults {
    bool silent = false;          // answers nothing at all
    int silentAfterRecords = -1;  // falls silent for good at record N+1 of an upload
    int wrongReplies = 0;         // answers K sentences wrongly ...
    int wrongRepliesFrom = 1;     // ... beginning with sentence N
    bool badReplyChecksum = false;
    int hangupAfterRecords = -1;  // closes the line at record N+1 of an upload (once)
};

struct Waypoint {
    std::array<std::string, 9> fields;
};

struct RoutePoint {
    std::string name;
    std::string id;
};

struct InstrumentAnswer {
    std::string reply;  // a framed sentence with CR LF, or empty for no answer
    bool hangUp = false;
    std::string note;   // what happened, for the traffic log
};

// The instrument's side of the sentence exchange: judges each line from the tool, keeps the
// waypoint list and the task, and says what to answer. It knows nothing of time and lines;
// the delay of an answer and the closing of the line are the caller's business.
//
// Answers: "$KTWPI,Update" / "$KTWPI,Replace" -> "$KTWPO,<mode>,<waypoints held>" (Replace
// empties the list first); "$KTWPU,<9 fields>" -> "$KTWPA,<n>", n counting the records of
// the upload; "$KTWPR,1,1,1{,name,id}" -> "$KTWPS,1,<route points>". Errors are answered
// with "$KTWPE,<reason>[,<identifier>]": CHECKSUM, FORMAT, LENGTH, UNKNOWN, NOTOPEN, and
// RETRY for a reply made wrong on purpose. A line that does not begin with "$" is noise and
// gets no answer.
class Instrument {
public:
    explicit Instrument(ReplyFaults faults) : faults_(faults) {}

    InstrumentAnswer HandleLine(const ReceivedLine& line);

    const std::vector<Waypoint>& Waypoints() const { return waypoints_; }
    const std::vector<RoutePoint>& Task() const { return task_; }
    int RecordsInUpload() const { return recordsInUpload_; }

private:
    enum class Upload { None, Update, Replace };

    InstrumentAnswer HandleSentence(const ReceivedSentence& sentence);
    InstrumentAnswer OpenUpload(const ReceivedSentence& sentence);
    InstrumentAnswer StoreRecord(const ReceivedSentence& sentence);
    InstrumentAnswer StoreTask(const ReceivedSentence& sentence);
    InstrumentAnswer Answer(const std::string& dollarAndBody, std::string note) const;
    InstrumentAnswer Error(const std::string& reason, const std::string& identifier,
                           std::string note) const;
    bool InWrongReplyWindow() const;

    ReplyFaults faults_;
    bool silenced_ = false;
    bool hungUp_ = false;
    int sentencesReceived_ = 0;
    Upload upload_ = Upload::None;
    int recordsInUpload_ = 0;
    std::vector<Waypoint> waypoints_;
    std::vector<RoutePoint> task_;
};

}  // namespace zr640::sim
