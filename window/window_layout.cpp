#include "window/window_layout.h"

#include <algorithm>

namespace td {

namespace {

int nonNegative(int value) { return value < 0 ? 0 : value; }

}  // namespace

LayoutResult WindowLayout::layout(const LayoutInput& in) {
    LayoutResult r;
    const int w = nonNegative(in.clientWidth);
    const int h = nonNegative(in.clientHeight);
    const int status = nonNegative(in.statusHeight);
    const int top = nonNegative(in.searchEditHeight) + kListTopExtra;
    const int paneHeight = nonNegative(h - top - status);

    r.explorer = in.explorerShown;
    if (in.explorerShown) {
        if (firstLayout_) {
            explorerWidth_ = w * 25 / 100;
            firstLayout_ = false;
        }
        const int treeWidth = explorerWidth_;
        r.tree = {0, top, treeWidth, paneHeight};
        r.splitter = {treeWidth, top, kSplitterBarWidth, paneHeight};
        const int listLeft = treeWidth + kSplitterBarWidth;
        r.list = {listLeft, top, nonNegative(w - listLeft), paneHeight};
        r.limits = splitterLimits(r.tree, r.list);
    } else {
        r.list = {0, top, w, paneHeight};
    }
    r.status = {0, h - status, w, status};
    last_ = r;
    return r;
}

bool WindowLayout::overSplitter(int x, int y) const {
    return last_.explorer && last_.splitter.contains(x, y);
}

bool WindowLayout::beginDrag(int x, int y) {
    if (!overSplitter(x, y)) return false;
    dragging_ = true;
    dragBar_ = last_.splitter;
    return true;
}

LayoutRect WindowLayout::moveDrag(int x, int clientWidth) {
    if (!dragging_) return dragBar_;
    const int extent = clientWidth > 0 ? clientWidth - 1 : 0;
    x = std::min(std::max(x, 0), extent);
    dragBar_.left = clampSplitter(x - kSplitterBarWidth / 2, last_.limits);
    return dragBar_;
}

int WindowLayout::endDrag() {
    if (dragging_) {
        dragging_ = false;
        explorerWidth_ = nonNegative(dragBar_.left);
    }
    return explorerWidth_;
}

SplitterLimits splitterLimits(const LayoutRect& tree, const LayoutRect& list) {
    SplitterLimits limits;
    limits.lowest = tree.left + kSplitterTreeMargin;
    limits.highest = list.right() - kSplitterListMargin - kSplitterBarWidth;
    if (limits.highest < limits.lowest) limits.highest = limits.lowest;
    return limits;
}

int clampSplitter(int left, const SplitterLimits& limits) {
    if (left > limits.highest) left = limits.highest;
    if (left < limits.lowest) left = limits.lowest;
    return left;
}

int stretchedWidth(int controlLeft, int clientWidth) {
    const int width = clientWidth - kPanelRightMargin - controlLeft;
    return width > 0 ? width : 0;
}

ListColors listColorsOf(const ColorTheme& theme) {
    ListColors c;
    c.background = theme.background;
    c.alternateBackground = theme.alternateBackground;
    c.text = theme.text;
    c.selectedBackground = theme.selectedBackground;
    c.selectedText = theme.selectedText;
    c.playingText = theme.playingText;
    c.playingBackground = theme.playingBackground;
    return c;
}

CellColors rowColors(const ListColors& colors, int row, bool selected, int playingIndex) {
    CellColors c;
    if (row >= 0 && row == playingIndex) {
        c.text = colors.playingText;
        c.background = colors.playingBackground;
    } else if (selected) {
        c.text = colors.selectedText;
        c.background = colors.selectedBackground;
    } else {
        c.text = colors.text;
        c.background = (row % 2 == 0) ? colors.background : colors.alternateBackground;
    }
    return c;
}

void ratingImages(const LayoutRect& cell, int rating, int imageWidth, int imageHeight,
                  RatingImage (&out)[kRatingImageCount]) {
    if (rating < 0 || rating > kRatingImageCount) rating = 0;
    const int y = cell.top + (cell.height - imageHeight) / 2;
    for (int i = 0; i < kRatingImageCount; ++i) {
        out[i].image = i < rating ? 0 : 1;
        out[i].x = cell.left + 1 + i * imageWidth;
        out[i].y = y;
    }
}

bool isBlankCellText(const char* text) {
    if (!text) return true;
    for (; *text; ++text) {
        const char ch = *text;
        if (ch != ' ' && ch != '\t' && ch != '\r' && ch != '\n' && ch != '\v' && ch != '\f') {
            return false;
        }
    }
    return true;
}

}  // namespace td
