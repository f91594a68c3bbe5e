// Reading one instance's section of settings.ini, seen as a dock user sees it: through the
// caption and the image that a draw produces, the program a click opens, and the error boxes.
#include <gtest/gtest.h>

#include <cctype>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <initializer_list>
#include <string>
#include <vector>

#include "label/disk_query.h"
#include "label/expand_label.h"
#include "png_writer.h"
#include "wine_test_support.h"

namespace refhost {
namespace {

constexpr char kDefaultCaption[] = "Drive: C -  Free: $rgb.gb - Total: $tgb.gb";
constexpr char kReaderCaption[] = "TilvaneSrc.Q_ReadSettings";
constexpr std::uint32_t kOpaqueRed = 0xFFFF0000;

class SettingsStoreTest : public PluginTest {
  protected:
    void SetUp() override {
        // Wine starts its desktop process at the first window call. When the box watcher's
        // thread and the loading of the plug-in make that call at once, two desktop processes
        // race and the loading thread can hang for good: one call here comes first.
        GetDesktopWindow();
        PluginTest::SetUp();
    }

    void TearDown() override {
        PluginTest::TearDown();
        for (const std::string& path : cleanup_) DeleteFileA(path.c_str());
    }

    // The settings file, one line per entry, with the CRLF line ends the profile functions use.
    void WriteIni(std::initializer_list<std::string> lines) {
        std::string text;
        for (const std::string& line : lines) text += line + "\r\n";
        WriteSettings(text);
    }

    // Draws instance `id` and returns the caption the host was given.
    std::string DrawnCaption(InstanceId id = 1) {
        host().Draw(id);
        return ToUtf8(host().Caption(id));
    }

    // The pixel near the top centre of a drawn image, clear of the label.
    std::uint32_t IconPixel(InstanceId id = 1) {
        HostBitmap bitmap = host().Draw(id);
        if (!bitmap) return 0;
        const Pixels pixels = ReadPixels(bitmap.get());
        return pixels.at(pixels.width / 2, pixels.height / 4);
    }

    // An 8 x 8 PNG of one colour in the temporary folder; removed after the test.
    std::string SolidPng(const char* name, std::uint32_t argb) {
        char folder[MAX_PATH];
        GetTempPathA(MAX_PATH, folder);
        const std::string path = std::string(folder) + name;
        Gdiplus::GpBitmap* bitmap = nullptr;
        Gdiplus::DllExports::GdipCreateBitmapFromScan0(8, 8, 0, PixelFormat32bppARGB, nullptr,
                                                       &bitmap);
        for (int y = 0; y < 8; ++y)
            for (int x = 0; x < 8; ++x) Gdiplus::DllExports::GdipBitmapSetPixel(bitmap, x, y, argb);
        const bool saved = SavePng(bitmap, FromUtf8(path));
        Gdiplus::DllExports::GdipDisposeImage(bitmap);
        EXPECT_TRUE(saved) << path;
        cleanup_.push_back(path);
        return path;
    }

    void RemoveAfterTest(const std::string& path) { cleanup_.push_back(path); }

