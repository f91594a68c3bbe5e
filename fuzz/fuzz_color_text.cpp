// Colour texts: reading either yields a value or throws the one error type, and every value
// written reads back unchanged.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>

#include "host/exception.h"
#include "settings/text_forms.h"

namespace {

using spacegauge::ColorValue;

void Check(bool ok, const char* what) {
    if (!ok) {
        std::fprintf(stderr, "property violated: %s\n", what);
        std::abort();
    }
}

char AsciiLower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool SameIgnoringAsciiCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (AsciiLower(a[i]) != AsciiLower(b[i])) return false;
    }
    return true;
}

std::optional<ColorValue> NamedValue(std::string_view text) {
    for (const auto& entry : spacegauge::ColorNames()) {
        if (SameIgnoringAsciiCase(entry.name, text)) return entry.value;
    }
    return std::nullopt;
}

bool IsHexForm(const std::string& text) {
    return text.size() == 9 && text[0] == '$' &&
           text.find_first_not_of("0123456789ABCDEF", 1) == std::string::npos;
}

std::optional<ColorValue> ReadColor(std::string_view text) {
    try {
        return spacegauge::ColorFromText(text);
    } catch (const spacegauge::Exception& error) {
        const std::string expected = "'" + std::string(text) + "' is not a valid integer value";
        // what() ends at the first NUL, as the message box does.
        Check(std::string_view(error.what()) == std::string_view(expected.c_str()),
              "the error names the offending text");
        return std::nullopt;
    }
}

void CheckWrittenFormReadsBack(ColorValue value) {
    const std::string text = spacegauge::ColorToText(value);
    const std::optional<ColorValue> named = NamedValue(text);
    Check(named ? *named == value : IsHexForm(text), "written as its name or as $XXXXXXXX");
    if (!named) {
        for (const auto& entry : spacegauge::ColorNames()) {
            Check(entry.value != value, "a value that has a name is written as that name");
        }
    }
    Check(ReadColor(text) == value, "ColorFromText(ColorToText(v)) == v");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const std::optional<ColorValue> read = ReadColor(text);
    const std::optional<ColorValue> named = NamedValue(text);
    const std::optional<std::int32_t> integer = spacegauge::ParseIntegerText(text);
    if (named) {
        Check(read == named, "a colour name gives its value");
        // Values are unique in the table, so a name is written back as itself.
        Check(SameIgnoringAsciiCase(spacegauge::ColorToText(*named), text),
              "a colour name is written back as the same name");
    } else {
        Check(read == integer, "otherwise the strict integer, or an error exactly when invalid");
    }
    if (read) CheckWrittenFormReadsBack(*read);

    if (size >= 4) {
        std::uint32_t bits;
        std::memcpy(&bits, data, 4);
        CheckWrittenFormReadsBack(static_cast<ColorValue>(bits));
    }
    if (size >= 1) {
        const auto& names = spacegauge::ColorNames();
        CheckWrittenFormReadsBack(names[data[0] % names.size()].value);
    }
    return 0;
}
