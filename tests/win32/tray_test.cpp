// The tray controls of the plug-in inside the stand-in host, whose stand-in
// notification area keeps the icons: which icons a mask shows, what each
// click sends the host, the tray menu, the tray configuration dialog, and
// the icons' end at quit and return after a shell restart.
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

// The stand-in tray's lines of the host log ("#tray ...").
std::vector<std::string> TrayLines(HostHarness& h) {
    std::vector<std::string> out;
    for (const std::string& line : h.lines()) {
        if (line.rfind("#tray", 0) == 0) out.push_back(line);
    }
    return out;
}

bool Checked(HWND dialog, int id) { return IsDlgButtonChecked(dialog, id) == BST_CHECKED; }

// --- icons ----------------------------------------------------------------------

TEST(Tray, EachClickSendsItsCommandsToTheHostAndOtherMessagesReachTheHost) {
    struct Case {
        UINT icon;
        UINT mouse;
        bool shift;
        bool ctrl;
        std::vector<std::string> sent;
    };
    const std::vector<std::string> volumeUp2(2, "273 w=40058 l=0 r=0");
    const std::vector<std::string> volumeUp20(20, "273 w=40058 l=0 r=0");
    const std::vector<std::string> volumeDown2(2, "273 w=40059 l=0 r=0");
    const Case cases[] = {
        // Stopped: previous goes back a track, play/pause plays.
        {1025, WM_LBUTTONDOWN, false, false, {"1024 w=0 l=104 r=0", "273 w=40044 l=0 r=0"}},
        {1026, WM_LBUTTONDOWN, false, false, {"1024 w=0 l=104 r=0", "273 w=40045 l=0 r=0"}},
        {1027, WM_LBUTTONDOWN, false, false, {"273 w=40047 l=0 r=0"}},
        {1027, WM_LBUTTONDOWN, true, false, {"273 w=40147 l=0 r=0"}},
        {1028, WM_LBUTTONDOWN, false, false, {"273 w=40048 l=0 r=0"}},
        {1029, WM_LBUTTONDOWN, false, false, {"273 w=40029 l=0 r=0"}},
        {1029, WM_LBUTTONDOWN, false, true, {"273 w=40185 l=0 r=0"}},
        {1029, WM_LBUTTONDOWN, true, false, {"273 w=40187 l=0 r=0"}},
        {1030, WM_LBUTTONDOWN, false, false, volumeUp2},
        {1030, WM_LBUTTONDOWN, false, true, volumeUp20},
        {1030, WM_RBUTTONDOWN, false, false, volumeDown2},
        // A right click that does nothing.
        {1025, WM_RBUTTONDOWN, false, false, {}},
    };
    HostHarness h(WithMask("255"));
    ASSERT_TRUE(h.ok());
    EXPECT_EQ(Icons(h).size(), 8u);
    // Owner and callback message are the ones the clicks below come back by.
    for (const td::host::TrayIconRecord& icon : h.host().tray()->icons()) {
        EXPECT_NE(icon.icon, nullptr);
    }
    for (const Case& c : cases) {
        h.host().clearRecords();
        HoldModifiers((c.shift ? kShift : kNoMods) | (c.ctrl ? kCtrl : kNoMods));
        ASSERT_TRUE(h.host().tray()->click(c.icon, c.mouse));
        HoldModifiers(kNoMods);
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

// --- the end and the shell's restart ------------------------------------------------

TEST(Tray, IconsComeWithAShellThatStartsLaterAndBackAfterItRestarts) {
    HostSetup setup = WithMask("133");
    setup.load = false;
    HostHarness h(setup);
    ASSERT_TRUE(h.ok());
    h.host().tray()->setRunning(false);
    ASSERT_EQ(h.load(), 1);
    EXPECT_TRUE(Icons(h).empty());
    h.host().tray()->restart();
    EXPECT_EQ(Icons(h), (std::vector<UINT>{1024, 1026, 1031}));
    h.host().tray()->restart();
    EXPECT_EQ(Icons(h), (std::vector<UINT>{1024, 1026, 1031}));
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

int PlaylistWindowCount() {
    int count = 0;
    HWND window = nullptr;
    while ((window = FindWindowExA(nullptr, window, "#32770", "Tunedeck")) != nullptr) ++count;
    return count;
}

TEST(Tray, AClickWhileTheWindowIsMadeOrDestroyedOpensOneWindow) {
    HostHarness h(WithMask("1"));
    ASSERT_TRUE(h.ok());
    ClickInside::Install(h.hostWindow(), true);
    h.host().tray()->click(kFirstIcon, WM_LBUTTONDOWN);
    ClickInside::Remove();
    EXPECT_GE(ClickInside::clicks, 1);
    EXPECT_EQ(PlaylistWindowCount(), 1);
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
    EXPECT_EQ(PlaylistWindowCount(), 0);
    // The next click makes a new one.
    h.host().tray()->click(kFirstIcon, WM_LBUTTONDOWN);
    EXPECT_EQ(PlaylistWindowCount(), 1);

    // At quit the host's window is the host's again before the window goes:
    // a click then is the host's.
    h.host().clearRecords();
    ClickInside::Install(h.hostWindow(), false);
    h.quitPlugins();
    ClickInside::Remove();
    EXPECT_EQ(ClickInside::clicks, 1);
    EXPECT_EQ(h.host().recordsOf(kTrayCallback).size(), 1u);
    EXPECT_EQ(PlaylistWindowCount(), 0);
}

// --- the tray menu -------------------------------------------------------------------

HWND OpenMenuWindow() {
    HWND menu = FindWindowA("#32768", nullptr);
    return menu && IsWindowVisible(menu) ? menu : nullptr;
}

HFONT WINAPI NoFont(const LOGFONTA*) { return nullptr; }

TEST(TrayMenu, OpensInFrontWithMeasuredItemsAndClosesCleanlyAlsoWithoutItsFont) {
    HostHarness h(WithMask("128"));
    ASSERT_TRUE(h.ok());
    ASSERT_EQ(Icons(h), (std::vector<UINT>{kMenuIcon}));
    for (bool fontFails : {false, true}) {
        SCOPED_TRACE(fontFails);
        void* real = nullptr;
        if (fontFails) {
            real = td::host::PatchImport(h.host().pluginModule(0), "gdi32.dll", "CreateFontIndirectA",
                                         reinterpret_cast<void*>(&NoFont));
            ASSERT_NE(real, nullptr);
        }
        RECT box{};
        HWND foreground = nullptr;
        WhenWindowShows("#32768", nullptr, [&](HWND menu) {
            GetWindowRect(menu, &box);
            foreground = GetForegroundWindow();
            // Every item drawn once before the menu goes.
            RedrawWindow(menu, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
            EndMenu();
        });
        h.host().clearRecords();
        ASSERT_TRUE(h.host().tray()->click(kMenuIcon, WM_LBUTTONDOWN));
        if (fontFails) {
            td::host::PatchImport(h.host().pluginModule(0), "gdi32.dll", "CreateFontIndirectA", real);
        }
        ASSERT_TRUE(WindowShown());
        EXPECT_EQ(foreground, h.hostWindow());
        // Six items of at least 16 + 4 pixels, "Very Long String" + 26 wide.
        EXPECT_GE(box.bottom - box.top, 6 * 20);
        EXPECT_GE(box.right - box.left, 80);
        // The empty message that lets the next tray click open the menu again.
        h.pump(50);
        EXPECT_EQ(h.host().recordsOf(WM_NULL).size(), 1u);
        EXPECT_TRUE(h.exchanges().empty());
        EXPECT_EQ(OpenMenuWindow(), nullptr);
    }
}

TEST(TrayMenu, EntriesActAsTheIcons) {
    struct Case {
        UINT command;
        std::vector<std::string> sent;
    };
    const Case cases[] = {
        {1125, {"1024 w=0 l=104 r=0", "273 w=40044 l=0 r=0"}},
        {1126, {"1024 w=0 l=104 r=0", "273 w=40045 l=0 r=0"}},
        {1127, {"273 w=40047 l=0 r=0"}},
        {1128, {"273 w=40048 l=0 r=0"}},
        {1129, {"273 w=40029 l=0 r=0"}},
    };
    HostHarness h(WithMask("128"));
    ASSERT_TRUE(h.ok());
    for (const Case& c : cases) {
        h.host().clearRecords();
        // As the menu delivers a choice: a menu command to its owner.
        PostMessageA(h.hostWindow(), WM_COMMAND, MAKEWPARAM(c.command, 0), 0);
        h.pump(50);
        // The host sees the commands the entry sends, never the entry's own.
        EXPECT_EQ(h.exchanges(), c.sent) << c.command;
    }
    PostMessageA(h.hostWindow(), WM_COMMAND, MAKEWPARAM(1124, 0), 0);
    h.pump(50);
    EXPECT_NE(PlaylistWindowHandle(), nullptr);
}

TEST(TrayMenu, TheHostsOwnOwnerDrawnItemsAreLeftAlone) {
    HostHarness h(WithMask("128"));
    ASSERT_TRUE(h.ok());
    // An item of the host's own menus, with the id of one of ours and item
    // data that is no text at all.
    MEASUREITEMSTRUCT measure{};
    measure.CtlType = ODT_MENU;
    measure.itemID = 1125;
    measure.itemData = 0x10;
    SendMessageA(h.hostWindow(), WM_MEASUREITEM, 0, reinterpret_cast<LPARAM>(&measure));
    EXPECT_EQ(measure.itemWidth, 0u);
    EXPECT_EQ(measure.itemHeight, 0u);
    DRAWITEMSTRUCT draw{};
    draw.CtlType = ODT_MENU;
    draw.itemID = 1125;
    draw.itemData = 0x10;
    draw.hDC = GetDC(h.hostWindow());
    draw.rcItem = RECT{0, 0, 100, 20};
    SendMessageA(h.hostWindow(), WM_DRAWITEM, 0, reinterpret_cast<LPARAM>(&draw));
    ReleaseDC(h.hostWindow(), draw.hDC);
    EXPECT_EQ(h.host().recordsOf(WM_DRAWITEM).size(), 1u);  // passed on to the host
}

TEST(TrayMenu, TheHostQuittingFromInsideTheMenuOrDialogEndsThemAndTheIconsComeBackWhenStartedAgain) {
    HostHarness h(WithMask("129"));
    ASSERT_TRUE(h.ok());
    WhenWindowShows("#32768", nullptr, [&](HWND) { h.quitPlugins(); });
    h.host().tray()->click(kMenuIcon, WM_LBUTTONDOWN);
    ASSERT_TRUE(WindowShown());
    EXPECT_EQ(OpenMenuWindow(), nullptr);
    EXPECT_TRUE(Icons(h).empty());
    EXPECT_EQ(PluginIniValue(h.folder(), "SystrayEnabled"), "129");

    // Started again (the host calls quit once; this test calls it itself),
    // as after being disabled and enabled in the host's preferences: the
    // same icons, each added once.
    h.host().clearRecords();
    td::host::PluginRecord* record = h.host().pluginRecord(0);
    ASSERT_NE(record, nullptr);
    record->init();
    EXPECT_EQ(Icons(h), (std::vector<UINT>{1024, 1031}));
    for (const std::string& line : TrayLines(h)) EXPECT_NE(line.find("r=1"), std::string::npos) << line;
    bool applied = false;
    WhenWindowShows("#32770", kDialogCaption, [&](HWND dialog) {
        record->quit();
        // The dialog's buttons no longer reach the object that is gone.
        Press(dialog, 3);
        applied = !Icons(h).empty();
    });
    h.host().tray()->click(kFirstIcon, WM_RBUTTONDOWN);
    ASSERT_TRUE(WindowShown());
    EXPECT_FALSE(applied);
    EXPECT_EQ(FindWindowA("#32770", kDialogCaption), nullptr);
    EXPECT_TRUE(Icons(h).empty());
}

// --- the configuration dialog --------------------------------------------------------------

TEST(TrayDialog, ApplyShowsAtOnceCancelKeepsWhatWasApplied) {
    HostHarness h(WithMask("1"));
    ASSERT_TRUE(h.ok());
    h.host().openMainMenu();
    std::vector<UINT> afterApply;
    std::vector<std::string> secondApply;
    std::vector<bool> afterUngroup;
    WhenWindowShows("#32770", kDialogCaption, [&](HWND dialog) {
        Click(dialog, 1002);
        Click(dialog, 1003);
        Press(dialog, 3);  // Apply
        afterApply = Icons(h);
        h.host().clearRecords();
        Press(dialog, 3);  // the same boxes again: nothing to do
        secondApply = TrayLines(h);
        // Grouping, then ungrouping, checks every icon box.
        Click(dialog, 1007);
        Click(dialog, 1007);
        for (int id = 1000; id <= 1006; ++id) afterUngroup.push_back(Checked(dialog, id));
        Click(dialog, 1004);
        Press(dialog, IDCANCEL);
    });
    h.host().chooseMainMenuItem(50122);  // "Systray config"
    ASSERT_TRUE(WindowShown());
    EXPECT_EQ(afterApply, (std::vector<UINT>{1024, 1026, 1027}));
    EXPECT_TRUE(secondApply.empty());
    EXPECT_EQ(afterUngroup, std::vector<bool>(7, true));
    // Cancel leaves what Apply did.
    EXPECT_EQ(Icons(h), (std::vector<UINT>{1024, 1026, 1027}));
    h.quitPlugins();
    EXPECT_EQ(PluginIniValue(h.folder(), "SystrayEnabled"), "13");
}

TEST(TrayDialog, ThePlaylistWindowsConfigureCommandOpensIt) {
    HostHarness h(WithMask("1"));
    ASSERT_TRUE(h.ok());
    h.host().tray()->click(kFirstIcon, WM_LBUTTONDOWN);
    HWND window = PlaylistWindowHandle();
    ASSERT_NE(window, nullptr);
    // The menu entry and its Ctrl+P shortcut.
    for (WPARAM command : {40067, 40077}) {
        HWND owner = nullptr;
        WhenWindowShows("#32770", kDialogCaption, [&](HWND dialog) {
            owner = GetWindow(dialog, GW_OWNER);
            Press(dialog, IDCANCEL);
        });
        SendMessageA(window, WM_COMMAND, MAKEWPARAM(command, 0), 0);
        EXPECT_TRUE(WindowShown()) << command;
        EXPECT_EQ(owner, h.hostWindow()) << command;
    }
}

TEST(TrayDialog, ASecondRequestBringsTheOpenDialogForwardAndOkOnAGroupedMaskKeepsOnlyTheMenu) {
    HostHarness h(WithMask("129"));
    ASSERT_TRUE(h.ok());
    int dialogs = -1;
    bool iconBoxOff = false;
    WhenWindowShows("#32770", kDialogCaption, [&](HWND dialog) {
        iconBoxOff = !Checked(dialog, 1000) && !IsWindowEnabled(GetDlgItem(dialog, 1000));
        // The menu icon's right click, while the dialog is up.
        h.host().tray()->click(kMenuIcon, WM_RBUTTONDOWN);
        dialogs = 0;
        HWND window = nullptr;
        while ((window = FindWindowExA(nullptr, window, "#32770", kDialogCaption)) != nullptr) ++dialogs;
        Press(dialog, IDOK);
    });
    h.host().tray()->click(kMenuIcon, WM_RBUTTONDOWN);
    ASSERT_TRUE(WindowShown());
    EXPECT_EQ(dialogs, 1);
    EXPECT_TRUE(iconBoxOff);
    EXPECT_EQ(Icons(h), (std::vector<UINT>{kMenuIcon}));
    h.quitPlugins();
    EXPECT_EQ(PluginIniValue(h.folder(), "SystrayEnabled"), "128");
}

}  // namespace
}  // namespace td::test
