#include "settings/picture_view.h"

#include <algorithm>
#include <array>
#include <cwctype>
#include <string_view>

#include "host/exception.h"
#include "settings/ansi_text.h"
#include "settings/dialog_handles.h"
#include "settings/window_subclass.h"

namespace spacegauge {
namespace {

using namespace Gdiplus;

constexpr wchar_t kPictureProperty[] = L"Spacegauge.Picture";

struct PictureView {
    ScopedGpImage picture;
};

PictureView* ViewOf(HWND control) {
    return static_cast<PictureView*>(GetPropW(control, kPictureProperty));
}

std::wstring Extension(const std::wstring& fileName) {
    const auto dot = fileName.find_last_of(L'.');
    const auto slash = fileName.find_last_of(L"\\/");
    if (dot == std::wstring::npos || (slash != std::wstring::npos && dot < slash)) return L"";
    std::wstring extension = fileName.substr(dot);
    for (wchar_t& ch : extension) ch = static_cast<wchar_t>(std::towlower(ch));
    return extension;
}

// The formats GDI+ decodes into a bitmap.
bool IsPictureExtension(const std::wstring& extension) {
    constexpr std::array<std::wstring_view, 10> kExtensions{
        L".png", L".bmp", L".dib", L".jpg", L".jpeg", L".jpe", L".gif", L".tif", L".tiff", L".ico"};
    return std::find(kExtensions.begin(), kExtensions.end(), extension) != kExtensions.end();
}

// A copy in memory, so the file is not held open while it is shown.
ScopedGpImage LoadDetached(const std::wstring& fileName) {
    GpBitmap* loaded = nullptr;
    if (DllExports::GdipCreateBitmapFromFile(fileName.c_str(), &loaded) != Ok || !loaded) {
        throw Exception("The file " + AnsiText(fileName) + " is not a valid picture");
    }
    const ScopedGpImage source(loaded);
    UINT width = 0, height = 0;
    DllExports::GdipGetImageWidth(source.get(), &width);
    DllExports::GdipGetImageHeight(source.get(), &height);
    GpBitmap* copy = nullptr;
    DllExports::GdipCreateBitmapFromScan0(static_cast<INT>(width), static_cast<INT>(height), 0,
                                          PixelFormat32bppPARGB, nullptr, &copy);
    ScopedGpImage result(copy);
    GpGraphics* graphics = nullptr;
    if (!copy || DllExports::GdipGetImageGraphicsContext(copy, &graphics) != Ok) {
        throw Exception("Out of memory");
    }
    const ScopedGpGraphics canvas(graphics);
    DllExports::GdipDrawImageRectI(canvas.get(), source.get(), 0, 0, static_cast<INT>(width),
                                   static_cast<INT>(height));
    return result;
}

void Paint(HWND control, const PictureView& view) {
    const ScopedPaint paint(control);
    RECT box{};
    GetClientRect(control, &box);
    const auto background = reinterpret_cast<HBRUSH>(
        SendMessageW(GetParent(control), WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(paint.dc()),
                     reinterpret_cast<LPARAM>(control)));
    FillRect(paint.dc(), &box, background ? background : GetSysColorBrush(COLOR_BTNFACE));
    if (!view.picture) return;
    UINT width = 0, height = 0;
    DllExports::GdipGetImageWidth(view.picture.get(), &width);
    DllExports::GdipGetImageHeight(view.picture.get(), &height);
    const RECT place = FitPicture(static_cast<int>(width), static_cast<int>(height), box);
    GpGraphics* graphics = nullptr;
    if (DllExports::GdipCreateFromHDC(paint.dc(), &graphics) != Ok) return;
    const ScopedGpGraphics canvas(graphics);
    DllExports::GdipSetInterpolationMode(canvas.get(), InterpolationModeHighQualityBicubic);
    DllExports::GdipSetPixelOffsetMode(canvas.get(), PixelOffsetModeHighQuality);
    DllExports::GdipDrawImageRectI(canvas.get(), view.picture.get(), place.left, place.top,
                                   place.right - place.left, place.bottom - place.top);
}

LRESULT PictureViewProc(HWND control, UINT message, WPARAM wParam, LPARAM lParam, void* data,
                        WNDPROC next) {
    auto* view = static_cast<PictureView*>(data);
    switch (message) {
        case WM_ERASEBKGND:
            return 1;  // WM_PAINT covers every pixel
        case WM_PAINT:
            Paint(control, *view);
            return 0;
        case WM_NCDESTROY:
            RemovePropW(control, kPictureProperty);
            delete view;
            break;
    }
    return CallWindowProcW(next, control, message, wParam, lParam);
}

}  // namespace

void AttachPictureView(HWND control) {
    auto* view = new PictureView;
    SetPropW(control, kPictureProperty, view);
    SubclassWindow(control, &PictureViewProc, view);
}

void LoadPicture(HWND view, const std::wstring& fileName) {
    ClearPicture(view);
    const std::wstring extension = Extension(fileName);
    if (!IsPictureExtension(extension)) {
        throw Exception("Unknown picture file extension (" + AnsiText(extension) + ")");
    }
    ViewOf(view)->picture = LoadDetached(fileName);
    InvalidateRect(view, nullptr, FALSE);
}

void ClearPicture(HWND view) {
    ViewOf(view)->picture.reset();
    InvalidateRect(view, nullptr, FALSE);
}

RECT FitPicture(int pictureWidth, int pictureHeight, const RECT& box) {
    const int boxWidth = box.right - box.left;
    const int boxHeight = box.bottom - box.top;
    if (pictureWidth <= 0 || pictureHeight <= 0) return {box.left, box.top, box.left, box.top};
    int width = boxWidth;
    int height = MulDiv(pictureHeight, boxWidth, pictureWidth);
    if (height > boxHeight) {
        height = boxHeight;
        width = MulDiv(pictureWidth, boxHeight, pictureHeight);
    }
    const int left = box.left + (boxWidth - width) / 2;
    const int top = box.top + (boxHeight - height) / 2;
    return {left, top, left + width, top + height};
}

}  // namespace spacegauge
