#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <string>

#include "platform/quit_request.h"
#include "config/configuration.h"
#include "recording_message_box.h"

namespace zr640 {
namespace {

using testing::RecordingMessageBox;

// Values no COMSETTINGS text of these tests holds, to see which ones were stored.
AppConfig Untouched() {
    AppConfig config;
    config.PortNumber = -11;
    config.BaudRate = -22;
    config.Parity = '#';
    config.DataBits = -33;
    config.StopBits = -44;
    return config;
}

class ParseComSettingsTest : public ::testing::Test {
protected:
    void SetUp() override { ResetQuitRequest(); }
    void TearDown() override { ResetQuitRequest(); }

    AppConfig Parse(const char* text) {
        AppConfig config = Untouched();
        ParseComSettings(text, config);
        return config;
    }

    RecordingMessageBox box;
};

TEST_F(ParseComSettingsTest, FiveValuesAreTaken) {
    const AppConfig config = Parse("COM2:9600,E,7,2");
    EXPECT_EQ(config.PortNumber, 2);
    EXPECT_EQ(config.BaudRate, 9600);
    EXPECT_EQ(config.Parity, 'E');
    EXPECT_EQ(config.DataBits, 7);
    EXPECT_EQ(config.StopBits, 2);

    EXPECT_EQ(Parse("COM1:4800,N,8,1 Kommentar").StopBits, 1) << "text after the fifth value";
    EXPECT_EQ(Parse("COM1: 4800,N,8,1").BaudRate, 4800) << "blank between colon and baud rate";
    EXPECT_EQ(Parse("COM\t+3:4800,N,8,1").PortNumber, 3) << "white space and a sign";
    EXPECT_EQ(Parse("COM1:4800,N,8,-1").StopBits, -1);
    const AppConfig extremes = Parse("COM-2147483648:2147483647,N,8,1");
    EXPECT_EQ(extremes.PortNumber, INT32_MIN);
    EXPECT_EQ(extremes.BaudRate, INT32_MAX);
    EXPECT_TRUE(box.shown.empty());
    EXPECT_FALSE(QuitRequested());
}

TEST_F(ParseComSettingsTest, FourValuesAreMalformed) {
    const AppConfig config = Parse("COM1:4800,N,8");
    ASSERT_EQ(box.shown.size(), 1u);
    EXPECT_EQ(box.shown[0].caption, "Fehler im COM-Eintrag in Ini-Datei!");
    EXPECT_EQ(box.shown[0].text, "\n\nEintrag COM1:4800,N,8 fehlerhaft\nProgramm wird beendet!");
    EXPECT_EQ(box.shown[0].style, 16u);
    EXPECT_TRUE(box.shown[0].beepedBefore);
    EXPECT_TRUE(QuitRequested());
    EXPECT_EQ(config.DataBits, 8) << "values before the mismatch are stored";
    EXPECT_EQ(config.StopBits, -44);
}

TEST_F(ParseComSettingsTest, MismatchesStopTheMatch) {
    struct Case {
        const char* text;
        int taken;
    };
    const Case cases[] = {
        {"com1:4800,N,8,1", 0},    {"", 0},
        {"COM1;4800,N,8,1", 1},    {"COM1:4800, N,8,1", 3},
        {"COM1:4800,N,x,1", 3},    {"COM1:4800,N,8,", 4},
        {"COM1:4800,N", 3},        {"COM1:4800,", 2},
        {"COM2:99999999999,N,8,1", 1},
        {"COM2:99999999999999999999999999,N,8,1", 1},
        {"COM2147483648:4800,N,8,1", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        box.shown.clear();
        ResetQuitRequest();
        const AppConfig config = Parse(c.text);
        EXPECT_EQ(config.PortNumber != -11, c.taken >= 1);
        EXPECT_EQ(config.BaudRate != -22, c.taken >= 2);
        EXPECT_EQ(config.Parity != '#', c.taken >= 3);
        EXPECT_EQ(config.DataBits != -33, c.taken >= 4);
        EXPECT_EQ(config.StopBits, -44);
        ASSERT_EQ(box.shown.size(), 1u);
        EXPECT_EQ(box.shown[0].text,
                  std::string("\n\nEintrag ") + c.text + " fehlerhaft\nProgramm wird beendet!");
        EXPECT_TRUE(QuitRequested());
    }
    EXPECT_EQ(Parse("COM1:4800, N,8,1").Parity, ' ') << "the parity takes the blank";
}

// The C library's scanf is the reference for every text whose numbers fit their fields.
TEST_F(ParseComSettingsTest, AgreesWithScanf) {
    const char* const texts[] = {
        "COM1:4800,N,8,1",   "COM12:115200,O,7,2",  "  COM1:4800,N,8,1", "COM 1:4800,N,8,1",
        "COM-1:4800,N,8,1",  "COM1:+4800,N,8,1",    "COM1:- 4800,N,8,1", "COM1:4800,,8,1",
        "COM1:4800,N, 8, 1", "COM1:4800,N,8,1,9",   "COM1:4800,N,8,1x",  "COM1 :4800,N,8,1",
        "COM:4800,N,8,1",    "COM1:4800,N,8,+",     "COM1:\n4800,N,8,1", "COMX",
        "CO",                "COM1:4800,\xE4,8,1",  "COM0001:04800,N,08,01",
    };
    for (const char* text : texts) {
        SCOPED_TRACE(text);
        int port = -11;
        long baud = -22;
        char parity = '#';
        int dataBits = -33;
        int stopBits = -44;
        const int scanned =
            std::sscanf(text, "COM%d:%ld,%c,%d,%d", &port, &baud, &parity, &dataBits, &stopBits);
        const AppConfig config = Parse(text);
        EXPECT_EQ(config.PortNumber, port);
        EXPECT_EQ(config.BaudRate, baud);
        EXPECT_EQ(config.Parity, parity);
        EXPECT_EQ(config.DataBits, dataBits);
        EXPECT_EQ(config.StopBits, stopBits);
        EXPECT_EQ(QuitRequested(), scanned != 5);
        ResetQuitRequest();
    }
}

}  // namespace
}  // namespace zr640
