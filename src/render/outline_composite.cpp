#include "render/outline_composite.h"

#include <algorithm>
#include <cstddef>
#include <stdexcept>
#include <vector>

namespace spacegauge {
namespace {

// Counts of cells with a property, summed over every rectangle in O(1).
class SummedArea {
  public:
    SummedArea(std::size_t width, std::size_t height)
        : stride_(width + 1), sums_(stride_ * (height + 1), 0) {}

    // Call once per cell, row by row.
    void Add(std::size_t x, std::size_t y, bool counted) {
        const std::size_t at = (y + 1) * stride_ + x + 1;
        sums_[at] =
            std::uint32_t(counted) + sums_[at - 1] + sums_[at - stride_] - sums_[at - stride_ - 1];
    }

    // Cells in the square of side `side` whose top-left cell is (x, y).
    std::uint32_t Square(std::size_t x, std::size_t y, std::size_t side) const {
        const std::size_t top = y * stride_, bottom = (y + side) * stride_;
        return sums_[bottom + x + side] - sums_[top + x + side] - sums_[bottom + x] +
               sums_[top + x];
    }

  private:
    std::size_t stride_;
    std::vector<std::uint32_t> sums_;
};

}  // namespace

std::uint32_t BlendOver(std::uint32_t destination, std::uint32_t source) {
    const std::uint32_t sourceAlpha = source >> 24;
    if (sourceAlpha == 255) return source;
    if (sourceAlpha == 0) return destination;
    // What is left of the destination's alpha, truncated before it weighs the colours.
    const std::uint32_t keptAlpha = (destination >> 24) * (255 - sourceAlpha) / 255;
    if (keptAlpha == 0) return source;
    const std::uint32_t alpha = keptAlpha + sourceAlpha;
    std::uint32_t result = alpha << 24;
    for (const int shift : {16, 8, 0}) {
        const std::uint32_t d = (destination >> shift) & 0xFFu, s = (source >> shift) & 0xFFu;
        result |= ((d * keptAlpha + s * sourceAlpha) / alpha) << shift;
    }
    return result;
}

void CompositeOutline(const CoverageMap& coverage, std::uint32_t color,
                      std::span<std::uint32_t> pixels) {
    if (coverage.reach < 0 || coverage.width < 0 || coverage.height < 0)
        throw std::invalid_argument("negative outline reach or image size");
    const std::size_t reach = std::size_t(coverage.reach), side = 2 * reach + 1;
    const std::size_t width = std::size_t(coverage.width), height = std::size_t(coverage.height);
    const std::size_t mapWidth = width + 2 * reach, mapHeight = height + 2 * reach;
    if (coverage.alpha.size() != mapWidth * mapHeight || pixels.size() != width * height)
        throw std::invalid_argument("coverage map and image sizes disagree");
    if (width == 0 || height == 0) return;

    // Where a shift lays full coverage, the pixel ends as the plain colour: a fully covering
    // pass replaces it, and partial passes of the same opaque colour leave it as it is.
    SummedArea full(mapWidth, mapHeight), partial(mapWidth, mapHeight);
    // Columns of the partially covered cells, row by row (offsets into one array).
    std::vector<std::uint32_t> partialColumns, rowStart(mapHeight + 1, 0);
    for (std::size_t y = 0; y < mapHeight; ++y) {
        rowStart[y] = std::uint32_t(partialColumns.size());
        for (std::size_t x = 0; x < mapWidth; ++x) {
            const std::uint8_t a = coverage.alpha[y * mapWidth + x];
            full.Add(x, y, a == 255);
            partial.Add(x, y, a != 0 && a != 255);
            if (a != 0 && a != 255) partialColumns.push_back(std::uint32_t(x));
        }
    }
    rowStart[mapHeight] = std::uint32_t(partialColumns.size());

    const std::uint32_t opaque = color | 0xFF000000u, rgb = color & 0x00FFFFFFu;
    for (std::size_t y = 0; y < height; ++y) {
        for (std::size_t x = 0; x < width; ++x) {
            // The pass at (ox, oy) reads cell (x + reach - ox, y + reach - oy): the window of
            // side `side` at (x, y), which the passes visit from its bottom-right cell
            // backwards.
            std::uint32_t& pixel = pixels[y * width + x];
            if (full.Square(x, y, side) != 0) {
                pixel = opaque;
                continue;
            }
            if (partial.Square(x, y, side) == 0) continue;
            std::uint32_t blended = pixel;
            for (std::size_t row = y + side; row-- > y;) {
                const auto first = partialColumns.begin() + rowStart[row];
                const auto last = partialColumns.begin() + rowStart[row + 1];
                const auto from = std::lower_bound(first, last, std::uint32_t(x));
                auto to = std::upper_bound(from, last, std::uint32_t(x + side - 1));
                while (to != from) {
                    const std::uint32_t column = *--to;
                    const std::uint32_t a = coverage.alpha[row * mapWidth + column];
                    blended = BlendOver(blended, (a << 24) | rgb);
                }
            }
            pixel = blended;
        }
    }
}

}  // namespace spacegauge
