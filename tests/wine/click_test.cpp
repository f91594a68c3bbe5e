// The click handler as a dock sees it: the configured command goes through the shell to
// click_recorder.exe, which writes down the command line and arguments it was started with.
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "wine_test_support.h"

namespace refhost {
namespace {

struct RecorderLog {
    bool written = false;
    std::string cmdline;
    std::vector<std::string> args;
};

class ClickTest : public PluginTest {
  protected:
    void SetUp() override {
        PluginTest::SetUp();
        if (HasFatalFailure()) return;
        DeleteFileA(LogPath(Folder()).c_str());
        // The default command would start the file manager: every test names its own.
        UseCommand("");
        InitAndCreate(1, 1);
    }

    void TearDown() override {
        PluginTest::TearDown();
        DeleteFileA(LogPath(Folder()).c_str());
        if (!blankFolder_.empty()) {
            DeleteFileA(LogPath(blankFolder_).c_str());
            DeleteFileA((blankFolder_ + "click_recorder.exe").c_str());
            RemoveDirectoryA(blankFolder_.c_str());
        }
    }

    static std::string Folder() { return ToUtf8(ReferenceHost::HostFolder()); }
    static std::string Recorder() { return Folder() + "click_recorder.exe"; }
    static std::string LogPath(const std::string& folder) { return folder + "click_recorder.log"; }

    // A copy of the recorder in a folder whose name has a blank; returns the folder.
    std::string RecorderFolderWithBlank() {
        blankFolder_ = Folder() + "with blank\\";
        CreateDirectoryA(blankFolder_.c_str(), nullptr);
        EXPECT_TRUE(
            CopyFileA(Recorder().c_str(), (blankFolder_ + "click_recorder.exe").c_str(), FALSE));
        DeleteFileA(LogPath(blankFolder_).c_str());
        return blankFolder_;
    }

    // Writes the INI text of Command for instance 1, where "!!" stands for a double quote.
    void UseCommand(const std::string& iniValue) {
        WriteSettings("[Spacegauge1]\r\nCommand=" + iniValue + "\r\n");
    }

    // Writes the command and lets the plug-in read it, as the next draw does.
    void ReadCommand(const std::string& iniValue) {
        UseCommand(iniValue);
        host().Draw(1);
    }

    // Waits for the recorder's log in `folder`, then takes it away for the next case.
    static RecorderLog WaitForLog(const std::string& folder, DWORD milliseconds = 5000) {
        const std::string path = LogPath(folder);
        const ULONGLONG deadline = GetTickCount64() + milliseconds;
        std::string last;
        for (;;) {
            // Complete once two reads a little apart agree.
            const std::string now = FileExists(path) ? ReadFile(path) : std::string();
            if (!now.empty() && now == last) break;
            last = now;
            if (GetTickCount64() >= deadline) return {};
            Sleep(100);
        }
        RecorderLog log;
        log.written = true;
        std::size_t start = 0;
        while (start < last.size()) {
            std::size_t end = last.find('\n', start);
            if (end == std::string::npos) end = last.size();
            const std::string line = last.substr(start, end - start);
            if (line.rfind("cmdline=", 0) == 0) log.cmdline = line.substr(8);
            if (line.rfind("arg=", 0) == 0) log.args.push_back(line.substr(4));
            start = end + 1;
        }
        DeleteFileA(path.c_str());
        return log;
    }

