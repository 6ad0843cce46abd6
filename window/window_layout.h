// Geometry and colours of the playlist window, without any window system:
// where the tree, the splitter bar, the list and the status bar go for a
// client size, the splitter's limits and drag, the colours of a list row and
// the rating images of a cell. The Win32 window applies what this computes.
#pragma once

#include <cstdint>

#include "settings/settings.h"

namespace td {

struct LayoutRect {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;

    int right() const { return left + width; }
    int bottom() const { return top + height; }
    bool contains(int x, int y) const { return x >= left && x < right() && y >= top && y < bottom(); }
    bool operator==(const LayoutRect& o) const {
        return left == o.left && top == o.top && width == o.width && height == o.height;
    }
    bool operator!=(const LayoutRect& o) const { return !(*this == o); }
};

// Right edges of the five status bar parts; -1 reaches the right edge.
constexpr int kStatusPartEdges[5] = {110, 153, 260, 545, -1};
constexpr int kSplitterBarWidth = 4;
// The bar starts at least this far right of the tree's left edge ...
constexpr int kSplitterTreeMargin = 4;
// ... and its right edge stays this far left of the list's right edge.
constexpr int kSplitterListMargin = 100;
// The player panel's stretched controls end this far from the right edge.
constexpr int kPanelRightMargin = 4;
// Space above the list beside the search edit's own height.
constexpr int kListTopExtra = 75;

struct LayoutInput {
    int clientWidth = 0;
    int clientHeight = 0;
    int searchEditHeight = 0;
    int statusHeight = 0;
    bool explorerShown = false;
};

// Allowed left edges of the splitter bar.
struct SplitterLimits {
    int lowest = 0;
    int highest = 0;
};

struct LayoutResult {
    bool explorer = false;
    LayoutRect tree;      // empty without the explorer
    LayoutRect splitter;  // empty without the explorer
    LayoutRect list;
    LayoutRect status;
    SplitterLimits limits;
};

// The tree pane's width and the splitter's drag, kept between layouts.
class WindowLayout {
public:
    // Lays out for `in`. With the explorer shown for the first time the tree
    // takes a quarter of the client width; afterwards the kept width. Sizes
    // that would be negative in a tiny window become 0.
    LayoutResult layout(const LayoutInput& in);
    const LayoutResult& last() const { return last_; }

    int explorerWidth() const { return explorerWidth_; }
    bool firstLayout() const { return firstLayout_; }

    // Splitter drag, in client coordinates. `begin` returns false when the
    // point is not over the bar. `move` takes the pointer's x (clamped to
    // 0..clientWidth - 1, the window's extent) as the bar's centre, clamps
    // the bar to the limits and returns its new rectangle. `end` makes the
    // bar's left edge the explorer width and returns it.
    bool overSplitter(int x, int y) const;
    bool beginDrag(int x, int y);
    LayoutRect moveDrag(int x, int clientWidth);
    int endDrag();
    bool dragging() const { return dragging_; }
    const LayoutRect& dragBar() const { return dragBar_; }

private:
    int explorerWidth_ = 0;
    bool firstLayout_ = true;
    bool dragging_ = false;
    LayoutRect dragBar_;
    LayoutResult last_;
};

// The limits for a tree and list as laid out: the bar may not start left of
// tree.left + 4, and its right edge may not pass list.right() - 100. When the
// list is too narrow for both, the lower limit wins.
SplitterLimits splitterLimits(const LayoutRect& tree, const LayoutRect& list);
// `left` kept within the limits.
int clampSplitter(int left, const SplitterLimits& limits);

// New width of a player panel control so that its right edge is 4 pixels
// from the client's right edge; 0 when that width would not be positive
// (the control is then left alone).
int stretchedWidth(int controlLeft, int clientWidth);

// The seven colours of the list (0x00BBGGRR), copied from a theme.
struct ListColors {
    uint32_t background = 0;
    uint32_t alternateBackground = 0;
    uint32_t text = 0;
    uint32_t selectedBackground = 0;
    uint32_t selectedText = 0;
    uint32_t playingText = 0;
    uint32_t playingBackground = 0;
};
ListColors listColorsOf(const ColorTheme& theme);

struct CellColors {
    uint32_t text = 0;
    uint32_t background = 0;
};
// A selected row uses the selected colours; an unselected one the text
// colour on the background (even rows) or the alternate background (odd
// rows); the playing row the playing colours, over the selection.
CellColors rowColors(const ListColors& colors, int row, bool selected, int playingIndex);

// The rating images of a cell: five images one width apart from 1 pixel in
// from the cell's left edge, vertically centred; image 0 (filled) for the
// first `rating` positions, image 1 for the others. A rating outside 0..5
// counts as 0.
struct RatingImage {
    int image = 0;
    int x = 0;
    int y = 0;
};
constexpr int kRatingImageCount = 5;
void ratingImages(const LayoutRect& cell, int rating, int imageWidth, int imageHeight,
                  RatingImage (&out)[kRatingImageCount]);

// True when a cell text draws nothing: empty or only white space.
bool isBlankCellText(const char* text);

}  // namespace td
