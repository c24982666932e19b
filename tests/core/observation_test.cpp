#include <gtest/gtest.h>

#include <string>

#include "core/observation.h"

using namespace quorvel;

namespace {

// A line of `length` blanks with `text` placed from column `column` (from 1).
struct Line {
    std::string s;
    explicit Line(std::size_t length = 90) : s(length, ' ') {}
    Line& at(std::size_t column, std::string_view text) {
        if (s.size() < column - 1 + text.size()) s.resize(column - 1 + text.size(), ' ');
        s.replace(column - 1, text.size(), text);
        return *this;
    }
    // `text` right-aligned so that it ends at column `last`.
    Line& endingAt(std::size_t last, std::string_view text) {
        return at(last + 1 - text.size(), text);
    }
};

LineOutcome read(const std::string& line, CoordinateLine& c) {
    return readCoordinateLine(line, classify(line), c);
}

}  // namespace

TEST(ObservationRecords, RecordTypePicksTheTable) {
    EXPECT_EQ(&classify("For R4|"), &kLayoutR4);
    EXPECT_EQ(&classify("For r4|"), &kLayoutR4);
    EXPECT_EQ(&classify("For R5"), &kLayoutR5);
    EXPECT_EQ(&classify("xxxxm5"), &kLayoutM5);
    EXPECT_EQ(&classify("For R6"), &kLayoutOther);
    EXPECT_EQ(&classify("For R"), &kLayoutOther);
    EXPECT_EQ(&classify(""), &kLayoutOther);
}

TEST(ObservationRecords, MarkerOrdersTheValues) {
    Line y;
    y.at(5, "R4")
        .at(19, "Y")
        .endingAt(31, "1000.00000")
        .endingAt(51, "500.12345")
        .endingAt(71, "7");
    CoordinateLine c;
    ASSERT_EQ(read(y.s, c), LineOutcome::Complete);
    EXPECT_EQ(c.Marker, 'Y');
    EXPECT_EQ(c.Y, "1000.000");
    EXPECT_EQ(c.X, "500.123");
    EXPECT_EQ(c.Z, "7.000");

    Line x = y;
    x.at(19, "x").at(5, "r4");
    ASSERT_EQ(read(x.s, c), LineOutcome::Complete);
    EXPECT_EQ(c.Marker, 'X');
    EXPECT_EQ(c.X, "1000.000");
    EXPECT_EQ(c.Y, "500.123");

    for (const char* m : {"Z", "N", " "}) {
        Line other = y;
        other.at(19, m);
        EXPECT_EQ(read(other.s, c), LineOutcome::NotCoordinate) << m;
        EXPECT_FALSE(isCoordinateLine(other.s, kLayoutR4));
    }
    EXPECT_TRUE(isCoordinateLine(y.s, kLayoutR4));
}

TEST(ObservationRecords, ValuesOfTheFieldsAsWritten) {
    CoordinateLine c;
    // First value: blanks inside ignored, blanks alone read as zero.
    Line a;
    a.at(5, "R4").at(19, "X").at(20, " 12 34.5    ").endingAt(51, "2");
    ASSERT_EQ(read(a.s, c), LineOutcome::Complete);
    EXPECT_EQ(c.X, "1234.500");
    EXPECT_EQ(c.Z, std::string(12, ' '));  // a blank third value stays blank
    a.at(20, std::string(12, ' ')).at(60, "    N/A     ");
    ASSERT_EQ(read(a.s, c), LineOutcome::Complete);
    EXPECT_EQ(c.X, "0.000");
    EXPECT_EQ(c.Z, "    N/A     ");  // the whole field, blanks included

    // Second value that is not a number: a coordinate line without a coordinate.
    a.at(40, "    abc     ");
    EXPECT_EQ(read(a.s, c), LineOutcome::SecondNotNumber);
    Line huge;
    huge.at(5, "R4").at(19, "X").endingAt(51, "1E+999999999");
    EXPECT_EQ(read(huge.s, c), LineOutcome::SecondNotNumber);
    huge.endingAt(51, "         1.5").endingAt(71, "1E+999999999");
    ASSERT_EQ(read(huge.s, c), LineOutcome::Complete);
    EXPECT_EQ(c.Z, "1E+999999999");  // a third value that is not a number passes as text
}

