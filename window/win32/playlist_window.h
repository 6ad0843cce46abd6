// The playlist window: the modeless dialog (template 135) that shows the
// playlist, owned by the host's main window.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

namespace td {

class HostBridge;
class Settings;
class LangTable;
class Playlist;
class PlaylistView;

class PlaylistWindow {
public:
    // `module` holds the resources; `owner` is the host's main window.
    // `startFile` is the module's path with the extension "KQ3". Creates no
    // window.
    PlaylistWindow(HINSTANCE module, HWND owner, HostBridge& bridge, Settings& settings,
                   LangTable& lang, std::string startFile);
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

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
    HWND hwnd_ = nullptr;
    int visible_ = 0;
};

}  // namespace td
