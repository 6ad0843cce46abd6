// The stand-in host: its answers to requests, file hand-overs and commands,
// the M3U it writes, the record of what it received, how it runs plug-ins,
// its main menu, and the tdhost program.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "host/host_core.h"
#include "tests/win32/host_harness.h"

namespace td::test {
namespace {

using td::host::HostRecord;
using td::host::PlayState;
using td::host::PluginRecord;

HostSetup BareHost(uint64_t* clock = nullptr) {
    HostSetup setup;
    setup.copyPlugin = false;
    setup.load = false;
    if (clock) setup.clock = [clock] { return *clock; };
    return setup;
}

LRESULT Request(HostHarness& h, WPARAM argument, LPARAM id) {
    return SendMessageA(h.hostWindow(), WM_USER, argument, id);
}

LRESULT HandOver(HostHarness& h, const void* data, DWORD bytes, ULONG_PTR kind = 100) {
    COPYDATASTRUCT cds{};
    cds.dwData = kind;
    cds.cbData = bytes;
    cds.lpData = const_cast<void*>(data);
    return SendMessageA(h.hostWindow(), WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&cds));
}

LRESULT HandOver(HostHarness& h, const std::string& path) {
    return HandOver(h, path.c_str(), static_cast<DWORD>(path.size() + 1));
}

void Command(HostHarness& h, UINT id) { SendMessageA(h.hostWindow(), WM_COMMAND, id, 0); }

bool Contains(const std::vector<std::string>& lines, const std::string& line) {
    return std::find(lines.begin(), lines.end(), line) != lines.end();
}

std::vector<std::string> Events(const std::vector<std::string>& lines) {
    std::vector<std::string> out;
    for (const std::string& line : lines) {
        if (!line.empty() && line[0] == '#') out.push_back(line);
    }
    return out;
}

// --- requests ------------------------------------------------------------------------

TEST(StandInHost, RequestsAnswerFromThePlaylist) {
    HostHarness h(BareHost());
    ASSERT_TRUE(h.ok());
    EXPECT_EQ(Request(h, 0, 125), 0);
    EXPECT_EQ(Request(h, 0, 105), -1);  // nothing to play
    EXPECT_EQ(Request(h, 1, 105), -1);
    EXPECT_EQ(Request(h, 0, 211), 0);

    h.host().addEntry("C:\\music\\one.mp3", 200);
    ASSERT_EQ(HandOver(h, "C:\\music\\two.mp3"), 1);
    EXPECT_EQ(Request(h, 1, 105), 200);
    EXPECT_EQ(Request(h, 0, 105), 0);  // stopped
    const auto* text = reinterpret_cast<const char*>(Request(h, 1, 211));
    ASSERT_NE(text, nullptr);
    EXPECT_STREQ(text, "C:\\music\\two.mp3");
    EXPECT_EQ(Request(h, 2, 211), 0);
    EXPECT_EQ(Request(h, static_cast<WPARAM>(-1), 211), 0);

    Request(h, 1, 121);
    EXPECT_EQ(Request(h, 0, 125), 1);
    EXPECT_EQ(Request(h, 1, 105), td::host::kDefaultLengthSec);
    Request(h, 7, 121);  // out of range: unchanged
    EXPECT_EQ(Request(h, 0, 125), 1);

    Request(h, 0, 101);
    EXPECT_TRUE(h.host().entries().empty());
    EXPECT_EQ(Request(h, 0, 125), 0);
    EXPECT_EQ(Request(h, 0, 104), 0);
    EXPECT_EQ(Request(h, 0, 999), 0);  // unknown request
}

TEST(StandInHost, SetupEntriesAreThereBeforeThePluginsStart) {
    HostSetup setup = BareHost();
    setup.entries = {{"C:\\x.mp3", 42}, {"C:\\y.mp3", 7}};
    HostHarness h(setup);
    ASSERT_TRUE(h.ok());
    EXPECT_STREQ(reinterpret_cast<const char*>(Request(h, 1, 211)), "C:\\y.mp3");
    EXPECT_EQ(Request(h, 1, 105), 42);
}

TEST(StandInHost, VolumeReadsWithMinus666AndClamps) {
    HostHarness h(BareHost());
    ASSERT_TRUE(h.ok());
    const WPARAM read = static_cast<WPARAM>(-666);
    EXPECT_EQ(Request(h, read, 122), td::host::kInitialVolume);
    Request(h, 128, 122);
    EXPECT_EQ(Request(h, read, 122), 128);
    Request(h, 300, 122);
    EXPECT_EQ(Request(h, read, 122), 255);
    Request(h, static_cast<WPARAM>(-5), 122);
    EXPECT_EQ(Request(h, read, 122), 0);
    Command(h, 40058);
    EXPECT_EQ(Request(h, read, 122), td::host::kVolumeStep);
    Command(h, 40059);
    Command(h, 40059);
    EXPECT_EQ(Request(h, read, 122), 0);
    Request(h, 254, 122);
    Command(h, 40058);
    EXPECT_EQ(Request(h, read, 122), 255);
}

TEST(StandInHost, PlayStateAndPositionFollowTheClock) {
    uint64_t clock = 1000;
    HostHarness h(BareHost(&clock));
    ASSERT_TRUE(h.ok());
    h.host().addEntry("C:\\a.mp3", 10);
    h.host().addEntry("C:\\b.mp3", 5);

    Request(h, 0, 102);
    EXPECT_EQ(Request(h, 0, 104), 1);
    clock += 2500;
    EXPECT_EQ(Request(h, 0, 105), 2500);

    Command(h, 40046);  // pause: the position stands still
    EXPECT_EQ(Request(h, 0, 104), 3);
    clock += 4000;
    EXPECT_EQ(Request(h, 0, 105), 2500);
    Command(h, 40046);  // resume
    clock += 500;
    EXPECT_EQ(Request(h, 0, 105), 3000);

    EXPECT_EQ(Request(h, 9000, 106), 0);
    EXPECT_EQ(Request(h, 0, 105), 9000);
    clock += 1500;  // past the end of the first: on into the second
    EXPECT_EQ(Request(h, 0, 125), 1);
    EXPECT_EQ(Request(h, 0, 105), 500);
    clock += 5000;  // past the end of the last: stopped
    EXPECT_EQ(Request(h, 0, 104), 0);
    EXPECT_EQ(Request(h, 0, 105), 0);
    EXPECT_EQ(Request(h, 1000, 106), -1);  // not playing

    Command(h, 40044);  // previous
    EXPECT_EQ(Request(h, 0, 125), 0);
    Command(h, 40044);  // already first
    EXPECT_EQ(Request(h, 0, 125), 0);
    Command(h, 40045);
    clock += 3000;
    Command(h, 40045);  // play again: the song starts over
    EXPECT_EQ(Request(h, 0, 105), 0);
    Command(h, 40048);
    EXPECT_EQ(Request(h, 0, 125), 1);
    EXPECT_EQ(Request(h, 0, 104), 1);
    Command(h, 40048);  // already last
    EXPECT_EQ(Request(h, 0, 125), 1);
    EXPECT_EQ(Request(h, 60000, 106), 1);  // past the end of the last entry
    EXPECT_EQ(Request(h, 0, 104), 0);
    Command(h, 40045);
    Command(h, 40047);
    EXPECT_EQ(Request(h, 0, 104), 0);
    Command(h, 40045);
    Command(h, 40147);  // stop with fade-out
    EXPECT_EQ(Request(h, 0, 104), 0);
}

TEST(StandInHost, StartPlayOnAnEmptyListStaysStopped) {
    HostHarness h(BareHost());
    ASSERT_TRUE(h.ok());
    Request(h, 0, 102);
    Command(h, 40045);
    Command(h, 40046);
    EXPECT_EQ(Request(h, 0, 104), 0);
}

// --- file hand-over ---------------------------------------------------------------------

TEST(StandInHost, HandOverCountsTheTerminatorAndRejectsMalformedRecords) {
    HostHarness h(BareHost());
    ASSERT_TRUE(h.ok());
    const std::string path = "C:\\a.mp3";  // 8 characters, 9 bytes
    EXPECT_EQ(HandOver(h, path), 1);
    EXPECT_EQ(h.host().recordsOf(WM_COPYDATA).back().line, "74 kind=100 bytes=9 text=C:\\a.mp3 r=1");

    const char noTerminator[] = {'C', ':', '\\', 'b'};
    EXPECT_EQ(HandOver(h, noTerminator, sizeof(noTerminator)), 0);
    EXPECT_EQ(HandOver(h, "C:\\c.mp3", 0), 0);
    EXPECT_EQ(HandOver(h, nullptr, 5), 0);
    EXPECT_EQ(HandOver(h, "", 1), 0);
    EXPECT_EQ(HandOver(h, "C:\\d.mp3", 9, 99), 0);  // another kind
    EXPECT_EQ(SendMessageA(h.hostWindow(), WM_COPYDATA, 0, 0), 0);
    // A terminator before the end of the data: the path ends there.
    EXPECT_EQ(HandOver(h, "C:\\e.mp3\0junk", 14), 1);

    ASSERT_EQ(h.host().entries().size(), 2u);
    EXPECT_EQ(h.host().entries()[0].path, "C:\\a.mp3");
    EXPECT_EQ(h.host().entries()[1].path, "C:\\e.mp3");
    const auto lines = h.lines();
    EXPECT_TRUE(Contains(lines, "74 kind=100 bytes=4 text=C:\\b r=0"));
    EXPECT_TRUE(Contains(lines, "74 kind=100 bytes=0 text= r=0"));
    EXPECT_TRUE(Contains(lines, "74 kind=99 bytes=9 text=C:\\d.mp3 r=0"));
    EXPECT_TRUE(Contains(lines, "74 malformed r=0"));
}

TEST(StandInHost, HandOverOfControlCharactersKeepsTheLogOneLinePerRecord) {
    HostHarness h(BareHost());
    ASSERT_TRUE(h.ok());
    EXPECT_EQ(HandOver(h, std::string("C:\\x\r\ny.mp3")), 1);
    EXPECT_EQ(h.host().entries().back().path, "C:\\x\r\ny.mp3");
    EXPECT_TRUE(Contains(ReadLines(h.path("host.log")), "74 kind=100 bytes=12 text=C:\\x??y.mp3 r=1"));
}

// --- M3U ----------------------------------------------------------------------------------

TEST(StandInHost, WritesItsPlaylistBesideTheProgram) {
    HostHarness h(BareHost());
    ASSERT_TRUE(h.ok());
    h.host().addEntry("C:\\music\\First Song.mp3", 61);
    h.host().addEntry("D:\\x\\no_extension", 5);
    Request(h, 1, 121);
    EXPECT_EQ(Request(h, 0, 120), 1);  // answers the current index
    EXPECT_EQ(h.m3uPath(), h.folder().path("tdhost.m3u"));
    const auto lines = ReadLines(h.m3uPath());
    EXPECT_EQ(lines, (std::vector<std::string>{"#EXTM3U", "#EXTINF:61,First Song",
                                               "C:\\music\\First Song.mp3", "#EXTINF:5,no_extension",
                                               "D:\\x\\no_extension"}));
    std::FILE* file = std::fopen(h.m3uPath().c_str(), "rb");
    ASSERT_NE(file, nullptr);
    char head[10] = {};
    EXPECT_EQ(std::fread(head, 1, 9, file), 9u);
    std::fclose(file);
    EXPECT_STREQ(head, "#EXTM3U\r\n");

    Request(h, 0, 101);
    Request(h, 0, 120);
    EXPECT_EQ(ReadLines(h.m3uPath()), std::vector<std::string>{"#EXTM3U"});
}

TEST(StandInHost, M3uPathReplacesTheExtensionOfTheFileName) {
    using td::host::M3uPathFor;
    EXPECT_EQ(M3uPathFor("C:\\Program Files\\Player\\player.exe"), "C:\\Program Files\\Player\\player.m3u");
    EXPECT_EQ(M3uPathFor("C:\\a.b\\player"), "C:\\a.b\\player.m3u");
    EXPECT_EQ(M3uPathFor("C:\\a\\player.x.exe"), "C:\\a\\player.x.m3u");
}

TEST(StandInHost, ThePluginFindsTheHostM3uThroughTheClassModule) {
    HostHarness h(BareHost());
    ASSERT_TRUE(h.ok());
    // What a plug-in does: class module -> module file -> extension "m3u".
    const HWND found = FindWindowA("Winamp v1.x", nullptr);
    ASSERT_EQ(found, h.hostWindow());
    const auto module = reinterpret_cast<HMODULE>(GetClassLongPtrA(found, GCLP_HMODULE));
    char buffer[MAX_PATH + 1] = {};
    ASSERT_GT(GetModuleFileNameA(module, buffer, MAX_PATH), 0u);
    EXPECT_EQ(lstrcmpiA(td::host::M3uPathFor(buffer).c_str(), h.m3uPath().c_str()), 0)
        << buffer << " vs " << h.m3uPath();
}

// --- records --------------------------------------------------------------------------------

TEST(StandInHost, RecordsEveryMessageInReceiptOrderInMemoryAndInTheLog) {
    HostHarness h(BareHost());
    ASSERT_TRUE(h.ok());
    h.host().clearRecords();
    Request(h, 0, 101);
    HandOver(h, "C:\\a.mp3");
    PostMessageA(h.hostWindow(), WM_COMMAND, 40045, 0);
    h.pump(50);
    EXPECT_EQ(h.exchanges(), (std::vector<std::string>{"1024 w=0 l=101 r=0",
                                                       "74 kind=100 bytes=9 text=C:\\a.mp3 r=1",
                                                       "273 w=40045 l=0 r=0"}));
    const auto requests = h.host().recordsOf(WM_USER);
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].requestId, 101);
    const auto copies = h.host().recordsOf(WM_COPYDATA);
    ASSERT_EQ(copies.size(), 1u);
    EXPECT_EQ(copies[0].copyKind, 100u);
    EXPECT_EQ(copies[0].copyBytes, 9u);
    EXPECT_EQ(copies[0].text, "C:\\a.mp3");
    EXPECT_EQ(copies[0].result, 1);

    // Closing nests the destruction inside WM_CLOSE: WM_CLOSE still comes
    // first, in memory and in the file alike.
    SendMessageA(h.hostWindow(), WM_CLOSE, 0, 0);
    EXPECT_EQ(h.hostWindow(), nullptr);
    const auto lines = h.lines();
    const auto close = std::find(lines.begin(), lines.end(), "16 w=0 l=0 r=0");
    const auto destroy = std::find(lines.begin(), lines.end(), "2 w=0 l=0 r=0");
    ASSERT_NE(close, lines.end());
    ASSERT_NE(destroy, lines.end());
    EXPECT_LT(close, destroy);

    const auto file = ReadLines(h.path("host.log"));
    ASSERT_GE(file.size(), lines.size());
    // The file holds everything since creation; memory what followed the clear.
    EXPECT_TRUE(std::equal(lines.begin(), lines.end(), file.end() - static_cast<long>(lines.size())));
}

