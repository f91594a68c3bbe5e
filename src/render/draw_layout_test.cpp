#include "render/draw_layout.h"

#include <cstdint>
#include <limits>
#include <vector>

#include <gtest/gtest.h>

namespace spacegauge {
namespace {

TEST(FontSizePoints, WidthTimesLabelSizeDiv128TruncatedTowardZero) {
    const struct {
        std::int32_t label_size;
        std::int32_t width;
        std::int32_t expected;
    } cases[] = {
        {10, 128, 10},
        {10, 100, 7},  // 1000 / 128 = 7.8
        {10, 48, 3},
        {10, 200, 15},
        {24, 128, 24},
        {0, 128, 0},
        {10, 12, 0},
        {-10, 100, -7},  // toward zero, not down to -8
        {10, -100, -7},
        {65536, 32768, -16777216},                                // 2^31 wraps to INT32_MIN
        {65536, 65536, 0},                                        // 2^32 wraps to 0
        {std::numeric_limits<std::int32_t>::max(), 3, 16777215},  // wraps to 2^31 - 3
    };
    for (const auto& c : cases) {
        EXPECT_EQ(FontSizePoints(c.label_size, c.width), c.expected)
            << c.label_size << " x " << c.width;
    }
}

TEST(AlignOffset, StartCentreEndAndEverythingElseAtStart) {
    const struct {
        std::int32_t position;
        std::int32_t extent;
        double measured;
        double expected;
    } cases[] = {
        {0, 128, 40.5, 0.0},    {1, 128, 40.5, 43.75},
        {2, 128, 40.5, 87.5},   {3, 128, 40.5, 0.0},
        {-1, 128, 40.5, 0.0},   {std::numeric_limits<std::int32_t>::min(), 128, 40.5, 0.0},
        {1, 100, 120.0, -10.0},  // a label wider than the image hangs over both sides
        {2, 50, 60.25, -10.25}, {1, 1, 0.5, 0.25},  // halves are kept, not rounded to pixels
    };
    for (const auto& c : cases) {
        EXPECT_DOUBLE_EQ(AlignOffset(c.position, c.extent, c.measured), c.expected)
            << "position " << c.position << ", extent " << c.extent;
    }
}

TEST(DrawingColor, SwapsRedAndBlueAndMakesOpaque) {
    const struct {
        ColorValue color;
        std::uint32_t expected;
    } cases[] = {
        {0x000000FF, 0xFFFF0000u},
        {0x0000FF00, 0xFF00FF00u},
        {0x00FF0000, 0xFF0000FFu},
        {0x00A6671A, 0xFF1A67A6u},
        {0x00000000, 0xFF000000u},
        {0x00FFFFFF, 0xFFFFFFFFu},
        {0x12A6671A, 0xFF1A67A6u},                            // top byte ignored
        {static_cast<ColorValue>(0xFF00000Fu), 0xFF0F0000u},  // system colour not looked up
        {0x1FFFFFFF, 0xFFFFFFFFu},
        {0x20000000, 0xFF000000u},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(DrawingColor(c.color), c.expected) << std::hex << c.color;
    }
}

std::vector<std::pair<int, int>> Pairs(const std::vector<PassOffset>& offsets) {
    std::vector<std::pair<int, int>> pairs;
    for (const PassOffset& o : offsets) pairs.emplace_back(o.x, o.y);
    return pairs;
}

TEST(OutlineOffsets, RowsOuterColumnsInnerBothAscending) {
    const std::vector<std::pair<int, int>> expected = {
        {-1, -1}, {0, -1}, {1, -1}, {-1, 0}, {0, 0}, {1, 0}, {-1, 1}, {0, 1}, {1, 1},
    };
    EXPECT_EQ(Pairs(OutlineOffsets(true, 1)), expected);
}

TEST(OutlineOffsets, ZeroWidthIsOnePassAtTheCentre) {
    const std::vector<std::pair<int, int>> expected = {{0, 0}};
    EXPECT_EQ(Pairs(OutlineOffsets(true, 0)), expected);
}

TEST(OutlineOffsets, NoPassesWhenOffOrNegative) {
    EXPECT_TRUE(OutlineOffsets(true, -1).empty());
    EXPECT_TRUE(OutlineOffsets(true, std::numeric_limits<std::int32_t>::min()).empty());
    EXPECT_TRUE(OutlineOffsets(false, 0).empty());
    EXPECT_TRUE(OutlineOffsets(false, 5).empty());
}

TEST(OutlineOffsets, HugeWidthIsBoundedToTheMaximumReach) {
    for (const std::int32_t width : {50, 51, 1000, std::numeric_limits<std::int32_t>::max()}) {
        const std::vector<PassOffset> offsets = OutlineOffsets(true, width);
        ASSERT_EQ(offsets.size(), 101u * 101u) << width;
        EXPECT_EQ(offsets.front().x, -50);
        EXPECT_EQ(offsets.front().y, -50);
        EXPECT_EQ(offsets[101 * 50 + 50].x, 0);  // the centre sits in the middle
        EXPECT_EQ(offsets[101 * 50 + 50].y, 0);
        EXPECT_EQ(offsets.back().x, 50);
        EXPECT_EQ(offsets.back().y, 50);
    }
}

TEST(OutlineReach, WidthBoundedAndNoneWhenOffOrNegative) {
    constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();
    constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();
    const struct {
        bool on;
        std::int32_t width, reach;
    } cases[] = {{true, 0, 0},   {true, 1, 1},     {true, 49, 49}, {true, 50, 50},
                 {true, 51, 50}, {true, kMax, 50}, {true, -1, -1}, {true, kMin, -1},
                 {false, 0, -1}, {false, 10, -1},  {false, -5, -1}};
    for (const auto& c : cases)
        EXPECT_EQ(OutlineReach(c.on, c.width), c.reach) << c.on << " " << c.width;
}

}  // namespace

}  // namespace spacegauge
