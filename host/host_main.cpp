// tdhost: the stand-in host as a program, for demos and process-level tests.
//
//   tdhost [--log FILE] [--plugins DIR] [--add PATH]... [--play]
//          [--syscommand N]... [--post MSG:W:L]... [--window-command N]...
//          [--drop PATH]... [--click ID]... [--quit-after MS]
//
// --add puts PATH into the playlist before the plug-ins start; --play starts
// playing the first entry; --syscommand posts WM_SYSCOMMAND N to the main
// window once the plug-ins are initialised (50120 opens a plug-in's window
// through the entry it adds to the main menu); --post posts message MSG with
// the parameters W and L (decimal) to it at that point (1051:1031:513 is a
// click on a plug-in's tray icon 1031); once a plug-in's window captioned
// "Tunedeck..." shows, --window-command posts it WM_COMMAND N (a menu
// command) and --drop drops the PATHs on it, as the shell would; then each
// --click, in turn, clicks the button ID of a window of the host's thread
// once one shows enabled (6 is Yes in a message box);
// --quit-after closes the host after MS milliseconds. The exit code is 0, or
// 2 for a bad command line or a window that cannot be created.
#include <windows.h>

#include <shlobj.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "host/host_core.h"

namespace {

struct CommandLine {
    td::host::HostOptions options;
    std::vector<std::string> adds;
    bool play = false;
    std::vector<UINT> syscommands;
    std::vector<UINT> windowCommands;
    std::vector<std::string> drops;
    std::vector<int> clicks;
    struct Post {
        UINT message;
        WPARAM wParam;
        LPARAM lParam;
    };
    std::vector<Post> posts;
    long quitAfter = -1;
    bool ok = true;
};

bool ParseNumber(const std::string& text, long& value) {
    if (text.empty()) return false;
    char* end = nullptr;
    value = std::strtol(text.c_str(), &end, 10);
    return end && *end == '\0';
}

CommandLine Parse(int argc, char** argv) {
    CommandLine cl;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool hasValue = i + 1 < argc;
        long number = 0;
        if (arg == "--play") {
            cl.play = true;
        } else if (arg == "--log" && hasValue) {
            cl.options.logPath = argv[++i];
        } else if (arg == "--plugins" && hasValue) {
            cl.options.pluginsDir = argv[++i];
        } else if (arg == "--add" && hasValue) {
            cl.adds.push_back(argv[++i]);
        } else if (arg == "--syscommand" && hasValue && ParseNumber(argv[i + 1], number) && number >= 0) {
            cl.syscommands.push_back(static_cast<UINT>(number));
            ++i;
        } else if (arg == "--window-command" && hasValue && ParseNumber(argv[i + 1], number) && number >= 0) {
            cl.windowCommands.push_back(static_cast<UINT>(number));
            ++i;
        } else if (arg == "--click" && hasValue && ParseNumber(argv[i + 1], number) && number > 0) {
            cl.clicks.push_back(static_cast<int>(number));
            ++i;
        } else if (arg == "--drop" && hasValue) {
            cl.drops.push_back(argv[++i]);
        } else if (arg == "--post" && hasValue) {
            long parts[3] = {};
            std::string rest = argv[++i];
            bool ok = true;
            for (long& part : parts) {
                const size_t colon = rest.find(':');
                ok = ok && ParseNumber(rest.substr(0, colon), part) && part >= 0;
                rest = colon == std::string::npos ? std::string() : rest.substr(colon + 1);
            }
            if (!ok || !rest.empty()) cl.ok = false;
            cl.posts.push_back(
                {static_cast<UINT>(parts[0]), static_cast<WPARAM>(parts[1]), static_cast<LPARAM>(parts[2])});
        } else if (arg == "--quit-after" && hasValue && ParseNumber(argv[i + 1], number) && number >= 0) {
            cl.quitAfter = number;
            ++i;
        } else {
            cl.ok = false;
        }
    }
    return cl;
}

// What is handed to the plug-in's window once it shows.
HWND g_host = nullptr;
std::vector<UINT> g_windowCommands;
std::vector<std::string> g_drops;

