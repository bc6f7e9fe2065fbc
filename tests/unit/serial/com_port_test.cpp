#include "serial/com_port.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#include "fake_dialog_controls.h"
#include "fake_serial_device.h"
#include "recording_message_box.h"

namespace zr640 {
namespace {

using namespace std::string_literals;
using testing::DeviceStep;
using ::testing::ElementsAre;
using testing::FakeDialogControls;
using testing::FakeSerialDevice;
using testing::RecordingMessageBox;

class ComPortTest : public ::testing::Test {
protected:
    ComPortTest() {
        record.device = &device;
        record.indicators = &controls;
    }

    ComPort* Open(int portNumber = 1, int rxRingSize = 256) {
        return OpenComPort(record, portNumber, 4800, 'N', 8, 1, rxRingSize);
    }

    std::vector<std::string> Texts() const {
        std::vector<std::string> texts;
        for (const auto& message : messages.shown) texts.push_back(message.text);
        return texts;
    }

    RecordingMessageBox messages;
    FakeSerialDevice device;
    FakeDialogControls controls;
    ComPort record;
};

TEST_F(ComPortTest, OpeningRunsTheStepsInOrderAndFillsTheRecord) {
    device.deviceTimeouts = {7, 8, 9, 10, 11};

    ComPort* port = OpenComPort(record, 3, 9600, 'E', 7, 2, 256);

    EXPECT_EQ(port, &record);
    EXPECT_THAT(device.calls,
                ElementsAre("Open 3", "SetupQueues 512 0", "BuildLineSettings COM3:9600,E,7,2",
                            "ApplyLineSettings", "GetTimeouts", "SetTimeouts 4294967295 0 0 10 100",
                            "SetEventMask 5", "Purge 15", "ClearErrors"));
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_EQ(record.isOpen, 1);
    EXPECT_NE(record.rxRing, nullptr);
    EXPECT_EQ(record.rxRingSize, 256);
    EXPECT_EQ(record.savedTimeouts.readIntervalTimeout, 7u);
    EXPECT_EQ(record.savedTimeouts.writeTotalTimeoutConstant, 11u);
}

TEST_F(ComPortTest, PortNumbersOutsideOneTo255AreRefusedBeforeTheDeviceIsTouched) {
    EXPECT_EQ(Open(0), nullptr);
    EXPECT_EQ(Open(256), nullptr);
    EXPECT_TRUE(device.calls.empty());
    EXPECT_EQ(record.rxRing, nullptr);
    EXPECT_THAT(Texts(), ElementsAre("Comport 0 falsch,muss zwischen 1...255 liegen",
                                     "Comport 256 falsch,muss zwischen 1...255 liegen"));
    for (const auto& message : messages.shown) {
        EXPECT_EQ(message.caption, "Error");
        EXPECT_EQ(message.style, 16u);
        EXPECT_TRUE(message.beepedBefore);
    }

    EXPECT_EQ(Open(255), &record);
    EXPECT_EQ(device.openedPort, 255);
    EXPECT_EQ(device.CallCount("BuildLineSettings COM255:4800,N,8,1"), 1);
    ASSERT_EQ(CloseComPort(&record), 0);
    EXPECT_EQ(Open(1), &record);
}

TEST_F(ComPortTest, ASecondOpeningIsRefusedAndTheOpenPortKeepsWorking) {
    ASSERT_EQ(Open(2), &record);
    const std::size_t callsAfterOpening = device.calls.size();

    EXPECT_EQ(Open(5), nullptr);

    EXPECT_THAT(Texts(), ElementsAre("Comport 5 bereits 'OPEN'"));
    EXPECT_EQ(device.calls.size(), callsAfterOpening);
    EXPECT_EQ(record.isOpen, 1);
    device.Feed("A");
    EXPECT_EQ(ReadComByte(&record), 'A');
}

struct FailureRow {
    DeviceStep step;
    const char* text;
    bool opens;
};

TEST_F(ComPortTest, EachFailingStepShowsItsMessageAndLeavesTheBuffersAllocated) {
    const FailureRow rows[] = {
        {DeviceStep::Open, "could not open Com4", false},
        {DeviceStep::SetupQueues, "SetupComm 87", false},
        {DeviceStep::BuildLineSettings, "BuildCommDCB 0", false},
        {DeviceStep::ApplyLineSettings, "SetCommState 87", false},
        {DeviceStep::GetTimeouts, "GetCommTimeouts", true},
        {DeviceStep::SetTimeouts, "SetCommTimeouts", true},
        {DeviceStep::SetEventMask, "SetCommMask", true},
        {DeviceStep::Purge, "PurgeComm 87", false},
    };
    for (const FailureRow& row : rows) {
        SCOPED_TRACE(row.text);
        messages.shown.clear();
        FakeSerialDevice rowDevice;
        rowDevice.failing = {row.step};
        rowDevice.lastErrorCode = 87;
        ComPort rowRecord;
        rowRecord.device = &rowDevice;

        ComPort* port = OpenComPort(rowRecord, 4, 4800, 'N', 8, 1, 256);

        ASSERT_EQ(messages.shown.size(), 1u);
        EXPECT_EQ(messages.shown[0].text, row.text);
        EXPECT_EQ(messages.shown[0].caption, "Error");
        EXPECT_EQ(messages.shown[0].style, 16u);
        EXPECT_EQ(port, row.opens ? &rowRecord : nullptr);
        EXPECT_EQ(rowRecord.isOpen, row.opens ? 1 : 0);
        EXPECT_NE(rowRecord.rxRing, nullptr);
        EXPECT_EQ(rowRecord.rxRingSize, 256);
        // A failed opening gives the device back; a working one keeps it.
        EXPECT_EQ(rowDevice.isOpen, row.opens);
        EXPECT_EQ(rowDevice.callsWhileClosed, 0);
        if (row.opens) {
            EXPECT_EQ(CloseComPort(port), 0);
        }
    }
}

TEST_F(ComPortTest, TheDevicesReasonFollowsCouldNotOpenOnItsOwnLine) {
    device.failing = {DeviceStep::Open};
    device.openFailureDetail = "/dev/ttyUSB0: No such file or directory";

    EXPECT_EQ(Open(3), nullptr);

    EXPECT_THAT(Texts(),
                ElementsAre("could not open Com3\n/dev/ttyUSB0: No such file or directory"));
    EXPECT_EQ(device.CallCount("Close"), 0);
}

TEST_F(ComPortTest, BuffersThatCannotBeHadAreReportedWithTheLastError) {
    device.lastErrorCode = 8;

    EXPECT_EQ(Open(1, 0), nullptr);
    EXPECT_EQ(record.rxRing, nullptr);

    EXPECT_THAT(Texts(), ElementsAre("Konnte keinen Empfangspuffer belegen: 8"));
    EXPECT_TRUE(device.calls.empty());
    EXPECT_EQ(record.isOpen, 0);
}

TEST_F(ComPortTest, AFailedOpeningLeavesBuffersThatTheNextOpeningResizes) {
    device.failing = {DeviceStep::Open};
    ASSERT_EQ(Open(1, 16), nullptr);
    ASSERT_NE(record.rxRing, nullptr);
    device.failing.clear();

    ASSERT_EQ(Open(1, 256), &record);

    EXPECT_EQ(record.rxRingSize, 256);
    for (int i = 0; i < 300; ++i) {
        device.Feed(std::string(1, static_cast<char>(i & 0xFF)));
        ASSERT_EQ(ReadComByte(&record), i & 0xFF);
    }
}

TEST_F(ComPortTest, ReadComByteHandsOutBytesAsZeroTo255AndLightsRx) {
    ASSERT_EQ(Open(), &record);
    const std::size_t masksAfterOpening = device.CallCount("SetEventMask");

    EXPECT_EQ(ReadComByte(&record), -1);
    EXPECT_FALSE(controls.IsChecked(IDC_RX));

    device.Feed("\xFF\x00"s);
    EXPECT_EQ(ReadComByte(&record), 255);
    EXPECT_TRUE(controls.IsChecked(IDC_RX));
    EXPECT_EQ(ReadComByte(&record), 0);
    EXPECT_EQ(ReadComByte(&record), -1);

    EXPECT_EQ(device.CallCount("SetEventMask 1"), 4);
    EXPECT_EQ(device.CallCount("SetEventMask"), masksAfterOpening + 4);
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(ComPortTest, ReadComByteReportsAFailingEventMaskAndStillReads) {
    ASSERT_EQ(Open(), &record);
    device.failing = {DeviceStep::SetEventMask};
    device.Feed("x");

    EXPECT_EQ(ReadComByte(&record), 'x');

    EXPECT_THAT(Texts(), ElementsAre("SetCommMask"));
}

TEST_F(ComPortTest, TheRingPositionsRunToTheSizeAndWrapToZero) {
    ASSERT_EQ(Open(), &record);
    for (int i = 0; i < 255; ++i) {
        device.Feed("a");
        ASSERT_EQ(ReadComByte(&record), 'a');
    }
    EXPECT_EQ(record.rxWritePos, 255);
    EXPECT_EQ(record.rxReadPos, 255);

    device.Feed("b");
    EXPECT_EQ(ReadComByte(&record), 'b');
    EXPECT_EQ(record.rxWritePos, 0);
    EXPECT_EQ(record.rxReadPos, 0);

    device.Feed("c");
    EXPECT_EQ(ReadComByte(&record), 'c');
    EXPECT_EQ(record.rxWritePos, 1);
    EXPECT_EQ(record.rxReadPos, 1);
    EXPECT_EQ(record.rxRing[255], 'b');
    EXPECT_EQ(record.rxRing[0], 'c');
}

TEST_F(ComPortTest, WriteComBlockPurgesWritesWaitsAndReportsTheCountWritten) {
    ASSERT_EQ(Open(), &record);
    device.Feed("stale");
    device.calls.clear();
    const std::string block = "$abc*60\r\n";

    EXPECT_EQ(WriteComBlock(&record, reinterpret_cast<const std::uint8_t*>(block.data()), 9), 9);

    EXPECT_THAT(device.calls, ElementsAre("Purge 15", "Write 9", "WaitUntilSent"));
    EXPECT_EQ(device.written, block);
    EXPECT_TRUE(device.input.empty());
    EXPECT_TRUE(controls.IsChecked(IDC_TX));

    device.writeAccepts = 4;
    EXPECT_EQ(WriteComBlock(&record, reinterpret_cast<const std::uint8_t*>(block.data()), 9), 4);
    device.writeAccepts = -1;
    EXPECT_EQ(WriteComBlock(&record, reinterpret_cast<const std::uint8_t*>(block.data()), 9), 0);
}

TEST_F(ComPortTest, SetRtsAndDiscardInputPassTheirFunctionsOn) {
    ASSERT_EQ(Open(), &record);
    EXPECT_EQ(SetRts(&record, SETRTS), 1);
    EXPECT_EQ(SetRts(&record, CLRRTS), 1);
    EXPECT_THAT(device.escapes, ElementsAre(3, 4));

    device.Feed("pending");
    device.calls.clear();
    EXPECT_EQ(DiscardInput(&record), 1);
    EXPECT_THAT(device.calls, ElementsAre("Purge 10"));
    EXPECT_EQ(ReadComByte(&record), -1);
    device.Feed("n");
    EXPECT_EQ(ReadComByte(&record), 'n');
}

TEST_F(ComPortTest, ANullPortGivesTheNullResultsAndTouchesNothing) {
    const std::uint8_t byte = 'x';
    EXPECT_EQ(ReadComByte(nullptr), -1);
    EXPECT_EQ(WriteComBlock(nullptr, &byte, 1), 0);
    EXPECT_EQ(SetRts(nullptr, SETRTS), -1);
    EXPECT_EQ(DiscardInput(nullptr), -1);
    EXPECT_EQ(CloseComPort(nullptr), -1);
    EXPECT_TRUE(controls.checks.empty());

    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(WaitComInput(nullptr, 30), platform::InputWait::TimedOut);
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(30));
}

TEST_F(ComPortTest, ClosingRestoresTheTimeoutsFreesTheBuffersAndAllowsReopening) {
    device.deviceTimeouts = {7, 8, 9, 10, 11};
    ASSERT_EQ(Open(), &record);
    device.Feed("ab");
    ReadComByte(&record);
    device.calls.clear();

    EXPECT_EQ(CloseComPort(&record), 0);

    EXPECT_THAT(device.calls, ElementsAre("SetTimeouts 7 8 9 10 11", "Close"));
    EXPECT_EQ(record.isOpen, 0);
    EXPECT_EQ(record.rxRing, nullptr);
    // A closed record answers like a null port and leaves the device alone.
    EXPECT_EQ(ReadComByte(&record), -1);
    EXPECT_EQ(CloseComPort(&record), -1);
    EXPECT_EQ(device.callsWhileClosed, 0);

    ASSERT_EQ(Open(), &record);
    EXPECT_EQ(record.rxReadPos, 0);
    EXPECT_EQ(record.rxWritePos, 0);
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(ComPortTest, AFailingCloseKeepsThePortAndAFailingRestoreDoesNotStopTheClose) {
    ASSERT_EQ(Open(), &record);
    device.failing = {DeviceStep::Close};

    EXPECT_EQ(CloseComPort(&record), 0);
    EXPECT_EQ(record.isOpen, 1);
    EXPECT_NE(record.rxRing, nullptr);

    device.failing = {DeviceStep::SetTimeouts};
    EXPECT_EQ(CloseComPort(&record), 0);
    EXPECT_EQ(record.isOpen, 0);
    EXPECT_EQ(record.rxRing, nullptr);
    EXPECT_THAT(Texts(), ElementsAre("CloseComm 0", "SetCommTimeouts"));
}

}  // namespace
}  // namespace zr640
