// Test harness: the plug-in inside the stand-in host, in the test's own
// process.
//
// HostHarness lays out a fresh folder under the system's temporary folder:
//   <folder>\tdhost.exe                 copy of the host program (beside the test exe)
//   <folder>\Plugins\gen_Tunedeck.dll   copy of the plug-in (beside the test exe)
//   <folder>\Plugins\plugin.ini         when HostSetup::pluginIni is not empty
//   <folder>\<relative path>            each of HostSetup::files
// so the plug-in's plugin.ini, settings and start file (gen_Tunedeck.KQ3)
// are all inside Plugins\ of the folder, which goes with everything in it
// when the harness goes.
//
// It runs a StandInHost in the test's thread on that folder. Its window
// class "Winamp v1.x" is registered with the folder's copy of tdhost.exe
// mapped as a module (no code of it runs), so the plug-in's lookup of the
// host's M3U (class module -> file name -> extension "m3u") and the file the
// host writes on request 120 are both <folder>\tdhost.m3u. The host stands
// in for the shell's notification area (host().tray()): the plug-in's tray
// icons are kept and logged there. Messages the plug-in posts are handled
// only while the test pumps: pump(ms) or pumpUntil(predicate, timeoutMs).
// The destructor quits the plug-ins (if the test did not), destroys the host
// window and frees the plug-ins.
//
// Only one host window of class "Winamp v1.x" should exist at a time (the
// plug-in finds its host by that class).
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "host/host_core.h"
#include "tests/support/test_support.h"

namespace td::test {

// The "Show" entry the plug-in adds to the host's menu (a WM_SYSCOMMAND id).
constexpr UINT kShowPluginWindow = 50120;

struct HostSetup {
    // Text of Plugins\plugin.ini; empty: no file.
    std::string pluginIni;
    // Extra files: path relative to the folder (folders are created), bytes.
    std::vector<std::pair<std::string, std::string>> files;
    // Load the plug-ins and call their init in the constructor.
    bool load = true;
};

class HostHarness {
public:
    explicit HostHarness(const HostSetup& setup = {});
    ~HostHarness();
    HostHarness(const HostHarness&) = delete;
    HostHarness& operator=(const HostHarness&) = delete;

    // The folder was laid out and the host window exists.
    bool ok() const { return ok_; }
    // <folder>\<relative>.
    std::string path(const std::string& relative) const { return temp_.path() + "\\" + relative; }
    std::string pluginsDir() const { return path("Plugins"); }

    td::host::StandInHost& host() { return *host_; }
    HWND hostWindow() const { return host_ ? host_->hwnd() : nullptr; }

    // Loads the plug-ins when the setup did not; returns the number initialised.
    int load();
    // Runs the message loop for `ms` milliseconds.
    void pump(int ms);
    // Runs the message loop until `done` returns true (checked after every
    // batch of messages) or `timeoutMs` passes. Returns done().
    bool pumpUntil(const std::function<bool()>& done, int timeoutMs);
    // Calls quit of the plug-ins (as the host does when it closes), then
    // handles what they posted.
    void quitPlugins();
    // Chooses "Show" in the host's menu (the plug-in's entry) and waits for
    // the playlist window to be up; the window, or null after `timeoutMs`.
    HWND showPluginWindow(int timeoutMs = 5000);

    // Only the exchanges with the plug-in: lines of messages 1024, 74 and 273.
    std::vector<std::string> exchanges() const;

private:
    bool layOut(const HostSetup& setup);

    TempDir temp_;  // removed with everything in it
    HMODULE programModule_ = nullptr;
    std::unique_ptr<td::host::StandInHost> host_;
    bool ok_ = false;
    bool loaded_ = false;
};

// The playlist window (a dialog of caption "Tunedeck"), or null.
HWND PlaylistWindowHandle();
// A value of plugin.ini's [Tunedeck] section in the folder, "<none>" without it.
std::string PluginIniValue(const HostHarness& h, const char* key);

// `act` gets the window `find` returns (null while there is none) once it
// shows, from a timer, inside the modal loop that shows it. Waits queue up,
// each is taken once; AllShown() tells whether every one was, ForgetWaits()
// drops those left.
void WhenShows(std::function<HWND()> find, std::function<void(HWND)> act);
bool AllShown();
void ForgetWaits();
// The same for the first visible window of class `windowClass` and caption
// `caption` (null: any), in place of every wait left.
void WhenWindowShows(const char* windowClass, const char* caption, std::function<void(HWND)> act);

// The directory of the test program, without a trailing backslash.
std::string TestProgramDir();

}  // namespace td::test