// --- plug-ins ---------------------------------------------------------------------------------

std::vector<std::string>* g_calls = nullptr;
PluginRecord g_recordA{0x10, const_cast<char*>("A"), [] { g_calls->push_back("init A"); return 0; },
                       [] { g_calls->push_back("config A"); }, [] { g_calls->push_back("quit A"); },
                       nullptr, nullptr};
PluginRecord g_recordB{0x10, const_cast<char*>("B"), [] { g_calls->push_back("init B"); return 0; },
                       [] { g_calls->push_back("config B"); }, [] { g_calls->push_back("quit B"); },
                       nullptr, nullptr};

TEST(StandInHost, PluginsStartInOrderAndQuitOnceInReverse) {
    std::vector<std::string> calls;
    g_calls = &calls;
    {
        HostHarness h(BareHost());
        ASSERT_TRUE(h.ok());
        const HMODULE self = GetModuleHandleA(nullptr);
        EXPECT_TRUE(h.host().adoptPlugin("gen_a.dll", [] { return &g_recordA; }, nullptr));
        EXPECT_FALSE(h.host().adoptPlugin("gen_null.dll", [] { return static_cast<PluginRecord*>(nullptr); }));
        EXPECT_TRUE(h.host().adoptPlugin("gen_b.dll", [] { return &g_recordB; }, self));
        EXPECT_EQ(g_recordA.hwndParent, h.hostWindow());
        EXPECT_EQ(g_recordB.hDllInstance, self);
        EXPECT_EQ(h.host().pluginRecord(1), nullptr);

        h.host().configPlugin(2);
        h.host().configPlugin(1);  // null record: never called
        SendMessageA(h.hostWindow(), WM_CLOSE, 0, 0);
        h.host().quitPlugins();  // already quit
        EXPECT_EQ(Events(h.lines()),
                  (std::vector<std::string>{"#init gen_a.dll", "#null-record gen_null.dll", "#init gen_b.dll",
                                            "#config gen_b.dll", "#quit gen_b.dll", "#quit gen_a.dll"}));
    }
    EXPECT_EQ(calls, (std::vector<std::string>{"init A", "init B", "config B", "quit B", "quit A"}));
    g_calls = nullptr;
}

