// The tray controls of the plug-in inside the stand-in host, whose stand-in
// notification area keeps the icons: what each click sends the host, clicks
// while the window comes and goes, the tray menu, the tray configuration
// dialog, and the icons' return after a shell restart. The tray model's own
// test (tests/plugin/tray_model_test.cpp) keeps only the edge cases: masks
// past eight icons, Ctrl over Shift, menu commands that are not ours.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "host/host_core.h"
#include "host/notify_area.h"
#include "tests/win32/dialog_driver.h"
#include "tests/win32/host_harness.h"

namespace td::test {
namespace {

constexpr UINT kTrayCallback = 1051;
constexpr UINT kFirstIcon = 1024;
constexpr UINT kMenuIcon = 1031;
constexpr char kDialogCaption[] = "Tunedeck systray control for WinAmp";

HostSetup WithMask(const std::string& mask) {
    HostSetup setup;
    setup.pluginIni = "[Tunedeck]\r\nActiveEnabled=1\r\nSystrayEnabled=" + mask + "\r\n";
    return setup;
}

std::vector<UINT> Icons(HostHarness& h) { return h.host().tray()->ids(); }

// Sets the state of Shift and Ctrl for the thread, as if they were held.
void HoldModifiers(bool shift, bool ctrl) {
    BYTE state[256] = {};
    GetKeyboardState(state);
    state[VK_SHIFT] = shift ? 0x80 : 0;
    state[VK_CONTROL] = ctrl ? 0x80 : 0;
    SetKeyboardState(state);
}

// --- icons ----------------------------------------------------------------------

TEST(Tray, EachClickSendsItsCommandsToTheHostAndOtherMessagesReachTheHost) {
    struct Case {
        UINT icon;
        UINT mouse;
        bool shift;
        bool ctrl;
        std::vector<std::string> sent;
    };
    const Case cases[] = {
        // Stopped: previous goes back a track, play/pause plays.
        {1025, WM_LBUTTONDOWN, false, false, {"1024 w=0 l=104 r=0", "273 w=40044 l=0 r=0"}},
        {1026, WM_LBUTTONDOWN, false, false, {"1024 w=0 l=104 r=0", "273 w=40045 l=0 r=0"}},
        {1027, WM_LBUTTONDOWN, false, false, {"273 w=40047 l=0 r=0"}},
        {1027, WM_LBUTTONDOWN, true, false, {"273 w=40147 l=0 r=0"}},
        {1028, WM_LBUTTONDOWN, false, false, {"273 w=40048 l=0 r=0"}},
        {1029, WM_LBUTTONDOWN, false, false, {"273 w=40029 l=0 r=0"}},
        {1029, WM_LBUTTONDOWN, true, false, {"273 w=40187 l=0 r=0"}},
        {1030, WM_LBUTTONDOWN, false, false, std::vector<std::string>(2, "273 w=40058 l=0 r=0")},
        {1030, WM_LBUTTONDOWN, false, true, std::vector<std::string>(20, "273 w=40058 l=0 r=0")},
        {1030, WM_RBUTTONDOWN, false, false, std::vector<std::string>(2, "273 w=40059 l=0 r=0")},
        // A right click that does nothing.
        {1025, WM_RBUTTONDOWN, false, false, {}},
    };
    HostHarness h(WithMask("255"));
    ASSERT_TRUE(h.ok());
    // Every icon has its picture.
    for (const td::host::TrayIconRecord& icon : h.host().tray()->icons()) {
        EXPECT_NE(icon.icon, nullptr);
    }
    for (const Case& c : cases) {
        h.host().clearRecords();
        HoldModifiers(c.shift, c.ctrl);
        ASSERT_TRUE(h.host().tray()->click(c.icon, c.mouse));
        HoldModifiers(false, false);
        h.pump(50);
        EXPECT_EQ(h.exchanges(), c.sent)
            << c.icon << " " << c.mouse << (c.shift ? " shift" : "") << (c.ctrl ? " ctrl" : "");
        // A button press is the plug-in's alone.
        EXPECT_TRUE(h.host().recordsOf(kTrayCallback).empty()) << c.icon;
    }
    // Playing, play/pause pauses.
    h.host().addEntry("C:\\a.mp3");
    h.host().startPlay();
    h.host().clearRecords();
    h.host().tray()->click(1026, WM_LBUTTONDOWN);
    h.pump(50);
    EXPECT_EQ(h.exchanges(), (std::vector<std::string>{"1024 w=0 l=104 r=1", "273 w=40046 l=0 r=0"}));
    EXPECT_EQ(h.host().state(), td::host::PlayState::Paused);

    // Other mouse messages and other icons' clicks are the host's.
    h.host().clearRecords();
    SendMessageA(h.hostWindow(), kTrayCallback, 1024, WM_MOUSEMOVE);
    SendMessageA(h.hostWindow(), kTrayCallback, 1024, WM_LBUTTONUP);
    SendMessageA(h.hostWindow(), kTrayCallback, 1032, WM_LBUTTONDOWN);
    SendMessageA(h.hostWindow(), kTrayCallback, 1023, WM_RBUTTONDOWN);
    h.pump(50);
    EXPECT_EQ(h.host().recordsOf(kTrayCallback).size(), 4u);
    EXPECT_TRUE(h.exchanges().empty());
}

// --- clicks while the window comes and goes ---------------------------------------------

// Clicks tray icon 0 from inside the creation or destruction of the
// playlist window.
struct ClickInside {
    static inline HWND host = nullptr;
    static inline HHOOK hook = nullptr;
    static inline int clicks = 0;
    static inline bool onCreate = true;
    static LRESULT CALLBACK Hook(int code, WPARAM wParam, LPARAM lParam) {
        if (code == HCBT_CREATEWND && onCreate) {
            const CREATESTRUCTA* create = reinterpret_cast<CBT_CREATEWNDA*>(lParam)->lpcs;
            if (create->hwndParent == host && !(create->style & WS_CHILD)) {
                ++clicks;
                SendMessageA(host, kTrayCallback, kFirstIcon, WM_LBUTTONDOWN);
            }
        }
        if (code == HCBT_DESTROYWND && !onCreate &&
            reinterpret_cast<HWND>(wParam) == PlaylistWindowHandle()) {
            ++clicks;
            SendMessageA(host, kTrayCallback, kFirstIcon, WM_LBUTTONDOWN);
        }
        return CallNextHookEx(hook, code, wParam, lParam);
    }
    static void Install(HWND hostWindow, bool creating) {
        host = hostWindow;
        onCreate = creating;
        clicks = 0;
        hook = SetWindowsHookExA(WH_CBT, &Hook, nullptr, GetCurrentThreadId());
    }
    static void Remove() {
        if (hook) UnhookWindowsHookEx(hook);
        hook = nullptr;
    }
};

// The dialog windows of caption `caption`: the playlist window ("Tunedeck")
// or the tray configuration dialog.
int WindowCount(const char* caption) {
    int count = 0;
    HWND window = nullptr;
    while ((window = FindWindowExA(nullptr, window, "#32770", caption)) != nullptr) ++count;
    return count;
}

TEST(Tray, AClickWhileTheWindowIsMadeOrDestroyedOpensOneWindow) {
    HostHarness h(WithMask("1"));
    ASSERT_TRUE(h.ok());
    ClickInside::Install(h.hostWindow(), true);
    h.host().tray()->click(kFirstIcon, WM_LBUTTONDOWN);
    ClickInside::Remove();
    EXPECT_GE(ClickInside::clicks, 1);
    EXPECT_EQ(WindowCount("Tunedeck"), 1);
    HWND window = PlaylistWindowHandle();
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(IsWindowVisible(window));

    // The window's own Quit command, with a click arriving as it goes.
    ClickInside::Install(h.hostWindow(), false);
    SendMessageA(window, WM_COMMAND, MAKEWPARAM(40074, 0), 0);
    ClickInside::Remove();
    EXPECT_EQ(ClickInside::clicks, 1);
    EXPECT_FALSE(IsWindow(window));
    h.pump(50);
    EXPECT_EQ(WindowCount("Tunedeck"), 0);
    // The next click makes a new one.
    h.host().tray()->click(kFirstIcon, WM_LBUTTONDOWN);
    EXPECT_EQ(WindowCount("Tunedeck"), 1);

    // At quit the host's window is the host's again before the window goes:
    // a click then is the host's.
    h.host().clearRecords();
    ClickInside::Install(h.hostWindow(), false);
    h.quitPlugins();
    ClickInside::Remove();
    EXPECT_EQ(ClickInside::clicks, 1);
    EXPECT_EQ(h.host().recordsOf(kTrayCallback).size(), 1u);
    EXPECT_EQ(WindowCount("Tunedeck"), 0);
}

// --- the tray menu -------------------------------------------------------------------

HWND OpenMenuWindow() {
    HWND menu = FindWindowA("#32768", nullptr);
    return menu && IsWindowVisible(menu) ? menu : nullptr;
}

TEST(TrayMenu, ComesWithTheShellOpensInFrontActsAsTheIconsLeavesTheHostsItemsAloneAndEndsWhenTheHostQuits) {
    HostSetup setup = WithMask("133");
    setup.load = false;
    HostHarness h(setup);
    ASSERT_TRUE(h.ok());
    // The icons come with a shell that starts later, and back after it restarts.
    h.host().tray()->setRunning(false);
    ASSERT_EQ(h.load(), 1);
    EXPECT_TRUE(Icons(h).empty());
    h.host().tray()->restart();
    EXPECT_EQ(Icons(h), (std::vector<UINT>{1024, 1026, 1031}));
    h.host().tray()->restart();
    EXPECT_EQ(Icons(h), (std::vector<UINT>{1024, 1026, 1031}));

    // An owner-drawn item of the host's own menus, with the id of one of
    // ours and item data that is no text at all.
    MEASUREITEMSTRUCT measure{};
    measure.CtlType = ODT_MENU;
    measure.itemID = 1125;
    measure.itemData = 0x10;
    DRAWITEMSTRUCT draw{};
    draw.CtlType = ODT_MENU;
    draw.itemID = 1125;
    draw.itemData = 0x10;
    HWND foreground = nullptr;
    WhenWindowShows("#32768", nullptr, [&](HWND menu) {
        foreground = GetForegroundWindow();
        // Every item drawn once before the menu goes.
        RedrawWindow(menu, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
        // While ours is open, the host's item is still not ours to measure or draw.
        SendMessageA(h.hostWindow(), WM_MEASUREITEM, 0, reinterpret_cast<LPARAM>(&measure));
        SendMessageA(h.hostWindow(), WM_DRAWITEM, 0, reinterpret_cast<LPARAM>(&draw));
        EndMenu();
    });
    h.host().clearRecords();
    ASSERT_TRUE(h.host().tray()->click(kMenuIcon, WM_LBUTTONDOWN));
    ASSERT_TRUE(AllShown());
    EXPECT_EQ(foreground, h.hostWindow());
    EXPECT_EQ(measure.itemWidth, 0u);
    // The empty message that lets the next tray click open the menu again.
    h.pump(50);
    EXPECT_EQ(h.host().recordsOf(WM_NULL).size(), 1u);
    EXPECT_TRUE(h.exchanges().empty());
    EXPECT_EQ(OpenMenuWindow(), nullptr);

    // A choice arrives as a menu command to the owner: the host sees what
    // the entry's icon would send, never the entry's own command.
    h.host().clearRecords();
    PostMessageA(h.hostWindow(), WM_COMMAND, MAKEWPARAM(1127, 0), 0);
    h.pump(50);
    EXPECT_EQ(h.exchanges(), std::vector<std::string>{"273 w=40047 l=0 r=0"});
    PostMessageA(h.hostWindow(), WM_COMMAND, MAKEWPARAM(1124, 0), 0);
    h.pump(50);
    EXPECT_NE(PlaylistWindowHandle(), nullptr);

    // The host quitting from inside the menu ends it and takes the icons.
    WhenWindowShows("#32768", nullptr, [&](HWND) { h.quitPlugins(); });
    h.host().tray()->click(kMenuIcon, WM_LBUTTONDOWN);
    ASSERT_TRUE(AllShown());
    EXPECT_EQ(OpenMenuWindow(), nullptr);
    EXPECT_TRUE(Icons(h).empty());
    EXPECT_EQ(PluginIniValue(h, "SystrayEnabled"), "133");
    // Started again, as after being disabled and enabled in the host's
    // preferences: the same icons. The host has called quit once already,
    // so this test ends the second run itself.
    h.host().pluginRecord(0)->init();
    EXPECT_EQ(Icons(h), (std::vector<UINT>{1024, 1026, 1031}));
    h.host().pluginRecord(0)->quit();
    EXPECT_TRUE(Icons(h).empty());
}

// --- the configuration dialog --------------------------------------------------------------

TEST(TrayDialog, ApplyCancelAndOkFromTheHostsMenuAndTheWindowAndTheHostQuittingWhileItIsUp) {
    HostHarness h(WithMask("1"));
    ASSERT_TRUE(h.ok());
    h.host().openMainMenu();
    std::vector<UINT> afterApply;
    WhenWindowShows("#32770", kDialogCaption, [&](HWND dialog) {
        Click(dialog, 1002);
        Click(dialog, 1003);
        Press(dialog, 3);  // Apply
        afterApply = Icons(h);
        Click(dialog, 1004);
        Press(dialog, IDCANCEL);
    });
    h.host().chooseMainMenuItem(50122);  // "Systray config"
    ASSERT_TRUE(AllShown());
    EXPECT_EQ(afterApply, (std::vector<UINT>{1024, 1026, 1027}));
    // Cancel leaves what Apply did.
    EXPECT_EQ(Icons(h), afterApply);

    // The playlist window's Configure command: the dialog is owned by the
    // host's window, a second request brings the open one forward, and OK
    // with the icons grouped keeps only the menu icon.
    h.host().tray()->click(kFirstIcon, WM_LBUTTONDOWN);
    HWND window = PlaylistWindowHandle();
    ASSERT_NE(window, nullptr);
    HWND owner = nullptr;
    int dialogs = 0;
    WhenWindowShows("#32770", kDialogCaption, [&](HWND dialog) {
        owner = GetWindow(dialog, GW_OWNER);
        SendMessageA(window, WM_COMMAND, MAKEWPARAM(40067, 0), 0);
        dialogs = WindowCount(kDialogCaption);
        Click(dialog, 1007);
        Press(dialog, IDOK);
    });
    SendMessageA(window, WM_COMMAND, MAKEWPARAM(40067, 0), 0);
    ASSERT_TRUE(AllShown());
    EXPECT_EQ(owner, h.hostWindow());
    EXPECT_EQ(dialogs, 1);
    EXPECT_EQ(Icons(h), (std::vector<UINT>{kMenuIcon}));

    // The host quitting while the dialog is up: its buttons no longer reach
    // the object that is gone.
    bool applied = false;
    WhenWindowShows("#32770", kDialogCaption, [&](HWND dialog) {
        h.quitPlugins();
        Press(dialog, 3);
        applied = !Icons(h).empty();
    });
    h.host().tray()->click(kMenuIcon, WM_RBUTTONDOWN);
    ASSERT_TRUE(AllShown());
    EXPECT_FALSE(applied);
    EXPECT_EQ(WindowCount(kDialogCaption), 0);
    EXPECT_TRUE(Icons(h).empty());
    EXPECT_EQ(PluginIniValue(h, "SystrayEnabled"), "128");
}

}  // namespace
}  // namespace td::test
