#include "telemetry/frame_assembler.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "hex_bytes.h"

namespace zr640 {
namespace {

using testing::HexBytes;

constexpr FrameProgress kMore = FrameProgress::Collecting;
constexpr FrameProgress kDone = FrameProgress::Complete;
constexpr FrameProgress kNoLength = FrameProgress::ZeroLength;

// Feeds the bytes after the dollar sign and returns the progress after each of them.
std::vector<FrameProgress> Feed(FrameAssembler& frame, const std::vector<std::uint8_t>& bytes) {
    std::vector<FrameProgress> steps;
    for (std::uint8_t byte : bytes) {
        steps.push_back(frame.Add(byte));
    }
    return steps;
}

std::size_t ZerosFrom(const FrameBytes& buffer, int index) {
    return static_cast<std::size_t>(std::count(buffer.begin() + index, buffer.end(), 0));
}

TEST(FrameAssembler, CollectsExactlyLengthBytesIntoAClearedBuffer) {
    FrameBytes buffer;
    buffer.fill(0xAA);
    FrameAssembler frame(buffer);
    EXPECT_EQ(frame.Expected(), 3);
    // 0xFF and a further dollar sign inside a frame are data like any other byte; what
    // follows the frame's end is not stored.
    EXPECT_EQ(Feed(frame, HexBytes("41 07 FF 24 01 99 55 66")),
              (std::vector{kMore, kMore, kMore, kMore, kMore, kDone, kDone, kDone}));
    EXPECT_EQ(frame.Received(), 7);
    EXPECT_EQ(frame.Expected(), 7);
    EXPECT_EQ(std::vector<std::uint8_t>(buffer.begin(), buffer.begin() + 7),
              HexBytes("24 41 07 FF 24 01 99"));
    EXPECT_EQ(ZerosFrom(buffer, 7), static_cast<std::size_t>(kFrameBufferSize - 7));
}

TEST(FrameAssembler, LongestFrameLeavesTheLastIndexZero) {
    FrameBytes buffer;
    buffer.fill(0xAA);
    FrameAssembler frame(buffer);
    frame.Add(0x41);
    frame.Add(0xFF);
    int added = 0;
    while (frame.Add(0xEE) == kMore) {
        ++added;
    }
    EXPECT_EQ(added + 1, 252);
    EXPECT_EQ(frame.Add(0x77), kDone);
    EXPECT_EQ(frame.Received(), 255);
    EXPECT_EQ(buffer[254], 0xEE);
    EXPECT_EQ(buffer[255], 0);
}

TEST(FrameAssembler, LengthsUpToThreeEndWithTheHeader) {
    for (std::uint8_t length : {std::uint8_t{1}, std::uint8_t{2}, std::uint8_t{3}}) {
        FrameBytes buffer;
        FrameAssembler frame(buffer);
        EXPECT_EQ(Feed(frame, {0x41, length, 0x99}), (std::vector{kMore, kDone, kDone}))
            << int{length};
        EXPECT_EQ(frame.Received(), 3);
        EXPECT_EQ(ZerosFrom(buffer, 3), static_cast<std::size_t>(kFrameBufferSize - 3));
    }
    FrameBytes buffer;
    FrameAssembler frame(buffer);
    EXPECT_EQ(Feed(frame, {0x41, 4, 0x99, 0x00}), (std::vector{kMore, kMore, kDone, kDone}));
}

TEST(FrameAssembler, LengthZeroStopsAfterTheHeaderAndStoresNoMore) {
    FrameBytes buffer;
    FrameAssembler frame(buffer);
    EXPECT_EQ(Feed(frame, HexBytes("41 00 37 02")), (std::vector{kMore, kNoLength, kNoLength,
                                                                 kNoLength}));
    EXPECT_EQ(frame.Received(), 3);
    EXPECT_EQ(ZerosFrom(buffer, 2), static_cast<std::size_t>(kFrameBufferSize - 2));
}

}  // namespace
}  // namespace zr640
