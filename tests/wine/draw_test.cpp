// The docklet image as the host receives it: size, icon, label colour, outline and placement,
// read back pixel by pixel from the bitmaps the draw handler hands over.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "png_writer.h"
#include "wine_test_support.h"

namespace refhost {
namespace {

using namespace Gdiplus::DllExports;

constexpr std::uint32_t kClear = 0x00000000;
constexpr std::uint32_t kOpaqueRed = 0xFFFF0000;
constexpr std::uint32_t kOpaqueGreen = 0xFF00C000;

int Alpha(std::uint32_t p) {
    return int(p >> 24);
}
int Red(std::uint32_t p) {
    return int((p >> 16) & 0xFF);
}
int Green(std::uint32_t p) {
    return int((p >> 8) & 0xFF);
}
int Blue(std::uint32_t p) {
    return int(p & 0xFF);
}

bool NearlyOpaqueRed(std::uint32_t p) {
    return Alpha(p) == 0xFF && Red(p) >= 0xF0 && Green(p) <= 0x10 && Blue(p) <= 0x10;
}
bool Bluish(std::uint32_t p) {
    return Alpha(p) > 0 && Blue(p) >= 0x80 && Red(p) < 0x40;
}
bool Inked(std::uint32_t p) {
    return Alpha(p) != 0;
}

// Smallest rectangle holding every pixel that passes the test; right and bottom exclusive.
struct Box {
    int left = 0, top = 0, right = 0, bottom = 0;
    bool empty() const { return right <= left; }
    int width() const { return right - left; }
    int height() const { return bottom - top; }
    double centreX() const { return (left + right) / 2.0; }
    double centreY() const { return (top + bottom) / 2.0; }
};

Box BoxOf(const Pixels& image, const std::function<bool(int, int)>& hit) {
    Box box{image.width, image.height, 0, 0};
    for (int y = 0; y < image.height; ++y)
        for (int x = 0; x < image.width; ++x)
            if (hit(x, y)) {
                box.left = std::min(box.left, x);
                box.top = std::min(box.top, y);
                box.right = std::max(box.right, x + 1);
                box.bottom = std::max(box.bottom, y + 1);
            }
    return box;
}

Box BoxWhere(const Pixels& image, bool (*test)(std::uint32_t)) {
    return BoxOf(image, [&](int x, int y) { return test(image.at(x, y)); });
}

Box DifferenceBox(const Pixels& a, const Pixels& b) {
    return BoxOf(a, [&](int x, int y) { return a.at(x, y) != b.at(x, y); });
}

int CountWhere(const Pixels& image, bool (*test)(std::uint32_t)) {
    return int(std::count_if(image.argb.begin(), image.argb.end(), test));
}

std::string Utf8(const std::filesystem::path& path) {
    return ToUtf8(path.wstring());
}

class DrawTest : public PluginTest {
  protected:
    void SetUp() override {
        PluginTest::SetUp();
        wchar_t temp[MAX_PATH];
        GetTempPathW(MAX_PATH, temp);
        const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
        pictures_ = std::filesystem::path(temp) / L"spacegauge-draw";
        folder_ = pictures_ / FromUtf8(test->name());
        std::filesystem::remove_all(folder_);
        std::filesystem::create_directories(folder_);
        clearIcon_ = WriteIcon("clear.png", 8, 8, [](int, int) { return kClear; });
    }
    void TearDown() override {
        PluginTest::TearDown();
        std::error_code ignored;
        std::filesystem::remove_all(folder_, ignored);
    }

    // A real PNG file of w x h pixels coloured by `colour(x, y)` (ARGB); returns its path.
    std::string WriteIcon(const std::string& name, int w, int h,
                          const std::function<std::uint32_t(int, int)>& colour) {
        Pixels pixels{w, h, std::vector<std::uint32_t>(std::size_t(w) * h)};
        for (int y = 0; y < h; ++y) {
            for (int x = 0; x < w; ++x) pixels.argb[std::size_t(y) * w + x] = colour(x, y);
        }
        const HostBitmap bitmap = BitmapFromPixels(pixels);
        const auto path = folder_ / FromUtf8(name);
        EXPECT_TRUE(bitmap && SavePng(bitmap.get(), path.wstring())) << name;
        return Utf8(path);
    }

