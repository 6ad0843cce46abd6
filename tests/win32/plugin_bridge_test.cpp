// The host bridge over real window messages: the Win32 channel talking to
// the stand-in host in this process, checked against what the host recorded.
// The hand-overs and the reload of the host's list are checked through the
// playlist window (playlist_window_test.cpp).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "host/host_core.h"
#include "plugin/host_bridge.h"
#include "plugin/win32/host_channel_win32.h"
#include "settings/lang_table.h"
#include "tests/win32/host_harness.h"

namespace td::test {
namespace {

HostSetup HostWithoutPlugin() {
    HostSetup setup;
    setup.copyPlugin = false;
    setup.load = false;
    setup.show = false;
    return setup;
}

class PluginBridgeTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(h_.ok());
        LangTable::useBuiltinEnglish();
        h_.host().clearRecords();
    }
    void TearDown() override { LangTable::useBuiltinEnglish(); }

    HostHarness h_{HostWithoutPlugin()};
    Win32HostChannel channel_{h_.hostWindow()};
    HostBridge bridge_{channel_};
};

TEST_F(PluginBridgeTest, ListPositionAndFileNamesAgainstTheHostsList) {
    h_.host().addEntry("C:\\music\\first.mp3");
    h_.host().addEntry("C:\\music\\second.mp3");
    EXPECT_EQ(bridge_.GetListPos(), 1);
    EXPECT_EQ(bridge_.GetPlaylistFile(1), "C:\\music\\first.mp3");
    EXPECT_EQ(bridge_.GetPlaylistFile(2), "C:\\music\\second.mp3");
    EXPECT_EQ(bridge_.GetPlaylistFile(3), "");
    bridge_.SetPlaylistPos(1);
    EXPECT_EQ(bridge_.GetListPos(), 2);
}

TEST_F(PluginBridgeTest, CommandsArriveAfterTheLoopRuns) {
    bridge_.Command(kHostStop);
    EXPECT_TRUE(h_.exchanges().empty());  // posted, not sent
    h_.pump(50);
    EXPECT_EQ(h_.exchanges(), std::vector<std::string>{"273 w=40047 l=0 r=0"});
}

TEST(PluginBridgeAlone, WithoutAHostNothingIsSent) {
    ASSERT_EQ(FindWindowA(kHostWindowClass, nullptr), nullptr);
    Win32HostChannel channel;
    HostBridge bridge(channel);
    EXPECT_FALSE(bridge.connected());
    EXPECT_FALSE(bridge.Enqueue("C:\\a.mp3"));
    EXPECT_EQ(channel.hostPlaylistPath(), "");
}

}  // namespace
}  // namespace td::test
