#include "host/notify_area.h"

#include <cstddef>
#include <cstring>
#include <utility>

namespace td::host {

namespace {

NotifyArea* g_area = nullptr;
// The shell's own entries, for calls that arrive while no area is attached.
void* g_realA = nullptr;
void* g_realW = nullptr;

// The import address table entry of `dll`!`function` in a loaded module.
void** FindImportSlot(HMODULE module, const char* dll, const char* function) {
    if (!module) return nullptr;
    auto* base = reinterpret_cast<BYTE*>(module);
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    if (dos->e_magic != IMAGE_DOS_SIGNATURE) return nullptr;
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    if (nt->Signature != IMAGE_NT_SIGNATURE) return nullptr;
    const IMAGE_DATA_DIRECTORY& imports = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    if (imports.VirtualAddress == 0) return nullptr;
    for (auto* entry = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + imports.VirtualAddress);
         entry->Name != 0; ++entry) {
        if (lstrcmpiA(reinterpret_cast<const char*>(base + entry->Name), dll) != 0) continue;
        // The names live in the original table; without one (a bound
        // module) they cannot be told apart.
        if (entry->OriginalFirstThunk == 0) continue;
        auto* names = reinterpret_cast<IMAGE_THUNK_DATA*>(base + entry->OriginalFirstThunk);
        auto* slots = reinterpret_cast<IMAGE_THUNK_DATA*>(base + entry->FirstThunk);
        for (; names->u1.AddressOfData != 0; ++names, ++slots) {
            if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal)) continue;
            const auto* byName =
                reinterpret_cast<const IMAGE_IMPORT_BY_NAME*>(base + names->u1.AddressOfData);
            if (std::strcmp(reinterpret_cast<const char*>(byName->Name), function) == 0) {
                return reinterpret_cast<void**>(&slots->u1.Function);
            }
        }
    }
    return nullptr;
}

void* WriteSlot(void** slot, void* value) {
    DWORD protection = 0;
    if (!VirtualProtect(slot, sizeof(void*), PAGE_READWRITE, &protection)) return nullptr;
    void* previous = *slot;
    *slot = value;
    VirtualProtect(slot, sizeof(void*), protection, &protection);
    return previous;
}

using NotifyAFunction = BOOL(WINAPI*)(DWORD, PNOTIFYICONDATAA);
using NotifyWFunction = BOOL(WINAPI*)(DWORD, PNOTIFYICONDATAW);

// A tip buffer of `capacity` characters, up to its first zero.
std::string TipOf(const char* tip, size_t capacity) { return std::string(tip, strnlen(tip, capacity)); }

std::string TipOf(const wchar_t* tip, size_t capacity) {
    const int length = static_cast<int>(wcsnlen(tip, capacity));
    if (length == 0) return std::string();
    std::string out(static_cast<size_t>(length) * 2, '\0');
    const int written =
        WideCharToMultiByte(CP_ACP, 0, tip, length, &out[0], static_cast<int>(out.size()), nullptr, nullptr);
    out.resize(written > 0 ? static_cast<size_t>(written) : 0);
    return out;
}

// The tip buffer a record of `size` bytes holds: the full one, or the 64
// characters of the oldest layout.
template <typename Data>
size_t TipCapacity(DWORD size) {
    const Data* none = nullptr;
    const size_t full = sizeof(none->szTip) / sizeof(none->szTip[0]);
    return size >= offsetof(Data, szTip) + sizeof(none->szTip) ? full : 64;
}

BOOL CALLBACK SendTaskbarCreated(HWND window, LPARAM message) {
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    if (process == GetCurrentProcessId()) {
        DWORD_PTR ignored = 0;
        SendMessageTimeoutA(window, static_cast<UINT>(message), 0, 0, SMTO_NORMAL, 5000, &ignored);
    }
    return TRUE;
}

}  // namespace

NotifyArea::NotifyArea(std::function<void(const std::string&)> log) : log_(std::move(log)) {}

NotifyArea::~NotifyArea() {
    for (const Patch& patch : patches_) WriteSlot(patch.slot, patch.original);
    if (g_area == this) g_area = nullptr;
}

bool NotifyArea::attach(HMODULE module) {
    bool found = false;
    struct Hook {
        const char* name;
        void* hook;
        void** real;
    };
    const Hook hooks[] = {
        {"Shell_NotifyIconA", reinterpret_cast<void*>(&NotifyA), &g_realA},
        {"Shell_NotifyIconW", reinterpret_cast<void*>(&NotifyW), &g_realW},
    };
    for (const Hook& hook : hooks) {
        void** slot = FindImportSlot(module, "shell32.dll", hook.name);
        if (!slot || *slot == hook.hook) continue;
        void* original = WriteSlot(slot, hook.hook);
        if (!original) continue;
        if (!*hook.real) *hook.real = original;
        patches_.push_back({module, slot, original});
        found = true;
    }
    if (found) g_area = this;
    return found;
}

