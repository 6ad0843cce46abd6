// The portable rules of the tray controls: which icons a mask shows and in
// what order they come and go, what a click on each icon or tray menu entry
// does, and how the tray configuration dialog turns its boxes into a mask.
// The Win32 side (plugin/win32/tray_*.cpp) only carries them out.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace td {

class HostBridge;

constexpr int kTrayIconCount = 8;
// Icon i is the notification icon 1024 + i of the host's main window.
constexpr unsigned kTrayIconBaseId = 1024;
// The message the shell sends the host's window for a mouse event on an icon.
constexpr unsigned kTrayCallbackMessage = 1051;
// Tips are cut to this many characters (the shell's oldest tip buffer).
constexpr size_t kTrayTipLength = 63;
// Bit 7 of the mask: the icons are grouped behind the menu icon.
constexpr uint32_t kTrayGroupBit = 0x80u;
constexpr uint32_t kTrayAllIcons = 0xFFu;

// Icon resources: the tray icons, the small icons of the configuration
// dialog's boxes, the icon of a menu item without a picture of its own.
constexpr int kFirstTrayIconResource = 106;
constexpr int kFirstTrayBoxIconResource = 125;
constexpr int kTrayMenuItemIconResource = 147;

// Commands of the tray menu.
enum TrayMenuCommand : int {
    kTrayMenuShow = 1124,
    kTrayMenuPrevious = 1125,
    kTrayMenuPlayPause = 1126,
    kTrayMenuStop = 1127,
    kTrayMenuNext = 1128,
    kTrayMenuLoadFile = 1129,
};

// LangTable number of icon i's tip (and of its box in the dialog).
int TrayTipText(int index);
// A tip as the shell gets it: at most 63 characters.
std::string TrayTip(const std::string& text);

// One step of bringing the tray in line with a mask.
struct TrayChange {
    bool add;   // false: remove
    int index;  // 0..7
};
// From the shown mask to the wanted one: every shown icon removed from bit 7
// down, then every wanted icon added from bit 0 up; nothing at all when the
// two are equal. Bits above 7 are ignored.
std::vector<TrayChange> TrayUpdateSteps(uint32_t shown, uint32_t wanted);

// What a click, or a tray menu entry, asks for.
enum class TrayAction {
    None,
    ShowWindow,    // the playlist window
    ConfigDialog,  // the tray configuration dialog (which brings the host forward)
    Menu,          // the tray menu at the cursor
    Previous,
    PlayPause,
    Stop,
    Next,
    LoadFile,    // host brought forward first
    VolumeUp,    // host brought forward first
    VolumeDown,  // host brought forward first
};

// The action of a button press on icon `index` (`right`: right button).
// Indexes outside 0..7 do nothing.
TrayAction TrayClickAction(int index, bool right);
// The action of a tray menu command; None for any other id.
TrayAction TrayMenuAction(int command);
// True for the player actions that bring the host's window to the
// foreground before they send their commands.
bool TrayActionRaisesHost(TrayAction action);

// Modifier keys held during a click.
struct TrayModifiers {
    bool shift = false;
    bool ctrl = false;
};
// Sends what a player action asks of the host: the previous-track rule, the
// play/pause toggle, stop (with fade-out when Shift is held), next, the open
// dialogs (location with Ctrl, directory with Shift), the volume (2 steps, 20
// with Ctrl). Window and menu actions send nothing here.
void RunTrayHostAction(HostBridge& bridge, TrayAction action, TrayModifiers keys);

// One entry of the tray menu; command 0 is a separator.
struct TrayMenuEntry {
    int command;
    int textId;  // LangTable number
};
std::vector<TrayMenuEntry> TrayMenuEntries();

// The tray configuration dialog's boxes: bit i is box 1000 + i (bit 7 the
// "Group in systray menu" box).
// The boxes a mask opens with: grouped, the seven icon boxes are unchecked.
uint32_t TrayDialogBoxes(uint32_t mask);
// The boxes after the group box was clicked: checked, only it stays checked;
// unchecked, all seven icon boxes come back checked.
uint32_t TrayDialogGroupClicked(bool groupChecked);

}  // namespace td
