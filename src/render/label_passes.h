#pragma once
// The label's text on the image: one bold font and one measurement for every pass, and the
// outline passes drawn through a single coverage layer of the label.
#include <windows.h>
#include <gdiplus.h>

#include <cstdint>
#include <string>

#include "render/gdiplus_handles.h"
#include "settings/settings_record.h"

namespace spacegauge {

struct LabelLayout {
    std::wstring text;
    float fontSize = 0;  // points
    std::int32_t width = 0, height = 0;
    std::int32_t horizontalPos = 0, verticalPos = 0;
};

// Bold label font at the layout's size; `font` stays empty when it cannot be made.
struct LabelFont {
    ScopedFontFamily family;
    ScopedFont font;
};
void MakeLabelFont(const LabelLayout& layout, LabelFont& out);

// Where the layout's positions put the label; a position outside 0..2 leaves its axis at 0.
void AlignLabel(Gdiplus::GpGraphics* graphics, const LabelLayout& layout, Gdiplus::GpFont* font,
                double& dx, double& dy);

// One copy of the label with its layout box at (x, y), shifted by (dx, dy).
void DrawLabelAt(Gdiplus::GpGraphics* graphics, Gdiplus::GpSolidFill* brush,
                 const LabelLayout& layout, Gdiplus::GpFont* font, std::int32_t x, std::int32_t y,
                 double dx, double dy);

// The outline: the picture of one copy of the label in the colour at every offset of
// [-reach, reach]², rows then columns ascending, drawn onto `bitmap` (the layout's size), whose
// graphics is `graphics`. `fill` is a brush the drawing may recolour.
void DrawLabelOutline(Gdiplus::GpGraphics* graphics, Gdiplus::GpBitmap* bitmap,
                      Gdiplus::GpSolidFill* fill, const LabelLayout& layout, Gdiplus::GpFont* font,
                      std::int32_t reach, ColorValue color, double dx, double dy);

}  // namespace spacegauge