  private:
    std::string blankFolder_;
};

using Args = std::vector<std::string>;

TEST_F(ClickTest, FileAndParametersReachTheProgram) {
    const std::string r = Recorder();
    const struct {
        std::string ini;  // "!!" is a double quote in memory
        Args args;
        std::string parameters;  // as the command line shows them after the quoted file
    } cases[] = {
        {"!!" + r + "!! -x !!a b!!", {"-x", "a b"}, R"( -x "a b")"},
        {"!!" + r + "!!-x", {"-x"}, " -x"},
        {"!!" + r + "!!", {}, ""},
        {"!!" + r + "!! !!x y!! z", {"x y", "z"}, R"( "x y" z)"},
        // The profile functions strip the outer quotes and keep the blanks and tabs inside.
        {"\" \t!!" + r + "!!\t  -x \t\"", {"-x"}, " -x"},
        {"!! \t" + r + "\t !! \t-x\t", {"-x"}, " -x"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.ini);
        ReadCommand(c.ini);
        ASSERT_TRUE(host().Click(0).ok());
        const RecorderLog log = WaitForLog(Folder());
        ASSERT_TRUE(log.written) << "the recorder did not run within 5 s";
        EXPECT_EQ(log.args, c.args);
        EXPECT_EQ(log.cmdline, "\"" + r + "\"" + c.parameters);
    }
    EXPECT_TRUE(boxes().Boxes().empty());
}

TEST_F(ClickTest, PathWithABlankOpensQuotedOrWhole) {
    const std::string folder = RecorderFolderWithBlank();
    const std::string r = folder + "click_recorder.exe";
    const struct {
        std::string ini;
        Args args;
    } cases[] = {
        {"!!" + r + "!! -x !!a b!!", {"-x", "a b"}},
        {r, {}},  // unquoted: the whole command is one file name
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.ini);
        ReadCommand(c.ini);
        ASSERT_TRUE(host().Click(0).ok());
        const RecorderLog log = WaitForLog(folder);
        ASSERT_TRUE(log.written) << "the recorder did not run within 5 s";
        EXPECT_EQ(log.args, c.args);
    }
}

TEST_F(ClickTest, UnquotedCommandIsOneFileNameEvenWithParameters) {
    // "<recorder> -x" names no file, so nothing may start.
    ReadCommand(Recorder() + " -x");
    EXPECT_TRUE(host().Click(0).ok());
    EXPECT_FALSE(WaitForLog(Folder(), 1500).written);
    EXPECT_TRUE(boxes().Boxes().empty());
}

TEST_F(ClickTest, ArgumentIsIgnored) {
    ReadCommand("!!" + Recorder() + "!! -x");
    int local = 0;
    for (std::uintptr_t arg : {std::uintptr_t(0), std::uintptr_t(1), std::uintptr_t(0xFFFFFFFF),
                               reinterpret_cast<std::uintptr_t>(&local)}) {
        SCOPED_TRACE(arg);
        EXPECT_TRUE(host().Click(arg).ok());
        const RecorderLog log = WaitForLog(Folder());
        ASSERT_TRUE(log.written);
        EXPECT_EQ(log.args, Args{"-x"});
    }
}

TEST_F(ClickTest, UsesTheCommandOfTheSettingsReadLast) {
    const std::string r = Recorder();
    WriteSettings("[Spacegauge1]\r\nCommand=!!" + r + "!! one\r\n[Spacegauge2]\r\nCommand=!!" + r +
                  "!! two\r\n");
    host().SetInstance(2, 2);
    const struct {
        InstanceId drawn;
        const char* arg;
    } cases[] = {{1, "one"}, {2, "two"}, {1, "one"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.arg);
        host().Draw(c.drawn);
        ASSERT_TRUE(host().Click(0).ok());
        const RecorderLog log = WaitForLog(Folder());
        ASSERT_TRUE(log.written);
        EXPECT_EQ(log.args, Args{c.arg});
    }

    // A changed file counts only once the plug-in has read it again.
    UseCommand("!!" + r + "!! changed");
    ASSERT_TRUE(host().Click(0).ok());
    EXPECT_EQ(WaitForLog(Folder()).args, Args{"one"});
}

TEST_F(ClickTest, EmptyOrBlankCommandOpensNothing) {
    for (const char* ini : {"", "\"  \t  \"", "\"\t\""}) {
        SCOPED_TRACE(ini);
        ReadCommand(ini);
        EXPECT_TRUE(host().Click(0).ok());
        EXPECT_FALSE(WaitForLog(Folder(), 1500).written);
    }
    EXPECT_TRUE(boxes().Boxes().empty());
}

TEST_F(ClickTest, UnclosedQuoteKeepsItInTheFileAndStillReturnsTrue) {
    // The file is '"<recorder>' and the parameter 'x'; whether that opens is the shell's
    // business, but the click must come back with true and no box.
    ReadCommand("!!" + Recorder() + " x");
    EXPECT_TRUE(host().Click(0).ok());
    WaitForLog(Folder(), 2000);
    EXPECT_TRUE(boxes().Boxes().empty());
}

}  // namespace
}  // namespace refhost
