// The stand-in host takes only well-formed file hand-overs and records each
// on one line, whatever the sender put in it.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "host/host_core.h"
#include "tests/win32/host_harness.h"

namespace td::test {
namespace {

HostSetup BareHost() {
    HostSetup setup;
    setup.copyPlugin = false;
    setup.load = false;
    return setup;
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

}  // namespace
}  // namespace td::test
