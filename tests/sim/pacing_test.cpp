#include <gtest/gtest.h>

#include "output_queue.h"
#include "pacing.h"

namespace zr640::sim {
namespace {

constexpr TimeNs kMs = kNsPerMs;

TEST(LineClock, DeliversBytesNoFasterThanTenBitsEach) {
    LineClock line(4800);  // 2.0833 ms a byte
    line.StartBurst(1000 * kMs);
    EXPECT_EQ(line.Deliverable(1000 * kMs), 0U);
    EXPECT_EQ(line.NextDelivery(), 1000 * kMs + 2'083'334);
    EXPECT_EQ(line.Deliverable(1000 * kMs + 2'083'333), 0U);
    EXPECT_EQ(line.Deliverable(1000 * kMs + 2'083'334), 1U);
    // 48 bytes take exactly 100 ms; no rounding piles up.
    EXPECT_EQ(line.Deliverable(1100 * kMs), 48U);
    line.Delivered(48);
    EXPECT_EQ(line.FreeAt(), 1100 * kMs);
    EXPECT_EQ(line.Deliverable(1100 * kMs), 0U);
    // A new burst waits for the line to be free ...
    line.StartBurst(1050 * kMs);
    EXPECT_EQ(line.Deliverable(1102 * kMs), 0U);
    EXPECT_EQ(line.Deliverable(1103 * kMs), 1U);
    // ... but an idle line starts at once.
    line.StartBurst(5000 * kMs);
    EXPECT_EQ(line.Deliverable(5010 * kMs), 4U);
}

TEST(LineClock, UnpacedLineCarriesEverythingAtOnce) {
    LineClock line(0);
    line.StartBurst(7);
    EXPECT_FALSE(line.Paced());
    EXPECT_GE(line.Deliverable(7), 1U << 30);
}

TEST(OutputQueue, SendsUnitsWholeAndInOrder) {
    OutputQueue queue(9600);  // 1.0417 ms a byte
    queue.Push("$KTWPA,1*44\r\n", UnitKind::Reply, 0);
    queue.Push("ABC", UnitKind::Telemetry, 0);
    EXPECT_EQ(queue.Ready(5 * kMs), "$KTW");  // 4.8 byte times
    queue.Written(4);
    EXPECT_EQ(queue.Ready(5 * kMs), "");
    // Ready never reaches past the front unit, even when more time has passed.
    EXPECT_EQ(queue.Ready(100 * kMs), "PA,1*44\r\n");
    queue.Written(1);
    queue.Written(8);
    EXPECT_EQ(queue.Ready(100 * kMs), "ABC");
    queue.Written(3);
    EXPECT_TRUE(queue.Empty());
    EXPECT_FALSE(queue.NextReady());
}

TEST(OutputQueue, DropsTelemetryTheToolTalksOverButNeverAReply) {
    OutputQueue queue(0);
    queue.Push("frame-one", UnitKind::Telemetry, 0);
    queue.Written(3);
    queue.Push("$KTWPO,Update,0*2C\r\n", UnitKind::Reply, 0);
    queue.Push("frame-two", UnitKind::Telemetry, 0);
    EXPECT_TRUE(queue.DropTelemetry());
    EXPECT_EQ(queue.Ready(0), "$KTWPO,Update,0*2C\r\n");
    queue.Written(4);
    EXPECT_FALSE(queue.DropTelemetry());
    EXPECT_EQ(queue.Ready(0), "PO,Update,0*2C\r\n");
}

TEST(OutputQueue, RestartsThePaceAfterTheLineStalled) {
    OutputQueue queue(1000);  // 10 ms a byte
    queue.Push("abcdef", UnitKind::Reply, 0);
    EXPECT_EQ(queue.Ready(20 * kMs), "ab");
    queue.Written(2);
    // The tool did not read for a second: the rest does not come out in a burst.
    queue.Resume(1000 * kMs);
    EXPECT_EQ(queue.Ready(1000 * kMs), "");
    EXPECT_EQ(*queue.NextReady(), 1010 * kMs);
    EXPECT_EQ(queue.Ready(1030 * kMs), "cde");
}

}  // namespace
}  // namespace zr640::sim
