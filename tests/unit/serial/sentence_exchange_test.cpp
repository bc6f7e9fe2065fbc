#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fake_dialog_controls.h"
#include "fake_list_view.h"
#include "fake_serial_device.h"
#include "manual_clock.h"
#include "recording_message_box.h"
#include "serial/sentence.h"

namespace zr640 {
namespace {

using namespace std::string_literals;
using ::testing::ElementsAre;
using testing::FakeSerialDevice;
using ::testing::IsEmpty;
using testing::ManualClock;
using testing::RecordingMessageBox;
using testing::ScriptedReply;

class SentenceExchangeTest : public ::testing::Test {
protected:
    SentenceExchangeTest() {
        record.device = &device;
        port = OpenComPort(record, 1, 4800, 'N', 8, 1, 256);
        device.calls.clear();
    }

    void Reply(const std::string& bytes, std::uint32_t delayMs = 0, bool loseLine = false) {
        device.replies.push_back(ScriptedReply{bytes, delayMs, loseLine});
    }

    int Exchange(const char* expectedPrefix = "$KTWPO", int attempts = kExchangeAttempts) {
        return ExchangeSentence(operation, port, ReplyTimeoutMs, attempts, sentence.c_str(),
                                expectedPrefix);
    }

    RecordingMessageBox messages;
    ManualClock clock;
    FakeSerialDevice device{&clock};
    ComPort record;
    ComPort* port = nullptr;
    testing::RecordedLog log;
    platform::OperationEnvironment operation{&log, clock};
    const std::string sentence = FrameSentence("$KTWPI,Update");
};

TEST_F(SentenceExchangeTest, AnAcceptedFirstReplyIsLoggedVerbatim) {
    ASSERT_NE(port, nullptr);
    Reply("$KTWPO,1\r\n");

    EXPECT_EQ(Exchange(), kExchangeAccepted);

    EXPECT_THAT(log.entries, ElementsAre("$KTWPO,1\r"));
    EXPECT_THAT(device.writes, ElementsAre(sentence));
    EXPECT_THAT(device.escapes, ElementsAre(SETRTS, CLRRTS));
    EXPECT_THAT(messages.shown, IsEmpty());
}

TEST_F(SentenceExchangeTest, ThreeWrongRepliesUseUpTheAttempts) {
    for (int i = 0; i < 3; ++i) Reply("$KTWPX\r\n");

    EXPECT_EQ(Exchange(), kExchangeWrongReply);

    EXPECT_THAT(log.entries, ElementsAre("Response Falsch:$KTWPX\r", "Response Falsch:$KTWPX\r",
                                         "Response Falsch:$KTWPX\r"));
    EXPECT_THAT(device.writes, ElementsAre(sentence, sentence, sentence));
    EXPECT_THAT(device.escapes, ElementsAre(SETRTS, SETRTS, SETRTS, CLRRTS));
}

TEST_F(SentenceExchangeTest, AWrongReplyThenARightOneIsAccepted) {
    Reply("$KTWPA,3\r\n");
    Reply("$KTWPO\r\n");

    EXPECT_EQ(Exchange(), kExchangeAccepted);

    EXPECT_THAT(log.entries, ElementsAre("Response Falsch:$KTWPA,3\r", "$KTWPO\r"));
    EXPECT_THAT(device.escapes, ElementsAre(SETRTS, SETRTS, CLRRTS));
}

TEST_F(SentenceExchangeTest, ALineOf255BytesIsJudgedAndTheNextByteOverflows) {
    const std::string longest = "$KTWPO," + std::string(246, 'x') + "\r\n";
    ASSERT_EQ(longest.size(), 255u);
    Reply(longest);
    EXPECT_EQ(Exchange(), kExchangeAccepted);
    EXPECT_THAT(log.entries, ElementsAre(longest.substr(0, 254)));

    log.entries.clear();
    device.escapes.clear();
    device.writes.clear();
    Reply(std::string(255, 'y') + "\n");
    Reply("$KTWPO\r\n");
    EXPECT_EQ(Exchange(), kExchangeOverflow);
    EXPECT_THAT(log.entries, ElementsAre("Antwort zu lang:" + std::string(255, 'y')));
    EXPECT_EQ(device.writes.size(), 1u);
    EXPECT_THAT(device.escapes, ElementsAre(SETRTS, CLRRTS));
}

TEST_F(SentenceExchangeTest, AnEmptyPrefixAcceptsTheFirstLineAndAnyTailIsAccepted) {
    Reply("whatever\r\n");
    EXPECT_EQ(Exchange(""), kExchangeAccepted);

    Reply("$KTWPA,17\r\n");
    EXPECT_EQ(Exchange("$KTWPA,"), kExchangeAccepted);

    EXPECT_THAT(log.entries, ElementsAre("whatever\r", "$KTWPA,17\r"));
}

TEST_F(SentenceExchangeTest, AZeroByteEndsTheReplyTextForTheComparisonAndTheLog) {
    Reply("$KTWPO\0junk\r\n"s);
    EXPECT_EQ(Exchange(), kExchangeAccepted);

    Reply("$KT\0WPO\r\n"s);
    EXPECT_EQ(Exchange("$KTWPO", 1), kExchangeWrongReply);

    EXPECT_THAT(log.entries, ElementsAre("$KTWPO", "Response Falsch:$KT"));
}

TEST_F(SentenceExchangeTest, BytesAheadOfTheReplyJoinTheLineButOlderOnesArePurged) {
    device.Feed("$KTWPO\r\n");
    Reply("noise$KTWPO\r\n");

    EXPECT_EQ(Exchange("$KTWPO", 1), kExchangeWrongReply);

    EXPECT_THAT(log.entries, ElementsAre("Response Falsch:noise$KTWPO\r"));
}

TEST_F(SentenceExchangeTest, ASilentInstrumentUsesUpEveryAttemptAndIsNoSuccess) {
    const std::uint32_t startMs = clock.NowMs();

    EXPECT_EQ(Exchange(), kExchangeNoReply);

    EXPECT_THAT(log.entries, ElementsAre("Keine Antwort nach 2000 ms", "Keine Antwort nach 2000 ms",
                                         "Keine Antwort nach 2000 ms"));
    EXPECT_THAT(device.writes, ElementsAre(sentence, sentence, sentence));
    EXPECT_THAT(device.escapes, ElementsAre(SETRTS, SETRTS, SETRTS, CLRRTS));
    EXPECT_EQ(clock.NowMs() - startMs, 6000u);
    // Every empty read is followed by a wait on the port, in slices short enough for a cancel.
    EXPECT_EQ(device.CallCount("WaitForInput 50"), 120);
    EXPECT_EQ(device.CallCount("ReadByte"), 120);
}

TEST_F(SentenceExchangeTest, TheLastAttemptDecidesBetweenWrongAndSilent) {
    Reply("$BAD\r\n");
    EXPECT_EQ(Exchange(), kExchangeNoReply);

    Reply("");
    Reply("");
    Reply("$BAD\r\n");
    EXPECT_EQ(Exchange(), kExchangeWrongReply);

    EXPECT_THAT(log.entries, ElementsAre("Response Falsch:$BAD\r", "Keine Antwort nach 2000 ms",
                                         "Keine Antwort nach 2000 ms", "Keine Antwort nach 2000 ms",
                                         "Keine Antwort nach 2000 ms", "Response Falsch:$BAD\r"));
}

TEST_F(SentenceExchangeTest, LateAndIncompleteRepliesAreTimedOnTheClock) {
    Reply("$KTWPO\r\n", 1500);
    EXPECT_EQ(Exchange(), kExchangeAccepted);

    // Too late for the first attempt, it still answers the second.
    Reply("$KTWPO\r\n", 2100);
    EXPECT_EQ(Exchange(), kExchangeAccepted);

    Reply("$KTW");
    EXPECT_EQ(Exchange("$KTWPO", 1), kExchangeNoReply);

    EXPECT_THAT(log.entries, ElementsAre("$KTWPO\r", "Keine Antwort nach 2000 ms", "$KTWPO\r",
                                         "Unvollst\xE4ndige Antwort nach 2000 ms:$KTW"));
}

TEST_F(SentenceExchangeTest, ALostLineEndsTheExchangeAtOnce) {
    const std::uint32_t startMs = clock.NowMs();
    Reply("$KT", 500, true);
    Reply("$KTWPO\r\n");

    EXPECT_EQ(Exchange(), kExchangeLineLost);

    EXPECT_THAT(log.entries, ElementsAre("Verbindung zum Ger\xE4t verloren"));
    EXPECT_EQ(device.writes.size(), 1u);
    EXPECT_THAT(device.escapes, ElementsAre(SETRTS, CLRRTS));
    EXPECT_EQ(clock.NowMs() - startMs, 500u);
}

TEST(SentenceExchangeWithoutPort, EveryAttemptRunsOutOfTime) {
    testing::RecordedLog log;
    platform::SteadyClock clock;
    platform::OperationEnvironment operation{&log, clock};

    EXPECT_EQ(ExchangeSentence(operation, nullptr, 30, 2, "$A*41\r\n", "$B"), kExchangeNoReply);

    EXPECT_THAT(log.entries, ElementsAre("Keine Antwort nach 30 ms", "Keine Antwort nach 30 ms"));
}

}  // namespace
}  // namespace zr640
