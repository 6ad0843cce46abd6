#include "plugin/tray_model.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "plugin/host_bridge.h"

namespace td {
namespace {

// Answers "playing" and a position, and keeps the commands posted.
class PlayerChannel : public HostChannel {
public:
    bool connected() const override { return true; }
    intptr_t request(intptr_t argument, int requestId) override {
        if (requestId == kRequestIsPlaying) return playing ? 1 : 0;
        if (requestId == kRequestPosition && argument == 0) return positionMs;
        return 0;
    }
    intptr_t handOver(const std::string&) override { return 1; }
    void post(int commandId) override { commands.push_back(commandId); }
    std::string hostPlaylistPath() const override { return std::string(); }
    std::string readText(intptr_t) const override { return std::string(); }

    bool playing = false;
    intptr_t positionMs = 0;
    std::vector<int> commands;
};

std::vector<int> Times(int count, int command) {
    return std::vector<int>(static_cast<size_t>(count), command);
}

TEST(TrayIcons, StepsRemoveFromTheTopThenAddFromTheBottom) {
    struct Case {
        uint32_t shown;
        uint32_t wanted;
        std::vector<std::pair<bool, int>> steps;
    };
    const Case cases[] = {
        {0x81, 0x81, {}},
        {0x81, 0x06, {{false, 7}, {false, 0}, {true, 1}, {true, 2}}},
        // Only bits 0 to 7 are icons.
        {0x01, 0x101, {}},
    };
    for (const Case& c : cases) {
        std::vector<std::pair<bool, int>> steps;
        for (const TrayChange& step : TrayUpdateSteps(c.shown, c.wanted))
            steps.emplace_back(step.add, step.index);
        EXPECT_EQ(steps, c.steps) << std::hex << c.shown << " -> " << c.wanted;
    }
}

TEST(TrayIcons, TipsAreCutTo63Characters) {
    EXPECT_EQ(TrayTip(std::string(70, 'x')), std::string(63, 'x'));
    EXPECT_EQ(TrayTip("Stop"), "Stop");
}

// The clicks and menu entries the tray tests drive through the stand-in host
// are not repeated here; these are the modifier and range cases they leave out.
TEST(TrayClicks, ModifiersAndIconsOutOfRange) {
    struct Case {
        int index;
        bool right;
        bool shift;
        bool ctrl;
        std::vector<int> commands;
    };
    const Case cases[] = {
        {5, false, true, true, {kHostOpenLocation}},  // Ctrl wins over Shift
        {6, true, false, true, Times(20, kHostVolumeDown)},
        {8, false, false, false, {}},
        {-1, true, false, false, {}},
    };
    for (const Case& c : cases) {
        PlayerChannel channel;
        HostBridge bridge(channel);
        RunTrayHostAction(bridge, TrayClickAction(c.index, c.right), TrayModifiers{c.shift, c.ctrl});
        EXPECT_EQ(channel.commands, c.commands) << "icon " << c.index;
    }
    EXPECT_EQ(TrayClickAction(7, true), TrayAction::ConfigDialog);
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
