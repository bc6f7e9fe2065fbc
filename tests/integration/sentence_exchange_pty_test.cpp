#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>

#include "fake_list_view.h"
#include "backends/posix/posix_serial_device.h"
#include "pty_pair.h"
#include "recording_message_box.h"
#include "serial/sentence.h"

namespace zr640 {
namespace {

using namespace std::chrono_literals;
using ::testing::ElementsAre;
using testing::FakeListView;
using ::testing::IsEmpty;
using testing::PtyPair;
using testing::RecordingMessageBox;
using Clock = std::chrono::steady_clock;

// The instrument at the far end of a real pseudo-terminal, played by a second thread.
class SentenceExchangePtyTest : public ::testing::Test {
protected:
    SentenceExchangePtyTest() {
        record.device = &device;
        port = OpenComPort(record, 1, 4800, 'N', 8, 1, 256);
    }
    ~SentenceExchangePtyTest() override {
        if (peer.joinable()) peer.join();
    }

    int Exchange(std::uint32_t timeLimitMs = ReplyTimeoutMs) {
        return ExchangeSentence(operation, port, timeLimitMs, kExchangeAttempts, sentence.c_str(),
                                "$KTWPO");
    }

    RecordingMessageBox messages;
    PtyPair pty;
    platform::PosixSerialDevice device{pty.SlavePath()};
    platform::SteadyClock clock;
    ComPort record;
    ComPort* port = nullptr;
    testing::RecordedLog log;
    platform::OperationEnvironment operation{&log, clock};
    const std::string sentence = FrameSentence("$KTWPI,Update");
    std::thread peer;
};

TEST_F(SentenceExchangePtyTest, AnAnswerAfterOneAndAHalfSecondsStillCounts) {
    ASSERT_NE(port, nullptr);
    std::string heard;
    peer = std::thread([&] {
        heard = pty.ReceiveLine(5s);
        std::this_thread::sleep_for(1500ms);
        pty.Send("$KTWPO\r\n");
    });

    EXPECT_EQ(Exchange(), kExchangeAccepted);
    peer.join();

    EXPECT_EQ(heard, sentence);
    EXPECT_THAT(log.entries, ElementsAre("$KTWPO\r"));
    // Accepted in the first attempt: the sentence went out once.
    EXPECT_EQ(pty.Receive(1, 200ms), "");
}

TEST_F(SentenceExchangePtyTest, ASilentPeerHearsTheSentenceOncePerAttempt) {
    ASSERT_NE(port, nullptr);
    std::string heard;
    peer = std::thread([&] { heard = pty.Receive(3 * sentence.size(), 10s); });

    EXPECT_EQ(Exchange(200), kExchangeNoReply);
    peer.join();

    EXPECT_EQ(heard, sentence + sentence + sentence);
    EXPECT_THAT(log.entries, ElementsAre("Keine Antwort nach 200 ms", "Keine Antwort nach 200 ms",
                                         "Keine Antwort nach 200 ms"));
}

TEST_F(SentenceExchangePtyTest, APeerThatHangsUpEndsTheExchangeWithoutWaitingItOut) {
    ASSERT_NE(port, nullptr);
    peer = std::thread([&] {
        pty.ReceiveLine(5s);
        pty.Send("$KTW");
        std::this_thread::sleep_for(300ms);
        pty.CloseMaster();
    });

    const Clock::time_point start = Clock::now();
    EXPECT_EQ(Exchange(), kExchangeLineLost);
    const Clock::duration took = Clock::now() - start;
    peer.join();

    EXPECT_THAT(log.entries, ElementsAre("Verbindung zum Ger\xE4t verloren"));
    // Three silent attempts would have taken six seconds.
    EXPECT_LT(took, 5s);
    EXPECT_EQ(CloseComPort(port), 0);
    EXPECT_THAT(messages.shown, IsEmpty());
}

}  // namespace
}  // namespace zr640
