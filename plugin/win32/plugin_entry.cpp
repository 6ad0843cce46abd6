// The module's entry points: the one exported function that hands the host
// the plug-in record, and the load entry point, which has nothing to do.
#include <windows.h>

#include "plugin/win32/plugin_record.h"
#include "plugin/win32/plugin_shell.h"

namespace {

char g_noDescription[] = "";

td::PluginShell& Shell();

// Nothing may escape into the host's C code; a failure leaves the plug-in
// as it was (inert when init fails).
int __cdecl Init() {
    try {
        return Shell().init();
    } catch (...) {
        return 0;
    }
}

void __cdecl Config() {
    try {
        Shell().config();
    } catch (...) {
    }
}

void __cdecl Quit() {
    try {
        Shell().quit();
    } catch (...) {
    }
}

td::PluginRecord g_record = {
    td::kPluginRecordVersion, g_noDescription, &Init, &Config, &Quit, nullptr, nullptr,
};

td::PluginShell& Shell() {
    // Never destroyed: the module may be unloaded with the host's window
    // still around, and nothing of that may run under the loader's lock.
    static td::PluginShell* const shell = new td::PluginShell(g_record);
    return *shell;
}

}  // namespace

// Exported undecorated through gen_Tunedeck.def.
extern "C" td::PluginRecord* __cdecl winampGetGeneralPurposePlugin() { return &g_record; }

extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID) { return TRUE; }
