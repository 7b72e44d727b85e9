#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <string>

#include "model/numbers.h"

namespace kevo {
namespace {

TEST(Numbers, ReadsNumberTextWithPoint) {
    struct Case {
        const char* text;
        double value;
    } cases[] = {
        {"2.5", 2.5},     {" 2.5 ", 2.5}, {"+3", 3},       {"-0.25", -0.25},
        {".5", 0.5},      {"5.", 5},      {"1e-3", 0.001}, {"1.5E2", 150},
        {"-1.2e+1", -12}, {"0", 0},       {"\t7\t", 7},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        ASSERT_TRUE(TryStrToFloat(c.text).has_value());
        EXPECT_DOUBLE_EQ(xStrToFloat(c.text), c.value);
    }
}

TEST(Numbers, RefusesTextThatIsNotANumber) {
    for (const char* text :
         {"",    " ",    "?",   ".",   "1,5",  "2,500", "abc", "1.2.3", "1.5(2)", "nan",
          "inf", "-inf", "+-1", "--1", "0x10", "1e",    "e5",  "5 5",   "-",      "+"}) {
        SCOPED_TRACE(text);
        EXPECT_FALSE(TryStrToFloat(text).has_value());
        EXPECT_THROW(xStrToFloat(text), ConversionError);
    }
}

TEST(Numbers, ShortestGeneralForm) {
    struct Case {
        double value;
        const char* text;
    } cases[] = {
        {0, "0"},
        {0.25, "0.25"},
        {3, "3"},
        {-0.1, "-0.1"},
        {0.1 + 0.2, "0.3"},
        {1.0 / 3, "0.333333333333333"},
        {2.0 / 3, "0.666666666666667"},
        {123456.789, "123456.789"},
        {0.00001, "0.00001"},
        {0.000001, "1E-6"},
        {1.5e-7, "1.5E-7"},
        {1e20, "1E20"},
        {100, "100"},
        {-42.5, "-42.5"},
        {0.75, "0.75"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(xFloatToStr(c.value), c.text);
    }
}

TEST(Numbers, PictureFormats) {
    struct Case {
        const char* format;
        double value;
        const char* text;
    } cases[] = {
        {"0.000", 2.5, "2.500"},
        {"0", 2.4, "2"},
        {"0", 2.5, "3"}, // half away from zero
        {"0", -2.5, "-3"},
        {"0.00", 0.125, "0.13"}, // exact binary half-way value
        {"0.00", 2.675, "2.68"}, // stored as 2.67499999..., printed as 2.675
        {"0.000", 1.0005, "1.001"},
        {"0.0", 0.95, "1.0"}, // carry into the integer part
        {"0.0", 9.96, "10.0"},
        {"0.000", -0.0001, "0.000"}, // no "-0.000"
        {"0.000", -0.0, "0.000"},
        {"0", -0.4, "0"},
        {"0.000", 0.0004, "0.000"},
        {"0.000", 0.0005, "0.001"},
        {"0.0000000", 0.12345678, "0.1234568"},
        {"0.0000", 1234.5, "1234.5000"},
        {"0.000", -2, "-2.000"},
        {"0.0", 1e-20, "0.0"},
        {"0.00", 123456789012.345, "123456789012.35"},
        {"0.0000", 0.00005, "0.0001"},
        {"0.0000", 0.00004999, "0.0000"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.format) + " " + c.text);
        EXPECT_EQ(FF(c.format, c.value), c.text);
    }
    EXPECT_THROW(FF("#.##", 1), std::invalid_argument);
    EXPECT_EQ(FormatString("2", "0.000"), "2.000");
    EXPECT_THROW(FormatString("2,5", "0.000"), ConversionError);
}

TEST(Numbers, DecFormBuildsPicturesForOneToSevenDecimals) {
    std::string format = "0.00";
    DecForm(1, format);
    EXPECT_EQ(format, "0.0");
    DecForm(7, format);
    EXPECT_EQ(format, "0.0000000");
    DecForm(8, format);
    EXPECT_EQ(format, "0.0000000");
    DecForm(0, format);
    EXPECT_EQ(format, "0.0000000");
}

TEST(Numbers, Integers) {
    EXPECT_EQ(TryStrToInt("12"), 12);
    EXPECT_EQ(TryStrToInt(" -3 "), -3);
    EXPECT_FALSE(TryStrToInt("").has_value());
    EXPECT_FALSE(TryStrToInt("1.5").has_value());
    EXPECT_FALSE(TryStrToInt("+-1").has_value());
    EXPECT_EQ(IntToStr(-42), "-42");
}

// A Qt application switches the C locale to the desktop's. The conversions
// must not notice.
TEST(Numbers, IgnoreAGermanCLocale) {
    const char* set = nullptr;
    for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "de_DE"}) {
        set = std::setlocale(LC_ALL, name);
        if (set) break;
    }
    ASSERT_NE(set, nullptr) << "the German locale is missing; the set-up script generates it";
    ASSERT_EQ(*std::localeconv()->decimal_point, ',');
    EXPECT_EQ(FF("0.000", 2.5), "2.500");
    EXPECT_EQ(xFloatToStr(0.25), "0.25");
    EXPECT_DOUBLE_EQ(xStrToFloat("2.5"), 2.5);
    EXPECT_FALSE(TryStrToFloat("2,5").has_value());
    std::setlocale(LC_ALL, "C");
}

} // namespace
} // namespace kevo
