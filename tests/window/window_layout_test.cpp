#include "window/window_layout.h"

#include <gtest/gtest.h>

#include <utility>

#include "settings/lang_table.h"
#include "window/caption.h"

namespace td {
namespace {

LayoutInput input(int w, int h, bool explorer) {
    LayoutInput in;
    in.clientWidth = w;
    in.clientHeight = h;
    in.searchEditHeight = 21;
    in.statusHeight = 20;
    in.explorerShown = explorer;
    return in;
}

TEST(WindowLayoutSplitter, DragStopsAtTreeLeftPlus4AndNeedsAPressOnTheBar) {
    WindowLayout layout;
    layout.layout(input(800, 600, true));      // tree 200, list 204..800
    EXPECT_FALSE(layout.beginDrag(100, 300));  // over the tree
    ASSERT_TRUE(layout.beginDrag(201, 300));
    EXPECT_TRUE(layout.dragging());
    EXPECT_EQ(layout.moveDrag(-300, 800).left, 4);
    layout.moveDrag(502, 800);  // the pointer's x is the bar's centre
    EXPECT_EQ(layout.endDrag(), 500);
    EXPECT_FALSE(layout.dragging());
    EXPECT_EQ(layout.layout(input(800, 600, true)).list.left, 504);
    // Moving without a drag changes nothing.
    const int before = layout.dragBar().left;
    EXPECT_EQ(layout.moveDrag(100, 800).left, before);
    EXPECT_EQ(layout.explorerWidth(), 500);
}

TEST(WindowCells, OnlyWhiteSpaceIsABlankCell) {
    EXPECT_TRUE(isBlankCellText(" \t\r\n\v\f"));
    EXPECT_FALSE(isBlankCellText("\n x"));
}

TEST(WindowCaption, NamesTheFilterOfEachCategory) {
    LangTable::useBuiltinEnglish();
    const std::pair<uint32_t, const char*> filters[] = {{1, "Genre"},   {2, "Artist"}, {4, "Album"},  {8, "Comment"},
                                                        {16, "ID3Tag"}, {32, "Mode"},  {64, "Rating"}};
    for (const auto& [mask, name] : filters) {
        EXPECT_NE(captionText(mask).find(name), std::string::npos) << captionText(mask);
    }
    // A loaded playlist file is named by its file name; two categories at once name none.
    EXPECT_EQ(captionText(1, "lists/mine.m3u"), "Tunedeck - mine.m3u (Genre)");
    EXPECT_EQ(captionText(3, "lists/mine.m3u"), "Tunedeck - mine.m3u");
}

TEST(WindowCells, RatingImagesAreFilledThenEmptyAndCentred) {
    RatingImage img[kRatingImageCount];
    ratingImages(LayoutRect{100, 40, 120, 20}, 3, 16, 16, img);
    for (int i = 0; i < kRatingImageCount; ++i) {
        EXPECT_EQ(img[i].image, i < 3 ? 0 : 1) << i;
        EXPECT_EQ(img[i].x, 101 + 16 * i);
        EXPECT_EQ(img[i].y, 42);
    }
    ratingImages(LayoutRect{0, 0, 80, 16}, kRatingImageCount + 1, 16, 16, img);  // out of range: none
    for (const RatingImage& one : img) EXPECT_EQ(one.image, 1);
    ratingImages(LayoutRect{0, 0, 80, 16}, 5, 16, 16, img);
    for (const RatingImage& one : img) EXPECT_EQ(one.image, 0);
}

}  // namespace
}  // namespace td
