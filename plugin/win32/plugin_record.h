// The record a general-purpose plug-in hands the host, laid out as the host
// expects it: the host fills in the two handles and then calls init once,
// config on request and quit once.
#pragma once

#include <windows.h>

namespace td {

constexpr int kPluginRecordVersion = 0x10;

struct PluginRecord {
    int version;
    char* description;
    int(__cdecl* init)();
    void(__cdecl* config)();
    void(__cdecl* quit)();
    HWND hwndParent;         // the host's main window
    HINSTANCE hDllInstance;  // this module
};

}  // namespace td