  private:
    std::vector<std::string> cleanup_;
};

TEST_F(SettingsStoreTest, WithoutAFileEveryKeyTakesItsDefaultAndNothingIsWritten) {
    InitAndCreate();
    const std::string before = spacegauge::ExpandLabel(kDefaultCaption, 'c');
    const std::string caption = DrawnCaption();
    const std::string after = spacegauge::ExpandLabel(kDefaultCaption, 'c');
    // Free space on C: may move between the queries; the caption must match one of them.
    EXPECT_TRUE(caption == before || caption == after) << caption;
    EXPECT_EQ(caption.rfind("Drive: C -  Free: ", 0), 0u) << caption;
    EXPECT_TRUE(boxes().Boxes().empty());
    EXPECT_TRUE(host().Finalize().ok());
    EXPECT_FALSE(FileExists(SettingsPath())) << "reading must never create the file";
}

TEST_F(SettingsStoreTest, EveryKeyAsksTheHostForTheIndexBeforeTheCaptionIsSet) {
    InitAndCreate(5, 4);
    host().ClearCalls();
    host().Draw(5);
    std::vector<std::string> order;
    for (const ServiceCall& c : host().Calls()) {
        if (c.service != "HostGetInstanceIndex" && c.service != "HostSetCaption") continue;
        order.push_back(c.service);
        EXPECT_EQ(c.id, 5u) << c.service;
        EXPECT_TRUE(c.onHostThread) << c.service;
    }
    std::vector<std::string> expected(13, "HostGetInstanceIndex");
    expected.push_back("HostSetCaption");
    EXPECT_EQ(order, expected);
}

TEST_F(SettingsStoreTest, NegativeIndexReadsItsOwnSection) {
    WriteIni({"[Spacegauge1]", "DockletCaption=Index one", "[Spacegauge-1]",
              "DockletCaption=Index minus one"});
    InitAndCreate(1, -1);
    EXPECT_EQ(DrawnCaption(), "Index minus one");
}

TEST_F(SettingsStoreTest, EachInstanceReadsOnlyItsOwnSection) {
    WriteIni({"[Spacegauge1]", "DockletCaption=First", "[Spacegauge2]", "DockletCaption=Second",
              "[Spacegauge3]", "LabelSize=abc", "DockletCaption=Third"});
    ASSERT_TRUE(host().Initialize().ok());
    host().SetInstance(1, 1);
    host().SetInstance(2, 2);
    ASSERT_TRUE(host().Create(1).ok());
    ASSERT_TRUE(host().Create(2).ok());
    EXPECT_EQ(DrawnCaption(1), "First");
    EXPECT_EQ(DrawnCaption(2), "Second");
    EXPECT_EQ(DrawnCaption(1), "First");
    EXPECT_TRUE(boxes().Boxes().empty()) << "the bad value of a third section must not be read";
}

TEST_F(SettingsStoreTest, IconKeyIsFoundWhateverTheCaseOfItsLetters) {
    const std::string red = SolidPng("spacegauge_store_red.png", kOpaqueRed);
    InitAndCreate();
    WriteIni({"[Spacegauge1]", "LabelText="});
    const std::uint32_t defaultIcon = IconPixel();
    ASSERT_NE(defaultIcon, kOpaqueRed);

    for (const char* key : {"iconsource", "ICONSOURCE", "IconSource", "Iconsource"}) {
        SCOPED_TRACE(key);
        WriteIni({"[Spacegauge1]", std::string(key) + "=" + red, "LabelText="});
        EXPECT_EQ(IconPixel(), kOpaqueRed);
    }
    // A missing file falls back to the default icon.
    WriteIni({"[Spacegauge1]", "IconSource=" + PluginFolderA() + "no_such_icon.png", "LabelText="});
    EXPECT_EQ(IconPixel(), defaultIcon);
    EXPECT_TRUE(boxes().Boxes().empty());
}

TEST_F(SettingsStoreTest, TextValuesLoseMatchingQuotesOnly) {
    InitAndCreate();
    const struct {
        const char* value;
        const char* read;
    } cases[] = {
        {"\"quoted text\"", "quoted text"},
        {"'single quoted'", "single quoted"},
        {"\"unmatched", "\"unmatched"},
        {"'mixed\"", "'mixed\""},
        {"inner \"quotes\" stay", "inner \"quotes\" stay"},
    };
    for (const auto& c : cases) {
        WriteIni({"[Spacegauge1]", std::string("DockletCaption=") + c.value});
        EXPECT_EQ(DrawnCaption(), c.read) << c.value;
    }
}

TEST_F(SettingsStoreTest, LongValueIsCutToItsFirst2047Characters) {
    std::string value;
    while (value.size() < 3000) value += "0123456789abcdefghijklmnopqrstuvwxyz";
    value.resize(3000);
    WriteIni({"[Spacegauge1]", "DockletCaption=" + value});
    InitAndCreate();
    EXPECT_EQ(DrawnCaption(), value.substr(0, 2047));
}

TEST_F(SettingsStoreTest, DoubleExclamationMarksInTheCommandBecomeQuotes) {
    const std::string recorder = ToUtf8(ReferenceHost::HostFolder()) + "click_recorder.exe";
    const std::string log = ToUtf8(ReferenceHost::HostFolder()) + "click_recorder.log";
    DeleteFileA(log.c_str());
    RemoveAfterTest(log);
    WriteIni({"[Spacegauge1]", "Command=!!" + recorder + "!! \"a b\" c"});
    InitAndCreate();
    ASSERT_TRUE(host().Click(0).ok());

    std::vector<std::string> args;
    for (int waited = 0; waited < 10000; waited += 100) {
        std::ifstream in(log);
        std::string line;
        bool sawCommandLine = false;
        args.clear();
        while (std::getline(in, line)) {
            if (line.rfind("cmdline=", 0) == 0) sawCommandLine = true;
            if (line.rfind("arg=", 0) == 0) args.push_back(line.substr(4));
        }
        if (sawCommandLine && args.size() >= 2) break;
        Sleep(100);
    }
    EXPECT_EQ(args, (std::vector<std::string>{"a b", "c"}));
    EXPECT_TRUE(boxes().Boxes().empty());
}

// Each bad value stops the reader at its key; DockletCaption, read last, keeps what it had.
TEST_F(SettingsStoreTest, BadValueShowsOneBoxPerReadAndLeavesTheLaterKeysAlone) {
    const struct {
        const char* line;
        const char* message;
    } cases[] = {
        {"LabelColor=red", "'red' is not a valid integer value"},
        {"LabelSize=abc", "'abc' is not a valid integer value"},
        {"LabelSize=", "'' is not a valid integer value"},
        {"LabelSize=2147483648", "'2147483648' is not a valid integer value"},
        {"Drive=", "'' is not a valid drive letter"},
        {"Update=60 s", "'60 s' is not a valid integer value"},
        {"Update=12abc", "'12abc' is not a valid integer value"},
        {"OutlineColor=clNoSuchColour", "'clNoSuchColour' is not a valid integer value"},
        {"OutlineColor=$1FFFFFFFF", "'$1FFFFFFFF' is not a valid integer value"},
    };
    InitAndCreate();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line);
        WriteIni({"[Spacegauge1]", "DockletCaption=Before"});
        ASSERT_EQ(DrawnCaption(), "Before");
        ASSERT_TRUE(boxes().Boxes().empty());

