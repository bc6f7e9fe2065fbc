// The simulator's frames through the tool's own decoders: what the instrument says is what
// the log shows.
#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "flight_model.h"
#include "frame_encoder.h"
#include "telemetry/device_float.h"
#include "telemetry/records.h"
#include "protocol/telemetry_frame.h"

namespace zr640::sim {
namespace {

FrameBytes InBuffer(const Bytes& frame) {
    FrameBytes buffer{};
    std::memcpy(buffer.data(), frame.data(), frame.size());
    return buffer;
}

TEST(RoundTrip, DeviceFloatsComeBackBitForBit) {
    // Every exponent the instrument can carry, with a spread of fractions and both signs.
    for (int exponent = 1; exponent <= 253; ++exponent) {
        for (const std::uint32_t fraction : {0U, 1U, 0x400000U, 0x7FFFFFU, 0x123457U}) {
            for (const std::uint32_t sign : {0U, 0x80000000U}) {
                const float value = std::bit_cast<float>(sign | (exponent << 23) | fraction);
                const auto bytes = EncodeDeviceFloat(value);
                ASSERT_EQ(std::bit_cast<std::uint32_t>(DeviceFloat(bytes.data())),
                          std::bit_cast<std::uint32_t>(value))
                    << exponent << " " << fraction;
            }
        }
    }
    EXPECT_EQ(DeviceFloat(EncodeDeviceFloat(0.0F).data()), 0.0F);
}

TEST(RoundTrip, TheToolReadsTheFlightAsTheSimulatorFliesIt) {
    FlightModel flight("A1234");
    for (int frame = 1; frame <= 300; ++frame) {
        flight.Advance(1.7);
        const FlightDataValues v = flight.FlightData();
        Bytes bytes = EncodeFlightDataFrame(v);
        SealFrame(bytes);
        const std::string line = FormatFlightDataRecord(InBuffer(bytes).data(), frame);

        int counter = 0, type = 0, time = 0, sdt = 0, qfe = 0, fixes = 0, deltaV = 0, glide = 0;
        int diff = 0;
        double distance = 0, mean = 0, netto = 0, vario = 0, tas = 0, ground = 0, track = 0;
        double latitude = 0, longitude = 0;
        char north = 0, east = 0;
        const int items = std::sscanf(
            line.c_str(),
            "Reading %d Satznr %d FlugZeitSek:%d AktivDistanz:%lf SDTHoehe:%d QFEHoehe:%d "
            "LoggerFixZaehler:%d DeltaV:%d GleitPfadDifferenz:%d VarioMittelwert:%lf "
            "Nettovario:%lf Vario:%lf TAS:%lf Groundspeed:%lf Track:%lf Breite: %lf %*s %c "
            "Laenge: %lf %*s %c DiffWinkel:%d",
            &counter, &type, &time, &distance, &sdt, &qfe, &fixes, &deltaV, &glide, &mean, &netto,
            &vario, &tas, &ground, &track, &latitude, &north, &longitude, &east, &diff);
        ASSERT_EQ(items, 20) << line;
        EXPECT_EQ(counter, frame);
        EXPECT_EQ(type, 0);
        EXPECT_EQ(time, v.flugZeitSek);
        EXPECT_DOUBLE_EQ(distance, v.aktivDistanz * 10.0);
        EXPECT_EQ(sdt, v.sdtHoehe);
        EXPECT_EQ(qfe, v.qfeHoehe);
        EXPECT_EQ(fixes, v.loggerFixZaehler);
        EXPECT_EQ(deltaV, v.deltaV);
        EXPECT_EQ(glide, v.gleitPfadDifferenz);
        EXPECT_NEAR(mean, v.varioMittelwert / 10.0, 0.005);
        EXPECT_NEAR(netto, v.nettovario / 10.0, 0.005);
        EXPECT_NEAR(vario, v.vario / 10.0, 0.005);
        EXPECT_NEAR(tas, v.tas / 10.0, 0.005);
        EXPECT_NEAR(ground, v.groundspeed / 10.0, 0.005);
        EXPECT_NEAR(track, v.track / 10.0, 0.005);
        EXPECT_NEAR(latitude, flight.LatitudeDegrees(), 1e-5);
        EXPECT_NEAR(longitude, flight.LongitudeDegrees(), 1e-5);
        EXPECT_EQ(north, 'N');
        EXPECT_EQ(east, 'E');
        EXPECT_EQ(diff, v.diffWinkel);
    }
}

TEST(RoundTrip, TheToolReadsTheDeviceStatus) {
    FlightModel flight("Z9-\xE4");
    flight.Advance(95.0);  // circling
    Bytes bytes = EncodeDeviceStatusFrame(flight.DeviceStatus());
    SealFrame(bytes);
    const std::string line = FormatDeviceStatusRecord(InBuffer(bytes).data(), 4);
    const std::string expectedStart =
        "Reading     4 Satznr 2 Werknummer:Z9-\xE4 Schalterstellung:1 Menu:1f MCPoti:20 "
        "WindPoti:-2 WindKomponente:";
    EXPECT_EQ(line.substr(0, expectedStart.size()), expectedStart) << line;
    EXPECT_NE(line.find(" WindEmpfehlung:12.00 WindVektorBetrag:18.00 WindVektorBogen:225.00\n"),
              std::string::npos)
        << line;
}

}  // namespace
}  // namespace zr640::sim
