#pragma once
// Scoped owners for GDI+ flat-API objects: one per kind, each released by its own function.
#include <windows.h>
#include <gdiplus.h>

#include <utility>

namespace spacegauge {

template <typename T, Gdiplus::GpStatus(WINGDIPAPI* Release)(T*)>
class GdipObject {
  public:
    GdipObject() = default;
    ~GdipObject() { Reset(); }
    GdipObject(const GdipObject&) = delete;
    GdipObject& operator=(const GdipObject&) = delete;
    GdipObject(GdipObject&& o) noexcept : p_(std::exchange(o.p_, nullptr)) {}

    T* get() const { return p_; }
    explicit operator bool() const { return p_ != nullptr; }
    // For a creating call's output argument; releases what was held before.
    T** out() {
        Reset();
        return &p_;
    }
    void Reset() {
        if (p_) Release(std::exchange(p_, nullptr));
    }

  private:
    T* p_ = nullptr;
};

using ScopedGraphics = GdipObject<Gdiplus::GpGraphics, &Gdiplus::DllExports::GdipDeleteGraphics>;
using ScopedBrush = GdipObject<Gdiplus::GpBrush, &Gdiplus::DllExports::GdipDeleteBrush>;
using ScopedImage = GdipObject<Gdiplus::GpImage, &Gdiplus::DllExports::GdipDisposeImage>;
using ScopedFontFamily =
    GdipObject<Gdiplus::GpFontFamily, &Gdiplus::DllExports::GdipDeleteFontFamily>;
using ScopedFont = GdipObject<Gdiplus::GpFont, &Gdiplus::DllExports::GdipDeleteFont>;

}  // namespace spacegauge
