// The stand-in host: its answers to requests and file hand-overs, the M3U
// it writes and how it runs plug-ins.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "host/host_core.h"
#include "tests/win32/host_harness.h"

namespace td::test {
namespace {

using td::host::PluginRecord;

HostSetup BareHost() {
    HostSetup setup;
    setup.copyPlugin = false;
    setup.load = false;
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
    Request(h, 0, 101);
    Request(h, 0, 120);
    EXPECT_EQ(ReadLines(h.m3uPath()), std::vector<std::string>{"#EXTM3U"});
}

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

}  // namespace
}  // namespace td::test
