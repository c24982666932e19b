#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/observation.h"
#include "core/observation_reader.h"
#include "piecewise_io.h"

using namespace quorvel;

namespace {

// A line of `length` blanks with each text placed from its column (from 1); a negative
// column right-aligns the text so that it ends at that column.
std::string line(std::initializer_list<std::pair<int, std::string_view>> fields,
                 std::size_t length = 90) {
    std::string s(length, ' ');
    for (const auto& [column, text] : fields) {
        const std::size_t from = column > 0 ? column - 1 : -column - text.size();
        if (s.size() < from + text.size()) s.resize(from + text.size(), ' ');
        s.replace(from, text.size(), text);
    }
    return s;
}

LineOutcome read(std::string_view l, CoordinateLine& c) {
    return readCoordinateLine(l, classify(l), c);
}

using Lines = std::vector<std::string>;

Lines linesOf(std::string_view text, std::size_t step, std::size_t bufferSize) {
    PiecewiseReader in(text, step);
    ObservationLineReader reader(in, bufferSize);
    Lines lines;
    std::string_view l;
    while (reader.next(l)) lines.emplace_back(l);
    EXPECT_FALSE(reader.failed());
    EXPECT_FALSE(reader.next(l));  // stays at the end
    return lines;
}

}  // namespace

TEST(ObservationRecords, RecordTypePicksTheTable) {
    EXPECT_EQ(&classify("For R4|"), &kLayoutR4);
    EXPECT_EQ(&classify("For r4|"), &kLayoutR4);
    EXPECT_EQ(&classify("For R5"), &kLayoutR5);
    EXPECT_EQ(&classify("xxxxm5"), &kLayoutM5);
    for (const char* other : {"For R6", "For R", ""}) EXPECT_EQ(&classify(other), &kLayoutOther);
}

TEST(ObservationRecords, MarkerOrdersTheValues) {
    CoordinateLine c;
    const std::string y =
        line({{5, "R4"}, {19, "Y"}, {-31, "1000.00000"}, {-51, "500.12345"}, {-71, "7"}});
    ASSERT_EQ(read(y, c), LineOutcome::Complete);
    EXPECT_TRUE(c.Marker == 'Y' && c.Y == "1000.000" && c.X == "500.123" && c.Z == "7.000");
    std::string x = y;
    x.replace(4, 2, "r4");
    x[18] = 'x';
    ASSERT_EQ(read(x, c), LineOutcome::Complete);
    EXPECT_TRUE(c.Marker == 'X' && c.X == "1000.000" && c.Y == "500.123");
    EXPECT_TRUE(isCoordinateLine(y, kLayoutR4));
    for (char m : {'Z', 'N', ' '}) {
        x[18] = m;
        EXPECT_EQ(read(x, c), LineOutcome::NotCoordinate) << m;
        EXPECT_FALSE(isCoordinateLine(x, kLayoutR4));
    }
}

TEST(ObservationRecords, ValuesOfTheFieldsAsWritten) {
    CoordinateLine c;
    // First value: blanks inside ignored, blanks alone read as zero; a blank third stays.
    std::string a = line({{5, "R4"}, {19, "X"}, {20, " 12 34.5    "}, {-51, "2"}});
    ASSERT_EQ(read(a, c), LineOutcome::Complete);
    EXPECT_EQ(c.X, "1234.500");
    EXPECT_EQ(c.Z, std::string(12, ' '));
    a.replace(19, 12, 12, ' ');
    a.replace(59, 12, "    N/A     ");
    ASSERT_EQ(read(a, c), LineOutcome::Complete);
    EXPECT_EQ(c.X, "0.000");
    EXPECT_EQ(c.Z, "    N/A     ");  // a third value that is not a number: its whole text
    a.replace(39, 12, "    abc     ");
    EXPECT_EQ(read(a, c), LineOutcome::SecondNotNumber);
    EXPECT_EQ(read(line({{5, "R4"}, {19, "X"}, {-51, "1E+999999999"}}), c),
              LineOutcome::SecondNotNumber);
    ASSERT_EQ(read(line({{5, "R4"}, {19, "X"}, {-51, "1.5"}, {-71, "1E+999999999"}}), c),
              LineOutcome::Complete);
    EXPECT_EQ(c.Z, "1E+999999999");
    // Short lines: no marker column, an M5 line ending at column 90, no second field.
    EXPECT_EQ(read(std::string(36, 'X'), c), LineOutcome::NotCoordinate);
    ASSERT_EQ(read(line({{5, "M5"}, {50, "X"}, {-66, "1.5"}, {-89, "2.5"}}), c),
              LineOutcome::Complete);
    EXPECT_EQ(c.Z, "");
    EXPECT_EQ(read(line({{5, "R4"}, {19, "X"}}, 38), c), LineOutcome::SecondNotNumber);
}

