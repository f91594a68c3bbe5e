// A hostile host: floating-point exceptions unmasked from the moment it loads the library,
// settings at the edges of their ranges, rectangles no dock should report and garbage in
// every argument a host may fill as it likes. Whatever comes, each handler returns true and
// nothing faults.
#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <ostream>
#include <random>
#include <string>
#include <thread>

#include "wine_test_support.h"

namespace refhost {
namespace {

constexpr std::uint32_t kUnmaskedBits = 0x0080 | 0x0200 | 0x0400;  // invalid, zero-divide, overflow

std::string Section(const std::string& keys) {
    return "[Spacegauge1]\r\n" + keys;
}

class HardeningTest : public PluginTest {
  protected:
    void SetUp() override {
        PluginTest::SetUp();
        if (HasFatalFailure()) return;
        host().Unload();
        host().SetUnmaskedFloatingPoint(true);
        ASSERT_TRUE(host().Load());
    }

    void TearDown() override {
        if (host().initialized()) EXPECT_TRUE(host().Finalize().ok());
        host().Unload();
        ExpectNoFaults();
        PluginTest::TearDown();
    }

    void ExpectNoFaults() {
        for (const FloatingPointFault& f : host().FloatingPointFaults())
            ADD_FAILURE() << "floating-point exception 0x" << std::hex << f.code << " in "
                          << f.module << " during " << f.during;
    }
};

TEST_F(HardeningTest, ServicesSeeTheHostsUnmaskedExceptionsAndAFaultWouldBeCaught) {
    EXPECT_TRUE(host().FaultCheckCatchesDivision());
    InitAndCreate();
    HandlerResult result;
    HostBitmap bitmap = host().Draw(1, &result);
    EXPECT_TRUE(result.ok());
    const auto calls = host().Calls();
    ASSERT_FALSE(calls.empty());
    // The plug-in sets no floating-point mode of its own: the host's reaches every service.
    for (const ServiceCall& c : calls)
        if (c.onHostThread) EXPECT_EQ(c.mxcsr & kUnmaskedBits, 0u) << c.service;
}

TEST_F(HardeningTest, TheRefreshThreadComputesUnderTheLoadingThreadsSettings) {
    WriteSettings(Section("Update=1\r\nLabelText=first\r\n"));
    InitAndCreate();
    // A new label text, read at the next draw, is what the thread finds changed.
    WriteSettings(Section("Update=1\r\nLabelText=second\r\n"));
    host().Draw(1);
    for (int i = 0; i < 40 && host().CallsOf("HostRequestRedraw").empty(); ++i) host().Pump(100);
    const auto requests = host().CallsOf("HostRequestRedraw");
    ASSERT_FALSE(requests.empty()) << "no redraw request within 4 s";
    EXPECT_FALSE(requests[0].onHostThread);
    EXPECT_EQ(requests[0].mxcsr & kUnmaskedBits, 0u);
}

struct DrawCase {
    const char* name;
    const char* keys;  // the instance's section
    HostRect rect;
};

constexpr HostRect kIcon{0, 0, 128, 128};
constexpr std::int32_t kMin = INT32_MIN, kMax = INT32_MAX;

const DrawCase kDrawCases[] = {
    {"MissingDrive",
     "Drive=q\r\nLabelText=$rp. $up. $rp $up $tgb. $ugb. $rgb. $tgb $ugb $rgb\r\n"
     "DockletCaption=$rp. $up. $rp $up\r\n",
     kIcon},
    {"DriveThatIsNoLetter", "Drive=?\r\nLabelText=$rp. $up. $rp $up\r\n", kIcon},
    {"MissingDriveUpperCase", "Drive=Q\r\n", kIcon},
    {"LabelSizeHighest", "LabelSize=2147483647\r\n", kIcon},
    {"LabelSizeLowest", "LabelSize=-2147483648\r\n", kIcon},
    {"LabelSizeNegative", "LabelSize=-100\r\n", kIcon},
    {"LabelSizeZero", "LabelSize=0\r\n", kIcon},
    {"FontOfSixteenMillionPoints", "LabelSize=16777215\r\n", kIcon},
    {"FontOfSixteenMillionPointsOnItsEdge",
     "LabelSize=16777215\r\nHorizontalPos=2\r\n"
     "VerticalPos=1\r\nOutlineWidth=2\r\n",
     kIcon},
    {"OutlineWidthHuge", "OutlineWidth=1000000\r\n", kIcon},
    {"OutlineWidthHighest", "OutlineWidth=2147483647\r\n", {0, 0, 16, 16}},
    {"OutlineWidthNegative", "OutlineWidth=-100\r\n", kIcon},
    {"OutlineWidthLowest", "OutlineWidth=-2147483648\r\n", kIcon},
    {"PositionsHighest", "HorizontalPos=2147483647\r\nVerticalPos=2147483647\r\n", kIcon},
    {"PositionsLowest", "HorizontalPos=-2147483648\r\nVerticalPos=-2147483648\r\n", kIcon},
    {"PositionsNegative", "HorizontalPos=-1\r\nVerticalPos=-100\r\n", kIcon},
    {"ZeroRectangle", "", {0, 0, 0, 0}},
    {"ZeroWidth", "", {0, 0, 0, 128}},
    {"ZeroHeight", "", {0, 0, 128, 0}},
    {"NegativeRectangle", "", {100, 100, 0, 0}},
    {"NegativeWidthOnly", "", {128, 0, 0, 128}},
    {"OnePixel", "", {0, 0, 1, 1}},
    {"FarFromTheOrigin", "", {kMin, kMin, kMin + 128, kMin + 128}},
    {"WidthThatWraps", "", {kMin, 0, kMax, 16}},
    {"WidestPossible", "", {0, 0, kMax, 1}},
    {"TallestPossible", "", {0, 0, 1, kMax}},
    {"Huge", "OutlineWidth=0\r\n", {0, 0, 20000, 20000}},  // a label of 3750 points
    {"ZeroRectangleHugeLabel", "LabelSize=2147483647\r\nOutlineWidth=1000000\r\n", {0, 0, 0, 0}},
};

// Names the case in test lists instead of dumping its bytes.
void PrintTo(const DrawCase& c, std::ostream* out) {
    *out << c.name;
}

class HardeningDraw : public HardeningTest, public ::testing::WithParamInterface<DrawCase> {};

TEST_P(HardeningDraw, ReturnsTrueAndHandsOverABitmapOfTheRectangleOrNone) {
    const DrawCase& c = GetParam();
    WriteSettings(Section(c.keys));
    InitAndCreate(1, 1, c.rect);
    HandlerResult result;
    {
        HostBitmap bitmap = host().Draw(1, &result);
        EXPECT_TRUE(result.ok());
        const std::int64_t width = std::int64_t(c.rect.right) - c.rect.left;
        const std::int64_t height = std::int64_t(c.rect.bottom) - c.rect.top;
        const bool drawable = width > 0 && height > 0 && width * height <= 4096 * 4096;
        if (drawable) EXPECT_TRUE(bitmap) << "a rectangle any bitmap can take";
        if (bitmap) {
            UINT w = 0, h = 0;
            Gdiplus::DllExports::GdipGetImageWidth(bitmap.get(), &w);
            Gdiplus::DllExports::GdipGetImageHeight(bitmap.get(), &h);
            EXPECT_EQ(std::int64_t(w), width);
            EXPECT_EQ(std::int64_t(h), height);
        }
    }  // the host disposes of the bitmap, 1.6 GB or not
    EXPECT_TRUE(boxes().Boxes().empty());
}

INSTANTIATE_TEST_SUITE_P(Edges, HardeningDraw, ::testing::ValuesIn(kDrawCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(HardeningTest, EveryFigureOfAVolumeThatCannotBeQueriedPrintsZero) {
    WriteSettings(Section("Drive=q\r\nDockletCaption=$rp. $up. $rp $up|$tgb. $ugb. $rgb.\r\n"));
    InitAndCreate();
    HandlerResult result;
    host().Draw(1, &result);
    EXPECT_TRUE(result.ok());
    // No share of a zero total: every figure prints 0, used percents are not 100 - NaN.
    EXPECT_EQ(host().Caption(1), L"0 0 0 0|0 0 0");
}

TEST_F(HardeningTest, HandlersTakeGarbageArgumentsAndReturnTrue) {
    // An empty command: a click must start nothing, whatever word comes with it.
    WriteSettings(Section("Command=\r\n"));
    InitAndCreate();
    std::mt19937_64 random(0x5EED);
    const auto word = [&random] { return std::uintptr_t(random()); };
    for (int i = 0; i < 200; ++i) {
        SCOPED_TRACE(i);
        EXPECT_TRUE(host().Stub2(word(), word(), word(), word()).ok());
        EXPECT_TRUE(host().Stub5(word(), word(), word()).ok());
        EXPECT_TRUE(host().Stub6(word()).ok());
        EXPECT_TRUE(host().Click(word()).ok());
    }
    // A program that does not exist: the shell refuses it at once and the click goes on.
    WriteSettings(Section("Command=!!Z:\\no\\such\\folder\\nothing.exe!! /x \"y z\"\r\n"));
    host().Draw(1);
    for (int i = 0; i < 20; ++i) EXPECT_TRUE(host().Click(word()).ok());
    // Draws for instances the host never created: their sections are empty, defaults apply.
    for (int i = 0; i < 20; ++i) {
        HandlerResult result;
        HostBitmap bitmap = host().Draw(word(), &result);
        EXPECT_TRUE(result.ok());
        EXPECT_TRUE(bitmap);
    }
    EXPECT_TRUE(boxes().Boxes().empty());
    EXPECT_TRUE(host().HostBytesUntouched());
}

TEST_F(HardeningTest, ConfigureRunsItsDialogUnderTheHostsExceptions) {
    InitAndCreate();
    DialogPresser cancel(IDCANCEL);
    const HandlerResult result = host().Edit(1);
    if (!cancel.Finish()) GTEST_SKIP() << "no window \"Spacegauge Settings\" appeared within 3 s";
    EXPECT_TRUE(result.ok());
    EXPECT_TRUE(boxes().Boxes().empty());
    EXPECT_FALSE(FileExists(SettingsPath())) << "Cancel writes nothing";
}

// The short version of scripts/soak.sh: soak.exe beside this program, for 25 seconds.
TEST(ShortSoak, DrawsForTwentyFiveSecondsWithoutGrowing) {
    const std::wstring soak = ReferenceHost::HostFolder() + L"soak.exe";
    ASSERT_NE(GetFileAttributesW(soak.c_str()), INVALID_FILE_ATTRIBUTES) << "soak.exe not built";
    std::wstring command = L"\"" + soak + L"\" --seconds 25";
    if (const char* volume = std::getenv("SPACEGAUGE_TEST_VOLUME"); volume && *volume)
        command += L" --volume " + std::wstring(1, wchar_t(volume[0]));

    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE readEnd = nullptr, writeEnd = nullptr;
    ASSERT_TRUE(CreatePipe(&readEnd, &writeEnd, &inherit, 0));
    SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = writeEnd;
    startup.hStdError = writeEnd;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    PROCESS_INFORMATION process{};
    const BOOL started = CreateProcessW(soak.c_str(), command.data(), nullptr, nullptr, TRUE, 0,
                                        nullptr, nullptr, &startup, &process);
    CloseHandle(writeEnd);
    if (!started) CloseHandle(readEnd);
    ASSERT_TRUE(started) << "cannot start soak.exe: error " << GetLastError();
    std::string output;
    char buffer[4096];
    DWORD n = 0;
    while (ReadFile(readEnd, buffer, sizeof buffer, &n, nullptr) && n > 0) output.append(buffer, n);
    CloseHandle(readEnd);
    WaitForSingleObject(process.hProcess, 60000);
    DWORD exitCode = 1;
    GetExitCodeProcess(process.hProcess, &exitCode);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    std::printf("%s", output.c_str());  // the figures go to the log, pass or fail
    EXPECT_EQ(exitCode, 0u) << output;
}

}  // namespace
}  // namespace refhost
