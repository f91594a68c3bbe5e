// Label templates, figure printing and the query directory. Floating-point faults trap, as
// a host may leave them unmasked, so any fault in the label code crashes the run.
//
// Input: byte 0 chooses how total is made, byte 1 how free is made, byte 2 is the decimal
// separator, bytes 3-10 and 11-18 are raw 64-bit material for total and free, bytes 19-26
// a double for PrintFigure; the rest is the template. Short inputs are padded with zeros.
#include <fenv.h>

#include <array>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <string>
#include <string_view>

#include "label/label_template.h"
#include "label/volume_path.h"

namespace {

using spacegauge::DiskFigures;

constexpr std::size_t kHeaderSize = 27;
constexpr std::int64_t kGiB = 1024LL * 1024 * 1024;

constexpr std::array<std::string_view, 11> kPlaceholders{
    "$tgb.", "$ugb.", "$rgb.", "$tgb", "$ugb", "$rgb", "$up.", "$up", "$rp.", "$rp", "$lb",
};
enum : std::size_t { kTgb1, kUgb1, kRgb1, kTgb0, kUgb0, kRgb0, kUp1, kUp0, kRp1, kRp0, kLb };

void Check(bool ok, const char* what) {
    if (!ok) {
        std::fprintf(stderr, "property violated: %s\n", what);
        std::abort();
    }
}

std::uint64_t Raw64(const std::uint8_t* bytes) {
    std::uint64_t raw;
    std::memcpy(&raw, bytes, sizeof raw);
    return raw;
}

// Zero, the extremes, random patterns, plausible sizes and exact halves of a gigabyte.
std::int64_t MakeFigure(std::uint8_t kind, std::uint64_t raw, std::int64_t other) {
    switch (kind % 8) {
        case 0:
            return 0;
        case 1:
            return static_cast<std::int64_t>(raw);
        case 2:
            return std::numeric_limits<std::int64_t>::max();
        case 3:
            return std::numeric_limits<std::int64_t>::min();
        case 4:
            return -static_cast<std::int64_t>(raw % (1ull << 40)) - 1;
        case 5:
            return static_cast<std::int64_t>(raw % (1ull << 50));
        case 6:
            return static_cast<std::int64_t>(raw % (1ull << 24)) * (kGiB / 16);
        default:  // free at or just below total; a tiny total makes a huge share
            return other == 0 ? static_cast<std::int64_t>(raw % 1000) + 1
                              : static_cast<std::int64_t>(static_cast<std::uint64_t>(other) -
                                                          raw % (1ull << 34));
    }
}

char MakeSeparator(std::uint8_t byte) {
    const char c = static_cast<char>(byte);
    return (c >= '0' && c <= '9') || c == '-' ? '.' : c;
}

// "-"? ("0" | [1-9][0-9]*) (separator [0-9]*[1-9])?, never "-0".
bool IsNumberText(std::string_view s, char separator) {
    if (s == "-0") return false;
    if (s.starts_with('-')) s.remove_prefix(1);
    std::size_t i = 0;
    while (i < s.size() && s[i] >= '0' && s[i] <= '9') ++i;
    const std::string_view integer = s.substr(0, i);
    if (integer.empty() || (integer.size() > 1 && integer[0] == '0')) return false;
    if (i == s.size()) return true;
    if (s[i] != separator) return false;
    const std::string_view fraction = s.substr(i + 1);
    return !fraction.empty() && fraction.find_first_not_of("0123456789") == std::string::npos &&
           fraction.back() != '0';
}

std::size_t SignificantDigits(std::string_view s) {
    std::string digits;
    for (const char c : s) {
        if (c >= '0' && c <= '9') digits += c;
    }
    const std::size_t first = digits.find_first_not_of('0');
    if (first == std::string::npos) return 0;
    return digits.find_last_not_of('0') - first + 1;
}

// In long double: 15 digits of a value near the largest double exceed it.
long double ParseNumber(std::string_view s, char separator) {
    std::string text(s);
    for (char& c : text) {
        if (c == separator) c = '.';
    }
    return std::strtold(text.c_str(), nullptr);
}

bool CloseRelative(long double a, long double b, long double tolerance) {
    return std::fabs(a - b) <= tolerance * std::fmax(std::fabs(a), std::fabs(b));
}

std::string WholeText(std::int64_t n) {
    return std::to_string(n);
}

// n tenths as a figure prints: "12.5", "-0.3", "12".
std::string TenthsText(std::int64_t n, char separator) {
    const std::uint64_t magnitude =
        n < 0 ? 0 - static_cast<std::uint64_t>(n) : static_cast<std::uint64_t>(n);
    std::string text = n < 0 ? "-" : "";
    text += std::to_string(magnitude / 10);
    if (magnitude % 10 != 0) {
        text += separator;
        text += static_cast<char>('0' + magnitude % 10);
    }
    return text;
}

// glibc's printf rounds correctly at any digit position, so %.*f with 15 significant digits
// must agree with the figure printer for every value below 10^15.
std::string PrintfFigure(double v, char separator) {
    if (v == 0.0) return "0";
    char scientific[64];
    std::snprintf(scientific, sizeof scientific, "%.14e", v);
    const int exponent = std::atoi(std::strchr(scientific, 'e') + 1);
    char fixed[512];
    std::snprintf(fixed, sizeof fixed, "%.*f", exponent > 14 ? 0 : 14 - exponent, v);
    std::string text = fixed;
    if (text.find('.') != std::string::npos) {
        text.erase(text.find_last_not_of('0') + 1);
        if (text.back() == '.') text.pop_back();
    }
    for (char& c : text) {
        if (c == '.') c = separator;
    }
    return text;
}

void CheckPrintFigure(std::uint64_t bits, char separator) {
    constexpr std::uint64_t kExponent = 0x7FF0000000000000ull;
    constexpr std::uint64_t kQuiet = 0x0008000000000000ull;
    // A signalling NaN faults on any comparison; no label arithmetic can produce one.
    if ((bits & kExponent) == kExponent && (bits & ~kExponent & ~(1ull << 63)) != 0) {
        bits |= kQuiet;
    }
    double v;
    std::memcpy(&v, &bits, sizeof v);
    const std::string text = spacegauge::PrintFigure(v, separator);
    if (!std::isfinite(v)) {
        Check(text == "0", "a value that is not finite prints 0");
        return;
    }
    Check(IsNumberText(text, separator), "a figure is a plain decimal text");
    Check(SignificantDigits(text) <= 15, "a figure has at most 15 significant digits");
    const long double parsed = ParseNumber(text, separator);
    // 15 significant digits are within 5e-15 of the value.
    Check(v == 0.0 ? parsed == 0.0 : CloseRelative(parsed, v, 1e-14),
          "a figure parses back to its value");
    if (std::fabs(v) < 1e15) {
        Check(text == PrintfFigure(v, separator), "the figure agrees with printf");
    }

    if (std::fabs(v) <= 1e300) {
        const double whole = spacegauge::RoundToDecimals(v, 0);
        Check(whole == std::nearbyint(v), "whole rounding is round-half-even");
        const double tenth = spacegauge::RoundToDecimals(v, 1);
        Check(std::fabs(tenth - v) <= 0.05 + 1e-15 * std::fabs(v), "one decimal moves by <= 0.05");
        if (std::fabs(v) < 1e13) {
            const std::string printed = spacegauge::PrintFigure(tenth, separator);
            const std::size_t at = printed.find(separator);
            Check(at == std::string::npos || printed.size() - at == 2,
                  "a value rounded to one decimal prints at most one decimal");
        }
    }
}

void CheckGigabytes(const std::string& whole, const std::string& tenth, std::int64_t bytes,
                    char separator) {
    const double gb = static_cast<double>(bytes) / static_cast<double>(kGiB);
    // |gb| < 2^33, so both roundings fit 64 bits and print exactly.
    Check(whole == WholeText(static_cast<std::int64_t>(std::nearbyint(gb))), "whole gigabytes");
    Check(tenth == TenthsText(static_cast<std::int64_t>(std::nearbyint(gb / 0.1)), separator),
          "gigabytes with one decimal");
}

void CheckPercentages(const std::array<std::string, 11>& texts, const DiskFigures& figures,
                      char separator) {
    if (figures.total <= 0) {
        for (const std::size_t k : {kUp1, kUp0, kRp1, kRp0}) {
            Check(texts[k] == "0", "no share of a volume without a total: percentages print 0");
        }
        return;
    }
    const double share =
        static_cast<double>(figures.free) / static_cast<double>(figures.total) * 100.0;
    const double rp0 = std::nearbyint(share);
    const double rp1Tenths = std::nearbyint(share / 0.1);
    if (std::fabs(share) < 1e12) {
        // Used is 100 minus remaining, so both pairs add up to 100 exactly.
        const auto r0 = static_cast<std::int64_t>(rp0);
        const auto r1 = static_cast<std::int64_t>(rp1Tenths);
        Check(texts[kRp0] == WholeText(r0), "remaining percent, whole");
        Check(texts[kUp0] == WholeText(100 - r0), "used percent, whole");
        Check(texts[kRp1] == TenthsText(r1, separator), "remaining percent, one decimal");
        Check(texts[kUp1] == TenthsText(1000 - r1, separator), "used percent, one decimal");
        return;
    }
    // A free figure far beyond the total: only closeness is meaningful at 15 digits.
    Check(CloseRelative(ParseNumber(texts[kRp0], separator), rp0, 1e-12), "huge remaining, whole");
    Check(CloseRelative(ParseNumber(texts[kUp0], separator), 100.0 - rp0, 1e-12), "huge used");
    Check(CloseRelative(ParseNumber(texts[kRp1], separator), rp1Tenths * 0.1, 1e-12),
          "huge remaining, one decimal");
    Check(CloseRelative(ParseNumber(texts[kUp1], separator), 100.0 - rp1Tenths * 0.1, 1e-12),
          "huge used, one decimal");
}

// Printed figures hold no '$' and never begin with a letter, so expansion is one left-to-right
// pass in which each '$' takes the first placeholder, in step order, that starts there.
std::string ModelExpansion(std::string_view templ, const std::array<std::string, 11>& texts) {
    std::string result;
    for (std::size_t i = 0; i < templ.size();) {
        bool replaced = false;
        for (std::size_t k = 0; k < kPlaceholders.size() && templ[i] == '$'; ++k) {
            if (templ.substr(i).starts_with(kPlaceholders[k])) {
                result += texts[k];
                i += kPlaceholders[k].size();
                replaced = true;
                break;
            }
        }
        if (!replaced) result += templ[i++];
    }
    return result;
}

std::string NaiveReplaceAll(std::string_view text, std::string_view from, std::string_view to) {
    if (from.empty()) return std::string(text);
    std::string result;
    for (std::size_t i = 0; i < text.size();) {
        if (text.substr(i, from.size()) == from) {
            result += to;
            i += from.size();
        } else {
            result += text[i++];
        }
    }
    return result;
}

void CheckQueryDirectory(std::string_view path) {
    const std::string directory = spacegauge::QueryDirectory(path);
    Check(!directory.empty() && directory.back() == '\\', "the directory ends in a backslash");
    const std::size_t cut = path.find_last_of("\\:");
    if (cut == std::string_view::npos) {
        Check(directory == "\\", "a bare name asks about the current volume's root");
        return;
    }
    const std::string_view kept = path.substr(0, cut + 1);
    Check(directory == (path[cut] == '\\' ? std::string(kept) : std::string(kept) + '\\'),
          "the directory is the path up to its last separator");
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    feenableexcept(FE_INVALID | FE_DIVBYZERO | FE_OVERFLOW);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::uint8_t header[kHeaderSize] = {};
    std::memcpy(header, data, size < kHeaderSize ? size : kHeaderSize);
    const std::string_view templ =
        size > kHeaderSize ? std::string_view(reinterpret_cast<const char*>(data) + kHeaderSize,
                                              size - kHeaderSize)
                           : std::string_view{};

    DiskFigures figures;
    figures.total = MakeFigure(header[0], Raw64(header + 3), 0);
    figures.free = MakeFigure(header[1], Raw64(header + 11), figures.total);
    const char separator = MakeSeparator(header[2]);

    std::array<std::string, 11> texts;
    for (std::size_t k = 0; k < kPlaceholders.size(); ++k) {
        texts[k] = spacegauge::ExpandTemplate(kPlaceholders[k], figures, separator);
        if (k != kLb) Check(IsNumberText(texts[k], separator), "a placeholder becomes a number");
    }
    Check(texts[kLb] == "\r\n", "$lb becomes CR LF");
    const auto used = static_cast<std::int64_t>(static_cast<std::uint64_t>(figures.total) -
                                                static_cast<std::uint64_t>(figures.free));
    CheckGigabytes(texts[kTgb0], texts[kTgb1], figures.total, separator);
    CheckGigabytes(texts[kUgb0], texts[kUgb1], used, separator);
    CheckGigabytes(texts[kRgb0], texts[kRgb1], figures.free, separator);
    CheckPercentages(texts, figures, separator);

    const std::string expanded = spacegauge::ExpandTemplate(templ, figures, separator);
    Check(expanded == ModelExpansion(templ, texts), "expansion matches the one-pass model");
    for (const std::string_view placeholder : kPlaceholders) {
        Check(expanded.find(placeholder) == std::string::npos, "no placeholder survives");
    }

    CheckPrintFigure(Raw64(header + 19), separator);

    const std::size_t split = templ.empty() ? 0 : static_cast<std::uint8_t>(templ[0]) % 8;
    const std::string_view rest = templ.substr(templ.empty() ? 0 : 1);
    const std::string_view from = rest.substr(0, split);
    const std::string_view to = rest.substr(from.size(), split);
    const std::string_view text = rest.substr(from.size() + to.size());
    Check(spacegauge::ReplaceAll(text, from, to) == NaiveReplaceAll(text, from, to),
          "ReplaceAll matches the naive left-to-right replacement");

    CheckQueryDirectory(templ);
    return 0;
}
