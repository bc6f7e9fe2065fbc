// Waypoint uploads through the termios port to the real simulator over a pseudo-terminal.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "sample_waypoints.h"
#include "serial/sentence.h"
#include "transfer_sim_fixture.h"

namespace zr640 {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using testing::SampleWaypoint;
using testing::SampleWaypointFile;
using testing::SampleWaypoints;
using Lines = std::vector<std::string>;

std::string Joined(const SampleWaypoint& waypoint) {
    std::string text;
    for (const std::string& field : waypoint.fields) text += (text.empty() ? "" : ",") + field;
    // Nine fields, eight commas, also when the first field is empty.
    return text.empty() ? std::string(8, ',') : text;
}

std::string Sentence(const SampleWaypoint& waypoint) {
    return FrameSentence("$KTWPU," + Joined(waypoint));
}

class UploadToSim : public testing::SimTransferTest {
protected:
    UploadToSim() {
        config.MaxLaengeName1 = 32;
        config.MaxLaengeName2 = 5;
    }

    // The record sentences of `waypoints`, in order.
    static Lines Sentences(std::vector<SampleWaypoint>::const_iterator first,
                           std::vector<SampleWaypoint>::const_iterator last) {
        Lines sentences;
        std::transform(first, last, std::back_inserter(sentences), Sentence);
        return sentences;
    }

    long Count(const std::string& entry) const {
        return std::count(log.entries.begin(), log.entries.end(), entry);
    }

    Lines LastLog(std::size_t count) const {
        return Lines(log.entries.end() - static_cast<long>(std::min(count, log.entries.size())),
                     log.entries.end());
    }

    void ExpectAbortedWithLineLowAndReceptionOn() {
        EXPECT_EQ(log.entries.back(), "Abbruch, Fehler bei resend!!");
        for (const std::string& entry : log.entries) {
            EXPECT_EQ(entry.find("fertig"), std::string::npos) << entry;
        }
    }

