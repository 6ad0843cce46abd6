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
class Win32Prompter;

struct ToolsDialogRequest {
    HINSTANCE module = nullptr;
    HWND owner = nullptr;
    PlaylistView* view = nullptr;  // the window's rows and selection
    Prompter* prompter = nullptr;  // every message and question
    Win32Prompter* system = nullptr;  // the real dialogs, owned by this one while it runs
    HostBridge* bridge = nullptr;  // play and stop in the host
};

// Runs the dialog until OK or Cancel; the page shown offers to write its
// changes before the dialog ends.
void RunToolsDialog(const ToolsDialogRequest& request);

}  // namespace td
