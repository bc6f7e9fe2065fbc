// The tool's own serial, telemetry and sentence code against the real zr640-sim: the
// simulator is what the other integration tests trust, so it must speak the tool's language.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "fake_dialog_controls.h"
#include "platform/posix/posix_serial_device.h"
#include "platform/clock.h"
#include "recording_message_box.h"
#include "serial/com_port.h"
#include "serial/sentence.h"
#include "sim_process.h"
#include "telemetry/telemetry_reader.h"

namespace zr640 {
namespace {

class ToolAgainstSim : public ::testing::Test {
protected:
    bool Connect(const std::vector<std::string>& arguments) {
        if (!sim.Start(arguments)) return false;
        device = std::make_unique<platform::PosixSerialDevice>(sim.SlavePath());
        record.device = device.get();
        record.indicators = &dialog;
        port = OpenComPort(record, 1, 4800, 'N', 8, 1, 256, 256, 0);
        DiscardInput(port);
        return port != nullptr;
    }

    int Exchange(const std::string& body, const char* prefix) {
        const std::string sentence = FrameSentence(body);
        return ExchangeSentence(&dialog.list, port, clock, ReplyTimeoutMs, kExchangeAttempts,
                                sentence.c_str(), prefix);
    }

    std::size_t LinesContaining(const std::string& text) const {
        std::size_t count = 0;
        for (const auto& entry : dialog.list.entries) {
            if (entry.find(text) != std::string::npos) ++count;
        }
        return count;
    }

    testing::RecordingMessageBox messageBoxes;
    test::SimProcess sim;
    std::unique_ptr<platform::PosixSerialDevice> device;
    platform::SteadyClock clock;
    testing::FakeDialogControls dialog;
    ComPort record;
    ComPort* port = nullptr;
};

TEST_F(ToolAgainstSim, DecodesTheBuiltInFlightThroughGarbageAndBrokenFrames) {
    ASSERT_TRUE(Connect({"--interval", "25", "--garbage", "--cut-frame-every", "9",
                         "--zero-length-every", "13"}))
        << sim.Error();
    TelemetryReader reader;
    // Garbage is taken a byte a step, as the tool does between frames.
    for (int step = 0; step < 1500 && reader.FrameCounter < 40; ++step) {
        WaitComInput(port, 2000);
        PollTelemetry(port, reader, dialog, &dialog.list, clock);
    }
    EXPECT_GE(reader.FrameCounter, 40);
    EXPECT_GE(LinesContaining("Satznr 0 FlugZeitSek:"), 15U);
    EXPECT_GE(LinesContaining("Satznr 2 Werknummer:A1234 "), 3U);
    EXPECT_GE(LinesContaining(" $ A Bytes:6 Chk:"), 1U);  // the frames of type 1
    EXPECT_GE(LinesContaining(" Breite: 49."), 15U);
    EXPECT_TRUE(messageBoxes.shown.empty());
}

TEST_F(ToolAgainstSim, ExchangesSentencesAndRetriesAfterWrongReplies) {
    ASSERT_TRUE(Connect({"--no-telemetry", "--wrong-replies", "2", "--wrong-replies-from", "2",
                         "--baud", "4800"}))
        << sim.Error();
    EXPECT_EQ(Exchange("$KTWPI,Replace", "$KTWPO"), kExchangeAccepted);
    EXPECT_EQ(Exchange("$KTWPU,Hetzleser Be,EDQX,,,,,,,", "$KTWPA,1"), kExchangeAccepted);
    EXPECT_EQ(LinesContaining("Response Falsch:$KTWPE,RETRY,KTWPU*"), 2U);
    EXPECT_EQ(Exchange("$KTWPR,1,1,1,Bayreuth,EDQD", "$KTWPS,1,1"), kExchangeAccepted);
    EXPECT_EQ(dialog.list.entries.back().rfind(FrameSentence("$KTWPS,1,1").substr(0, 13), 0), 0U)
        << dialog.list.entries.back();
}

}  // namespace
}  // namespace zr640
