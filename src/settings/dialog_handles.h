#pragma once
// Scoped owners for the Windows, GDI and GDI+ handles of the settings dialog: one per kind,
// non-copyable, released in the destructor.
#include <windows.h>
#include <gdiplus.h>

#include <utility>

namespace spacegauge {

template <typename Handle, auto Release, Handle kEmpty = Handle{}>
class ScopedHandle {
  public:
    ScopedHandle() = default;
    explicit ScopedHandle(Handle handle) : handle_(handle) {}
    ~ScopedHandle() { reset(); }
    ScopedHandle(ScopedHandle&& other) noexcept : handle_(other.release()) {}
    ScopedHandle& operator=(ScopedHandle&& other) noexcept {
        if (this != &other) reset(other.release());
        return *this;
    }
    ScopedHandle(const ScopedHandle&) = delete;
    ScopedHandle& operator=(const ScopedHandle&) = delete;

    Handle get() const { return handle_; }
    explicit operator bool() const { return handle_ != kEmpty; }
    Handle release() { return std::exchange(handle_, kEmpty); }
    void reset(Handle handle = kEmpty) {
        if (handle_ != kEmpty) Release(handle_);
        handle_ = handle;
    }

  private:
    Handle handle_ = kEmpty;
};

// Named functions rather than lambdas, so every translation unit sees the same types.
inline void DeleteGdiObject(HGDIOBJ object) {
    DeleteObject(object);
}
inline void DestroyIconHandle(HICON icon) {
    DestroyIcon(icon);
}
inline void DestroyWindowHandle(HWND window) {
    DestroyWindow(window);
}
inline void ReleaseActCtxHandle(HANDLE context) {
    ReleaseActCtx(context);
}
inline void DisposeGpImage(Gdiplus::GpImage* image) {
    Gdiplus::DllExports::GdipDisposeImage(image);
}
inline void DeleteGpGraphics(Gdiplus::GpGraphics* graphics) {
    Gdiplus::DllExports::GdipDeleteGraphics(graphics);
}

template <typename GdiObject>
using ScopedGdiObject = ScopedHandle<GdiObject, &DeleteGdiObject>;
using ScopedFont = ScopedGdiObject<HFONT>;
using ScopedBrush = ScopedGdiObject<HBRUSH>;
using ScopedPen = ScopedGdiObject<HPEN>;

using ScopedIcon = ScopedHandle<HICON, &DestroyIconHandle>;
using ScopedWindow = ScopedHandle<HWND, &DestroyWindowHandle>;
// Holds null, never INVALID_HANDLE_VALUE, when there is no context.
using ScopedActCtx = ScopedHandle<HANDLE, &ReleaseActCtxHandle>;
using ScopedGpImage = ScopedHandle<Gdiplus::GpImage*, &DisposeGpImage>;
using ScopedGpGraphics = ScopedHandle<Gdiplus::GpGraphics*, &DeleteGpGraphics>;

// A DC from GetDC, given back to its window.
class ScopedWindowDC {
  public:
    explicit ScopedWindowDC(HWND window) : window_(window), dc_(GetDC(window)) {}
    ~ScopedWindowDC() {
        if (dc_) ReleaseDC(window_, dc_);
    }
    ScopedWindowDC(const ScopedWindowDC&) = delete;
    ScopedWindowDC& operator=(const ScopedWindowDC&) = delete;
    HDC get() const { return dc_; }

  private:
    HWND window_;
    HDC dc_;
};

// BeginPaint/EndPaint.
class ScopedPaint {
  public:
    explicit ScopedPaint(HWND window) : window_(window) { BeginPaint(window, &paint_); }
    ~ScopedPaint() { EndPaint(window_, &paint_); }
    ScopedPaint(const ScopedPaint&) = delete;
    ScopedPaint& operator=(const ScopedPaint&) = delete;
    HDC dc() const { return paint_.hdc; }

  private:
    HWND window_;
    PAINTSTRUCT paint_{};
};

// An object selected into a DC for one scope; the previous one goes back at the end.
class ScopedSelect {
  public:
    ScopedSelect(HDC dc, HGDIOBJ object) : dc_(dc), previous_(SelectObject(dc, object)) {}
    ~ScopedSelect() { SelectObject(dc_, previous_); }
    ScopedSelect(const ScopedSelect&) = delete;
    ScopedSelect& operator=(const ScopedSelect&) = delete;

  private:
    HDC dc_;
    HGDIOBJ previous_;
};

// An activation context made current for one scope; does nothing for a null context.
class ScopedActivation {
  public:
    explicit ScopedActivation(HANDLE context) {
        if (context && !ActivateActCtx(context, &cookie_)) cookie_ = 0;
    }
    ~ScopedActivation() {
        if (cookie_) DeactivateActCtx(0, cookie_);
    }
    ScopedActivation(const ScopedActivation&) = delete;
    ScopedActivation& operator=(const ScopedActivation&) = delete;

  private:
    ULONG_PTR cookie_ = 0;
};

}  // namespace spacegauge
