// Files a docklet meets on a real disk that are not what they claim: pictures that do not
// decode, folders where a picture should be, names the ANSI code page cannot hold, a missing
// default icon, settings files of garbage or with endless values, and a settings file that
// the system refuses to let anyone write.
#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <ostream>
#include <random>
#include <string>
#include <thread>

#include "png_writer.h"
#include "wine_test_support.h"

namespace refhost {
namespace {

namespace fs = std::filesystem;
using namespace std::string_literals;
using namespace Gdiplus::DllExports;

constexpr HostRect kSmall{0, 0, 48, 48};
constexpr std::uint32_t kOpaqueRed = 0xFFFF0000;

std::string Section(const std::string& keys) {
    return "[Spacegauge1]\r\n" + keys;
}

bool AllTransparent(const Pixels& pixels) {
    for (std::uint32_t p : pixels.argb)
        if (p != 0) return false;
    return true;
}

std::string RandomBytes(std::size_t n, unsigned seed) {
    std::mt19937 random(seed);
    std::string bytes(n, '\0');
    for (char& c : bytes) c = char(random() & 0xFF);
    return bytes;
}

std::wstring AnsiRoundTrip(const std::wstring& text, std::string* ansi) {
    const int n = WideCharToMultiByte(CP_THREAD_ACP, 0, text.c_str(), int(text.size()), nullptr, 0,
                                      nullptr, nullptr);
    ansi->assign(std::size_t(n), '\0');
    WideCharToMultiByte(CP_THREAD_ACP, 0, text.c_str(), int(text.size()), ansi->data(), n, nullptr,
                        nullptr);
    const int m = MultiByteToWideChar(CP_THREAD_ACP, 0, ansi->data(), n, nullptr, 0);
    std::wstring back(std::size_t(m), L'\0');
    MultiByteToWideChar(CP_THREAD_ACP, 0, ansi->data(), n, back.data(), m);
    return back;
}

// Runs a program of the Unix side and waits for it: Wine starts it, `start /wait` waits.
bool RunUnixProgram(const std::wstring& commandLine) {
    std::wstring command = L"start.exe /wait /unix " + commandLine;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr,
                        nullptr, &startup, &process))
        return false;
    WaitForSingleObject(process.hProcess, 10000);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return true;
}

std::wstring UnixPath(const std::string& windowsPath) {
    using Convert = char*(CDECL*)(const wchar_t*);
    const auto convert = reinterpret_cast<Convert>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name")));
    if (!convert) return {};
    char* unix = convert(FromUtf8(windowsPath).c_str());
    if (!unix) return {};
    const std::wstring path = FromUtf8(unix);
    HeapFree(GetProcessHeap(), 0, unix);
    return path;
}

bool Writable(const std::string& path) {
    const HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                    OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    CloseHandle(file);
    return true;
}

// chattr +i: as root under Wine neither the read-only attribute nor chmod stops a write.
bool SetImmutable(const std::string& path, bool immutable) {
    const std::wstring unix = UnixPath(path);
    if (unix.empty()) return false;
    if (!RunUnixProgram(std::wstring(L"/usr/bin/chattr ") + (immutable ? L"+i" : L"-i") + L" \"" +
                        unix + L"\""))
        return false;
    for (int i = 0; i < 500; ++i) {
        if (Writable(path) != immutable) return true;
        Sleep(10);
    }
    return false;
}

class BadFilesTest : public PluginTest {
  protected:
    void SetUp() override {
        // A run that died with the settings file immutable would leave it so for every test.
        if (FileExists(SettingsPath()) && !Writable(SettingsPath()))
            SetImmutable(SettingsPath(), false);
        PluginTest::SetUp();
        if (HasFatalFailure()) return;
        std::error_code ignored;
        fs::remove_all(Scratch(), ignored);
        ASSERT_TRUE(fs::create_directories(Scratch()));
        InitAndCreate(1, 1, kSmall);
    }

    void TearDown() override {
        PluginTest::TearDown();
        std::error_code ignored;
        fs::remove_all(Scratch(), ignored);
    }

    // A folder of the test's own beside the reference host, emptied before and after.
    static fs::path Scratch() { return fs::path(ReferenceHost::HostFolder()) / L"bad files"; }
    static std::string ScratchA() { return ToUtf8(Scratch().wstring()) + "\\"; }

