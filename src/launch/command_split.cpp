#include "launch/command_split.h"

namespace spacegauge {

namespace {

// Bytes of 0x80 and above are text in the ANSI code page, never control characters.
bool IsControlOrBlank(char c) {
    return static_cast<unsigned char>(c) <= 32;
}

}  // namespace

std::string TrimControl(std::string_view text) {
    std::size_t first = 0;
    std::size_t last = text.size();
    while (first < last && IsControlOrBlank(text[first])) ++first;
    while (last > first && IsControlOrBlank(text[last - 1])) --last;
    return std::string(text.substr(first, last - first));
}

ShellCommand SplitCommand(std::string_view command) {
    const std::string trimmed = TrimControl(command);
    const std::string_view c = trimmed;
    std::string_view file = c;
    std::string_view parameters;
    if (!c.empty() && c.front() == '"') {
        const std::size_t closing = c.find('"', 1);
        if (closing != std::string_view::npos) {
            file = c.substr(1, closing - 1);
            parameters = c.substr(closing + 1);
        } else if (const std::size_t blank = c.find(' '); blank != std::string_view::npos) {
            // An unclosed quote stays part of the file name, as the shell will see it.
            file = c.substr(0, blank);
            parameters = c.substr(blank + 1);
        }
    }
    return {TrimControl(file), TrimControl(parameters)};
}

}  // namespace spacegauge
