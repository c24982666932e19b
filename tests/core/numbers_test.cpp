#include <gtest/gtest.h>

#include <string>

#include "core/numbers.h"

using quorvel::leadingNumber;
using quorvel::strictNumber;

namespace {
std::string strict(const std::string& text) {
    return strictNumber(text).value_or("<none>");
}
}  // namespace

TEST(NumberPattern, ThreeDecimalsRoundedHalfAwayFromZeroNeverMinusZero) {
    // clang-format off
    const std::pair<const char*, const char*> cases[] = {
        {"1234.5", "1234.500"}, {"0.25", "0.250"}, {"-12", "-12.000"}, {"1234.56789", "1234.568"},
        {"1.0005", "1.001"}, {"-2.0005", "-2.001"}, {"1.00049999", "1.000"}, {"999.9995", "1000.000"},
        {"-0.9995", "-1.000"}, {"0.0004", "0.000"}, {"-0.0004", "0.000"}, {"-0.0005", "-0.001"},
        {"-0", "0.000"}, {"000012.000", "12.000"}, {".5", "0.500"}, {"5.", "5.000"}, {"+7", "7.000"},
        {"1.5E2", "150.000"}, {"15e-1", "1.500"}, {"1e-3", "0.001"}, {"5e-4", "0.001"},
        {"4.9e-4", "0.000"}, {"123456789012.3456", "123456789012.346"}};
    // clang-format on
    for (const auto& [in, out] : cases) {
        EXPECT_EQ(strict(in), out) << in;
        EXPECT_EQ(leadingNumber(in), out) << in;
    }
}

TEST(NumberPattern, LeadingReadingIgnoresBlanksAndStopsAtTheFirstMisfit) {
    // clang-format off
    const std::pair<const char*, const char*> cases[] = {
        {"   12 34.5   ", "1234.500"}, {"\t-1\n2.5", "-12.500"}, {"- 3", "-3.000"}, {"   ", "0.000"},
        {"", "0.000"}, {"abc", "0.000"}, {"-", "0.000"}, {".", "0.000"}, {"21.259 m", "21.259"},
        {"1.2.3", "1.200"}, {"12E", "12.000"}, {"12e+x", "12.000"}, {"1 E 2", "100.000"},
        {"1,5", "1.000"}, {"\r5", "0.000"}};  // an exponent needs digits; CR is not ignored
    // clang-format on
    for (const auto& [in, out] : cases) EXPECT_EQ(leadingNumber(in), out) << in;
}

TEST(NumberPattern, StrictReadingTakesTheWholeTextBetweenBlanks) {
    EXPECT_EQ(strict("   500.12345 "), "500.123");
    EXPECT_EQ(strict("-.5"), "-0.500");
    for (const char* text : {"", "   ", "abc", "  abc  ", "N/A", "12abc", "1 2", "1.2.3", "1e",
                             "1e+", "+", "-", ".", "e5", "--1", "\t5", "5\t", "12 m"})
        EXPECT_FALSE(strictNumber(text)) << '"' << text << '"';
}

TEST(NumberPattern, MoreThan300IntegerDigitsOrAHugeExponentIsNoNumber) {
    const std::string d300(300, '9');
    EXPECT_EQ(strict(d300), d300 + ".000");
    EXPECT_FALSE(strictNumber("1" + std::string(300, '0')));
    EXPECT_FALSE(strictNumber(d300 + ".9995"));  // rounding carries into digit 301
    EXPECT_EQ(strict(d300 + ".9994"), d300 + ".999");
    EXPECT_EQ(strict("1e299"), "1" + std::string(299, '0') + ".000");
    EXPECT_FALSE(strictNumber("1e300"));
    EXPECT_EQ(strict("0.001e300"), "1" + std::string(297, '0') + ".000");
    EXPECT_EQ(leadingNumber("1" + std::string(300, '0')), "0.000");
    // Many digits after the point or leading zeros cost nothing.
    EXPECT_EQ(strict(std::string(5000, '0') + "7." + std::string(5000, '4')), "7.444");
    // Huge exponents saturate.
    EXPECT_FALSE(strictNumber("1E+999999999"));
    EXPECT_FALSE(strictNumber("1E99999999999999999999999999"));
    for (const char* tiny : {"1E-999999999", "-1E-99999999999999999999", "0E999999999"})
        EXPECT_EQ(strict(tiny), "0.000") << tiny;
    EXPECT_EQ(leadingNumber("1E+999999999"), "0.000");
    EXPECT_EQ(leadingNumber("-5E-999999999"), "0.000");
}