// Code and point lose leading blanks only; every other byte passes through unchanged.
TEST(ObservationRecords, CodeAndPointAndBytesAsWritten) {
    CoordinateLine c;
    const std::string z = "\xff\x80 \x7f";
    ASSERT_EQ(read(line({{5, "R4"},
                         {11, " \xe9\t"},
                         {14, "\xc3\xa9\x1b "},
                         {19, "X"},
                         {-31, "1"},
                         {-51, "2"},
                         {60, z}}),
                   c),
              LineOutcome::Complete);
    EXPECT_EQ(c.Code, "\xe9\t");
    EXPECT_EQ(c.Point, "\xc3\xa9\x1b ");
    EXPECT_EQ(c.Z, z + std::string(8, ' '));
    // Other tables cut their own columns.
    ASSERT_EQ(read(line({{9, "   CODE"}, {25, "  P17"}, {37, "Y"}, {-49, "3.25"}, {-64, "-4"}}), c),
              LineOutcome::Complete);
    EXPECT_EQ(c.Code, "CODE" + std::string(9, ' '));
    EXPECT_EQ(c.Point, "P17" + std::string(6, ' '));
    EXPECT_TRUE(c.Y == "3.250" && c.X == "-4.000");
    // M5: the older variant ends its point number at column 40 and puts the code
    // after it (column 48 blank); the current one ends it at column 48.
    for (const auto& [point, codeField, wantPoint, wantCode] :
         {std::tuple{-40, "CONTR", "1100", std::string("CONTR   ")},
          {-48, "S", "1100", "S" + std::string(15, ' ')}}) {
        const int codeColumn = point == -40 ? 41 : 22;
        ASSERT_EQ(read(line({{5, "M5"},
                             {point, "1100"},
                             {codeColumn, codeField},
                             {50, "X"},
                             {-66, "1"},
                             {-89, "2"}}),
                       c),
                  LineOutcome::Complete);
        EXPECT_EQ(c.Point, wantPoint);
        EXPECT_EQ(c.Code, wantCode);
    }
}

TEST(ObservationRecords, CutValuesRunOnOverTheirLastDigits) {
    CoordinateLine c;
    ASSERT_EQ(
        read("For R4|KR NTR1100|X       21.259 m   |Y       59.620 m   |Z       11.256 m   |", c),
        LineOutcome::Complete);
    EXPECT_TRUE(c.X == "21.259" && c.Y == "59.620" && c.Z == "11.256") << c.X << c.Y << c.Z;
    EXPECT_TRUE(c.Code == "NTR" && c.Point == "1100");
    // Up to the line's end or the first other character; a field ending in a blank, or
    // followed by something else, stays cut.
    // clang-format off
    const std::tuple<const char*, int, int, const char*> cases[] = {
        {"ab12", 1, 3, "ab12"}, {"a1.5.6x9", 1, 2, "a1.5.6"}, {"ab.12", 1, 3, "ab.12"},
        {"ab 12", 1, 3, "ab "}, {"a1 23", 1, 2, "a1"}, {"a1m23", 1, 2, "a1"}, {"ab", 5, 3, ""},
        {"abcd", 3, 5, "cd"}};
    // clang-format on
    for (const auto& [text, column, width, field] : cases)
        EXPECT_EQ(valueField(text, column, width), field) << text;
}

TEST(ObservationLineReader, CrLfAndLoneLfEndLinesWhereverTheReadsSplitThem) {
    const std::string longLine(10000, 'q');
    // clang-format off
    const std::pair<std::string, Lines> cases[] = {
        {"", {}}, {"a", {"a"}}, {"a\r\n", {"a"}}, {"a\r", {"a"}}, {"a\n", {"a"}}, {"\r\n", {""}},
        {"a\r\nb\rc\nd", {"a", "b", "c", "d"}}, {"a\n\rb", {"a", "", "b"}},  // LF CR: two ends
        {"a\r\r\nb\r\n\r\n", {"a", "", "b", ""}}, {"\n\n", {"", ""}},
        {std::string("x\x80\xff\t\x1a\x00y\r\n", 9), {std::string("x\x80\xff\t\x1a\x00y", 7)}},
        {longLine + "\r\nz\n" + longLine, {longLine, "z", longLine}}};
    // clang-format on
    // Small reads and buffers put a CR at the end of one read and its LF in the next.
    for (const auto& [text, lines] : cases)
        for (std::size_t step : {1u, 3u, 64u * 1024})
            for (std::size_t buffer : {1u, 2u, 5u, 16u, 64u * 1024})
                EXPECT_EQ(linesOf(text, step, buffer), lines) << step << " " << buffer;
}

TEST(ObservationLineReader, ReadFailureEndsTheLines) {
    PiecewiseReader in("a\r\nb", 2, 4);
    ObservationLineReader reader(in, 2);
    std::string_view l;
    ASSERT_TRUE(reader.next(l));
    EXPECT_EQ(l, "a");
    EXPECT_TRUE(reader.next(l));  // what arrived before the failure
    EXPECT_FALSE(reader.next(l));
    EXPECT_TRUE(reader.failed());
}
