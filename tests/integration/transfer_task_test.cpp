// Task uploads through the termios port to the real simulator over a pseudo-terminal.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "serial/sentence.h"
#include "transfer_sim_fixture.h"

namespace zr640 {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using Lines = std::vector<std::string>;

class TaskToSim : public testing::SimTransferTest {
protected:
    void AddPoint(const std::string& name, const std::string& code) {
        WaypointFields& point = config.Route.slot[static_cast<std::size_t>(config.RouteCount++)];
        std::strncpy(point.Field(1), name.c_str(), kFieldSize - 1);
        std::strncpy(point.Field(2), code.c_str(), kFieldSize - 1);
    }

    // The whole log of one task upload around the lines of its exchange.
    static Lines Expected(const std::string& sentence, const Lines& exchange) {
        Lines all = {" ", " ", "Strecke setzen" + Hyphens(128), "Strecke: " + WithoutLf(sentence)};
        all.insert(all.end(), exchange.begin(), exchange.end());
        all.insert(all.end(), {Hyphens(128), " ", " "});
        return all;
    }

    static std::string WithoutLf(const std::string& line) {
        return line.substr(0, line.size() - 1);
    }
};

TEST_F(TaskToSim, FourPointsOneWithoutIdentifierAreStored) {
    StartSim();
    AddPoint("Bayreuth", "EDQD");
    AddPoint("Oschersleben", "");
    AddPoint("M\xFCnchen", "EDMR");
    AddPoint("Lauf-Lilling", "EDQI");
    SendTask();
    StopSim();

    const std::string sentence = FrameSentence(
        "$KTWPR,1,1,1,Bayreuth,EDQD,Oschersleben,,M\xFCnchen,EDMR,Lauf-Lilling,EDQI");
    EXPECT_EQ(log.entries, Expected(sentence, {WithoutLf(FrameSentence("$KTWPS,1,4"))}));
    EXPECT_THAT(ReceivedLines(), ElementsAre(sentence));
    EXPECT_THAT(Stored("[task]"), ElementsAre("Bayreuth,EDQD", "Oschersleben,", "M\xFCnchen,EDMR",
                                              "Lauf-Lilling,EDQI"));
}

TEST_F(TaskToSim, AnEmptyRouteIsSentAndAcknowledged) {
    StartSim();
    SendTask();
    StopSim();
    EXPECT_EQ(log.entries,
              Expected("$KTWPR,1,1,1*57\r\n", {WithoutLf(FrameSentence("$KTWPS,1,0"))}));
    EXPECT_THAT(ReceivedLines(), ElementsAre("$KTWPR,1,1,1*57\r\n"));
}

TEST_F(TaskToSim, ThreeWrongAnswersLeaveTheTaskUnset) {
    StartSim({"--wrong-replies", "3"});
    AddPoint("Bayreuth", "EDQD");
    SendTask();
    StopSim();

    const std::string sentence = FrameSentence("$KTWPR,1,1,1,Bayreuth,EDQD");
    const std::string wrong = "Response Falsch:" + WithoutLf(FrameSentence("$KTWPE,RETRY,KTWPR"));
    EXPECT_EQ(log.entries,
              Expected(sentence, {wrong, wrong, wrong, "Abbruch, Strecke nicht gesetzt!"}));
    EXPECT_THAT(ReceivedLines(), ElementsAre(sentence, sentence, sentence));
    EXPECT_THAT(Stored("[task]"), IsEmpty());
}

}  // namespace
}  // namespace zr640
