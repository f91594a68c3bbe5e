#pragma once
// The label's outline put together from one coverage map of the label rather than from one
// text pass per offset. Portable.
#include <cstdint>
#include <span>

namespace spacegauge {

// Source-over of a non-premultiplied ARGB colour onto a non-premultiplied ARGB pixel in 8-bit
// integer steps, as GDI+ blends anti-aliased text into a 32bpp ARGB bitmap.
std::uint32_t BlendOver(std::uint32_t destination, std::uint32_t source);

// The unshifted label's alpha over the image grown by `reach` pixels on every side: a grid of
// (width + 2 reach) × (height + 2 reach), row by row, whose cell (x + reach, y + reach) is
// what the label gives image pixel (x, y). The margin holds what a shift brings into view.
struct CoverageMap {
    std::int32_t reach = 0;
    std::int32_t width = 0;  // the image's
    std::int32_t height = 0;
    std::span<const std::uint8_t> alpha;
};

// Blends the colour through the coverage shifted by every offset (ox, oy) in
// [-reach, reach]², rows then columns ascending, onto the image's pixels (width × height, row
// by row): the result of that many sequential BlendOver passes. The colour's own alpha is
// ignored, since outlines are opaque. Throws std::invalid_argument when the sizes disagree.
void CompositeOutline(const CoverageMap& coverage, std::uint32_t color,
                      std::span<std::uint32_t> pixels);

}  // namespace spacegauge
