#include "render/label_passes.h"

#include <algorithm>
#include <new>
#include <vector>

#include "render/draw_layout.h"
#include "render/outline_composite.h"

namespace spacegauge {
namespace {

using namespace Gdiplus::DllExports;

constexpr int kPixelFormat32bppARGB = 0x0026200A;

// Reads the bitmap's pixels into `argb`, or writes them from it, as 32bpp ARGB row by row.
bool CopyPixels(Gdiplus::GpBitmap* bitmap, std::int32_t width, std::int32_t height,
                std::vector<std::uint32_t>& argb, Gdiplus::ImageLockMode mode) {
    const Gdiplus::Rect all(0, 0, width, height);
    Gdiplus::BitmapData data{};
    data.Width = UINT(width);
    data.Height = UINT(height);
    data.Stride = width * 4;
    data.PixelFormat = kPixelFormat32bppARGB;
    data.Scan0 = argb.data();
    if (GdipBitmapLockBits(bitmap, &all, mode | Gdiplus::ImageLockModeUserInputBuf,
                           kPixelFormat32bppARGB, &data) != Gdiplus::Ok)
        return false;
    return GdipBitmapUnlockBits(bitmap, &data) == Gdiplus::Ok;
}

// The label's alpha over the image grown by `reach` on every side: the label drawn once in
// opaque white on a transparent layer, as the pass at offset (reach, reach) would draw it.
std::vector<std::uint8_t> LabelCoverage(const LabelLayout& layout, Gdiplus::GpFont* font,
                                        std::int32_t reach, double dx, double dy) {
    const std::int32_t width = layout.width + 2 * reach, height = layout.height + 2 * reach;
    std::vector<std::uint32_t> argb(std::size_t(width) * height, 0);
    ScopedImage layer;
    GdipCreateBitmapFromScan0(width, height, width * 4, kPixelFormat32bppARGB, nullptr,
                              reinterpret_cast<Gdiplus::GpBitmap**>(layer.out()));
    if (!layer) return {};
    auto* bitmap = reinterpret_cast<Gdiplus::GpBitmap*>(layer.get());
    // Cleared from the zeroed buffer: far quicker than a clear through a graphics object.
    if (!CopyPixels(bitmap, width, height, argb, Gdiplus::ImageLockModeWrite)) return {};
    {
        ScopedGraphics graphics;
        GdipGetImageGraphicsContext(bitmap, graphics.out());
        ScopedBrush white;
        GdipCreateSolidFill(0xFFFFFFFF, reinterpret_cast<Gdiplus::GpSolidFill**>(white.out()));
        if (!graphics || !white) return {};
        GdipSetTextRenderingHint(graphics.get(), Gdiplus::TextRenderingHintAntiAlias);
        DrawLabelAt(graphics.get(), static_cast<Gdiplus::GpSolidFill*>(white.get()), layout, font,
                    reach, reach, dx, dy);
    }
    if (!CopyPixels(bitmap, width, height, argb, Gdiplus::ImageLockModeRead)) return {};
    std::vector<std::uint8_t> alpha(argb.size());
    std::transform(argb.begin(), argb.end(), alpha.begin(),
                   [](std::uint32_t p) { return std::uint8_t(p >> 24); });
    return alpha;
}

// The coverage map and its tables take some 20 bytes a pixel. Past this many pixels (an image
// beyond 4096 x 4096, far larger than any dock shows) the outline is drawn pass by pass: the
// same picture, at the old cost, without the memory.
constexpr std::int64_t kCoverageBudget = std::int64_t(1) << 24;

bool CoverageFits(std::int32_t width, std::int32_t height, std::int32_t reach) {
    return (std::int64_t(width) + 2 * reach) * (std::int64_t(height) + 2 * reach) <=
           kCoverageBudget;
}

void DrawOutlineFromCoverage(Gdiplus::GpGraphics* graphics, Gdiplus::GpBitmap* bitmap,
                             const LabelLayout& layout, Gdiplus::GpFont* font, std::int32_t reach,
                             ColorValue color, double dx, double dy) {
    const std::vector<std::uint8_t> alpha = LabelCoverage(layout, font, reach, dx, dy);
    if (alpha.empty()) return;
    std::vector<std::uint32_t> pixels(std::size_t(layout.width) * layout.height);
    GdipFlush(graphics, Gdiplus::FlushIntentionSync);
    if (!CopyPixels(bitmap, layout.width, layout.height, pixels, Gdiplus::ImageLockModeRead))
        return;
    CompositeOutline(CoverageMap{reach, layout.width, layout.height, alpha}, DrawingColor(color),
                     pixels);
    CopyPixels(bitmap, layout.width, layout.height, pixels, Gdiplus::ImageLockModeWrite);
}

}  // namespace

// Where a system lacks Arial, its sans-serif stand-in, so the label still shows.
void MakeLabelFont(const LabelLayout& layout, LabelFont& out) {
    if (GdipCreateFontFamilyFromName(L"Arial", nullptr, out.family.out()) != Gdiplus::Ok ||
        !out.family) {
        if (GdipGetGenericFontFamilySansSerif(out.family.out()) != Gdiplus::Ok) out.family.Reset();
    }
    if (!out.family) return;
    GdipCreateFont(out.family.get(), layout.fontSize, Gdiplus::FontStyleBold, Gdiplus::UnitPoint,
                   out.font.out());
}

// Every pass measures the same text in a box of the same size with the same font, so one
// measurement places them all.
void AlignLabel(Gdiplus::GpGraphics* graphics, const LabelLayout& layout, Gdiplus::GpFont* font,
                double& dx, double& dy) {
    const Gdiplus::RectF box(0, 0, float(layout.width), float(layout.height));
    Gdiplus::RectF measured(0, 0, 0, 0);
    GdipMeasureString(graphics, layout.text.c_str(), int(layout.text.size()), font, &box, nullptr,
                      &measured, nullptr, nullptr);
    if (layout.horizontalPos >= 0 && layout.horizontalPos <= 2)
        dx = AlignOffset(layout.horizontalPos, layout.width, measured.Width);
    if (layout.verticalPos >= 0 && layout.verticalPos <= 2)
        dy = AlignOffset(layout.verticalPos, layout.height, measured.Height);
}

void DrawLabelAt(Gdiplus::GpGraphics* graphics, Gdiplus::GpSolidFill* brush,
                 const LabelLayout& layout, Gdiplus::GpFont* font, std::int32_t x, std::int32_t y,
                 double dx, double dy) {
    const Gdiplus::RectF box(float(x), float(y), float(layout.width), float(layout.height));
    GdipTranslateWorldTransform(graphics, float(dx), float(dy), Gdiplus::MatrixOrderPrepend);
    GdipDrawString(graphics, layout.text.c_str(), int(layout.text.size()), font, &box, nullptr,
                   brush);
    GdipResetWorldTransform(graphics);
}

void DrawLabelOutline(Gdiplus::GpGraphics* graphics, Gdiplus::GpBitmap* bitmap,
                      Gdiplus::GpSolidFill* fill, const LabelLayout& layout, Gdiplus::GpFont* font,
                      std::int32_t reach, ColorValue color, double dx, double dy) {
    if (reach < 0) return;
    if (CoverageFits(layout.width, layout.height, reach)) {
        // The bitmap is written only once the whole outline is put together, so a process
        // short of memory can still fall back to the passes below.
        try {
            DrawOutlineFromCoverage(graphics, bitmap, layout, font, reach, color, dx, dy);
            return;
        } catch (const std::bad_alloc&) {
        }
    }
    GdipSetSolidFillColor(fill, DrawingColor(color));
    for (const PassOffset offset : OutlineOffsets(true, reach))
        DrawLabelAt(graphics, fill, layout, font, offset.x, offset.y, dx, dy);
}

}  // namespace spacegauge
