#include "window_mode.h"

#include <windows.h>
#include <gdiplus.h>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <utility>
#include <vector>

#include "png_writer.h"
#include "render/gdiplus_handles.h"

namespace refhost {
namespace {

using namespace Gdiplus::DllExports;

constexpr DWORD kPumpSliceMs = 50;
constexpr int kDockGap = 16;  // between the window and the bottom of the work area
constexpr int kShotMargin = 32;
constexpr int kShotTitleHeight = 36;
constexpr int kShotMinWidth = 360;

// ---- Owners of the window's resources ---------------------------------------------------------

class RegisteredClass {
  public:
    explicit RegisteredClass(WNDPROC proc) : instance_(GetModuleHandleW(nullptr)) {
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof wc;
        wc.lpfnWndProc = proc;
        wc.hInstance = instance_;
        wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
        wc.lpszClassName = kDockletWindowClass;
        registered_ = RegisterClassExW(&wc) != 0;
    }
    ~RegisteredClass() {
        if (registered_) UnregisterClassW(kDockletWindowClass, instance_);
    }
    RegisteredClass(const RegisteredClass&) = delete;
    RegisteredClass& operator=(const RegisteredClass&) = delete;
    HINSTANCE instance() const { return instance_; }

  private:
    HINSTANCE instance_;
    bool registered_ = false;
};

class OwnedWindow {
  public:
    OwnedWindow() = default;
    ~OwnedWindow() { Reset(); }
    OwnedWindow(const OwnedWindow&) = delete;
    OwnedWindow& operator=(const OwnedWindow&) = delete;
    HWND get() const { return window_; }
    void Reset(HWND window = nullptr) {
        if (window_) DestroyWindow(window_);
        window_ = window;
    }