    const std::string replace = FrameSentence("$KTWPI,Replace");
    const std::string update = FrameSentence("$KTWPI,Update");
};

TEST_F(UploadToSim, ReplaceThenUpdateCarryEveryRecordByteForByte) {
    StartSim();
    const std::vector<SampleWaypoint> waypoints = SampleWaypoints(340);
    const std::vector<SampleWaypoint> first(waypoints.begin(), waypoints.begin() + 300);
    const std::vector<SampleWaypoint> more(waypoints.begin() + 300, waypoints.end());

    Upload(UploadMode::Replace, SampleWaypointFile(first));
    EXPECT_EQ(LastLog(4), (Lines{"Replace fertig, 300 S\xE4" "tze \xFC" "bertragen!",
                                 Hyphens(128), " ", " "}));
    EXPECT_EQ(log.entries[3], replace.substr(0, replace.size() - 1));
    EXPECT_EQ(log.entries[4].rfind("$KTWPO,Replace,0*", 0), 0u) << log.entries[4];
    EXPECT_EQ(log.entries[5], "300 S\xE4tze in der Datei");
    EXPECT_EQ(log.entries[6], "WP   1: " + Sentence(first[0]).substr(0, Sentence(first[0]).size() - 1));

    Upload(UploadMode::Update, SampleWaypointFile(more));
    EXPECT_EQ(LastLog(4)[0], "Update fertig, 40 S\xE4" "tze \xFC" "bertragen!");
    EXPECT_EQ(Count("Update" + Hyphens(129)), 1);
    StopSim();

    Lines expected = {replace};
    const Lines firstSentences = Sentences(first.begin(), first.end());
    expected.insert(expected.end(), firstSentences.begin(), firstSentences.end());
    expected.push_back(update);
    const Lines moreSentences = Sentences(more.begin(), more.end());
    expected.insert(expected.end(), moreSentences.begin(), moreSentences.end());
    EXPECT_EQ(ReceivedLines(), expected);

    Lines stored;
    std::transform(waypoints.begin(), waypoints.end(), std::back_inserter(stored), Joined);
    EXPECT_EQ(Stored("[waypoints]"), stored);
    EXPECT_THAT(messageBoxes.shown, IsEmpty());
}

TEST_F(UploadToSim, TheLinesOfAFileBecomeNineTrimmedFields) {
    StartSim();
    config.MaxLaengeName1 = 10;
    config.MaxLaengeName2 = 4;
    // Blank lines of both kinds, a line of blanks, an empty second field, more than nine
    // fields, Unix line ends and a last line without any.
    Upload(UploadMode::Replace,
           "Hetzleser Berg,EDQX\r\n\r\n  X ,, Y\r\n\n   \r\n"
           "1,2,3,4,5,6,7,8,9,10,11\nM\xFC" "hlacker Flugplatz,EDXM,48.9,8.9");
    EXPECT_EQ(LastLog(4)[0], "Replace fertig, 5 S\xE4" "tze \xFC" "bertragen!");

    config.MaxLaengeName1 = 8;
    Upload(UploadMode::Update, "Hetzleser Berg,EDQX\r\n");
    StopSim();

    EXPECT_THAT(ReceivedLines(),
                ElementsAre(replace, FrameSentence("$KTWPU,Hetzleser,EDQX,,,,,,,"),
                            FrameSentence("$KTWPU,X,,Y,,,,,,"), FrameSentence("$KTWPU,,,,,,,,,"),
                            FrameSentence("$KTWPU,1,2,3,4,5,6,7,8,9"),
                            FrameSentence("$KTWPU,M\xFC" "hlacker,EDXM,48.9,8.9,,,,,"), update,
                            FrameSentence("$KTWPU,Hetzlese,EDQX,,,,,,,")));
    EXPECT_THAT(Stored("[waypoints]"),
                ElementsAre("Hetzleser,EDQX,,,,,,,", "X,,Y,,,,,,", ",,,,,,,,", "1,2,3,4,5,6,7,8,9",
                            "M\xFC" "hlacker,EDXM,48.9,8.9,,,,,", "Hetzlese,EDQX,,,,,,,"));
}

TEST_F(UploadToSim, AnEmptyFileGivesTheOpeningAndNoRecord) {
    StartSim();
    Upload(UploadMode::Replace, "");
    StopSim();
    EXPECT_EQ(log.entries.size(), 10u);
    EXPECT_EQ(LastLog(4)[0], "Replace fertig, 0 S\xE4" "tze \xFC" "bertragen!");
    EXPECT_THAT(ReceivedLines(), ElementsAre(replace));
    EXPECT_THAT(Stored("[waypoints]"), IsEmpty());
}

TEST_F(UploadToSim, ARefusedReplaceLeavesTheInstrumentsListAlone) {
    StartSim();
    Upload(UploadMode::Replace, "Bayreuth,EDQD\r\n");
    Upload(UploadMode::Replace, std::string("Aalen,EDPA\r\nHetz\0leser\r\n", 24));
    StopSim();
    EXPECT_EQ(LastLog(1)[0], "Abbruch, Zeile 2: enth\xE4lt ein Nullbyte");
    EXPECT_THAT(ReceivedLines(), ElementsAre(replace, FrameSentence("$KTWPU,Bayreuth,EDQD,,,,,,,")));
    EXPECT_THAT(Stored("[waypoints]"), ElementsAre("Bayreuth,EDQD,,,,,,,"));
}

TEST_F(UploadToSim, OneWrongAnswerIsRetriedAndThreeAbort) {
    // The fifth sentence is record 4; three wrong answers use up all of its attempts.
    StartSim({"--wrong-replies", "3", "--wrong-replies-from", "5"});
    const std::vector<SampleWaypoint> waypoints = SampleWaypoints(10);
    Upload(UploadMode::Replace, SampleWaypointFile(waypoints));
    StopSim();

    const std::string wrong = FrameSentence("$KTWPE,RETRY,KTWPU");
    EXPECT_EQ(Count("Response Falsch:" + wrong.substr(0, wrong.size() - 1)), 3);
    ExpectAbortedWithLineLowAndReceptionOn();
    Lines expected = {replace};
    const Lines sent = Sentences(waypoints.begin(), waypoints.begin() + 4);
    expected.insert(expected.end(), sent.begin(), sent.end());
    expected.insert(expected.end(), {sent[3], sent[3]});
    EXPECT_EQ(ReceivedLines(), expected);
    EXPECT_EQ(Stored("[waypoints]").size(), 3u);
}

TEST_F(UploadToSim, OneWrongAnswerCostsOnlyARepetition) {
    StartSim({"--wrong-replies", "1", "--wrong-replies-from", "5"});
    const std::vector<SampleWaypoint> waypoints = SampleWaypoints(10);
    Upload(UploadMode::Replace, SampleWaypointFile(waypoints));
    StopSim();

    const std::string wrong = FrameSentence("$KTWPE,RETRY,KTWPU");
    EXPECT_EQ(Count("Response Falsch:" + wrong.substr(0, wrong.size() - 1)), 1);
    EXPECT_EQ(LastLog(4)[0], "Replace fertig, 10 S\xE4" "tze \xFC" "bertragen!");
    const Lines sent = Sentences(waypoints.begin(), waypoints.end());
    Lines expected = {replace};
    expected.insert(expected.end(), sent.begin(), sent.begin() + 4);
    expected.insert(expected.end(), sent.begin() + 3, sent.end());
    EXPECT_EQ(ReceivedLines(), expected);
    EXPECT_EQ(Stored("[waypoints]").size(), 10u);
}

TEST_F(UploadToSim, AnInstrumentSilentAfterTheOpeningAbortsTheRun) {
    StartSim({"--silent-after", "0"});
    const std::vector<SampleWaypoint> waypoints = SampleWaypoints(5);
    Upload(UploadMode::Replace, SampleWaypointFile(waypoints));
    StopSim();

    EXPECT_EQ(Count("Keine Antwort nach 2000 ms"), 3);
    ExpectAbortedWithLineLowAndReceptionOn();
    const std::string first = Sentence(waypoints[0]);
    EXPECT_THAT(ReceivedLines(), ElementsAre(replace, first, first, first));
    EXPECT_THAT(Stored("[waypoints]"), IsEmpty());
}

TEST_F(UploadToSim, AnInstrumentSilentAfterRecordSevenAbortsTheRun) {
    StartSim({"--silent-after", "7"});
    const std::vector<SampleWaypoint> waypoints = SampleWaypoints(20);
    Upload(UploadMode::Update, SampleWaypointFile(waypoints));
    StopSim();

    EXPECT_EQ(LastLog(5), (Lines{"WP   8: " + Sentence(waypoints[7]).substr(
                                                 0, Sentence(waypoints[7]).size() - 1),
                                 "Keine Antwort nach 2000 ms", "Keine Antwort nach 2000 ms",
                                 "Keine Antwort nach 2000 ms", "Abbruch, Fehler bei resend!!"}));
    ExpectAbortedWithLineLowAndReceptionOn();
    EXPECT_EQ(ReceivedLines().size(), 1u + 7u + 3u);
    EXPECT_EQ(Stored("[waypoints]").size(), 7u);
}

TEST_F(UploadToSim, ALineClosedMidUploadAbortsTheRunAtOnce) {
    StartSim({"--hangup-after", "20"});
    const std::vector<SampleWaypoint> waypoints = SampleWaypoints(50);
    Upload(UploadMode::Replace, SampleWaypointFile(waypoints));
    StopSim();

    EXPECT_EQ(LastLog(2), (Lines{"Verbindung zum Ger\xE4t verloren", "Abbruch, Fehler bei resend!!"}));
    ExpectAbortedWithLineLowAndReceptionOn();
    Lines expected = {replace};
    const Lines sent = Sentences(waypoints.begin(), waypoints.begin() + 21);
    expected.insert(expected.end(), sent.begin(), sent.end());
    EXPECT_EQ(ReceivedLines(), expected);
    EXPECT_EQ(Stored("[waypoints]").size(), 20u);
}

}  // namespace
}  // namespace zr640
