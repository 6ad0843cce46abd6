// tdhost: the stand-in host as a program, for demos and process-level tests.
//
//   tdhost [--log FILE] [--plugins DIR] [--add PATH]... [--play]
//          [--syscommand N]... [--quit-after MS]
//
// --add puts PATH into the playlist before the plug-ins start; --play starts
// playing the first entry; --syscommand posts WM_SYSCOMMAND N to the main
// window once the plug-ins are initialised (50120 opens a plug-in's window
// through the entry it adds to the main menu); --quit-after closes the host
// after MS milliseconds. The exit code is 0, or 2 for a bad command line or
// a window that cannot be created.
#include <windows.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "host/host_core.h"

namespace {

struct CommandLine {
    td::host::HostOptions options;
    std::vector<std::string> adds;
    bool play = false;
    std::vector<UINT> syscommands;
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
        } else if (arg == "--syscommand" && hasValue && ParseNumber(argv[i + 1], number) &&
                   number >= 0) {
            cl.syscommands.push_back(static_cast<UINT>(number));
            ++i;
        } else if (arg == "--quit-after" && hasValue && ParseNumber(argv[i + 1], number) &&
                   number >= 0) {
            cl.quitAfter = number;
            ++i;
        } else {
            cl.ok = false;
        }
    }
    return cl;
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
