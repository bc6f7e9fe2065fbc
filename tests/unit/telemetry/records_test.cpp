#include "telemetry/records.h"

#include <gtest/gtest.h>

#include <clocale>
#include <string>

#include "hex_bytes.h"

namespace zr640 {
namespace {

using testing::FrameFromHex;

constexpr const char* kFlightFrame =
    "24 41 2D 00 00 00 00 00 00 8D 0E D2 04 F0 05 1E 05 E9 02 F4 FF 6A FF 0F 00 F8 FF 17 00 "
    "51 04 DB 03 91 0A 80 57 04 86 7E CD 87 AC D3 FF";
constexpr const char* kFlightLine =
    "Reading    17 Satznr 0 FlugZeitSek:3725 AktivDistanz:12340.00 SDTHoehe:1520 "
    "QFEHoehe:1310 LoggerFixZaehler:745 DeltaV:-12 GleitPfadDifferenz:-150 "
    "VarioMittelwert:1.50 Nettovario:-0.80 Vario:2.30 TAS:110.50 Groundspeed:98.70 "
    "Track:270.50 Breite: 48.123457 48\xB0" "07'24\" N Laenge: -11.500000 11\xB0" "29'60\" W "
    "DiffWinkel:-45\n";

constexpr const char* kStatusFrame =
    "24 41 19 00 02 41 31 32 33 34 00 03 1F 19 FE DD FF 78 00 57 00 82 7B 53 D1";
constexpr const char* kStatusLine =
    "Reading    18 Satznr 2 Werknummer:A1234 Schalterstellung:3 Menu:1f MCPoti:25 "
    "WindPoti:-2 WindKomponente:-3.50 WindEmpfehlung:12.00 WindVektorBetrag:8.70 "
    "WindVektorBogen:225.00\n";

void Put16(FrameBytes& frame, int offset, unsigned value) {
    frame[offset] = static_cast<std::uint8_t>(value);
    frame[offset + 1] = static_cast<std::uint8_t>(value >> 8);
}

// The text of one item of a line: from its label up to the blank or line feed after it.
std::string Item(const std::string& line, const std::string& label) {
    const std::size_t start = line.find(" " + label + ":");
    if (start == std::string::npos) {
        return "<" + label + " missing>";
    }
    const std::size_t end = line.find_first_of(" \n", start + label.size() + 2);
    return line.substr(start + 1, end - start - 1);
}

TEST(Records, WorkedExamplesComeOutByteForByte) {
    EXPECT_EQ(FormatFlightDataRecord(FrameFromHex(kFlightFrame).data(), 17), kFlightLine);
    EXPECT_EQ(FormatDeviceStatusRecord(FrameFromHex(kStatusFrame).data(), 18), kStatusLine);
}

TEST(Records, SignednessAndScaleFollowEachField) {
    FrameBytes flight{};
    for (int offset : {19, 21, 23, 25, 27, 29, 31, 33, 43}) {
        Put16(flight, offset, 0xFFFF);
    }
    Put16(flight, 11, 0xFFFF);
    Put16(flight, 13, 0xFFFF);
    const std::string line = FormatFlightDataRecord(flight.data(), 1);
    EXPECT_EQ(Item(line, "AktivDistanz"), "AktivDistanz:655350.00");
    EXPECT_EQ(Item(line, "SDTHoehe"), "SDTHoehe:65535");
    EXPECT_EQ(Item(line, "DeltaV"), "DeltaV:-1");
    EXPECT_EQ(Item(line, "GleitPfadDifferenz"), "GleitPfadDifferenz:-1");
    EXPECT_EQ(Item(line, "VarioMittelwert"), "VarioMittelwert:-0.10");
    EXPECT_EQ(Item(line, "Nettovario"), "Nettovario:-0.10");
    EXPECT_EQ(Item(line, "Vario"), "Vario:-0.10");
    EXPECT_EQ(Item(line, "TAS"), "TAS:6553.50");
    EXPECT_EQ(Item(line, "Groundspeed"), "Groundspeed:6553.50");
    EXPECT_EQ(Item(line, "Track"), "Track:-0.10");
    EXPECT_EQ(Item(line, "DiffWinkel"), "DiffWinkel:-1");

    FrameBytes status = FrameFromHex(kStatusFrame);
    status[11] = 0xFE;
    status[12] = 0x0A;
    status[13] = 0xFE;
    status[14] = 0xFE;
    Put16(status, 15, 0x8000);
    const std::string statusLine = FormatDeviceStatusRecord(status.data(), 1);
    EXPECT_EQ(Item(statusLine, "Schalterstellung"), "Schalterstellung:254");
    EXPECT_EQ(Item(statusLine, "Menu"), "Menu:0a");
    EXPECT_EQ(Item(statusLine, "MCPoti"), "MCPoti:254");
    EXPECT_EQ(Item(statusLine, "WindPoti"), "WindPoti:-2");
    EXPECT_EQ(Item(statusLine, "WindKomponente"), "WindKomponente:-3276.80");
}

TEST(Records, WorksNumberTakesSixBytesOrUpToTheFirstZero) {
    FrameBytes status = FrameFromHex(kStatusFrame);
    // Six letters run straight into Schalterstellung, which must not join the text.
    for (int i = 0; i < 6; ++i) {
        status[5 + i] = static_cast<std::uint8_t>('U' + i);
    }
    status[11] = 'G';
    std::string line = FormatDeviceStatusRecord(status.data(), 1);
    EXPECT_NE(line.find(" Werknummer:UVWXYZ Schalterstellung:71 "), std::string::npos) << line;

    status[5] = 0;
    line = FormatDeviceStatusRecord(status.data(), 1);
    EXPECT_NE(line.find(" Werknummer: Schalterstellung:71 "), std::string::npos) << line;

    // Bytes that would be format directives or line breaks are copied as they are.
    const char* odd = "%s%n\n\xE4";
    for (int i = 0; i < 6; ++i) {
        status[5 + i] = static_cast<std::uint8_t>(odd[i]);
    }
    line = FormatDeviceStatusRecord(status.data(), 1);
    EXPECT_NE(line.find(" Werknummer:%s%n\n\xE4 Schalterstellung:"), std::string::npos) << line;
}

TEST(Records, FieldsPastTheFramesEndReadAsZero) {
    // A flight frame with Length 20: everything from offset 20 on is the cleared buffer.
    FrameBytes shortFrame = FrameFromHex(kFlightFrame);
    shortFrame[2] = 20;
    for (int i = 20; i < kFrameBufferSize; ++i) {
        shortFrame[i] = 0;
    }
    EXPECT_EQ(FormatFlightDataRecord(shortFrame.data(), 3),
              "Reading     3 Satznr 0 FlugZeitSek:3725 AktivDistanz:12340.00 SDTHoehe:1520 "
              "QFEHoehe:1310 LoggerFixZaehler:745 DeltaV:244 GleitPfadDifferenz:0 "
              "VarioMittelwert:0.00 Nettovario:0.00 Vario:0.00 TAS:0.00 Groundspeed:0.00 "
              "Track:0.00 Breite: 0.000000 0\xB0" "00'00\" N Laenge: 0.000000 0\xB0" "00'00\" E "
              "DiffWinkel:0\n");

    const FrameBytes statusHeader = FrameFromHex("24 41 05 00 02");
    EXPECT_EQ(FormatDeviceStatusRecord(statusHeader.data(), 123456),
              "Reading 123456 Satznr 2 Werknummer: Schalterstellung:0 Menu:00 MCPoti:0 "
              "WindPoti:0 WindKomponente:0.00 WindEmpfehlung:0.00 WindVektorBetrag:0.00 "
              "WindVektorBogen:0.00\n");
}

// The program itself never sets a locale, but a front end's toolkit may; the log must keep
// its full stops either way.
TEST(Records, NumbersKeepTheFullStopUnderAGermanLocale) {
    const char* german = nullptr;
    for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "de_DE", "German_Germany.1252",
                             "German"}) {
        if (std::setlocale(LC_NUMERIC, name) != nullptr) {
            german = name;
            break;
        }
    }
    if (german == nullptr) {
        GTEST_SKIP() << "no German locale installed";
    }
    const bool decimalComma = std::localeconv()->decimal_point[0] == ',';
    const std::string flight = FormatFlightDataRecord(FrameFromHex(kFlightFrame).data(), 17);
    const std::string status = FormatDeviceStatusRecord(FrameFromHex(kStatusFrame).data(), 18);
    std::setlocale(LC_NUMERIC, "C");

    EXPECT_TRUE(decimalComma) << german << " does not use a decimal comma";
    EXPECT_EQ(flight, kFlightLine);
    EXPECT_EQ(status, kStatusLine);
}

}  // namespace
}  // namespace zr640
