// The activity bar inside this process: its messages, its timer, and what it
// paints, read back from the window and through WM_PRINTCLIENT.
#include "controls/win32/activity_bar.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <vector>

namespace td {
namespace {

const char kParentClass[] = "TdActivityBarTestParent";

void PumpFor(DWORD milliseconds) {
    const DWORD start = GetTickCount();
    while (GetTickCount() - start < milliseconds) {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        Sleep(1);
    }
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
        WNDCLASSEXA wc = {};
        wc.cbSize = sizeof(wc);
        wc.lpfnWndProc = DefWindowProcA;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.hbrBackground = GetSysColorBrush(COLOR_WINDOW);
        wc.lpszClassName = kParentClass;
        RegisterClassExA(&wc);
        parent_ = CreateWindowExA(0, kParentClass, "Activity bar test", WS_POPUP | WS_VISIBLE, 0,
                                  0, 640, 120, nullptr, nullptr, GetModuleHandleA(nullptr),
                                  nullptr);
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
        HWND bar = CreateWindowExA(0, kActivityBarClassName, "", WS_CHILD | WS_VISIBLE | style, 10,
                                   10, width, height, parent_, nullptr, GetModuleHandleA(nullptr),
                                   nullptr);
        bars_.push_back(bar);
        return bar;
    }

