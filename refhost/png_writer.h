#pragma once
#include <windows.h>
#include <gdiplus.h>

#include <string>

namespace refhost {

// Saves a GDI+ bitmap as a PNG file; false when GDI+ refuses.
bool SavePng(Gdiplus::GpBitmap* bitmap, const std::wstring& path);

}  // namespace refhost
