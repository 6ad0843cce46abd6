// The stand-in host: a small Win32 player shell of our own that behaves, on
// the outside, like the Winamp main window a general-purpose plug-in talks
// to. It is used by the tests (in their own process) and by the tdhost
// program (demos and process-level tests); it is not part of the product.
//
// What it provides:
// - a main window of class "Winamp v1.x", registered with the module handle
//   given to the constructor (a plug-in derives the host's M3U path from the
//   file of that module: GCLP_HMODULE -> GetModuleFileName -> extension
//   replaced by "m3u"; StandInHost writes its playlist to the same path);
// - a main popup menu whose first item is 40041 and which holds 40001
//   ("Exit"), tracked on a right click in the client area; items the host did
//   not put there (those a plug-in inserts) are delivered as WM_SYSCOMMAND,
//   the host's own as WM_COMMAND;
// - answers to the requests (message 1024), the file hand-over (message 74,
//   kind 100) and the posted commands (message 273) over an in-memory
//   playlist with a simulated play state and position;
// - loading of gen_*.dll plug-ins: init after loading, config on demand, quit
//   in reverse order at shutdown, FreeLibrary afterwards.
//
// Every message the main window procedure receives is recorded, in order,
// in memory (records()) and, when a log path is set, appended to the log file
// one line per message, flushed per line. Line formats:
//
//   <msg> w=<wParam> l=<lParam> r=<result>        any message (decimal numbers)
//   1024 w=<argument> l=<request id> r=<result>   a request
//   74 kind=<dwData> bytes=<cbData> text=<path> r=<result>
//                                                 copy data; text is the data up
//                                                 to its first zero (control
//                                                 characters shown as '?')
//   74 malformed r=0                              copy data without a record
//   273 w=<command> l=<lParam> r=0                a menu command
//   #<event> <file name>                          a plug-in event
//
//   #tray <call>                                  a tray icon call of a plug-in,
//                                                 with the stand-in tray
//                                                 (host/notify_area.h)
//
// Plug-in events: "#init gen_x.dll", "#config gen_x.dll", "#quit gen_x.dll",
// "#load-failed gen_x.dll" (LoadLibrary failed), "#no-entry gen_x.dll" (no
// winampGetGeneralPurposePlugin), "#null-record gen_x.dll" (the entry returned
// null; the plug-in is kept loaded but never called), "#free gen_x.dll".
//
// A plug-in may subclass the main window and keep the previous procedure in
// the window's user-data slot (GWLP_USERDATA): the host keeps its own pointer
// in the window's extra bytes and never touches that slot.
//
// Everything runs on the thread that created the host.
#pragma once

#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "host/notify_area.h"

