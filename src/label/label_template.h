#pragma once
// The label template language: figures of one volume printed into placeholders. Portable.
#include <cstdint>
#include <string>
#include <string_view>

namespace spacegauge {

struct DiskFigures {
    std::int64_t total = 0;  // bytes of the volume
    std::int64_t free = 0;   // bytes available to the calling user
};

// v rounded to `decimals` (0 or 1) places through the factor 10^-decimals, halfway quotients
// going to the even integer: 2.5 -> 2, 12.25 -> 12.2.
double RoundToDecimals(double v, int decimals);

// Shortest fixed-notation text of v at 15 significant digits, trailing zeros dropped, with
// the given decimal separator: 465.8 -> "465.8", 115.0 -> "115", 0.5 -> "0.5".
std::string PrintFigure(double v, char decimalSeparator);

// Every occurrence, left to right, inserted text never searched again.
std::string ReplaceAll(std::string_view text, std::string_view placeholder,
                       std::string_view replacement);

// The template with the eleven placeholders replaced in their fixed order. With a total of
// zero the percentages print "0"; nothing is ever divided by zero.
std::string ExpandTemplate(std::string_view templ, const DiskFigures& figures,
                           char decimalSeparator);

}  // namespace spacegauge
