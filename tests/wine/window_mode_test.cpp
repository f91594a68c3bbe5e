// The reference host's window mode as a person at a desktop meets it: a layered window of the
// docklet's size that lets the desktop show through where the image is transparent, titled with
// the caption, live while the refresh thread asks for redraws, and answering left and right
// clicks with the click and configure handlers. A second thread plays the person.
#include <windows.h>
#include <gdiplus.h>

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <thread>

#include <gtest/gtest.h>

#include "render/gdiplus_handles.h"
#include "window_mode.h"
#include "wine_test_support.h"

namespace refhost {
namespace {

bool WaitUntil(const std::function<bool()>& done, DWORD milliseconds) {
    const ULONGLONG deadline = GetTickCount64() + milliseconds;
    while (!done()) {
        if (GetTickCount64() >= deadline) return false;
        Sleep(20);
    }
    return true;
}

HWND OwnWindow(const wchar_t* className, const wchar_t* title) {
    const HWND window = FindWindowW(className, title);
    DWORD process = 0;
    if (window) GetWindowThreadProcessId(window, &process);
    return process == GetCurrentProcessId() ? window : nullptr;
}

std::wstring TitleOf(HWND window) {
    wchar_t text[512] = {};
    GetWindowTextW(window, text, 512);
    return text;
}

Pixels LoadPng(const std::wstring& path) {
    spacegauge::ScopedImage image;
    Gdiplus::DllExports::GdipCreateBitmapFromFile(
        path.c_str(), reinterpret_cast<Gdiplus::GpBitmap**>(image.out()));
    return image ? ReadPixels(static_cast<Gdiplus::GpBitmap*>(image.get())) : Pixels{};
}

int Channel(std::uint32_t p, int shift) {
    return int((p >> shift) & 0xFF);
}

class WindowModeTest : public PluginTest {
  protected:
    void TearDown() override {
        PluginTest::TearDown();
        DeleteFileA(ShotPath().c_str());
        DeleteFileA(RecorderLog().c_str());
    }

    static std::string HostFolderA() { return ToUtf8(ReferenceHost::HostFolder()); }
    static std::string ShotPath() { return HostFolderA() + "window_mode_test.png"; }
    static std::string RecorderLog() { return HostFolderA() + "click_recorder.log"; }

