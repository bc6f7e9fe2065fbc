#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "serial/sentence.h"
#include "transfer/transfer.h"
#include "transfer_fixture.h"

namespace zr640 {
namespace {

using Lines = std::vector<std::string>;

class TaskUpload : public testing::TransferTest {
protected:
    void AddPoint(const std::string& name, const std::string& code) {
        WaypointFields& point = config.Route.slot[static_cast<std::size_t>(config.RouteCount++)];
        std::strncpy(point.Field(1), name.c_str(), kFieldSize - 1);
        std::strncpy(point.Field(2), code.c_str(), kFieldSize - 1);
    }

    void Upload() {
        TransferContext context = Context();
        UploadTask(context);
    }

    Lines Expected(const Lines& middle) {
        Lines all = {" ", " ", "Strecke setzen" + Hyphens(128)};
        all.insert(all.end(), middle.begin(), middle.end());
        all.insert(all.end(), {Hyphens(128), " ", " "});
        return all;
    }
};

TEST_F(TaskUpload, SendsTheRouteAndLogsTheReply) {
    AddPoint("Bayreuth", "EDQD");
    AddPoint("Oschersleben", "");
    AddPoint("M\xFCnchen", "EDMR");
    AddPoint("Aalen", "EDPA");
    Answer({"$KTWPS,1,4"});
    Upload();

    const std::string sentence =
        FrameSentence("$KTWPR,1,1,1,Bayreuth,EDQD,Oschersleben,,M\xFCnchen,EDMR,Aalen,EDPA");
    EXPECT_EQ(device.writes, Lines{sentence});
    EXPECT_EQ(log.entries, Expected({"Strecke: " + Entry(sentence), "$KTWPS,1,4\r"}));
    EXPECT_EQ(device.escapes, (std::vector<int>{SETRTS, SETRTS, CLRRTS, CLRRTS}));
}

TEST_F(TaskUpload, AnEmptyRouteIsSentAllTheSame) {
    Answer({"$KTWPS,1,0"});
    Upload();
    EXPECT_EQ(device.writes, Lines{"$KTWPR,1,1,1*57\r\n"});
    EXPECT_EQ(log.entries, Expected({"Strecke: $KTWPR,1,1,1*57\r", "$KTWPS,1,0\r"}));
}

TEST_F(TaskUpload, WrongAnswersAndSilenceSayTheTaskIsNotSet) {
    AddPoint("Bayreuth", "EDQD");
    Answer({"$KTWPS,1,2", "$KTWPS,1,2", "$KTWPS,1,2"});
    Upload();
    const std::string sentence = FrameSentence("$KTWPR,1,1,1,Bayreuth,EDQD");
    EXPECT_EQ(device.writes, (Lines{sentence, sentence, sentence}));
    EXPECT_EQ(log.entries,
              Expected({"Strecke: " + Entry(sentence), "Response Falsch:$KTWPS,1,2\r",
                        "Response Falsch:$KTWPS,1,2\r", "Response Falsch:$KTWPS,1,2\r",
                        "Abbruch, Strecke nicht gesetzt!"}));
    EXPECT_EQ(device.escapes.back(), CLRRTS);

    // Silent: whatever the exchange logs, the abort and the closing lines follow.
    log.entries.clear();
    Upload();
    const Lines closing = {"Abbruch, Strecke nicht gesetzt!", Hyphens(128), " ", " "};
    EXPECT_EQ(Lines(log.entries.end() - 4, log.entries.end()), closing);
    EXPECT_EQ(log.entries[3], "Strecke: " + Entry(sentence));
    EXPECT_EQ(device.escapes.back(), CLRRTS);
}

TEST_F(TaskUpload, ACancelInTheWaitEndsItWithTheClosingLines) {
    AddPoint("Bayreuth", "EDQD");
    device.onWait = [this] { operation.Cancel(); };
    Upload();
    const std::string sentence = FrameSentence("$KTWPR,1,1,1,Bayreuth,EDQD");
    EXPECT_EQ(device.writes, Lines{sentence});
    EXPECT_EQ(log.entries, Expected({"Strecke: " + Entry(sentence), "Abbruch durch Benutzer"}));
    EXPECT_EQ(device.escapes.back(), CLRRTS);
}

TEST_F(TaskUpload, ARouteTooLongForItsSentenceIsReportedNotSent) {
    for (int n = 0; n < 4; ++n) AddPoint(std::string(120, 'n'), "EDXX");
    Upload();
    EXPECT_TRUE(device.writes.empty());
    EXPECT_EQ(log.entries,
              Expected({"Strecke nicht gesendet: der Satz w\xE4re l\xE4nger als 511 Zeichen "
                        "(MaxLaengeName1/MaxLaengeName2 kleiner w\xE4hlen)!"}));
    EXPECT_EQ(device.escapes, (std::vector<int>{SETRTS, CLRRTS}));
}

}  // namespace
}  // namespace zr640
