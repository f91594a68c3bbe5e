#include "settings/text_forms.h"

#include <cstdio>

#include "host/exception.h"

namespace spacegauge {

namespace {

struct Cursor {
    std::string_view text;
    std::size_t pos = 0;

    bool AtEnd() const { return pos >= text.size(); }
    char Peek(std::size_t ahead = 0) const {
        return pos + ahead < text.size() ? text[pos + ahead] : '\0';
    }
};

int HexDigitValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

bool IsDecimalDigit(char c) {
    return c >= '0' && c <= '9';
}

// Skips "$", "x", "X", "0x" or "0X"; false when none is there.
bool SkipHexPrefix(Cursor& cursor) {
    const char first = cursor.Peek();
    if (first == '$' || first == 'x' || first == 'X') {
        cursor.pos += 1;
        return true;
    }
    const char second = cursor.Peek(1);
    if (first == '0' && (second == 'x' || second == 'X')) {
        cursor.pos += 2;
        return true;
    }
    return false;
}

// The rest of the text as a 32-bit pattern: at least one digit, at most eight that count.
std::optional<std::uint32_t> HexPattern(Cursor& cursor) {
    if (cursor.AtEnd()) return std::nullopt;
    std::uint32_t pattern = 0;
    int significant = 0;
    for (; !cursor.AtEnd(); ++cursor.pos) {
        const int digit = HexDigitValue(cursor.Peek());
        if (digit < 0) return std::nullopt;
        if (significant > 0 || digit != 0) ++significant;
        if (significant > 8) return std::nullopt;
        pattern = (pattern << 4) | static_cast<std::uint32_t>(digit);
    }
    return pattern;
}

// The rest of the text as a magnitude no larger than `limit`.
std::optional<std::uint32_t> DecimalMagnitude(Cursor& cursor, std::uint32_t limit) {
    if (cursor.AtEnd()) return std::nullopt;
    std::uint32_t magnitude = 0;
    for (; !cursor.AtEnd(); ++cursor.pos) {
        const char c = cursor.Peek();
        if (!IsDecimalDigit(c)) return std::nullopt;
        const auto digit = static_cast<std::uint32_t>(c - '0');
        if (magnitude > (limit - digit) / 10) return std::nullopt;
        magnitude = magnitude * 10 + digit;
    }
    return magnitude;
}

char AsciiUpper(char c) {
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

bool EqualAsciiCaseBlind(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (AsciiUpper(a[i]) != AsciiUpper(b[i])) return false;
    }
    return true;
}

constexpr ColorValue Pattern(std::uint32_t bits) {
    return static_cast<ColorValue>(bits);
}

}  // namespace

std::optional<std::int32_t> ParseIntegerText(std::string_view text) {
    Cursor cursor{text};
    while (cursor.Peek() == ' ') ++cursor.pos;
    bool negative = false;
    if (cursor.Peek() == '+' || cursor.Peek() == '-') {
        negative = cursor.Peek() == '-';
        ++cursor.pos;
    }
    if (SkipHexPrefix(cursor)) {
        const auto pattern = HexPattern(cursor);
        if (!pattern) return std::nullopt;
        // Unsigned negation: "-$80000000" wraps to the lowest value instead of overflowing.
        return static_cast<std::int32_t>(negative ? 0u - *pattern : *pattern);
    }
    const std::uint32_t limit = negative ? 0x80000000u : 0x7FFFFFFFu;
    const auto magnitude = DecimalMagnitude(cursor, limit);
    if (!magnitude) return std::nullopt;
    return static_cast<std::int32_t>(negative ? 0u - *magnitude : *magnitude);
}

std::int32_t StrictIntegerFromText(std::string_view text) {
    const auto value = ParseIntegerText(text);
    if (!value) throw Exception("'" + std::string(text) + "' is not a valid integer value");
    return *value;
}

std::int32_t LenientIntegerFromText(std::string_view text, std::int32_t fallback) {
    return ParseIntegerText(text).value_or(fallback);
}

std::int32_t IniIntegerFromText(std::string_view text, std::int32_t fallback) {
    const bool cPrefix = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
    if (!cPrefix) return LenientIntegerFromText(text, fallback);
    return LenientIntegerFromText("$" + std::string(text.substr(2)), fallback);
}

std::string DecimalText(std::int32_t value) {
    return std::to_string(value);
}

const std::array<ColorName, 52>& ColorNames() {
    static constexpr std::array<ColorName, 52> names{{
        {"clBlack", Pattern(0x00000000)},
        {"clMaroon", Pattern(0x00000080)},
        {"clGreen", Pattern(0x00008000)},
        {"clOlive", Pattern(0x00008080)},
        {"clNavy", Pattern(0x00800000)},
        {"clPurple", Pattern(0x00800080)},
        {"clTeal", Pattern(0x00808000)},
        {"clGray", Pattern(0x00808080)},
        {"clSilver", Pattern(0x00C0C0C0)},
        {"clRed", Pattern(0x000000FF)},
        {"clLime", Pattern(0x0000FF00)},
        {"clYellow", Pattern(0x0000FFFF)},
        {"clBlue", Pattern(0x00FF0000)},
        {"clFuchsia", Pattern(0x00FF00FF)},
        {"clAqua", Pattern(0x00FFFF00)},
        {"clWhite", Pattern(0x00FFFFFF)},
        {"clMoneyGreen", Pattern(0x00C0DCC0)},
        {"clSkyBlue", Pattern(0x00F0CAA6)},
        {"clCream", Pattern(0x00F0FBFF)},
        {"clMedGray", Pattern(0x00A4A0A0)},
        {"clActiveBorder", Pattern(0xFF00000A)},
        {"clActiveCaption", Pattern(0xFF000002)},
        {"clAppWorkSpace", Pattern(0xFF00000C)},
        {"clBackground", Pattern(0xFF000001)},
        {"clBtnFace", Pattern(0xFF00000F)},
        {"clBtnHighlight", Pattern(0xFF000014)},
        {"clBtnShadow", Pattern(0xFF000010)},
        {"clBtnText", Pattern(0xFF000012)},
        {"clCaptionText", Pattern(0xFF000009)},
        {"clDefault", Pattern(0x20000000)},
        {"clGradientActiveCaption", Pattern(0xFF00001B)},
        {"clGradientInactiveCaption", Pattern(0xFF00001C)},
        {"clGrayText", Pattern(0xFF000011)},
        {"clHighlight", Pattern(0xFF00000D)},
        {"clHighlightText", Pattern(0xFF00000E)},
        {"clHotLight", Pattern(0xFF00001A)},
        {"clInactiveBorder", Pattern(0xFF00000B)},
        {"clInactiveCaption", Pattern(0xFF000003)},
        {"clInactiveCaptionText", Pattern(0xFF000013)},
        {"clInfoBk", Pattern(0xFF000018)},
        {"clInfoText", Pattern(0xFF000017)},
        {"clMenu", Pattern(0xFF000004)},
        {"clMenuBar", Pattern(0xFF00001E)},
        {"clMenuHighlight", Pattern(0xFF00001D)},
        {"clMenuText", Pattern(0xFF000007)},
        {"clNone", Pattern(0x1FFFFFFF)},
        {"clScrollBar", Pattern(0xFF000000)},
        {"cl3DDkShadow", Pattern(0xFF000015)},
        {"cl3DLight", Pattern(0xFF000016)},
        {"clWindow", Pattern(0xFF000005)},
        {"clWindowFrame", Pattern(0xFF000006)},
        {"clWindowText", Pattern(0xFF000008)},
    }};
    return names;
}

ColorValue ColorFromText(std::string_view text) {
    for (const ColorName& entry : ColorNames()) {
        if (EqualAsciiCaseBlind(entry.name, text)) return entry.value;
    }
    return StrictIntegerFromText(text);
}

std::string ColorToText(ColorValue value) {
    for (const ColorName& entry : ColorNames()) {
        if (entry.value == value) return std::string(entry.name);
    }
    char hex[10];
    std::snprintf(hex, sizeof hex, "$%08X",
                  static_cast<unsigned>(static_cast<std::uint32_t>(value)));
    return hex;
}

std::string CommandFromIniText(std::string_view text) {
    std::string command;
    command.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '!' && i + 1 < text.size() && text[i + 1] == '!') {
            command += '"';
            ++i;
        } else {
            command += text[i];
        }
    }
    return command;
}

std::string CommandToIniText(std::string_view command) {
    std::string text;
    text.reserve(command.size());
    for (const char c : command) {
        if (c == '"') {
            text += "!!";
        } else {
            text += c;
        }
    }
    return text;
}

}  // namespace spacegauge
