// Where the activity bar draws its train of blocks: the layout of one frame,
// computed without a window so that it can be checked on any platform.
#pragma once

#include <cstdint>
#include <vector>

namespace td {

// A rectangle in client coordinates; right and bottom lie just outside.
struct BarRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;

    int width() const { return right - left; }
    int height() const { return bottom - top; }
    bool operator==(const BarRect& other) const {
        return left == other.left && top == other.top && right == other.right && bottom == other.bottom;
    }
};

constexpr uint32_t kActivityBarMinBlocks = 1;
constexpr uint32_t kActivityBarMaxBlocks = 20;
constexpr uint32_t kActivityBarDefaultBlocks = 5;
constexpr uint32_t kActivityBarDefaultInterval = 15;  // milliseconds
constexpr int kActivityBarGap = 2;                    // pixels between two blocks
constexpr int kActivityBarClassicBorder = 2;          // sunken border of the classic look

// True for a block count the bar accepts (1 to 20).
bool IsActivityBarBlockCount(uint32_t blocks);

// Classic look: the area left inside the sunken border of `client`, and the
// width of one block for that area (three quarters of its height).
BarRect ClassicBarArea(const BarRect& client);
int ClassicChunkWidth(const BarRect& area);

struct ActivityBarFrame {
    int chunkWidth = 0;           // block width actually used: at least 1
    int chunkCount = 0;           // blocks that fit side by side in the area, 0 or more
    bool hasHead = false;         // false at position 0, which shows no block
    int64_t headLeft = 0;         // left edge of the head block (x0)
    std::vector<BarRect> blocks;  // the blocks to draw, head first, tail to the left
    bool wrap = false;            // the position goes back to 0 after this frame
};

// One frame of the animation in `area` (the bar without its border or the
// theme's margins) for blocks `chunkWidth` wide. The head crosses the area in
// about 100 positions whatever its width; once the whole train has run far
// enough beyond the right edge, `wrap` asks for the position to restart.
//
// A chunk width below 1 (a bar too low for any block, or a theme that gives
// no chunk size) counts as 1, and an area in which no block fits has
// nothing to animate: its frames ask to wrap at every position.
ActivityBarFrame LayoutActivityBar(const BarRect& area, int chunkWidth, uint32_t position, uint32_t blocks);

}  // namespace td
