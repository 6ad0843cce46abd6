#include "host/host_core.h"

#include <algorithm>
#include <cinttypes>
#include <cstring>
#include <utility>

namespace td::host {

namespace {

// The host whose window is being created: messages that arrive before
// WM_NCCREATE hands over the pointer.
StandInHost* g_creating = nullptr;

constexpr UINT_PTR kCloseTimer = 1;

std::string ModuleFileName(HMODULE module) {
    char buffer[MAX_PATH + 1];
    const DWORD length = GetModuleFileNameA(module, buffer, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return std::string();
    return std::string(buffer, length);
}

std::string DirectoryOf(const std::string& path) {
    const size_t slash = path.find_last_of("\\/");
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

std::string Printable(const std::string& text) {
    std::string out = text;
    for (char& c : out) {
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) c = '?';
    }
    return out;
}

bool LessNoCase(const std::string& a, const std::string& b) { return lstrcmpiA(a.c_str(), b.c_str()) < 0; }

std::string FormatMessageLine(const HostRecord& r) {
    char buffer[160];
    if (r.message == WM_COPYDATA && r.lParam == 0) {
        std::snprintf(buffer, sizeof(buffer), "74 malformed r=%" PRIdPTR, static_cast<intptr_t>(r.result));
        return buffer;
    }
    if (r.message == WM_COPYDATA) {
        std::snprintf(buffer, sizeof(buffer),
                      "74 kind=%" PRIuPTR " bytes=%lu text=", static_cast<uintptr_t>(r.copyKind),
                      static_cast<unsigned long>(r.copyBytes));
        std::string line = buffer + Printable(r.text);
        std::snprintf(buffer, sizeof(buffer), " r=%" PRIdPTR, static_cast<intptr_t>(r.result));
        return line + buffer;
    }
    std::snprintf(buffer, sizeof(buffer), "%u w=%" PRIdPTR " l=%" PRIdPTR " r=%" PRIdPTR, r.message,
                  static_cast<intptr_t>(r.wParam), static_cast<intptr_t>(r.lParam),
                  static_cast<intptr_t>(r.result));
    return buffer;
}

}  // namespace

// --- free helpers --------------------------------------------------------------

std::string FileNameOf(const std::string& path) {
    const size_t slash = path.find_last_of("\\/");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string M3uPathFor(const std::string& programPath) {
    const size_t slash = programPath.find_last_of("\\/");
    const size_t dot = programPath.find_last_of('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) {
        return programPath + ".m3u";
    }
    return programPath.substr(0, dot + 1) + "m3u";
}

std::string M3uText(const std::vector<PlaylistEntry>& entries) {
    std::string text = "#EXTM3U\r\n";
    for (const PlaylistEntry& entry : entries) {
        std::string title = FileNameOf(entry.path);
        const size_t dot = title.find_last_of('.');
        if (dot != std::string::npos && dot > 0) title.erase(dot);
        text += "#EXTINF:" + std::to_string(entry.lengthSec) + "," + title + "\r\n";
        text += entry.path + "\r\n";
    }
    return text;
}

// --- construction ----------------------------------------------------------------

StandInHost::StandInHost(HostOptions options) : options_(std::move(options)) {
    classModule_ = options_.classModule ? options_.classModule : GetModuleHandleA(nullptr);
    programPath_ = options_.programPath.empty() ? ModuleFileName(classModule_) : options_.programPath;
    if (!options_.logPath.empty()) log_ = std::fopen(options_.logPath.c_str(), "ab");
    if (options_.trayStandIn) {
        tray_ = std::make_unique<NotifyArea>([this](const std::string& line) { logEvent(line); });
    }

    menu_ = CreatePopupMenu();
    AppendMenuA(menu_, MF_STRING, kMenuAbout, "&About Stand-in host...");
    AppendMenuA(menu_, MF_SEPARATOR, 0, nullptr);
    AppendMenuA(menu_, MF_STRING, kCommandFileOpen, "&Play file...");
    AppendMenuA(menu_, MF_STRING, kCommandPlaylistEditor, "Playlist &editor");
    AppendMenuA(menu_, MF_SEPARATOR, 0, nullptr);
    AppendMenuA(menu_, MF_STRING, kCommandPrevious, "Pre&vious");
    AppendMenuA(menu_, MF_STRING, kCommandPlay, "&Play");
    AppendMenuA(menu_, MF_STRING, kCommandPause, "P&ause");
    AppendMenuA(menu_, MF_STRING, kCommandStop, "&Stop");
    AppendMenuA(menu_, MF_STRING, kCommandNext, "&Next");
    AppendMenuA(menu_, MF_SEPARATOR, 0, nullptr);
    AppendMenuA(menu_, MF_STRING, kMenuExit, "E&xit");
}

StandInHost::~StandInHost() {
    if (hwnd_) {
        quitPlugins();
        DestroyWindow(hwnd_);
    }
    unloadPlugins();
    if (menu_) DestroyMenu(menu_);
    if (registered_) UnregisterClassA(kMainWindowClass, classModule_);
    if (log_) std::fclose(log_);
}

bool StandInHost::create() {
    if (hwnd_) return true;
    WNDCLASSEXA existing{};
    existing.cbSize = sizeof(existing);
    if (!GetClassInfoExA(classModule_, kMainWindowClass, &existing)) {
        WNDCLASSEXA wc{};
        wc.cbSize = sizeof(wc);
        wc.lpfnWndProc = &StandInHost::WindowProc;
        wc.cbWndExtra = sizeof(LONG_PTR);
        wc.hInstance = classModule_;
        wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
        wc.hIcon = LoadIcon(nullptr, IDI_APPLICATION);
        wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
        wc.lpszClassName = kMainWindowClass;
        if (!RegisterClassExA(&wc)) return false;
        registered_ = true;
    } else if (existing.lpfnWndProc != &StandInHost::WindowProc) {
        return false;  // someone else's class of that name
    }
    g_creating = this;
    const HWND hwnd =
        CreateWindowExA(0, kMainWindowClass, "Stand-in host", WS_POPUP | WS_BORDER | WS_MINIMIZEBOX, 40, 40,
                        320, 120, nullptr, nullptr, classModule_, this);
    g_creating = nullptr;
    if (!hwnd) return false;
    if (options_.show) {
        ShowWindow(hwnd, SW_SHOWNOACTIVATE);
        UpdateWindow(hwnd);
    }
    return true;
}

// --- window procedure --------------------------------------------------------------

LRESULT CALLBACK StandInHost::WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<StandInHost*>(GetWindowLongPtrA(hwnd, 0));
    if (!self && message == WM_NCCREATE) {
        self = static_cast<StandInHost*>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams);
        SetWindowLongPtrA(hwnd, 0, reinterpret_cast<LONG_PTR>(self));
    }
    if (!self) self = g_creating;
    if (!self) return DefWindowProcA(hwnd, message, wParam, lParam);
    if (!self->hwnd_) self->hwnd_ = hwnd;

