#include "plugin/tray_model.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "plugin/host_bridge.h"

namespace td {
namespace {

// Keeps the commands posted.
class PlayerChannel : public HostChannel {
public:
    bool connected() const override { return true; }
    intptr_t request(intptr_t, int) override { return 0; }
    intptr_t handOver(const std::string&) override { return 1; }
    void post(int commandId) override { commands.push_back(commandId); }
    std::string hostPlaylistPath() const override { return std::string(); }
    std::string readText(intptr_t) const override { return std::string(); }

    std::vector<int> commands;
};

TEST(TrayIcons, OnlyTheEightLowBitsOfAMaskAreIcons) {
    // The mask comes from the settings file and may hold any number.
    EXPECT_TRUE(TrayUpdateSteps(0x01, 0x101).empty());
}

TEST(TrayIcons, TipsAreCutTo63Characters) {
    EXPECT_EQ(TrayTip(std::string(70, 'x')), std::string(63, 'x'));
    EXPECT_EQ(TrayTip("Stop"), "Stop");
}

// The clicks and menu entries the tray tests drive through the stand-in host
// are not repeated here; these are the cases they leave out.
TEST(TrayClicks, CtrlWinsOverShiftAndOtherMenuCommandsAreNotOurs) {
    PlayerChannel channel;
    HostBridge bridge(channel);
    RunTrayHostAction(bridge, TrayClickAction(5, false), TrayModifiers{true, true});
    EXPECT_EQ(channel.commands, std::vector<int>{kHostOpenLocation});
    // The menu's entries act as the left clicks of the first six icons.
    for (int entry = 0; entry < 6; ++entry) {
        EXPECT_EQ(TrayMenuAction(kTrayMenuShow + entry), TrayClickAction(entry, false)) << entry;
    }
    EXPECT_EQ(TrayMenuAction(1130), TrayAction::None);
}

TEST(TrayDialogBoxes, GroupingLeavesOnlyItsBoxAndUngroupingChecksEveryIcon) {
    EXPECT_EQ(TrayDialogBoxes(0x1FF), 0x80u);  // a grouped mask beyond the eight icons
    EXPECT_EQ(TrayDialogBoxes(0x0D), 0x0Du);
    EXPECT_EQ(TrayDialogGroupClicked(true), 0x80u);
    EXPECT_EQ(TrayDialogGroupClicked(false), 0x7Fu);
}

}  // namespace
}  // namespace td
