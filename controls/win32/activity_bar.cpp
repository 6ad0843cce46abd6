#include "controls/win32/activity_bar.h"

#include <cstring>
#include <cwchar>
#include <new>

#include "controls/activity_bar_geometry.h"

namespace td {

const char kActivityBarClassName[] = "gs_nonprogressbar";

namespace {

// --- the visual-style library, loaded on first use --------------------------------

// Parts and state of the "Progress" theme class.
constexpr int kProgressBarPart = 1;
constexpr int kProgressChunkPart = 3;
constexpr int kProgressNormalState = 1;
constexpr int kThemeSizeMin = 0;

using ThemeHandle = HANDLE;
using IsAppThemedFn = BOOL(WINAPI*)();
using OpenThemeDataFn = ThemeHandle(WINAPI*)(HWND, LPCWSTR);
using CloseThemeDataFn = HRESULT(WINAPI*)(ThemeHandle);
using DrawThemeBackgroundFn = HRESULT(WINAPI*)(ThemeHandle, HDC, int, int, const RECT*, const RECT*);
using GetThemeBackgroundContentRectFn = HRESULT(WINAPI*)(ThemeHandle, HDC, int, int, const RECT*, RECT*);
using GetThemePartSizeFn = HRESULT(WINAPI*)(ThemeHandle, HDC, int, int, const RECT*, int, SIZE*);

// Stand-ins for a missing library or function: nothing is themed, nothing is
// drawn or measured.
BOOL WINAPI NoAppThemed() { return FALSE; }
ThemeHandle WINAPI NoOpenThemeData(HWND, LPCWSTR) { return nullptr; }
HRESULT WINAPI NoCloseThemeData(ThemeHandle) { return E_NOTIMPL; }
HRESULT WINAPI NoDrawThemeBackground(ThemeHandle, HDC, int, int, const RECT*, const RECT*) {
    return E_NOTIMPL;
}
HRESULT WINAPI NoGetThemeBackgroundContentRect(ThemeHandle, HDC, int, int, const RECT*, RECT*) {
    return E_NOTIMPL;
}
HRESULT WINAPI NoGetThemePartSize(ThemeHandle, HDC, int, int, const RECT*, int, SIZE*) { return E_NOTIMPL; }

template <typename Fn>
Fn Lookup(HMODULE library, const char* name, Fn fallback) {
    if (!library) return fallback;
    FARPROC found = GetProcAddress(library, name);
    if (!found) return fallback;
    // GetProcAddress hands every export back under one generic type.
    Fn fn;
    static_assert(sizeof(fn) == sizeof(found), "function pointers of one size");
    memcpy(&fn, &found, sizeof(fn));
    return fn;
}

// From the system directory only: a library of that name beside the host
// program must not be picked up instead.
HMODULE LoadSystemLibrary(const wchar_t* name) {
    wchar_t path[MAX_PATH];
    const UINT length = GetSystemDirectoryW(path, MAX_PATH);
    const size_t nameLength = wcslen(name);
    if (length == 0 || length + 1 + nameLength >= MAX_PATH) return nullptr;
    path[length] = L'\\';
    wmemcpy(path + length + 1, name, nameLength + 1);
    return LoadLibraryW(path);
}

struct VisualStyles {
    IsAppThemedFn isAppThemed;
    OpenThemeDataFn openThemeData;
    CloseThemeDataFn closeThemeData;
    DrawThemeBackgroundFn drawThemeBackground;
    GetThemeBackgroundContentRectFn getThemeBackgroundContentRect;
    GetThemePartSizeFn getThemePartSize;
};

// Each function is looked up once; the library stays loaded for the life of
// the process, as the pointers into it are kept.
const VisualStyles& Styles() {
    static const VisualStyles styles = [] {
        const HMODULE library = LoadSystemLibrary(L"uxtheme.dll");
        VisualStyles s;
        s.isAppThemed = Lookup<IsAppThemedFn>(library, "IsAppThemed", NoAppThemed);
        s.openThemeData = Lookup<OpenThemeDataFn>(library, "OpenThemeData", NoOpenThemeData);
        // Every opened theme handle is closed again after the paint.
        s.closeThemeData = Lookup<CloseThemeDataFn>(library, "CloseThemeData", NoCloseThemeData);
        s.drawThemeBackground =
            Lookup<DrawThemeBackgroundFn>(library, "DrawThemeBackground", NoDrawThemeBackground);
        s.getThemeBackgroundContentRect = Lookup<GetThemeBackgroundContentRectFn>(
            library, "GetThemeBackgroundContentRect", NoGetThemeBackgroundContentRect);
        s.getThemePartSize = Lookup<GetThemePartSizeFn>(library, "GetThemePartSize", NoGetThemePartSize);
        return s;
    }();
    return styles;
}

// --- per-window state ----------------------------------------------------------------

struct BarState {
    uint32_t position = 0;
    uint32_t interval = kActivityBarDefaultInterval;
    uint32_t blocks = kActivityBarDefaultBlocks;
};

constexpr UINT_PTR kAnimationTimer = 0;

BarState* StateOf(HWND hwnd) { return reinterpret_cast<BarState*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA)); }

