#include "render/outline_composite.h"

#include <cstdint>
#include <random>
#include <stdexcept>
#include <vector>

#include <gtest/gtest.h>

namespace spacegauge {
namespace {

TEST(BlendOver, EightBitSourceOverOfNonPremultipliedColours) {
    const struct {
        std::uint32_t destination, source, expected;
    } cases[] = {
        {0xFF102030, 0xFFABCDEF, 0xFFABCDEF},  // opaque source replaces
        {0xFF102030, 0x00ABCDEF, 0xFF102030},  // transparent source leaves
        {0x00102030, 0x40ABCDEF, 0x40ABCDEF},  // nothing underneath: the source as it is
        {0x01102030, 0xFEABCDEF, 0xFEABCDEF},  // 1 * 1 / 255 of the destination is kept: none
        {0xFF000000, 0x80FFFFFF, 0xFF808080},  // 255 * 128 / 255
        {0xFF000000, 0x01FFFFFF, 0xFF010101},
        {0xFFFFFFFF, 0x01000000, 0xFFFEFEFE},  // 255 * 254 / 255, truncated
        // Kept alpha 128 * 127 / 255 = 63 (truncated), total 191; colours weighed by 63 : 128.
        {0x80FF0000, 0x800000FF, 0xBF5400AA},
        {0x80FF00FF, 0x80FF00FF, 0xBFFF00FF},  // the same colour stays, alpha grows
    };
    for (const auto& c : cases) {
        EXPECT_EQ(BlendOver(c.destination, c.source), c.expected)
            << std::hex << c.destination << " under " << c.source;
    }
}

// One BlendOver pass per offset, in drawing order, over every pixel.
std::vector<std::uint32_t> SequentialPasses(const CoverageMap& map, std::uint32_t color,
                                            std::vector<std::uint32_t> pixels) {
    const int r = map.reach, mapWidth = map.width + 2 * r;
    for (int oy = -r; oy <= r; ++oy) {
        for (int ox = -r; ox <= r; ++ox) {
            for (int y = 0; y < map.height; ++y) {
                for (int x = 0; x < map.width; ++x) {
                    const std::uint32_t a = map.alpha[(y + r - oy) * mapWidth + (x + r - ox)];
                    std::uint32_t& p = pixels[y * map.width + x];
                    if (a != 0) p = BlendOver(p, (a << 24) | (color & 0xFFFFFF));
                }
            }
        }
    }
    return pixels;
}

struct RandomCase {
    std::vector<std::uint8_t> alpha;
    std::vector<std::uint32_t> pixels;
    CoverageMap map;
};

// Coverage like a glyph's: runs of empty, partial and full cells, in proportions that vary
// from case to case (some with no full cell at all).
RandomCase MakeCase(std::mt19937& random, int width, int height, int reach) {
    RandomCase c;
    const int mapWidth = width + 2 * reach, mapHeight = height + 2 * reach;
    const int emptyShare = int(random() % 90), fullShare = int(random() % 3) * int(random() % 30);
    c.alpha.resize(std::size_t(mapWidth) * mapHeight);
    for (auto& a : c.alpha) {
        const int roll = int(random() % 100);
        a = roll < emptyShare               ? 0
            : roll < emptyShare + fullShare ? 255
                                            : std::uint8_t(1 + random() % 254);
    }
    c.pixels.resize(std::size_t(width) * height);
    for (auto& p : c.pixels) {
        p = std::uint32_t(random());
        const int kind = int(random() % 4);  // transparent, opaque or in between
        if (kind == 0) p &= 0x00FFFFFF;
        if (kind == 1) p |= 0xFF000000;
    }
    c.map = CoverageMap{reach, width, height, c.alpha};
    return c;
}

TEST(CompositeOutline, EqualsTheSequentialPassesOverRandomCoverage) {
    std::mt19937 random(20240611);
    const struct {
        int width, height, reach;
    } shapes[] = {{1, 1, 0},  {1, 1, 3},  {7, 5, 0},   {7, 5, 1}, {5, 9, 2},
                  {12, 3, 4}, {3, 12, 5}, {16, 16, 1}, {9, 9, 6}};
    for (const auto& s : shapes) {
        for (int round = 0; round < 40; ++round) {
            RandomCase c = MakeCase(random, s.width, s.height, s.reach);
            const std::uint32_t color = 0xFF000000 | std::uint32_t(random());
            const auto expected = SequentialPasses(c.map, color, c.pixels);
            CompositeOutline(c.map, color, c.pixels);
            ASSERT_EQ(c.pixels, expected)
                << s.width << "x" << s.height << " reach " << s.reach << " round " << round;
        }
    }
}

TEST(CompositeOutline, ColourAlphaIsIgnored) {
    std::mt19937 random(7);
    RandomCase c = MakeCase(random, 10, 6, 2);
    auto translucent = c.pixels;
    CompositeOutline(c.map, 0xFF336699, c.pixels);
    CompositeOutline(c.map, 0x10336699, translucent);
    EXPECT_EQ(translucent, c.pixels);
}

TEST(CompositeOutline, FullCoverageAnywhereInReachGivesThePlainColour) {
    // One full cell in the middle of a 5 x 5 image with reach 2 reaches every pixel;
    // a partial cell next to it must not tint any of them.
    std::vector<std::uint8_t> alpha(9 * 9, 0);
    alpha[4 * 9 + 4] = 255;
    alpha[4 * 9 + 5] = 100;
    std::vector<std::uint32_t> pixels(25, 0x80FFFFFF);
    CompositeOutline(CoverageMap{2, 5, 5, alpha}, 0xFF123456, pixels);
    EXPECT_EQ(pixels, std::vector<std::uint32_t>(25, 0xFF123456));
}

TEST(CompositeOutline, PixelsOutOfReachAreUntouched) {
    // A single partial cell at the map's top-left corner reaches image pixel (0, 0) only.
    std::vector<std::uint8_t> alpha(6 * 5, 0);
    alpha[0] = 128;
    std::vector<std::uint32_t> pixels(4 * 3, 0x00ABCDEF);
    CompositeOutline(CoverageMap{1, 4, 3, alpha}, 0xFF000000, pixels);
    EXPECT_EQ(pixels[0], 0x80000000u);
    for (std::size_t i = 1; i < pixels.size(); ++i) EXPECT_EQ(pixels[i], 0x00ABCDEFu) << i;
}

TEST(CompositeOutline, SizesThatDisagreeAreRejected) {
    std::vector<std::uint8_t> alpha(6 * 5, 0);
    std::vector<std::uint32_t> pixels(4 * 3, 0);
    EXPECT_THROW(CompositeOutline(CoverageMap{2, 4, 3, alpha}, 0, pixels), std::invalid_argument);
    EXPECT_THROW(CompositeOutline(CoverageMap{-1, 4, 3, alpha}, 0, pixels), std::invalid_argument);
    std::vector<std::uint32_t> fewer(11, 0);
    EXPECT_THROW(CompositeOutline(CoverageMap{1, 4, 3, alpha}, 0, fewer), std::invalid_argument);
}

}  // namespace
}  // namespace spacegauge
