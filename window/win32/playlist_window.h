// The playlist window: the modeless dialog (template 135) that shows the
// playlist, owned by the host's main window.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <string>

namespace td {

class HostBridge;
class Settings;
class LangTable;
class Playlist;
class PlaylistView;
class Prompter;
struct GatherSummary;

class PlaylistWindow {
public:
    // `module` holds the resources; `owner` is the host's main window.
    // `startFile` is the module's path with the extension "KQ3". Every
    // message box and file or folder dialog goes through `prompter`; null
    // shows the system's dialogs. Creates no window.
    PlaylistWindow(HINSTANCE module, HWND owner, HostBridge& bridge, Settings& settings, LangTable& lang,
                   std::string startFile, Prompter* prompter = nullptr);
    ~PlaylistWindow();
    PlaylistWindow(const PlaylistWindow&) = delete;
    PlaylistWindow& operator=(const PlaylistWindow&) = delete;

    // Creates the dialog window (not yet shown: the start sequence shows it
    // with the stored placement). False when it cannot be created.
    bool create();
    // Destroys the window if it exists (the end sequence saves the list).
    void destroy();

    HWND hwnd() const { return hwnd_; }
    int visible() const { return visible_; }
    void setVisible(int visible) { visible_ = visible; }

    Playlist& playlist();
    PlaylistView& view();

    // What the window shows, for the tests and the host menu. Null handles
    // while no window exists.
    HWND listView() const;
    HWND treeView() const;
    HWND statusBar() const;
    // Text of status bar part 0..4 as the bar holds it ("" without a bar).
    std::string statusText(int part) const;
    // Width of the explorer pane in pixels; whether the pane is shown.
    int explorerWidth() const;
    bool explorerShown() const;
    // List row of the entry last started from this window, and the one
    // before; -1 when none.
    int playingIndex() const;
    int previousPlayingIndex() const;
    // The start file given at construction.
    const std::string& startFile() const;
    // The playlist file last opened, saved as or inserted; "" for none.
    const std::string& currentFile() const;
    // A gathering run (Add files, Add directory, a drop, Import, Reload) is
    // going; its progress dialog, null when none.
    bool gathering() const;
    HWND progressDialog() const;
    // The longest the window's message loop went unanswered during the runs
    // so far, in milliseconds, as a timer of the window measured it.
    int longestStallMs() const;
    // What the last run that ended did (entries handed over, items handled,
    // stopped or not).
    const GatherSummary& lastGatherSummary() const;

    // Runs a window command (menu, accelerator or button), as WM_COMMAND
    // does. False when the window does not exist or the command is not in
    // the window's command table (window_commands.h).
    bool command(int id);
    // Whether the command table holds `id`.
    static bool hasCommand(int id);
    // What the "Configure..." command (Ctrl+P) runs: the tray configuration
    // dialog, which belongs to the plug-in. Without one it does nothing.
    void setConfigureAction(std::function<void()> action);

    // The window's state, declared in playlist_window_impl.h for the files
    // of the window's areas.
    struct Impl;

private:
    std::unique_ptr<Impl> impl_;
    HWND hwnd_ = nullptr;
    int visible_ = 0;
};

}  // namespace td
