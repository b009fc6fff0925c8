#include "monitor/core/TextNumbers.h"

#include "tests/platform/ini/TemporaryDirectory.h"

#include <gtest/gtest.h>

#include <climits>
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <random>

namespace kelvo {
namespace {

TEST(TextNumbers, IntegersReadLikeAtoi) {
    const std::pair<const char*, int> cases[] = {
        {"5", 5},
        {"  \t42", 42},
        {"-7", -7},
        {"+12abc", 12},
        {"abc", 0},
        {"", 0},
        {"- 3", 0},
        {"3.9", 3},
        {"0x10", 0},
        {"99999999999", INT_MAX},
        {"-99999999999", INT_MIN},
        {"2147483647", INT_MAX},
        {"-2147483648", INT_MIN},
    };
    for (const auto& [text, expected] : cases) {
        EXPECT_EQ(ReadInteger(text), expected) << '"' << text << '"';
    }
}

TEST(TextNumbers, RealsReadLikeAtof) {
    const std::pair<const char*, double> cases[] = {
        {"50", 50.0},    {" 37.5xyz", 37.5}, {"-3,5", -3.0}, {".5", 0.5},  {"5.", 5.0},
        {"+1.25", 1.25}, {"1e2", 100.0},     {"1e", 1.0},    {"1e+", 1.0}, {"abc", 0.0},
        {".", 0.0},      {"-", 0.0},         {"inf", 0.0},   {"nan", 0.0}, {"1e999", 0.0},
    };
    for (const auto& [text, expected] : cases) {
        EXPECT_EQ(ReadReal(text), expected) << '"' << text << '"';
    }
}

// Formats as printf's "%0.2f" and "%0.1f" do in the C locale, rounding included.
TEST(TextNumbers, FixedFormatMatchesPrintf) {
    std::mt19937_64 random(2);
    std::uniform_real_distribution<double> values(-1000.0, 1000.0);
    std::vector<double> samples = {0.0,   1.0,  50.0, -0.004, 0.125, 0.375,
                                   2.675, 1e20, 0.25, -0.05,  0.7};
    for (int index = 0; index < 1000; ++index) {
        samples.push_back(values(random));
    }
    for (const double value : samples) {
        char expected[400];
        std::snprintf(expected, sizeof expected, "%0.2f", value);
        EXPECT_EQ(FormatFixed2(value), expected);
        std::snprintf(expected, sizeof expected, "%0.1f", value);
        EXPECT_EQ(FormatFixed1(value), expected);
    }
}

// A locale with a decimal comma must change neither reading nor writing: a file
// written under it is read under another.
TEST(TextNumbers, DecimalCommaLocaleChangesNothing) {
    testing::TemporaryDirectory locales;
    if (std::setlocale(LC_NUMERIC, "de_DE.UTF-8") == nullptr) {
        const std::string build = "localedef -i de_DE -f UTF-8 " +
                                  (locales / "de_DE.UTF-8").string() + " >/dev/null 2>&1";
        if (std::system(build.c_str()) != 0 ||
            ::setenv("LOCPATH", locales.Path().c_str(), 1) != 0 ||
            std::setlocale(LC_NUMERIC, "de_DE.UTF-8") == nullptr) {
            ::unsetenv("LOCPATH");
            GTEST_SKIP() << "no locale with a decimal comma here";
        }
    }
    char probe[16];
    std::snprintf(probe, sizeof probe, "%0.2f", 1.5);
    const std::string underLocale = probe;
    const std::string formatted = FormatFixed2(1.5);
    const double read = ReadReal("37.25");
    std::setlocale(LC_NUMERIC, "C");
    ::unsetenv("LOCPATH");

    ASSERT_EQ(underLocale, "1,50") << "the locale did not take effect";
    EXPECT_EQ(formatted, "1.50");
    EXPECT_EQ(read, 37.25);
}

TEST(TextNumbers, FlagsAreOneAndZero) {
    EXPECT_TRUE(ReadFlag("1"));
    for (const char* text : {"0", "", "true", "01", "2", " 1"}) {
        EXPECT_FALSE(ReadFlag(text)) << text;
    }
    EXPECT_STREQ(FormatFlag(true), "1");
    EXPECT_STREQ(FormatFlag(false), "0");
}

} // namespace
} // namespace kelvo