namespace td::host {

// The record a general-purpose plug-in hands the host, laid out as the host
// expects it.
struct PluginRecord {
    int version;
    char* description;
    int (*init)();
    void (*config)();
    void (*quit)();
    HWND hwndParent;
    HINSTANCE hDllInstance;
};
using GetPluginFunction = PluginRecord* (*)();

constexpr char kMainWindowClass[] = "Winamp v1.x";
constexpr UINT kRequestMessage = WM_USER;  // 1024
constexpr ULONG_PTR kCopyDataPlayFile = 100;

// Ids of the main popup menu.
constexpr UINT kMenuAbout = 40041;  // first item: marks the main menu
constexpr UINT kMenuExit = 40001;

// Command ids (message 273).
constexpr UINT kCommandFileOpen = 40029;
constexpr UINT kCommandPlaylistEditor = 40040;
constexpr UINT kCommandPrevious = 40044;
constexpr UINT kCommandPlay = 40045;
constexpr UINT kCommandPause = 40046;
constexpr UINT kCommandStop = 40047;
constexpr UINT kCommandNext = 40048;
constexpr UINT kCommandVolumeUp = 40058;
constexpr UINT kCommandVolumeDown = 40059;
constexpr UINT kCommandStopFadeOut = 40147;
constexpr UINT kCommandOpenLocation = 40185;
constexpr UINT kCommandOpenDirectory = 40187;

constexpr int kDefaultLengthSec = 180;
constexpr int kVolumeStep = 3;
constexpr int kInitialVolume = 200;

enum class PlayState { Stopped = 0, Playing = 1, Paused = 3 };

// One recorded message or plug-in event.
struct HostRecord {
    bool isEvent = false;  // a plug-in event ("#init ..."); message fields 0
    UINT message = 0;
    WPARAM wParam = 0;
    LPARAM lParam = 0;
    int requestId = 0;       // message 1024: the request id (= lParam)
    ULONG_PTR copyKind = 0;  // message 74: dwData
    DWORD copyBytes = 0;     // message 74: cbData
    std::string text;        // message 74: the path; events: the file name
    LRESULT result = 0;
    std::string line;  // the log line
};

struct PlaylistEntry {
    std::string path;
    int lengthSec = kDefaultLengthSec;
};

struct HostOptions {
    // The module the window class is registered with. Null: the module that
    // created the process.
    HINSTANCE classModule = nullptr;
    // The host's program file; its M3U is this path with the extension
    // "m3u". Empty: the file of classModule.
    std::string programPath;
    // Appended to, one line per record. Empty: no file.
    std::string logPath;
    // Where gen_*.dll are loaded from. Empty: <program dir>\Plugins.
    std::string pluginsDir;
    // Post WM_QUIT when the main window is destroyed (the program does; tests
    // running in their own loop do not).
    bool quitOnDestroy = false;
    // Show the main window.
    bool show = true;
    // Milliseconds for the simulated play position. Empty: GetTickCount64.
    std::function<uint64_t()> clock;
    // Stand in for the shell's notification area: the tray icons of every
    // plug-in loaded are kept and logged by the host (tray()), never shown.
    bool trayStandIn = false;
};

class StandInHost {
public:
    explicit StandInHost(HostOptions options = {});
    // Quits the plug-ins if still loaded, destroys the window, frees the
    // plug-ins and unregisters the class.
    ~StandInHost();
    StandInHost(const StandInHost&) = delete;
    StandInHost& operator=(const StandInHost&) = delete;

    // Creates the window. False when the class or the window cannot be made.
    bool create();
    HWND hwnd() const { return hwnd_; }

    // --- plug-ins -----------------------------------------------------------
    // Loads every gen_*.dll of the plug-ins folder (in name order), fills in
    // each record's handles and calls init. Returns the number of plug-ins
    // whose init was called. Needs the window.
    int loadPlugins();
    // Starts a plug-in whose entry lives in the calling program (tests): the
    // same steps as for a loaded module, with `module` as its instance
    // handle (never freed). True when init was called.
    bool adoptPlugin(const std::string& name, GetPluginFunction get, HMODULE module = nullptr);
    // Calls config of every initialised plug-in (or the one at `index`).
    void configPlugins();
    void configPlugin(size_t index);
    // Calls quit of every initialised plug-in, in reverse order; once.
    void quitPlugins();
    // quitPlugins, then FreeLibrary of every loaded module, in reverse
    // order. Call it only when no plug-in code is on the stack (not from a
    // message the plug-in passed on); the window should be destroyed first
    // when a plug-in may have left its procedure installed.
    void unloadPlugins();
    size_t pluginCount() const { return plugins_.size(); }
    // The record of a loaded plug-in (null for a null record).
    PluginRecord* pluginRecord(size_t index) const;
    HMODULE pluginModule(size_t index) const;
    std::string pluginsDir() const;

    // The stand-in notification area (HostOptions::trayStandIn), or null.
    NotifyArea* tray() { return tray_.get(); }

