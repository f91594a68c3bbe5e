#pragma once
// Text forms of the settings file: integers, colours and the quoted command. Portable: no
// Windows headers, so the rules are tested natively.
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "settings/settings_record.h"

namespace spacegauge {

// Optional leading blanks, one optional sign, then decimal digits (signed 32-bit range) or
// "$", "x", "X", "0x", "0X" and at most eight significant hex digits (a 32-bit pattern).
// Nothing may follow. nullopt when the text is not such an integer.
std::optional<std::int32_t> ParseIntegerText(std::string_view text);

// Throws Exception("'<text>' is not a valid integer value") when the text is not an integer.
std::int32_t StrictIntegerFromText(std::string_view text);

// The default for an empty or malformed text.
std::int32_t LenientIntegerFromText(std::string_view text, std::int32_t fallback);

// How the INI file object's ReadInteger treats a stored text: a "0x"/"0X" prefix on a text
// longer than two characters becomes "$", then the lenient form with the fallback.
std::int32_t IniIntegerFromText(std::string_view text, std::int32_t fallback);

// "-" for negatives, no plus sign, no leading zeros.
std::string DecimalText(std::int32_t value);

struct ColorName {
    std::string_view name;
    ColorValue value;
};
// The 52 named colours; the first sixteen are the standard colours offered by colour boxes.
const std::array<ColorName, 52>& ColorNames();

// A colour name (letters A-Z compared case-blind) or a strict integer text; throws like
// StrictIntegerFromText otherwise.
ColorValue ColorFromText(std::string_view text);

// The colour's name when it has one, else "$" and eight upper-case hex digits.
std::string ColorToText(ColorValue value);

// The file stores each double quote of the command as "!!".
std::string CommandFromIniText(std::string_view text);   // "!!" -> '"', left to right
std::string CommandToIniText(std::string_view command);  // '"' -> "!!"

}  // namespace spacegauge
