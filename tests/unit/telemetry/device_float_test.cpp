#include "telemetry/device_float.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <string>

#include "hex_bytes.h"
#include "telemetry/angle_format.h"
#include "telemetry/number_text.h"

namespace zr640 {
namespace {

using testing::HexBytes;

float Decode(const char* hex) {
    return DeviceFloat(HexBytes(hex).data());
}

TEST(DeviceFloat, DecodesTheReferenceTable) {
    EXPECT_EQ(Decode("81 00 00 00"), 1.0f);
    EXPECT_EQ(Decode("82 C0 00 00"), -3.0f);
    EXPECT_EQ(Decode("7D 4C CC CD"), 0.1f);
    EXPECT_EQ(Decode("80 49 0F DB"), std::numbers::pi_v<float> / 4);
    EXPECT_EQ(Decode("00 80 01 02"), 0.0f);
    EXPECT_EQ(Decode("02 7F FF FF"), 0.0f);
}

TEST(DeviceFloat, QuarterPiIsFortyFiveDegreesAndAMillionth) {
    std::string text;
    AppendFixed(text, RadiansToDegrees(Decode("80 49 0F DB")), 6);
    EXPECT_EQ(text, "45.000001");
}

TEST(DeviceFloat, ExponentsBelowThreeArePositiveZeroWhateverTheOtherBytes) {
    for (const char* hex : {"00 FF FF FF", "01 80 00 00", "02 80 00 01", "02 FF FF FF"}) {
        const float value = Decode(hex);
        EXPECT_EQ(value, 0.0f) << hex;
        EXPECT_FALSE(std::signbit(value)) << hex;
    }
}

// The value as the instrument defines it, by arithmetic rather than by bit layout.
double ByFormula(int exponent, bool negative, std::uint32_t fraction) {
    const double magnitude = std::ldexp(1.0 + fraction / 8388608.0, exponent - 129);
    return negative ? -magnitude : magnitude;
}

TEST(DeviceFloat, EveryExponentFromThreeUpFollowsTheFormula) {
    const std::uint32_t fractions[] = {0, 1, 0x400000, 0x7FFFFF, 0x123456};
    for (int exponent = 3; exponent <= 255; ++exponent) {
        for (std::uint32_t fraction : fractions) {
            for (bool negative : {false, true}) {
                const std::uint8_t bytes[4] = {
                    static_cast<std::uint8_t>(exponent),
                    static_cast<std::uint8_t>((negative ? 0x80 : 0) | (fraction >> 16)),
                    static_cast<std::uint8_t>(fraction >> 8),
                    static_cast<std::uint8_t>(fraction)};
                const float value = DeviceFloat(bytes);
                ASSERT_TRUE(std::isfinite(value)) << exponent;
                ASSERT_EQ(static_cast<double>(value), ByFormula(exponent, negative, fraction))
                    << "exponent " << exponent << " fraction " << fraction;
            }
        }
    }
}

}  // namespace
}  // namespace zr640