        WriteIni({"[Spacegauge1]", c.line, "DockletCaption=After"});
        EXPECT_EQ(DrawnCaption(), "Before");
        ASSERT_TRUE(boxes().WaitFor(1, 5000));
        const auto seen = boxes().Boxes();
        ASSERT_EQ(seen.size(), 1u);
        EXPECT_EQ(seen[0].text, c.message);
        EXPECT_EQ(seen[0].caption, kReaderCaption);
        boxes().Clear();
    }
}

TEST_F(SettingsStoreTest, KeysBeforeABadValueTakeEffectAndTheBoxRepeatsUntilMended) {
    const std::string red = SolidPng("spacegauge_store_red.png", kOpaqueRed);
    WriteIni({"[Spacegauge1]", "IconSource=" + red, "LabelColor=clRed", "LabelSize=abc",
              "LabelText=", "DockletCaption=From the file"});
    InitAndCreate();
    ASSERT_TRUE(boxes().WaitFor(1, 5000));
    EXPECT_EQ(boxes().Boxes().size(), 1u) << "one box for the read of the creation";

    // The record starts out empty: the caption read after the bad key stays empty.
    EXPECT_EQ(IconPixel(), kOpaqueRed) << "IconSource is read before LabelSize";
    const auto captions = host().CallsOf("HostSetCaption");
    ASSERT_FALSE(captions.empty());
    EXPECT_TRUE(captions.back().nullText) << captions.back().text;
    ASSERT_TRUE(boxes().WaitFor(2, 5000));
    const auto seen = boxes().Boxes();
    ASSERT_EQ(seen.size(), 2u) << "one more box for the read of the draw";
    for (const SeenBox& box : seen) {
        EXPECT_EQ(box.text, "'abc' is not a valid integer value");
        EXPECT_EQ(box.caption, kReaderCaption);
    }

    WriteIni({"[Spacegauge1]", "IconSource=" + red, "LabelColor=clRed", "LabelSize=24",
              "LabelText=", "DockletCaption=From the file"});
    EXPECT_EQ(DrawnCaption(), "From the file");
    EXPECT_EQ(IconPixel(), kOpaqueRed);
    EXPECT_EQ(boxes().Boxes().size(), 2u) << "no box once the file is mended";
}

