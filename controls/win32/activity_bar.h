// The activity bar: a window class of its own, "gs_nonprogressbar", in which
// a short train of blocks runs from left to right again and again while work
// of unknown length goes on. It animates itself from its own timer while it
// is enabled, and draws itself like the system's progress bar when visual
// styles are active, in a classic sunken look otherwise.
#pragma once

#include <windows.h>

#include <cstdint>

namespace td {

extern const char kActivityBarClassName[];  // "gs_nonprogressbar"

// Messages of the bar (results as described).
constexpr UINT WM_ACTIVITY_GET_INTERVAL = WM_USER + 0;  // -> timer period in ms
constexpr UINT WM_ACTIVITY_SET_INTERVAL = WM_USER + 1;  // wParam ms -> 1; restarts an enabled bar
constexpr UINT WM_ACTIVITY_GET_BLOCKS = WM_USER + 2;    // -> blocks in the train
constexpr UINT WM_ACTIVITY_SET_BLOCKS = WM_USER + 3;    // wParam 1..20 -> 1, otherwise 0

// Window style bit of the bar's own: draw the classic look even when visual
// styles are active.
constexpr DWORD kActivityBarClassicStyle = 0x8000;

// Registers the global window class under the process's main module.
// Reference-counted: each successful call must be matched by one call of
// UnregisterActivityBarClass; the class goes away with the last one. False
// when the class could not be registered: a class of that name registered by
// someone else is left alone and counts as a failure, while ours, left
// registered because a bar window still existed at the last unregistering,
// is taken up again.
bool RegisterActivityBarClass();
void UnregisterActivityBarClass();

// The animation step of a bar window, 0 for a window that is not a bar.
// Meant for tests and diagnostics.
uint32_t ActivityBarPosition(HWND bar);

}  // namespace td
