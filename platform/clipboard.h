// Clipboard seam: puts a text on the system clipboard. The window layer uses
// the Win32 clipboard; tests install their own.
#pragma once

#include <string>

namespace td {

// Which step of a copy failed.
enum class ClipboardResult { Ok, CannotOpen, CannotEmpty, CannotSet };

class Clipboard {
public:
    virtual ~Clipboard() = default;
    // Replaces the clipboard's contents with `text` (8-bit, ANSI code page).
    virtual ClipboardResult SetText(const std::string& text) = 0;
};

#ifdef _WIN32
// The Windows clipboard, opened for `owner` (an HWND, may be null).
class Win32Clipboard : public Clipboard {
public:
    explicit Win32Clipboard(void* owner) : owner_(owner) {}
    ClipboardResult SetText(const std::string& text) override;

private:
    void* owner_;
};
#endif

}  // namespace td
