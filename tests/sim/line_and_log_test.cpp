#include <gtest/gtest.h>

#include <unistd.h>

#include <fstream>
#include <sstream>

#include "line_splitter.h"
#include "sentence_parser.h"
#include "traffic_log.h"

namespace zr640::sim {
namespace {

TEST(LineSplitter, CutsLinesAtLineFeedsAcrossChunks) {
    LineSplitter splitter(64);
    EXPECT_TRUE(splitter.Feed("$KTWPI,Up", 9).empty());
    EXPECT_EQ(splitter.Pending(), 9U);
    const auto lines = splitter.Feed("date*6C\r\n\n$K", 12);
    ASSERT_EQ(lines.size(), 2U);
    EXPECT_EQ(lines[0].bytes, "$KTWPI,Update*6C\r\n");
    EXPECT_FALSE(lines[0].overlong);
    EXPECT_EQ(lines[1].bytes, "\n");
    EXPECT_EQ(splitter.Pending(), 2U);
}

TEST(LineSplitter, KeepsNoMoreThanItsLimitOfAnOverlongLine) {
    LineSplitter splitter(8);
    const std::string exact = "1234567\n";
    auto lines = splitter.Feed(exact.data(), exact.size());
    ASSERT_EQ(lines.size(), 1U);
    EXPECT_FALSE(lines[0].overlong);
    const std::string longer = std::string(100, 'x') + "\nok\n";
    lines = splitter.Feed(longer.data(), longer.size());
    ASSERT_EQ(lines.size(), 2U);
    EXPECT_TRUE(lines[0].overlong);
    EXPECT_EQ(lines[0].bytes, std::string(8, 'x'));
    EXPECT_EQ(lines[1].bytes, "ok\n");
    EXPECT_FALSE(lines[1].overlong);
}

TEST(SentenceParser, SplitsAVerifiedSentenceIntoIdentifierAndFields) {
    const ReceivedSentence sentence = ParseSentenceLine("$KTWPU,X,,Y,,,,,,*60\r\n");
    ASSERT_EQ(sentence.verdict, LineVerdict::Sentence);
    EXPECT_EQ(sentence.identifier, "KTWPU");
    EXPECT_EQ(sentence.fields, (std::vector<std::string>{"X", "", "Y", "", "", "", "", "", ""}));
    EXPECT_EQ(ParseSentenceLine("$abc*60\r\n").verdict, LineVerdict::Sentence);
    EXPECT_EQ(ParseSentenceLine("$abc*61\r\n").verdict, LineVerdict::BadChecksum);
    EXPECT_EQ(ParseSentenceLine("$abc*6\r\n").verdict, LineVerdict::Malformed);
    EXPECT_EQ(ParseSentenceLine("$abc*600\r\n").verdict, LineVerdict::Malformed);
    EXPECT_EQ(ParseSentenceLine(" $abc*60\r\n").verdict, LineVerdict::NotSentence);
}

TEST(HexEscaped, ShowsEveryByteOfALineReadably) {
    EXPECT_EQ(HexEscaped("$KTWPI,Update*6C\r\n"), "$KTWPI,Update*6C\\x0D\\x0A");
    EXPECT_EQ(HexEscaped(std::string("M\xFC\\\0\x7F", 5)), "M\\xFC\\\\\\x00\\x7F");
    EXPECT_EQ(HexEscaped(""), "");
}

TEST(TrafficLog, WritesOneLinePerEventToItsFile) {
    char path[] = "/tmp/zr640-sim-log-XXXXXX";
    const int fd = mkstemp(path);
    ASSERT_GE(fd, 0);
    close(fd);
    {
        TrafficLog log;
        std::string error;
        ASSERT_TRUE(log.Open(path, false, error)) << error;
        log.Received("$KTWPI,Update*6C\r\n");
        log.Sent("$KTWPO,Update,0*00\r\n");
        log.Frame(3, "type 1", std::string("\x24\x41\x06\x00\x01\xFF", 6));
        log.Note("record added");
    }
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    EXPECT_EQ(text.str(),
              "rx $KTWPI,Update*6C\\x0D\\x0A\n"
              "tx $KTWPO,Update,0*00\\x0D\\x0A\n"
              "frame 3 type 1: 24 41 06 00 01 FF\n"
              "note record added\n");
    unlink(path);

    TrafficLog unwritable;
    std::string error;
    EXPECT_FALSE(unwritable.Open("/nonexistent/dir/log", false, error));
    EXPECT_NE(error.find("/nonexistent/dir/log"), std::string::npos);
}

}  // namespace
}  // namespace zr640::sim
