// The plug-in module inside the stand-in host: plugin.ini switches, the
// subclassing of the host's window, the submenu added to the host's menu and
// the configuration dialog, as the host lives them.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "host/host_core.h"
#include "tests/win32/host_harness.h"

namespace td::test {
namespace {

constexpr UINT kShow = 50120;
constexpr UINT kHide = 50121;
constexpr UINT kProperties = 50123;

std::string PluginIni(const char* active, const char* systray) {
    return std::string("[Tunedeck]\r\nActiveEnabled=") + active + "\r\nSystrayEnabled=" + systray + "\r\n";
}

HostSetup WithIni(const std::string& pluginIni, bool load = true) {
    HostSetup setup;
    setup.pluginIni = pluginIni;
    setup.load = load;
    return setup;
}

LONG_PTR HostProc(HostHarness& h) { return GetWindowLongPtrA(h.hostWindow(), GWLP_WNDPROC); }

bool MenuHas(HMENU menu, UINT id) { return GetMenuState(menu, id, MF_BYCOMMAND) != UINT(-1); }

std::string ItemText(HMENU menu, UINT position) {
    char text[128] = {};
    GetMenuStringA(menu, position, text, sizeof text, MF_BYPOSITION);
    return text;
}

int PositionOf(HMENU menu, UINT id) {
    for (int i = 0; i < GetMenuItemCount(menu); ++i) {
        if (GetMenuItemID(menu, i) == id) return i;
    }
    return -1;
}

// Positions of the top-level popups labelled "&Tunedeck".
std::vector<int> SubmenuPositions(HMENU menu) {
    std::vector<int> out;
    for (int i = 0; i < GetMenuItemCount(menu); ++i) {
        if (GetSubMenu(menu, i) && ItemText(menu, static_cast<UINT>(i)) == "&Tunedeck") {
            out.push_back(i);
        }
    }
    return out;
}

// --- plugin.ini ---------------------------------------------------------------

TEST(PluginLifecycle, AnythingButOneLeavesThePluginInert) {
    // Only "1" switches the plug-in on.
    const char* active = "2";
    HostHarness h(WithIni(PluginIni(active, "129"), false));
    ASSERT_TRUE(h.ok());
    const LONG_PTR before = HostProc(h);
    ASSERT_EQ(h.load(), 1);
    EXPECT_EQ(HostProc(h), before);  // not subclassed
    h.host().openMainMenu();
    EXPECT_FALSE(MenuHas(h.host().mainMenu(), kShow));
    EXPECT_TRUE(SubmenuPositions(h.host().mainMenu()).empty());
    // Its configuration still opens, unchecked; Cancel keeps the value.
    bool checked = true;
    WhenWindowShows("#32770", "Tunedeck Configuration", [&](HWND dialog) {
        checked = IsDlgButtonChecked(dialog, 1011) == BST_CHECKED;
        CheckDlgButton(dialog, 1011, BST_CHECKED);
        SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    });
    h.host().pluginRecord(0)->config();
    EXPECT_TRUE(WindowShown());
    EXPECT_FALSE(checked);
    h.quitPlugins();
    EXPECT_EQ(PluginIniValue(h.folder(), "ActiveEnabled"), active);
    EXPECT_EQ(PluginIniValue(h.folder(), "SystrayEnabled"), "129");
}

// --- the host's window ----------------------------------------------------------

TEST(PluginLifecycle, HostProcedureIsRestoredAtQuit) {
    HostHarness h(WithIni("", false));
    ASSERT_TRUE(h.ok());
    const LONG_PTR proc = HostProc(h);
    const LONG_PTR userData = GetWindowLongPtrA(h.hostWindow(), GWLP_USERDATA);
    ASSERT_EQ(h.load(), 1);
    EXPECT_NE(HostProc(h), proc);
    EXPECT_EQ(GetWindowLongPtrA(h.hostWindow(), GWLP_USERDATA), proc);
    // The host still answers through the plug-in's procedure.
    EXPECT_EQ(SendMessageA(h.hostWindow(), WM_USER, 0, 125), 0);

    h.quitPlugins();
    EXPECT_EQ(HostProc(h), proc);
    EXPECT_EQ(GetWindowLongPtrA(h.hostWindow(), GWLP_USERDATA), userData);
}

TEST(PluginLifecycle, SubmenuGoesInOnceBeforeExitAndShowsAndHidesTheWindow) {
    HostHarness h(WithIni(""));
    ASSERT_TRUE(h.ok());
    HMENU menu = h.host().mainMenu();
    const int exitBefore = PositionOf(menu, 40001);
    ASSERT_GT(exitBefore, 1);
    h.host().openMainMenu();
    h.host().openMainMenu();
    const std::vector<int> positions = SubmenuPositions(menu);
    ASSERT_EQ(positions.size(), 1u);
    EXPECT_EQ(positions[0], exitBefore - 1);  // before the separator that precedes Exit
    ASSERT_EQ(PlaylistWindowHandle(), nullptr);

    h.host().chooseMainMenuItem(kShow);
    ASSERT_TRUE(h.pumpUntil([] { return PlaylistWindowHandle() != nullptr; }, 5000));
    HWND window = PlaylistWindowHandle();
    EXPECT_EQ(GetWindow(window, GW_OWNER), h.hostWindow());

    h.host().openMainMenu();
    ASSERT_TRUE(MenuHas(menu, kHide));

    h.host().chooseMainMenuItem(kHide);
    EXPECT_FALSE(IsWindowVisible(window));
    // Shown again: the same window, not a second one.
    h.host().openMainMenu();
    h.host().chooseMainMenuItem(kShow);
    EXPECT_EQ(PlaylistWindowHandle(), window);

    h.quitPlugins();
    EXPECT_FALSE(IsWindow(window));
}

// --- configuration dialog --------------------------------------------------------

TEST(PluginLifecycle, DisablingFromPropertiesKeepsTheRunningPluginUntilQuit) {
    HostHarness h(WithIni(""));
    ASSERT_TRUE(h.ok());
    const LONG_PTR subclassed = HostProc(h);
    h.host().openMainMenu();
    bool wasChecked = false;
    WhenWindowShows("#32770", "Tunedeck Configuration", [&](HWND dialog) {
        wasChecked = IsDlgButtonChecked(dialog, 1011) == BST_CHECKED;
        CheckDlgButton(dialog, 1011, BST_UNCHECKED);
        SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDOK)));
    });
    h.host().chooseMainMenuItem(kProperties);  // modal until OK is pressed
    ASSERT_TRUE(WindowShown());
    EXPECT_TRUE(wasChecked);
    // Still running until quit: the window still comes up.
    EXPECT_EQ(HostProc(h), subclassed);
    h.host().chooseMainMenuItem(kShow);
    EXPECT_NE(PlaylistWindowHandle(), nullptr);

    h.quitPlugins();
    // Without a plugin.ini at the start, both switches are written at quit.
    EXPECT_EQ(PluginIniValue(h.folder(), "ActiveEnabled"), "0");
    EXPECT_EQ(PluginIniValue(h.folder(), "SystrayEnabled"), "1");
    EXPECT_EQ(PlaylistWindowHandle(), nullptr);  // nothing left behind
}

}  // namespace
}  // namespace td::test