TEST(ObservationRecords, ShortLinesAndCutFields) {
    CoordinateLine c;
    // Shorter than the marker column of the "any other" table.
    EXPECT_EQ(read(std::string(36, 'X'), c), LineOutcome::NotCoordinate);
    // An M5 line ending at column 90 has an empty third value.
    Line m5(90);
    m5.at(5, "M5").at(50, "X").endingAt(66, "1.5").endingAt(89, "2.5");
    ASSERT_EQ(read(m5.s, c), LineOutcome::Complete);
    EXPECT_EQ(c.Z, "");
    // A second value field beyond the line's end is empty: not a number.
    EXPECT_EQ(read(Line(38).at(5, "R4").at(19, "X").s, c), LineOutcome::SecondNotNumber);
}

TEST(ObservationRecords, CodeAndPointLoseLeadingBlanksOnly) {
    Line l;
    l.at(5, "R4").at(11, " T ").at(14, "  0 ").at(19, "X").endingAt(31, "1").endingAt(51, "2");
    CoordinateLine c;
    ASSERT_EQ(read(l.s, c), LineOutcome::Complete);
    EXPECT_EQ(c.Code, "T ");
    EXPECT_EQ(c.Point, "0 ");
    // Other tables cut their own columns.
    Line o;
    o.at(9, "   CODE").at(25, "  P17").at(37, "Y").endingAt(49, "3.25").endingAt(64, "-4");
    ASSERT_EQ(read(o.s, c), LineOutcome::Complete);
    EXPECT_EQ(c.Code, "CODE" + std::string(9, ' '));
    EXPECT_EQ(c.Point, "P17" + std::string(6, ' '));
    EXPECT_EQ(c.Y, "3.250");
    EXPECT_EQ(c.X, "-4.000");
}

TEST(ObservationRecords, CutValuesRunOnOverTheirLastDigits) {
    CoordinateLine c;
    const std::string r4 =
        "For R4|KR NTR1100|X       21.259 m   |Y       59.620 m   |Z       11.256 m   |";
    ASSERT_EQ(read(r4, c), LineOutcome::Complete);
    EXPECT_EQ(c.X, "21.259");
    EXPECT_EQ(c.Y, "59.620");
    EXPECT_EQ(c.Z, "11.256");
    EXPECT_EQ(c.Code, "NTR");
    EXPECT_EQ(c.Point, "1100");

    EXPECT_EQ(valueField("ab12", 1, 3), "ab12");        // up to the line's end
    EXPECT_EQ(valueField("a1.5.6x9", 1, 2), "a1.5.6");  // up to the first other character
    EXPECT_EQ(valueField("ab.12", 1, 3), "ab.12");
    EXPECT_EQ(valueField("ab 12", 1, 3), "ab ");  // a field ending in a blank stays cut
    EXPECT_EQ(valueField("a1 23", 1, 2), "a1");   // nothing to run on over
    EXPECT_EQ(valueField("a1m23", 1, 2), "a1");
    EXPECT_EQ(valueField("ab", 5, 3), "");
    EXPECT_EQ(valueField("abcd", 3, 5), "cd");
}

TEST(ObservationRecords, OtherBytesPassThroughUnchanged) {
    Line l;
    std::string code = "\xe9\t\x01";
    std::string z = "\xff\x80 \x7f";
    l.at(5, "R4").at(11, code).at(14, "\xc3\xa9\x1b").at(19, "X").endingAt(31, "1");
    l.endingAt(51, "2").at(60, z);
    CoordinateLine c;
    ASSERT_EQ(read(l.s, c), LineOutcome::Complete);
    EXPECT_EQ(c.Code, code);
    EXPECT_EQ(c.Point, "\xc3\xa9\x1b ");
    EXPECT_EQ(c.Z, z + std::string(12 - z.size(), ' '));
}
