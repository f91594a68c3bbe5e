#pragma once
// Splitting the click command into a file and its parameters. Portable.
#include <string>
#include <string_view>

namespace spacegauge {

struct ShellCommand {
    std::string file;
    std::string parameters;
};

// Removes every character of code 32 or below at both ends.
std::string TrimControl(std::string_view text);

// Only a command that starts with a double quote is split; see the tests for the table.
ShellCommand SplitCommand(std::string_view command);

}  // namespace spacegauge
