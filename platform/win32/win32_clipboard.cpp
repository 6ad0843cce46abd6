#include "platform/clipboard.h"

#include <windows.h>

#include <cstring>

namespace td {

ClipboardResult Win32Clipboard::SetText(const std::string& text) {
    if (!OpenClipboard(static_cast<HWND>(owner_))) return ClipboardResult::CannotOpen;
    ClipboardResult result = ClipboardResult::Ok;
    if (!EmptyClipboard()) {
        result = ClipboardResult::CannotEmpty;
    } else {
        HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, text.size() + 10);
        char* data = block ? static_cast<char*>(GlobalLock(block)) : nullptr;
        if (data) {
            std::memcpy(data, text.c_str(), text.size() + 1);
            GlobalUnlock(block);
        }
        if (!data || !SetClipboardData(CF_TEXT, block)) {
            // Until SetClipboardData succeeds the block is still ours.
            if (block) GlobalFree(block);
            result = ClipboardResult::CannotSet;
        }
    }
    CloseClipboard();
    return result;
}

}  // namespace td
