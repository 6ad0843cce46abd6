#include "window/window_layout.h"

#include <gtest/gtest.h>

#include <utility>

#include "settings/lang_table.h"
#include "tags/song_record.h"
#include "window/caption.h"
#include "window/row_image.h"

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

// The window tests place the real list, tree, bar and status bar and drag
// the bar to its right limit; here the state the layout keeps between calls
// and the limits they do not reach.
TEST(WindowLayout, TheFirstQuarterIsKeptOnceTakenAndOnlyTheFirstExplorerTakesIt) {
    WindowLayout layout;
    layout.layout(input(803, 600, false));
    EXPECT_TRUE(layout.firstLayout());  // the list alone takes no quarter yet
    LayoutResult r = layout.layout(input(803, 600, true));
    EXPECT_EQ(layout.explorerWidth(), 200);  // 803 * 25 / 100
    EXPECT_FALSE(layout.firstLayout());
    EXPECT_EQ(r.splitter, (LayoutRect{200, 96, 4, 484}));
    EXPECT_EQ(r.limits.highest, 803 - 100 - 4);
    // Hiding and showing again, wider, does not recompute the quarter.
    layout.layout(input(1000, 600, false));
    r = layout.layout(input(1000, 600, true));
    EXPECT_EQ(r.tree.width, 200);
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

// The window tests see the images of a list; here what outranks what.
TEST(WindowCells, ThePlayingRowShowsItsImageBeforeAMissingFileOrADuplicateMark) {
    SongRecord song("gone.mp3", false);
    RowImageState state;
    state.duplicates = true;
    state.missing = true;
    EXPECT_EQ(rowImage(&song, state), kRowImageMissing);
    state.playing = true;
    EXPECT_EQ(rowImage(&song, state), kRowImagePlaying);
    // An entry with tags shows the duplicate mark before the kind of tags it
    // holds (the window tests see a missing file and a single tag's image).
    SongRecord tagged("here.mp3", false);
    tagged.SetTagFlags(kTagId3v1 | kTagId3v2);
    const RowImageState plain;
    RowImageState duplicates;
    duplicates.duplicates = true;
    EXPECT_EQ(rowImage(&tagged, duplicates), kRowImageDuplicate);
    EXPECT_EQ(rowImage(&tagged, plain), kRowImageBothTags);
}

// The playing row, then a selected row, then the rows in alternating colours.
TEST(WindowCells, RowColorsComeFromTheThemeByTheRowsState) {
    // text 1, background 2, alternate 3, selected 4 on 5, playing 6 on 7
    const ColorTheme theme{"", 1, 2, 3, 4, 5, 6, 7};
    const auto cell = [colors = listColorsOf(theme)](int row, bool selected, int playing) {
        const CellColors c = rowColors(colors, row, selected, playing);
        return std::make_pair(c.text, c.background);
    };
    EXPECT_EQ(cell(4, true, 4), std::make_pair(6u, 7u));
    EXPECT_EQ(cell(5, true, 4), std::make_pair(4u, 5u));
    EXPECT_EQ(cell(6, false, 4), std::make_pair(1u, 2u));
    EXPECT_EQ(cell(7, false, 4), std::make_pair(1u, 3u));
    EXPECT_EQ(cell(-1, false, -1), std::make_pair(1u, 3u));  // no row: never the playing one
    // Controls stretched to the window's right edge keep its margin, down to nothing.
    EXPECT_EQ(stretchedWidth(100, 500), 500 - kPanelRightMargin - 100);
    EXPECT_EQ(stretchedWidth(100, 50), 0);
}

}  // namespace
}  // namespace td
