// SPDX-License-Identifier: GPL-3.0-or-later
// The three plain layouts: each field in its column.
#include <gtest/gtest.h>

#include "core/layouts.h"
#include "records.h"

using namespace quorvel;
using enum quorvel::OutputFormat;

// Number or point at column 1, X 8, Y 23, Z 37, code 50; a field past its column ends the line.
TEST(OutputLayouts, FieldsInTheirColumns) {
    const std::string v = "1000.000" + b(7) + "2000.000" + b(6) + "100.500" + b(6);
    using C = CoordinateLine;
    // clang-format off
    const std::tuple<OutputFormat, std::int64_t, std::string C::*, std::string, std::string> cases[] = {
        {Autocogo1, 1, &C::Point, "101", "1" + b(6) + v + "TR101\r\n"},
        {Autocogo2, 1, &C::Point, "101", "101" + b(4) + v + "TR\r\n"},
        {Autocogo3, 100000, &C::Point, "101", "100000,1000.000,2000.000,100.500,TR,101\r\n"},
        {Autocogo1, 1234567, &C::Point, "101", "1234567" + v + "TR101\r\n"},  // just fills its columns
        {Autocogo2, 1, &C::Point, "12345678", "12345678\r\n" + b(7) + v + "TR\r\n"},
        {Autocogo2, 1, &C::Point, "506S-12" + b(7), "506S-12" + v + "TR\r\n"},  // trailing blanks go
        {Autocogo1, 1, &C::Y, "12345678901.345", "1" + b(6) + "1000.000" + b(7) + "12345678901.345\r\n" +
         b(36) + "100.500" + b(6) + "TR101\r\n"},
        // Layout 1 joins code and point, and drops a point "0"; layout 2 keeps it.
        {Autocogo1, 1, &C::Point, "0", "1" + b(6) + v + "TR\r\n"},
        {Autocogo2, 1, &C::Point, "0", "0" + b(6) + v + "TR\r\n"},
        // A blank Z writes nothing but still names the layout; only blanks count as blank.
        {Autocogo2, 1, &C::Z, "   ", ""}, {Autocogo3, 1, &C::Z, " \t", "1,1000.000,2000.000, \t,TR,101\r\n"}};
    // clang-format on
    for (const auto& [format, number, field, value, written] : cases) {
        CoordinateLine c{'X', "1000.000", "2000.000", "100.500", "TR", "101"};
        c.*field = value;
        std::string out;
        const auto name = appendCoordinateLine(out, format, c, number);
        EXPECT_EQ(name.value_or(""), "Output Format: " + std::string(formatName(format)));
        EXPECT_EQ(formatName(format), "Autocogo " + std::to_string(numberOf(format)));
        EXPECT_EQ(out, written) << numberOf(format) << " " << value;
    }
    std::string csv;  // CSV and the rest are not layouts
    EXPECT_FALSE(appendCoordinateLine(csv, Csv, {'X', "1", "2", "3", "", ""}, 1));
}
