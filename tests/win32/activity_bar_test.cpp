// The activity bar inside this process: its messages, its timer, and what it
// paints, read back from the window and through WM_PRINTCLIENT.
#include "controls/win32/activity_bar.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <vector>

#include "win32/dialog_driver.h"

namespace td {
namespace {

void PumpFor(int milliseconds) {
    test::PumpUntil([] { return false; }, milliseconds);
}

// One step of the animation, as the timer would make it.
void Step(HWND bar, int count = 1) {
    for (int i = 0; i < count; ++i) SendMessageA(bar, WM_TIMER, 0, 0);
}

// The client area as it would be painted now, captured in a 32-bit bitmap.
class Capture {
public:
    explicit Capture(HWND bar) {
        RECT client;
        GetClientRect(bar, &client);
        width_ = client.right;
        height_ = client.bottom;
        BITMAPINFO info = {};
        info.bmiHeader.biSize = sizeof(info.bmiHeader);
        info.bmiHeader.biWidth = width_;
        info.bmiHeader.biHeight = -height_;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        dc_ = CreateCompatibleDC(nullptr);
        void* bits = nullptr;
        bitmap_ = CreateDIBSection(dc_, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        previous_ = SelectObject(dc_, bitmap_);
        pixels_ = static_cast<const uint32_t*>(bits);
        SendMessageA(bar, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc_), PRF_CLIENT);
        GdiFlush();
    }
    ~Capture() {
        SelectObject(dc_, previous_);
        DeleteObject(bitmap_);
        DeleteDC(dc_);
    }
    Capture(const Capture&) = delete;
    Capture& operator=(const Capture&) = delete;

    COLORREF at(int x, int y) const {
        const uint32_t p = pixels_[y * width_ + x];
        return RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
    }
    // The x coordinates of row y that show `colour`.
    std::vector<int> columnsOf(int y, COLORREF colour) const {
        std::vector<int> xs;
        for (int x = 0; x < width_; ++x) {
            if (at(x, y) == colour) xs.push_back(x);
        }
        return xs;
    }

private:
    int width_ = 0;
    int height_ = 0;
    HDC dc_ = nullptr;
    HBITMAP bitmap_ = nullptr;
    HGDIOBJ previous_ = nullptr;
    const uint32_t* pixels_ = nullptr;
};

// One parent window for the whole suite: destroying a top-level window takes
// Wine a while.
class ActivityBarTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        parent_ = CreateWindowExA(0, "STATIC", "", WS_POPUP | WS_VISIBLE, 0, 0, 640, 120, nullptr, nullptr,
                                  GetModuleHandleA(nullptr), nullptr);
        PumpFor(20);
    }

    static void TearDownTestSuite() {
        if (parent_) DestroyWindow(parent_);
        parent_ = nullptr;
    }

    void SetUp() override {
        ASSERT_NE(parent_, nullptr);
        ASSERT_TRUE(RegisterActivityBarClass());
    }

    void TearDown() override {
        for (HWND bar : bars_) {
            if (IsWindow(bar)) DestroyWindow(bar);
        }
        PumpFor(5);
        UnregisterActivityBarClass();
    }

    HWND CreateBar(int width, int height, DWORD style = 0) {
        HWND bar = CreateWindowExA(0, kActivityBarClassName, "", WS_CHILD | WS_VISIBLE | style, 10, 10, width,
                                   height, parent_, nullptr, GetModuleHandleA(nullptr), nullptr);
        bars_.push_back(bar);
        return bar;
    }

    static HWND parent_;
    std::vector<HWND> bars_;
};

HWND ActivityBarTest::parent_ = nullptr;

const COLORREF kFace = GetSysColor(COLOR_BTNFACE);
const COLORREF kHighlight = GetSysColor(COLOR_HIGHLIGHT);

TEST_F(ActivityBarTest, NewBarAnimatesAtOnceAndRefusesBlockCountsOutsideOneToTwenty) {
    HWND bar = CreateBar(200, 20);
    ASSERT_NE(bar, nullptr);
    PumpFor(300);
    EXPECT_GT(ActivityBarPosition(bar), 0U);
    EXPECT_EQ(SendMessageA(bar, WM_ACTIVITY_SET_BLOCKS, 0, 0), 0);
    EXPECT_EQ(SendMessageA(bar, WM_ACTIVITY_GET_BLOCKS, 0, 0), 5);
    EXPECT_EQ(SendMessageA(bar, WM_ACTIVITY_SET_BLOCKS, 21, 0), 0);
    EXPECT_EQ(SendMessageA(bar, WM_ACTIVITY_GET_BLOCKS, 0, 0), 5);
    EXPECT_EQ(SendMessageA(bar, WM_ACTIVITY_SET_BLOCKS, 20, 0), 1);
    EXPECT_EQ(SendMessageA(bar, WM_ACTIVITY_GET_BLOCKS, 0, 0), 20);
}

TEST_F(ActivityBarTest, ClassicBlocksStandWhereTheGeometrySaysAndDisablingEmptiesTheBar) {
    HWND bar = CreateBar(200, 20, kActivityBarClassicStyle);
    EnableWindow(bar, FALSE);  // steps made by hand only
    Step(bar, 51);
    ASSERT_EQ(ActivityBarPosition(bar), 51U);

    // R = (2, 2, 198, 18), blocks 12 wide, head at 2 + 14 * 8 = 114, tail
    // four blocks to its left with 2-pixel gaps.
    std::vector<int> expected;
    for (int block = 0; block < 5; ++block) {
        for (int x = 0; x < 12; ++x) expected.push_back(58 + block * 14 + x);
    }
    const Capture printed(bar);
    EXPECT_EQ(printed.columnsOf(10, kHighlight), expected);
    EXPECT_EQ(printed.at(114, 1), kFace);  // inside the border, above R

    EnableWindow(bar, TRUE);
    EnableWindow(bar, FALSE);
    EXPECT_EQ(ActivityBarPosition(bar), 0U);
    EXPECT_TRUE(Capture(bar).columnsOf(10, kHighlight).empty());
    PumpFor(100);
    EXPECT_EQ(ActivityBarPosition(bar), 0U);
}

TEST_F(ActivityBarTest, OddSizesPaintWithoutFault) {
    const SIZE sizes[] = {{0, 0}, {1, 1}, {4, 5}, {2, 300}, {30000, 24}};
    for (const SIZE size : sizes) {
        for (DWORD style : {DWORD{0}, kActivityBarClassicStyle}) {
            HWND bar = CreateBar(size.cx, size.cy, style);
            ASSERT_NE(bar, nullptr) << size.cx << "x" << size.cy;
            EnableWindow(bar, FALSE);
            for (int i = 0; i < 300; i += 25) {
                Step(bar, 25);
                RedrawWindow(bar, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
            }
            if (size.cx > 0 && size.cy > 0 && size.cx * size.cy < 10000000) Capture print(bar);
            DestroyWindow(bar);
        }
    }
    // A bar too small for a whole block has nothing to run: it restarts at
    // every step instead of counting on forever.
    HWND tiny = CreateBar(4, 5, kActivityBarClassicStyle);
    EnableWindow(tiny, FALSE);
    Step(tiny, 3);
    EXPECT_EQ(ActivityBarPosition(tiny), 0U);
}

}  // namespace
}  // namespace td
