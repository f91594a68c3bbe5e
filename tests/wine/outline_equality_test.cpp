// The plug-in's outline against the literal pass-by-pass drawing, pixel by pixel, and the
// blend it relies on against what GDI+ does.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <random>
#include <string>
#include <tuple>
#include <vector>

#include "pass_by_pass_reference.h"
#include "png_writer.h"
#include "render/gdiplus_handles.h"
#include "render/outline_composite.h"
#include "wine_test_support.h"

namespace refhost {
namespace {

using namespace Gdiplus::DllExports;
using spacegauge::BlendOver;
using spacegauge::ScopedBrush;
using spacegauge::ScopedFont;
using spacegauge::ScopedFontFamily;
using spacegauge::ScopedGraphics;

constexpr char kLabel[] = "C: 75%";  // no placeholders: no disk figures involved

int ChannelDifference(std::uint32_t a, std::uint32_t b) {
    int most = 0;
    for (int shift = 0; shift < 32; shift += 8)
        most = std::max(most, std::abs(int((a >> shift) & 0xFF) - int((b >> shift) & 0xFF)));
    return most;
}

// Icons written for these tests: one partly transparent, one clear, one opaque.
enum class Icon { Veiled, Clear, Opaque };

std::wstring IconPath(Icon icon) {
    const wchar_t* names[] = {L"outline_veiled.png", L"outline_clear.png", L"outline_opaque.png"};
    return ReferenceHost::HostFolder() + names[int(icon)];
}

void WriteIcons() {
    for (const Icon icon : {Icon::Veiled, Icon::Clear, Icon::Opaque}) {
        const int size = 16;
        Pixels pixels{size, size, std::vector<std::uint32_t>(size * size)};
        for (int y = 0; y < size; ++y) {
            for (int x = 0; x < size; ++x) {
                const std::uint32_t rgb = (std::uint32_t(x * 16) << 16) |
                                          (std::uint32_t(y * 16) << 8) | std::uint32_t(0x80 + x);
                const std::uint32_t alpha = icon == Icon::Clear ? 0
                                            : icon == Icon::Opaque
                                                ? 255
                                                : std::uint32_t(x * 17) ^ (y * 5);
                pixels.argb[y * size + x] = (alpha << 24) | rgb;
            }
        }
        const HostBitmap bitmap = BitmapFromPixels(pixels);
        ASSERT_TRUE(bitmap && SavePng(bitmap.get(), IconPath(icon)));
    }
}

// Stored colours are 0x00BBGGRR; GDI+ takes opaque 0xAARRGGBB.
std::uint32_t Argb(std::uint32_t stored) {
    return 0xFF000000 | ((stored & 0xFF) << 16) | (stored & 0xFF00) | ((stored >> 16) & 0xFF);
}

std::string Hex8(std::uint32_t value) {
    char text[16];
    std::snprintf(text, sizeof text, "$%08X", value);
    return text;
}

struct Look {
    Icon icon;
    std::uint32_t outline, label;  // stored colours
};
const Look kLooks[] = {
    {Icon::Veiled, 0x00A6671A, 0x00FFFFFF},  // the default colours over a half-seen icon
    {Icon::Clear, 0x000000FF, 0x0000FF00},   // nothing underneath
    {Icon::Opaque, 0x00FFFFFF, 0x00000000},
};

struct Case {
    int width, height;
    int labelSize;
    int outlineWidth;
    bool drawOutline;
    int horizontalPos, verticalPos;
    Look look;
};

std::string Describe(const Case& c) {
    return std::to_string(c.width) + "x" + std::to_string(c.height) + " size " +
           std::to_string(c.labelSize) + " outline " + (c.drawOutline ? "on" : "off") + " w " +
           std::to_string(c.outlineWidth) + " H" + std::to_string(c.horizontalPos) + " V" +
           std::to_string(c.verticalPos) + " icon " + std::to_string(int(c.look.icon));
}

class OutlineEquality : public PluginTest {
  protected:
    static void SetUpTestSuite() { WriteIcons(); }
    static void TearDownTestSuite() {
        for (const Icon icon : {Icon::Veiled, Icon::Clear, Icon::Opaque})
            DeleteFileW(IconPath(icon).c_str());
    }

