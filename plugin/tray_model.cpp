#include "plugin/tray_model.h"

#include "plugin/host_bridge.h"

namespace td {

namespace {

constexpr int kTipTexts[kTrayIconCount] = {3, 4, 5, 6, 7, 8, 9, 11};

// Volume steps of one click, and of one click with Ctrl held.
constexpr int kVolumeSteps = 2;
constexpr int kVolumeStepsCtrl = 20;

}  // namespace

int TrayTipText(int index) { return index >= 0 && index < kTrayIconCount ? kTipTexts[index] : 0; }

std::string TrayTip(const std::string& text) {
    return text.size() > kTrayTipLength ? text.substr(0, kTrayTipLength) : text;
}

std::vector<TrayChange> TrayUpdateSteps(uint32_t shown, uint32_t wanted) {
    shown &= kTrayAllIcons;
    wanted &= kTrayAllIcons;
    std::vector<TrayChange> steps;
    if (shown == wanted) return steps;
    for (int i = kTrayIconCount - 1; i >= 0; --i) {
        if (shown & (1u << i)) steps.push_back({false, i});
    }
    for (int i = 0; i < kTrayIconCount; ++i) {
        if (wanted & (1u << i)) steps.push_back({true, i});
    }
    return steps;
}

TrayAction TrayClickAction(int index, bool right) {
    switch (index) {
    case 0: return right ? TrayAction::ConfigDialog : TrayAction::ShowWindow;
    case 1: return right ? TrayAction::None : TrayAction::Previous;
    case 2: return right ? TrayAction::None : TrayAction::PlayPause;
    case 3: return right ? TrayAction::None : TrayAction::Stop;
    case 4: return right ? TrayAction::None : TrayAction::Next;
    case 5: return right ? TrayAction::None : TrayAction::LoadFile;
    case 6: return right ? TrayAction::VolumeDown : TrayAction::VolumeUp;
    case 7: return right ? TrayAction::ConfigDialog : TrayAction::Menu;
    default: return TrayAction::None;
    }
}

TrayAction TrayMenuAction(int command) {
    switch (command) {
    case kTrayMenuShow: return TrayAction::ShowWindow;
    case kTrayMenuPrevious: return TrayAction::Previous;
    case kTrayMenuPlayPause: return TrayAction::PlayPause;
    case kTrayMenuStop: return TrayAction::Stop;
    case kTrayMenuNext: return TrayAction::Next;
    case kTrayMenuLoadFile: return TrayAction::LoadFile;
    default: return TrayAction::None;
    }
}

bool TrayActionRaisesHost(TrayAction action) {
    return action == TrayAction::LoadFile || action == TrayAction::VolumeUp ||
           action == TrayAction::VolumeDown;
}

void RunTrayHostAction(HostBridge& bridge, TrayAction action, TrayModifiers keys) {
    switch (action) {
    case TrayAction::Previous: bridge.PreviousTrack(); break;
    case TrayAction::PlayPause: bridge.PlayPause(); break;
    case TrayAction::Stop: bridge.Command(keys.shift ? kHostStopFadeOut : kHostStop); break;
    case TrayAction::Next: bridge.Command(kHostNext); break;
    case TrayAction::LoadFile:
        bridge.Command(keys.ctrl ? kHostOpenLocation : keys.shift ? kHostOpenDirectory : kHostFileOpen);
        break;
    case TrayAction::VolumeUp:
    case TrayAction::VolumeDown: {
        const int command = action == TrayAction::VolumeUp ? kHostVolumeUp : kHostVolumeDown;
        const int steps = keys.ctrl ? kVolumeStepsCtrl : kVolumeSteps;
        for (int i = 0; i < steps; ++i) bridge.Command(command);
        break;
    }
    default: break;
    }
}

std::vector<TrayMenuEntry> TrayMenuEntries() {
    return {
        {kTrayMenuShow, 3},     {0, 0},
        {kTrayMenuPrevious, 4}, {kTrayMenuPlayPause, 5},
        {kTrayMenuStop, 6},     {kTrayMenuNext, 7},
        {kTrayMenuLoadFile, 8},
    };
}

uint32_t TrayDialogBoxes(uint32_t mask) {
    mask &= kTrayAllIcons;
    return (mask & kTrayGroupBit) ? kTrayGroupBit : mask;
}

uint32_t TrayDialogGroupClicked(bool groupChecked) {
    return groupChecked ? kTrayGroupBit : (kTrayAllIcons & ~kTrayGroupBit);
}

}  // namespace td
