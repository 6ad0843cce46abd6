// A stand-in for the shell's notification area, for the stand-in host and
// the tests: the modules it is attached to have their imports of
// Shell_NotifyIconA/W redirected to it (their import address table entries
// are rewritten), so every icon they add, change or remove is recorded here
// and never reaches the real shell. It knows which icons are up, delivers
// clicks as the shell would (the icon's callback message, sent to its owner
// with the icon's id and the mouse message) and can play a shell restart
// (every icon forgotten, then the registered "TaskbarCreated" message sent to
// the top-level windows of this process).
//
// Every call is reported through the log function, one line each:
//   tray add id=<uID> cb=<callback> icon=<yes|no> tip=<tip> r=<0|1>
//   tray modify id=<uID> ... r=<0|1>
//   tray delete id=<uID> r=<0|1>
//   tray restart
// Like the shell, adding an icon that is up, or changing or removing one that
// is not, fails (r=0); so does every call while the shell is "not running".
//
// One area at a time may be attached to modules; everything runs on one
// thread.
#pragma once

#include <windows.h>
#include <shellapi.h>

#include <functional>
#include <string>
#include <vector>

namespace td::host {

struct TrayIconRecord {
    HWND owner = nullptr;
    UINT id = 0;
    UINT callback = 0;
    HICON icon = nullptr;
    std::string tip;
};

class NotifyArea {
public:
    explicit NotifyArea(std::function<void(const std::string&)> log = {});
    // Gives every module still attached its own imports back.
    ~NotifyArea();
    NotifyArea(const NotifyArea&) = delete;
    NotifyArea& operator=(const NotifyArea&) = delete;

    // Redirects the module's tray calls here. False when it imports neither
    // Shell_NotifyIconA nor Shell_NotifyIconW.
    bool attach(HMODULE module);
    // Gives the module its imports back; call it before the module is freed.
    void detach(HMODULE module);

    // The icons up, in the order they were added.
    const std::vector<TrayIconRecord>& icons() const { return icons_; }
    // Ids of the icons up, in the order they were added.
    std::vector<UINT> ids() const;
    const TrayIconRecord* find(UINT id) const;

    // While false every call fails, as with no shell running.
    void setRunning(bool running) { running_ = running; }
    // A restarted shell: every icon is forgotten, the shell runs again, and
    // "TaskbarCreated" is sent to the top-level windows of this process.
    void restart();
    // Sends icon `id`'s callback message to its owner with the mouse
    // message, as a click on it would. False when no such icon is up.
    bool click(UINT id, UINT mouseMessage);

private:
    struct Patch {
        HMODULE module;
        void** slot;
        void* original;
    };
    static BOOL WINAPI NotifyA(DWORD message, PNOTIFYICONDATAA data);
    static BOOL WINAPI NotifyW(DWORD message, PNOTIFYICONDATAW data);
    BOOL notify(DWORD message, HWND owner, UINT id, UINT flags, UINT callback, HICON icon,
                const std::string& tip);
    void report(const std::string& line);

    std::function<void(const std::string&)> log_;
    std::vector<Patch> patches_;
    std::vector<TrayIconRecord> icons_;
    bool running_ = true;
};

}  // namespace td::host
