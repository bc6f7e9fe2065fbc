#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <limits>
#include <numbers>

#include "frame_encoder.h"

namespace zr640::sim {
namespace {

using Four = std::array<std::uint8_t, 4>;

// The decoding rule, written out independently of the encoder: exponent byte first, bias
// 129, sign in the top bit of the second byte, exponents 0 to 2 mean zero.
double DecodeDeviceFloat(const Four& b) {
    if (b[0] <= 2) return 0.0;
    const std::uint32_t fraction = (std::uint32_t(b[1] & 0x7F) << 16) | (b[2] << 8) | b[3];
    const double magnitude = std::ldexp(1.0 + fraction / 8388608.0, b[0] - 129);
    return (b[1] & 0x80) ? -magnitude : magnitude;
}

Bytes Hex(const char* text) {
    Bytes bytes;
    for (const char* p = text; *p != '\0';) {
        if (*p == ' ') {
            ++p;
            continue;
        }
        bytes.push_back(static_cast<std::uint8_t>(std::stoi(std::string(p, 2), nullptr, 16)));
        p += 2;
    }
    return bytes;
}

TEST(DeviceFloatEncoding, GivesTheBytesOfTheTable) {
    EXPECT_EQ(EncodeDeviceFloat(1.0F), (Four{0x81, 0x00, 0x00, 0x00}));
    EXPECT_EQ(EncodeDeviceFloat(-3.0F), (Four{0x82, 0xC0, 0x00, 0x00}));
    EXPECT_EQ(EncodeDeviceFloat(0.1F), (Four{0x7D, 0x4C, 0xCC, 0xCD}));
    EXPECT_EQ(EncodeDeviceFloat(static_cast<float>(std::numbers::pi / 4)),
              (Four{0x80, 0x49, 0x0F, 0xDB}));
    EXPECT_EQ(EncodeDeviceFloat(0.0F), (Four{0, 0, 0, 0}));
}

TEST(DeviceFloatEncoding, KeepsToTheRangeTheInstrumentCanSay) {
    // Negative zero, subnormals and NaN have no device form other than zero.
    EXPECT_EQ(EncodeDeviceFloat(-0.0F), (Four{0, 0, 0, 0}));
    EXPECT_EQ(EncodeDeviceFloat(std::numeric_limits<float>::denorm_min()), (Four{0, 0, 0, 0}));
    EXPECT_EQ(EncodeDeviceFloat(std::numeric_limits<float>::quiet_NaN()), (Four{0, 0, 0, 0}));
    // The smallest normal single is the smallest device number: exponent byte 3.
    EXPECT_EQ(EncodeDeviceFloat(FLT_MIN), (Four{0x03, 0x00, 0x00, 0x00}));
    // Beyond the largest device number (just under 2^127) the largest of the sign is sent.
    EXPECT_EQ(EncodeDeviceFloat(FLT_MAX), (Four{0xFF, 0x7F, 0xFF, 0xFF}));
    EXPECT_EQ(EncodeDeviceFloat(-std::numeric_limits<float>::infinity()),
              (Four{0xFF, 0xFF, 0xFF, 0xFF}));
    EXPECT_EQ(DecodeDeviceFloat(EncodeDeviceFloat(0x1.FFFFFEp126F)), 0x1.FFFFFEp126);
    EXPECT_EQ(EncodeDeviceFloat(0x1.0p127F), (Four{0xFF, 0x7F, 0xFF, 0xFF}));
}

TEST(DeviceFloatEncoding, RoundTripsThroughTheDecodingRule) {
    for (const float value : {1.0F, -1.0F, 0.5F, 123.456F, -0.000123F, 1.0e30F, -2.5e-38F,
                              0.8399F, -0.2007F, 3.926990F}) {
        EXPECT_EQ(DecodeDeviceFloat(EncodeDeviceFloat(value)), static_cast<double>(value))
            << value;
    }
}

TEST(DeviceFloatEncoding, ConvertsDegreesAsTheToolConvertsBack) {
    const float radians = DegreesToDeviceRadians(225.0);
    EXPECT_EQ(EncodeDeviceFloat(radians), (Four{0x82, 0x7B, 0x53, 0xD1}));
    EXPECT_NEAR(radians * 90.0 / std::acos(0.0), 225.0, 1e-5);
}

TEST(FrameEncoding, ReproducesTheFlightDataExample) {
    FlightDataValues v;
    v.flugZeitSek = 3725;
    v.aktivDistanz = 1234;
    v.sdtHoehe = 1520;
    v.qfeHoehe = 1310;
    v.loggerFixZaehler = 745;
    v.deltaV = -12;
    v.gleitPfadDifferenz = -150;
    v.varioMittelwert = 15;
    v.nettovario = -8;
    v.vario = 23;
    v.tas = 1105;
    v.groundspeed = 987;
    v.track = 2705;
    v.breiteRad = DegreesToDeviceRadians(48.123457);
    v.laengeRad = DegreesToDeviceRadians(-11.5);
    v.diffWinkel = -45;
    EXPECT_EQ(EncodeFlightDataFrame(v),
              Hex("24 41 2D 00 00 00 00 00 00 8D 0E D2 04 F0 05 1E 05 E9 02 F4 FF 6A FF 0F 00 "
                  "F8 FF 17 00 51 04 DB 03 91 0A 80 57 04 86 7E CD 87 AC D3 FF"));
}

TEST(FrameEncoding, ReproducesTheDeviceStatusExample) {
    DeviceStatusValues v;
    v.werknummer = "A1234";
    v.schalterstellung = 3;
    v.menu = 0x1F;
    v.mcPoti = 25;
    v.windPoti = -2;
    v.windKomponente = -35;
    v.windEmpfehlung = 120;
    v.windVektorBetrag = 87;
    v.windVektorBogenRad = DegreesToDeviceRadians(225.0);
    EXPECT_EQ(EncodeDeviceStatusFrame(v),
              Hex("24 41 19 00 02 41 31 32 33 34 00 03 1F 19 FE DD FF 78 00 57 00 82 7B 53 D1"));
}

TEST(FrameEncoding, PutsAtMostSixWerknummerBytesAndNoMore) {
    DeviceStatusValues v;
    v.werknummer = "ABCDEFGH";
    const Bytes frame = EncodeDeviceStatusFrame(v);
    EXPECT_EQ(Bytes(frame.begin() + 5, frame.begin() + 11), Hex("41 42 43 44 45 46"));
    EXPECT_EQ(frame[11], 0);  // the switch position, not the seventh letter
    EXPECT_EQ(frame.size(), 25U);
}

TEST(FrameEncoding, BuildsFramesOfOtherTypesAndSealsThem) {
    Bytes frame = EncodeGenericFrame(1, {0x99});
    EXPECT_EQ(frame, Hex("24 41 06 00 01 99"));
    SealFrame(frame);
    EXPECT_EQ(frame[kCheckByteOffset], 0x24 ^ 0x41 ^ 0x06 ^ 0x01 ^ 0x99);

    FlightDataValues values;
    values.flugZeitSek = 77;
    Bytes flight = EncodeFlightDataFrame(values);
    SealFrame(flight);
    std::uint8_t all = 0;
    for (const auto byte : flight) all = static_cast<std::uint8_t>(all ^ byte);
    EXPECT_EQ(all, 0);
    EXPECT_EQ(FrameCheckByte(flight), flight[kCheckByteOffset]);
}

}  // namespace
}  // namespace zr640::sim
