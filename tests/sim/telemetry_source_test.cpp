#include <gtest/gtest.h>

#include <cmath>
#include <set>
#include <sstream>

#include "flight_model.h"
#include "frame_file.h"
#include "telemetry_source.h"

namespace zr640::sim {
namespace {

int Le16(const Bytes& frame, int offset) { return frame[offset] | (frame[offset + 1] << 8); }

TEST(FlightModel, FliesAPlausibleCrossCountryFlight) {
    FlightModel flight("A1234");
    const double startLatitude = flight.LatitudeDegrees();
    const double startLongitude = flight.LongitudeDegrees();
    std::set<int> tracks;
    int lowest = 1 << 20;
    int highest = 0;
    for (int second = 0; second < 600; ++second) {
        flight.Advance(1.0);
        const FlightDataValues v = flight.FlightData();
        tracks.insert(v.track / 300);  // sectors of 30 degrees
        lowest = std::min<int>(lowest, v.qfeHoehe);
        highest = std::max<int>(highest, v.qfeHoehe);
        ASSERT_GE(v.track, 0);
        ASSERT_LT(v.track, 3600);
        ASSERT_GT(v.tas, 800);   // above 80 km/h
        ASSERT_LT(v.tas, 1600);  // below 160 km/h
        ASSERT_GE(v.vario, -50);
        ASSERT_LE(v.vario, 50);
    }
    // It has moved on (600 s at up to 150 km/h) and circled (tracks all round).
    const double northKm = (flight.LatitudeDegrees() - startLatitude) * 111.2;
    const double eastKm = (flight.LongitudeDegrees() - startLongitude) * 111.2 *
                          std::cos(startLatitude * 3.14159265 / 180.0);
    EXPECT_GT(std::hypot(northKm, eastKm), 5.0);
    EXPECT_LT(std::hypot(northKm, eastKm), 30.0);
    EXPECT_EQ(tracks.size(), 12U);
    EXPECT_GT(highest - lowest, 100);  // it climbed and sank
    EXPECT_EQ(flight.FlightData().flugZeitSek, 1800 + 600);
    EXPECT_GT(flight.FlightData().aktivDistanz, 500);  // tens of metres: over 5 km
}

TEST(FlightModel, GivesTheSameRecordsForTheSameSteps) {
    FlightModel a("A1234");
    FlightModel b("A1234");
    a.Advance(37.5);
    b.Advance(12.5);
    b.Advance(25.0);
    EXPECT_EQ(EncodeFlightDataFrame(a.FlightData()), EncodeFlightDataFrame(b.FlightData()));
    EXPECT_EQ(EncodeDeviceStatusFrame(a.DeviceStatus()), EncodeDeviceStatusFrame(b.DeviceStatus()));
    EXPECT_EQ(a.DeviceStatus().werknummer, "A1234");
}

TEST(TelemetrySource, InterleavesStatusAndOtherFramesWithFlightData) {
    TelemetrySource source("XY9", {});
    std::string types;
    for (int i = 0; i < 20; ++i) {
        const auto burst = source.Next(0.5);
        ASSERT_TRUE(burst);
        EXPECT_EQ(burst->frameNumber, i + 1);
        const Bytes& frame = burst->bytes;
        ASSERT_GE(frame.size(), 6U);
        EXPECT_EQ(frame[0], '$');
        EXPECT_EQ(frame[2], frame.size());
        EXPECT_EQ(FrameCheckByte(frame), frame[kCheckByteOffset]);
        types += static_cast<char>('0' + frame[4]);
    }
    EXPECT_EQ(types, "00020002010200020001");
}

TEST(TelemetrySource, MovesTheFlightOnByTheElapsedTime) {
    TelemetrySource source("A1234", {});
    const Bytes first = source.Next(0.0)->bytes;
    const Bytes second = source.Next(7.0)->bytes;
    EXPECT_EQ(Le16(first, 9), 1800);
    EXPECT_EQ(Le16(second, 9), 1807);
    EXPECT_NE(Bytes(first.begin() + 35, first.begin() + 43),
              Bytes(second.begin() + 35, second.begin() + 43));
}

TEST(TelemetrySource, DamagesFramesOnDemand) {
    TelemetrySource source("A1234", {.garbage = false, .cutFrameEvery = 3, .zeroLengthEvery = 2});
    const auto one = source.Next(1.0);
    const auto two = source.Next(1.0);
    const auto three = source.Next(1.0);
    EXPECT_EQ(one->bytes.size(), 45U);
    EXPECT_EQ(one->bytes[2], 45);
    EXPECT_EQ(two->bytes.size(), 45U);
    EXPECT_EQ(two->bytes[2], 0);
    EXPECT_EQ(two->description, "type 0 with Length 0");
    EXPECT_EQ(three->bytes.size(), 22U);
    EXPECT_EQ(three->bytes[2], 45);  // it announces what never comes
    EXPECT_EQ(three->description, "type 0 cut to 22 bytes");
    EXPECT_EQ(source.Next(1.0)->bytes[2], 0);  // frame 4 is type 2, also Length 0
}

TEST(TelemetrySource, PutsGarbageWithoutDollarSignsBetweenFrames) {
    TelemetrySource source("A1234", {.garbage = true});
    std::size_t garbageBytes = 0;
    for (int i = 0; i < 200; ++i) {
        const Bytes bytes = source.Next(0.1)->bytes;
        const std::size_t frameLength = bytes[2];
        ASSERT_GT(bytes.size(), frameLength);
        ASSERT_LE(bytes.size(), frameLength + 7);
        for (std::size_t k = frameLength; k < bytes.size(); ++k) {
            ASSERT_NE(bytes[k], '$') << "burst " << i;
        }
        garbageBytes += bytes.size() - frameLength;
    }
    EXPECT_GT(garbageBytes, 400U);  // 1 to 7 a frame, about 4 on average
}

TEST(TelemetrySource, ReplaysFramesInALoopOrOnce) {
    const std::vector<Bytes> frames = {{0x24, 0x41, 0x06, 0x37, 0x01, 0x99}, {0x24, 0x42, 0x03}};
    TelemetrySource loop(frames, true, {});
    TelemetrySource once(frames, false, {});
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(loop.Next(1.0)->bytes, frames[i % 2]);
    }
    EXPECT_EQ(once.Next(1.0)->bytes, frames[0]);
    EXPECT_EQ(once.Next(1.0)->description, "header only");
    EXPECT_FALSE(once.Next(1.0));
}

TEST(FrameFile, ReadsHexLinesWithCommentsAndBlankLines) {
    std::istringstream in(
        "# frames captured on the bench\n"
        "24 41 06 37 01 99   # type 1\r\n"
        "\n"
        "   \t\n"
        "2441060001aA\n");
    const FrameFile file = ParseFrameFile(in);
    ASSERT_EQ(file.error, "");
    ASSERT_EQ(file.frames.size(), 2U);
    EXPECT_EQ(file.frames[0], (Bytes{0x24, 0x41, 0x06, 0x37, 0x01, 0x99}));
    EXPECT_EQ(file.frames[1], (Bytes{0x24, 0x41, 0x06, 0x00, 0x01, 0xAA}));
}

TEST(FrameFile, NamesTheLineOfBadInput) {
    std::istringstream odd("24 41\n24 4\n");
    EXPECT_EQ(ParseFrameFile(odd).error, "line 2: not a pair of hexadecimal digits at column 4");
    std::istringstream letters("24 4G\n");
    EXPECT_EQ(ParseFrameFile(letters).error,
              "line 1: not a pair of hexadecimal digits at column 4");
    std::istringstream empty("# nothing\n\n");
    EXPECT_EQ(ParseFrameFile(empty).error, "no frame in the file");
    std::istringstream huge(std::string(256 * 2, 'A') + "\n");
    EXPECT_EQ(ParseFrameFile(huge).error, "line 1: a frame holds at most 255 bytes");
    EXPECT_EQ(LoadFrameFile("/nonexistent/frames.hex").error, "cannot be opened");
}

}  // namespace
}  // namespace zr640::sim
