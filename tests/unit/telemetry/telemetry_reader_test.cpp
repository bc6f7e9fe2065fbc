#include "telemetry/telemetry_reader.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fake_dialog_controls.h"
#include "fake_serial_device.h"
#include "hex_bytes.h"
#include "manual_clock.h"
#include "recording_message_box.h"

namespace zr640 {
namespace {

using testing::HexBytes;

constexpr const char* kFlightFrame =
    "24 41 2D 00 00 00 00 00 00 8D 0E D2 04 F0 05 1E 05 E9 02 F4 FF 6A FF 0F 00 F8 FF 17 00 "
    "51 04 DB 03 91 0A 80 57 04 86 7E CD 87 AC D3 FF";
constexpr const char* kFlightEntry =
    "Reading     1 Satznr 0 FlugZeitSek:3725 AktivDistanz:12340.00 SDTHoehe:1520 "
    "QFEHoehe:1310 LoggerFixZaehler:745 DeltaV:-12 GleitPfadDifferenz:-150 "
    "VarioMittelwert:1.50 Nettovario:-0.80 Vario:2.30 TAS:110.50 Groundspeed:98.70 "
    "Track:270.50 Breite: 48.123457 48\xB0" "07'24\" N Laenge: -11.500000 11\xB0" "29'60\" W "
    "DiffWinkel:-45";
constexpr const char* kStatusFrame =
    "24 41 19 00 02 41 31 32 33 34 00 03 1F 19 FE DD FF 78 00 57 00 82 7B 53 D1";

std::string Bytes(const char* hex) {
    const std::vector<std::uint8_t> bytes = HexBytes(hex);
    return std::string(bytes.begin(), bytes.end());
}

// The poll step over an open port whose device holds what a test feeds it, with a clock
// that the device moves over every wait, so that a silent instrument costs no real time.
class PollTelemetryTest : public ::testing::Test {
protected:
    PollTelemetryTest() {
        record.device = &device;
        port = OpenComPort(record, 1, 4800, 'N', 8, 1, 256);
    }

    void Step() { PollTelemetry(port, reader, dialog, &dialog.log, clock); }

    const std::string& ByteDisplay() { return dialog.itemText[IDC_BYTE_DISPLAY]; }
    bool RxLit() const { return dialog.IsChecked(IDC_RX); }
    const std::vector<std::string>& Log() const { return dialog.list.entries; }

