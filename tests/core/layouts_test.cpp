#include <gtest/gtest.h>

#include <string>

#include "core/layouts.h"

using namespace quorvel;

namespace {

CoordinateLine example() {
    CoordinateLine c;
    c.X = "1000.000";
    c.Y = "2000.000";
    c.Z = "100.500";
    c.Code = "TR";
    c.Point = "101";
    return c;
}

std::string write(int format, const CoordinateLine& c, std::int64_t number = 1) {
    std::string out;
    const auto name = appendCoordinateLine(out, format, c, number);
    EXPECT_TRUE(name);
    if (name) {
        EXPECT_EQ(*name, "Output Format: Autocogo " + std::to_string(format));
    }
    return out;
}

std::string blanks(std::size_t n) {
    return std::string(n, ' ');
}

}  // namespace

TEST(OutputLayouts, TheThreeLayouts) {
    const CoordinateLine c = example();
    EXPECT_EQ(write(2, c), "101" + blanks(4) + "1000.000" + blanks(7) + "2000.000" + blanks(6) +
                               "100.500" + blanks(6) + "TR\r\n");
    EXPECT_EQ(write(1, c), "1" + blanks(6) + "1000.000" + blanks(7) + "2000.000" + blanks(6) +
                               "100.500" + blanks(6) + "TR101\r\n");
    EXPECT_EQ(write(3, c), "1,1000.000,2000.000,100.500,TR,101\r\n");
    EXPECT_EQ(write(3, c, 100000), "100000,1000.000,2000.000,100.500,TR,101\r\n");
    EXPECT_EQ(write(1, c, 1234567).substr(0, 8), "1234567" + std::string("1"));
}

TEST(OutputLayouts, UnknownLayoutWritesNothing) {
    std::string out;
    for (int format : {0, 4, -1}) EXPECT_FALSE(appendCoordinateLine(out, format, example(), 1));
    EXPECT_EQ(out, "");
}

TEST(OutputLayouts, BlankZWritesNothingButNamesTheLayout) {
    CoordinateLine c = example();
    for (const char* z : {"", "   "}) {
        c.Z = z;
        for (int format : {1, 2, 3}) EXPECT_EQ(write(format, c), "");
    }
    c.Z = " \t";  // only blanks count as blank
    EXPECT_NE(write(3, c), "");
}

TEST(OutputLayouts, CombinedCodeAndPointOfLayoutOne) {
    CoordinateLine c = example();
    c.Point = "0";
    EXPECT_EQ(write(1, c).substr(49), "TR\r\n");
    EXPECT_EQ(write(2, c).substr(0, 1), "0");  // only layout 1 drops it
    c.Point = "0 ";
    EXPECT_EQ(write(1, c).substr(49), "TR0 \r\n");
    c.Point = "00";
    EXPECT_EQ(write(1, c).substr(49), "TR00\r\n");
    c.Code = "TR ";
    c.Point = "101";
    EXPECT_EQ(write(1, c).substr(49), "TR 101\r\n");
}

TEST(OutputLayouts, FieldsTooLongForTheirColumnsContinueOnTheNextLine) {
    CoordinateLine c = example();
    c.Code = "";
    EXPECT_EQ(write(2, c), "101" + blanks(4) + "1000.000" + blanks(7) + "2000.000" + blanks(6) +
                               "100.500" + blanks(6) + "\r\n");
    c.Point = "1234567";
    EXPECT_EQ(write(2, c).substr(0, 15), "12345671000.000");
    c.Point = "12345678";
    EXPECT_EQ(write(2, c), "12345678\r\n" + blanks(7) + "1000.000" + blanks(7) + "2000.000" +
                               blanks(6) + "100.500" + blanks(6) + "\r\n");
    c = example();
    c.Y = "12345678901.345";  // 15 characters from column 23 take column 37
    EXPECT_EQ(write(1, c), "1" + blanks(6) + "1000.000" + blanks(7) + "12345678901.345\r\n" +
                               blanks(36) + "100.500" + blanks(6) + "TR101\r\n");
    c.Y = "1234567890.345";  // ends at column 36
    EXPECT_EQ(write(1, c), "1" + blanks(6) + "1000.000" + blanks(7) + "1234567890.345" + "100.500" +
                               blanks(6) + "TR101\r\n");
}

TEST(OutputLayouts, CommaLayoutAddsNothing) {
    CoordinateLine c = example();
    c.Code = "";
    c.Point = "";
    EXPECT_EQ(write(3, c), "1,1000.000,2000.000,100.500,,\r\n");
    c.Code = "a,b\t\xe9";
    c.Point = " 7 ";
    EXPECT_EQ(write(3, c), "1,1000.000,2000.000,100.500,a,b\t\xe9, 7 \r\n");
}
