#include <gtest/gtest.h>

#include "instrument.h"
#include "serial/sentence.h"

namespace zr640::sim {
namespace {

ReceivedLine Framed(const std::string& dollarAndBody) {
    return {FrameSentence(dollarAndBody), false};
}

// Feeds a framed sentence and gives the reply.
std::string Ask(Instrument& instrument, const std::string& dollarAndBody) {
    return instrument.HandleLine(Framed(dollarAndBody)).reply;
}

const char* const kMuenchen = "$KTWPU,M\xFC" "nchen,EDDM,4821.00N,01147.00E,448,123.500,,,";

TEST(Instrument, AnswersAnUploadAndKeepsItsRecordsByteForByte) {
    Instrument instrument({});
    EXPECT_EQ(Ask(instrument, "$KTWPI,Update"), FrameSentence("$KTWPO,Update,0"));
    EXPECT_EQ(Ask(instrument, kMuenchen), FrameSentence("$KTWPA,1"));
    EXPECT_EQ(Ask(instrument, "$KTWPU,Bayreuth,EDQD,,,,,,,"), FrameSentence("$KTWPA,2"));
    ASSERT_EQ(instrument.Waypoints().size(), 2U);
    const auto& first = instrument.Waypoints()[0].fields;
    EXPECT_EQ(first[0], "M\xFC" "nchen");
    EXPECT_EQ(first[5], "123.500");
    EXPECT_EQ(first[8], "");
    EXPECT_EQ(instrument.Waypoints()[1].fields[1], "EDQD");
    EXPECT_EQ(instrument.RecordsInUpload(), 2);
}

TEST(Instrument, UpdateReplacesByNameAndReplaceStartsANewList) {
    Instrument instrument({});
    Ask(instrument, "$KTWPI,Replace");
    Ask(instrument, "$KTWPU,Bayreuth,EDQD,1,,,,,,");
    Ask(instrument, "$KTWPU,Hof,EDQM,2,,,,,,");
    // A new upload counts from 1 again and reports the waypoints it holds.
    EXPECT_EQ(Ask(instrument, "$KTWPI,Update"), FrameSentence("$KTWPO,Update,2"));
    EXPECT_EQ(Ask(instrument, "$KTWPU,Bayreuth,EDQD,3,,,,,,"), FrameSentence("$KTWPA,1"));
    EXPECT_EQ(Ask(instrument, "$KTWPU,Coburg,EDQC,4,,,,,,"), FrameSentence("$KTWPA,2"));
    ASSERT_EQ(instrument.Waypoints().size(), 3U);
    EXPECT_EQ(instrument.Waypoints()[0].fields[2], "3");  // replaced where it stood
    EXPECT_EQ(instrument.Waypoints()[1].fields[0], "Hof");
    EXPECT_EQ(instrument.Waypoints()[2].fields[0], "Coburg");

    EXPECT_EQ(Ask(instrument, "$KTWPI,Replace"), FrameSentence("$KTWPO,Replace,0"));
    EXPECT_TRUE(instrument.Waypoints().empty());
    Ask(instrument, "$KTWPU,Coburg,EDQC,5,,,,,,");
    ASSERT_EQ(instrument.Waypoints().size(), 1U);
    EXPECT_EQ(instrument.Waypoints()[0].fields[2], "5");
}

TEST(Instrument, KeepsTheTaskAndCountsItsRoutePoints) {
    Instrument instrument({});
    EXPECT_EQ(Ask(instrument, "$KTWPR,1,1,1,Bayreuth,EDQD,Oschersleben,EDOL"),
              FrameSentence("$KTWPS,1,2"));
    ASSERT_EQ(instrument.Task().size(), 2U);
    EXPECT_EQ(instrument.Task()[1].name, "Oschersleben");
    EXPECT_EQ(instrument.Task()[1].id, "EDOL");
    // An empty id still makes a point; an empty task is a task too.
    EXPECT_EQ(Ask(instrument, "$KTWPR,1,1,1,Bayreuth,,Oschersleben,EDOL"),
              FrameSentence("$KTWPS,1,2"));
    EXPECT_EQ(instrument.Task()[0].id, "");
    EXPECT_EQ(Ask(instrument, "$KTWPR,1,1,1"), FrameSentence("$KTWPS,1,0"));
    EXPECT_TRUE(instrument.Task().empty());
}

TEST(Instrument, AnswersFaultyLinesWithAnErrorSentence) {
    Instrument instrument({});
    struct Case {
        std::string line;
        std::string reply;
    };
    const Case cases[] = {
        {"$KTWPI,Update*00\r\n", FrameSentence("$KTWPE,CHECKSUM")},
        {"$KTWPI,Update*6c\r\n", FrameSentence("$KTWPE,FORMAT")},  // lower-case digits
        {"$KTWPI,Update\r\n", FrameSentence("$KTWPE,FORMAT")},
        {FrameSentence("$KTWPU,A,B,,,,,,,"), FrameSentence("$KTWPE,NOTOPEN,KTWPU")},
        {FrameSentence("$KTWPI,update"), FrameSentence("$KTWPE,FORMAT,KTWPI")},
        {FrameSentence("$KTWPQ,1"), FrameSentence("$KTWPE,UNKNOWN,KTWPQ")},
        {FrameSentence("$KTWPR,1,1,1,Bayreuth"), FrameSentence("$KTWPE,FORMAT,KTWPR")},
        {FrameSentence("$KTWPR,1,2,1,Bayreuth,EDQD"), FrameSentence("$KTWPE,FORMAT,KTWPR")},
        {"garbage before a sentence $KTWPI,Update*6C\r\n", ""},
        {"\r\n", ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(instrument.HandleLine({c.line, false}).reply, c.reply) << c.line;
    }
    Ask(instrument, "$KTWPI,Update");
    EXPECT_EQ(Ask(instrument, "$KTWPU,A,B,,,,,,,,"), FrameSentence("$KTWPE,FORMAT,KTWPU"));
    EXPECT_EQ(Ask(instrument, "$KTWPU,A,B,,,,,,"), FrameSentence("$KTWPE,FORMAT,KTWPU"));
    EXPECT_EQ(instrument.HandleLine({"$KTWPU,AAAA", true}).reply, FrameSentence("$KTWPE,LENGTH"));
    EXPECT_TRUE(instrument.Waypoints().empty());
    EXPECT_EQ(instrument.RecordsInUpload(), 0);
}

TEST(Instrument, TakesTheChecksumFromTheLastStarAndAcceptsABareLineFeed) {
    Instrument instrument({});
    Ask(instrument, "$KTWPI,Update");
    EXPECT_EQ(Ask(instrument, "$KTWPU,Star*Field,S*F,,,,,,,"), FrameSentence("$KTWPA,1"));
    EXPECT_EQ(instrument.Waypoints()[0].fields[0], "Star*Field");
    std::string bareLineFeed = FrameSentence("$KTWPU,Hof,EDQM,,,,,,,");
    bareLineFeed.erase(bareLineFeed.size() - 2, 1);
    EXPECT_EQ(instrument.HandleLine({bareLineFeed, false}).reply, FrameSentence("$KTWPA,2"));
}

TEST(Instrument, AnswersWronglyKTimesFromTheNthSentenceWithoutStoring) {
    Instrument instrument({.wrongReplies = 2, .wrongRepliesFrom = 2});
    EXPECT_EQ(Ask(instrument, "$KTWPI,Replace"), FrameSentence("$KTWPO,Replace,0"));
    EXPECT_EQ(Ask(instrument, "$KTWPU,Hof,EDQM,,,,,,,"), FrameSentence("$KTWPE,RETRY,KTWPU"));
    EXPECT_EQ(Ask(instrument, "$KTWPU,Hof,EDQM,,,,,,,"), FrameSentence("$KTWPE,RETRY,KTWPU"));
    // The third attempt of the tool is the first record the instrument takes.
    EXPECT_EQ(Ask(instrument, "$KTWPU,Hof,EDQM,,,,,,,"), FrameSentence("$KTWPA,1"));
    EXPECT_EQ(instrument.Waypoints().size(), 1U);
    // A line with a bad checksum is not a sentence and does not count.
    Instrument counting({.wrongReplies = 1});
    EXPECT_EQ(counting.HandleLine({"$KTWPI,Update*00\r\n", false}).reply,
              FrameSentence("$KTWPE,CHECKSUM"));
    EXPECT_EQ(Ask(counting, "$KTWPI,Update"), FrameSentence("$KTWPE,RETRY,KTWPI"));
    EXPECT_EQ(Ask(counting, "$KTWPI,Update"), FrameSentence("$KTWPO,Update,0"));
}

TEST(Instrument, FallsSilentOnDemand) {
    Instrument silent({.silent = true});
    EXPECT_EQ(Ask(silent, "$KTWPI,Update"), "");
    EXPECT_EQ(silent.HandleLine({"$KTWPI,Update*00\r\n", false}).reply, "");

    Instrument after({.silentAfterRecords = 2});
    Ask(after, "$KTWPI,Update");
    EXPECT_EQ(Ask(after, "$KTWPU,A,,,,,,,,"), FrameSentence("$KTWPA,1"));
    EXPECT_EQ(Ask(after, "$KTWPU,B,,,,,,,,"), FrameSentence("$KTWPA,2"));
    EXPECT_EQ(Ask(after, "$KTWPU,C,,,,,,,,"), "");
    EXPECT_EQ(Ask(after, "$KTWPI,Update"), "");  // for good
    EXPECT_EQ(after.Waypoints().size(), 2U);
}

TEST(Instrument, HangsUpOnceAtTheRecordAfterN) {
    Instrument instrument({.hangupAfterRecords = 1});
    Ask(instrument, "$KTWPI,Replace");
    EXPECT_FALSE(instrument.HandleLine(Framed("$KTWPU,A,,,,,,,,")).hangUp);
    const InstrumentAnswer hangUp = instrument.HandleLine(Framed("$KTWPU,B,,,,,,,,"));
    EXPECT_TRUE(hangUp.hangUp);
    EXPECT_EQ(hangUp.reply, "");
    EXPECT_EQ(instrument.Waypoints().size(), 1U);
    // Plugged in again, the same upload goes through.
    Ask(instrument, "$KTWPI,Replace");
    EXPECT_EQ(Ask(instrument, "$KTWPU,A,,,,,,,,"), FrameSentence("$KTWPA,1"));
    const InstrumentAnswer second = instrument.HandleLine(Framed("$KTWPU,B,,,,,,,,"));
    EXPECT_FALSE(second.hangUp);
    EXPECT_EQ(second.reply, FrameSentence("$KTWPA,2"));
}

TEST(Instrument, CorruptsTheChecksumOfEveryReplyOnDemand) {
    Instrument instrument({.badReplyChecksum = true});
    const std::string good = FrameSentence("$KTWPO,Update,0");
    const std::string reply = Ask(instrument, "$KTWPI,Update");
    ASSERT_EQ(reply.size(), good.size());
    EXPECT_EQ(reply.substr(0, reply.size() - 4), good.substr(0, good.size() - 4));
    EXPECT_EQ(reply.substr(reply.size() - 2), "\r\n");
    const int goodSum = std::stoi(good.substr(good.size() - 4, 2), nullptr, 16);
    const int badSum = std::stoi(reply.substr(reply.size() - 4, 2), nullptr, 16);
    EXPECT_EQ(goodSum ^ badSum, 0xFF);
}

}  // namespace
}  // namespace zr640::sim