TEST(StandInHost, LoadsOnlyGenDllsOfThePluginsFolderAndReportsFailures) {
    HostSetup setup = BareHost();
    setup.files = {{"Plugins\\gen_broken.dll", "not a module"},
                   {"Plugins\\other.dll", "ignored"},
                   {"Plugins\\gen_notes.txt", "ignored"},
                   {"Plugins\\gen_x.dllold", "ignored"}};
    HostHarness h(setup);
    ASSERT_TRUE(h.ok());
    EXPECT_EQ(h.load(), 0);
    EXPECT_EQ(Events(h.lines()), std::vector<std::string>{"#load-failed gen_broken.dll"});
    EXPECT_EQ(h.host().pluginCount(), 0u);
}

TEST(StandInHost, LoadsTheShippedPluginFromTheFolder) {
    HostSetup setup;
    setup.load = false;
    HostHarness h(setup);
    ASSERT_TRUE(h.ok());
    EXPECT_EQ(h.host().pluginsDir(), h.folder().pluginsDir() + "\\");
    const int started = h.load();
    EXPECT_EQ(h.pluginsStarted(), started);
    ASSERT_EQ(h.host().pluginCount(), 1u);
    char path[MAX_PATH + 1] = {};
    GetModuleFileNameA(h.host().pluginModule(0), path, MAX_PATH);
    EXPECT_EQ(lstrcmpiA(path, h.folder().pluginPath().c_str()), 0) << path;
    const auto events = Events(h.lines());
    ASSERT_FALSE(events.empty());
    if (started == 1) {
        // A working plug-in: it got its handles and described itself.
        EXPECT_EQ(events[0], "#init gen_Tunedeck.dll");
        const PluginRecord* record = h.host().pluginRecord(0);
        ASSERT_NE(record, nullptr);
        EXPECT_EQ(record->hwndParent, h.hostWindow());
        EXPECT_EQ(record->hDllInstance, h.host().pluginModule(0));
        ASSERT_NE(record->description, nullptr);
        EXPECT_NE(std::string(record->description).find("gen_Tunedeck.dll"), std::string::npos);
    } else {
        EXPECT_EQ(events[0], "#null-record gen_Tunedeck.dll");
    }
    h.quitPlugins();
    h.pump(50);
}

