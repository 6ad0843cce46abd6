// Owning wrappers for the GDI and user handles the window keeps: each frees
// its handle once, when it goes away or is given another one.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <utility>

namespace td {

template <typename Handle, typename Free>
class OwnedHandle {
public:
    OwnedHandle() = default;
    explicit OwnedHandle(Handle handle) : handle_(handle) {}
    ~OwnedHandle() { reset(); }
    OwnedHandle(const OwnedHandle&) = delete;
    OwnedHandle& operator=(const OwnedHandle&) = delete;
    OwnedHandle(OwnedHandle&& other) noexcept : handle_(other.release()) {}
    OwnedHandle& operator=(OwnedHandle&& other) noexcept {
        if (this != &other) reset(other.release());
        return *this;
    }

    Handle get() const { return handle_; }
    explicit operator bool() const { return handle_ != nullptr; }
    void reset(Handle handle = nullptr) {
        if (handle_ && handle_ != handle) Free()(handle_);
        handle_ = handle;
    }
    Handle release() { return std::exchange(handle_, nullptr); }

private:
    Handle handle_ = nullptr;
};

struct FreeImageList {
    void operator()(HIMAGELIST list) const { ImageList_Destroy(list); }
};
struct FreeIcon {
    void operator()(HICON icon) const { DestroyIcon(icon); }
};
struct FreeGdiObject {
    void operator()(HGDIOBJ object) const { DeleteObject(object); }
};
struct FreeMenu {
    void operator()(HMENU menu) const { DestroyMenu(menu); }
};

using ImageList = OwnedHandle<HIMAGELIST, FreeImageList>;
using Icon = OwnedHandle<HICON, FreeIcon>;
using Brush = OwnedHandle<HBRUSH, FreeGdiObject>;
using Font = OwnedHandle<HFONT, FreeGdiObject>;
using Bitmap = OwnedHandle<HBITMAP, FreeGdiObject>;
using Menu = OwnedHandle<HMENU, FreeMenu>;

// A window's device context for the duration of a scope.
class WindowDC {
public:
    explicit WindowDC(HWND window) : window_(window), dc_(GetDC(window)) {}
    ~WindowDC() {
        if (dc_) ReleaseDC(window_, dc_);
    }
    WindowDC(const WindowDC&) = delete;
    WindowDC& operator=(const WindowDC&) = delete;
    HDC get() const { return dc_; }

private:
    HWND window_;
    HDC dc_;
};

// The wait cursor for the duration of a scope.
class WaitCursor {
public:
    WaitCursor() : previous_(SetCursor(LoadCursor(nullptr, IDC_WAIT))) {}
    ~WaitCursor() { SetCursor(previous_); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;

private:
    HCURSOR previous_;
};

// Loads a bitmap resource into a masked image list of images `imageWidth`
// wide (0: the whole bitmap is one image); magenta is transparent.
ImageList LoadMaskedImageList(HINSTANCE module, int bitmapId, int imageWidth);

}  // namespace td
