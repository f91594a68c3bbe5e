#pragma once
// The docklet picture drawn the literal way: one whole text pass per outline offset, each with
// its own font family, font, measurement and translation, then the label on top. The tests
// and the benchmark hold the plug-in's picture against it.
#include <windows.h>
#include <gdiplus.h>

#include <cstdint>
#include <string>

#include "host_harness.h"

namespace refhost {

struct DockletPicture {
    std::int32_t width = 128, height = 128;
    std::wstring iconPath;  // drawn stretched over the picture when GDI+ can load it
    std::wstring label;
    float fontSize = 24;  // points
    std::int32_t horizontalPos = 1, verticalPos = 2;
    bool drawOutline = true;
    std::int32_t outlineWidth = 1;
    std::uint32_t outlineArgb = 0xFF1A67A6, labelArgb = 0xFFFFFFFF;
};

HostBitmap DrawPassByPass(const DockletPicture& picture);

// The outline passes alone, drawn into an existing bitmap of the picture's size.
void DrawOutlinePasses(Gdiplus::GpBitmap* bitmap, const DockletPicture& picture);

}  // namespace refhost