    // Writes the instance's section with `keys` (one "Key=value" per line) and draws it.
    Pixels DrawWith(const std::vector<std::string>& keys, HostRect rect = {0, 0, 128, 128}) {
        WriteSection(keys);
        return DrawRect(rect);
    }

    void WriteSection(const std::vector<std::string>& keys) {
        std::string text = "[Spacegauge1]\r\n";
        for (const std::string& line : keys) text += line + "\r\n";
        WriteSettings(text);
    }

    Pixels DrawRect(HostRect rect) {
        host().SetInstance(1, 1, rect);
        HandlerResult result;
        HostBitmap bitmap = host().Draw(1, &result);
        EXPECT_TRUE(result.ok());
        if (!bitmap) {
            ADD_FAILURE() << "no bitmap handed over";
            return {};
        }
        return ReadPixels(bitmap.get());
    }

    // A red "MM" over a transparent icon, outline off, at the top left; `more` overrides or adds.
    std::vector<std::string> RedLabel(std::vector<std::string> more = {}) {
        std::vector<std::string> keys = {"IconSource=" + clearIcon_,
                                         "LabelText=MM",
                                         "LabelSize=10",
                                         "LabelColor=$000000FF",
                                         "DrawOutline=0",
                                         "HorizontalPos=0",
                                         "VerticalPos=0",
                                         "DockletCaption=Test"};
        for (const std::string& line : more) {
            const std::string key = line.substr(0, line.find('=') + 1);
            auto same = std::find_if(keys.begin(), keys.end(),
                                     [&](const std::string& k) { return k.starts_with(key); });
            if (same != keys.end())
                *same = line;
            else
                keys.push_back(line);
        }
        return keys;
    }

