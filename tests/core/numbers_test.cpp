// SPDX-License-Identifier: GPL-3.0-or-later
// Numbers as the coordinate files write them: strict and leading readings, rounding.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "core/numbers.h"
#include "core/reduction.h"

using namespace quorvel;

// Rounded half away from zero, never minus zero. Strict: the whole text between blanks ("": no
// number); leading (third column if it differs): blanks, tabs, LFs ignored, up to a misfit.
TEST(Numbers, StrictAndLeadingReadings) {
    const std::string d300(300, '9'), z299(299, '0');
    // clang-format off
    const std::string cases[][3] = {
        {"1234.5", "1234.500"}, {"1.0005", "1.001"}, {"-2.0005", "-2.001"}, {"1.00049999", "1.000"},
        {"999.9995", "1000.000"}, {"-0.9995", "-1.000"}, {"-0.0004", "0.000"},
        {"-0.0005", "-0.001"}, {"-0", "0.000"}, {"000012.000", "12.000"}, {".5", "0.500"},
        {"5.", "5.000"}, {"+7", "7.000"}, {"-.5", "-0.500"}, {"1.5E2", "150.000"},
        {"15e-1", "1.500"}, {"5e-4", "0.001"}, {"4.9e-4", "0.000"}, {"   500.12345 ", "500.123"},
        {"   12 34.5   ", "", "1234.500"}, {"\t-1\n2.5", "", "-12.500"}, {"", "", "0.000"},
        {"-", "", "0.000"}, {"abc", "", "0.000"}, {"21.259 m", "", "21.259"},
        {"1.2.3", "", "1.200"}, {"12E", "", "12.000"}, {"12e+x", "", "12.000"},
        {"1 E 2", "", "100.000"}, {"\r5", "", "0.000"}, {"\t5", "", "5.000"}, {"5\t", "", "5.000"},
        {"12 .5", "", "12.500"}, {"-0.000", "0.000"}, {"1.23-4", "", "1.230"},
        // More than 300 integer digits are no number; many other digits cost nothing.
        {d300, d300 + ".000"}, {"1" + z299 + "0", "", "0.000"}, {d300 + ".9995", "", "0.000"},
        {d300 + ".9994", d300 + ".999"}, {"1e299", "1" + z299 + ".000"}, {"1e300", "", "0.000"},
        {"0.001e300", "1" + z299.substr(2) + ".000"},
        {std::string(5000, '0') + "7." + std::string(5000, '4'), "7.444"},
        {"1E+999999999", "", "0.000"}, {"1E99999999999999999999999999", "", "0.000"},
        {"1E-999999999", "0.000"}, {"-1E-99999999999999999999", "0.000"}, {"0E999999999", "0.000"}};
    // clang-format on
    for (const auto& [text, strict, leading] : cases) {
        EXPECT_EQ(strictNumber(text).value_or(""), strict) << text.substr(0, 20);
        EXPECT_EQ(leadingNumber(text), leading.empty() ? strict : leading) << text.substr(0, 20);
    }
    EXPECT_EQ(leadingNumber(std::string_view("7-5").substr(1)), "-5.000");  // reads only its text
    // Computed values round as their shortest text would: near a half-thousandth too.
    const std::pair<double, const char*> computed[] = {
        {1.0005, "1.001"},
        {-2.0005, "-2.001"},
        {1.00049999, "1.000"},
        {0.0072, "0.007"},
        {-0.0004, "0.000"},
        {-0.0012, "-0.001"},
        {999.9996, "1000.000"},
        {-12345.6785, "-12345.679"},
        {1e12 + 0.25, "1000000000000.250"},
        {1e15 + 0.5, "1000000000000000.500"},
        {5e-324, "0.000"},
        {1e301, ""},
        {std::numeric_limits<double>::infinity(), ""},
        {std::nan(""), ""}};
    for (const auto& [value, text] : computed) {
        std::string out = "=";
        EXPECT_EQ(appendRounded(value, out), *text != '\0') << text;
        EXPECT_EQ(out, "=" + std::string(text)) << value;
    }
}
