#include "backends/posix/posix_serial_device.h"

#include <gmock/gmock.h>
#include <grp.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>
#include <thread>

#include "fake_dialog_controls.h"
#include "platform/text/port_list_message.h"
#include "pty_pair.h"
#include "recording_message_box.h"
#include "serial/com_port.h"

namespace zr640 {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using namespace std::string_literals;
using platform::InputWait;
using platform::PosixSerialDevice;
using testing::FakeDialogControls;
using ::testing::HasSubstr;
using testing::PtyPair;
using testing::RecordingMessageBox;
using ::testing::StartsWith;

class PosixSerialDeviceTest : public ::testing::Test {
protected:
    ComPort* Open(char parity = 'N', int dataBits = 8, int stopBits = 1,
                  std::int32_t baudRate = 4800) {
        record.device = &device;
        record.indicators = &controls;
        return OpenComPort(record, 1, baudRate, parity, dataBits, stopBits, 256);
    }

    // The next byte from the line, waiting for it as the sentence exchange does.
    int NextByte(ComPort* port) {
        const int value = ReadComByte(port);
        if (value != -1) return value;
        if (WaitComInput(port, 2000) != InputWait::Ready) return -2;
        return ReadComByte(port);
    }

    void Write(ComPort* port, const std::string& bytes) {
        ASSERT_EQ(WriteComBlock(port, reinterpret_cast<const std::uint8_t*>(bytes.data()),
                                static_cast<int>(bytes.size())),
                  static_cast<int>(bytes.size()));
    }

    termios LineMode() const {
        termios mode{};
        ::tcgetattr(pty.MasterFd(), &mode);
        return mode;
    }

