#include "controls/activity_bar_geometry.h"

#include <gtest/gtest.h>

#include <vector>

// That the bar paints and animates at all is checked in the window tests
// (activity_bar_test.cpp); where its blocks stand is checked here.
namespace td {
namespace {

TEST(ActivityBarLayoutTest, TailFollowsTheHeadWhichIsCutAtTheRightEdgeAndLeavesTheBar) {
    const BarRect area{2, 2, 198, 18};
    // Position 51: 16 * 50 / 100 = 8, head at 2 + 14 * 8 = 114, the four
    // blocks of the tail 14 pixels apart to its left.
    const ActivityBarFrame frame = LayoutActivityBar(area, 12, 51, 5);
    EXPECT_EQ(frame.headLeft, 114);
    ASSERT_EQ(frame.blocks.size(), 5U);
    EXPECT_EQ(frame.blocks[0], (BarRect{114, 2, 126, 18}));
    EXPECT_EQ(frame.blocks[4], (BarRect{58, 2, 70, 18}));
    EXPECT_FALSE(frame.wrap);
    // Position 95: 16 * 94 / 100 = 15, head at 2 + 14 * 15 = 212: beyond the
    // edge, so the head is not drawn but the block behind it (198) is, with
    // no width left.
    const ActivityBarFrame gone = LayoutActivityBar(area, 12, 95, 5);
    EXPECT_EQ(gone.headLeft, 212);
    ASSERT_FALSE(gone.blocks.empty());
    EXPECT_EQ(gone.blocks[0].left, 198);
    EXPECT_EQ(gone.blocks[0].right, 198);
    // A bar whose width is no multiple of the block step cuts the head.
    const BarRect odd{0, 0, 20, 10};                                // w 6, n 3
    const ActivityBarFrame cut = LayoutActivityBar(odd, 6, 68, 1);  // 3 * 67 / 100 = 2
    EXPECT_EQ(cut.headLeft, 16);
    ASSERT_EQ(cut.blocks.size(), 1U);
    EXPECT_EQ(cut.blocks[0], (BarRect{16, 0, 20, 10}));
}

// The position after which the frame asks to wrap, found by stepping.
uint32_t WrapPosition(const BarRect& area, int w, uint32_t blocks) {
    for (uint32_t p = 1; p < 1000000; ++p) {
        if (LayoutActivityBar(area, w, p, blocks).wrap) return p;
    }
    return 0;
}

TEST(ActivityBarLayoutTest, WrapsOnceTheHeadIsFarBeyondTheRightEdge) {
    const BarRect area{2, 2, 198, 18};
    // Wrap once x0 > 198 + 14 * (3 * 5 + 10) = 548: 2 + 14 * q > 548 for
    // q = 40 = 16 * (p - 1) / 100, first reached at p = 251.
    EXPECT_EQ(WrapPosition(area, 12, 5), 251U);
    const ActivityBarFrame last = LayoutActivityBar(area, 12, 250, 5);
    EXPECT_FALSE(last.wrap);
    EXPECT_TRUE(last.blocks.empty());
    // Every position before the wrap keeps all drawn blocks inside the area.
    for (uint32_t p = 1; p < 251; ++p) {
        for (const BarRect& b : LayoutActivityBar(area, 12, p, 5).blocks) {
            ASSERT_GE(b.left, area.left) << p;
            ASSERT_LE(b.right, area.right) << p;
        }
    }
}

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

TEST(ActivityBarLayoutTest, HugeBarsAndPositionsStayInRange) {
    const BarRect area{2, 2, 2000000, 18};
    const ActivityBarFrame mid = LayoutActivityBar(area, ClassicChunkWidth(area), 51, 20);
    EXPECT_GT(mid.headLeft, area.left);
    EXPECT_LT(mid.headLeft, area.right);
    // A position that was never reset wraps rather than overflowing.
    const ActivityBarFrame late = LayoutActivityBar(BarRect{0, 0, 2000000, 4}, 1, 0xFFFFFFFFU, 20);
    EXPECT_TRUE(late.wrap);
    EXPECT_TRUE(late.blocks.empty());
}

}  // namespace
}  // namespace td
