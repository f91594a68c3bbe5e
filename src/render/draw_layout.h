#pragma once
// Layout arithmetic of the docklet image. Portable.
#include <cstdint>
#include <vector>

#include "settings/settings_record.h"

namespace spacegauge {

// (labelSize * width) div 128 as 32-bit signed arithmetic, truncating toward zero.
std::int32_t FontSizePoints(std::int32_t labelSize, std::int32_t width);

// Offset of the label along one axis: 0 start, 1 centred, 2 end; any other position 0.
double AlignOffset(std::int32_t position, std::int32_t extent, double measured);

// Opaque GDI+ ARGB of a colour value: red from the lowest byte; top byte and system colour
// codes ignored.
std::uint32_t DrawingColor(ColorValue color);

// The drawing uses at most this reach, whatever the file says.
constexpr std::int32_t kMaxOutlineReach = 50;

struct PassOffset {
    std::int32_t x = 0;
    std::int32_t y = 0;
};

// How far the outline reaches: the width bounded to the maximum, or -1 when there is no outline
// (off, or a negative width).
std::int32_t OutlineReach(bool drawOutline, std::int32_t width);

// The outline passes in drawing order: rows from -w to w, columns from -w to w, the centre
// included. Empty when the outline is off or the width negative.
std::vector<PassOffset> OutlineOffsets(bool drawOutline, std::int32_t width);

}  // namespace spacegauge
