#include "label/label_template.h"

#include <clocale>
#include <cmath>
#include <limits>
#include <string>

#include <gtest/gtest.h>

#if defined(__GLIBC__)
#include <fenv.h>
#endif

namespace spacegauge {
namespace {

constexpr std::int64_t kGiB = 1024LL * 1024 * 1024;

// Total and free bytes of the worked volumes.
constexpr DiskFigures kVolumeA{500'105'216'000, 123'456'789'012};
constexpr DiskFigures kVolumeB{15'032'385'536, 2'684'354'560};    // 14 GB, 2.5 GB free
constexpr DiskFigures kVolumeC{107'374'182'400, 13'153'337'344};  // 100 GB, 12.25 GB free
constexpr DiskFigures kVolumeD{536'870'912, 107'374'182};         // 0.5 GB

struct PlaceholderCase {
    const char* placeholder;
    const char* text;
};

void ExpectPlaceholders(const DiskFigures& volume, std::initializer_list<PlaceholderCase> cases) {
    for (const PlaceholderCase& c : cases) {
        EXPECT_EQ(ExpandTemplate(c.placeholder, volume, '.'), c.text) << c.placeholder;
    }
}

TEST(RoundToDecimals, HalfwayQuotientsGoToEven) {
    const struct {
        double v;
        int decimals;
        double rounded;
    } cases[] = {
        {2.5, 0, 2.0},        {3.5, 0, 4.0},
        {11.5, 0, 12.0},      {0.5, 0, 0.0},
        {-2.5, 0, -2.0},      {114.978, 0, 115.0},
        {0.49, 0, 0.0},       {12.25, 1, 12.2},
        {12.75, 1, 12.8},     {0.05, 1, 0.0},  // 0.05 / 0.1 falls just below the half
        {465.7593, 1, 465.8}, {24.6862, 1, 24.700000000000003},
    };
    for (const auto& c : cases) {
        EXPECT_DOUBLE_EQ(RoundToDecimals(c.v, c.decimals), c.rounded)
            << c.v << " to " << c.decimals << " decimals";
    }
}

TEST(PrintFigure, ShortestFixedTextAtFifteenDigits) {
    const struct {
        double v;
        const char* text;
    } cases[] = {
        {465.8, "465.8"},
        {115.0, "115"},
        {0.5, "0.5"},
        {0.0, "0"},
        {-0.0, "0"},
        {2048.0, "2048"},
        {24.700000000000003, "24.7"},
        {0.1 + 0.2, "0.3"},
        {9.9999999999999999, "10"},
        {-3.5, "-3.5"},
        {-0.25, "-0.25"},
        {0.05, "0.05"},
        {0.000123, "0.000123"},
        {1e15, "1000000000000000"},
        {123456789012345678.0, "123456789012346000"},
        {99999999999999.9, "99999999999999.9"},
        {999999999999999.9, "1000000000000000"},
        {1.0 / 3.0, "0.333333333333333"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(PrintFigure(c.v, '.'), c.text) << c.text;
    }
}

TEST(PrintFigure, UsesTheGivenSeparatorOnly) {
    EXPECT_EQ(PrintFigure(465.8, ','), "465,8");
    EXPECT_EQ(PrintFigure(115.0, ','), "115");
    EXPECT_EQ(PrintFigure(1234567.5, ','), "1234567,5");
}

TEST(PrintFigure, IgnoresTheCLibraryLocale) {
    const std::string saved = std::setlocale(LC_ALL, nullptr);
    const bool german = std::setlocale(LC_ALL, "de_DE.UTF-8") != nullptr ||
                        std::setlocale(LC_ALL, "German_Germany.1252") != nullptr;
    if (!german) GTEST_SKIP() << "no German locale";
    const std::string dot = PrintFigure(465.8, '.');
    const std::string expanded = ExpandTemplate("$tgb.", kVolumeA, '.');
    std::setlocale(LC_ALL, saved.c_str());
    EXPECT_EQ(dot, "465.8");
    EXPECT_EQ(expanded, "465.8");
}

TEST(PrintFigure, NonFiniteValuesPrintZero) {
    EXPECT_EQ(PrintFigure(std::numeric_limits<double>::quiet_NaN(), '.'), "0");
    EXPECT_EQ(PrintFigure(std::numeric_limits<double>::infinity(), '.'), "0");
    EXPECT_EQ(PrintFigure(-std::numeric_limits<double>::infinity(), '.'), "0");
}

TEST(ReplaceAll, ReplacesLeftToRightWithoutRescanning) {
    const struct {
        const char* text;
        const char* placeholder;
        const char* replacement;
        const char* result;
    } cases[] = {
        {"$rp$rp", "$rp", "25", "2525"}, {"aaa", "aa", "b", "ba"}, {"$x", "$x", "$x$x", "$x$x"},
        {"abc", "$rp", "25", "abc"},     {"", "$rp", "25", ""},    {"abc", "", "!", "abc"},
        {"x$lb", "$lb", "", "x"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ReplaceAll(c.text, c.placeholder, c.replacement), c.result) << c.text;
    }
}

TEST(ExpandTemplate, VolumeA) {
    ExpectPlaceholders(kVolumeA, {{"$tgb.", "465.8"},
                                  {"$tgb", "466"},
                                  {"$ugb.", "350.8"},
                                  {"$ugb", "351"},
                                  {"$rgb.", "115"},
                                  {"$rgb", "115"},
                                  {"$rp.", "24.7"},
                                  {"$rp", "25"},
                                  {"$up.", "75.3"},
                                  {"$up", "75"},
                                  {"$lb", "\r\n"}});
}

TEST(ExpandTemplate, VolumeB) {
    ExpectPlaceholders(kVolumeB, {{"$tgb.", "14"},
                                  {"$tgb", "14"},
                                  {"$rgb.", "2.5"},
                                  {"$rgb", "2"},
                                  {"$ugb.", "11.5"},
                                  {"$ugb", "12"},
                                  {"$rp.", "17.9"},
                                  {"$rp", "18"},
                                  {"$up.", "82.1"},
                                  {"$up", "82"}});
}

TEST(ExpandTemplate, VolumeC) {
    ExpectPlaceholders(kVolumeC, {{"$tgb.", "100"},
                                  {"$tgb", "100"},
                                  {"$ugb.", "87.8"},
                                  {"$ugb", "88"},
                                  {"$rgb.", "12.2"},
                                  {"$rgb", "12"},
                                  {"$rp.", "12.2"},
                                  {"$rp", "12"},
                                  {"$up.", "87.8"},
                                  {"$up", "88"}});
}

TEST(ExpandTemplate, VolumeD) {
    ExpectPlaceholders(kVolumeD, {{"$tgb.", "0.5"},
                                  {"$tgb", "0"},
                                  {"$ugb.", "0.4"},
                                  {"$ugb", "0"},
                                  {"$rgb.", "0.1"},
                                  {"$rgb", "0"},
                                  {"$rp.", "20"},
                                  {"$rp", "20"},
                                  {"$up.", "80"},
                                  {"$up", "80"}});
}

TEST(ExpandTemplate, WholeGigabytesRoundHalfToEven) {
    EXPECT_EQ(ExpandTemplate("$rgb", {10 * kGiB, 5 * kGiB / 2}, '.'), "2");
    EXPECT_EQ(ExpandTemplate("$rgb", {10 * kGiB, 7 * kGiB / 2}, '.'), "4");
}

TEST(ExpandTemplate, TemplatesOfVolumeA) {
    const struct {
        const char* templ;
        const char* text;
    } cases[] = {
        {"C: $up%", "C: 75%"},
        {"Drive: C -  Free: $rgb.gb - Total: $tgb.gb", "Drive: C -  Free: 115gb - Total: 465.8gb"},
        {"$rgb. GB free$lb$rp.% free", "115 GB free\r\n24.7% free"},
        {"$rp$rp", "2525"},
        {"$rpx", "25x"},
        {"$TGB", "$TGB"},
        {"$Rp", "$Rp"},
        {"$r", "$r"},
        {"$up.5", "75.35"},
        {"Total: $tgb.", "Total: 465.8"},
        {"$lb$lb", "\r\n\r\n"},
        {"$lb", "\r\n"},
        {"", ""},
        {"no placeholders here", "no placeholders here"},
        {"$tgb$ugb$rgb", "466351115"},
        {"$$rp", "$25"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ExpandTemplate(c.templ, kVolumeA, '.'), c.text) << c.templ;
    }
}

TEST(ExpandTemplate, PrintsWithTheGivenSeparator) {
    EXPECT_EQ(ExpandTemplate("$tgb. $rp. $up. $tgb", kVolumeA, ','), "465,8 24,7 75,3 466");
}

// Tenths from a printed figure with "." as separator and at most one decimal.
int Tenths(const std::string& text) {
    const std::size_t dot = text.find('.');
    if (dot == std::string::npos) return std::stoi(text) * 10;
    EXPECT_EQ(text.size(), dot + 2) << text;
    return std::stoi(text.substr(0, dot)) * 10 + (text[dot + 1] - '0');
}

TEST(ExpandTemplate, UsedAndRemainingPercentAddUpToHundred) {
    const std::int64_t totals[] = {1, 3, 7, 1000, 536'870'912, 500'105'216'000, 3'999'999'999'999};
    for (const std::int64_t total : totals) {
        for (int step = 0; step <= 1000; ++step) {
            const std::int64_t free = total / 1000 * step + total % 1000 * step / 1000;
            const DiskFigures volume{total, free};
            SCOPED_TRACE(std::to_string(total) + " " + std::to_string(free));
            const int up = std::stoi(ExpandTemplate("$up", volume, '.'));
            const int rp = std::stoi(ExpandTemplate("$rp", volume, '.'));
            EXPECT_EQ(up + rp, 100);
            EXPECT_EQ(Tenths(ExpandTemplate("$up.", volume, '.')) +
                          Tenths(ExpandTemplate("$rp.", volume, '.')),
                      1000);
        }
    }
}

TEST(ExpandTemplate, UsedPercentWithOneDecimalPrintsATenth) {
    EXPECT_EQ(ExpandTemplate("$up.|$rp.", {1000, 901}, '.'), "9.9|90.1");
    EXPECT_EQ(ExpandTemplate("$up.|$rp.", {1000, 999}, '.'), "0.1|99.9");
    EXPECT_EQ(ExpandTemplate("$up.|$rp.", {1000, 1000}, '.'), "0|100");
    EXPECT_EQ(ExpandTemplate("$up.|$rp.", {1000, 0}, '.'), "100|0");
}

TEST(ExpandTemplate, ZeroOrNegativeTotalPrintsZeroEverywhere) {
    const char* const all = "$tgb.|$ugb.|$rgb.|$tgb|$ugb|$rgb|$up.|$up|$rp.|$rp";
    EXPECT_EQ(ExpandTemplate(all, {0, 0}, '.'), "0|0|0|0|0|0|0|0|0|0");
    EXPECT_EQ(ExpandTemplate("$up|$rp", {-kGiB, 0}, '.'), "0|0");
    EXPECT_EQ(ExpandTemplate("$up.|$rp.|$rgb", {0, 3 * kGiB}, '.'), "0|0|3");
}

#if defined(__GLIBC__)
// Hosts may unmask floating-point faults; with them trapping, expansion must still finish.
TEST(ExpandTemplate, RaisesNoFloatingPointFault) {
    const int traps = FE_DIVBYZERO | FE_INVALID | FE_OVERFLOW;
    feclearexcept(FE_ALL_EXCEPT);
    feenableexcept(traps);
    const std::string zero = ExpandTemplate("$rp.$rp$up.$up$tgb.", {0, 0}, '.');
    const std::string normal = ExpandTemplate("$rp.$rp$up.$up$tgb.", kVolumeA, '.');
    const std::string nan = PrintFigure(std::numeric_limits<double>::quiet_NaN(), '.');
    fedisableexcept(traps);
    EXPECT_EQ(zero, "00000");
    EXPECT_EQ(normal, "24.72575.375465.8");
    EXPECT_EQ(nan, "0");
}
#endif

}  // namespace
}  // namespace spacegauge
