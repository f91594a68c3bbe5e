// The command's file form ("!!" for a double quote) and the split into file and parameters.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "launch/command_split.h"
#include "settings/text_forms.h"

namespace {

void Check(bool ok, const char* what) {
    if (!ok) {
        std::fprintf(stderr, "property violated: %s\n", what);
        std::abort();
    }
}

bool IsControlOrBlank(char c) {
    return static_cast<unsigned char>(c) <= 32;
}

bool TrimmedAtBothEnds(std::string_view s) {
    return s.empty() || (!IsControlOrBlank(s.front()) && !IsControlOrBlank(s.back()));
}

bool AllControlOrBlank(std::string_view s) {
    for (const char c : s) {
        if (!IsControlOrBlank(c)) return false;
    }
    return true;
}

std::size_t Count(std::string_view s, char c) {
    std::size_t n = 0;
    for (const char x : s) n += x == c;
    return n;
}

void CheckIniForms(std::string_view text) {
    const std::string encoded = spacegauge::CommandToIniText(text);
    Check(encoded.find('"') == std::string::npos, "the file form holds no double quote");
    Check(encoded.size() == text.size() + Count(text, '"'), "each quote becomes two characters");

    // Decoding pairs "!!" from the left, so a literal '!' survives only where the encoded
    // text has no '!' right after it: the command must hold neither "!!" nor "!\"".
    const bool ambiguous =
        text.find("!!") != std::string_view::npos || text.find("!\"") != std::string_view::npos;
    const bool roundTrips = spacegauge::CommandFromIniText(encoded) == text;
    Check(roundTrips == !ambiguous,
          "command -> file form -> command holds exactly without !! or !\"");

    const std::string decoded = spacegauge::CommandFromIniText(text);
    Check(decoded.find("!!") == std::string::npos, "a decoded command holds no \"!!\"");
    Check(decoded.size() + Count(decoded, '"') - Count(text, '"') == text.size(),
          "each decoded quote came from exactly two '!'");
    // Any run of '!' decodes and encodes back to itself; only a literal quote cannot.
    const bool textRoundTrips = spacegauge::CommandToIniText(decoded) == text;
    Check(textRoundTrips == (text.find('"') == std::string_view::npos),
          "file form -> command -> file form holds exactly without a double quote");
}

void CheckTrim(std::string_view text) {
    const std::string trimmed = spacegauge::TrimControl(text);
    Check(TrimmedAtBothEnds(trimmed), "TrimControl leaves no char <= 32 at either end");
    if (trimmed.empty()) {
        Check(AllControlOrBlank(text), "only blanks and controls trim to empty");
        return;
    }
    const std::size_t at = text.find(trimmed);
    Check(at != std::string_view::npos, "the trimmed text is part of the input");
    Check(AllControlOrBlank(text.substr(0, at)), "only chars <= 32 are cut in front");
    Check(AllControlOrBlank(text.substr(at + trimmed.size())), "only chars <= 32 are cut behind");
}

void CheckSplit(std::string_view command) {
    const std::string c = spacegauge::TrimControl(command);
    const spacegauge::ShellCommand split = spacegauge::SplitCommand(command);
    Check(TrimmedAtBothEnds(split.file), "the file is trimmed");
    Check(TrimmedAtBothEnds(split.parameters), "the parameters are trimmed");
    Check(c.find(split.file) != std::string::npos, "the file is part of the trimmed command");
    Check(std::string_view(c).ends_with(split.parameters), "the parameters end the command");

    if (c.empty() || c[0] != '"') {
        Check(split.file == c && split.parameters.empty(), "an unquoted command is one file");
        return;
    }
    const std::size_t closing = c.find('"', 1);
    if (closing != std::string::npos) {
        Check(split.file.find('"') == std::string::npos, "a quoted file holds no quote");
        Check(split.file == spacegauge::TrimControl(std::string_view(c).substr(1, closing - 1)),
              "the file is what the quotes enclose");
        Check(split.parameters == spacegauge::TrimControl(std::string_view(c).substr(closing + 1)),
              "the parameters are what follows the closing quote");
        return;
    }
    const std::size_t blank = c.find(' ');
    if (blank == std::string::npos) {
        Check(split.file == c && split.parameters.empty(), "no closing quote, no blank: one file");
        return;
    }
    Check(split.file == spacegauge::TrimControl(std::string_view(c).substr(0, blank)),
          "an unclosed quote stays on the file up to the blank");
    Check(split.file.front() == '"', "the file keeps the opening quote");
    Check(split.file.find(' ') == std::string::npos, "the file ends at the first blank");
    Check(split.parameters == spacegauge::TrimControl(std::string_view(c).substr(blank + 1)),
          "the parameters follow the first blank");
}

// Quoting any file that holds no quote, followed by a blank and parameters, gives both back.
void CheckQuotedCommandSplitsBack(std::string_view fileSource, std::string_view parametersSource) {
    std::string file = spacegauge::TrimControl(fileSource);
    std::erase(file, '"');
    file = spacegauge::TrimControl(file);
    const std::string parameters = spacegauge::TrimControl(parametersSource);
    const spacegauge::ShellCommand split =
        spacegauge::SplitCommand("\t\"" + file + "\" " + parameters + "\r\n");
    Check(split.file == file, "a quoted file comes back unchanged");
    Check(split.parameters == parameters, "parameters after a quoted file come back unchanged");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    CheckIniForms(text);
    CheckTrim(text);
    CheckSplit(text);
    CheckSplit(spacegauge::CommandFromIniText(text));

    const std::size_t cut = text.find('\0');
    if (cut == std::string_view::npos) {
        CheckQuotedCommandSplitsBack(text, {});
    } else {
        CheckQuotedCommandSplitsBack(text.substr(0, cut), text.substr(cut + 1));
    }
    return 0;
}