    // Draws instance 1 with an empty label, so that only the icon shows.
    Pixels DrawIconOnly(const std::string& keys) {
        WriteSettings(Section("LabelText=\r\n" + keys));
        return DrawPixels();
    }

    Pixels DrawPixels() {
        HandlerResult result;
        HostBitmap bitmap = host().Draw(1, &result);
        EXPECT_TRUE(result.ok());
        if (!bitmap) {
            ADD_FAILURE() << "no bitmap";
            return {};
        }
        return ReadPixels(bitmap.get());
    }

    static void WriteSolidPng(const fs::path& path, std::uint32_t argb) {
        Gdiplus::GpBitmap* raw = nullptr;
        ASSERT_EQ(GdipCreateBitmapFromScan0(8, 8, 0, PixelFormat32bppARGB, nullptr, &raw),
                  Gdiplus::Ok);
        const HostBitmap bitmap(raw);
        for (int y = 0; y < 8; ++y)
            for (int x = 0; x < 8; ++x) GdipBitmapSetPixel(raw, x, y, argb);
        ASSERT_TRUE(SavePng(raw, path.wstring()));
    }

    void ExpectNoBoxes() {
        for (const SeenBox& box : boxes().Boxes())
            ADD_FAILURE() << "message box \"" << box.caption << "\": " << box.text;
    }
};

TEST_F(BadFilesTest, TheDefaultIconShowsWhereNoIconIsConfigured) {
    const Pixels pixels = DrawIconOnly("");
    EXPECT_FALSE(AllTransparent(pixels)) << "the comparisons below would prove nothing";
}

struct CorruptIcon {
    const char* name;
    std::string (*content)(const std::string& realPng);
    bool undecodable;  // no decoder makes anything of it, so nothing may be drawn
};

const CorruptIcon kCorruptIcons[] = {
    {"TextNamedPng", [](const std::string&) { return std::string("no picture, only text\r\n"); },
     true},
    {"EmptyFile", [](const std::string&) { return std::string(); }, true},
    {"SignatureThenGarbage",
     [](const std::string& png) { return png.substr(0, 8) + RandomBytes(4000, 7); }, true},
    {"HeaderOnly", [](const std::string& png) { return png.substr(0, 33); }, true},
    {"RandomBytes", [](const std::string&) { return RandomBytes(4000, 11); }, true},
    {"TruncatedToHalf", [](const std::string& png) { return png.substr(0, png.size() / 2); },
     false},
    {"EndChunkMissing", [](const std::string& png) { return png.substr(0, png.size() - 12); },
     false},
};

// Name the cases in test lists instead of dumping their bytes.
void PrintTo(const CorruptIcon& c, std::ostream* out) {
    *out << c.name;
}

class CorruptIconTest : public BadFilesTest, public ::testing::WithParamInterface<CorruptIcon> {};

TEST_P(CorruptIconTest, DrawsNoIconAndStillHandsOverTheBitmap) {
    const std::string path = ScratchA() + "corrupt.png";
    WriteFile(path, GetParam().content(ReadFile(DefaultIconPath())));
    const Pixels pixels = DrawIconOnly("Iconsource=" + path + "\r\n");
    EXPECT_EQ(pixels.width, kSmall.right);
    EXPECT_EQ(pixels.height, kSmall.bottom);
    if (GetParam().undecodable) EXPECT_TRUE(AllTransparent(pixels));
    // A picture that exists is not swapped for the default one, decodable or not.
    const Pixels again = DrawIconOnly("Iconsource=" + path + "\r\n");
    EXPECT_EQ(again.argb, pixels.argb);
    ExpectNoBoxes();
}

