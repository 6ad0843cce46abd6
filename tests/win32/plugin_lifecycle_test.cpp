// The plug-in module inside the stand-in host, from load to quit: the
// plugin.ini switches, the subclassing of the host's window, the submenu
// added to the host's menu and the configuration dialog, as the host lives
// them, the submenu's usual place before Exit included (the plug-in model's
// test keeps the menus without Exit or with Exit first).
#include <gtest/gtest.h>

#include <string>

#include "host/host_core.h"
#include "plugin/win32/plugin_app.h"
#include "settings/lang_table.h"
#include "tests/win32/host_harness.h"

namespace td::test {
namespace {

constexpr UINT kHide = 50121;
constexpr UINT kProperties = 50123;
constexpr char kConfigurationCaption[] = "Tunedeck Configuration";

HostSetup WithIni(const std::string& pluginIni) {
    HostSetup setup;
    setup.pluginIni = pluginIni;
    setup.load = false;
    return setup;
}

LONG_PTR HostProc(HostHarness& h) { return GetWindowLongPtrA(h.hostWindow(), GWLP_WNDPROC); }

WNDPROC below = nullptr;
LRESULT CALLBACK LaterSubclass(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return CallWindowProcA(below, window, message, wParam, lParam);
}

int PositionOf(HMENU menu, UINT id) {
    for (int i = 0; i < GetMenuItemCount(menu); ++i) {
        if (GetMenuItemID(menu, i) == id) return i;
    }
    return -1;
}

TEST(PluginLifecycle, AnythingButOneLeavesThePluginInert) {
    HostHarness h(WithIni("[Tunedeck]\r\nActiveEnabled=2\r\nSystrayEnabled=129\r\n"));
    ASSERT_TRUE(h.ok());
    const LONG_PTR before = HostProc(h);
    const int items = GetMenuItemCount(h.host().mainMenu());
    ASSERT_EQ(h.load(), 1);
    EXPECT_EQ(HostProc(h), before);  // not subclassed
    h.host().openMainMenu();
    EXPECT_EQ(GetMenuItemCount(h.host().mainMenu()), items);
    // Its configuration still opens, unchecked; Cancel keeps the value.
    bool checked = true;
    WhenWindowShows("#32770", kConfigurationCaption, [&](HWND dialog) {
        checked = IsDlgButtonChecked(dialog, 1011) == BST_CHECKED;
        CheckDlgButton(dialog, 1011, BST_CHECKED);
        SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    });
    h.host().pluginRecord(0)->config();
    EXPECT_TRUE(AllShown());
    EXPECT_FALSE(checked);
    h.quitPlugins();
    EXPECT_EQ(PluginIniValue(h, "ActiveEnabled"), "2");
    EXPECT_EQ(PluginIniValue(h, "SystrayEnabled"), "129");
}

TEST(PluginLifecycle, SubclassSubmenuWindowAndConfigurationFromLoadToQuit) {
    HostHarness h(WithIni(""));
    ASSERT_TRUE(h.ok());
    const LONG_PTR proc = HostProc(h);
    const LONG_PTR userData = GetWindowLongPtrA(h.hostWindow(), GWLP_USERDATA);
    ASSERT_EQ(h.load(), 1);
    const LONG_PTR subclassed = HostProc(h);
    EXPECT_NE(subclassed, proc);
    // The host still answers through the plug-in's procedure.
    EXPECT_EQ(SendMessageA(h.hostWindow(), WM_USER, 0, 125), 0);

    // The submenu goes in once, before the separator that precedes Exit.
    HMENU menu = h.host().mainMenu();
    const int items = GetMenuItemCount(menu);
    h.host().openMainMenu();
    h.host().openMainMenu();
    EXPECT_EQ(GetMenuItemCount(menu), items + 1);
    EXPECT_NE(GetSubMenu(menu, PositionOf(menu, 40001) - 2), nullptr);

    // Switched off in the configuration, the plug-in runs on until quit.
    bool wasChecked = false;
    WhenWindowShows("#32770", kConfigurationCaption, [&](HWND dialog) {
        wasChecked = IsDlgButtonChecked(dialog, 1011) == BST_CHECKED;
        CheckDlgButton(dialog, 1011, BST_UNCHECKED);
        SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDOK)));
    });
    h.host().chooseMainMenuItem(kProperties);  // modal until OK is pressed
    ASSERT_TRUE(AllShown());
    EXPECT_TRUE(wasChecked);
    EXPECT_EQ(HostProc(h), subclassed);

    ASSERT_EQ(PlaylistWindowHandle(), nullptr);
    h.host().chooseMainMenuItem(kShowPluginWindow);
    ASSERT_TRUE(h.pumpUntil([] { return PlaylistWindowHandle() != nullptr; }, 5000));
    HWND window = PlaylistWindowHandle();
    EXPECT_EQ(GetWindow(window, GW_OWNER), h.hostWindow());
    h.host().openMainMenu();
    ASSERT_NE(GetMenuState(menu, kHide, MF_BYCOMMAND), UINT(-1));
    h.host().chooseMainMenuItem(kHide);
    EXPECT_FALSE(IsWindowVisible(window));
    // Shown again: the same window, not a second one.
    h.host().openMainMenu();
    h.host().chooseMainMenuItem(kShowPluginWindow);
    EXPECT_EQ(PlaylistWindowHandle(), window);

    h.quitPlugins();
    EXPECT_FALSE(IsWindow(window));
    EXPECT_EQ(HostProc(h), proc);
    EXPECT_EQ(GetWindowLongPtrA(h.hostWindow(), GWLP_USERDATA), userData);
    // Without a plugin.ini at the start, both switches are written at quit.
    EXPECT_EQ(PluginIniValue(h, "ActiveEnabled"), "0");
    EXPECT_EQ(PluginIniValue(h, "SystrayEnabled"), "1");

    // A subclass made after the plug-in's is left in place: the plug-in's
    // stays in the chain below it and only passes messages on.
    const WNDPROC later = &LaterSubclass;
    {
        PluginSwitches switches;
        PluginApp app(h.host().pluginModule(0), h.hostWindow(), switches);
        below = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrA(h.hostWindow(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(later)));
    }
    LangTable::useBuiltinEnglish();
    EXPECT_EQ(HostProc(h), reinterpret_cast<LONG_PTR>(later));
    EXPECT_EQ(SendMessageA(h.hostWindow(), WM_USER, 0, 125), 0);
    SetWindowLongPtrA(h.hostWindow(), GWLP_WNDPROC, proc);
}

}  // namespace
}  // namespace td::test
