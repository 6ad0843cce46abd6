#include "controls/activity_bar_geometry.h"

#include <algorithm>
#include <limits>

namespace td {

bool IsActivityBarBlockCount(uint32_t blocks) {
    return blocks >= kActivityBarMinBlocks && blocks <= kActivityBarMaxBlocks;
}

BarRect ClassicBarArea(const BarRect& client) {
    return BarRect{client.left + kActivityBarClassicBorder, client.top + kActivityBarClassicBorder,
                   client.right - kActivityBarClassicBorder, client.bottom - kActivityBarClassicBorder};
}

int ClassicChunkWidth(const BarRect& area) {
    // Truncated toward zero, as the integer division does; a negative height
    // (a client area smaller than the border) gives no positive width.
    return (area.height() * 3) / 4;
}

ActivityBarFrame LayoutActivityBar(const BarRect& area, int chunkWidth, uint32_t position, uint32_t blocks) {
    ActivityBarFrame frame;
    const int64_t w = std::max(chunkWidth, 1);
    const int64_t step = w + kActivityBarGap;
    frame.chunkWidth = static_cast<int>(w);
    frame.chunkCount = area.width() > 0 ? static_cast<int>(area.width() / w) : 0;
    if (position == 0) return frame;

    frame.hasHead = true;
    if (frame.chunkCount == 0) {
        // Nothing can move in an area too narrow for one block: the head
        // stays at the left edge and the position never grows.
        frame.headLeft = area.left;
        frame.wrap = true;
    } else {
        const uint64_t along = static_cast<uint64_t>(frame.chunkCount) * (position - 1ULL) / 100U;
        const int64_t limit =
            static_cast<int64_t>(area.right) + step * (2 * static_cast<int64_t>(blocks) + 10);
        if (along > static_cast<uint64_t>(std::numeric_limits<int32_t>::max())) {
            // Far beyond any edge (a position that was never reset).
            frame.headLeft = limit + step * (static_cast<int64_t>(blocks) + 1);
        } else {
            frame.headLeft = area.left + step * static_cast<int64_t>(along);
        }
        frame.wrap = frame.headLeft - static_cast<int64_t>(blocks) * step > limit;
    }

    int64_t left = frame.headLeft;
    for (uint32_t i = 0; i < blocks; ++i, left -= step) {
        if (left < area.left || left > area.right) continue;
        const int64_t right = std::min<int64_t>(left + w, area.right);
        frame.blocks.push_back(
            BarRect{static_cast<int>(left), area.top, static_cast<int>(right), area.bottom});
    }
    return frame;
}

}  // namespace td