    // Runs the window mode for instance 1 on this thread while `person` works the window from
    // another; `person` starts once the window exists.
    WindowModeReport RunWithPerson(const WindowModeOptions& options,
                                   const std::function<void(HWND)>& person) {
        std::thread other([&] {
            HWND window = nullptr;
            if (WaitUntil([&] { return (window = OwnWindow(kDockletWindowClass, nullptr)); }, 5000))
                person(window);
        });
        WindowModeReport report = RunWindowMode(host(), 1, options);
        other.join();
        return report;
    }
};

TEST_F(WindowModeTest, ShowsTheDockletOverTheDesktopTitledWithTheCaption) {
    WriteSettings("[Spacegauge1]\r\nDockletCaption=Window $tgb GB\r\nCommand=\r\n");
    InitAndCreate(1, 1, {0, 0, 96, 64});
    WindowModeOptions options;
    options.milliseconds = 1500;
    options.screenshot = FromUtf8(ShotPath());
    RECT placed{};
    LONG_PTR exStyle = 0;
    std::wstring titleWhileShown;
    const WindowModeReport report = RunWithPerson(options, [&](HWND window) {
        WaitUntil([&] { return IsWindowVisible(window) != FALSE; }, 1000);
        GetWindowRect(window, &placed);
        exStyle = GetWindowLongPtrW(window, GWL_EXSTYLE);
        titleWhileShown = TitleOf(window);
    });
    ASSERT_TRUE(report.shown);
    EXPECT_GE(report.images, 1);
    EXPECT_EQ(placed.right - placed.left, 96);
    EXPECT_EQ(placed.bottom - placed.top, 64);
    EXPECT_TRUE(exStyle & WS_EX_LAYERED);
    EXPECT_EQ(titleWhileShown.rfind(L"Window ", 0), 0u) << ToUtf8(titleWhileShown);
    EXPECT_EQ(report.title, host().Caption(1));
    ASSERT_TRUE(report.screenshotSaved);

    const Pixels shot = LoadPng(FromUtf8(ShotPath()));
    const HostBitmap bitmap = host().Draw(1);
    ASSERT_TRUE(bitmap);
    const Pixels docklet = ReadPixels(bitmap.get());
    ASSERT_GT(shot.width, docklet.width);
    ASSERT_GT(shot.height, docklet.height);

    // Where the docklet's opaque pixels reappear unchanged, the window sits.
    const auto fits = [&](int left, int top) {
        for (int y = 0; y < docklet.height; ++y)
            for (int x = 0; x < docklet.width; ++x)
                if ((docklet.at(x, y) >> 24) == 0xFF &&
                    (shot.at(left + x, top + y) & 0xFFFFFF) != (docklet.at(x, y) & 0xFFFFFF))
                    return false;
        return true;
    };
    int left = -1, top = -1;
    for (int y = 1; y + docklet.height < shot.height && left < 0; ++y)
        for (int x = 1; x + docklet.width < shot.width; ++x)
            if (fits(x, y)) {
                left = x, top = y;
                break;
            }
    ASSERT_GE(left, 0) << "the docklet's opaque pixels are nowhere in the screenshot";

    // The desktop is a vertical gradient: the pixel just left of the window is what lies under
    // it on that row.
    int transparent = 0, partial = 0;
    for (int y = 0; y < docklet.height; ++y) {
        const std::uint32_t desktop = shot.at(left - 1, top + y);
        for (int x = 0; x < docklet.width; ++x) {
            const std::uint32_t source = docklet.at(x, y), seen = shot.at(left + x, top + y);
            const int alpha = int(source >> 24);
            if (alpha == 0) {
                ++transparent;
                EXPECT_EQ(seen & 0xFFFFFF, desktop & 0xFFFFFF) << "at " << x << "," << y;
            } else if (alpha < 0xFF) {
                ++partial;
                for (int shift : {0, 8, 16}) {
                    const int a = Channel(source, shift), d = Channel(desktop, shift);
                    EXPECT_GE(Channel(seen, shift), std::min(a, d) - 1) << "at " << x << "," << y;
                    EXPECT_LE(Channel(seen, shift), std::max(a, d) + 1) << "at " << x << "," << y;
                }
            }
        }
    }
    EXPECT_GT(transparent, 0) << "the default icon leaves its corners clear";
    EXPECT_GT(partial, 0) << "anti-aliased edges are partly transparent";
}

TEST_F(WindowModeTest, LeftClickRunsTheCommandAndRightClickOpensTheSettings) {
    const std::string recorder = HostFolderA() + "click_recorder.exe";
    const std::string settings = "[Spacegauge1]\r\nCommand=!!" + recorder + "!! from-window\r\n";
    WriteSettings(settings);
    InitAndCreate();
    DeleteFileA(RecorderLog().c_str());
    WindowModeOptions options;
    options.milliseconds = 30000;  // the person closes it long before
    bool commandRan = false, dialogShown = false, dialogClosed = false;
    const ULONGLONG start = GetTickCount64();
    const WindowModeReport report = RunWithPerson(options, [&](HWND window) {
        PostMessageW(window, WM_LBUTTONUP, 0, MAKELPARAM(20, 20));
        commandRan = WaitUntil(
            [&] { return ReadFile(RecorderLog()).find("arg=from-window") != std::string::npos; },
            10000);
        PostMessageW(window, WM_RBUTTONUP, 0, MAKELPARAM(20, 20));
        HWND dialog = nullptr;
        dialogShown = WaitUntil(
            [&] {
                dialog = OwnWindow(nullptr, L"Spacegauge Settings");
                return dialog && IsWindowVisible(dialog);
            },
            5000);
        if (dialogShown) {
            PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
            dialogClosed = WaitUntil([&] { return !IsWindowVisible(dialog); }, 5000);
        }
        PostMessageW(window, WM_CLOSE, 0, 0);
    });
    const ULONGLONG took = GetTickCount64() - start;
    ASSERT_TRUE(report.shown);
    EXPECT_TRUE(commandRan) << "the click command did not run";
    EXPECT_TRUE(dialogShown) << "no window \"Spacegauge Settings\" appeared";
    EXPECT_TRUE(dialogClosed);
    EXPECT_EQ(report.clicks, 1);
    EXPECT_EQ(report.edits, 1);
    EXPECT_LT(took, 30000u) << "WM_CLOSE did not end the window mode";
    EXPECT_EQ(ReadSettings(), settings) << "Cancel writes nothing";
    EXPECT_TRUE(boxes().Boxes().empty());
}

// A volume whose figures the test sets, given back as it was at the end.
class FiguresFile {
  public:
    explicit FiguresFile(char letter) : path_(std::string(1, letter) + ":\\figures") {
        std::ostringstream text;
        text << std::ifstream(path_, std::ios::binary).rdbuf();
        original_ = text.str();
    }
    ~FiguresFile() {
        if (!original_.empty()) Write(original_);
    }
    FiguresFile(const FiguresFile&) = delete;
    FiguresFile& operator=(const FiguresFile&) = delete;
    void Write(const std::string& figures) const {
        std::ofstream(path_, std::ios::binary | std::ios::trunc) << figures;
    }

  private:
    std::string path_;
    std::string original_;
};

TEST_F(WindowModeTest, FollowsTheRefreshThreadsRedrawRequests) {
    const char* volume = std::getenv("SPACEGAUGE_TEST_VOLUME");
    if (!volume || !*volume) GTEST_SKIP() << "SPACEGAUGE_TEST_VOLUME is not set";
    FiguresFile figures(volume[0]);
    figures.Write(std::to_string(14 * 1024LL * 1024 * 1024) + " " +
                  std::to_string(5 * 1024LL * 1024 * 1024 / 2));
    WriteSettings("[Spacegauge1]\r\nDrive=" + std::string(1, volume[0]) +
                  "\r\nLabelText=$rgb.\r\nDockletCaption=$rgb.\r\nUpdate=1\r\nCommand=\r\n");
    InitAndCreate();
    WindowModeOptions options;
    options.milliseconds = 30000;
    bool first = false, followed = false;
    const WindowModeReport report = RunWithPerson(options, [&](HWND window) {
        first = WaitUntil([&] { return TitleOf(window) == L"2.5"; }, 5000);
        figures.Write(std::to_string(14 * 1024LL * 1024 * 1024) + " " +
                      std::to_string(7 * 1024LL * 1024 * 1024 / 2));
        followed = WaitUntil([&] { return TitleOf(window) == L"3.5"; }, 10000);
        PostMessageW(window, WM_CLOSE, 0, 0);
    });
    ASSERT_TRUE(report.shown);
    EXPECT_TRUE(first) << "the first image did not carry the figures set";
    EXPECT_TRUE(followed) << "the window did not follow the changed figures";
    EXPECT_GE(report.images, 2);
    EXPECT_EQ(report.title, L"3.5");
}

}  // namespace
}  // namespace refhost
