#include "window/window_layout.h"

#include <gtest/gtest.h>

namespace td {
namespace {

LayoutInput input(int w, int h, bool explorer) {
    LayoutInput in;
    in.clientWidth = w; in.clientHeight = h; in.searchEditHeight = 21; in.statusHeight = 20;
    in.explorerShown = explorer;
    return in;
}

TEST(WindowLayout, ListAloneFillsTheWidthBetweenPanelAndStatusBar) {
    WindowLayout layout;
    LayoutResult r = layout.layout(input(800, 600, false));
    EXPECT_FALSE(r.explorer);
    EXPECT_EQ(r.list, (LayoutRect{0, 96, 800, 600 - 96 - 20}));
    EXPECT_EQ(r.status, (LayoutRect{0, 580, 800, 20}));
    // Not shown yet: the first explorer layout is still to come.
    EXPECT_TRUE(layout.firstLayout());
}

TEST(WindowLayout, FirstExplorerLayoutTakesAQuarterThenKeepsTheWidth) {
    WindowLayout layout;
    LayoutResult r = layout.layout(input(803, 600, true));
    EXPECT_EQ(layout.explorerWidth(), 200);  // 803 * 25 / 100
    EXPECT_FALSE(layout.firstLayout());
    EXPECT_EQ(r.tree, (LayoutRect{0, 96, 200, 484}));
    EXPECT_EQ(r.splitter, (LayoutRect{200, 96, 4, 484}));
    EXPECT_EQ(r.list, (LayoutRect{204, 96, 599, 484}));
    EXPECT_EQ(r.limits.highest, 803 - 100 - 4);

    // A wider window keeps the tree's width.
    r = layout.layout(input(1000, 600, true));
    EXPECT_EQ(r.tree.width, 200);
    EXPECT_EQ(r.list.right(), 1000);

    // Hiding and showing again does not recompute the quarter.
    layout.layout(input(1000, 600, false));
    r = layout.layout(input(1000, 600, true));
    EXPECT_EQ(r.tree.width, 200);
}

TEST(WindowLayout, TinyWindowGivesNoNegativeSizes) {
    WindowLayout layout;
    layout.setFirstLayout(false);
    layout.setExplorerWidth(300);
    LayoutResult r = layout.layout(input(100, 50, true));
    EXPECT_EQ(r.tree.height, 0);
    EXPECT_EQ(r.list.width, 0);
    EXPECT_EQ(r.list.height, 0);
    EXPECT_LE(r.limits.lowest, r.limits.highest);
    layout.setExplorerWidth(-5);
    EXPECT_EQ(layout.explorerWidth(), 0);
}

TEST(WindowLayoutSplitter, DragIsClampedToListRightMinus100AndTreeLeftPlus4) {
    WindowLayout layout;
    layout.layout(input(800, 600, true));  // tree 200, list 204..800
    EXPECT_FALSE(layout.beginDrag(100, 300));  // over the tree
    ASSERT_TRUE(layout.beginDrag(201, 300));
    EXPECT_TRUE(layout.dragging());

    // The pointer's x is the bar's centre.
    LayoutRect bar = layout.moveDrag(352, 800);
    EXPECT_EQ(bar.left, 350);
    EXPECT_EQ(bar.width, 4);

    // Past the list's right edge - 100: the bar's right edge stops there.
    bar = layout.moveDrag(790, 800);
    EXPECT_EQ(bar.right(), 800 - 100);
    // Left of the tree: the bar starts at tree left + 4.
    bar = layout.moveDrag(-300, 800);
    EXPECT_EQ(bar.left, 4);

    layout.moveDrag(502, 800);
    EXPECT_EQ(layout.endDrag(), 500);
    EXPECT_FALSE(layout.dragging());
    LayoutResult r = layout.layout(input(800, 600, true));
    EXPECT_EQ(r.list.left, 504);
    // Moving without a drag changes nothing.
    const int before = layout.dragBar().left;
    EXPECT_EQ(layout.moveDrag(100, 800).left, before);
    EXPECT_EQ(layout.explorerWidth(), 500);
}

TEST(WindowListColors, ThemeZeroFollowsTheSystemColoursWithThePlayingRowInverted) {
    Settings settings;
    SystemColors sys{0x000011, 0xEEEEEE, 0x222222, 0x333333};
    settings.refreshSystemTheme(sys);
    settings.themeIndex = 0;
    ListColors c = listColorsOf(settings.currentTheme());
    EXPECT_EQ(c.alternateBackground, 0xEEEEEEu);
    EXPECT_EQ(c.selectedBackground, 0x333333u);
    EXPECT_EQ(c.playingText, 0xEEEEEEu);
    EXPECT_EQ(c.playingBackground, 0x000011u);
}

TEST(WindowCells, RatingImagesAreFilledThenEmptyAndCentred) {
    RatingImage img[kRatingImageCount];
    ratingImages(LayoutRect{100, 40, 120, 20}, 3, 16, 16, img);
    for (int i = 0; i < kRatingImageCount; ++i) {
        EXPECT_EQ(img[i].image, i < 3 ? 0 : 1) << i;
        EXPECT_EQ(img[i].x, 101 + 16 * i);
        EXPECT_EQ(img[i].y, 42);
    }
    ratingImages(LayoutRect{0, 0, 80, 16}, 7, 16, 16, img);
    for (const RatingImage& one : img) EXPECT_EQ(one.image, 1);
    ratingImages(LayoutRect{0, 0, 80, 16}, 5, 16, 16, img);
    for (const RatingImage& one : img) EXPECT_EQ(one.image, 0);
}

}  // namespace
}  // namespace td
