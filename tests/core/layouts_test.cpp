#include <gtest/gtest.h>

#include <string>

#include "core/layouts.h"

using namespace quorvel;

namespace {

CoordinateLine example() {
    return {'X', "1000.000", "2000.000", "100.500", "TR", "101"};
}

std::string write(int format, const CoordinateLine& c, std::int64_t number = 1) {
    std::string out;
    const auto name = appendCoordinateLine(out, format, c, number);
    EXPECT_EQ(name.value_or("<none>"), "Output Format: Autocogo " + std::to_string(format));
    return out;
}

std::string b(std::size_t n) {
    return std::string(n, ' ');
}

}  // namespace

TEST(OutputLayouts, TheThreeLayouts) {
    CoordinateLine c = example();
    const std::string values = "1000.000" + b(7) + "2000.000" + b(6) + "100.500" + b(6);
    EXPECT_EQ(write(2, c), "101" + b(4) + values + "TR\r\n");
    EXPECT_EQ(write(1, c), "1" + b(6) + values + "TR101\r\n");
    EXPECT_EQ(write(3, c), "1,1000.000,2000.000,100.500,TR,101\r\n");
    EXPECT_EQ(write(3, c, 100000), "100000,1000.000,2000.000,100.500,TR,101\r\n");
    EXPECT_EQ(write(1, c, 1234567).substr(0, 8), "12345671");
    std::string out;  // unknown layouts write nothing and name nothing
    for (int format : {0, 4, -1}) EXPECT_FALSE(appendCoordinateLine(out, format, c, 1));
    EXPECT_EQ(out, "");
    for (const char* z : {"", "   "}) {  // a blank Z writes nothing but names the layout
        c.Z = z;
        for (int format : {1, 2, 3}) EXPECT_EQ(write(format, c), "");
    }
    c.Z = " \t";  // only blanks count as blank
    EXPECT_NE(write(3, c), "");
}

TEST(OutputLayouts, CodeAndPoint) {
    CoordinateLine c = example();
    // Layout 1 drops a point "0" from its combined column, layout 2 keeps it.
    for (const auto& [point, tail] :
         {std::pair{"0", "TR\r\n"}, {"0 ", "TR0 \r\n"}, {"00", "TR00\r\n"}}) {
        c.Point = point;
        EXPECT_EQ(write(1, c).substr(49), tail);
    }
    c.Point = "0";
    EXPECT_EQ(write(2, c).substr(0, 2), "0 ");
    c.Code = "TR ";
    c.Point = "101";
    EXPECT_EQ(write(1, c).substr(49), "TR 101\r\n");
    c.Code = "a,b\t\xe9";  // the comma layout adds nothing
    c.Point = " 7 ";
    EXPECT_EQ(write(3, c), "1,1000.000,2000.000,100.500,a,b\t\xe9, 7 \r\n");
    c.Code = c.Point = "";
    EXPECT_EQ(write(3, c), "1,1000.000,2000.000,100.500,,\r\n");
}

TEST(OutputLayouts, FieldsTooLongForTheirColumnsContinueOnTheNextLine) {
    CoordinateLine c = example();
    const std::string values = "1000.000" + b(7) + "2000.000" + b(6) + "100.500" + b(6);
    c.Code = "";
    EXPECT_EQ(write(2, c), "101" + b(4) + values + "\r\n");
    c.Point = "1234567";
    EXPECT_EQ(write(2, c).substr(0, 15), "12345671000.000");
    c.Point = "12345678";
    EXPECT_EQ(write(2, c), "12345678\r\n" + b(7) + values + "\r\n");
    c.Point = "506S" + b(7);  // trailing blanks go, so X keeps its column
    EXPECT_EQ(write(2, c), "506S" + b(3) + values + "\r\n");
    EXPECT_TRUE(write(3, c).ends_with(",506S" + b(7) + "\r\n"));
    c = example();
    c.Y = "12345678901.345";  // 15 characters from column 23 take column 37
    EXPECT_EQ(write(1, c), "1" + b(6) + "1000.000" + b(7) + "12345678901.345\r\n" + b(36) +
                               "100.500" + b(6) + "TR101\r\n");
    c.Y = "1234567890.345";  // ends at column 36
    EXPECT_EQ(write(1, c),
              "1" + b(6) + "1000.000" + b(7) + "1234567890.345100.500" + b(6) + "TR101\r\n");
}
