#include "render/docklet_draw.h"

#include <windows.h>
#include <gdiplus.h>

#include <string>

#include "host/host_services.h"
#include "host/plugin_state.h"
#include "host/text_convert.h"
#include "label/expand_label.h"
#include "render/draw_layout.h"
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

// Bold Arial; where a system lacks Arial, its sans-serif stand-in, so the label still shows.
ScopedFontFamily LabelFontFamily() {
    ScopedFontFamily family;
    if (GdipCreateFontFamilyFromName(L"Arial", nullptr, family.out()) != Gdiplus::Ok ||
        !family) {
        if (GdipGetGenericFontFamilySansSerif(family.out()) != Gdiplus::Ok) family.Reset();
    }
    return family;
}

struct LabelLayout {
    std::wstring text;
    float fontSize = 0;
    std::int32_t width = 0, height = 0;
    std::int32_t horizontalPos = 0, verticalPos = 0;
};

// One copy of the label at an offset. dx and dy carry over between passes: a position outside
// 0..2 leaves them as the previous pass set them, which is 0.
void DrawLabelPass(Gdiplus::GpGraphics* graphics, Gdiplus::GpSolidFill* brush,
                   const LabelLayout& layout, PassOffset offset, ColorValue color, double& dx,
                   double& dy) {
    GdipSetTextRenderingHint(graphics, Gdiplus::TextRenderingHintAntiAlias);
    ScopedFontFamily family = LabelFontFamily();
    if (!family) return;
    ScopedFont font;
    GdipCreateFont(family.get(), layout.fontSize, Gdiplus::FontStyleBold, Gdiplus::UnitPoint,
                   font.out());
    if (!font) return;
    GdipSetSolidFillColor(brush, DrawingColor(color));
    const Gdiplus::RectF box(float(offset.x), float(offset.y), float(layout.width),
                             float(layout.height));
    const int length = int(layout.text.size());
    Gdiplus::RectF measured(0, 0, 0, 0);
    GdipMeasureString(graphics, layout.text.c_str(), length, font.get(), &box, nullptr, &measured,
                      nullptr, nullptr);
    if (layout.horizontalPos >= 0 && layout.horizontalPos <= 2)
        dx = AlignOffset(layout.horizontalPos, layout.width, measured.Width);
    if (layout.verticalPos >= 0 && layout.verticalPos <= 2)
        dy = AlignOffset(layout.verticalPos, layout.height, measured.Height);
    GdipTranslateWorldTransform(graphics, float(dx), float(dy), Gdiplus::MatrixOrderPrepend);
    GdipDrawString(graphics, layout.text.c_str(), length, font.get(), &box, nullptr, brush);
    GdipResetWorldTransform(graphics);
}

void DrawIcon(Gdiplus::GpGraphics* graphics, const std::wstring& path, std::int32_t width,
              std::int32_t height) {
    ScopedImage image;
    if (GdipCreateBitmapFromFile(path.c_str(), reinterpret_cast<Gdiplus::GpBitmap**>(image.out())) !=
            Gdiplus::Ok ||
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
    ScopedBrush brush;
    GdipCreateSolidFill(0x00000000, reinterpret_cast<Gdiplus::GpSolidFill**>(brush.out()));
    if (!brush) return;
    auto* fill = static_cast<Gdiplus::GpSolidFill*>(brush.get());
    GdipFillRectangleI(graphics.get(), fill, 0, 0, width, height);

    DrawIcon(graphics.get(), r.IconSource, width, height);

    const LabelLayout layout{AnsiToWide(label), float(FontSizePoints(r.LabelSize, width)), width,
                             height,           r.HorizontalPos,                          r.VerticalPos};
    double dx = 0, dy = 0;
    for (const PassOffset offset : OutlineOffsets(r.DrawOutline, r.OutlineWidth))
        DrawLabelPass(graphics.get(), fill, layout, offset, r.OutlineColor, dx, dy);
    DrawLabelPass(graphics.get(), fill, layout, PassOffset{0, 0}, r.LabelColor, dx, dy);
}

}  // namespace spacegauge
