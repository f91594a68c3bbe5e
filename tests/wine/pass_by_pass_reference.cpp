#include "pass_by_pass_reference.h"

#include "render/gdiplus_handles.h"

namespace refhost {
namespace {

using namespace Gdiplus::DllExports;
using spacegauge::ScopedBrush;
using spacegauge::ScopedFont;
using spacegauge::ScopedFontFamily;
using spacegauge::ScopedGraphics;
using spacegauge::ScopedImage;

struct PassFont {
    ScopedFontFamily family;
    ScopedFont font;
};

// One pass at (ox, oy). dx and dy stay as they were for a position outside 0..2.
void Pass(Gdiplus::GpGraphics* graphics, Gdiplus::GpSolidFill* brush, const DockletPicture& p,
          int ox, int oy, std::uint32_t argb, double& dx, double& dy, PassFont& passFont) {
    GdipSetTextRenderingHint(graphics, Gdiplus::TextRenderingHintAntiAlias);
    GdipCreateFontFamilyFromName(L"Arial", nullptr, passFont.family.out());
    GdipCreateFont(passFont.family.get(), p.fontSize, Gdiplus::FontStyleBold, Gdiplus::UnitPoint,
                   passFont.font.out());
    GdipSetSolidFillColor(brush, argb);
    const Gdiplus::RectF box(float(ox), float(oy), float(p.width), float(p.height));
    const int length = int(p.label.size());
    Gdiplus::RectF measured(0, 0, 0, 0);
    GdipMeasureString(graphics, p.label.c_str(), length, passFont.font.get(), &box, nullptr,
                      &measured, nullptr, nullptr);
    const auto align = [](std::int32_t position, std::int32_t extent, double size, double& d) {
        if (position == 0) d = 0;
        if (position == 1) d = (extent - size) / 2.0;
        if (position == 2) d = extent - size;
    };
    align(p.horizontalPos, p.width, measured.Width, dx);
    align(p.verticalPos, p.height, measured.Height, dy);
    GdipTranslateWorldTransform(graphics, float(dx), float(dy), Gdiplus::MatrixOrderPrepend);
    GdipDrawString(graphics, p.label.c_str(), length, passFont.font.get(), &box, nullptr, brush);
    GdipResetWorldTransform(graphics);
}

void OutlinePasses(Gdiplus::GpGraphics* graphics, Gdiplus::GpSolidFill* brush,
                   const DockletPicture& p, double& dx, double& dy) {
    if (!p.drawOutline) return;
    const int w = p.outlineWidth;
    for (int oy = -w; oy <= w; ++oy) {
        for (int ox = -w; ox <= w; ++ox) {
            PassFont passFont;
            Pass(graphics, brush, p, ox, oy, p.outlineArgb, dx, dy, passFont);
        }
    }
}

}  // namespace

void DrawOutlinePasses(Gdiplus::GpBitmap* bitmap, const DockletPicture& p) {
    ScopedGraphics graphics;
    GdipGetImageGraphicsContext(bitmap, graphics.out());
    ScopedBrush brush;
    GdipCreateSolidFill(0x00000000, reinterpret_cast<Gdiplus::GpSolidFill**>(brush.out()));
    double dx = 0, dy = 0;
    OutlinePasses(graphics.get(), static_cast<Gdiplus::GpSolidFill*>(brush.get()), p, dx, dy);
}

HostBitmap DrawPassByPass(const DockletPicture& p) {
    Gdiplus::GpBitmap* raw = nullptr;
    GdipCreateBitmapFromScan0(p.width, p.height, p.width * 4, PixelFormat32bppARGB, nullptr, &raw);
    HostBitmap bitmap(raw);
    if (!bitmap) return bitmap;
    ScopedGraphics graphics;
    GdipGetImageGraphicsContext(bitmap.get(), graphics.out());
    PassFont mainFont;
    ScopedBrush brush;
    GdipCreateSolidFill(0x00000000, reinterpret_cast<Gdiplus::GpSolidFill**>(brush.out()));
    auto* fill = static_cast<Gdiplus::GpSolidFill*>(brush.get());
    GdipFillRectangle(graphics.get(), fill, 0, 0, float(p.width), float(p.height));
    {
        ScopedImage icon;
        if (GdipCreateBitmapFromFile(p.iconPath.c_str(), reinterpret_cast<Gdiplus::GpBitmap**>(
                                                             icon.out())) == Gdiplus::Ok)
            GdipDrawImageRect(graphics.get(), icon.get(), 0, 0, float(p.width), float(p.height));
    }
    double dx = 0, dy = 0;
    OutlinePasses(graphics.get(), fill, p, dx, dy);
    Pass(graphics.get(), fill, p, 0, 0, p.labelArgb, dx, dy, mainFont);
    return bitmap;
}

}  // namespace refhost