    // The largest difference of any channel of any pixel between the two drawings.
    int DrawBothAndCompare(const Case& c) {
        WriteSettings("[Spacegauge1]\r\nIconSource=" + ToUtf8(IconPath(c.look.icon)) +
                      "\r\nLabelColor=" + Hex8(c.look.label) + "\r\nLabelText=" + kLabel +
                      "\r\nLabelSize=" + std::to_string(c.labelSize) +
                      "\r\nDrive=c\r\nUpdate=3600\r\nDrawOutline=" + (c.drawOutline ? "1" : "0") +
                      "\r\nOutlineWidth=" + std::to_string(c.outlineWidth) +
                      "\r\nOutlineColor=" + Hex8(c.look.outline) +
                      "\r\nHorizontalPos=" + std::to_string(c.horizontalPos) + "\r\nVerticalPos=" +
                      std::to_string(c.verticalPos) + "\r\nDockletCaption=\r\n");
        host().SetInstance(1, 1, {0, 0, c.width, c.height});
        const HostBitmap drawn = host().Draw(1);
        if (!drawn) {
            ADD_FAILURE() << "no bitmap for " << Describe(c);
            return 256;
        }
        DockletPicture picture;
        picture.width = c.width;
        picture.height = c.height;
        picture.iconPath = IconPath(c.look.icon);
        picture.label = FromUtf8(kLabel);
        picture.fontSize = float(c.labelSize * c.width / 128);
        picture.horizontalPos = c.horizontalPos;
        picture.verticalPos = c.verticalPos;
        picture.drawOutline = c.drawOutline;
        picture.outlineWidth = c.outlineWidth;
        picture.outlineArgb = Argb(c.look.outline);
        picture.labelArgb = Argb(c.look.label);
        const HostBitmap expected = DrawPassByPass(picture);

        const Pixels a = ReadPixels(drawn.get()), b = ReadPixels(expected.get());
        EXPECT_EQ(a.width, c.width);
        EXPECT_EQ(a.height, c.height);
        if (a.argb.size() != b.argb.size()) return 256;
        int most = 0, outlineColoured = 0;
        for (std::size_t i = 0; i < a.argb.size(); ++i) {
            const int d = ChannelDifference(a.argb[i], b.argb[i]);
            if (d > 1 && most <= 1) {
                ADD_FAILURE() << Describe(c) << ": pixel (" << i % c.width << ", " << i / c.width
                              << ") is " << std::hex << a.argb[i] << ", passes give " << b.argb[i];
            }
            most = std::max(most, d);
            outlineColoured += b.argb[i] == Argb(c.look.outline);
        }
        // Guards against a comparison of two pictures without any outline in them.
        if (c.drawOutline && c.outlineWidth >= 1) EXPECT_GT(outlineColoured, 0) << Describe(c);
        return most;
    }

