#include "render/docklet_draw.h"

#include <windows.h>
#include <gdiplus.h>

#include <algorithm>
#include <string>
#include <vector>

#include "host/host_services.h"
#include "host/plugin_state.h"
#include "host/text_convert.h"
#include "label/expand_label.h"
#include "render/draw_layout.h"
#include "render/outline_composite.h"
#include "render/gdiplus_handles.h"
#include "settings/form_settings.h"
#include "settings/settings_store.h"

namespace spacegauge {
namespace {

using namespace Gdiplus::DllExports;
using Gdiplus::GpStatus;

constexpr int kPixelFormat32bppARGB = 0x0026200A;

bool IsFile(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

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

// Bold Arial; where a system lacks Arial, its sans-serif stand-in, so the label still shows.
void CreateLabelFontFamily(ScopedFontFamily& family) {
    if (GdipCreateFontFamilyFromName(L"Arial", nullptr, family.out()) != Gdiplus::Ok || !family) {
        if (GdipGetGenericFontFamilySansSerif(family.out()) != Gdiplus::Ok) family.Reset();
    }
}

struct LabelLayout {
    std::wstring text;
    float fontSize = 0;
    std::int32_t width = 0, height = 0;
    std::int32_t horizontalPos = 0, verticalPos = 0;
};

// Bold label font at the layout's size; empty when the family or the font cannot be made.
struct LabelFont {
    ScopedFontFamily family;
    ScopedFont font;
};

void MakeLabelFont(const LabelLayout& layout, LabelFont& out) {
    CreateLabelFontFamily(out.family);
    if (!out.family) return;
    GdipCreateFont(out.family.get(), layout.fontSize, Gdiplus::FontStyleBold, Gdiplus::UnitPoint,
                   out.font.out());
}

// Every pass measures the same text in a box of the same size with the same font, so one
// measurement places them all. A position outside 0..2 keeps 0.
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

// One copy of the label with its layout box at (x, y), shifted by (dx, dy).
void DrawLabelAt(Gdiplus::GpGraphics* graphics, Gdiplus::GpSolidFill* brush,
                 const LabelLayout& layout, Gdiplus::GpFont* font, std::int32_t x, std::int32_t y,
                 double dx, double dy) {
    const Gdiplus::RectF box(float(x), float(y), float(layout.width), float(layout.height));
    GdipTranslateWorldTransform(graphics, float(dx), float(dy), Gdiplus::MatrixOrderPrepend);
    GdipDrawString(graphics, layout.text.c_str(), int(layout.text.size()), font, &box, nullptr,
                   brush);
    GdipResetWorldTransform(graphics);
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

// All outline passes at once: the same picture as (2 reach + 1)² shifted copies of the label
// drawn one after another, at the cost of one.
void DrawOutline(Gdiplus::GpGraphics* graphics, Gdiplus::GpBitmap* bitmap,
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

void DrawIcon(Gdiplus::GpGraphics* graphics, const std::wstring& path, std::int32_t width,
              std::int32_t height) {
    ScopedImage image;
    if (GdipCreateBitmapFromFile(
            path.c_str(), reinterpret_cast<Gdiplus::GpBitmap**>(image.out())) != Gdiplus::Ok ||
        !image)
        return;
    GdipDrawImageRectI(graphics, image.get(), 0, 0, width, height);
}

}  // namespace

void DrawDocklet(InstanceId id, void** hostBitmap) {
    Q_ReadSettings(id);
    if (!FormSettings) return;
    SettingsRecord& r = FormSettings->record;

    const std::string label = ExpandLabel(r.LabelText, r.Drive);
    const std::string caption = ExpandLabel(r.DockletCaption, r.Drive);
    HostSetCaption(id, AnsiToWide(caption));

    const HostRect rect = HostGetRect(id);
    const std::int32_t width = std::int32_t(std::uint32_t(rect.right) - std::uint32_t(rect.left));
    const std::int32_t height = std::int32_t(std::uint32_t(rect.bottom) - std::uint32_t(rect.top));

    // The host reads its variable after we return: make a failed creation read as "none".
    *hostBitmap = nullptr;
    auto** bitmap = reinterpret_cast<Gdiplus::GpBitmap**>(hostBitmap);
    // A row too wide for a 32-bit stride gets no bitmap: GDI+ would take the wrapped stride,
    // then fault on coordinates past the integer range in a host that unmasks exceptions.
    const std::int64_t stride = std::int64_t(width) * 4;
    if (stride <= INT32_MAX)
        GdipCreateBitmapFromScan0(width, height, std::int32_t(stride), kPixelFormat32bppARGB,
                                  nullptr, bitmap);

    if (!IsFile(r.IconSource)) r.IconSource = AnsiToWide(DefaultIconPath, CP_THREAD_ACP);
    if (!*bitmap) return;

    ScopedGraphics graphics;
    GdipGetImageGraphicsContext(*bitmap, graphics.out());
    if (!graphics) return;
    LabelFont labelFont;  // released after the brush, before the graphics
    ScopedBrush brush;
    GdipCreateSolidFill(0x00000000, reinterpret_cast<Gdiplus::GpSolidFill**>(brush.out()));
    if (!brush) return;
    auto* fill = static_cast<Gdiplus::GpSolidFill*>(brush.get());
    GdipFillRectangleI(graphics.get(), fill, 0, 0, width, height);

    DrawIcon(graphics.get(), r.IconSource, width, height);

    const LabelLayout layout{AnsiToWide(label),
                             float(FontSizePoints(r.LabelSize, width)),
                             width,
                             height,
                             r.HorizontalPos,
                             r.VerticalPos};
    GdipSetTextRenderingHint(graphics.get(), Gdiplus::TextRenderingHintAntiAlias);
    MakeLabelFont(layout, labelFont);
    if (!labelFont.font) return;
    double dx = 0, dy = 0;
    AlignLabel(graphics.get(), layout, labelFont.font.get(), dx, dy);
    const std::vector<PassOffset> offsets = OutlineOffsets(r.DrawOutline, r.OutlineWidth);
    if (!offsets.empty()) {
        const std::int32_t reach = offsets.back().x;  // the last pass sits at (reach, reach)
        if (CoverageFits(width, height, reach)) {
            DrawOutline(graphics.get(), *bitmap, layout, labelFont.font.get(), reach,
                        r.OutlineColor, dx, dy);
        } else {
            GdipSetSolidFillColor(fill, DrawingColor(r.OutlineColor));
            for (const PassOffset offset : offsets)
                DrawLabelAt(graphics.get(), fill, layout, labelFont.font.get(), offset.x, offset.y,
                            dx, dy);
        }
    }
    GdipSetSolidFillColor(fill, DrawingColor(r.LabelColor));
    DrawLabelAt(graphics.get(), fill, layout, labelFont.font.get(), 0, 0, dx, dy);
}

}  // namespace spacegauge