struct OwnedSearch {
    HWND owner;
    HWND found;
};

BOOL CALLBACK FindOwnedVisible(HWND hwnd, LPARAM lParam) {
    auto* search = reinterpret_cast<OwnedSearch*>(lParam);
    if (GetWindow(hwnd, GW_OWNER) == search->owner && IsWindowVisible(hwnd)) {
        search->found = hwnd;
        return FALSE;
    }
    return TRUE;
}

HWND OwnedVisibleWindow(HWND owner) {
    OwnedSearch search{owner, nullptr};
    EnumThreadWindows(GetCurrentThreadId(), &FindOwnedVisible, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

TEST(StandInHost, TheShippedPluginKeepsItsFilesInTheFolder) {
    HostHarness h;
    ASSERT_TRUE(h.ok());
    if (h.pluginsStarted() == 0) GTEST_SKIP() << "the plug-in module hands out no record yet";
    h.sysCommand(50120);
    EXPECT_TRUE(h.pumpUntil([&] { return OwnedVisibleWindow(h.hostWindow()) != nullptr; }, 5000));
    h.quitPlugins();
    EXPECT_EQ(OwnedVisibleWindow(h.hostWindow()), nullptr);
    const std::string ini = h.folder().pluginsDir() + "\\plugin.ini";
    EXPECT_EQ(GetPrivateProfileIntA("Tunedeck", "ActiveEnabled", -1, ini.c_str()), 1);
    EXPECT_NE(GetFileAttributesA((h.folder().pluginsDir() + "\\gen_Tunedeck.ini").c_str()),
              INVALID_FILE_ATTRIBUTES);
}

// --- main menu --------------------------------------------------------------------------------

WNDPROC PreviousProc(HWND hwnd) {
    return reinterpret_cast<WNDPROC>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
}

// Subclasses as a plug-in does: previous procedure in the user-data slot,
// an item added before "Exit" when the main menu opens.
LRESULT CALLBACK SubclassProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITMENUPOPUP) {
        const auto menu = reinterpret_cast<HMENU>(wParam);
        if (GetMenuItemID(menu, 0) == 40041 && GetMenuState(menu, 50120, MF_BYCOMMAND) == 0xFFFFFFFF) {
            InsertMenuA(menu, 40001, MF_BYCOMMAND | MF_STRING, 50120, "Show");
        }
    }
    return CallWindowProcA(PreviousProc(hwnd), hwnd, message, wParam, lParam);
}