BarRect ToBarRect(const RECT& r) { return BarRect{r.left, r.top, r.right, r.bottom}; }
RECT ToRect(const BarRect& r) { return RECT{r.left, r.top, r.right, r.bottom}; }

void FillWithSystemColour(HDC dc, const RECT& r, int colourIndex) {
    if (r.right <= r.left || r.bottom <= r.top) return;
    FillRect(dc, &r, GetSysColorBrush(colourIndex));
}

// Draws the whole bar in client coordinates into `dc`; `clip` is the part
// being painted. Returns true when the train has run out and the position
// must start again.
bool DrawBar(HWND hwnd, HDC dc, const RECT& client, const RECT& clip, const BarState& state) {
    const VisualStyles& styles = Styles();
    ThemeHandle theme = nullptr;
    if (!(GetWindowLongPtrA(hwnd, GWL_STYLE) & kActivityBarClassicStyle) && styles.isAppThemed()) {
        theme = styles.openThemeData(hwnd, L"Progress");
    }

    BarRect area;
    int chunkWidth = 0;
    if (theme) {
        styles.drawThemeBackground(theme, dc, kProgressBarPart, kProgressNormalState, &client, &clip);
        RECT content = client;
        if (FAILED(styles.getThemeBackgroundContentRect(theme, dc, kProgressBarPart, kProgressNormalState,
                                                        &client, &content))) {
            content = client;
        }
        SIZE chunk = {0, 0};
        if (FAILED(styles.getThemePartSize(theme, dc, kProgressChunkPart, kProgressNormalState, &content,
                                           kThemeSizeMin, &chunk))) {
            chunk.cx = 0;
        }
        area = ToBarRect(content);
        chunkWidth = chunk.cx;
    } else {
        FillWithSystemColour(dc, client, COLOR_BTNFACE);
        RECT edge = client;
        DrawEdge(dc, &edge, BDR_SUNKENOUTER, BF_RECT);
        area = ClassicBarArea(ToBarRect(client));
        chunkWidth = ClassicChunkWidth(area);
    }

    const ActivityBarFrame frame = LayoutActivityBar(area, chunkWidth, state.position, state.blocks);
    for (const BarRect& block : frame.blocks) {
        const RECT r = ToRect(block);
        if (theme) {
            styles.drawThemeBackground(theme, dc, kProgressChunkPart, kProgressNormalState, &r, &clip);
        } else {
            FillWithSystemColour(dc, r, COLOR_HIGHLIGHT);
        }
    }
    if (theme) styles.closeThemeData(theme);
    return frame.wrap;
}

// Paints `area` of the client (client coordinates) through an off-screen
// bitmap of that size, so that a step of the animation reaches the screen in
// one piece. Should no bitmap be had (a huge bar), it draws straight away.
void PaintBar(HWND hwnd, HDC target, const RECT& area, BarState& state) {
    RECT client;
    GetClientRect(hwnd, &client);
    RECT clip;
    if (!IntersectRect(&clip, &area, &client)) return;
    const int width = clip.right - clip.left;
    const int height = clip.bottom - clip.top;

    bool wrap = false;
    HDC memory = CreateCompatibleDC(target);
    HBITMAP bitmap = memory ? CreateCompatibleBitmap(target, width, height) : nullptr;
    if (memory && bitmap) {
        HGDIOBJ previous = SelectObject(memory, bitmap);
        // Client coordinates map onto the bitmap's origin at clip's corner.
        SetWindowOrgEx(memory, clip.left, clip.top, nullptr);
        wrap = DrawBar(hwnd, memory, client, clip, state);
        SetWindowOrgEx(memory, 0, 0, nullptr);
        BitBlt(target, clip.left, clip.top, width, height, memory, 0, 0, SRCCOPY);
        SelectObject(memory, previous);
    } else {
        const int saved = SaveDC(target);
        IntersectClipRect(target, clip.left, clip.top, clip.right, clip.bottom);
        wrap = DrawBar(hwnd, target, client, clip, state);
        RestoreDC(target, saved);
    }
    if (bitmap) DeleteObject(bitmap);
    if (memory) DeleteDC(memory);
    if (wrap) state.position = 0;
}

