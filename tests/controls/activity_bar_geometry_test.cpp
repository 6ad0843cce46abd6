#include "controls/activity_bar_geometry.h"

#include <gtest/gtest.h>

// That the bar paints and animates at all is checked in the window tests
// (activity_bar_test.cpp); here that bars too small for a block stay safe.
namespace td {
namespace {

TEST(ActivityBarLayoutTest, TinyBarsNeverDivideByZero) {
    // Client areas of 0x0, 1x1, 3x3 and 4x5 in the classic look: the block
    // width comes out 0 or negative and no whole block fits.
    for (const BarRect client :
         {BarRect{0, 0, 0, 0}, BarRect{0, 0, 1, 1}, BarRect{0, 0, 3, 3}, BarRect{0, 0, 4, 5}}) {
        const BarRect area = ClassicBarArea(client);
        for (uint32_t p : {0U, 1U, 2U, 100U, 0xFFFFFFFFU}) {
            const ActivityBarFrame frame = LayoutActivityBar(area, ClassicChunkWidth(area), p, 5);
            EXPECT_GE(frame.chunkWidth, 1);
            EXPECT_EQ(frame.chunkCount, 0);
            EXPECT_EQ(frame.wrap, p != 0);
            for (const BarRect& b : frame.blocks) EXPECT_LE(b.width(), 1);
        }
    }
}

}  // namespace
}  // namespace td