    testing::RecordingMessageBox messageBoxes;
    testing::ManualClock clock;
    testing::FakeSerialDevice device{&clock};
    ComPort record;
    ComPort* port = nullptr;
    testing::FakeDialogControls dialog;
    TelemetryReader reader;
};

// Between frames one step takes every waiting byte up to and including the next dollar sign,
// at most kMaxBytesBeforeFrame of them, and shows the last one taken.
TEST_F(PollTelemetryTest, OneStepTakesTheBytesUpToTheNextFrameAndShowsTheLast) {
    struct Row {
        std::string fed;
        std::string shown;
        std::size_t left;
    };
    const std::vector<Row> rows = {
        {Bytes("41 00"), "00 ", 0},  // the zero character ends the display text
        {Bytes("0A E4"), "e4 \xE4 ", 0},
        {Bytes("80"), "80 \x80 ", 0},
        {Bytes("FE"), "fe \xFE ", 0},
        {Bytes("41 FF"), "EOF     ", 0},  // 0xFF reads as nothing taken
        {Bytes("FF 41 24 41 06 37 01 99 0A"), "24 $ ", 1},
        {"", "0a \n ", 0},
        {"", "EOF     ", 0},
        {std::string(kMaxBytesBeforeFrame + 5, 'A'), "41 A ", 5},
    };
    for (const Row& row : rows) {
        device.Feed(row.fed);
        Step();
        EXPECT_EQ(ByteDisplay(), row.shown) << row.shown;
        EXPECT_EQ(RxLit(), row.shown != "EOF     ") << row.shown;
        EXPECT_EQ(device.input.size(), row.left) << row.shown;
    }
    EXPECT_EQ(Log(), std::vector<std::string>{"Reading     1 $ A Bytes:6 Chk:55 Satz:1"});
}

TEST_F(PollTelemetryTest, OneStepReadsOneWholeFrameAndLogsItsRecord) {
    device.Feed(Bytes(kFlightFrame) + Bytes(kStatusFrame) + "x");
    Step();
    EXPECT_EQ(ByteDisplay(), "24 $ ");
    EXPECT_TRUE(RxLit());
    EXPECT_EQ(Log(), std::vector<std::string>{kFlightEntry});
    // The next frame waits in the port for the next tick.
    EXPECT_EQ(device.input.size(), 26u);

    Step();
    ASSERT_EQ(Log().size(), 2u);
    EXPECT_EQ(Log()[1],
              "Reading     2 Satznr 2 Werknummer:A1234 Schalterstellung:3 Menu:1f MCPoti:25 "
              "WindPoti:-2 WindKomponente:-3.50 WindEmpfehlung:12.00 WindVektorBetrag:8.70 "
              "WindVektorBogen:225.00");
    Step();
    EXPECT_EQ(ByteDisplay(), "78 x ");
    EXPECT_EQ(Log().size(), 2u);
    EXPECT_EQ(reader.FrameCounter, 2);
}

TEST_F(PollTelemetryTest, OtherRecordTypesGetTheGenericLineNumberedFromOne) {
    for (int type = 1; type <= 255; ++type) {
        if (type == 2) {
            continue;
        }
        const char frame[] = {'$', 'A', 6, 0x37, static_cast<char>(type), '\x99'};
        device.Feed(std::string(frame, sizeof frame));
    }
    for (int type = 1; type <= 255; ++type) {
        if (type != 2) {
            Step();
        }
    }
    ASSERT_EQ(Log().size(), 254u);
    EXPECT_EQ(Log()[0], "Reading     1 $ A Bytes:6 Chk:55 Satz:1");
    EXPECT_EQ(Log()[1], "Reading     2 $ A Bytes:6 Chk:55 Satz:3");
    EXPECT_EQ(Log()[17], "Reading    18 $ A Bytes:6 Chk:55 Satz:19");
    EXPECT_EQ(Log()[253], "Reading   254 $ A Bytes:6 Chk:55 Satz:255");
    EXPECT_EQ(reader.FrameCounter, 254);

    // Numbers of six digits widen the field.
    reader.FrameCounter = 99999;
    device.Feed(Bytes("24 41 06 37 01 99"));
    Step();
    EXPECT_EQ(Log().back(), "Reading 100000 $ A Bytes:6 Chk:55 Satz:1");
}

TEST_F(PollTelemetryTest, InsideAFrameNoByteIsSpecial) {
    // 0xFF and a dollar sign are data; a Tag of 0 ends the generic line after "$ ".
    device.Feed(Bytes("24 24 07 FF 01 FF 24  24 00 06 37 01 99"));
    Step();
    Step();
    EXPECT_EQ(Log(), (std::vector<std::string>{"Reading     1 $ $ Bytes:7 Chk:255 Satz:1",
                                               "Reading     2 $ "}));
    EXPECT_TRUE(device.input.empty());
}

TEST_F(PollTelemetryTest, LongestFrameAndHeaderOnlyFrames) {
    std::string longest = Bytes("24 4C FF A5 09");
    for (int i = 5; i < 255; ++i) {
        longest += static_cast<char>(0xFF);
    }
    device.Feed(longest + "Z" + Bytes("24 41 04 00"));
    Step();
    EXPECT_EQ(Log().back(), "Reading     1 $ L Bytes:255 Chk:165 Satz:9");
    EXPECT_EQ(reader.FrameBuffer[254], 0xFF);
    EXPECT_EQ(reader.FrameBuffer[255], 0);

    // Length 4 has no record type byte: a flight data record of zeros, read from a buffer
    // cleared of the 0xFF bytes of the frame before.
    Step();
    EXPECT_EQ(Log().back(),
              "Reading     2 Satznr 0 FlugZeitSek:0 AktivDistanz:0.00 SDTHoehe:0 QFEHoehe:0 "
              "LoggerFixZaehler:0 DeltaV:0 GleitPfadDifferenz:0 VarioMittelwert:0.00 "
              "Nettovario:0.00 Vario:0.00 TAS:0.00 Groundspeed:0.00 Track:0.00 "
              "Breite: 0.000000 0\xB0" "00'00\" N Laenge: 0.000000 0\xB0" "00'00\" E "
              "DiffWinkel:0");
}

TEST_F(PollTelemetryTest, WorksNumberTextIsLoggedLiterally) {
    std::string frame = Bytes(kStatusFrame);
    frame.replace(5, 6, "%s%n%d");
    device.Feed(frame);
    frame.replace(5, 6, "AB\nCD\0", 6);
    device.Feed(frame);
    Step();
    Step();
    ASSERT_EQ(Log().size(), 3u);
    EXPECT_EQ(Log()[0].rfind("Reading     1 Satznr 2 Werknummer:%s%n%d Schalterstellung:3 ", 0),
              0u)
        << Log()[0];
    EXPECT_EQ(Log()[1], "Reading     2 Satznr 2 Werknummer:AB");
    EXPECT_EQ(Log()[2].rfind("CD Schalterstellung:3 ", 0), 0u) << Log()[2];
}

TEST_F(PollTelemetryTest, LengthZeroIsDroppedAndWhatFollowsIsTakenOnePerStep) {
    device.Feed(Bytes("24 41 00 24 41 06 37 01 99"));
    Step();
    EXPECT_EQ(Log(), std::vector<std::string>{"Reading     1 $ Laenge 0, Rahmen verworfen"});
    EXPECT_EQ(device.input.size(), 6u);
    Step();
    EXPECT_EQ(Log().back(), "Reading     2 $ A Bytes:6 Chk:55 Satz:1");
}

TEST_F(PollTelemetryTest, SilenceInsideAFrameEndsTheStepAfterTheLimit) {
    device.Feed(Bytes(kFlightFrame).substr(0, 12));
    const std::uint32_t startMs = clock.NowMs();
    const int waitsBefore = device.CallCount("WaitForInput");
    Step();
    EXPECT_EQ(Log(),
              std::vector<std::string>{"Reading     1 $ Rahmen abgebrochen nach 12 von 45 Bytes"});
    EXPECT_EQ(clock.NowMs() - startMs, 100u);
    // One blocking wait for the whole silence, no polling loop.
    EXPECT_EQ(device.CallCount("WaitForInput") - waitsBefore, 1);

    // Cut inside the header the Length is not known yet.
    device.Feed("$A");
    Step();
    EXPECT_EQ(Log().back(), "Reading     2 $ Rahmen abgebrochen nach 2 von 3 Bytes");
}

TEST(FrameSilenceLimit, IsTwentyCharacterTimesButAtLeast100Ms) {
    const std::vector<std::pair<std::int32_t, std::uint32_t>> rows = {
        {115200, 100}, {2000, 100}, {1999, 101}, {300, 667}, {110, 1819}, {0, 1819}};
    for (const auto& [baud, limitMs] : rows) {
        EXPECT_EQ(FrameSilenceLimitForBaud(baud), limitMs) << baud;
    }
}

TEST_F(PollTelemetryTest, LostLineInsideAFrameEndsTheStepAtOnce) {
    device.Feed(Bytes(kFlightFrame).substr(0, 30));
    device.lineLost = true;
    const std::uint32_t startMs = clock.NowMs();
    Step();
    EXPECT_EQ(Log(),
              std::vector<std::string>{"Reading     1 $ Rahmen abgebrochen nach 30 von 45 Bytes"});
    EXPECT_EQ(clock.NowMs(), startMs);
}

TEST(PollTelemetryWithoutPort, ShowsNothingTakenAndLogsNothing) {
    testing::ManualClock clock;
    testing::FakeDialogControls dialog;
    TelemetryReader reader;
    dialog.CheckButton(IDC_RX, true);
    PollTelemetry(nullptr, reader, dialog, &dialog.log, clock);
    EXPECT_EQ(dialog.itemText[IDC_BYTE_DISPLAY], "EOF     ");
    EXPECT_FALSE(dialog.IsChecked(IDC_RX));
    EXPECT_TRUE(dialog.list.entries.empty());
}

}  // namespace
}  // namespace zr640
