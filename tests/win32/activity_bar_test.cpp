// The activity bar inside this process: it animates by its timer, paints its
// blocks and stops when disabled. Where the blocks stand is the portable
// geometry's (controls/activity_bar_geometry_test.cpp).
#include "controls/win32/activity_bar.h"

#include <gtest/gtest.h>

#include <windows.h>

namespace td {
namespace {

void PumpFor(int milliseconds) {
    const DWORD start = GetTickCount();
    while (static_cast<int>(GetTickCount() - start) < milliseconds) {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
        Sleep(5);
    }
}

// How many pixels of row y the bar paints in the highlight colour, read back
// through WM_PRINTCLIENT.
int HighlightPixels(HWND bar, int y) {
    RECT client;
    GetClientRect(bar, &client);
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, client.right, client.bottom);
    ReleaseDC(nullptr, screen);
    HGDIOBJ previous = SelectObject(dc, bitmap);
    SendMessageA(bar, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT);
    int count = 0;
    for (int x = 0; x < client.right; ++x) {
        if (GetPixel(dc, x, y) == GetSysColor(COLOR_HIGHLIGHT)) ++count;
    }
    SelectObject(dc, previous);
    DeleteObject(bitmap);
    DeleteDC(dc);
    return count;
}

TEST(ActivityBarTest, AnimatesAtOncePaintsItsBlocksAndStopsWhenDisabled) {
    ASSERT_TRUE(RegisterActivityBarClass());
    HWND parent = CreateWindowExA(0, "STATIC", "", WS_POPUP | WS_VISIBLE, 0, 0, 640, 120, nullptr, nullptr,
                                  GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(parent, nullptr);
    HWND bar = CreateWindowExA(0, kActivityBarClassName, "", WS_CHILD | WS_VISIBLE | kActivityBarClassicStyle,
                               10, 10, 200, 20, parent, nullptr, GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(bar, nullptr);
    PumpFor(300);
    EXPECT_GT(ActivityBarPosition(bar), 0U);

    // Disabled, steps made by hand: five blocks of 12 pixels in mid-run.
    EnableWindow(bar, FALSE);
    for (int i = 0; i < 51; ++i) SendMessageA(bar, WM_TIMER, 0, 0);
    EXPECT_EQ(HighlightPixels(bar, 10), 5 * 12);

    // Disabling a running bar empties it.
    EnableWindow(bar, TRUE);
    EnableWindow(bar, FALSE);
    EXPECT_EQ(ActivityBarPosition(bar), 0U);
    EXPECT_EQ(HighlightPixels(bar, 10), 0);
    PumpFor(100);
    EXPECT_EQ(ActivityBarPosition(bar), 0U);
    DestroyWindow(parent);
    PumpFor(5);
    UnregisterActivityBarClass();
}

}  // namespace
}  // namespace td