    // --- main menu ----------------------------------------------------------
    HMENU mainMenu() const { return menu_; }
    // Sends WM_INITMENUPOPUP for the main menu, as tracking it would, and
    // WM_UNINITMENUPOPUP afterwards when `close` is true (without tracking).
    void openMainMenu(bool close = true);
    // Delivers the choice of a main menu item as tracking would: the host's
    // own items as WM_COMMAND, others as WM_SYSCOMMAND. Returns the result.
    LRESULT chooseMainMenuItem(UINT id);
    // Tracks the menu at a screen point (modal) and delivers the choice.
    void trackMainMenu(POINT screen);

    // Posts WM_CLOSE to the main window after `milliseconds`.
    void closeAfter(UINT milliseconds);

    // --- player state -------------------------------------------------------
    void addEntry(const std::string& path, int lengthSec = kDefaultLengthSec);
    const std::vector<PlaylistEntry>& entries() const { return entries_; }
    int currentIndex() const { return current_; }
    PlayState state();
    // Position in ms of the current entry (0 while stopped).
    int64_t positionMs();
    int volume() const { return volume_; }
    void setDefaultLengthSec(int seconds) { defaultLength_ = seconds; }
    // The M3U path (program path with the extension "m3u").
    std::string m3uPath() const;
    const std::string& programPath() const { return programPath_; }

    // --- records ------------------------------------------------------------
    const std::vector<HostRecord>& records() const { return records_; }
    // Forgets the records (not the log file); ignored inside a message.
    void clearRecords();
    // Records of one message number.
    std::vector<HostRecord> recordsOf(UINT message) const;
    // The log lines of the records, in order.
    std::vector<std::string> lines() const;
    // Adds an event line ("#" + text).
    void logEvent(const std::string& text);

    // Stops play, clears the list: as request 101.
    void clearPlaylist();
    // Plays the current entry from its start: as request 102.
    void startPlay();

private:
    struct Plugin {
        std::string fileName;
        HMODULE module = nullptr;
        PluginRecord* record = nullptr;
        bool initialised = false;
        bool quit = false;
        bool adopted = false;  // started by adoptPlugin: the module is not freed
    };

    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT handle(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT request(WPARAM argument, LPARAM id);
    LRESULT copyData(LPARAM lParam);
    void command(UINT id);
    bool startPlugin(const std::string& name, HMODULE module, GetPluginFunction get);
    void finish(size_t index);  // marks a record done; writes what can be written
    uint64_t now() const;
    void advance();  // moves past entries whose length has elapsed
    void setPosition(int64_t ms);
    bool writeM3u() const;
    bool ownMenuItem(UINT id) const;

    HostOptions options_;
    std::string programPath_;
    HINSTANCE classModule_ = nullptr;
    bool registered_ = false;
    HWND hwnd_ = nullptr;
    HMENU menu_ = nullptr;
    std::FILE* log_ = nullptr;
    std::unique_ptr<NotifyArea> tray_;
    std::vector<Plugin> plugins_;
    std::vector<HostRecord> records_;
    std::vector<size_t> pending_;  // records whose message is being handled
    size_t written_ = 0;           // records written to the log file
    bool quitting_ = false;

    std::vector<PlaylistEntry> entries_;
    int current_ = 0;
    PlayState state_ = PlayState::Stopped;
    int64_t positionBase_ = 0;  // position when the clock was last read
    uint64_t clockBase_ = 0;    // clock at positionBase_ (while playing)
    int volume_ = kInitialVolume;
    int defaultLength_ = kDefaultLengthSec;
};

// The file name after the last backslash or slash.
std::string FileNameOf(const std::string& path);
// Everything after the last "." of the file name replaced by "m3u" (".m3u"
// appended when the name has no ".").
std::string M3uPathFor(const std::string& programPath);
// The playlist as M3U text (#EXTM3U, one #EXTINF line and one path line per
// entry, CR LF line ends).
std::string M3uText(const std::vector<PlaylistEntry>& entries);

}  // namespace td::host
