#include "png_writer.h"

namespace refhost {

bool SavePng(Gdiplus::GpBitmap* bitmap, const std::wstring& path) {
    // GDI+'s built-in PNG encoder.
    static const CLSID kPngEncoder = {
        0x557CF406, 0x1A04, 0x11D3, {0x9A, 0x73, 0x00, 0x00, 0xF8, 0x1E, 0xF3, 0x2E}};
    return bitmap && Gdiplus::DllExports::GdipSaveImageToFile(bitmap, path.c_str(), &kPngEncoder,
                                                              nullptr) == Gdiplus::Ok;
}

}  // namespace refhost