void OnEnable(HWND hwnd, BarState& state, bool enabled) {
    if (enabled) {
        SetTimer(hwnd, kAnimationTimer, state.interval, nullptr);
    } else {
        KillTimer(hwnd, kAnimationTimer);
        state.position = 0;
        InvalidateRect(hwnd, nullptr, FALSE);
        UpdateWindow(hwnd);
    }
}

LRESULT CALLBACK ActivityBarProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    BarState* state = StateOf(hwnd);
    switch (message) {
    case WM_CREATE: {
        state = new (std::nothrow) BarState;
        if (!state) return -1;
        SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(state));
        SendMessageA(hwnd, WM_ACTIVITY_SET_BLOCKS, kActivityBarDefaultBlocks, 0);
        SendMessageA(hwnd, WM_ACTIVITY_SET_INTERVAL, kActivityBarDefaultInterval, 0);
        break;
    }
    case WM_DESTROY:
        if (state) {
            KillTimer(hwnd, kAnimationTimer);
            SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
            delete state;
        }
        break;
    case WM_ACTIVITY_GET_INTERVAL: return state ? static_cast<LRESULT>(state->interval) : 0;
    case WM_ACTIVITY_SET_INTERVAL:
        if (!state) return 0;
        state->interval = static_cast<uint32_t>(wParam);
        if (IsWindowEnabled(hwnd)) SendMessageA(hwnd, WM_ENABLE, TRUE, 0);
        return 1;
    case WM_ACTIVITY_GET_BLOCKS: return state ? static_cast<LRESULT>(state->blocks) : 0;
    case WM_ACTIVITY_SET_BLOCKS:
        if (!state || wParam > 0xFFFFFFFFU || !IsActivityBarBlockCount(static_cast<uint32_t>(wParam))) {
            return 0;
        }
        state->blocks = static_cast<uint32_t>(wParam);
        return 1;
    case WM_ENABLE:
        if (state) OnEnable(hwnd, *state, wParam != 0);
        break;
    case WM_TIMER:
        if (!state || wParam != kAnimationTimer) break;
        ++state->position;
        InvalidateRect(hwnd, nullptr, FALSE);
        UpdateWindow(hwnd);
        return 1;
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(hwnd, &ps);
        if (dc && state) PaintBar(hwnd, dc, ps.rcPaint, *state);
        EndPaint(hwnd, &ps);
        return 0;
    }
    case WM_PRINTCLIENT:
        // Printing (PrintWindow, animated showing) draws the current step
        // without moving the train on.
        if (state && wParam) {
            BarState copy = *state;
            RECT client;
            GetClientRect(hwnd, &client);
            PaintBar(hwnd, reinterpret_cast<HDC>(wParam), client, copy);
        }
        return 0;
    default: break;
    }
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

int g_registrations = 0;

}  // namespace

bool RegisterActivityBarClass() {
    if (g_registrations > 0) {
        ++g_registrations;
        return true;
    }
    WNDCLASSEXA wc = {};
    wc.cbSize = sizeof(wc);
    wc.style = CS_GLOBALCLASS | CS_HREDRAW | CS_VREDRAW;  // 0x4003
    wc.lpfnWndProc = ActivityBarProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = kActivityBarClassName;
    if (!RegisterClassExA(&wc)) {
        // Still registered from an earlier round whose windows outlived it?
        WNDCLASSEXA existing = {};
        existing.cbSize = sizeof(existing);
        if (GetLastError() != ERROR_CLASS_ALREADY_EXISTS ||
            !GetClassInfoExA(wc.hInstance, kActivityBarClassName, &existing) ||
            existing.lpfnWndProc != ActivityBarProc) {
            return false;
        }
    }
    g_registrations = 1;
    return true;
}

void UnregisterActivityBarClass() {
    if (g_registrations <= 0) return;
    if (--g_registrations == 0) {
        UnregisterClassA(kActivityBarClassName, GetModuleHandleA(nullptr));
    }
}

uint32_t ActivityBarPosition(HWND bar) {
    if (!bar || !IsWindow(bar)) return 0;
    char name[32] = {};
    if (!GetClassNameA(bar, name, sizeof(name)) || lstrcmpiA(name, kActivityBarClassName) != 0) {
        return 0;
    }
    const BarState* state = StateOf(bar);
    return state ? state->position : 0;
}

}  // namespace td