    // The record takes its place on receipt; its result is filled in when
    // the message has been handled (handling may record further messages).
    HostRecord record;
    record.message = message;
    record.wParam = wParam;
    record.lParam = lParam;
    if (message == kRequestMessage) record.requestId = static_cast<int>(lParam);
    if (message == WM_COPYDATA && lParam != 0) {
        const auto* cds = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
        record.copyKind = cds->dwData;
        record.copyBytes = cds->cbData;
        if (cds->lpData && cds->cbData > 0) {
            const char* data = static_cast<const char*>(cds->lpData);
            record.text.assign(data, strnlen(data, cds->cbData));
        }
    }
    const size_t index = self->records_.size();
    self->records_.push_back(record);
    self->pending_.push_back(index);

    const LRESULT result = self->handle(hwnd, message, wParam, lParam);

    HostRecord& done = self->records_[index];
    done.result = result;
    done.line = FormatMessageLine(done);
    self->finish(index);
    return result;
}

void StandInHost::finish(size_t index) {
    pending_.erase(std::remove(pending_.begin(), pending_.end(), index), pending_.end());
    // Lines go to the file in receipt order, once every earlier one is done.
    while (written_ < records_.size()) {
        if (std::find(pending_.begin(), pending_.end(), written_) != pending_.end()) break;
        if (log_) {
            std::fputs(records_[written_].line.c_str(), log_);
            std::fputs("\r\n", log_);
            std::fflush(log_);
        }
        ++written_;
    }
}

LRESULT StandInHost::handle(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case kRequestMessage: return request(wParam, lParam);
    case WM_COPYDATA: return copyData(lParam);
    case WM_COMMAND:
        if (HIWORD(wParam) == 0 || HIWORD(wParam) == 1) command(LOWORD(wParam));
        return 0;
    case WM_CONTEXTMENU: {
        POINT pt{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
        if (lParam == -1) {
            RECT rc;
            GetWindowRect(hwnd, &rc);
            pt = POINT{rc.left + 10, rc.top + 10};
        }
        trackMainMenu(pt);
        return 0;
    }
    case WM_TIMER:
        if (wParam == kCloseTimer) {
            KillTimer(hwnd, kCloseTimer);
            PostMessageA(hwnd, WM_CLOSE, 0, 0);
            return 0;
        }
        break;
    case WM_PAINT: {
        PAINTSTRUCT ps;
        const HDC dc = BeginPaint(hwnd, &ps);
        advance();
        const char* stateText = state_ == PlayState::Playing  ? "playing"
                                : state_ == PlayState::Paused ? "paused"
                                                              : "stopped";
        std::string text =
            std::string("Stand-in host: ") + stateText + ", " + std::to_string(entries_.size()) + " entries";
        if (!entries_.empty()) text += "\n" + FileNameOf(entries_[current_].path);
        RECT rc;
        GetClientRect(hwnd, &rc);
        SetBkMode(dc, TRANSPARENT);
        DrawTextA(dc, text.c_str(), -1, &rc, DT_LEFT | DT_NOPREFIX);
        EndPaint(hwnd, &ps);
        return 0;
    }
    case WM_CLOSE:
        quitPlugins();
        DestroyWindow(hwnd);
        return 0;
    case WM_DESTROY:
        // Destroyed without WM_CLOSE: the plug-ins still end first.
        quitPlugins();
        if (options_.quitOnDestroy) PostQuitMessage(0);
        return 0;
    case WM_NCDESTROY:
        SetWindowLongPtrA(hwnd, 0, 0);
        hwnd_ = nullptr;
        break;
    default: break;
    }
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

LRESULT StandInHost::request(WPARAM argumentParam, LPARAM id) {
    const intptr_t argument = static_cast<intptr_t>(argumentParam);
    const int count = static_cast<int>(entries_.size());
    advance();  // the answer reflects the time that has passed
    switch (id) {
    case 101: clearPlaylist(); return 0;
    case 102: startPlay(); return 0;
    case 104: return static_cast<LRESULT>(state());
    case 105:
        advance();
        if (entries_.empty()) return -1;
        if (argument == 0) return static_cast<LRESULT>(positionMs());
        if (argument == 1) return entries_[current_].lengthSec;
        if (argument == 2) return static_cast<LRESULT>(entries_[current_].lengthSec) * 1000;
        return -1;
    case 106: {
        advance();
        if (state_ == PlayState::Stopped || entries_.empty()) return -1;
        if (argument < 0) return -1;
        if (argument >= static_cast<intptr_t>(entries_[current_].lengthSec) * 1000) {
            // Past the end: on to the next entry, or stop after the last.
            if (current_ + 1 < count) {
                ++current_;
                setPosition(0);
            } else {
                state_ = PlayState::Stopped;
                setPosition(0);
            }
            return 1;
        }
        setPosition(argument);
        return 0;
    }
    case 120: writeM3u(); return current_;
    case 121:
        if (argument >= 0 && argument < count) {
            current_ = static_cast<int>(argument);
            setPosition(0);
        }
        return 0;
    case 122:
        if (argument == -666) return volume_;
        volume_ = static_cast<int>(std::clamp<intptr_t>(argument, 0, 255));
        return 0;
    case 125: return current_;
    case 211:
        if (argument < 0 || argument >= count) return 0;
        return reinterpret_cast<LRESULT>(entries_[static_cast<size_t>(argument)].path.c_str());
    default: return 0;
    }
}

LRESULT StandInHost::copyData(LPARAM lParam) {
    if (lParam == 0) return 0;
    const auto* cds = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
    if (cds->dwData != kCopyDataPlayFile) return 0;
    if (!cds->lpData || cds->cbData == 0) return 0;
    const char* data = static_cast<const char*>(cds->lpData);
    const size_t length = strnlen(data, cds->cbData);
    if (length == cds->cbData || length == 0) return 0;  // no terminator, or no path
    addEntry(std::string(data, length), defaultLength_);
    return 1;
}

void StandInHost::command(UINT id) {
    const int count = static_cast<int>(entries_.size());
    advance();
    switch (id) {
    case kCommandPrevious:
        if (count == 0) break;
        current_ = std::max(0, current_ - 1);
        setPosition(0);
        break;
    case kCommandNext:
        if (current_ + 1 < count) {
            ++current_;
            setPosition(0);
        }
        break;
    case kCommandPlay: startPlay(); break;
    case kCommandPause:
        if (state_ == PlayState::Playing) {
            positionBase_ = positionMs();
            state_ = PlayState::Paused;
        } else if (state_ == PlayState::Paused) {
            state_ = PlayState::Playing;
            clockBase_ = now();
        }
        break;
    case kCommandStop:
    case kCommandStopFadeOut:
        state_ = PlayState::Stopped;
        setPosition(0);
        break;
    case kCommandVolumeUp: volume_ = std::min(255, volume_ + kVolumeStep); break;
    case kCommandVolumeDown: volume_ = std::max(0, volume_ - kVolumeStep); break;
    case kMenuExit:
        if (hwnd_) PostMessageA(hwnd_, WM_CLOSE, 0, 0);
        break;
    default:  // 40029, 40040, 40041, 40185, 40187 and others: recorded only
        break;
    }
    if (hwnd_) InvalidateRect(hwnd_, nullptr, TRUE);
}

// --- player state ------------------------------------------------------------------

uint64_t StandInHost::now() const { return options_.clock ? options_.clock() : GetTickCount64(); }

void StandInHost::setPosition(int64_t ms) {
    positionBase_ = ms;
    clockBase_ = now();
}

void StandInHost::advance() {
    if (state_ != PlayState::Playing || entries_.empty()) return;
    const uint64_t t = now();
    int64_t position = positionBase_ + static_cast<int64_t>(t - clockBase_);
    while (position >= static_cast<int64_t>(entries_[current_].lengthSec) * 1000) {
        position -= static_cast<int64_t>(entries_[current_].lengthSec) * 1000;
        if (current_ + 1 < static_cast<int>(entries_.size())) {
            ++current_;
        } else {
            state_ = PlayState::Stopped;
            position = 0;
            break;
        }
    }
    positionBase_ = position;
    clockBase_ = t;
}

void StandInHost::startPlay() {
    if (entries_.empty()) return;
    if (current_ >= static_cast<int>(entries_.size())) current_ = 0;
    state_ = PlayState::Playing;
    setPosition(0);
    if (hwnd_) InvalidateRect(hwnd_, nullptr, TRUE);
}

PlayState StandInHost::state() {
    advance();
    return state_;
}

int64_t StandInHost::positionMs() {
    advance();
    return state_ == PlayState::Stopped ? 0 : positionBase_;
}

void StandInHost::addEntry(const std::string& path, int lengthSec) {
    entries_.push_back(PlaylistEntry{path, lengthSec});
    if (hwnd_) InvalidateRect(hwnd_, nullptr, TRUE);
}

void StandInHost::clearPlaylist() {
    entries_.clear();
    current_ = 0;
    state_ = PlayState::Stopped;
    setPosition(0);
    if (hwnd_) InvalidateRect(hwnd_, nullptr, TRUE);
}

std::string StandInHost::m3uPath() const { return M3uPathFor(programPath_); }

bool StandInHost::writeM3u() const {
    const std::string path = m3uPath();
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) return false;
    const std::string text = M3uText(entries_);
    const bool ok = std::fwrite(text.data(), 1, text.size(), file) == text.size();
    return std::fclose(file) == 0 && ok;
}

// --- menu ------------------------------------------------------------------------------

bool StandInHost::ownMenuItem(UINT id) const {
    switch (id) {
    case kMenuAbout:
    case kMenuExit:
    case kCommandFileOpen:
    case kCommandPlaylistEditor:
    case kCommandPrevious:
    case kCommandPlay:
    case kCommandPause:
    case kCommandStop:
    case kCommandNext: return true;
    default: return false;
    }
}

void StandInHost::openMainMenu(bool close) {
    if (!hwnd_) return;
    SendMessageA(hwnd_, WM_ENTERMENULOOP, TRUE, 0);
    SendMessageA(hwnd_, WM_INITMENU, reinterpret_cast<WPARAM>(menu_), 0);
    SendMessageA(hwnd_, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(menu_), MAKELPARAM(0, FALSE));
    if (close) {
        SendMessageA(hwnd_, WM_UNINITMENUPOPUP, reinterpret_cast<WPARAM>(menu_), 0);
        SendMessageA(hwnd_, WM_EXITMENULOOP, TRUE, 0);
    }
}

LRESULT StandInHost::chooseMainMenuItem(UINT id) {
    if (!hwnd_) return 0;
    if (ownMenuItem(id)) return SendMessageA(hwnd_, WM_COMMAND, MAKEWPARAM(id, 0), 0);
    return SendMessageA(hwnd_, WM_SYSCOMMAND, id, 0);
}

void StandInHost::trackMainMenu(POINT screen) {
    if (!hwnd_) return;
    SetForegroundWindow(hwnd_);
    const UINT id = static_cast<UINT>(
        TrackPopupMenu(menu_, TPM_RETURNCMD | TPM_RIGHTBUTTON, screen.x, screen.y, 0, hwnd_, nullptr));
    PostMessageA(hwnd_, WM_NULL, 0, 0);
    if (id != 0) chooseMainMenuItem(id);
}

void StandInHost::closeAfter(UINT milliseconds) {
    if (hwnd_) SetTimer(hwnd_, kCloseTimer, milliseconds, nullptr);
}

// --- plug-ins ----------------------------------------------------------------------------

std::string StandInHost::pluginsDir() const {
    std::string dir =
        options_.pluginsDir.empty() ? DirectoryOf(programPath_) + "Plugins" : options_.pluginsDir;
    // Modules load by full path only (a relative one would go through the
    // search path).
    char full[MAX_PATH + 1];
    const DWORD length = GetFullPathNameA(dir.c_str(), sizeof(full), full, nullptr);
    if (length > 0 && length < sizeof(full)) dir.assign(full, length);
    if (!dir.empty() && dir.back() != '\\' && dir.back() != '/') dir.push_back('\\');
    return dir;
}

int StandInHost::loadPlugins() {
    if (!hwnd_) return 0;
    const std::string dir = pluginsDir();
    std::vector<std::string> names;
    WIN32_FIND_DATAA found;
    const HANDLE find = FindFirstFileA((dir + "gen_*.dll").c_str(), &found);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            const std::string name = found.cFileName;
            // The pattern also matches through short names ("gen_x.dllx").
            const bool dll = name.size() > 4 && lstrcmpiA(name.c_str() + name.size() - 4, ".dll") == 0;
            if (dll && !(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.push_back(name);
        } while (FindNextFileA(find, &found));
        FindClose(find);
    }
    std::sort(names.begin(), names.end(), LessNoCase);

    int initialised = 0;
    for (const std::string& name : names) {
        const std::string path = dir + name;
        const HMODULE module = LoadLibraryExA(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
        if (!module) {
            logEvent("load-failed " + name);
            continue;
        }
        const FARPROC proc = GetProcAddress(module, "winampGetGeneralPurposePlugin");
        if (!proc) {
            logEvent("no-entry " + name);
            FreeLibrary(module);
            continue;
        }
        const auto get = reinterpret_cast<GetPluginFunction>(reinterpret_cast<void (*)()>(proc));
        if (tray_) tray_->attach(module);
        if (startPlugin(name, module, get)) ++initialised;
    }
    return initialised;
}

bool StandInHost::adoptPlugin(const std::string& name, GetPluginFunction get, HMODULE module) {
    if (!hwnd_ || !get) return false;
    const bool started = startPlugin(name, module, get);
    plugins_.back().adopted = true;
    return started;
}

bool StandInHost::startPlugin(const std::string& name, HMODULE module, GetPluginFunction get) {
    Plugin plugin;
    plugin.fileName = name;
    plugin.module = module;
    plugin.record = get();
    if (!plugin.record) {
        logEvent("null-record " + name);
        plugins_.push_back(plugin);
        return false;
    }
    plugin.record->hwndParent = hwnd_;
    plugin.record->hDllInstance = module;
    plugin.initialised = true;
    plugins_.push_back(plugin);
    logEvent("init " + name);
    // The vector may grow while init runs (a plug-in could ask for more).
    int (*init)() = plugin.record->init;
    if (init) init();
    return true;
}

void StandInHost::configPlugin(size_t index) {
    if (index >= plugins_.size()) return;
    Plugin& plugin = plugins_[index];
    if (!plugin.initialised || plugin.quit || !plugin.record) return;
    logEvent("config " + plugin.fileName);
    if (plugin.record->config) plugin.record->config();
}

void StandInHost::configPlugins() {
    for (size_t i = 0; i < plugins_.size(); ++i) configPlugin(i);
}

void StandInHost::quitPlugins() {
    if (quitting_) return;
    quitting_ = true;
    for (size_t i = plugins_.size(); i-- > 0;) {
        Plugin& plugin = plugins_[i];
        if (!plugin.initialised || plugin.quit) continue;
        plugin.quit = true;
        logEvent("quit " + plugin.fileName);
        if (plugin.record->quit) plugin.record->quit();
    }
    quitting_ = false;
}

void StandInHost::unloadPlugins() {
    quitPlugins();
    while (!plugins_.empty()) {
        Plugin plugin = plugins_.back();
        plugins_.pop_back();
        if (plugin.adopted) continue;  // not ours to free
        if (tray_) tray_->detach(plugin.module);
        logEvent("free " + plugin.fileName);
        FreeLibrary(plugin.module);
    }
}

PluginRecord* StandInHost::pluginRecord(size_t index) const {
    return index < plugins_.size() ? plugins_[index].record : nullptr;
}

HMODULE StandInHost::pluginModule(size_t index) const {
    return index < plugins_.size() ? plugins_[index].module : nullptr;
}

// --- records -------------------------------------------------------------------------------

void StandInHost::logEvent(const std::string& text) {
    HostRecord record;
    record.isEvent = true;
    const size_t space = text.find(' ');
    record.text = space == std::string::npos ? text : text.substr(space + 1);
    record.line = "#" + Printable(text);
    records_.push_back(record);
    finish(records_.size() - 1);
}

void StandInHost::clearRecords() {
    if (!pending_.empty()) return;  // inside a message: its record must stay
    records_.clear();
    written_ = 0;
}

std::vector<HostRecord> StandInHost::recordsOf(UINT message) const {
    std::vector<HostRecord> out;
    for (const HostRecord& r : records_) {
        if (!r.isEvent && r.message == message) out.push_back(r);
    }
    return out;
}

std::vector<std::string> StandInHost::lines() const {
    std::vector<std::string> out;
    out.reserve(records_.size());
    for (const HostRecord& r : records_) out.push_back(r.line);
    return out;
}

}  // namespace td::host