  private:
    HWND window_ = nullptr;
};

// A top-down 32-bit DIB selected into a memory DC: the pixels UpdateLayeredWindow shows.
class LayeredSurface {
  public:
    LayeredSurface(int width, int height) : width_(width), height_(height) {
        dc_ = CreateCompatibleDC(nullptr);
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof info.bmiHeader;
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = -height;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        void* bits = nullptr;
        bitmap_ = CreateDIBSection(dc_, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        bits_ = static_cast<std::uint32_t*>(bits);
        if (dc_ && bitmap_) previous_ = SelectObject(dc_, bitmap_);
    }
    ~LayeredSurface() {
        if (previous_) SelectObject(dc_, previous_);
        if (bitmap_) DeleteObject(bitmap_);
        if (dc_) DeleteDC(dc_);
    }
    LayeredSurface(const LayeredSurface&) = delete;
    LayeredSurface& operator=(const LayeredSurface&) = delete;

    bool ok() const { return previous_ != nullptr && bits_ != nullptr; }
    int width() const { return width_; }
    int height() const { return height_; }
    HDC dc() const { return dc_; }
    // Premultiplied 0xAARRGGBB, row by row.
    std::uint32_t* bits() const { return bits_; }

  private:
    int width_, height_;
    HDC dc_ = nullptr;
    HBITMAP bitmap_ = nullptr;
    HGDIOBJ previous_ = nullptr;
    std::uint32_t* bits_ = nullptr;
};

std::uint32_t Premultiplied(std::uint32_t argb) {
    const std::uint32_t a = argb >> 24;
    std::uint32_t out = a << 24;
    for (int shift = 0; shift < 24; shift += 8)
        out |= ((((argb >> shift) & 0xFF) * a + 127) / 255) << shift;
    return out;
}

// A premultiplied pixel over an opaque one, as the desktop composes a layered window.
std::uint32_t OverOpaque(std::uint32_t premultiplied, std::uint32_t opaque) {
    const std::uint32_t keep = 255 - (premultiplied >> 24);
    std::uint32_t out = 0xFF000000;
    for (int shift = 0; shift < 24; shift += 8) {
        const std::uint32_t s = (premultiplied >> shift) & 0xFF, d = (opaque >> shift) & 0xFF;
        out |= std::min<std::uint32_t>(255, s + (d * keep + 127) / 255) << shift;
    }
    return out;
}

// A plain desktop wallpaper: blue, darker towards the bottom.
std::uint32_t Wallpaper(int y, int height) {
    const auto mix = [&](int top, int bottom) { return top + (bottom - top) * y / height; };
    return 0xFF000000 | std::uint32_t(mix(0x3A, 0x12)) << 16 | std::uint32_t(mix(0x6E, 0x2C)) << 8 |
           std::uint32_t(mix(0xA5, 0x52));
}

// ---- The window -------------------------------------------------------------------------------

class DockletWindow {
  public:
    DockletWindow(ReferenceHost& host, InstanceId id) : host_(host), id_(id) {
        const HostRect rect = host.RectOf(id);
        const int width = rect.right - rect.left, height = rect.bottom - rect.top;
        RECT work{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
        SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
        // Where a dock along the bottom of the screen would put it.
        const int x = (work.left + work.right - width) / 2;
        const int y = work.bottom - height - kDockGap;
        window_.Reset(CreateWindowExW(WS_EX_LAYERED | WS_EX_TOPMOST | WS_EX_APPWINDOW,
                                      kDockletWindowClass, L"Spacegauge",
                                      WS_POPUP | WS_SYSMENU | WS_MINIMIZEBOX, x, y, width, height,
                                      nullptr, nullptr, class_.instance(), this));
        report_.shown = window_.get() != nullptr;
    }
    ~DockletWindow() {
        // Messages sent while the window is destroyed must not reach a half-destroyed object.
        if (window_.get()) SetWindowLongPtrW(window_.get(), GWLP_USERDATA, 0);
    }
    DockletWindow(const DockletWindow&) = delete;
    DockletWindow& operator=(const DockletWindow&) = delete;

    bool created() const { return window_.get() != nullptr; }
    bool closing() const { return closing_; }
    void Show() { ShowWindow(window_.get(), SW_SHOWNOACTIVATE); }

    // A new image from the draw handler, and the caption it set as the title.
    void Redraw() {
        if (inHandler_) {
            redrawPending_ = true;
            return;
        }
        redrawPending_ = false;
        const HostBitmap bitmap = host_.Draw(id_);
        SetWindowTextW(window_.get(), host_.Caption(id_).c_str());
        if (!bitmap) return;
        ++report_.images;
        Present(ReadPixels(bitmap.get()));
    }

    WindowModeReport Report() const {
        WindowModeReport report = report_;
        const int length = GetWindowTextLengthW(window_.get());
        report.title.resize(std::size_t(length) + 1);
        report.title.resize(GetWindowTextW(window_.get(), report.title.data(), length + 1));
        return report;
    }

    // The layered window is composed by the desktop, so a copy of its window DC holds nothing
    // of it: the image it was given is composed over a wallpaper instead, as a desktop would.
    bool SaveScreenshot(const std::wstring& path) const {
        if (!surface_) return false;
        const int width = std::max(surface_->width() + 2 * kShotMargin, kShotMinWidth);
        const int height = surface_->height() + 2 * kShotMargin + kShotTitleHeight;
        std::vector<std::uint32_t> pixels(std::size_t(width) * height);
        for (int y = 0; y < height; ++y)
            std::fill_n(pixels.begin() + std::ptrdiff_t(y) * width, width, Wallpaper(y, height));
        const int left = (width - surface_->width()) / 2, top = kShotMargin;
        for (int y = 0; y < surface_->height(); ++y)
            for (int x = 0; x < surface_->width(); ++x) {
                std::uint32_t& under = pixels[std::size_t(top + y) * width + left + x];
                under = OverOpaque(surface_->bits()[std::size_t(y) * surface_->width() + x], under);
            }

        spacegauge::ScopedImage shot;  // draws straight into `pixels`, which outlive it
        GdipCreateBitmapFromScan0(width, height, width * 4, PixelFormat32bppARGB,
                                  reinterpret_cast<BYTE*>(pixels.data()),
                                  reinterpret_cast<Gdiplus::GpBitmap**>(shot.out()));
        if (!shot) return false;
        WriteTitle(shot.get(), Report().title,
                   Gdiplus::RectF(0.f, float(top + surface_->height() + 10), float(width),
                                  float(kShotTitleHeight)));
        return SavePng(static_cast<Gdiplus::GpBitmap*>(shot.get()), path);
    }

  private:
    static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        if (message == WM_NCCREATE) {
            const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
            SetWindowLongPtrW(window, GWLP_USERDATA, LONG_PTR(create->lpCreateParams));
        }
        auto* self = reinterpret_cast<DockletWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
        return self ? self->Handle(window, message, wParam, lParam)
                    : DefWindowProcW(window, message, wParam, lParam);
    }