    void ExpectAll(const std::vector<Case>& cases) {
        InitAndCreate(1, 1);
        int most = 0;
        for (const Case& c : cases) {
            const int d = DrawBothAndCompare(c);
            EXPECT_LE(d, 1) << Describe(c);
            most = std::max(most, d);
        }
        std::printf("[ outline  ] %zu pictures, largest channel difference %d\n", cases.size(),
                    most);
    }
};

// Sizes by outline widths, each over all nine placements with the three looks in turn.
class OutlineGrid : public OutlineEquality,
                    public ::testing::WithParamInterface<std::tuple<int, int>> {};

struct Size {
    int width, height;
    int labelSize;  // a label that fits: 9, 24 and 15 points
};
const Size kSizes[] = {{48, 48, 24}, {128, 128, 24}, {200, 50, 10}};

TEST_P(OutlineGrid, EveryPlacementMatchesThePassByPassDrawing) {
    const auto [sizeIndex, outlineWidth] = GetParam();
    const Size size = kSizes[sizeIndex];
    std::vector<Case> cases;
    for (int h = 0; h < 3; ++h) {
        for (int v = 0; v < 3; ++v) {
            cases.push_back(Case{size.width, size.height, size.labelSize, outlineWidth, true, h, v,
                                 kLooks[(h + v + outlineWidth) % 3]});
        }
    }
    ExpectAll(cases);
}

INSTANTIATE_TEST_SUITE_P(SizesAndWidths, OutlineGrid,
                         ::testing::Combine(::testing::Values(0, 1, 2),
                                            ::testing::Values(0, 1, 3, 10)),
                         [](const auto& info) {
                             const Size s = kSizes[std::get<0>(info.param)];
                             return std::to_string(s.width) + "x" + std::to_string(s.height) +
                                    "_w" + std::to_string(std::get<1>(info.param));
                         });

TEST_F(OutlineEquality, LabelsLargerThanTheImageMatchWhereShiftsBringHiddenPartsIn) {
    // The label hangs over the image's edges (GDI+ does not clip it to the layout box), so
    // outline passes shift parts from outside the image into it.
    const Look veiled = kLooks[0], clear = kLooks[1], opaque = kLooks[2];
    ExpectAll({
        {48, 48, 60, 3, true, 0, 0, veiled},
        {48, 48, 60, 10, true, 2, 2, clear},
        {48, 48, 90, 3, true, 1, 1, opaque},
        {200, 50, 24, 3, true, 1, 1, veiled},
        {200, 50, 40, 10, true, 2, 1, clear},
        {128, 128, 60, 1, true, 1, 1, opaque},
    });
}

TEST_F(OutlineEquality, OutlineOffOrNegativeAndOutOfRangePlacementsMatch) {
    const Look veiled = kLooks[0], opaque = kLooks[2];
    ExpectAll({
        {128, 128, 24, 3, false, 1, 2, veiled},
        {128, 128, 24, -1, true, 1, 2, opaque},
        {128, 128, 24, 2, true, 3, -1, veiled},
        {48, 48, 24, 1, true, -5, 7, opaque},
        {100, 100, 10, 2, true, 1, 1, veiled},
    });
}

TEST_F(OutlineEquality, ImagesOnEitherSideOfFourThousandPixelsSquareMatch) {
    // Around the size past which the plug-in draws the outline pass by pass to save memory.
    const Look veiled = kLooks[0], clear = kLooks[1];
    ExpectAll({
        {4000, 4000, 4, 1, true, 1, 2, veiled},
        {4100, 4100, 4, 1, true, 2, 1, clear},
    });
}

// The 8-bit blend the outline is put together with is the one GDI+ uses for anti-aliased text
// in a 32bpp ARGB bitmap: coloured text over random pixels equals the blend of the colour
// through the alpha of the same text drawn white on nothing.
TEST(GdiplusBlend, TextOverAnyPixelsIsBlendOverOfTheColourThroughTheCoverage) {
    GdiplusSession session;
    std::mt19937 random(1234);
    const int width = 96, height = 48;
    long partial = 0;
    for (int round = 0; round < 24; ++round) {
        const float size = float(5 + round % 8 * 3);
        const float dx = float(random() % 200) / 10.0f - 5, dy = float(random() % 200) / 10.0f - 5;
        const auto draw = [&](Gdiplus::GpBitmap* bitmap, std::uint32_t argb) {
            ScopedGraphics graphics;
            GdipGetImageGraphicsContext(bitmap, graphics.out());
            ScopedFontFamily family;
            GdipCreateFontFamilyFromName(L"Arial", nullptr, family.out());
            ScopedFont font;
            GdipCreateFont(family.get(), size, Gdiplus::FontStyleBold, Gdiplus::UnitPoint,
                           font.out());
            ScopedBrush brush;
            GdipCreateSolidFill(argb, reinterpret_cast<Gdiplus::GpSolidFill**>(brush.out()));
            GdipSetTextRenderingHint(graphics.get(), Gdiplus::TextRenderingHintAntiAlias);
            GdipTranslateWorldTransform(graphics.get(), dx, dy, Gdiplus::MatrixOrderPrepend);
            const Gdiplus::RectF box(0, 0, float(width), float(height));
            GdipDrawString(graphics.get(), L"Wg 75%", 6, font.get(), &box, nullptr,
                           static_cast<Gdiplus::GpSolidFill*>(brush.get()));
        };
        const HostBitmap layer =
            BitmapFromPixels({width, height, std::vector<std::uint32_t>(width * height)});
        draw(layer.get(), 0xFFFFFFFF);
        const Pixels coverage = ReadPixels(layer.get());

        std::vector<std::uint32_t> under(std::size_t(width) * height);
        for (auto& p : under) {
            p = std::uint32_t(random());
            if (random() % 4 == 0) p &= 0x00FFFFFF;
            if (random() % 4 == 0) p |= 0xFF000000;
        }
        const HostBitmap target = BitmapFromPixels({width, height, under});
        const std::uint32_t color = 0xFF000000 | std::uint32_t(random());
        draw(target.get(), color);
        const Pixels drawn = ReadPixels(target.get());

        for (std::size_t i = 0; i < under.size(); ++i) {
            const std::uint32_t a = coverage.argb[i] >> 24;
            partial += a != 0 && a != 255;
            ASSERT_EQ(drawn.argb[i], BlendOver(under[i], (a << 24) | (color & 0xFFFFFF)))
                << "round " << round << ", pixel " << i << std::hex << ", under " << under[i]
                << ", coverage " << a;
        }
    }
    EXPECT_GT(partial, 1000) << "too few anti-aliased pixels to tell";
}

}  // namespace
}  // namespace refhost
