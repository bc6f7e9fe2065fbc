// SPDX-License-Identifier: GPL-3.0-or-later
// The POSIX back ends on real parts: the termios device on a pseudo-terminal whose far end the
// test plays (a hung-up line and the failed openings are rows of the fault matrix), and the
// editor started through a stand-in xdg-open on PATH that writes down what it got.
#include <fcntl.h>
#include <grp.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <thread>

#include "backends/posix/posix_serial_device.h"
#include "backends/posix/xdg_editor_launcher.h"
#include "platform/text/port_list_message.h"
#include "pty_pair.h"
#include "recording_message_box.h"
#include "serial/com_port.h"
#include "test_files.h"

namespace zr640 {
namespace {

using namespace std::chrono_literals;
using namespace std::string_literals;
using platform::InputWait;
using Clock = std::chrono::steady_clock;

TEST(PosixSerialDevice, TheLineIsRawCarriesEveryByteAndAStuckWriteEndsInTime) {
    testing::RecordingMessageBox boxes;
    testing::PtyPair pty;
    platform::PosixSerialDevice device{pty.SlavePath()};
    ComPort record;
    record.device = &device;
    termios mode{};
    EXPECT_EQ(device.BuildLineSettings("COM12:115200,o,7,2"), 1);
    for (const char* text : {"COM1:12345,N,8,1", "COM1:4800,X,8,1", "COM1:4800,N,9,1",
                             "COM1:4800,N,8,3", "COM1:4800,N,8", "COM1:4800,N,8,1x", "4800,N,8,1",
                             "COM1:-4800,N,8,1", "COM1:4800,\x01,8,1"}) {
        EXPECT_EQ(device.BuildLineSettings(text), 0) << text;
    }
    EXPECT_EQ(OpenComPort(record, 1, 14400, 'N', 8, 1, 256), nullptr);
    EXPECT_EQ(boxes.shown.at(0).text, "BuildCommDCB 0");
    // A pseudo-terminal keeps 8 data bits without parity whatever it is told.
    ASSERT_NE(OpenComPort(record, 1, 9600, 'E', 7, 2, 256), nullptr);
    ::tcgetattr(pty.MasterFd(), &mode);
    EXPECT_EQ(::cfgetospeed(&mode), speed_t(B9600));
    const tcflag_t control = CSTOPB | CRTSCTS | CLOCAL | CREAD;
    EXPECT_EQ(mode.c_cflag & control, tcflag_t(CSTOPB | CLOCAL | CREAD));
    EXPECT_EQ(mode.c_iflag & (IXON | IXOFF | ICRNL | ISTRIP), 0u);
    EXPECT_EQ((mode.c_lflag & (ICANON | ECHO | ISIG)) | (mode.c_oflag & OPOST), 0u);
    ASSERT_EQ(CloseComPort(&record), 0);
    ASSERT_EQ(OpenComPort(record, 1, 4800, 'N', 8, 1, 256), &record);
    ::tcgetattr(pty.MasterFd(), &mode);
    EXPECT_EQ(::cfgetispeed(&mode), speed_t(B4800));
    EXPECT_EQ(mode.c_cflag & (CSIZE | PARENB | CSTOPB), tcflag_t(CS8));

    pty.Send("junk");
    ASSERT_EQ(WaitComInput(&record, 2000), InputWait::Ready);
    std::this_thread::sleep_for(50ms);  // the rest may still be on its way through the terminal
    EXPECT_EQ(DiscardInput(&record), 1);
    EXPECT_EQ(ReadComByte(&record), -1);
    const std::string bytes = "\xFF\x00\r\n\x11\x13$"s;
    pty.Send(bytes);
    std::string received;
    while (received.size() < bytes.size() && WaitComInput(&record, 2000) == InputWait::Ready) {
        for (int byte; (byte = ReadComByte(&record)) != -1;) received += static_cast<char>(byte);
    }
    EXPECT_EQ(received, bytes);
    platform::SteadyClock clock;
    platform::OperationEnvironment operation{nullptr, clock};
    EXPECT_EQ(WriteComBlock(&record, reinterpret_cast<const std::uint8_t*>(bytes.data()), 7,
                            operation), 7);
    EXPECT_EQ(pty.Receive(bytes.size(), 2s), bytes);
    EXPECT_EQ(boxes.shown.size(), 1u);

    // Straight to the device, until the peer takes no more: WriteComBlock would purge first.
    const std::uint8_t chunk[100] = {};
    for (int chunks = 0; device.Write(chunk, 100, 0) == 100 && chunks < 100000; ++chunks) {}
    // The terminal moves what it holds on in the background and may make room for a few more.
    Clock::time_point start;
    int written = 10;
    for (int tries = 0; written == 10 && tries < 1000; ++tries) {
        start = Clock::now();
        written = device.Write(chunk, 10, 200);
    }
    EXPECT_LT(written, 10);
    // It waited the time it was given for room, and then said how much it took.
    EXPECT_GE(Clock::now() - start, 190ms);
    EXPECT_LT(Clock::now() - start, 5s);
}

// What a failed opening says beyond the fault matrix's rows: a port list whose long names fill
// the message box's room before the count does, and the group that a denied user must join.
TEST(PosixSerialDevice, APortListIsCutVisiblyAndADeniedUserIsToldTheGroup) {
    const std::string cut = platform::FormatPortList(
        std::vector<std::string>(10, std::string(300, 'x')), "Device= eintragen", 700);
    EXPECT_EQ(cut, "Vorhandene serielle Schnittstellen:\n" + std::string(197, 'x') + "...\n" +
                       std::string(197, 'x') + "...\n" + std::string(197, 'x') +
                       "...\n... (weitere nicht aufgef\xFChrt)\nDevice= eintragen");
    testing::TemporaryDirectory dev;
    testing::WriteBytes(dev.File("ttyS0"), "");
    const std::string group = ::getgrgid(::getegid())->gr_name;
    EXPECT_EQ(platform::DescribeOpenFailure(dev.File("ttyS0"), EACCES),
              dev.File("ttyS0") + ": Permission denied\nDer Benutzer muss Mitglied der Gruppe \"" +
                  group + "\" sein, der das Ger\xE4t geh\xF6rt (sudo usermod -aG " + group +
                  " $USER, danach neu anmelden).");
}

TEST(XdgEditorLauncher, HandsThePathOverAsOneArgumentThatNoShellReads) {
    testing::TemporaryDirectory root;
    testing::RecordingMessageBox boxes;
    // Its argument count, its arguments and the descriptors it was left, one a line.
    testing::WriteBytes(root.File("xdg-open"), "#!/bin/sh\n{ echo $#; printf '%s\\n' \"$@\"; ls "
                        "/proc/self/fd; } > " + root.File("part") + " && mv " + root.File("part") +
                        " " + root.File("seen") + "\n");
    std::filesystem::permissions(root.File("xdg-open"), std::filesystem::perms::owner_all);
    ::setenv("PATH", (root.Path() + ":/usr/bin:/bin").c_str(), 1);
    const auto seen = [&root] {  // once it has run; it is not our child, nothing to wait for
        for (int i = 0; i < 1000 && !std::filesystem::exists(root.File("seen")); ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        const std::string text = testing::ReadWholeFile(root.File("seen"));
        return std::filesystem::remove(root.File("seen")), text;
    };
    platform::XdgEditorLauncher launcher;
    const int inherited = ::open("/dev/null", O_RDONLY);  // without close-on-exec
    const std::string mark = root.File("shell");
    const std::string path = root.File("Flug; touch " + mark + " $(touch " + mark + ").wht");
    launcher.OpenInEditor(path.c_str());
    EXPECT_EQ(::waitpid(-1, nullptr, WNOHANG), -1) << "a child was left to reap";
    EXPECT_EQ(seen(), "1\n" + path + "\n0\n1\n2\n3\n");
    ::close(inherited);
    EXPECT_FALSE(std::filesystem::exists(mark));
    launcher.OpenInEditor("-n.wht");  // a name, not an option
    EXPECT_EQ(seen(), "1\n./-n.wht\n0\n1\n2\n3\n");

    ::setenv("PATH", root.File("none").c_str(), 1);
    launcher.OpenInEditor("/tmp/a.wht");
    ASSERT_EQ(boxes.shown.size(), 1u);  // this one alone
    EXPECT_EQ(boxes.shown[0].caption + ": " + boxes.shown[0].text, "Fehler: Der Texteditor konnte "
              "nicht gestartet werden: xdg-open fehlt (Paket xdg-utils).");
    EXPECT_TRUE(boxes.shown[0].style == 0x10u && boxes.shown[0].beepedBefore);
}

}  // namespace
}  // namespace zr640