void NotifyArea::detach(HMODULE module) {
    for (size_t i = patches_.size(); i-- > 0;) {
        if (patches_[i].module != module) continue;
        WriteSlot(patches_[i].slot, patches_[i].original);
        patches_.erase(patches_.begin() + static_cast<std::ptrdiff_t>(i));
    }
}

std::vector<UINT> NotifyArea::ids() const {
    std::vector<UINT> out;
    for (const TrayIconRecord& icon : icons_) out.push_back(icon.id);
    return out;
}

const TrayIconRecord* NotifyArea::find(UINT id) const {
    for (const TrayIconRecord& icon : icons_) {
        if (icon.id == id) return &icon;
    }
    return nullptr;
}

void NotifyArea::restart() {
    icons_.clear();
    running_ = true;
    report("tray restart");
    const UINT message = RegisterWindowMessageA("TaskbarCreated");
    if (message != 0) EnumWindows(&SendTaskbarCreated, static_cast<LPARAM>(message));
}

bool NotifyArea::click(UINT id, UINT mouseMessage) {
    const TrayIconRecord* icon = find(id);
    if (!icon || !IsWindow(icon->owner)) return false;
    // The record may go while the owner handles the click.
    const HWND owner = icon->owner;
    const UINT callback = icon->callback;
    SendMessageA(owner, callback, id, mouseMessage);
    return true;
}

void NotifyArea::report(const std::string& line) {
    if (log_) log_(line);
}

BOOL WINAPI NotifyArea::NotifyA(DWORD message, PNOTIFYICONDATAA data) {
    if (!g_area) {
        return g_realA ? reinterpret_cast<NotifyAFunction>(g_realA)(message, data) : FALSE;
    }
    if (!data) return FALSE;
    return g_area->notify(message, data->hWnd, data->uID, data->uFlags, data->uCallbackMessage, data->hIcon,
                          TipOf(data->szTip, TipCapacity<NOTIFYICONDATAA>(data->cbSize)));
}

BOOL WINAPI NotifyArea::NotifyW(DWORD message, PNOTIFYICONDATAW data) {
    if (!g_area) {
        return g_realW ? reinterpret_cast<NotifyWFunction>(g_realW)(message, data) : FALSE;
    }
    if (!data) return FALSE;
    return g_area->notify(message, data->hWnd, data->uID, data->uFlags, data->uCallbackMessage, data->hIcon,
                          TipOf(data->szTip, TipCapacity<NOTIFYICONDATAW>(data->cbSize)));
}

BOOL NotifyArea::notify(DWORD message, HWND owner, UINT id, UINT flags, UINT callback, HICON icon,
                        const std::string& tip) {
    TrayIconRecord* existing = nullptr;
    size_t index = 0;
    for (; index < icons_.size(); ++index) {
        if (icons_[index].owner == owner && icons_[index].id == id) {
            existing = &icons_[index];
            break;
        }
    }
    const char* verb = message == NIM_ADD      ? "add"
                       : message == NIM_MODIFY ? "modify"
                       : message == NIM_DELETE ? "delete"
                                               : "other";
    bool ok = running_;
    if (message == NIM_ADD) ok = ok && !existing;
    if (message != NIM_ADD) ok = ok && existing;

    if (ok && (message == NIM_ADD || message == NIM_MODIFY)) {
        TrayIconRecord record = existing ? *existing : TrayIconRecord{};
        record.owner = owner;
        record.id = id;
        if (flags & NIF_MESSAGE) record.callback = callback;
        if (flags & NIF_ICON) record.icon = icon;
        if (flags & NIF_TIP) record.tip = tip;
        if (existing) {
            *existing = record;
        } else {
            icons_.push_back(record);
        }
    } else if (ok && message == NIM_DELETE) {
        icons_.erase(icons_.begin() + static_cast<std::ptrdiff_t>(index));
    }

    std::string line = std::string("tray ") + verb + " id=" + std::to_string(id);
    if (message == NIM_ADD || message == NIM_MODIFY) {
        line += " cb=" + ((flags & NIF_MESSAGE) ? std::to_string(callback) : std::string("-"));
        line += std::string(" icon=") + ((flags & NIF_ICON) && icon ? "yes" : "no");
        line += " tip=" + ((flags & NIF_TIP) ? tip : std::string());
    }
    line += ok ? " r=1" : " r=0";
    report(line);
    return ok ? TRUE : FALSE;
}

}  // namespace td::host