    std::filesystem::path pictures_;  // kept after the run, for a look at what was drawn
    std::filesystem::path folder_;    // this test's icons, removed afterwards
    std::string clearIcon_;
};

TEST_F(DrawTest, BitmapHasTheRectanglesSizeInArgbAndStaysTransparentUnderClearIconParts) {
    InitAndCreate();
    // Left half opaque green, right half fully transparent; shrunk on both axes, so no edge
    // fades through interpolation.
    const std::string icon =
        WriteIcon("half.png", 80, 160, [](int x, int) { return x < 40 ? kOpaqueGreen : kClear; });
    WriteSettings("[Spacegauge1]\r\nIconSource=" + icon + "\r\nLabelText=\r\n");
    host().SetInstance(1, 1, {10, 20, 47, 93});
    HandlerResult result;
    HostBitmap bitmap = host().Draw(1, &result);
    EXPECT_TRUE(result.ok());
    ASSERT_TRUE(bitmap);
    Gdiplus::PixelFormat format = 0;
    GdipGetImagePixelFormat(bitmap.get(), &format);
    EXPECT_EQ(format, PixelFormat32bppARGB);
    const Pixels image = ReadPixels(bitmap.get());
    ASSERT_EQ(image.width, 37);
    ASSERT_EQ(image.height, 73);
    // Away from the seam at 18.5, where interpolation blends the halves.
    for (int y = 0; y < image.height; ++y) {
        for (int x = 0; x < 16; ++x) ASSERT_EQ(image.at(x, y), kOpaqueGreen) << x << "," << y;
        for (int x = 21; x < image.width; ++x) ASSERT_EQ(Alpha(image.at(x, y)), 0) << x << "," << y;
    }
}

TEST_F(DrawTest, SolidIconCoversTheWholeWideRectangle) {
    InitAndCreate();
    // Square, so drawn at its own size or with its proportions it would leave the right free.
    const std::string icon =
        WriteIcon("solid.png", 100, 100, [](int, int) { return kOpaqueGreen; });
    const Pixels image = DrawWith({"IconSource=" + icon, "LabelText="}, {0, 0, 200, 50});
    ASSERT_EQ(image.width, 200);
    ASSERT_EQ(image.height, 50);
    EXPECT_EQ(image.at(100, 25), kOpaqueGreen);
    // Enlarging interpolates the last column towards the outside: it keeps the colour but is
    // only partly opaque.
    const int corners[][2] = {{0, 0}, {199, 0}, {0, 49}, {199, 49}};
    for (const auto& c : corners) {
        const std::uint32_t p = image.at(c[0], c[1]);
        EXPECT_EQ(p & 0x00FFFFFF, kOpaqueGreen & 0x00FFFFFF) << c[0] << "," << c[1];
        EXPECT_GE(Alpha(p), 0x7F) << c[0] << "," << c[1];
    }
}

TEST_F(DrawTest, IconIsStretchedWithoutKeepingItsProportions) {
    InitAndCreate();
    const std::uint32_t quadrant[2][2] = {{0xFFFF0000, 0xFF00FF00}, {0xFF0000FF, 0xFFFFFF00}};
    const std::string icon = WriteIcon("quadrants.png", 100, 100,
                                       [&](int x, int y) { return quadrant[y / 50][x / 50]; });
    const Pixels image = DrawWith({"IconSource=" + icon, "LabelText="}, {0, 0, 200, 50});
    // Each quadrant of the icon fills the matching quarter of the 200 x 50 image.
    for (int row = 0; row < 2; ++row)
        for (int column = 0; column < 2; ++column)
            for (const int x : {column * 100 + 3, column * 100 + 50, column * 100 + 96})
                for (const int y : {row * 25 + 2, row * 25 + 12, row * 25 + 22})
                    EXPECT_EQ(image.at(x, y), quadrant[row][column]) << x << "," << y;
}

TEST_F(DrawTest, LabelIsDrawnInTheStoredColourWithoutOutlineWhenItIsOff) {
    InitAndCreate();
    const Pixels image = DrawWith(RedLabel(
        {"LabelText=MMMM", "OutlineColor=$00FF0000", "OutlineWidth=3", "HorizontalPos=1"}));
    EXPECT_GT(CountWhere(image, NearlyOpaqueRed), 20);
    EXPECT_EQ(CountWhere(image, Bluish), 0);
    // Anti-aliased edges keep the colour and vary only the alpha.
    for (const std::uint32_t p : image.argb)
        if (Inked(p)) ASSERT_EQ(p & 0x00FFFFFF, 0x00FF0000u) << std::hex << p;
}

TEST_F(DrawTest, TopByteOfTheStoredColourIsIgnored) {
    InitAndCreate();
    const Pixels stored = DrawWith(RedLabel({"LabelText=MMMM"}));
    const Pixels withTopByte = DrawWith(RedLabel({"LabelText=MMMM", "LabelColor=$120000FF"}));
    EXPECT_GT(CountWhere(withTopByte, NearlyOpaqueRed), 20);
    EXPECT_TRUE(withTopByte.argb == stored.argb);
}

TEST_F(DrawTest, OutlineSurroundsTheLabelInTheOutlineColour) {
    InitAndCreate();
    const Pixels image =
        DrawWith(RedLabel({"LabelText=MMMM", "DrawOutline=1", "OutlineWidth=3",
                           "OutlineColor=$00FF0000", "HorizontalPos=1", "VerticalPos=1"}));
    EXPECT_GT(CountWhere(image, [](std::uint32_t p) { return p == 0xFF0000FF; }), 20);
    EXPECT_GT(CountWhere(image, NearlyOpaqueRed), 20) << "the label stays on top";
    const Box red = BoxWhere(image, NearlyOpaqueRed);
    const Box blue = BoxWhere(image, Bluish);
    ASSERT_FALSE(red.empty());
    ASSERT_FALSE(blue.empty());
    EXPECT_LE(blue.left, red.left - 2);
    EXPECT_LE(blue.top, red.top - 2);
    EXPECT_GE(blue.right, red.right + 2);
    EXPECT_GE(blue.bottom, red.bottom + 2);
    // And no further than the outline reaches, give or take anti-aliasing.
    EXPECT_GE(blue.left, red.left - 5);
    EXPECT_LE(blue.right, red.right + 5);
}

TEST_F(DrawTest, LabelIsPlacedByHorizontalAndVerticalPosition) {
    InitAndCreate();
    constexpr int kSize = 128;
    constexpr double kEdge = 6;    // GDI+ pads the measured box around the glyphs
    constexpr double kCentre = 3;  // the line's descent space shifts the glyphs a little
    auto expectPlaced = [&](int position, int low, int high, double centre, const char* axis) {
        SCOPED_TRACE(axis);
        switch (position) {
            case 0:
                EXPECT_LE(low, kEdge);
                break;
            case 1:
                EXPECT_NEAR(centre, kSize / 2.0, kCentre);
                break;
            case 2:
                EXPECT_GE(high, kSize - kEdge);
                break;
        }
    };
    for (int h = 0; h <= 2; ++h) {
        for (int v = 0; v <= 2; ++v) {
            SCOPED_TRACE("HorizontalPos=" + std::to_string(h) +
                         " VerticalPos=" + std::to_string(v));
            const Pixels image = DrawWith(RedLabel(
                {"HorizontalPos=" + std::to_string(h), "VerticalPos=" + std::to_string(v)}));
            const Box ink = BoxWhere(image, Inked);
            ASSERT_FALSE(ink.empty());
            EXPECT_LT(ink.width(), kSize / 3) << "two letters, not a stretched label";
            expectPlaced(h, ink.left, ink.right, ink.centreX(), "horizontal");
            expectPlaced(v, ink.top, ink.bottom, ink.centreY(), "vertical");
        }
    }
}

TEST_F(DrawTest, PositionsOutsideTheRangePlaceTheLabelAtTheTopLeft) {
    InitAndCreate();
    const Pixels topLeft = DrawWith(RedLabel());
    const char* cases[][2] = {{"3", "3"}, {"-1", "-1"}, {"3", "-1"}, {"-1", "3"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string("HorizontalPos=") + c[0] + " VerticalPos=" + c[1]);
        const Pixels image = DrawWith(
            RedLabel({std::string("HorizontalPos=") + c[0], std::string("VerticalPos=") + c[1]}));
        EXPECT_TRUE(image.argb == topLeft.argb);
    }
}

TEST_F(DrawTest, FontSizeFollowsTheWidth) {
    InitAndCreate();
    // Same height: only the width differs.
    const Box narrow = BoxWhere(DrawWith(RedLabel(), {0, 0, 128, 64}), Inked);
    const Box wide = BoxWhere(DrawWith(RedLabel(), {0, 0, 256, 64}), Inked);
    ASSERT_FALSE(narrow.empty());
    ASSERT_FALSE(wide.empty());
    EXPECT_NEAR(double(wide.height()) / narrow.height(), 2.0, 0.3);
    EXPECT_NEAR(double(wide.width()) / narrow.width(), 2.0, 0.3);
}

TEST_F(DrawTest, MissingIconFallsBackToTheDefaultIconWithoutTouchingTheFile) {
    InitAndCreate();
    const std::vector<std::string> common = {"LabelText=Icon", "DockletCaption=Test"};
    auto with = [&](const std::string& iconSource) {
        std::vector<std::string> keys = common;
        keys.push_back("IconSource=" + iconSource);
        return keys;
    };
    const Pixels reference = DrawWith(with(DefaultIconPath()));
    EXPECT_GT(CountWhere(reference, [](std::uint32_t p) { return Alpha(p) == 0xFF; }), 1000)
        << "the default icon shows";

    const std::string missing[] = {Utf8(folder_ / L"nothing-here.png"), Utf8(folder_)};
    for (const std::string& source : missing) {
        SCOPED_TRACE(source);
        WriteSection(with(source));
        const std::string before = ReadSettings();
        const Pixels drawn = DrawRect({0, 0, 128, 128});
        EXPECT_TRUE(drawn.argb == reference.argb);
        EXPECT_EQ(ReadSettings(), before);
    }
}

TEST_F(DrawTest, UndecodableIconDrawsNoIconButStillTheLabel) {
    InitAndCreate();
    const auto path = folder_ / L"text.png";
    WriteFile(Utf8(path), "this is not a picture\r\n");
    const Pixels clear = DrawWith(RedLabel());
    const Pixels image = DrawWith(RedLabel({"IconSource=" + Utf8(path)}));
    EXPECT_GT(CountWhere(image, NearlyOpaqueRed), 20);
    EXPECT_TRUE(image.argb == clear.argb) << "neither the file nor the default icon is drawn";
}

TEST_F(DrawTest, EmptyLabelDrawsNothing) {
    InitAndCreate();
    const Pixels image =
        DrawWith(RedLabel({"LabelText=", "DrawOutline=1", "OutlineWidth=2", "HorizontalPos=1"}));
    EXPECT_EQ(CountWhere(image, Inked), 0);
}

TEST_F(DrawTest, CaptionReachesTheHostAndAnEmptyOneAsNull) {
    InitAndCreate();
    DrawWith(RedLabel({"DockletCaption=Space left"}));
    ServiceCall caption = host().CallsOf("HostSetCaption").back();
    EXPECT_FALSE(caption.nullText);
    EXPECT_EQ(caption.text, "Space left");

    DrawWith(RedLabel({"DockletCaption="}));
    caption = host().CallsOf("HostSetCaption").back();
    EXPECT_TRUE(caption.nullText);
    EXPECT_EQ(caption.id, 1u);
}

TEST_F(DrawTest, DefaultDockletShowsTheIconAndAnOutlinedLabelCentredAtTheBottom) {
    InitAndCreate();
    HostBitmap bitmap = host().Draw(1);
    ASSERT_TRUE(bitmap);
    const Pixels image = ReadPixels(bitmap.get());
    ASSERT_EQ(image.width, 128);
    ASSERT_EQ(image.height, 128);
    EXPECT_TRUE(SavePng(bitmap.get(), (pictures_ / L"default-docklet.png").wstring()));

    // The same docklet without its label shows where the label went.
    WriteSettings("[Spacegauge1]\r\nLabelText=\r\n");
    const Pixels iconOnly = DrawRect({0, 0, 128, 128});
    EXPECT_GT(CountWhere(iconOnly, [](std::uint32_t p) { return Alpha(p) == 0xFF; }), 1000);
    const Box label = DifferenceBox(image, iconOnly);
    ASSERT_FALSE(label.empty());
    EXPECT_NEAR(label.centreX(), 64, 3);
    EXPECT_GE(label.bottom, 128 - 10);
    EXPECT_GT(label.width(), 40) << "\"C: NN%\" at 24 points";
    EXPECT_LT(label.width(), 124);
    // White letters inside the outline colour $00A6671A (stored BGR).
    int white = 0, outline = 0;
    for (int y = label.top; y < label.bottom; ++y)
        for (int x = label.left; x < label.right; ++x) {
            white += image.at(x, y) == 0xFFFFFFFF;
            outline += image.at(x, y) == 0xFF1A67A6;
        }
    EXPECT_GT(white, 30);
    EXPECT_GT(outline, 30);
    EXPECT_EQ(host().Caption(1).rfind(L"Drive: C -  Free: ", 0), 0u);
}

TEST_F(DrawTest, NoBitmapForAnEmptyRectangleLeavesTheVariableNull) {
    InitAndCreate();
    const HostRect rects[] = {{0, 0, 0, 128}, {50, 0, 10, 128}, {0, 0, 128, 0}, {0, 60, 128, 20}};
    for (const HostRect& rect : rects) {
        SCOPED_TRACE(std::to_string(rect.left) + "," + std::to_string(rect.top) + "," +
                     std::to_string(rect.right) + "," + std::to_string(rect.bottom));
        host().SetInstance(1, 1, rect);
        HandlerResult result;
        // Held on the heap: were the garbage left in the variable, disposing of it would crash.
        auto bitmap = std::make_unique<HostBitmap>(
            host().Draw(1, &result, reinterpret_cast<void*>(std::uintptr_t(0x1234))));
        EXPECT_TRUE(result.ok());
        EXPECT_EQ(bitmap->get(), nullptr);
        if (bitmap->get()) (void)bitmap.release();
    }
    const Pixels dot = DrawRect({5, 5, 6, 6});
    EXPECT_EQ(dot.width, 1);
    EXPECT_EQ(dot.height, 1);
}

TEST_F(DrawTest, OneDrawReadsTheSettingsThenSetsTheCaptionThenAsksForTheRectangle) {
    InitAndCreate(4, 2);
    host().ClearCalls();
    HandlerResult result;
    HostBitmap bitmap = host().Draw(4, &result);
    EXPECT_TRUE(result.ok());
    std::vector<std::string> order;
    for (const ServiceCall& call : host().Calls()) {
        if (!call.onHostThread) continue;  // the refresh thread may ask for a redraw meanwhile
        order.push_back(call.service);
        EXPECT_EQ(call.id, 4u) << call.service;
        EXPECT_TRUE(call.contextOk) << call.service;
    }
    std::vector<std::string> expected(13, "HostGetInstanceIndex");
    expected.push_back("HostSetCaption");
    expected.push_back("HostGetRect");
    EXPECT_EQ(order, expected);
}

}  // namespace
}  // namespace refhost