    RecordingMessageBox messages;
    FakeDialogControls controls;
    PtyPair pty;
    PosixSerialDevice device{pty.SlavePath()};
    ComPort record;
};

TEST_F(PosixSerialDeviceTest, BytesTravelBothWaysUnchanged) {
    ComPort* port = Open();
    ASSERT_EQ(port, &record);
    EXPECT_TRUE(messages.shown.empty());

    pty.Send("\xFF\x00\r\n\x11\x13$"s);
    for (int expected : {255, 0, 13, 10, 0x11, 0x13, 36}) {
        EXPECT_EQ(NextByte(port), expected);
    }
    EXPECT_EQ(ReadComByte(port), -1);
    EXPECT_TRUE(controls.IsChecked(IDC_RX));

    const std::string sentence = "$abc*60\r\n\xFF\x00"s;
    Write(port, sentence);
    EXPECT_EQ(pty.Receive(sentence.size(), 2s), sentence);
    EXPECT_TRUE(controls.IsChecked(IDC_TX));

    // A pseudo-terminal has no RTS line; the port does not mind.
    EXPECT_EQ(SetRts(port, SETRTS), 1);
    EXPECT_EQ(SetRts(port, CLRRTS), 1);
}

TEST_F(PosixSerialDeviceTest, TheLineIsRawWithTheSettingsOfTheTextAndNoFlowControl) {
    // A pseudo-terminal keeps 8 data bits without parity whatever it is told; speed and
    // stop bits it takes.
    ASSERT_NE(Open('E', 7, 2, 9600), nullptr);
    termios mode = LineMode();
    EXPECT_EQ(::cfgetospeed(&mode), static_cast<speed_t>(B9600));
    EXPECT_NE(mode.c_cflag & CSTOPB, 0u);
    EXPECT_EQ(mode.c_cflag & CRTSCTS, 0u);
    EXPECT_EQ(mode.c_cflag & (CLOCAL | CREAD), static_cast<tcflag_t>(CLOCAL | CREAD));
    EXPECT_EQ(mode.c_iflag & (IXON | IXOFF | ICRNL | ISTRIP), 0u);
    EXPECT_EQ(mode.c_lflag & (ICANON | ECHO | ISIG), 0u);
    EXPECT_EQ(mode.c_oflag & OPOST, 0u);
    ASSERT_EQ(CloseComPort(&record), 0);

    ASSERT_NE(Open('N', 8, 1, 4800), nullptr);
    mode = LineMode();
    EXPECT_EQ(::cfgetispeed(&mode), static_cast<speed_t>(B4800));
    EXPECT_EQ(mode.c_cflag & (CSIZE | PARENB | CSTOPB), static_cast<tcflag_t>(CS8));
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(PosixSerialDeviceTest, SettingsTermiosCannotHonourAreRefusedWithZero) {
    EXPECT_EQ(device.BuildLineSettings("COM1:4800,N,8,1"), 1);
    EXPECT_EQ(device.BuildLineSettings("COM12:115200,o,7,2"), 1);
    for (const char* text : {"COM1:12345,N,8,1", "COM1:4800,X,8,1", "COM1:4800,N,9,1",
                             "COM1:4800,N,8,3", "COM1:4800,N,8", "COM1:4800,N,8,1x", "4800,N,8,1",
                             "COM1:-4800,N,8,1", "COM1:4800,\x01,8,1"}) {
        EXPECT_EQ(device.BuildLineSettings(text), 0) << text;
    }

    EXPECT_EQ(Open('N', 8, 1, 14400), nullptr);
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text, "BuildCommDCB 0");
}

TEST_F(PosixSerialDeviceTest, DiscardInputDropsWhatHasArrived) {
    ComPort* port = Open();
    ASSERT_NE(port, nullptr);
    pty.Send("junk");
    ASSERT_EQ(WaitComInput(port, 2000), InputWait::Ready);
    // The four bytes may still be on their way through the terminal layer.
    std::this_thread::sleep_for(50ms);

    EXPECT_EQ(DiscardInput(port), 1);
    EXPECT_EQ(ReadComByte(port), -1);
    EXPECT_EQ(WaitComInput(port, 100), InputWait::TimedOut);

    pty.Send("n");
    EXPECT_EQ(NextByte(port), 'n');
}

TEST_F(PosixSerialDeviceTest, APortClosedCanBeOpenedAgain) {
    ASSERT_NE(Open(), nullptr);
    ASSERT_EQ(CloseComPort(&record), 0);
    EXPECT_EQ(record.isOpen, 0);

    ComPort* port = Open();
    ASSERT_EQ(port, &record);
    pty.Send("A");
    EXPECT_EQ(NextByte(port), 'A');
    Write(port, "B");
    EXPECT_EQ(pty.Receive(1, 2s), "B");
    EXPECT_EQ(CloseComPort(port), 0);
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(PosixSerialDeviceTest, AHungUpLineEndsTheWaitAtOnce) {
    ComPort* port = Open();
    ASSERT_NE(port, nullptr);
    pty.CloseMaster();

    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(WaitComInput(port, 10000), InputWait::LineLost);
    EXPECT_EQ(ReadComByte(port), -1);
    EXPECT_EQ(WaitComInput(port, 10000), InputWait::LineLost);
    EXPECT_LT(std::chrono::steady_clock::now() - start, 5s);
    EXPECT_EQ(CloseComPort(port), 0);
}

TEST_F(PosixSerialDeviceTest, AWriteThatThePeerDoesNotTakeEndsWithinItsTimeLimit) {
    ASSERT_NE(Open(), nullptr);
    // Straight to the device: WriteComBlock would purge what the peer has not read yet.
    const std::string chunk(100, 'x');
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(chunk.data());
    int written = 0;
    int chunks = 0;
    do {
        written = device.Write(bytes, 100);
    } while (written == 100 && ++chunks < 100000);
    ASSERT_LT(written, 100);

    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(device.Write(bytes, 10), 0);
    device.WaitUntilSent();
    // 10 ms per byte and 100 ms for the block, as the Windows write time-outs allow.
    EXPECT_GE(std::chrono::steady_clock::now() - start, 190ms);
    EXPECT_LT(std::chrono::steady_clock::now() - start, 5s);
}

TEST(PosixSerialDeviceOpening, AMissingDeviceIsNamedWithThePortsThatExist) {
    RecordingMessageBox messages;
    PtyPair pty;
    EXPECT_EQ(PosixSerialDevice().DevicePath(1), "/dev/ttyS0");
    EXPECT_EQ(PosixSerialDevice("/dev/ttyUSB0").DevicePath(1), "/dev/ttyUSB0");
    // A /dev of our own, removed again at the end.
    const fs::path root = fs::temp_directory_path() / ("zr640-dev-" + std::to_string(::getpid()));
    struct Removal {
        fs::path path;
        ~Removal() {
            std::error_code ignored;
            fs::remove_all(path, ignored);
        }
    } removal{root};
    fs::create_directories(root / "serial" / "by-id");
    const std::string dev = root.string();
    const std::string hint = "\nDevice= im Abschnitt [ZR640] der zr640.ini eintragen";
    const auto failureText = [&](const std::string& device, int portNumber) {
        PosixSerialDevice missing(device, dev);
        ComPort record;
        record.device = &missing;
        EXPECT_EQ(OpenComPort(record, portNumber, 4800, 'N', 8, 1, 256), nullptr);
        EXPECT_EQ(record.isOpen, 0);
        EXPECT_NE(record.rxRing, nullptr);
        return messages.shown.back().text;
    };

    EXPECT_EQ(failureText("", 255), "could not open Com255\n" + dev +
                                        "/ttyS254: No such file or directory\n"
                                        "keine seriellen Schnittstellen gefunden" + hint);

    // A link to a live line and a dangling one; a ttyS without a UART behind it is no port.
    fs::create_symlink(pty.SlavePath(), root / "serial/by-id/usb-Adapter-if00-port0");
    fs::create_symlink(root / "ttyUSB7", root / "serial/by-id/usb-Gone-if00-port0");
    for (const char* name : {"ttyS0", "ttyACM0", "ttyUSB10", "ttyUSB2", "ttyUSBx"}) {
        std::ofstream(root / name).put('\n');
    }
    EXPECT_EQ(failureText(dev + "/ttyUSB9", 7),
              "could not open Com7\n" + dev + "/ttyUSB9: No such file or directory\n" +
                  "Vorhandene serielle Schnittstellen:\n" + dev +
                  "/serial/by-id/usb-Adapter-if00-port0 (" + pty.SlavePath() + ")\n" + dev +
                  "/ttyUSB2\n" + dev + "/ttyUSB10\n" + dev + "/ttyACM0" + hint);
    EXPECT_EQ(messages.shown[0].caption, "Error");

    for (int number = 11; number <= 20; ++number) {
        std::ofstream(root / ("ttyUSB" + std::to_string(number))).put('\n');
    }
    const std::string many = failureText(dev + "/ttyUSB9", 7);
    EXPECT_EQ(std::count(many.begin(), many.end(), '\n'), 14);
    EXPECT_THAT(many, HasSubstr("/ttyUSB17\n... (weitere nicht aufgef\xFChrt)" + hint));

    // Long names fill the message box's room before the count does; the cuts show.
    const std::string cut = platform::FormatPortList(
        std::vector<std::string>(10, std::string(300, 'x')), hint.substr(1), 700);
    EXPECT_LE(cut.size(), 700u);
    EXPECT_THAT(cut, HasSubstr(std::string(197, 'x') + "...\n... (weitere"));
    EXPECT_EQ(std::count(cut.begin(), cut.end(), '\n'), 4);
}

TEST(PosixSerialDeviceOpening, AFileThatIsNoTerminalFailsAtTheLineSettings) {
    RecordingMessageBox messages;
    char path[] = "/tmp/zr640-not-a-tty-XXXXXX";
    const int fd = ::mkstemp(path);
    ASSERT_GE(fd, 0);
    ::close(fd);
    PosixSerialDevice plainFile(path);
    ComPort record;
    record.device = &plainFile;

    EXPECT_EQ(OpenComPort(record, 1, 4800, 'N', 8, 1, 256), nullptr);

    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text, "SetCommState " + std::to_string(ENOTTY));
    ::unlink(path);
}

TEST(PosixSerialDeviceOpening, PermissionDeniedNamesTheGroupThatOwnsTheDevice) {
    EXPECT_EQ(platform::DescribeOpenFailure("/dev/ttyS0", ENOENT),
              "/dev/ttyS0: No such file or directory");

    const group* dialout = ::getgrnam("dialout");
    char path[] = "/tmp/zr640-device-XXXXXX";
    const int fd = ::mkstemp(path);
    ASSERT_GE(fd, 0);
    ::close(fd);
    if (dialout == nullptr || ::chown(path, static_cast<uid_t>(-1), dialout->gr_gid) != 0) {
        ::unlink(path);
        GTEST_SKIP() << "needs a group dialout that this user may give a file to";
    }

    const std::string text = platform::DescribeOpenFailure(path, EACCES);

    EXPECT_THAT(text, StartsWith(std::string(path) + ": Permission denied\n"));
    EXPECT_THAT(text, HasSubstr("Mitglied der Gruppe \"dialout\""));
    EXPECT_THAT(text, HasSubstr("usermod -aG dialout "));
    ::unlink(path);
}

}  // namespace
}  // namespace zr640
