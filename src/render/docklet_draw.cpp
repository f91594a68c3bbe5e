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
#include "render/label_passes.h"
#include "settings/form_settings.h"
#include "settings/settings_store.h"

namespace spacegauge {
namespace {

using namespace Gdiplus::DllExports;

constexpr int kPixelFormat32bppARGB = 0x0026200A;

bool IsFile(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
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
    const std::int32_t reach = OutlineReach(r.DrawOutline, r.OutlineWidth);
    if (reach >= 0)
        DrawLabelOutline(graphics.get(), *bitmap, fill, layout, labelFont.font.get(), reach,
                         r.OutlineColor, dx, dy);
    GdipSetSolidFillColor(fill, DrawingColor(r.LabelColor));
    DrawLabelAt(graphics.get(), fill, layout, labelFont.font.get(), 0, 0, dx, dy);
}

}  // namespace spacegauge
