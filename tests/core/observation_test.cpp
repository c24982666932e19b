// SPDX-License-Identifier: GPL-3.0-or-later
// Observation records: the column table of each record type, and lines however reads split them.
#include <gtest/gtest.h>

#include "core/observation_reader.h"
#include "piecewise_io.h"
#include "records.h"

using namespace quorvel;

// The record type picks the column table; a marker X or Y orders the first two values.
TEST(ObservationRecords, FieldsByTheTableOfTheRecordType) {
    // clang-format off
    for (const auto& [text, table] : {std::pair{"For r4", &kLayoutR4}, {"For R5", &kLayoutR5},
         {"xxxxm5", &kLayoutM5}, {"For R6", &kLayoutOther}, {"For R", &kLayoutOther}})
        EXPECT_EQ(&classify(text), table) << text;
    const std::string y = line({{5, "R4"}, {19, "Y"}, {-31, "1000.0005"}, {40, "-500.12345"}});
    const std::pair<std::string, std::string> cases[] = {
        {y, "Y|-500.123|1000.001|" + b(12) + "||"}, {y.substr(0, 18) + "Z" + y.substr(19), "none"},
        {"    r4" + y.substr(6, 12) + "x" + y.substr(19), "X|1000.001|-500.123|" + b(12) + "||"},
        {std::string(36, 'X'), "none"}, {line({{5, "R4"}, {19, "X"}}, 38), "2nd?"},
        // First value: blanks ignored, none is zero; second: a number; third: else as written.
        {line({{5, "R4"}, {19, "X"}, {20, " 12 34.5"}, {-51, "2"}, {60, "    N/A"}}),
         "X|1234.500|2.000|    N/A     ||"},
        {line({{5, "R4"}, {19, "X"}, {-51, "1.5"}, {-71, "1E+999999999"}}),
         "X|0.000|1.500|1E+999999999||"},
        {line({{5, "R4"}, {19, "X"}, {-51, "abc"}}), "2nd?"},
        // Code and point lose leading blanks only; any other byte passes through.
        {line({{5, "R4"}, {11, " \xe9\t"}, {14, "\xc3\xa9"}, {19, "X"}, {-31, "1"}, {-51, "2"},
               {60, "\xff \x7f"}}), "X|1.000|2.000|\xff \x7f" + b(9) + "|\xe9\t|\xc3\xa9  "},
        {line({{9, "   CODE"}, {25, "  P17"}, {37, "y"}, {-49, "3.25"}, {-64, "-4"}}),
         "Y|-4.000|3.250|" + b(12) + "|CODE" + b(9) + "|P17" + b(6)},
        // M5 (ending before its Z): the older variant ends the point at column 40, code after.
        {line({{5, "M5"}, {-40, "1100"}, {41, "CONTR"}, {50, "X"}, {-66, "1.5"}, {-89, "2.5"}}),
         "X|1.500|2.500||CONTR   |1100"},
        {line({{5, "M5"}, {22, "S"}, {-48, "1100"}, {50, "X"}, {-66, "1"}, {-89, "2"}}),
         "X|1.000|2.000||S" + b(15) + "|1100"},
        // Values cut by their field run on over digits and points.
        {"For R4|KR NTR1100|X       21.259 m   |Y       59.620 m   |Z       11.256 m   |",
         "X|21.259|59.620|11.256|NTR|1100"}};
    // clang-format on
    for (const auto& [text, read] : cases) EXPECT_EQ(fields(text), read) << text;
}

// CR, CR LF and a lone LF end a line, also when a CR ends one read and its LF starts the next.
TEST(ObservationLineReader, LineEndsWhereverTheReadsSplitThem) {
    using Lines = std::vector<std::string>;
    // clang-format off
    const std::pair<std::string, Lines> cases[] = {
        {"", {}}, {"a", {"a"}}, {"a\r\n", {"a"}}, {"a\r", {"a"}}, {"a\n", {"a"}}, {"\r\n", {""}},
        {"a\r\nb\rc\nd", {"a", "b", "c", "d"}}, {"a\n\rb", {"a", "", "b"}},
        {"a\r\r\nb\r\n\r\n", {"a", "", "b", ""}}, {"\n\n", {"", ""}},
        {std::string("x\x80\xff\t\x1a\x00y\r\n", 9), {std::string("x\x80\xff\t\x1a\x00y", 7)}},
        // Ends before, at and after a block of sixteen bytes; CR or LF plus 0x80 ends nothing.
        {std::string(15, 'a') + "\r" + std::string(16, 'b') + "\n" + std::string(17, '\x8d') +
             "\r\n" + std::string(40, '\x8a'), {std::string(15, 'a'), std::string(16, 'b'),
             std::string(17, '\x8d'), std::string(40, '\x8a')}}};
    // clang-format on
    for (const auto& [text, lines] : cases)
        for (std::size_t step : {1u, 3u, 64u * 1024})
            for (std::size_t buffer : {1u, 2u, 5u, 16u, 64u * 1024}) {
                // Reads of 3 fail after the last byte: every line is still handed out.
                PiecewiseReader in(text, step, step == 3 ? text.size() : std::string::npos);
                ObservationLineReader reader(in, buffer);
                Lines got;
                for (std::string_view l; reader.next(l);) got.emplace_back(l);
                EXPECT_EQ(got, lines) << step << " " << buffer;
                EXPECT_EQ(reader.failed(), step == 3);
            }
}
