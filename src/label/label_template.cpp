#include "label/label_template.h"

#include <array>
#include <charconv>
#include <cmath>

namespace spacegauge {

namespace {

// The decimal digits of a value rounded to 15 significant digits: the value is
// 0.d1d2d3... x 10^(exponent + 1), so d1 stands at the place 10^exponent.
struct SignificantDigits {
    bool negative = false;
    std::string digits;  // no trailing zeros, first digit not zero
    int exponent = 0;
};

// to_chars never consults the C locale, so no foreign separator can slip in.
SignificantDigits RoundToSignificantDigits(double v) {
    char buffer[40];
    const auto result =
        std::to_chars(buffer, buffer + sizeof buffer, v, std::chars_format::scientific, 14);
    const std::string_view text(buffer, static_cast<std::size_t>(result.ptr - buffer));

    SignificantDigits parts;
    std::size_t pos = 0;
    if (text[pos] == '-') {
        parts.negative = true;
        ++pos;
    }
    const std::size_t ePos = text.find('e', pos);
    for (std::size_t i = pos; i < ePos; ++i) {
        if (text[i] != '.') parts.digits += text[i];
    }
    const std::size_t lastNonZero = parts.digits.find_last_not_of('0');
    parts.digits.erase(lastNonZero + 1);

    std::size_t expPos = ePos + 1;
    if (text[expPos] == '+') ++expPos;
    std::from_chars(text.data() + expPos, text.data() + text.size(), parts.exponent);
    return parts;
}

std::string FixedText(const SignificantDigits& parts, char decimalSeparator) {
    std::string integerPart;
    std::string fraction;
    if (parts.exponent < 0) {
        integerPart = "0";
        fraction = std::string(static_cast<std::size_t>(-parts.exponent - 1), '0') + parts.digits;
    } else {
        const auto integerDigits = static_cast<std::size_t>(parts.exponent) + 1;
        integerPart = parts.digits.substr(0, integerDigits);
        integerPart.resize(integerDigits, '0');
        if (parts.digits.size() > integerDigits) fraction = parts.digits.substr(integerDigits);
    }
    std::string text = parts.negative ? "-" : "";
    text += integerPart;
    if (!fraction.empty()) {
        text += decimalSeparator;
        text += fraction;
    }
    return text;
}

double Gigabytes(std::int64_t bytes) {
    return static_cast<double>(bytes) / 1024.0 / 1024.0 / 1024.0;
}

// Wrapping 64-bit subtraction: a volume reporting absurd figures must not be undefined.
std::int64_t UsedBytes(const DiskFigures& figures) {
    return static_cast<std::int64_t>(static_cast<std::uint64_t>(figures.total) -
                                     static_cast<std::uint64_t>(figures.free));
}

struct Replacement {
    std::string_view placeholder;
    std::string text;
};

// Each one-decimal placeholder begins with its whole twin, so it must be replaced first.
std::array<Replacement, 11> Replacements(const DiskFigures& figures, char separator) {
    const auto print = [separator](double v, int decimals) {
        return PrintFigure(RoundToDecimals(v, decimals), separator);
    };
    const double total = Gigabytes(figures.total);
    const double used = Gigabytes(UsedBytes(figures));
    const double remaining = Gigabytes(figures.free);

    // A zero total has no share; the host may run with division faults unmasked.
    const bool hasShare = figures.total > 0;
    const double share =
        hasShare ? static_cast<double>(figures.free) / static_cast<double>(figures.total) * 100.0
                 : 0.0;
    const double rp1 = RoundToDecimals(share, 1);
    const double rp0 = RoundToDecimals(share, 0);
    // 100 - rp1 carries the binary error of rp1 into digits that 15-digit printing shows
    // (100 - 90.1 prints 9.89999999999999), so the difference is rounded to a tenth again.
    const double up1 = hasShare ? RoundToDecimals(100.0 - rp1, 1) : 0.0;
    const double up0 = hasShare ? 100.0 - rp0 : 0.0;

    return {{
        {"$tgb.", print(total, 1)},
        {"$ugb.", print(used, 1)},
        {"$rgb.", print(remaining, 1)},
        {"$tgb", print(total, 0)},
        {"$ugb", print(used, 0)},
        {"$rgb", print(remaining, 0)},
        {"$up.", PrintFigure(up1, separator)},
        {"$up", PrintFigure(up0, separator)},
        {"$rp.", PrintFigure(rp1, separator)},
        {"$rp", PrintFigure(rp0, separator)},
        {"$lb", "\r\n"},
    }};
}

}  // namespace

double RoundToDecimals(double v, int decimals) {
    const double factor = decimals == 1 ? 0.1 : 1.0;
    // nearbyint follows the current rounding mode (to even by default) and, unlike
    // lrint, cannot raise an invalid-operation fault for a large quotient.
    const double n = std::nearbyint(v / factor);
    return n * factor;
}

std::string PrintFigure(double v, char decimalSeparator) {
    if (!std::isfinite(v) || v == 0.0) return "0";
    return FixedText(RoundToSignificantDigits(v), decimalSeparator);
}

std::string ReplaceAll(std::string_view text, std::string_view placeholder,
                       std::string_view replacement) {
    if (placeholder.empty()) return std::string(text);
    std::string result;
    std::size_t start = 0;
    for (std::size_t found = text.find(placeholder); found != std::string_view::npos;
         found = text.find(placeholder, start)) {
        result.append(text, start, found - start);
        result.append(replacement);
        start = found + placeholder.size();
    }
    result.append(text, start);
    return result;
}

std::string ExpandTemplate(std::string_view templ, const DiskFigures& figures,
                           char decimalSeparator) {
    std::string text(templ);
    for (const Replacement& step : Replacements(figures, decimalSeparator)) {
        text = ReplaceAll(text, step.placeholder, step.text);
    }
    return text;
}

}  // namespace spacegauge
