// The "ID3Tag Tools" dialog (template 142): a tab per tool page over the
// playlist window's list, run modally. Only the pages that exist get a tab.
// It has a procedure of its own rather than the model dialogs' one: its page
// must be offered the chance to write before Cancel ends it, and it paints
// its own header.
#pragma once

#include <windows.h>

namespace td {

class HostBridge;
class PlaylistView;
class Prompter;
class Settings;
class Win32Prompter;

// The dialog's tabs in their order. A page that is not built has no tab.
enum ToolsTab : int {
    kToolsTabEditTag = 0,
    kToolsTabMassTag = 1,
    kToolsTabRename = 2,
    kToolsTabTagFromName = 3,
    kToolsTabConvert = 4,
    kToolsTabOrganize = 5,
};

struct ToolsDialogRequest {
    HINSTANCE module = nullptr;
    HWND owner = nullptr;
    PlaylistView* view = nullptr;     // the window's rows and selection
    Prompter* prompter = nullptr;     // every message and question
    Win32Prompter* system = nullptr;  // the real dialogs, owned by this one while it runs
    HostBridge* bridge = nullptr;     // play and stop in the host
    Settings* settings = nullptr;     // the pages' options
    int firstTab = kToolsTabEditTag;  // the page shown first
};

// Runs the dialog until OK or Cancel; the page shown offers to write its
// changes (or stores its options) before the dialog ends.
void RunToolsDialog(const ToolsDialogRequest& request);

}  // namespace td