HWND ShownPluginWindow() {
    for (HWND w = GetWindow(GetDesktopWindow(), GW_CHILD); w; w = GetWindow(w, GW_HWNDNEXT)) {
        char caption[64] = {};
        GetWindowTextA(w, caption, sizeof caption);
        if (GetWindow(w, GW_OWNER) == g_host && std::strncmp(caption, "Tunedeck", 8) == 0 &&
            IsWindowVisible(w)) {
            return w;
        }
    }
    return nullptr;
}

// A drop of `paths` as the shell hands it over (the receiver frees it).
HGLOBAL DropOf(const std::vector<std::string>& paths) {
    std::string names;
    for (const std::string& path : paths) names += path + '\0';
    names += '\0';
    HGLOBAL memory = GlobalAlloc(GHND, sizeof(DROPFILES) + names.size());
    if (!memory) return nullptr;
    auto* drop = static_cast<DROPFILES*>(GlobalLock(memory));
    drop->pFiles = sizeof(DROPFILES);
    std::memcpy(reinterpret_cast<char*>(drop) + sizeof(DROPFILES), names.data(), names.size());
    GlobalUnlock(memory);
    return memory;
}

// The buttons still to click, in order.
std::vector<int> g_clicks;
HWND g_button = nullptr;

BOOL CALLBACK FindButton(HWND window, LPARAM) {
    if (!IsWindowVisible(window)) return TRUE;
    HWND button = GetDlgItem(window, g_clicks.front());
    // Pages are child dialogs: look one level down too.
    for (HWND child = GetWindow(window, GW_CHILD); !button && child; child = GetWindow(child, GW_HWNDNEXT)) {
        button = GetDlgItem(child, g_clicks.front());
    }
    if (button && IsWindowVisible(button) && IsWindowEnabled(button)) g_button = button;
    return g_button ? FALSE : TRUE;
}

void CALLBACK ClickNext(HWND, UINT, UINT_PTR timer, DWORD) {
    g_button = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), FindButton, 0);
    if (!g_button) return;
    PostMessageA(g_button, BM_CLICK, 0, 0);
    g_clicks.erase(g_clicks.begin());
    if (g_clicks.empty()) KillTimer(nullptr, timer);
}

void CALLBACK HandToWindow(HWND, UINT, UINT_PTR timer, DWORD) {
    HWND window = ShownPluginWindow();
    if (!window) return;
    KillTimer(nullptr, timer);
    if (!g_drops.empty()) {
        if (HGLOBAL drop = DropOf(g_drops))
            PostMessageA(window, WM_DROPFILES, reinterpret_cast<WPARAM>(drop), 0);
    }
    for (UINT command : g_windowCommands) PostMessageA(window, WM_COMMAND, MAKEWPARAM(command, 0), 0);
    if (!g_clicks.empty()) SetTimer(nullptr, 0, 300, &ClickNext);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    CommandLine cl = Parse(__argc, __argv);
    if (!cl.ok) return 2;  // no message box: tests run it unattended
    cl.options.classModule = instance;
    cl.options.quitOnDestroy = true;

    td::host::StandInHost host(cl.options);
    if (!host.create()) return 2;
    for (const std::string& path : cl.adds) host.addEntry(path);
    if (cl.play) host.startPlay();
    host.loadPlugins();
    for (UINT command : cl.syscommands) PostMessageA(host.hwnd(), WM_SYSCOMMAND, command, 0);
    for (const CommandLine::Post& post : cl.posts)
        PostMessageA(host.hwnd(), post.message, post.wParam, post.lParam);
    if (!cl.windowCommands.empty() || !cl.drops.empty()) {
        g_host = host.hwnd();
        g_windowCommands = cl.windowCommands;
        g_drops = cl.drops;
        g_clicks = cl.clicks;
        SetTimer(nullptr, 0, 100, &HandToWindow);
    }
    if (cl.quitAfter >= 0) host.closeAfter(static_cast<UINT>(cl.quitAfter));

    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    // The window is gone and the plug-ins have quit: no plug-in code is on
    // the stack any more.
    host.unloadPlugins();
    return 0;
}