    LRESULT Handle(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        switch (message) {
            case WM_LBUTTONUP:
                RunHandler([&] {
                    host_.Click(id_);
                    ++report_.clicks;
                });
                return 0;
            case WM_RBUTTONUP:
                RunHandler([&] {
                    host_.Edit(id_);
                    ++report_.edits;
                });
                Redraw();  // the settings may have changed
                return 0;
            case WM_CONTEXTMENU:
                return 0;
            case WM_PAINT: {
                PAINTSTRUCT paint;
                BeginPaint(window, &paint);
                EndPaint(window, &paint);
                Redraw();
                return 0;
            }
            case WM_KEYDOWN:
                if (wParam == VK_ESCAPE) closing_ = true;
                return 0;
            case WM_CLOSE:
                closing_ = true;  // the window goes once the loop has taken its screenshot
                return 0;
        }
        return DefWindowProcW(window, message, wParam, lParam);
    }

    // The settings dialog is modal and pumps this window's messages: no handler starts while
    // another runs, and redraws wait until it has returned.
    template <typename Fn>
    void RunHandler(Fn&& run) {
        if (inHandler_) return;
        inHandler_ = true;
        run();
        inHandler_ = false;
        if (redrawPending_) Redraw();
    }

    void Present(const Pixels& image) {
        if (!surface_ || surface_->width() != image.width || surface_->height() != image.height) {
            surface_.reset();
            auto surface = std::make_unique<LayeredSurface>(image.width, image.height);
            if (!surface->ok()) return;
            surface_ = std::move(surface);
        }
        std::transform(image.argb.begin(), image.argb.end(), surface_->bits(), &Premultiplied);
        POINT origin{0, 0};
        SIZE size{image.width, image.height};
        BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
        UpdateLayeredWindow(window_.get(), nullptr, nullptr, &size, surface_->dc(), &origin, 0,
                            &blend, ULW_ALPHA);
    }

    static void WriteTitle(Gdiplus::GpImage* image, const std::wstring& title,
                           const Gdiplus::RectF& box) {
        spacegauge::ScopedGraphics g;
        GdipGetImageGraphicsContext(image, g.out());
        spacegauge::ScopedFontFamily family;
        if (GdipCreateFontFamilyFromName(L"Arial", nullptr, family.out()) != Gdiplus::Ok)
            GdipGetGenericFontFamilySansSerif(family.out());
        spacegauge::ScopedFont font;
        if (family)
            GdipCreateFont(family.get(), 12.f, Gdiplus::FontStyleRegular, Gdiplus::UnitPixel,
                           font.out());
        spacegauge::ScopedBrush brush;
        GdipCreateSolidFill(0xFFFFFFFF, reinterpret_cast<Gdiplus::GpSolidFill**>(brush.out()));
        spacegauge::GdipObject<Gdiplus::GpStringFormat, &GdipDeleteStringFormat> format;
        GdipCreateStringFormat(0, LANG_NEUTRAL, format.out());
        GdipSetStringFormatAlign(format.get(), Gdiplus::StringAlignmentCenter);
        GdipSetTextRenderingHint(g.get(), Gdiplus::TextRenderingHintAntiAliasGridFit);
        const std::wstring text = L"window title: \u201C" + title + L"\u201D";
        if (g && font)
            GdipDrawString(g.get(), text.c_str(), int(text.size()), font.get(), &box, format.get(),
                           brush.get());
    }

    ReferenceHost& host_;
    InstanceId id_;
    RegisteredClass class_{&Proc};  // before the window, so it outlives it
    OwnedWindow window_;
    std::unique_ptr<LayeredSurface> surface_;
    WindowModeReport report_;
    bool inHandler_ = false;
    bool redrawPending_ = false;
    bool closing_ = false;
};

}  // namespace

WindowModeReport RunWindowMode(ReferenceHost& host, InstanceId id,
                               const WindowModeOptions& options) {
    DockletWindow window(host, id);
    if (!window.created()) return window.Report();
    window.Redraw();
    window.Show();
    const ULONGLONG start = GetTickCount64();
    int served = host.redrawsServed();
    while (!window.closing()) {
        DWORD slice = kPumpSliceMs;
        if (options.milliseconds) {
            const ULONGLONG elapsed = GetTickCount64() - start;
            if (elapsed >= options.milliseconds) break;
            slice = DWORD(std::min<ULONGLONG>(slice, options.milliseconds - elapsed));
        }
        // Pump serves a redraw request with a draw whose image it drops; the window then asks
        // for one of its own.
        host.Pump(slice);
        if (host.redrawsServed() != served) {
            served = host.redrawsServed();
            window.Redraw();
        }
    }
    WindowModeReport report = window.Report();
    if (!options.screenshot.empty())
        report.screenshotSaved = window.SaveScreenshot(options.screenshot);
    return report;
}

}  // namespace refhost
