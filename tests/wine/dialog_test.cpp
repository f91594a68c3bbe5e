// The settings dialog, driven with window messages from a second thread while ShowModal runs
// its loop on the test's main thread, the way the host's thread runs it.
#include <windows.h>
#include <gdiplus.h>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstddef>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "host/exception.h"
#include "settings/drive_combo.h"
#include "settings/form_layout.h"
#include "settings/form_settings.h"
#include "settings/picture_view.h"
#include "settings/spin_edit.h"

namespace spacegauge {
namespace {

using namespace std::chrono_literals;

// The dialog draws its preview with GDI+, which the host starts.
class GdiplusEnvironment : public ::testing::Environment {
  public:
    void SetUp() override {
        Gdiplus::GdiplusStartupInput input;
        Gdiplus::GdiplusStartup(&token_, &input, nullptr);
    }
    void TearDown() override { Gdiplus::GdiplusShutdown(token_); }

  private:
    ULONG_PTR token_ = 0;
};
[[maybe_unused]] ::testing::Environment* const kGdiplus =
    ::testing::AddGlobalTestEnvironment(new GdiplusEnvironment);

constexpr char kCaption[] = "Spacegauge Settings";
constexpr UINT kFlush = WM_APP + 10;    // wParam: sequence number, handled in order
constexpr UINT kReenter = WM_APP + 11;  // ShowModal again, as a second Q_OnEdit would

int Scaled(int pixels) {
    const HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    return MulDiv(pixels, dpi, 96);
}

template <typename Predicate>
bool WaitUntil(Predicate predicate, std::chrono::milliseconds timeout = 5s) {
    const auto end = std::chrono::steady_clock::now() + timeout;
    while (!predicate()) {
        if (std::chrono::steady_clock::now() > end) return false;
        Sleep(10);
    }
    return true;
}

std::string WindowText(HWND window) {
    char text[4096] = "";
    GetWindowTextA(window, text, sizeof(text));
    return text;
}

std::string ClassName(HWND window) {
    char name[256] = "";
    GetClassNameA(window, name, sizeof(name));
    return name;
}

// Position and size within the parent's client area.
RECT PlaceInParent(HWND window) {
    RECT rect{};
    GetWindowRect(window, &rect);
    MapWindowPoints(nullptr, GetParent(window), reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

struct TopLevel {
    HWND window;
    std::string className;
    std::string caption;
};

BOOL CALLBACK CollectWindow(HWND window, LPARAM list) {
    reinterpret_cast<std::vector<HWND>*>(list)->push_back(window);
    return TRUE;
}

std::vector<HWND> ChildWindows(HWND parent) {
    std::vector<HWND> windows;
    EnumChildWindows(parent, &CollectWindow, reinterpret_cast<LPARAM>(&windows));
    return windows;
}

std::vector<TopLevel> VisibleTopLevelWindows() {
    std::vector<HWND> windows;
    EnumWindows(&CollectWindow, reinterpret_cast<LPARAM>(&windows));
    std::vector<TopLevel> found;
    for (const HWND window : windows) {
        DWORD process = 0;
        GetWindowThreadProcessId(window, &process);
        if (process == GetCurrentProcessId() && IsWindowVisible(window)) {
            found.push_back({window, ClassName(window), WindowText(window)});
        }
    }
    return found;
}

HWND WaitForDialogBox(const std::string& caption) {
    HWND box = nullptr;
    WaitUntil([&] {
        for (const TopLevel& window : VisibleTopLevelWindows()) {
            if (window.className == "#32770" && window.caption == caption) box = window.window;
        }
        return box != nullptr;
    });
    return box;
}

// The dock's own window: a visible top-level window on the thread that shows the dialog.
class HostWindow {
  public:
    explicit HostWindow(TFormSettings& form) : form_(form) {
        WNDCLASSW windowClass{};
        windowClass.lpfnWndProc = &Proc;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.lpszClassName = L"SpacegaugeTestHost";
        RegisterClassW(&windowClass);
        window_ = CreateWindowExW(0, L"SpacegaugeTestHost", L"Test host", WS_OVERLAPPEDWINDOW, 0, 0,
                                  200, 100, nullptr, nullptr, GetModuleHandleW(nullptr), this);
        ShowWindow(window_, SW_SHOWNOACTIVATE);
    }
    ~HostWindow() { DestroyWindow(window_); }
    HWND get() const { return window_; }

    // Flush requests, numbered across all openings, and the last one handled.
    std::atomic<WPARAM> flushRequests{0};
    std::atomic<WPARAM> flushed{0};
    // Set when a second ShowModal ran inside the first one's loop.
    std::optional<std::string> reentryError;
    std::optional<int> reentryResult;

  private:
    static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        if (message == WM_NCCREATE) {
            SetWindowLongPtrW(window, GWLP_USERDATA,
                              reinterpret_cast<LONG_PTR>(
                                  reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams));
        }
        auto* self = reinterpret_cast<HostWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
        if (message == kFlush) {
            self->flushed = wParam;
            return 0;
        }
        if (message == kReenter) {
            try {
                self->reentryResult = self->form_.ShowModal();
            } catch (const Exception& error) {
                self->reentryError = error.what();
            }
            return 0;
        }
        return DefWindowProcW(window, message, wParam, lParam);
    }

    TFormSettings& form_;
    HWND window_ = nullptr;
};

// What the script thread can do with the open dialog.
class Driver {
  public:
    Driver(HWND dialog, HostWindow& host, DWORD uiThread)
        : dialog_(dialog), host_(host), uiThread_(uiThread) {}

    HWND dialog() const { return dialog_; }
    HWND host() const { return host_.get(); }

    HWND Control(std::string_view name) const {
        const auto component = FindComponent(name);
        EXPECT_TRUE(component) << name;
        if (!component) return nullptr;
        for (const HWND window : ChildWindows(dialog_)) {
            if (GetDlgCtrlID(window) == ControlId(*component)) return window;
        }
        return nullptr;
    }

    // Waits until the UI thread has handled everything posted before, or the dialog has
    // closed and its loop is gone.
    void Flush() {
        const WPARAM sequence = ++host_.flushRequests;
        PostMessageW(host_.get(), kFlush, sequence, 0);
        EXPECT_TRUE(
            WaitUntil([&] { return host_.flushed >= sequence || !IsWindowVisible(dialog_); }));
    }

    HWND Focus() const {
        GUITHREADINFO info{};
        info.cbSize = sizeof(info);
        GetGUIThreadInfo(uiThread_, &info);
        return info.hwndFocus;
    }

    void FocusOn(std::string_view name) {
        PostMessageW(dialog_, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(Control(name)), TRUE);
        Flush();
    }

    // Keys as the keyboard delivers them to the focused control, through the modal loop.
    void PressKey(WPARAM key) {
        PostMessageW(Focus(), WM_KEYDOWN, key, 0);
        Flush();
    }
    void TypeText(std::string_view text) {
        for (const char ch : text)
            PostMessageW(Focus(), WM_CHAR, static_cast<unsigned char>(ch), 0);
        Flush();
    }
    // Focus moves there with the text selected, as on tabbing into it.
    void TypeInto(std::string_view name, std::string_view text) {
        FocusOn(name);
        TypeText(text);
    }

    void Click(std::string_view name) {
        PostMessageW(Control(name), BM_CLICK, 0, 0);
        Flush();
    }

    std::string Text(std::string_view name) const { return WindowText(Control(name)); }
    bool Visible(std::string_view name) const { return IsWindowVisible(Control(name)); }
    int Selection(std::string_view name) const {
        return static_cast<int>(SendMessageW(Control(name), CB_GETCURSEL, 0, 0));
    }
    std::string SelectionText(std::string_view name) const {
        const int index = Selection(name);
        if (index < 0) return "";
        char text[256] = "";
        SendMessageA(Control(name), CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(text));
        return text;
    }

  private:
    HWND dialog_;
    HostWindow& host_;
    DWORD uiThread_;
};

class SettingsDialogTest : public ::testing::Test {
  protected:
    SettingsDialogTest() : host(form) {
        SettingsRecord& r = form.record;
        r.IconSource = L"";
        r.LabelColor = 0x00FFFFFF;
        r.LabelText = "C: $up%";
        r.LabelSize = 24;
        r.Drive = 'c';
        r.Command = "\"explorer.exe\" /e, C:";
        r.Update = 60;
        r.DrawOutline = true;
        r.OutlineWidth = 1;
        r.OutlineColor = 0x00A6671A;
        r.HorizontalPos = 1;
        r.VerticalPos = 2;
        r.DockletCaption = "Drive: C -  Free: $rgb.gb - Total: $tgb.gb";
    }

    // Runs ShowModal on this thread while the script works the dialog from another; a dialog
    // the script leaves open is cancelled. The script receives nullptr when no dialog came up.
    int RunModal(const std::function<void(Driver&)>& script) {
        const DWORD uiThread = GetCurrentThreadId();
        std::thread worker([&] {
            HWND dialog = nullptr;
            WaitUntil([&] {
                dialog = FindWindowA(nullptr, kCaption);
                return dialog && IsWindowVisible(dialog);
            });
            EXPECT_TRUE(dialog && IsWindowVisible(dialog)) << "the dialog did not open";
            if (dialog && IsWindowVisible(dialog)) {
                Driver driver(dialog, host, uiThread);
                driver.Flush();
                script(driver);
                driver.Flush();
            }
            if (dialog && IsWindowVisible(dialog)) {
                PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
            }
        });
        const int result = form.ShowModal();
        worker.join();
        return result;
    }

    TFormSettings form;
    HostWindow host;
};

std::filesystem::path TempFolder() {
    char path[MAX_PATH] = "";
    GetTempPathA(sizeof(path), path);
    const auto folder = std::filesystem::path(path) / "spacegauge_dialog_test";
    std::filesystem::create_directories(folder);
    return folder;
}

std::wstring WriteRedPng(const std::string& name) {
    const std::wstring file = (TempFolder() / name).wstring();
    Gdiplus::GpBitmap* bitmap = nullptr;
    Gdiplus::DllExports::GdipCreateBitmapFromScan0(40, 20, 0, PixelFormat32bppARGB, nullptr,
                                                   &bitmap);
    Gdiplus::GpGraphics* graphics = nullptr;
    Gdiplus::DllExports::GdipGetImageGraphicsContext(bitmap, &graphics);
    Gdiplus::DllExports::GdipGraphicsClear(graphics, 0xFFFF0000);
    Gdiplus::DllExports::GdipDeleteGraphics(graphics);
    const CLSID png{0x557CF406, 0x1A04, 0x11D3, {0x9A, 0x73, 0x00, 0x00, 0xF8, 0x1E, 0xF3, 0x2E}};
    Gdiplus::DllExports::GdipSaveImageToFile(bitmap, file.c_str(), &png, nullptr);
    Gdiplus::DllExports::GdipDisposeImage(bitmap);
    return file;
}

COLORREF PixelAt(HWND window, int x, int y) {
    const HDC dc = GetDC(window);
    const COLORREF color = GetPixel(dc, x, y);
    ReleaseDC(window, dc);
    return color;
}

// The file dialog may pump messages on its way out, so the preview is awaited, not sampled.
bool PreviewCentreBecomes(const Driver& driver, COLORREF expected) {
    const HWND image = driver.Control("Image1");
    return WaitUntil([&] {
        UpdateWindow(image);
        RECT client{};
        GetClientRect(image, &client);
        return PixelAt(image, client.right / 2, client.bottom / 2) == expected;
    });
}

// Picks `file` in the open-picture dialog that BtChange brings up, or cancels it.
void ChooseInFileDialog(Driver& driver, const std::optional<std::string>& file) {
    PostMessageW(driver.Control("BtChange"), BM_CLICK, 0, 0);
    const HWND box = WaitForDialogBox("Open");
    ASSERT_NE(box, nullptr) << "no file dialog";
    if (file) {
        constexpr int kFileNameBox = 0x47C;  // cmb13, the file name of the explorer-style dialog
        SendMessageA(box, CDM_SETCONTROLTEXT, kFileNameBox,
                     reinterpret_cast<LPARAM>(file->c_str()));
        PostMessageW(box, WM_COMMAND, IDOK, 0);
    } else {
        PostMessageW(box, WM_COMMAND, IDCANCEL, 0);
    }
    EXPECT_TRUE(WaitUntil([&] { return !IsWindow(box); }));
    driver.Flush();
}

std::string Narrow(const std::wstring& text) {
    return std::string(text.begin(), text.end());  // the tests' paths are ASCII
}

// ---------------------------------------------------------------------------------------------

TEST_F(SettingsDialogTest, WindowIsCentredOwnerlessWithCaptionClientSizeAndFont) {
    RunModal([](Driver& driver) {
        const HWND dialog = driver.dialog();
        EXPECT_EQ(WindowText(dialog), kCaption);
        EXPECT_EQ(GetWindow(dialog, GW_OWNER), nullptr);
        RECT client{};
        GetClientRect(dialog, &client);
        EXPECT_EQ(client.right, Scaled(387));
        EXPECT_EQ(client.bottom, Scaled(471));
        RECT frame{};
        GetWindowRect(dialog, &frame);
        EXPECT_NEAR((frame.left + frame.right) / 2, GetSystemMetrics(SM_CXSCREEN) / 2, 1);
        EXPECT_NEAR((frame.top + frame.bottom) / 2, GetSystemMetrics(SM_CYSCREEN) / 2, 1);
        const auto font =
            reinterpret_cast<HFONT>(SendMessageW(driver.Control("EditLabel"), WM_GETFONT, 0, 0));
        LOGFONTW logFont{};
        GetObjectW(font, sizeof(logFont), &logFont);
        EXPECT_STREQ(logFont.lfFaceName, L"Tahoma");
        EXPECT_EQ(logFont.lfHeight, -Scaled(11));
        EXPECT_EQ(GetSysColor(COLOR_BTNFACE), PixelAt(dialog, client.right - 2, 2));
    });
}

struct ExpectedComponent {
    const char* name;
    const char* className;
    const char* parent;  // nullptr: the window
    Rect96 rect;
    const char* text;
};

// The form as the design states it.
constexpr ExpectedComponent kExpectedComponents[] = {
    {"Image1", "Static", nullptr, {10, 10, 145, 145}, ""},
    {"BtChange", "Button", nullptr, {10, 160, 145, 25}, "Change"},
    {"BtClear", "Button", nullptr, {10, 192, 145, 25}, "Clear"},
    {"Button2", "Button", nullptr, {223, 438, 75, 25}, "OK"},
    {"Button3", "Button", nullptr, {302, 438, 75, 25}, "Cancel"},
    {"GroupBox1", "Button", nullptr, {176, 8, 201, 49}, "Drive   "},
    {"DriveComboBox1", "ComboBox", "GroupBox1", {8, 19, 185, 19}, nullptr},
    {"GroupBox2", "Button", nullptr, {176, 64, 201, 257}, "Label   "},
    {"Label2", "Static", "GroupBox2", {8, 21, 23, 13}, "Size:"},
    {"SpinEditLabelSize", "Edit", "GroupBox2", {40, 18, 57, 22}, nullptr},
    {"Label7", "Static", "GroupBox2", {101, 22, 88, 13}, "(% of icon-height)"},
    {"Label3", "Static", "GroupBox2", {8, 44, 29, 13}, "Color:"},
    {"ColorBox1", "ComboBox", "GroupBox2", {40, 42, 153, 22}, nullptr},
    {"Label1", "Static", "GroupBox2", {7, 67, 26, 13}, "Text:"},
    {"EditLabel", "Edit", "GroupBox2", {40, 66, 153, 21}, nullptr},
    {"Memo1",
     "Edit",
     "GroupBox2",
     {40, 89, 153, 87},
     "Placeholder for Values:\r\n$rp = remaining percent\r\n$rgb = remaing gigabyte\r\n"
     "$up = used percent\r\n$ugb = used gigabyte\r\n$tgb = total gigabyte\r\n"
     "$lb = Line break\r\nadd a dot (.) for one digit \r\nafter comma:\r\n"
     "$rp = 23, $rp. = 23.3"},
    {"Label10", "Static", "GroupBox2", {8, 181, 79, 13}, "Vertical position:"},
    {"ComboBoxV", "ComboBox", "GroupBox2", {104, 178, 90, 21}, nullptr},
    {"Label11", "Static", "GroupBox2", {8, 205, 92, 13}, "Horizontal position:"},
    {"ComboBoxH", "ComboBox", "GroupBox2", {104, 202, 90, 21}, nullptr},
    {"CheckBoxOutline", "Button", "GroupBox2", {8, 228, 121, 17}, "Draw label outline"},
    {"GroupBox4", "Button", nullptr, {8, 248, 161, 73}, "Label outline     "},
    {"Label9", "Static", "GroupBox4", {6, 21, 32, 13}, "Width:"},
    {"SpinEditOutline", "Edit", "GroupBox4", {40, 18, 57, 22}, nullptr},
    {"Label8", "Static", "GroupBox4", {6, 46, 29, 13}, "Color:"},
    {"ColorBoxOutline", "ComboBox", "GroupBox4", {40, 43, 113, 22}, nullptr},
    {"GroupBox3", "Button", nullptr, {8, 328, 369, 104}, "Docklet    "},
    {"Label5", "Static", "GroupBox3", {8, 23, 123, 13}, "Refresh every (seconds):"},
    {"SpinEditUpdate", "Edit", "GroupBox3", {136, 21, 73, 22}, nullptr},
    {"Label6", "Static", "GroupBox3", {218, 25, 134, 13}, "(lower = higher CPU Usage)"},
    {"Label4", "Static", "GroupBox3", {8, 48, 60, 13}, "Run on click:"},
    {"EditCommand", "Edit", "GroupBox3", {72, 46, 281, 21}, nullptr},
    {"Label12", "Static", "GroupBox3", {8, 72, 44, 13}, "Caption: "},
    {"EditCaption", "Edit", "GroupBox3", {72, 70, 281, 21}, nullptr},
};

TEST_F(SettingsDialogTest, EveryComponentHasItsClassParentPlaceAndText) {
    RunModal([](Driver& driver) {
        for (const ExpectedComponent& expected : kExpectedComponents) {
            SCOPED_TRACE(expected.name);
            const HWND window = driver.Control(expected.name);
            ASSERT_NE(window, nullptr);
            EXPECT_STRCASEEQ(ClassName(window).c_str(), expected.className);
            const HWND parent = expected.parent ? driver.Control(expected.parent) : driver.dialog();
            EXPECT_EQ(GetParent(window), parent);
            RECT place = PlaceInParent(window);
            if (std::string_view(expected.name).starts_with("SpinEdit")) {
                // The up-down buttons sit at the box's right end, inside its rectangle.
                const HWND buttons = GetWindow(window, GW_HWNDNEXT);
                EXPECT_STREQ(ClassName(buttons).c_str(), "msctls_updown32");
                place.right = PlaceInParent(buttons).right;
            }
            EXPECT_EQ(place.left, Scaled(expected.rect.left));
            EXPECT_EQ(place.top, Scaled(expected.rect.top));
            EXPECT_EQ(place.bottom - place.top, Scaled(expected.rect.height));
            if (std::string_view(expected.className) == "Static" && expected.text[0] != '\0') {
                // A caption is never cut: a wider font than the design's widens its label.
                EXPECT_GE(place.right - place.left, Scaled(expected.rect.width));
            } else {
                EXPECT_EQ(place.right - place.left, Scaled(expected.rect.width));
            }
            if (expected.text) {
                EXPECT_EQ(WindowText(window), expected.text);
            }
        }
    });
}

TEST_F(SettingsDialogTest, ListsHoldTheirEntries) {
    RunModal([](Driver& driver) {
        const auto entries = [&](std::string_view name) {
            const HWND list = driver.Control(name);
            std::vector<std::string> texts;
            const auto count = SendMessageW(list, CB_GETCOUNT, 0, 0);
            for (int i = 0; i < count; ++i) {
                char text[256] = "";
                SendMessageA(list, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text));
                texts.push_back(text);
            }
            return texts;
        };
        const std::vector<std::string> colors{
            "Custom...", "clBlack", "clMaroon",  "clGreen",  "clOlive", "clNavy",
            "clPurple",  "clTeal",  "clGray",    "clSilver", "clRed",   "clLime",
            "clYellow",  "clBlue",  "clFuchsia", "clAqua",   "clWhite"};
        EXPECT_EQ(entries("ColorBox1"), colors);
        EXPECT_EQ(entries("ColorBoxOutline"), colors);
        EXPECT_EQ(entries("ComboBoxV"), (std::vector<std::string>{"Top", "Middle", "Bottom"}));
        EXPECT_EQ(entries("ComboBoxH"), (std::vector<std::string>{"Left", "Center", "Right"}));
        EXPECT_EQ(SendMessageW(driver.Control("ColorBox1"), CB_GETITEMHEIGHT, 0, 0), Scaled(16));
        const std::vector<std::string> drives = entries("DriveComboBox1");
        ASSERT_FALSE(drives.empty());
        EXPECT_EQ(drives.front().substr(0, 2), "c:");  // the prefix always has drive C
    });
}

TEST_F(SettingsDialogTest, TabVisitsTheControlsInTabOrderWithinEachContainer) {
    RunModal([](Driver& driver) {
        const std::vector<std::string> expected{
            "Button2",         "Button3",         "BtChange",          "BtClear",
            "DriveComboBox1",  "EditLabel",       "SpinEditLabelSize", "ColorBox1",
            "Memo1",           "CheckBoxOutline", "ComboBoxV",         "ComboBoxH",
            "EditCommand",     "SpinEditUpdate",  "EditCaption",       "ColorBoxOutline",
            "SpinEditOutline", "Button2"};
        std::vector<std::string> visited;
        for (std::size_t i = 0; i < expected.size(); ++i) {
            const int id = GetDlgCtrlID(driver.Focus());
            const auto component = ComponentWithId(id);
            visited.push_back(component ? std::string(Row(*component).name) : "?");
            driver.PressKey(VK_TAB);
        }
        EXPECT_EQ(visited, expected);
    });
}

TEST_F(SettingsDialogTest, EnterIsOkEscapeAndClosingAreCancel) {
    EXPECT_EQ(RunModal([](Driver& driver) { driver.PressKey(VK_RETURN); }), 1);
    EXPECT_EQ(RunModal([](Driver& driver) { driver.PressKey(VK_ESCAPE); }), 2);
    EXPECT_EQ(RunModal([](Driver& driver) { PostMessageW(driver.dialog(), WM_CLOSE, 0, 0); }), 2);
    EXPECT_EQ(RunModal([](Driver& driver) { driver.Click("Button2"); }), 1);
    EXPECT_EQ(RunModal([](Driver& driver) { driver.Click("Button3"); }), 2);
}

TEST_F(SettingsDialogTest, OpeningBringsValuesIntoTheControlsRangesAndOkStoresThem) {
    SettingsRecord& r = form.record;
    r.IconSource = L"C:\\icons\\missing.png";
    r.LabelSize = 5;
    r.Update = 99999;
    r.OutlineWidth = 0;
    r.Drive = 'D';
    r.HorizontalPos = 7;
    r.VerticalPos = 0;
    r.LabelText = "Frei: $rgb.gb \xE4\xF6\xFC";  // 8-bit text in the ANSI code page
    r.Command = "\"C:\\Program Files\\x.exe\" /a";
    const int result = RunModal([](Driver& driver) {
        EXPECT_EQ(driver.Text("SpinEditLabelSize"), "10");
        EXPECT_EQ(driver.Text("SpinEditUpdate"), "3600");
        EXPECT_EQ(driver.Text("SpinEditOutline"), "1");
        EXPECT_EQ(driver.Selection("ComboBoxH"), -1);
        EXPECT_EQ(driver.SelectionText("ComboBoxV"), "Top");
        EXPECT_EQ(driver.SelectionText("ColorBox1"), "clWhite");
        EXPECT_EQ(driver.Text("EditLabel"), "Frei: $rgb.gb \xE4\xF6\xFC");
        driver.Click("Button2");
    });
    EXPECT_EQ(result, 1);
    form.CopyControlsToRecord();
    EXPECT_EQ(r.IconSource, L"C:\\icons\\missing.png");
    EXPECT_EQ(r.LabelSize, 10);
    EXPECT_EQ(r.Update, 3600);
    EXPECT_EQ(r.OutlineWidth, 1);
    EXPECT_EQ(r.Drive, 'd');
    EXPECT_EQ(r.HorizontalPos, -1);
    EXPECT_EQ(r.VerticalPos, 0);
    EXPECT_EQ(r.LabelColor, 0x00FFFFFF);
    EXPECT_EQ(r.OutlineColor, 0x00A6671A);
    EXPECT_TRUE(r.DrawOutline);
    EXPECT_EQ(r.LabelText, "Frei: $rgb.gb \xE4\xF6\xFC");
    EXPECT_EQ(r.Command, "\"C:\\Program Files\\x.exe\" /a");
    EXPECT_EQ(r.DockletCaption, "Drive: C -  Free: $rgb.gb - Total: $tgb.gb");
}

struct ColorCase {
    ColorValue value;
    const char* shown;  // the selected entry, "" for none
};

class ColorBoxTest : public SettingsDialogTest, public ::testing::WithParamInterface<ColorCase> {};

TEST_P(ColorBoxTest, ShowsTheEntryAndGivesTheValueBack) {
    form.record.LabelColor = GetParam().value;
    form.record.OutlineColor = GetParam().value;
    RunModal([](Driver& driver) {
        EXPECT_EQ(driver.SelectionText("ColorBox1"), GetParam().shown);
        EXPECT_EQ(driver.SelectionText("ColorBoxOutline"), GetParam().shown);
        driver.Click("Button2");
    });
    form.CopyControlsToRecord();
    EXPECT_EQ(form.record.LabelColor, GetParam().value);
    EXPECT_EQ(form.record.OutlineColor, GetParam().value);
}

INSTANTIATE_TEST_SUITE_P(
    Values, ColorBoxTest,
    ::testing::Values(ColorCase{0x00123456, "Custom..."}, ColorCase{0x000000FF, "clRed"},
                      ColorCase{0x00000000, "clBlack"},
                      ColorCase{static_cast<ColorValue>(0xFF00000F), "Custom..."},  // clBtnFace
                      ColorCase{0x1FFFFFFF, "Custom..."},                           // clNone
                      ColorCase{static_cast<ColorValue>(0xFF000000), ""}));

TEST_F(SettingsDialogTest, CustomEntryTakesTheColourPickedInTheColourDialog) {
    form.record.LabelColor = 0x00123456;
    RunModal([](Driver& driver) {
        driver.FocusOn("ColorBox1");
        driver.PressKey(VK_F4);  // open the list on the custom entry
        driver.PressKey(VK_RETURN);
        const HWND colors = WaitForDialogBox("Color");
        ASSERT_NE(colors, nullptr) << "no colour dialog";
        constexpr int kRed = 706, kGreen = 707, kBlue = 708;  // the dialog's RGB boxes
        SetDlgItemInt(colors, kRed, 1, FALSE);
        SetDlgItemInt(colors, kGreen, 2, FALSE);
        SetDlgItemInt(colors, kBlue, 3, FALSE);
        PostMessageW(colors, WM_COMMAND, IDOK, 0);
        EXPECT_TRUE(WaitUntil([&] { return !IsWindow(colors); }));
        driver.Click("Button2");
    });
    form.CopyControlsToRecord();
    EXPECT_EQ(form.record.LabelColor, 0x00030201);
}

TEST_F(SettingsDialogTest, TypingZeroIntoTheRefreshBoxAndPressingEnterStoresOne) {
    const int result = RunModal([](Driver& driver) {
        driver.TypeInto("SpinEditUpdate", "0");
        EXPECT_EQ(driver.Text("SpinEditUpdate"), "0");
        driver.PressKey(VK_RETURN);
    });
    EXPECT_EQ(result, 1);
    form.CopyControlsToRecord();
    EXPECT_EQ(form.record.Update, 1);
}

TEST_F(SettingsDialogTest, AnEmptiedSizeBoxGivesItsMinimum) {
    RunModal([](Driver& driver) {
        driver.FocusOn("SpinEditLabelSize");
        driver.TypeText("\b");
        EXPECT_EQ(driver.Text("SpinEditLabelSize"), "");
        driver.Click("Button2");
    });
    form.CopyControlsToRecord();
    EXPECT_EQ(form.record.LabelSize, 10);
}

TEST_F(SettingsDialogTest, SpinBoxRefusesLettersAndBringsTypedValuesIntoRangeOnLeaving) {
    RunModal([](Driver& driver) {
        driver.TypeInto("SpinEditUpdate", "7a0x0-0");
        EXPECT_EQ(driver.Text("SpinEditUpdate"), "700-0");
        driver.TypeInto("SpinEditUpdate", "7000");
        driver.PressKey(VK_TAB);
        EXPECT_EQ(driver.Text("SpinEditUpdate"), "3600");
        driver.TypeInto("SpinEditOutline", "0");
        driver.PressKey(VK_TAB);
        EXPECT_EQ(driver.Text("SpinEditOutline"), "1");
        driver.FocusOn("SpinEditLabelSize");
        driver.PressKey(VK_UP);
        EXPECT_EQ(driver.Text("SpinEditLabelSize"), "25");
    });
}

TEST_F(SettingsDialogTest, CancelLeavesTheRecordAsItWas) {
    form.record.Drive = 'q';
    const SettingsRecord before = form.record;
    const int result = RunModal([](Driver& driver) {
        driver.TypeInto("EditLabel", "changed");
        driver.TypeInto("SpinEditLabelSize", "50");
        driver.Click("CheckBoxOutline");
        driver.FocusOn("ComboBoxH");
        driver.PressKey(VK_DOWN);
        driver.Click("Button3");
    });
    EXPECT_EQ(result, 2);
    const SettingsRecord& after = form.record;
    EXPECT_EQ(after.IconSource, before.IconSource);
    EXPECT_EQ(after.LabelColor, before.LabelColor);
    EXPECT_EQ(after.LabelText, before.LabelText);
    EXPECT_EQ(after.LabelSize, before.LabelSize);
    EXPECT_EQ(after.Drive, before.Drive);
    EXPECT_EQ(after.Command, before.Command);
    EXPECT_EQ(after.Update, before.Update);
    EXPECT_EQ(after.DrawOutline, before.DrawOutline);
    EXPECT_EQ(after.OutlineWidth, before.OutlineWidth);
    EXPECT_EQ(after.OutlineColor, before.OutlineColor);
    EXPECT_EQ(after.VerticalPos, before.VerticalPos);
    EXPECT_EQ(after.HorizontalPos, before.HorizontalPos);
    EXPECT_EQ(after.DockletCaption, before.DockletCaption);
}

TEST_F(SettingsDialogTest, EveryOpeningFillsTheControlsFromTheRecordAgain) {
    RunModal([](Driver& driver) {
        driver.TypeInto("EditCaption", "typed");
        driver.Click("CheckBoxOutline");
        driver.Click("Button3");
    });
    form.record.DockletCaption = "from the record";
    RunModal([](Driver& driver) {
        EXPECT_EQ(driver.Text("EditCaption"), "from the record");
        EXPECT_TRUE(driver.Visible("GroupBox4"));
    });
}

TEST_F(SettingsDialogTest, OutlineGroupFollowsTheCheckBoxAtOnce) {
    form.record.DrawOutline = false;
    RunModal([](Driver& driver) {
        EXPECT_FALSE(driver.Visible("GroupBox4"));
        driver.Click("CheckBoxOutline");
        EXPECT_TRUE(driver.Visible("GroupBox4"));
        driver.Click("CheckBoxOutline");
        EXPECT_FALSE(driver.Visible("GroupBox4"));
        driver.Click("CheckBoxOutline");
        driver.Click("Button2");
    });
    form.CopyControlsToRecord();
    EXPECT_TRUE(form.record.DrawOutline);
}

TEST_F(SettingsDialogTest, VerticalPositionListOpensAsSoonAsTheUserTypes) {
    RunModal([](Driver& driver) {
        driver.FocusOn("ComboBoxV");
        driver.TypeText("t");
        EXPECT_TRUE(SendMessageW(driver.Control("ComboBoxV"), CB_GETDROPPEDSTATE, 0, 0));
        EXPECT_EQ(driver.SelectionText("ComboBoxV"), "Top");
        SendMessageW(driver.Control("ComboBoxV"), CB_SHOWDROPDOWN, FALSE, 0);
        driver.FocusOn("ComboBoxH");
        driver.TypeText("l");
        EXPECT_FALSE(SendMessageW(driver.Control("ComboBoxH"), CB_GETDROPPEDSTATE, 0, 0));
        EXPECT_EQ(driver.SelectionText("ComboBoxH"), "Left");
    });
}

// The prefix always has drive C and, mapped to the root, drive Z.
TEST_F(SettingsDialogTest, DriveLetterWithoutEntryIsHeldWhileTheListKeepsItsSelection) {
    char unmapped = 'y';
    while (GetLogicalDrives() & (1u << (unmapped - 'a'))) --unmapped;
    RunModal([](Driver& driver) {
        EXPECT_EQ(driver.SelectionText("DriveComboBox1").substr(0, 2), "c:");
    });
    form.record.Drive = static_cast<char>(unmapped - 'a' + 'A');
    RunModal([](Driver& driver) {
        EXPECT_EQ(driver.SelectionText("DriveComboBox1").substr(0, 2), "c:");
        driver.Click("Button2");
    });
    form.CopyControlsToRecord();
    EXPECT_EQ(form.record.Drive, unmapped);
}

TEST_F(SettingsDialogTest, ChoosingADriveMakesItsLetterCurrent) {
    std::string chosen;
    RunModal([&](Driver& driver) {
        driver.FocusOn("DriveComboBox1");
        driver.PressKey(VK_END);
        chosen = driver.SelectionText("DriveComboBox1");
        driver.Click("Button2");
    });
    form.CopyControlsToRecord();
    ASSERT_EQ(chosen.substr(0, 2), "z:");
    EXPECT_EQ(form.record.Drive, 'z');
}

TEST_F(SettingsDialogTest, ASecondShowModalWhileOpenFailsAndTheOpenDialogCarriesOn) {
    const int result = RunModal([](Driver& driver) {
        PostMessageW(driver.host(), kReenter, 0, 0);
        driver.Flush();
        EXPECT_TRUE(IsWindowVisible(driver.dialog()));
        driver.Click("Button2");
    });
    EXPECT_EQ(result, 1);
    ASSERT_TRUE(host.reentryError);
    EXPECT_EQ(*host.reentryError, "Cannot make a visible window modal");
    EXPECT_FALSE(host.reentryResult);
}

TEST_F(SettingsDialogTest, OtherWindowsOfTheThreadTakeNoInputWhileOpen) {
    ASSERT_TRUE(IsWindowEnabled(host.get()));
    RunModal([&](Driver&) { EXPECT_FALSE(IsWindowEnabled(host.get())); });
    EXPECT_TRUE(IsWindowEnabled(host.get()));
    EXPECT_FALSE(IsWindowVisible(FindWindowA(nullptr, kCaption)));
}

TEST_F(SettingsDialogTest, ClearStoresTheDefaultIconPathAtOnceEvenWhenCancelled) {
    char exe[MAX_PATH] = "";
    GetModuleFileNameA(nullptr, exe, sizeof(exe));
    std::string expected = exe;
    expected.erase(expected.find_last_of('\\') + 1);
    expected += "Docklets\\Spacegauge\\default.png";
    form.record.IconSource = WriteRedPng("clear_before.png");
    RunModal([](Driver& driver) {
        EXPECT_TRUE(PreviewCentreBecomes(driver, RGB(255, 0, 0)));
        driver.Click("BtClear");
        driver.Click("Button3");
    });
    EXPECT_EQ(Narrow(form.record.IconSource), expected);
    RunModal([](Driver& driver) { driver.Click("Button2"); });
    form.CopyControlsToRecord();
    EXPECT_EQ(Narrow(form.record.IconSource), expected);
}

TEST_F(SettingsDialogTest, ChangeStoresThePickedPathAtOnceAndShowsThePicture) {
    const std::wstring picture = WriteRedPng("picked.png");
    form.record.IconSource = L"C:\\old.png";
    RunModal([&](Driver& driver) {
        EXPECT_TRUE(PreviewCentreBecomes(driver, GetSysColor(COLOR_BTNFACE)));
        ChooseInFileDialog(driver, Narrow(picture));
        EXPECT_TRUE(PreviewCentreBecomes(driver, RGB(255, 0, 0)));
        driver.Click("Button3");
    });
    EXPECT_EQ(form.record.IconSource, picture);
}

TEST_F(SettingsDialogTest, ChangeAcceptsAFileThatDoesNotExistAndCancelKeepsTheName) {
    const std::string missing = Narrow((TempFolder() / "not_there.png").wstring());
    form.record.IconSource = WriteRedPng("kept.png");
    RunModal([&](Driver& driver) {
        ChooseInFileDialog(driver, std::nullopt);
        EXPECT_TRUE(PreviewCentreBecomes(driver, RGB(255, 0, 0)));
        ChooseInFileDialog(driver, missing);
        EXPECT_TRUE(PreviewCentreBecomes(driver, GetSysColor(COLOR_BTNFACE)));
        driver.Click("Button2");
    });
    form.CopyControlsToRecord();
    EXPECT_EQ(Narrow(form.record.IconSource), missing);
}

TEST_F(SettingsDialogTest, FileDialogPreviewsTheCurrentPicture) {
    form.record.IconSource = WriteRedPng("previewed.png");
    RunModal([](Driver& driver) {
        PostMessageW(driver.Control("BtChange"), BM_CLICK, 0, 0);
        const HWND box = WaitForDialogBox("Open");
        ASSERT_NE(box, nullptr) << "no file dialog";
        HWND preview = nullptr;
        for (const HWND window : ChildWindows(box)) {
            constexpr int kPreviewId = 1200;
            if (GetDlgCtrlID(window) == kPreviewId && ClassName(window) == "Static")
                preview = window;
        }
        ASSERT_NE(preview, nullptr) << "no preview in the file dialog";
        // Pixels off the screen cannot be read back.
        SetWindowPos(box, nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        EXPECT_TRUE(WaitUntil([&] {
            UpdateWindow(preview);
            RECT client{};
            GetClientRect(preview, &client);
            return PixelAt(preview, client.right / 2, client.bottom / 2) == RGB(255, 0, 0);
        }));
        PostMessageW(box, WM_COMMAND, IDCANCEL, 0);
        EXPECT_TRUE(WaitUntil([&] { return !IsWindow(box); }));
    });
}

TEST_F(SettingsDialogTest, AnIconThatIsNoPictureIsReportedAndTheDialogOpensWithoutPreview) {
    const auto broken = TempFolder() / "broken.png";
    std::ofstream(broken) << "not a picture";
    form.record.IconSource = broken.wstring();
    std::string boxText;
    std::thread watcher([&] {
        const HWND box = WaitForDialogBox("Spacegauge");
        if (!box) return;
        boxText = WindowText(GetDlgItem(box, 0xFFFF));
        PostMessageW(box, WM_COMMAND, IDOK, 0);
    });
    const int result = RunModal([](Driver& driver) {
        EXPECT_TRUE(PreviewCentreBecomes(driver, GetSysColor(COLOR_BTNFACE)));
        driver.Click("Button2");
    });
    watcher.join();
    EXPECT_EQ(result, 1);
    EXPECT_NE(boxText.find("broken.png"), std::string::npos) << boxText;
}

// ---------------------------------------------------------------------------------------------

struct SpinTextCase {
    const char* text;
    int expected;  // within 10..100
};

class SpinValueFromTextTest : public ::testing::TestWithParam<SpinTextCase> {};

TEST_P(SpinValueFromTextTest, IsAlwaysWithinTheRange) {
    EXPECT_EQ(SpinValueFromText(GetParam().text, 10, 100), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Texts, SpinValueFromTextTest,
                         ::testing::Values(SpinTextCase{"50", 50}, SpinTextCase{"5", 10},
                                           SpinTextCase{"101", 100}, SpinTextCase{"", 10},
                                           SpinTextCase{"abc", 10}, SpinTextCase{"1.5", 10},
                                           SpinTextCase{"+60", 60}, SpinTextCase{"-60", 10},
                                           SpinTextCase{"99999999999", 100},
                                           SpinTextCase{"-99999999999", 10},
                                           SpinTextCase{"$20", 32}, SpinTextCase{" 70", 70}));

struct DriveTextCase {
    char letter;
    UINT type;
    const char* detail;
    const char* expected;
};

class DriveItemTextTest : public ::testing::TestWithParam<DriveTextCase> {};

TEST_P(DriveItemTextTest, ShowsLetterColonAndLabelOrShareInLowerCase) {
    EXPECT_EQ(DriveItemText(GetParam().letter, GetParam().type, GetParam().detail),
              GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Kinds, DriveItemTextTest,
                         ::testing::Values(DriveTextCase{'c', DRIVE_FIXED, "System", "c: [system]"},
                                           DriveTextCase{'D', DRIVE_CDROM, "", "d: []"},
                                           DriveTextCase{'a', DRIVE_REMOVABLE, "", "a:"},
                                           DriveTextCase{'n', DRIVE_REMOTE, "\\\\Server\\Share",
                                                         "n: \\\\server\\share"},
                                           DriveTextCase{'r', DRIVE_RAMDISK, "RAM", "r: [ram]"}));

struct FitCase {
    int width, height;
    RECT expected;  // in a 145 x 145 box
};

class FitPictureTest : public ::testing::TestWithParam<FitCase> {};

TEST_P(FitPictureTest, ScalesToFitKeepingProportionsAndCentres) {
    const RECT place = FitPicture(GetParam().width, GetParam().height, RECT{0, 0, 145, 145});
    EXPECT_EQ(place.left, GetParam().expected.left);
    EXPECT_EQ(place.top, GetParam().expected.top);
    EXPECT_EQ(place.right, GetParam().expected.right);
    EXPECT_EQ(place.bottom, GetParam().expected.bottom);
}

INSTANTIATE_TEST_SUITE_P(Shapes, FitPictureTest,
                         ::testing::Values(FitCase{256, 256, {0, 0, 145, 145}},
                                           FitCase{32, 32, {0, 0, 145, 145}},
                                           FitCase{290, 145, {0, 36, 145, 109}},
                                           FitCase{50, 100, {36, 0, 109, 145}}));

}  // namespace
}  // namespace spacegauge
