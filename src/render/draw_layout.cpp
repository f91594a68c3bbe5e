#include "render/draw_layout.h"

#include <algorithm>

namespace spacegauge {

std::int32_t FontSizePoints(std::int32_t labelSize, std::int32_t width) {
    // The product wraps like the 32-bit multiplication it stands for; converting an
    // out-of-range int64 to int32 is modular since C++20.
    const auto product = static_cast<std::int32_t>(static_cast<std::int64_t>(labelSize) * width);
    return product / 128;
}

double AlignOffset(std::int32_t position, std::int32_t extent, double measured) {
    switch (position) {
        case 1:
            return (extent - measured) / 2.0;
        case 2:
            return extent - measured;
        default:
            return 0.0;
    }
}

std::uint32_t DrawingColor(ColorValue color) {
    const auto c = static_cast<std::uint32_t>(color);
    const std::uint32_t red = c & 0xFFu;
    const std::uint32_t green = (c >> 8) & 0xFFu;
    const std::uint32_t blue = (c >> 16) & 0xFFu;
    return 0xFF000000u | (red << 16) | (green << 8) | blue;
}

std::int32_t OutlineReach(bool drawOutline, std::int32_t width) {
    if (!drawOutline || width < 0) return -1;
    return std::min(width, kMaxOutlineReach);
}

std::vector<PassOffset> OutlineOffsets(bool drawOutline, std::int32_t width) {
    const std::int32_t reach = OutlineReach(drawOutline, width);
    if (reach < 0) return {};
    std::vector<PassOffset> offsets;
    offsets.reserve(static_cast<std::size_t>(2 * reach + 1) * (2 * reach + 1));
    for (std::int32_t oy = -reach; oy <= reach; ++oy) {
        for (std::int32_t ox = -reach; ox <= reach; ++ox) offsets.push_back({ox, oy});
    }
    return offsets;
}

}  // namespace spacegauge
