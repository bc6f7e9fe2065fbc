// Win32SerialDevice against a real line: run by pty_peer.py, which puts COM7 on a
// pseudo-terminal and answers from the other end. The cases run in order in one process
// and share the peer; the last one hangs the line up.
#include "backends/win32/win32_serial_device.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>

#include "fake_list_view.h"
#include "backends/win32/com_port_list.h"
#include "recording_message_box.h"
#include "serial/com_port.h"
#include "serial/sentence.h"

namespace zr640 {
namespace {

using namespace std::chrono_literals;
using namespace std::string_literals;
using platform::InputWait;
using ::testing::ElementsAre;
using ::testing::AllOf;
using ::testing::EndsWith;
using ::testing::HasSubstr;
using ::testing::IsEmpty;
using ::testing::StartsWith;
using testing::RecordingMessageBox;
using Clock = std::chrono::steady_clock;

class Win32SerialDeviceTest : public ::testing::Test {
protected:
    void SetUp() override {
        const char* port = std::getenv("ZR640_TEST_COM");
        if (port == nullptr) GTEST_SKIP() << "needs pty_peer.py at the other end of a COM port";
        portNumber = std::atoi(port);
        record.device = &device;
    }
    void TearDown() override { CloseComPort(opened); }

    ComPort* Open(std::int32_t baudRate = 4800, int stopBits = 1) {
        opened = OpenComPort(record, portNumber, baudRate, 'N', 8, stopBits, 256);
        return opened;
    }

    void Send(const std::string& bytes) {
        ASSERT_EQ(WriteComBlock(opened, reinterpret_cast<const std::uint8_t*>(bytes.data()),
                                static_cast<int>(bytes.size())),
                  static_cast<int>(bytes.size()));
    }

    // Bytes from the line until a line feed, or what has come within two seconds.
    std::string ReceiveLine() {
        std::string line;
        const Clock::time_point deadline = Clock::now() + 2s;
        while (line.empty() || line.back() != '\n') {
            const int value = ReadComByte(opened);
            if (value >= 0) {
                line += static_cast<char>(value);
                continue;
            }
            const auto left =
                std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
            if (left.count() <= 0 || WaitComInput(opened, static_cast<std::uint32_t>(
                                                              left.count())) != InputWait::Ready) {
                break;
            }
        }
        return line;
    }

    int Exchange(const std::string& body, std::uint32_t timeLimitMs, const char* prefix) {
        const std::string sentence = FrameSentence(body);
        return ExchangeSentence(operation, opened, timeLimitMs, kExchangeAttempts,
                                sentence.c_str(), prefix);
    }

    RecordingMessageBox messages;
    platform::Win32SerialDevice device;
    platform::SteadyClock clock;
    testing::RecordedLog log;
    platform::OperationEnvironment operation{&log, clock};
    ComPort record;
    ComPort* opened = nullptr;
    int portNumber = 0;
};

TEST_F(Win32SerialDeviceTest, TheLineSettingsReachTheTerminalWithoutFlowControl) {
    ASSERT_NE(Open(9600, 2), nullptr);
    Send("$MODE\r\n");
    EXPECT_EQ(ReceiveLine(), "$MODE,9600,8,2,NONE\r\n");
    EXPECT_THAT(messages.shown, IsEmpty());
}

TEST_F(Win32SerialDeviceTest, BytesTravelBothWaysUnchanged) {
    ASSERT_NE(Open(), nullptr);
    const std::string line = "$ECHO,\xFF\x00\x11\x13\xE4\r\n"s;
    Send(line);
    EXPECT_EQ(ReceiveLine(), line);
    EXPECT_EQ(ReadComByte(opened), -1);
}

TEST_F(Win32SerialDeviceTest, DiscardInputDropsWhatHasArrived) {
    ASSERT_NE(Open(), nullptr);
    Send("$ECHO,drop\r\n");
    ASSERT_EQ(WaitComInput(opened, 2000), InputWait::Ready);
    std::this_thread::sleep_for(200ms);

    EXPECT_EQ(DiscardInput(opened), 1);
    EXPECT_EQ(ReadComByte(opened), -1);
    EXPECT_EQ(WaitComInput(opened, 300), InputWait::TimedOut);
}

TEST_F(Win32SerialDeviceTest, AnAnswerAfterOneAndAHalfSecondsStillCounts) {
    ASSERT_NE(Open(), nullptr);
    EXPECT_EQ(Exchange("$LATE", ReplyTimeoutMs, "$LATE,OK"), kExchangeAccepted);
    EXPECT_THAT(log.entries, ElementsAre("$LATE,OK\r"));
}

TEST_F(Win32SerialDeviceTest, ASilentPeerUsesUpTheAttempts) {
    ASSERT_NE(Open(), nullptr);
    EXPECT_EQ(Exchange("$SILENT", 300, "$X"), kExchangeNoReply);
    EXPECT_THAT(log.entries, ElementsAre("Keine Antwort nach 300 ms", "Keine Antwort nach 300 ms",
                                         "Keine Antwort nach 300 ms"));
}

TEST_F(Win32SerialDeviceTest, APortClosedCanBeOpenedAgain) {
    ASSERT_NE(Open(), nullptr);
    ASSERT_EQ(CloseComPort(opened), 0);
    EXPECT_EQ(record.isOpen, 0);
    ASSERT_NE(Open(), nullptr);
    Send("$ECHO,again\r\n");
    EXPECT_EQ(ReceiveLine(), "$ECHO,again\r\n");
    EXPECT_THAT(messages.shown, IsEmpty());
}

TEST_F(Win32SerialDeviceTest, APortWithoutDeviceIsReportedWithThePortsThatExist) {
    platform::Win32SerialDevice missing;
    ComPort other;
    other.device = &missing;
    EXPECT_EQ(OpenComPort(other, 200, 4800, 'N', 8, 1, 256), nullptr);
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_THAT(messages.shown[0].text,
                AllOf(StartsWith("could not open Com200\nVorhandene serielle Schnittstellen:\n"),
                      HasSubstr("\nCOM7 (\\Device\\Serial"),
                      EndsWith("\nCOMSETTINGS in zr640.ini anpassen")));
}

// Last: the peer is gone afterwards.
TEST_F(Win32SerialDeviceTest, AHangUpEndsTheExchangeAtOnce) {
    ASSERT_NE(Open(), nullptr);
    const Clock::time_point start = Clock::now();
    EXPECT_EQ(Exchange("$HANGUP", ReplyTimeoutMs, "$X"), kExchangeLineLost);
    EXPECT_LT(Clock::now() - start, 5s);
    EXPECT_THAT(log.entries, ElementsAre("Verbindung zum Ger\xE4t verloren"));
}

TEST(ComPortList, PortsAreSortedByNumberWithTheirDevice) {
    EXPECT_THAT(platform::FormatComPorts({{"COM10", "\\Device\\Serial1"}, {"LPT1", ""},
                                          {"COM4", "\\Device\\VCP0"}, {"COM2", ""}}),
                ElementsAre("COM2", "COM4 (\\Device\\VCP0)", "COM10 (\\Device\\Serial1)",
                            "LPT1"));
}

}  // namespace
}  // namespace zr640
