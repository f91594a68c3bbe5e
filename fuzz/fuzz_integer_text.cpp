// Strict, lenient and INI integer texts against an independent reference parser.
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

using spacegauge::ParseIntegerText;

void Check(bool ok, const char* what) {
    if (!ok) {
        std::fprintf(stderr, "property violated: %s\n", what);
        std::abort();
    }
}

bool IsHex(char c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

std::uint64_t HexValue(char c) {
    if (c >= '0' && c <= '9') return static_cast<std::uint64_t>(c - '0');
    if (c >= 'a' && c <= 'f') return static_cast<std::uint64_t>(c - 'a' + 10);
    return static_cast<std::uint64_t>(c - 'A' + 10);
}

// Written from the rule, not from the parser: leading zeros are stripped first and the rest
// is judged by its length, then evaluated in 64 bits.
std::optional<std::int32_t> Reference(std::string_view s) {
    std::size_t i = s.find_first_not_of(' ');
    if (i == std::string_view::npos) return std::nullopt;
    s.remove_prefix(i);
    bool negative = false;
    if (!s.empty() && (s[0] == '+' || s[0] == '-')) {
        negative = s[0] == '-';
        s.remove_prefix(1);
    }
    bool hex = false;
    if (s.starts_with("0x") || s.starts_with("0X")) {
        hex = true;
        s.remove_prefix(2);
    } else if (s.starts_with("$") || s.starts_with("x") || s.starts_with("X")) {
        hex = true;
        s.remove_prefix(1);
    }
    if (s.empty()) return std::nullopt;
    for (const char c : s) {
        if (hex ? !IsHex(c) : !(c >= '0' && c <= '9')) return std::nullopt;
    }
    const std::size_t firstSignificant = s.find_first_not_of('0');
    const std::string_view digits = firstSignificant == std::string_view::npos
                                        ? std::string_view{}
                                        : s.substr(firstSignificant);
    std::uint64_t magnitude = 0;
    if (hex) {
        if (digits.size() > 8) return std::nullopt;
        for (const char c : digits) magnitude = magnitude * 16 + HexValue(c);
        const auto pattern = static_cast<std::uint32_t>(magnitude);
        return static_cast<std::int32_t>(negative ? 0u - pattern : pattern);
    }
    if (digits.size() > 10) return std::nullopt;
    for (const char c : digits) magnitude = magnitude * 10 + static_cast<std::uint64_t>(c - '0');
    if (magnitude > (negative ? 2147483648ull : 2147483647ull)) return std::nullopt;
    const std::int64_t value =
        negative ? -static_cast<std::int64_t>(magnitude) : static_cast<std::int64_t>(magnitude);
    return static_cast<std::int32_t>(value);
}

bool IsCanonicalDecimal(const std::string& text) {
    std::string_view digits = text;
    if (digits.starts_with('-')) digits.remove_prefix(1);
    if (digits.empty() || digits.find_first_not_of("0123456789") != std::string_view::npos) {
        return false;
    }
    if (text == "-0") return false;
    return digits == "0" || digits[0] != '0';
}

void CheckDecimalRoundTrip(std::int32_t value) {
    const std::string text = spacegauge::DecimalText(value);
    Check(IsCanonicalDecimal(text), "DecimalText is '-'?digits without leading zeros");
    Check(ParseIntegerText(text) == value, "DecimalText parses back to its value");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const std::optional<std::int32_t> parsed = ParseIntegerText(text);
    Check(parsed == Reference(text), "ParseIntegerText agrees with the reference parser");

    if (parsed) CheckDecimalRoundTrip(*parsed);
    if (size >= 4) {
        std::uint32_t bits;
        std::memcpy(&bits, data, 4);
        CheckDecimalRoundTrip(static_cast<std::int32_t>(bits));
    }

    bool threw = false;
    try {
        const std::int32_t strict = spacegauge::StrictIntegerFromText(text);
        Check(parsed && strict == *parsed, "StrictIntegerFromText returns the parsed value");
    } catch (const spacegauge::Exception& error) {
        threw = true;
        const std::string expected = "'" + std::string(text) + "' is not a valid integer value";
        // what() ends at the first NUL, as the message box does.
        Check(std::string_view(error.what()) == std::string_view(expected.c_str()),
              "the error names the offending text");
    }
    Check(threw == !parsed, "StrictIntegerFromText throws exactly when parsing fails");

    // Two distinct fallbacks tell "returned the fallback" apart from "parsed the same value".
    constexpr std::int32_t kFallbackA = 0x5A5A5A5A;
    constexpr std::int32_t kFallbackB = -7;
    const std::int32_t lenientA = spacegauge::LenientIntegerFromText(text, kFallbackA);
    const std::int32_t lenientB = spacegauge::LenientIntegerFromText(text, kFallbackB);
    Check(lenientA == parsed.value_or(kFallbackA), "lenient: the value or fallback A");
    Check(lenientB == parsed.value_or(kFallbackB), "lenient: the value or fallback B");

    // Strict syntax already accepts "0x", so rewriting it to "$" never changes the outcome.
    Check(spacegauge::IniIntegerFromText(text, kFallbackA) == lenientA, "INI form, fallback A");
    Check(spacegauge::IniIntegerFromText(text, kFallbackB) == lenientB, "INI form, fallback B");
    return 0;
}
