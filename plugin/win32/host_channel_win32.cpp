#include "plugin/win32/host_channel_win32.h"

#include <cstring>

#include "plugin/plugin_model.h"

namespace td {

const char kHostWindowClass[] = "Winamp v1.x";

namespace {

constexpr UINT kRequestMessage = WM_USER;  // 1024
// The host's program file name is read into a buffer of this size.
constexpr DWORD kProgramPathBuffer = 256;
// A file name the host hands out is never longer than this; the bound keeps a
// stray address from turning into a runaway read.
constexpr size_t kMaxHostText = 32768;

}  // namespace

bool IsHostWindow(HWND window) {
    if (!window || !IsWindow(window)) return false;
    char name[64] = {};
    return GetClassNameA(window, name, sizeof name) > 0 && std::strcmp(name, kHostWindowClass) == 0;
}

Win32HostChannel::Win32HostChannel(HWND preferred) {
    window_ = IsHostWindow(preferred) ? preferred : FindWindowA(kHostWindowClass, nullptr);
}

intptr_t Win32HostChannel::request(intptr_t argument, int requestId) {
    if (!window_) return -1;
    return static_cast<intptr_t>(SendMessageA(window_, kRequestMessage, static_cast<WPARAM>(argument),
                                              static_cast<LPARAM>(requestId)));
}

intptr_t Win32HostChannel::handOver(const std::string& path) {
    if (!window_) return -1;
    COPYDATASTRUCT data = {};
    data.dwData = kCopyDataPlayFile;
    data.cbData = static_cast<DWORD>(path.size() + 1);  // the terminating zero too
    data.lpData = const_cast<char*>(path.c_str());
    return static_cast<intptr_t>(SendMessageA(window_, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data)));
}

void Win32HostChannel::post(int commandId) {
    if (window_) PostMessageA(window_, WM_COMMAND, static_cast<WPARAM>(commandId), 0);
}

std::string Win32HostChannel::hostPlaylistPath() const {
    if (!window_) return std::string();
    const HMODULE module = reinterpret_cast<HMODULE>(GetClassLongPtrA(window_, GCLP_HMODULE));
    char path[kProgramPathBuffer] = {};
    const DWORD length = GetModuleFileNameA(module, path, kProgramPathBuffer);
    // A name cut at the buffer's end would point at some other file.
    if (length == 0 || length >= kProgramPathBuffer) return std::string();
    return WithExtension(std::string(path, length), "m3u");
}

std::string Win32HostChannel::readText(intptr_t address) const {
    if (address == 0) return std::string();
    const char* text = reinterpret_cast<const char*>(address);
    size_t length = 0;
    while (length < kMaxHostText && text[length] != '\0') ++length;
    return std::string(text, length);
}

}  // namespace td
