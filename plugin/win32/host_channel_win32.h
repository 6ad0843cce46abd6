// The host channel over window messages to the host's main window, found by
// its window class "Winamp v1.x". The plug-in runs inside the host's process
// on the host's user-interface thread, so requests are plain sends and a text
// address the host returns can be read directly.
#pragma once

#include <windows.h>

#include <string>

#include "plugin/host_bridge.h"

namespace td {

extern const char kHostWindowClass[];  // "Winamp v1.x"

class Win32HostChannel final : public HostChannel {
public:
    // Looks the host's main window up once. `preferred` (the window the host
    // named in the plug-in record) is taken when it is of the host's class;
    // otherwise the first window of that class is.
    explicit Win32HostChannel(HWND preferred = nullptr);

    HWND window() const { return window_; }

    bool connected() const override { return window_ != nullptr; }
    intptr_t request(intptr_t argument, int requestId) override;
    intptr_t handOver(const std::string& path) override;
    void post(int commandId) override;
    std::string hostPlaylistPath() const override;
    std::string readText(intptr_t address) const override;

private:
    HWND window_ = nullptr;
};

// True when `window` is of the host's window class.
bool IsHostWindow(HWND window);

}  // namespace td