TEST(StandInHost, MainMenuReachesASubclassingPluginAndDeliversItsItems) {
    HostHarness h(BareHost());
    ASSERT_TRUE(h.ok());
    const HMENU menu = h.host().mainMenu();
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(GetMenuItemID(menu, 0), 40041u);
    EXPECT_NE(GetMenuState(menu, 40001, MF_BYCOMMAND), 0xFFFFFFFFu);

    const HWND hwnd = h.hostWindow();
    const auto previous = SetWindowLongPtrA(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&SubclassProc));
    SetWindowLongPtrA(hwnd, GWLP_USERDATA, previous);

    h.host().clearRecords();
    h.host().openMainMenu();
    h.host().openMainMenu();  // a second opening adds nothing
    const int count = GetMenuItemCount(menu);
    ASSERT_GE(count, 3);
    EXPECT_EQ(GetMenuItemID(menu, static_cast<UINT>(count - 2)), 50120u);
    EXPECT_EQ(GetMenuItemID(menu, static_cast<UINT>(count - 1)), 40001u);
    const auto popups = h.host().recordsOf(WM_INITMENUPOPUP);
    ASSERT_EQ(popups.size(), 2u);
    EXPECT_EQ(popups[0].wParam, reinterpret_cast<WPARAM>(menu));
    EXPECT_EQ(h.host().recordsOf(WM_UNINITMENUPOPUP).size(), 2u);

    // The host still answers through the subclass (its own pointer is not
    // kept in the user-data slot).
    HandOver(h, "C:\\a.mp3");
    EXPECT_EQ(Request(h, 0, 211) != 0, true);

    h.host().chooseMainMenuItem(50120);  // the plug-in's item: a system command
    h.host().chooseMainMenuItem(40045);  // the host's own: a menu command
    const auto exchanges = h.exchanges();
    EXPECT_EQ(exchanges.back(), "273 w=40045 l=0 r=0");
    const auto system = h.host().recordsOf(WM_SYSCOMMAND);
    ASSERT_EQ(system.size(), 1u);
    EXPECT_EQ(system[0].wParam, 50120u);

    h.host().chooseMainMenuItem(40001);  // Exit closes the host
    EXPECT_TRUE(h.pumpUntil([&] { return h.hostWindow() == nullptr; }, 2000));
    SetWindowLongPtrA(hwnd, GWLP_WNDPROC, previous);  // window gone: harmless
}

