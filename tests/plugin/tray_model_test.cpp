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

std::vector<int> Times(int count, int command) { return std::vector<int>(static_cast<size_t>(count), command); }

TEST(TrayIcons, StepsRemoveFromTheTopThenAddFromTheBottom) {
    struct Case {
        uint32_t shown;
        uint32_t wanted;
        std::vector<std::pair<bool, int>> steps;
    };
    const Case cases[] = {
        {0x00, 0x81, {{true, 0}, {true, 7}}},
        {0x81, 0x81, {}},
        {0x81, 0x06, {{false, 7}, {false, 0}, {true, 1}, {true, 2}}},
        {0x03, 0x00, {{false, 1}, {false, 0}}},
        // Only bits 0 to 7 are icons.
        {0x01, 0x101, {}},
    };
    for (const Case& c : cases) {
        std::vector<std::pair<bool, int>> steps;
        for (const TrayChange& step : TrayUpdateSteps(c.shown, c.wanted)) steps.emplace_back(step.add, step.index);
        EXPECT_EQ(steps, c.steps) << std::hex << c.shown << " -> " << c.wanted;
    }
}

TEST(TrayIcons, TipsAreCutTo63Characters) {
    EXPECT_EQ(TrayTip(std::string(70, 'x')), std::string(63, 'x'));
    EXPECT_EQ(TrayTip("Stop"), "Stop");
    EXPECT_EQ(TrayTipText(7), 11);
}

TEST(TrayClicks, EachIconSendsItsCommands) {
    struct Case {
        int index;
        bool right;
        bool shift;
        bool ctrl;
        bool playing;
        std::vector<int> commands;
    };
    const Case cases[] = {
        {1, false, false, false, false, {kHostPrevious}},
        {2, false, false, false, true, {kHostPause}},
        {2, false, false, false, false, {kHostPlay}},
        {3, false, false, false, false, {kHostStop}},
        {3, false, true, false, false, {kHostStopFadeOut}},
        {4, false, false, false, false, {kHostNext}},
        {5, false, false, false, false, {kHostFileOpen}},
        {5, false, false, true, false, {kHostOpenLocation}},
        {5, false, true, true, false, {kHostOpenLocation}},  // Ctrl wins over Shift
        {5, false, true, false, false, {kHostOpenDirectory}},
        {6, false, false, false, false, Times(2, kHostVolumeUp)},
        {6, false, false, true, false, Times(20, kHostVolumeUp)},
        {6, true, false, false, false, Times(2, kHostVolumeDown)},
        {6, true, false, true, false, Times(20, kHostVolumeDown)},
        // Right clicks that do nothing, and icons that do not exist.
        {3, true, false, false, false, {}},
        {8, false, false, false, false, {}},
        {-1, true, false, false, false, {}},
    };
    for (const Case& c : cases) {
        PlayerChannel channel;
        channel.playing = c.playing;
        HostBridge bridge(channel);
        RunTrayHostAction(bridge, TrayClickAction(c.index, c.right), TrayModifiers{c.shift, c.ctrl});
        EXPECT_EQ(channel.commands, c.commands)
            << "icon " << c.index << (c.right ? " right" : " left") << (c.shift ? " shift" : "")
            << (c.ctrl ? " ctrl" : "");
    }
}

TEST(TrayClicks, WindowMenuAndDialogActions) {
    EXPECT_EQ(TrayClickAction(0, false), TrayAction::ShowWindow);
    EXPECT_EQ(TrayClickAction(0, true), TrayAction::ConfigDialog);
    EXPECT_EQ(TrayClickAction(7, false), TrayAction::Menu);
    EXPECT_EQ(TrayClickAction(7, true), TrayAction::ConfigDialog);
    // The menu's entries act as the icons do.
    const std::vector<TrayMenuEntry> entries = TrayMenuEntries();
    ASSERT_EQ(entries.size(), 7u);
    EXPECT_EQ(entries[1].command, 0);
    EXPECT_EQ(TrayMenuAction(entries[0].command), TrayAction::ShowWindow);
    for (size_t i = 2; i < entries.size(); ++i) {
        EXPECT_EQ(TrayMenuAction(entries[i].command), TrayClickAction(static_cast<int>(i) - 1, false));
        EXPECT_EQ(entries[i].textId, TrayTipText(static_cast<int>(i) - 1));
    }
    EXPECT_EQ(TrayMenuAction(1130), TrayAction::None);
}

TEST(TrayDialog, GroupingUnchecksTheIconBoxes) {
    EXPECT_EQ(TrayDialogBoxes(0x81), 0x80u);
    EXPECT_EQ(TrayDialogBoxes(0x45), 0x45u);
    EXPECT_EQ(TrayDialogBoxes(0x1FF), 0x80u);
    EXPECT_EQ(TrayDialogGroupClicked(true), 0x80u);
    EXPECT_EQ(TrayDialogGroupClicked(false), 0x7Fu);
}

}  // namespace
}  // namespace td