INSTANTIATE_TEST_SUITE_P(Kinds, CorruptIconTest, ::testing::ValuesIn(kCorruptIcons),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(BadFilesTest, AFolderWhereTheIconShouldBeShowsTheDefaultIcon) {
    const Pixels expected = DrawIconOnly("");
    ASSERT_TRUE(fs::create_directories(Scratch() / L"folder.png"));
    const std::string folders[] = {PluginFolderA(),
                                   PluginFolderA().substr(0, PluginFolderA().size() - 1),
                                   ScratchA() + "folder.png", "C:\\", "."};
    for (const std::string& folder : folders) {
        SCOPED_TRACE(folder);
        EXPECT_EQ(DrawIconOnly("Iconsource=" + folder + "\r\n").argb, expected.argb);
    }
    ExpectNoBoxes();
}

// The settings file holds 8-bit text: a path the ANSI code page cannot hold is stored with the
// system's default character in place of what it lacks, and then names no file.
TEST_F(BadFilesTest, AnIconPathOutsideTheAnsiCodePageDrawsWhatTheStoredPathNames) {
    const Pixels defaultIcon = DrawIconOnly("");
    const struct {
        const wchar_t* folder;
        const wchar_t* file;
    } paths[] = {
        {L"Значки", L"icon.png"},
        {L"", L"图标.png"},
        {L"Εικόνες", L"εικόνα.png"},
        {L"plain", L"icon.png"},  // fits every code page: the red icon itself must show
    };
    for (const auto& p : paths) {
        const fs::path folder = Scratch() / p.folder;
        fs::create_directories(folder);
        const fs::path icon = folder / p.file;
        ASSERT_NO_FATAL_FAILURE(WriteSolidPng(icon, kOpaqueRed));
        std::string stored;
        const bool survives = AnsiRoundTrip(icon.wstring(), &stored) == icon.wstring();
        SCOPED_TRACE(ToUtf8(icon.wstring()) + " stored as " + stored);
        const Pixels pixels = DrawIconOnly("Iconsource=" + stored + "\r\n");
        if (survives) {
            ASSERT_FALSE(pixels.argb.empty());
            EXPECT_EQ(pixels.at(24, 24), kOpaqueRed);
        } else {
            EXPECT_EQ(pixels.argb, defaultIcon.argb);
        }
    }
    ExpectNoBoxes();
}

// The default icon is renamed for the test and put back afterwards, whatever happened.
class MissingDefaultIconTest : public BadFilesTest {
  protected:
    void SetUp() override {
        PutDefaultIconBack();  // after a run that died half-way
        ASSERT_TRUE(MoveFileA(DefaultIconPath().c_str(), AwayPath().c_str()))
            << "cannot rename " << DefaultIconPath();
        BadFilesTest::SetUp();
    }
    void TearDown() override {
        BadFilesTest::TearDown();
        PutDefaultIconBack();
        EXPECT_TRUE(FileExists(DefaultIconPath())) << "default.png was not put back";
    }
    static std::string AwayPath() { return DefaultIconPath() + ".away"; }
    static void PutDefaultIconBack() {
        if (FileExists(AwayPath()) && !FileExists(DefaultIconPath()))
            MoveFileA(AwayPath().c_str(), DefaultIconPath().c_str());
    }
};

TEST_F(MissingDefaultIconTest, NoIconAtAllLeavesTheImageClearButForTheLabel) {
    ASSERT_TRUE(fs::create_directories(Scratch() / L"folder.png"));
    const std::string icons[] = {"", "Iconsource=" + ScratchA() + "missing.png\r\n",
                                 "Iconsource=" + ScratchA() + "folder.png\r\n"};
    for (const std::string& icon : icons) {
        SCOPED_TRACE(icon);
        EXPECT_TRUE(AllTransparent(DrawIconOnly(icon)));
        WriteSettings(Section("LabelText=XX\r\n" + icon));
        EXPECT_FALSE(AllTransparent(DrawPixels())) << "the label is drawn all the same";
    }
    ExpectNoBoxes();
}

struct GarbageFile {
    const char* name;
    std::string content;
    bool defaults;  // holds no section of the instance, so every default applies
};

const GarbageFile kGarbageFiles[] = {
    {"RandomBytes", RandomBytes(8192, 1), true},
    {"OnlyNuls", std::string(8192, '\0'), true},
    {"RandomBytesAfterAUtf16Mark", "\xFF\xFE" + RandomBytes(8192, 2), true},
    {"RandomBytesAfterAUtf8Mark", "\xEF\xBB\xBF" + RandomBytes(8192, 3), true},
    {"RandomBytesInTheSection", "[Spacegauge1]\r\n" + RandomBytes(8192, 4), false},
    {"RandomLinesInTheSection",
     "[Spacegauge1]\r\n" + RandomBytes(300, 5) + "\r\nLabelSize=" + RandomBytes(40, 6) +
         "\r\nDrive=" + RandomBytes(3, 7) + "\r\nUpdate=" + RandomBytes(9, 8) + "\r\n",
     false},
    {"NulsAndControlsInValues",
     "[Spacegauge1]\r\nLabelSize=\0\x01 12\r\nLabelText=\x7F\0\xFF$up\r\nDrive=\0\r\n"
     "Update=\xFF\xFE\r\nLabelColor=cl\0Red\r\nOutlineWidth=\x1B[2J\r\n"s,
     false},
};

void PrintTo(const GarbageFile& g, std::ostream* out) {
    *out << g.name;
}

class GarbageSettingsTest : public BadFilesTest,
                            public ::testing::WithParamInterface<GarbageFile> {};

TEST_P(GarbageSettingsTest, GivesDefaultsOrClearBoxesAndNeverAFault) {
    WriteSettings(GetParam().content);
    for (int draw = 0; draw < 2; ++draw) {
        HandlerResult result;
        HostBitmap bitmap = host().Draw(1, &result);
        EXPECT_TRUE(result.ok());
        EXPECT_TRUE(bitmap);
    }
    for (const SeenBox& box : boxes().Boxes()) {
        EXPECT_EQ(box.caption, "TilvaneSrc.Q_ReadSettings");
        EXPECT_NE(box.text.find("is not a valid"), std::string::npos) << box.text;
    }
    if (GetParam().defaults) {
        EXPECT_TRUE(boxes().Boxes().empty());
        EXPECT_EQ(host().Caption(1).rfind(L"Drive: C -  Free: ", 0), 0u)
            << ToUtf8(host().Caption(1));
    }
}

INSTANTIATE_TEST_SUITE_P(Kinds, GarbageSettingsTest, ::testing::ValuesIn(kGarbageFiles),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(BadFilesTest, AValueOfAHundredThousandCharactersIsCutTo2047) {
    std::string endless;
    for (int i = 0; i < 100000; ++i) endless += char('a' + i % 26);
    WriteSettings(Section("DockletCaption=" + endless + "\r\nLabelText=" + endless +
                          "\r\nCommand=" + endless + "\r\nIconsource=" + endless + "\r\n"));
    const Pixels pixels = DrawPixels();
    EXPECT_EQ(pixels.width, kSmall.right);
    EXPECT_EQ(host().Caption(1), FromUtf8(endless.substr(0, 2047)));
    EXPECT_TRUE(host().Click(0).ok()) << "a command that names no program";
    // The cut icon path names no file: the default icon stands in.
    const Pixels defaultIcon = DrawIconOnly("");
    EXPECT_EQ(DrawIconOnly("Iconsource=" + endless + "\r\n").argb, defaultIcon.argb);
    ExpectNoBoxes();
}

class ConfigureWriteTest : public BadFilesTest {
  protected:
    void TearDown() override {
        if (immutable_) EXPECT_TRUE(SetImmutable(SettingsPath(), false)) << "still immutable";
        BadFilesTest::TearDown();
    }

    // Q_OnEdit with OK pressed; false when no dialog could be pressed.
    bool ConfigureWithOk() {
        DialogPresser ok(IDOK);
        const HandlerResult result = host().Edit(1);
        const bool pressed = ok.Finish();
        if (pressed) EXPECT_TRUE(result.ok());
        return pressed;
    }

    bool immutable_ = false;
};

TEST_F(ConfigureWriteTest, OkWritesTheSettingsFile) {
    WriteSettings(Section("LabelText=before\r\n"));
    if (!ConfigureWithOk()) GTEST_SKIP() << "no window \"Spacegauge Settings\" appeared within 3 s";
    const std::string written = ReadSettings();
    EXPECT_NE(written.find("IconSource="), std::string::npos) << written;
    EXPECT_NE(written.find("LabelText=before"), std::string::npos) << written;
    ExpectNoBoxes();
}

TEST_F(ConfigureWriteTest, AFileTheSystemWillNotWriteGivesOneBoxAndStaysAsItWas) {
    WriteSettings(Section("LabelText=before\r\nDrive=d\r\n"));
    const std::string before = ReadSettings();
    immutable_ = SetImmutable(SettingsPath(), true);
    if (!immutable_) GTEST_SKIP() << "cannot make the settings file immutable (chattr +i)";
    if (!ConfigureWithOk()) GTEST_SKIP() << "no window \"Spacegauge Settings\" appeared within 3 s";
    ASSERT_TRUE(boxes().WaitFor(1, 3000));
    const auto seen = boxes().Boxes();
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].caption, "TilvaneSrc.Q_WriteSettings");
    EXPECT_EQ(seen[0].text, "Unable to write to " + SettingsPath());
    EXPECT_EQ(ReadSettings(), before);
}

}  // namespace
}  // namespace refhost
