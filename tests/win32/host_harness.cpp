#include "tests/win32/host_harness.h"

#include <shlobj.h>

#include <cstddef>
#include <cstring>

#include "platform/copy_file.h"

namespace td::test {

namespace {

// Writes `bytes` to `path`, making its folders first.
bool WriteFileBytes(const std::string& path, const std::string& bytes) {
    return MakeDirectories(path.substr(0, path.find_last_of('\\'))) && WriteBytes(path, bytes);
}

void PumpOnce() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) continue;  // the test's loop does not end
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

// The windows waited for, each with what to do once it shows; one timer
// looks for them while any is left.
struct Wait {
    std::function<HWND()> find;
    std::function<void(HWND)> act;
};
std::vector<Wait> gWaits;
UINT_PTR gWaitTimer = 0;
bool gWindowShown = false;

void StopWaitTimer() {
    if (gWaitTimer) KillTimer(nullptr, gWaitTimer);
    gWaitTimer = 0;
}

void CALLBACK OnWaitTimer(HWND, UINT, UINT_PTR, DWORD) {
    for (size_t i = 0; i < gWaits.size(); ++i) {
        HWND window = gWaits[i].find();
        if (!window) continue;
        // Taken off the list first: the act may run modal loops of its own,
        // which dispatch this timer again, and wait for other windows.
        const std::function<void(HWND)> act = std::move(gWaits[i].act);
        gWaits.erase(gWaits.begin() + static_cast<std::ptrdiff_t>(i));
        if (gWaits.empty()) StopWaitTimer();
        act(window);
        return;
    }
}

}  // namespace

HWND PlaylistWindowHandle() { return FindWindowA("#32770", "Tunedeck"); }

std::string PluginIniValue(const HostFolder& folder, const char* key) {
    char value[64] = {};
    GetPrivateProfileStringA("Tunedeck", key, "<none>", value, sizeof value,
                             (folder.pluginsDir() + "\\plugin.ini").c_str());
    return value;
}

void WhenShows(std::function<HWND()> find, std::function<void(HWND)> act) {
    gWaits.push_back({std::move(find), std::move(act)});
    if (!gWaitTimer) gWaitTimer = SetTimer(nullptr, 0, 20, &OnWaitTimer);
}

bool AllShown() { return gWaits.empty(); }

void ForgetWaits() {
    gWaits.clear();
    StopWaitTimer();
}

void WhenWindowShows(const char* windowClass, const char* caption, std::function<void(HWND)> act) {
    ForgetWaits();
    gWindowShown = false;
    const auto find = [windowClass, caption] {
        HWND window = nullptr;
        do {
            window = FindWindowExA(nullptr, window, windowClass, caption);
        } while (window && !IsWindowVisible(window));
        return window;
    };
    WhenShows(find, [act = std::move(act)](HWND window) {
        gWindowShown = true;
        act(window);
    });
}

bool WindowShown() { return gWindowShown; }

std::string TestProgramDir() {
    char buffer[MAX_PATH + 1];
    const DWORD length = GetModuleFileNameA(nullptr, buffer, MAX_PATH);
    std::string path(buffer, length < MAX_PATH ? length : 0);
    const size_t slash = path.find_last_of("\\/");
    return slash == std::string::npos ? std::string(".") : path.substr(0, slash);
}

// --- HostFolder -------------------------------------------------------------------

HostFolder::HostFolder(const HostSetup& setup) : path_(temp_.path()) {
    ok_ = CreateDirectoryA(pluginsDir().c_str(), nullptr) != 0;
    const std::string from = TestProgramDir();
    ok_ = CopyFileA((from + "\\tdhost.exe").c_str(), hostProgram().c_str(), FALSE) && ok_;
    ok_ = CopyFileA((from + "\\gen_Tunedeck.dll").c_str(), pluginPath().c_str(), FALSE) && ok_;
    if (!setup.pluginIni.empty()) {
        ok_ = WriteFileBytes(pluginsDir() + "\\plugin.ini", setup.pluginIni) && ok_;
    }
    for (const auto& [relative, bytes] : setup.files) ok_ = WriteFileBytes(path(relative), bytes) && ok_;
}

