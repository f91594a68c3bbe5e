#include "settings/text_forms.h"

#include <set>

#include <gtest/gtest.h>

#include "host/exception.h"

namespace spacegauge {
namespace {

struct IntegerCase {
    const char* text;
    std::int32_t value;
};

TEST(ParseIntegerText, AcceptsEveryFormAndRangeLimit) {
    const IntegerCase cases[] = {
        {"0", 0},
        {"24", 24},
        {"007", 7},
        {"+5", 5},
        {"-5", -5},
        {" 7", 7},
        {"   -12", -12},
        {"2147483647", 2147483647},
        {"+2147483647", 2147483647},
        {"-2147483648", INT32_MIN},
        {"$10", 16},
        {"x1F", 31},
        {"X1f", 31},
        {"0x10", 16},
        {"0XaB", 171},
        {"-$10", -16},
        {"+0x10", 16},
        {"$ffffff", 0x00FFFFFF},
        {"$FFFFFFFF", -1},
        {"$80000000", INT32_MIN},
        {"-$80000000", INT32_MIN},
        {"$000000001", 1},  // leading zeros are not significant
        {"$00A6671A", 0x00A6671A},
    };
    for (const IntegerCase& c : cases) {
        SCOPED_TRACE(c.text);
        const auto value = ParseIntegerText(c.text);
        ASSERT_TRUE(value.has_value());
        EXPECT_EQ(*value, c.value);
    }
}

TEST(ParseIntegerText, RejectsMalformedText) {
    const char* const cases[] = {
        "",           "   ",         "abc",        "60 s",        "7 ",         "1.5",
        "--5",        "+-5",         "- 5",        "$",           "0x",         "x",
        "+",          "$1G",         "2147483648", "-2147483649", "4294967296", "99999999999",
        "$100000000", "0x1FFFFFFFF", "0x 1",       "5\t",         "red",
    };
    for (const char* text : cases) {
        EXPECT_FALSE(ParseIntegerText(text).has_value()) << "'" << text << "'";
    }
}

TEST(StrictIntegerFromText, ReportsTheOffendingText) {
    const char* const cases[] = {"abc", "", "60 s", "2147483648"};
    for (const char* text : cases) {
        try {
            StrictIntegerFromText(text);
            ADD_FAILURE() << "no error for '" << text << "'";
        } catch (const Exception& error) {
            EXPECT_EQ(std::string(error.what()),
                      "'" + std::string(text) + "' is not a valid integer value");
        }
    }
    EXPECT_EQ(StrictIntegerFromText("-5"), -5);
}

TEST(LenientIntegerFromText, FallsBackOnlyForNonIntegers) {
    EXPECT_EQ(LenientIntegerFromText("abc", 1), 1);
    EXPECT_EQ(LenientIntegerFromText("", 2), 2);
    EXPECT_EQ(LenientIntegerFromText("2147483648", 3), 3);
    EXPECT_EQ(LenientIntegerFromText(" 7", 1), 7);
    EXPECT_EQ(LenientIntegerFromText("0", 1), 0);
}

TEST(IniIntegerFromText, TreatsCHexPrefixAndFallsBack) {
    const struct {
        const char* text;
        std::int32_t fallback;
        std::int32_t value;
    } cases[] = {
        {"0x10", 1, 16},       {"0X1f", 1, 31}, {"0x", 9, 9},   {"0x0", 1, 0},
        {"abc", 1, 1},         {" 7", 1, 7},    {"", 2, 2},     {"yes", 1, 1},
        {"0xFFFFFFFF", 0, -1}, {"0x1G", 4, 4},  {"0x-5", 4, 4}, {"2", 1, 2},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(IniIntegerFromText(c.text, c.fallback), c.value) << "'" << c.text << "'";
    }
}

TEST(DecimalText, PrintsSignAndDigitsOnly) {
    EXPECT_EQ(DecimalText(0), "0");
    EXPECT_EQ(DecimalText(24), "24");
    EXPECT_EQ(DecimalText(-1), "-1");
    EXPECT_EQ(DecimalText(INT32_MAX), "2147483647");
    EXPECT_EQ(DecimalText(INT32_MIN), "-2147483648");
}

TEST(ColorNames, HasUniqueNamesAndValuesWithStandardColoursFirst) {
    const auto& names = ColorNames();
    std::set<std::string_view> seenNames;
    std::set<ColorValue> seenValues;
    for (const ColorName& entry : names) {
        EXPECT_TRUE(seenNames.insert(entry.name).second) << entry.name;
        EXPECT_TRUE(seenValues.insert(entry.value).second) << entry.name;
    }
    EXPECT_EQ(names[0].name, "clBlack");
    EXPECT_EQ(names[9].name, "clRed");
    EXPECT_EQ(names[9].value, 0x000000FF);
    EXPECT_EQ(names[15].name, "clWhite");
    EXPECT_EQ(names[16].name, "clMoneyGreen");
    EXPECT_EQ(names[51].name, "clWindowText");
    for (int i = 0; i < 16; ++i) {
        EXPECT_TRUE(names[i].value >= 0 && names[i].value <= 0x00FFFFFF)
            << names[i].name << " is not an RGB colour";
    }
}

TEST(ColorFromText, ReadsNamesCaseBlindAndIntegers) {
    const struct {
        const char* text;
        ColorValue value;
    } cases[] = {
        {"clRed", 0x000000FF},
        {"CLRED", 0x000000FF},
        {"clred", 0x000000FF},
        {"255", 0x000000FF},
        {"$ffffff", 0x00FFFFFF},
        {"clBtnFace", static_cast<ColorValue>(0xFF00000F)},
        {"CL3dDkShadow", static_cast<ColorValue>(0xFF000015)},
        {"clNone", 0x1FFFFFFF},
        {"clDefault", 0x20000000},
        {"$00A6671A", 0x00A6671A},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ColorFromText(c.text), c.value) << c.text;
    }
}

TEST(ColorFromText, RejectsUnknownTextWithIntegerMessage) {
    const char* const cases[] = {"red", "", " clRed", "clRed ", "clWhitish"};
    for (const char* text : cases) {
        try {
            ColorFromText(text);
            ADD_FAILURE() << "no error for '" << text << "'";
        } catch (const Exception& error) {
            EXPECT_EQ(std::string(error.what()),
                      "'" + std::string(text) + "' is not a valid integer value");
        }
    }
}

TEST(ColorToText, WritesNameOrEightHexDigits) {
    const struct {
        ColorValue value;
        const char* text;
    } cases[] = {
        {0x00FFFFFF, "clWhite"},
        {0x000000FF, "clRed"},
        {static_cast<ColorValue>(0xFF00000F), "clBtnFace"},
        {0x00A6671A, "$00A6671A"},
        {0x00123456, "$00123456"},
        {0x00ABCDEF, "$00ABCDEF"},
        {static_cast<ColorValue>(0xFF0000FF), "$FF0000FF"},
        {-2, "$FFFFFFFE"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ColorToText(c.value), c.text);
    }
}

TEST(ColorText, RoundTripsThroughTheFileForm) {
    EXPECT_EQ(ColorToText(ColorFromText("$00123456")), "$00123456");
    EXPECT_EQ(ColorToText(ColorFromText("clBtnFace")), "clBtnFace");
    EXPECT_EQ(ColorToText(ColorFromText("$ffffff")), "clWhite");
    for (const ColorName& entry : ColorNames()) {
        EXPECT_EQ(ColorFromText(ColorToText(entry.value)), entry.value) << entry.name;
    }
}

TEST(CommandIniText, ConvertsQuotesBothWays) {
    const struct {
        const char* file;
        const char* command;
    } cases[] = {
        {"!!explorer.exe!! /e, C:", "\"explorer.exe\" /e, C:"},
        {"!!!", "\"!"},
        {"!!!!", "\"\""},
        {"!", "!"},
        {"a!b", "a!b"},
        {"", ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(CommandFromIniText(c.file), c.command) << c.file;
    }
    EXPECT_EQ(CommandToIniText("\"explorer.exe\" /e, C:"), "!!explorer.exe!! /e, C:");
    EXPECT_EQ(CommandToIniText("\"\""), "!!!!");
    EXPECT_EQ(CommandToIniText("no quotes!"), "no quotes!");
}

}  // namespace
}  // namespace spacegauge