// --- the program ------------------------------------------------------------------------------

TEST(HostProgram, RunsThePluginAndQuitsAfterTheGivenTime) {
    HostFolder folder;
    ASSERT_TRUE(folder.ok());
    const HostRun run = RunHostProcess(folder, {"--add", "C:\\a b.mp3", "--play", "--syscommand", "50120",
                                                "--quit-after", "400"});
    ASSERT_TRUE(run.started);
    EXPECT_FALSE(run.timedOut);
    EXPECT_EQ(run.exitCode, 0u);
    const auto events = Events(run.log);
    ASSERT_GE(events.size(), 1u);
    const bool initialised = events[0] == "#init gen_Tunedeck.dll";
    if (!initialised) {
        EXPECT_EQ(events[0], "#null-record gen_Tunedeck.dll");
    }
    EXPECT_EQ(events.back(), "#free gen_Tunedeck.dll");
    if (initialised) {
        EXPECT_TRUE(Contains(events, "#quit gen_Tunedeck.dll"));
    }
    const auto close = std::find(run.log.begin(), run.log.end(), "16 w=0 l=0 r=0");
    EXPECT_NE(close, run.log.end());
    // The posted system command arrives once the plug-ins have started.
    const auto syscommand = std::find_if(run.log.begin(), run.log.end(), [](const std::string& line) {
        return line.rfind("274 w=50120 ", 0) == 0;
    });
    const auto init = std::find(run.log.begin(), run.log.end(), events[0]);
    if (initialised) {
        // A plug-in that handles 50120 may pass it on or not; the host saw
        // it only when passed on.
        if (syscommand != run.log.end()) {
            EXPECT_LT(init, syscommand);
        }
    } else {
        ASSERT_NE(syscommand, run.log.end());
        EXPECT_LT(init, syscommand);
    }
}

