// Placeholder until the plug-in record lands.
#include <windows.h>
extern "C" __declspec(dllexport) void* winampGetGeneralPurposePlugin() { return nullptr; }