TEST_F(SettingsStoreTest, AcceptedAndLenientValuesNeverShowABox) {
    const char* const lines[] = {
        // Lenient keys fall back to their defaults in silence.
        "OutlineWidth=abc", "OutlineWidth=", "OutlineWidth=0x10",
        "HorizontalPos=", "HorizontalPos=left", "VerticalPos=9999999999", "DrawOutline=yes",
        "DrawOutline=",
        // Strict keys in every accepted form.
        "LabelColor=CLRED", "LabelColor=255", "LabelColor=clBtnFace", "OutlineColor=$00123456",
        "OutlineColor=-1", "LabelSize=$18", "LabelSize=x18", "LabelSize=-2147483648",
        "LabelSize=+7", "Update=0", "Update=-5", "Update=0X3c", "Update=$FFFFFFFF", "Drive=D:\\"};
    InitAndCreate();
    int n = 0;
    for (const char* line : lines) {
        const std::string caption = "Read " + std::to_string(++n);
        WriteIni({"[Spacegauge1]", line, "DockletCaption=" + caption});
        EXPECT_EQ(DrawnCaption(), caption) << line;
    }
    EXPECT_TRUE(boxes().Boxes().empty());
}

class SettingsStoreVolumeTest : public SettingsStoreTest {
  protected:
    void SetUp() override {
        const char* letter = std::getenv("SPACEGAUGE_TEST_VOLUME");
        if (!letter || !*letter) GTEST_SKIP() << "SPACEGAUGE_TEST_VOLUME is not set";
        letter_ = letter[0];
        SettingsStoreTest::SetUp();
        // 14 GB with 2.5 GB free; other tests may have left other figures on the volume.
        std::ofstream figures(std::string(1, letter_) + ":\\figures",
                              std::ios::binary | std::ios::trunc);
        figures << "15032385536 2684354560";
        figures.close();
        ASSERT_TRUE(figures) << "cannot set the figures of the test volume";
    }

    char letter_ = 0;
};

TEST_F(SettingsStoreVolumeTest, DriveIsTheFirstCharacterInEitherCase) {
    const std::string expected = std::string("14/2") + spacegauge::DecimalSeparator() + "5";
    const char lower = char(std::tolower(static_cast<unsigned char>(letter_)));
    const char upper = char(std::toupper(static_cast<unsigned char>(letter_)));
    InitAndCreate();
    for (const std::string drive :
         {std::string(1, upper), std::string(1, lower), std::string(1, upper) + ":\\"}) {
        WriteIni({"[Spacegauge1]", "Drive=" + drive, "DockletCaption=$tgb/$rgb."});
        EXPECT_EQ(DrawnCaption(), expected) << drive;
    }
    EXPECT_TRUE(boxes().Boxes().empty());
}

}  // namespace
}  // namespace refhost