HostFolder::~HostFolder() = default;

std::string HostFolder::path(const std::string& relative) const { return path_ + "\\" + relative; }

// --- HostHarness --------------------------------------------------------------------

HostHarness::HostHarness(HostSetup setup) : folder_(setup) {
    td::host::HostOptions options;
    // The folder's host program, mapped without running any of it, owns the
    // window class: the plug-in then finds the host's M3U inside the folder.
    programModule_ = LoadLibraryExA(folder_.hostProgram().c_str(), nullptr, DONT_RESOLVE_DLL_REFERENCES);
    options.classModule = programModule_ ? programModule_ : GetModuleHandleA(nullptr);
    options.programPath = folder_.hostProgram();
    options.logPath = folder_.path("host.log");
    // The plug-in's tray icons go to the host's stand-in, never to the shell.
    options.trayStandIn = true;
    host_ = std::make_unique<td::host::StandInHost>(options);
    ok_ = folder_.ok() && host_->create();
    if (ok_ && setup.load) load();
}

HostHarness::~HostHarness() {
    if (host_) {
        if (host_->hwnd()) {
            host_->quitPlugins();
            PumpOnce();
            DestroyWindow(host_->hwnd());
        }
        PumpOnce();
        host_->unloadPlugins();
        host_.reset();  // unregisters the class before its module goes
    }
    if (programModule_) FreeLibrary(programModule_);
}

int HostHarness::load() {
    if (loaded_ || !host_->hwnd()) return 0;
    loaded_ = true;
    return host_->loadPlugins();
}

void HostHarness::pump(int ms) {
    const ULONGLONG end = GetTickCount64() + static_cast<ULONGLONG>(ms < 0 ? 0 : ms);
    for (;;) {
        PumpOnce();
        const ULONGLONG now = GetTickCount64();
        if (now >= end) break;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(end - now), QS_ALLINPUT);
    }
}

bool HostHarness::pumpUntil(const std::function<bool()>& done, int timeoutMs) {
    const ULONGLONG end = GetTickCount64() + static_cast<ULONGLONG>(timeoutMs < 0 ? 0 : timeoutMs);
    for (;;) {
        PumpOnce();
        if (done()) return true;
        const ULONGLONG now = GetTickCount64();
        if (now >= end) return false;
        const ULONGLONG left = end - now;
        // Wake at least every 20 ms: the condition may change without a message.
        MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(left < 20 ? left : 20), QS_ALLINPUT);
    }
}

void HostHarness::quitPlugins() {
    host_->quitPlugins();
    PumpOnce();
}

HWND HostHarness::showPluginWindow(int timeoutMs) {
    host_->openMainMenu();
    host_->chooseMainMenuItem(kShowPluginWindow);
    HWND window = nullptr;
    const bool shown = pumpUntil(
        [&] {
            window = PlaylistWindowHandle();
            return window != nullptr && IsWindowVisible(window);
        },
        timeoutMs);
    return shown ? window : nullptr;
}

bool DropPaths(HWND window, const std::vector<std::string>& paths) {
    std::string names;
    for (const std::string& path : paths) names += path + '\0';
    names += '\0';
    HGLOBAL memory = GlobalAlloc(GHND, sizeof(DROPFILES) + names.size());
    if (!memory) return false;
    auto* drop = static_cast<DROPFILES*>(GlobalLock(memory));
    drop->pFiles = sizeof(DROPFILES);
    drop->fWide = FALSE;
    std::memcpy(reinterpret_cast<char*>(drop) + sizeof(DROPFILES), names.data(), names.size());
    GlobalUnlock(memory);
    // The window releases the handle (DragFinish).
    SendMessageA(window, WM_DROPFILES, reinterpret_cast<WPARAM>(memory), 0);
    return true;
}

std::vector<std::string> HostHarness::exchanges() const {
    std::vector<std::string> out;
    for (const td::host::HostRecord& r : host_->records()) {
        if (r.isEvent) continue;
        if (r.message == td::host::kRequestMessage || r.message == WM_COPYDATA || r.message == WM_COMMAND) {
            out.push_back(r.line);
        }
    }
    return out;
}

}  // namespace td::test