TEST(HostProgram, TakesThePluginsFolderFromTheCommandLine) {
    HostFolder folder;
    ASSERT_TRUE(folder.ok());
    const HostRun none = RunHostProcess(folder, {"--plugins", folder.path("nowhere"), "--quit-after", "100"});
    EXPECT_FALSE(none.timedOut);
    EXPECT_EQ(none.exitCode, 0u);
    EXPECT_TRUE(Events(none.log).empty());
    EXPECT_TRUE(Contains(none.log, "16 w=0 l=0 r=0"));

    // A relative folder is taken from the current one (the host's folder).
    const HostRun relative = RunHostProcess(folder, {"--plugins", "Plugins", "--quit-after", "100"});
    EXPECT_EQ(relative.exitCode, 0u);
    const auto events = Events(relative.log);
    ASSERT_FALSE(events.empty());
    EXPECT_NE(events[0].find(" gen_Tunedeck.dll"), std::string::npos) << events[0];
}

TEST(HostProgram, RejectsAnUnknownOption) {
    HostFolder folder(BareHost());
    ASSERT_TRUE(folder.ok());
    const HostRun run = RunHostProcess(folder, {"--bogus"}, 10000);
    EXPECT_FALSE(run.timedOut);
    EXPECT_EQ(run.exitCode, 2u);
}

}  // namespace
}  // namespace td::test