    static HWND parent_;
    std::vector<HWND> bars_;
};

HWND ActivityBarTest::parent_ = nullptr;

// Whether the system draws with visual styles now.
bool AppThemed() {
    HMODULE library = LoadLibraryW(L"uxtheme.dll");
    if (!library) return false;
    using IsAppThemedFn = BOOL(WINAPI*)();
    const auto fn = reinterpret_cast<IsAppThemedFn>(
        reinterpret_cast<void*>(GetProcAddress(library, "IsAppThemed")));
    const bool themed = fn && fn();
    FreeLibrary(library);
    return themed;
}

const COLORREF kFace = GetSysColor(COLOR_BTNFACE);
const COLORREF kHighlight = GetSysColor(COLOR_HIGHLIGHT);

// --- the window class ------------------------------------------------------------

TEST(ActivityBarClassTest, RegisteredGloballyUnderTheMainModuleAndCounted) {
    const HINSTANCE main = GetModuleHandleA(nullptr);
    WNDCLASSEXA wc = {};
    wc.cbSize = sizeof(wc);
    ASSERT_FALSE(GetClassInfoExA(main, kActivityBarClassName, &wc));

    ASSERT_TRUE(RegisterActivityBarClass());
    ASSERT_TRUE(RegisterActivityBarClass());
    ASSERT_TRUE(GetClassInfoExA(main, kActivityBarClassName, &wc));
    EXPECT_EQ(wc.style, 0x4003U);
    EXPECT_EQ(wc.hInstance, main);
    EXPECT_EQ(wc.cbClsExtra, 0);
    EXPECT_EQ(wc.cbWndExtra, 0);
    EXPECT_EQ(wc.hbrBackground, nullptr);
    EXPECT_EQ(wc.hCursor, nullptr);

    UnregisterActivityBarClass();  // one user left
    EXPECT_TRUE(GetClassInfoExA(main, kActivityBarClassName, &wc));
    UnregisterActivityBarClass();
    EXPECT_FALSE(GetClassInfoExA(main, kActivityBarClassName, &wc));
    UnregisterActivityBarClass();  // one too many does no harm
    EXPECT_FALSE(GetClassInfoExA(main, kActivityBarClassName, &wc));
}

TEST(ActivityBarClassTest, ClassOutlivedByAWindowIsTakenUpAgain) {
    ASSERT_TRUE(RegisterActivityBarClass());
    HWND bar = CreateWindowExA(0, kActivityBarClassName, "", WS_POPUP, 0, 0, 100, 10, nullptr,
                               nullptr, GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(bar, nullptr);
    UnregisterActivityBarClass();  // refused by the system while the bar exists
    ASSERT_TRUE(RegisterActivityBarClass());
    EXPECT_EQ(SendMessageA(bar, WM_ACTIVITY_GET_BLOCKS, 0, 0), 5);
    DestroyWindow(bar);
    UnregisterActivityBarClass();
    WNDCLASSEXA wc = {};
    wc.cbSize = sizeof(wc);
    EXPECT_FALSE(GetClassInfoExA(GetModuleHandleA(nullptr), kActivityBarClassName, &wc));
}

// --- messages --------------------------------------------------------------------

TEST_F(ActivityBarTest, NewBarHasFiveBlocksEvery15MsAndAnimatesAtOnce) {
    HWND bar = CreateBar(200, 20);
    ASSERT_NE(bar, nullptr);
    EXPECT_EQ(SendMessageA(bar, WM_ACTIVITY_GET_INTERVAL, 0, 0), 15);
    EXPECT_EQ(SendMessageA(bar, WM_ACTIVITY_GET_BLOCKS, 0, 0), 5);
    EXPECT_EQ(ActivityBarPosition(bar), 0U);
    PumpFor(300);
    EXPECT_GT(ActivityBarPosition(bar), 0U);
}

TEST_F(ActivityBarTest, BlockCountOutsideOneToTwentyIsRefused) {
    HWND bar = CreateBar(200, 20);
    EXPECT_EQ(SendMessageA(bar, WM_ACTIVITY_SET_BLOCKS, 0, 0), 0);
    EXPECT_EQ(SendMessageA(bar, WM_ACTIVITY_GET_BLOCKS, 0, 0), 5);
    EXPECT_EQ(SendMessageA(bar, WM_ACTIVITY_SET_BLOCKS, 21, 0), 0);
    EXPECT_EQ(SendMessageA(bar, WM_ACTIVITY_SET_BLOCKS, static_cast<WPARAM>(-1), 0), 0);
    EXPECT_EQ(SendMessageA(bar, WM_ACTIVITY_GET_BLOCKS, 0, 0), 5);
    EXPECT_EQ(SendMessageA(bar, WM_ACTIVITY_SET_BLOCKS, 20, 0), 1);
    EXPECT_EQ(SendMessageA(bar, WM_ACTIVITY_GET_BLOCKS, 0, 0), 20);
    EXPECT_EQ(SendMessageA(bar, WM_ACTIVITY_SET_BLOCKS, 1, 0), 1);
    EXPECT_EQ(SendMessageA(bar, WM_ACTIVITY_GET_BLOCKS, 0, 0), 1);
}

TEST_F(ActivityBarTest, NewIntervalRestartsTheTimerOnlyOnAnEnabledBar) {
    HWND bar = CreateBar(200, 20);
    EnableWindow(bar, FALSE);
    EXPECT_EQ(ActivityBarPosition(bar), 0U);

    // Disabled: the value is stored, no timer runs.
    EXPECT_EQ(SendMessageA(bar, WM_ACTIVITY_SET_INTERVAL, 50, 0), 1);
    EXPECT_EQ(SendMessageA(bar, WM_ACTIVITY_GET_INTERVAL, 0, 0), 50);
    PumpFor(200);
    EXPECT_EQ(ActivityBarPosition(bar), 0U);

    // Enabled: steps every 50 ms, never faster.
    EnableWindow(bar, TRUE);
    const DWORD start = GetTickCount();
    PumpFor(400);
    const uint32_t steps = ActivityBarPosition(bar);
    EXPECT_GT(steps, 0U);
    EXPECT_LE(steps, (GetTickCount() - start) / 50 + 1);

    // A long period on the running bar replaces the 50 ms timer at once.
    EXPECT_EQ(SendMessageA(bar, WM_ACTIVITY_SET_INTERVAL, 5000, 0), 1);
    const uint32_t held = ActivityBarPosition(bar);
    PumpFor(300);
    EXPECT_EQ(ActivityBarPosition(bar), held);
    EXPECT_EQ(SendMessageA(bar, WM_ACTIVITY_SET_INTERVAL, 10, 0), 1);
    PumpFor(200);
    EXPECT_GT(ActivityBarPosition(bar), held);
}

TEST_F(ActivityBarTest, BarCreatedDisabledWaitsForEnabling) {
    HWND bar = CreateBar(200, 20, WS_DISABLED);
    PumpFor(150);
    EXPECT_EQ(ActivityBarPosition(bar), 0U);
    EnableWindow(bar, TRUE);
    PumpFor(300);
    EXPECT_GT(ActivityBarPosition(bar), 0U);
}

TEST_F(ActivityBarTest, DisablingStopsAndEmptiesTheBarAndEnablingStartsFromTheLeft) {
    HWND bar = CreateBar(200, 20, kActivityBarClassicStyle);
    EnableWindow(bar, FALSE);
    Step(bar, 51);
    ASSERT_EQ(ActivityBarPosition(bar), 51U);
    EXPECT_FALSE(Capture(bar).columnsOf(10, kHighlight).empty());

    EnableWindow(bar, TRUE);
    EnableWindow(bar, FALSE);
    EXPECT_EQ(ActivityBarPosition(bar), 0U);
    EXPECT_TRUE(Capture(bar).columnsOf(10, kHighlight).empty());
    // And it was repainted at once: the screen shows the empty bar too.
    HDC dc = GetDC(bar);
    for (int x = 2; x < 198; x += 7) EXPECT_NE(GetPixel(dc, x, 10), kHighlight) << x;
    ReleaseDC(bar, dc);
    PumpFor(100);
    EXPECT_EQ(ActivityBarPosition(bar), 0U);

    EnableWindow(bar, TRUE);
    Step(bar);
    const std::vector<int> head = Capture(bar).columnsOf(10, kHighlight);
    ASSERT_FALSE(head.empty());
    EXPECT_EQ(head.front(), 2);
}

// --- painting --------------------------------------------------------------------

TEST_F(ActivityBarTest, ClassicBlocksStandWhereTheGeometrySays) {
    HWND bar = CreateBar(200, 20, kActivityBarClassicStyle);
    EnableWindow(bar, FALSE);  // steps made by hand only
    Step(bar, 51);

    // R = (2, 2, 198, 18), blocks 12 wide, head at 2 + 14 * 8 = 114, tail
    // four blocks to its left with 2-pixel gaps.
    std::vector<int> expected;
    for (int block = 0; block < 5; ++block) {
        for (int x = 0; x < 12; ++x) expected.push_back(58 + block * 14 + x);
    }
    const Capture printed(bar);
    EXPECT_EQ(printed.columnsOf(10, kHighlight), expected);
    EXPECT_EQ(printed.at(127, 10), kFace);   // the gap beyond the head
    EXPECT_EQ(printed.at(57, 10), kFace);    // left of the tail
    EXPECT_EQ(printed.at(114, 1), kFace);    // inside the border, above R
    EXPECT_EQ(printed.at(114, 2), kHighlight);
    EXPECT_EQ(printed.at(114, 17), kHighlight);
    EXPECT_EQ(printed.at(114, 18), kFace);
    EXPECT_NE(printed.at(0, 0), kHighlight);  // the sunken border

    // The window itself shows the same after the timer's repaint.
    HDC dc = GetDC(bar);
    EXPECT_EQ(GetPixel(dc, 114, 10), kHighlight);
    EXPECT_EQ(GetPixel(dc, 125, 10), kHighlight);
    EXPECT_EQ(GetPixel(dc, 126, 10), kFace);
    EXPECT_EQ(GetPixel(dc, 57, 10), kFace);
    ReleaseDC(bar, dc);
}

TEST_F(ActivityBarTest, TrainWrapsAfterRunningOutBeyondTheRightEdge) {
    HWND bar = CreateBar(200, 20, kActivityBarClassicStyle);
    EnableWindow(bar, FALSE);
    Step(bar, 250);
    EXPECT_EQ(ActivityBarPosition(bar), 250U);
    EXPECT_TRUE(Capture(bar).columnsOf(10, kHighlight).empty());
    Step(bar);  // head beyond 198 + 14 * 25: start again
    EXPECT_EQ(ActivityBarPosition(bar), 0U);
    Step(bar);
    EXPECT_EQ(Capture(bar).columnsOf(10, kHighlight).front(), 2);
}

TEST_F(ActivityBarTest, MoreBlocksMakeALongerTrain) {
    HWND bar = CreateBar(300, 20, kActivityBarClassicStyle);
    EnableWindow(bar, FALSE);
    ASSERT_EQ(SendMessageA(bar, WM_ACTIVITY_SET_BLOCKS, 8, 0), 1);
    Step(bar, 90);
    // R = (2, 2, 298, 18): n = 24, head at 2 + 14 * 21 = 296 cut to 2
    // pixels at the right edge, the seven blocks behind it whole.
    const std::vector<int> lit = Capture(bar).columnsOf(10, kHighlight);
    ASSERT_EQ(lit.size(), 7U * 12U + 2U);
    EXPECT_EQ(lit.front(), 296 - 7 * 14);
    EXPECT_EQ(lit.back(), 297);
}

TEST_F(ActivityBarTest, OddSizesPaintWithoutFault) {
    const SIZE sizes[] = {{0, 0}, {1, 1}, {3, 3}, {4, 5}, {9, 20}, {2, 300}, {30000, 24},
                          {6000, 6000}};
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

TEST_F(ActivityBarTest, StyledLookUnlessTheClassicStyleBitIsSet) {
    // The classic bars of the other tests carry the style bit; Wine's own
    // theme, when active, shows that the bit wins over visual styles.
    HWND classic = CreateBar(200, 20, kActivityBarClassicStyle);
    HWND plain = CreateBar(200, 20);
    EnableWindow(classic, FALSE);
    EnableWindow(plain, FALSE);
    const Capture emptyPlain(plain);
    Step(classic, 51);
    Step(plain, 51);
    const Capture classicShown(classic);
    const Capture plainShown(plain);

    bool sameAsClassic = true;
    bool anyBlock = false;
    for (int y = 0; y < 20; ++y) {
        for (int x = 0; x < 200; ++x) {
            sameAsClassic = sameAsClassic && plainShown.at(x, y) == classicShown.at(x, y);
            anyBlock = anyBlock || plainShown.at(x, y) != emptyPlain.at(x, y);
        }
    }
    EXPECT_TRUE(anyBlock);
    EXPECT_EQ(sameAsClassic, !AppThemed());
    EXPECT_EQ(classicShown.at(114, 10), kHighlight);
}

TEST_F(ActivityBarTest, DestroyedBarAndOtherWindowsHaveNoPosition) {
    HWND bar = CreateBar(200, 20);
    Step(bar, 3);
    EXPECT_EQ(ActivityBarPosition(bar), 3U);
    DestroyWindow(bar);
    EXPECT_EQ(ActivityBarPosition(bar), 0U);
    EXPECT_EQ(ActivityBarPosition(parent_), 0U);
    EXPECT_EQ(ActivityBarPosition(nullptr), 0U);
}

}  // namespace
}  // namespace td
