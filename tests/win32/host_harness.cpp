#include "tests/win32/host_harness.h"

#include <cstddef>

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

std::string PluginIniValue(const HostHarness& h, const char* key) {
    char value[64] = {};
    GetPrivateProfileStringA("Tunedeck", key, "<none>", value, sizeof value,
                             (h.pluginsDir() + "\\plugin.ini").c_str());
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
    const auto find = [windowClass, caption] {
        HWND window = nullptr;
        do {
            window = FindWindowExA(nullptr, window, windowClass, caption);
        } while (window && !IsWindowVisible(window));
        return window;
    };
    WhenShows(find, std::move(act));
}

std::string TestProgramDir() {
    char buffer[MAX_PATH + 1];
    const DWORD length = GetModuleFileNameA(nullptr, buffer, MAX_PATH);
    std::string path(buffer, length < MAX_PATH ? length : 0);
    const size_t slash = path.find_last_of("\\/");
    return slash == std::string::npos ? std::string(".") : path.substr(0, slash);
}

// --- HostHarness --------------------------------------------------------------------

bool HostHarness::layOut(const HostSetup& setup) {
    const std::string from = TestProgramDir();
    bool ok = CreateDirectoryA(pluginsDir().c_str(), nullptr) != 0;
    ok = CopyFileA((from + "\\tdhost.exe").c_str(), path("tdhost.exe").c_str(), FALSE) && ok;
    const std::string plugin = path("Plugins\\gen_Tunedeck.dll");
    ok = CopyFileA((from + "\\gen_Tunedeck.dll").c_str(), plugin.c_str(), FALSE) && ok;
    if (!setup.pluginIni.empty()) ok = WriteFileBytes(path("Plugins\\plugin.ini"), setup.pluginIni) && ok;
    for (const auto& [relative, bytes] : setup.files) ok = WriteFileBytes(path(relative), bytes) && ok;
    return ok;
}

HostHarness::HostHarness(const HostSetup& setup) {
    const bool laidOut = layOut(setup);
    td::host::HostOptions options;
    // The folder's host program, mapped without running any of it, owns the
    // window class: the plug-in then finds the host's M3U inside the folder.
    programModule_ = LoadLibraryExA(path("tdhost.exe").c_str(), nullptr, DONT_RESOLVE_DLL_REFERENCES);
    options.classModule = programModule_ ? programModule_ : GetModuleHandleA(nullptr);
    options.programPath = path("tdhost.exe");
    options.logPath = path("host.log");
    // The plug-in's tray icons go to the host's stand-in, never to the shell.
    options.trayStandIn = true;
    host_ = std::make_unique<td::host::StandInHost>(options);
    ok_ = laidOut && host_->create();
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
    const bool shown = pumpUntil([] { return IsWindowVisible(PlaylistWindowHandle()) != FALSE; }, timeoutMs);
    return shown ? PlaylistWindowHandle() : nullptr;
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
