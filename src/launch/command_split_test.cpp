#include "launch/command_split.h"

#include <string>

#include <gtest/gtest.h>

namespace spacegauge {
namespace {

TEST(TrimControl, RemovesCodesUpTo32AtBothEndsOnly) {
    const struct {
        std::string text;
        std::string expected;
    } cases[] = {
        {"", ""},
        {"   ", ""},
        {" \t\r\n\x01\x1f", ""},
        {"abc", "abc"},
        {"  a b  ", "a b"},
        {"\t\r\na\tb\r\n", "a\tb"},
        {std::string("\0a\0", 3), "a"},
        {"\x7f"
         "a\x7f",
         "\x7f"
         "a\x7f"},
        {"\xa0x\xa0", "\xa0x\xa0"},  // ANSI no-break space is text, not a control code
        {"\x80\xff", "\x80\xff"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(TrimControl(c.text), c.expected) << "[" << c.text << "]";
    }
}

struct SplitCase {
    const char* command;
    const char* file;
    const char* parameters;
};

void ExpectSplits(const SplitCase* first, const SplitCase* last) {
    for (const SplitCase* c = first; c != last; ++c) {
        const ShellCommand split = SplitCommand(c->command);
        EXPECT_EQ(split.file, c->file) << "[" << c->command << "]";
        EXPECT_EQ(split.parameters, c->parameters) << "[" << c->command << "]";
    }
}

TEST(SplitCommand, WorkedExamples) {
    const SplitCase cases[] = {
        {R"("C:\Program Files\Tool\tool.exe" -x "a b")", R"(C:\Program Files\Tool\tool.exe)",
         R"(-x "a b")"},
        {R"("explorer.exe" /e, C:)", "explorer.exe", "/e, C:"},
        {R"(C:\Program Files\Tool\tool.exe)", R"(C:\Program Files\Tool\tool.exe)", ""},
        {R"(notepad.exe C:\notes.txt)", R"(notepad.exe C:\notes.txt)", ""},
        {R"("notepad.exe" C:\notes.txt)", "notepad.exe", R"(C:\notes.txt)"},
        {R"("tool.exe")", "tool.exe", ""},
        {R"("tool.exe"-x)", "tool.exe", "-x"},
        {R"(   "tool.exe"    -x   )", "tool.exe", "-x"},
        {R"("C:\Program Files\Tool\tool.exe -x)", R"("C:\Program)", R"(Files\Tool\tool.exe -x)"},
        {R"("tool.exe)", R"("tool.exe)", ""},
        {R"("")", "", ""},
        {R"("a.exe" "x y" z)", "a.exe", R"("x y" z)"},
    };
    ExpectSplits(std::begin(cases), std::end(cases));
}

TEST(SplitCommand, ControlCharactersAroundCommandFileAndParameters) {
    const SplitCase cases[] = {
        {"\t\r\n\"tool.exe\"\t -x\r\n", "tool.exe", "-x"},
        {"\" \ttool.exe\t \"\r\n-x \"a\tb\"\t", "tool.exe", "-x \"a\tb\""},
        {"\"tool.exe\"\t\t", "tool.exe", ""},
        {"\r\nnotepad.exe C:\\notes.txt\r\n", "notepad.exe C:\\notes.txt", ""},
        // Only a blank ends the file of an unclosed quote; a tab does not.
        {"\"C:\\tool.exe\t-x", "\"C:\\tool.exe\t-x", ""},
        {"\"C:\\tool.exe\t-x y", "\"C:\\tool.exe\t-x", "y"},
        {"\"tool.exe  ", "\"tool.exe", ""},  // the trailing blank goes with the trim
    };
    ExpectSplits(std::begin(cases), std::end(cases));
}

TEST(SplitCommand, EmptyOrBlankCommandGivesEmptyFileAndParameters) {
    const SplitCase cases[] = {
        {"", "", ""},
        {" \t\r\n ", "", ""},
        {"\" \"", "", ""},
    };
    ExpectSplits(std::begin(cases), std::end(cases));
}

}  // namespace
}  // namespace spacegauge
