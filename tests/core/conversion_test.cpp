// SPDX-License-Identifier: GPL-3.0-or-later
// The conversion pass: its counts and closing message, long lines, SDR records by their header.
#include <gtest/gtest.h>

#include "convert_text.h"
#include "core/conversion.h"
#include "records.h"
#include "temp_dir.h"

using namespace quorvel;
using enum quorvel::OutputFormat;

// Lines not written are named, five a reason (by place without a point); numbers are used up.
// A last line without a line end that stops short of its record's end is cut off.
TEST(ConversionPass, CountsAndTheClosingMessage) {
    const std::string nothing = "Nothing was written to out.dat!|Lines read:  ";
    const std::string done = "Conversion was Finshed Successfully!|Lines read:  ";
    const std::string second = " point with a second value that is not a number: ";
    std::string six;
    for (int i = 1; i <= 6; ++i) six += r4(std::to_string(i), "1", "2", "") + "\n";
    const std::string r5 =
        "For R5|Adr 0008|KR NTR1100|X       21.259 m   |Y       59.620 m   |Z"
        "       11.256 m   |";
    const std::string rec =
        "   0008                 509 0863    X       78.045 Y       -91.269 Z"
        "   156.234 ";
    // clang-format off
    const std::tuple<std::string, OutputFormat, std::string, std::string> cases[] = {
        {r4("7", "1", "x", "3") + "\n" + r4("", "1", "2", "") + "\n" + r4("9", "1", "2", "3"), Autocogo3,
         "3,1.000,2.000,3.000,TR ,9   \r\n", done + "3|Coordinates Lines:  3|Output Format: "
         "Autocogo 3|Not written:  2: 1 point without Z: line 2; 1" + second + "7"},
        {six + r4("7", "1", "x", "3"), Autocogo1, "", nothing + "7|Coordinates Lines:  7|Output Format: "
         "Autocogo 1|Not written:  7: 6 points without Z: 1, 2, 3, 4, 5, ...; 1" + second + "7"},
        {r4("1", "1", "abc", "3"), Autocogo2, "", nothing + "1|Coordinates Lines:  1||Not written:  1: 1" +
         second + "1"},
        {r4("1", "1", "2", "3"), static_cast<OutputFormat>(7), "", nothing + "1|Coordinates Lines:  1|"},  // no such format
        // Cut off: Z 11 of 11.256 (R5), a value short of its bar (M5) or of its field (other
        // records, which may end a column short of it, after a blank). Only the last line counts.
        {r5 + "\n" + r5.substr(0, 77), Autocogo3, "1,21.259,59.620,11.256,NTR,1100\r\n", done + "2|"
         "Coordinates Lines:  2|Output Format: Autocogo 3|Not written:  1: 1 point cut off: 1100"},
        {"For M5|Adr 00010|PI1                           2|Y          -2.239 m   |X           "
         "6.156 m   |Z          -0.034 m  ", Autocogo3, "", nothing + "1|Coordinates Lines:  1||Not "
         "written:  1: 1 point cut off: 2"},
        {rec.substr(0, 76) + "\r\n" + rec, Autocogo3, "1,78.045,-91.269,156.200,,509 0863   \r\n2,78.045,"
         "-91.269,156.234,,509 0863   \r\n", done + "2|Coordinates Lines:  2|Output Format: Autocogo 3"},
        {rec.substr(0, 78), Autocogo3, "", nothing + "1|Coordinates Lines:  1||Not written:  1: 1 point "
         "cut off: 509 0863"},
        // CSV quotes a field with a comma, a quote or a leading blank, and leaves out the
        // trailing blanks of names and codes; DXF and LandXML need a Z that is a number.
        {line({{5, "R4"}, {11, "a\""}, {14, "1,2"}, {19, "X"}, {-31, "1"}, {-51, "2"}, {-71, "3"}},
              72) + "\n" + r4("", "1", "2", ""), Csv,
         "Point,X,Y,Z,Code\r\n\"1,2\",1.000,2.000,3.000,\"a\"\"\"\r\n", done + "2|Coordinates "
         "Lines:  2|Output Format: CSV|Not written:  1: 1 point without Z: line 2"},
        {r4("5", "1", "2", "nan"), LandXml, "", nothing + "1|Coordinates Lines:  1|Output "
         "Format: LandXML|Not written:  1: 1 point with a Z that is not a number: 5"},
        {r4("5", "1", "2", "1e999"), Dxf, "", nothing + "1|Coordinates Lines:  1|Output "
         "Format: DXF|Not written:  1: 1 point with a Z that is not a number: 5"}};
    // clang-format on
    for (const auto& [text, format, out, message] : cases) {
        std::string got;
        EXPECT_EQ(convert(text, {.outputFormat = format}, &got), out) << text;
        EXPECT_EQ(got, message) << text;
    }
    EXPECT_EQ(closingMessageParts({}).back(), "");  // no SDR records, nothing said of them
}

// Only a long line's start is kept, and a value running on past it: the result is the same.
TEST(ConversionPass, LongLinesConvertAsIfHeldWhole) {
    const std::string digits(300000, '7'), runOn = r4("1", "1", "2", "3").substr(0, 71);
    const std::string cases[] = {
        digits,                                           // no record at all
        r4("2", "1", "2", "3") + " " + digits,            // a coordinate line, then more
        runOn + digits,                                   // the third value runs on: a number
        runOn + digits + ".5.5",                          // ... not a number: its text
        r4("3", "1", "2", "3").substr(0, 31) + digits,    // the first runs on, through all three
        std::string(200, ' ') + "\r" + digits + "\r\n"};  // line ends where it is skipped
    // Each before a line, and last without a line end (no long line is cut off mid-record).
    for (const std::string& text : cases) {
        for (const std::string& both :
             {text + "\n" + r4("4", "5", "6", "7") + "\n", r4("4", "5", "6", "7") + "\n" + text}) {
            std::string whole, message[2];
            EXPECT_EQ(convert(both, {.outputFormat = Autocogo3, .lineLimit = 128}, &message[0]),
                      whole = convert(both, {.outputFormat = Autocogo3, .lineLimit = SIZE_MAX},
                                      &message[1]));
            EXPECT_EQ(message[0], message[1]);
            EXPECT_NE(whole.find(",5.000,6.000,7.000,TR ,4   \r\n"), std::string::npos);
        }
    }
}

// SDR files (written for these tests): the header decides the widths (SDR33 16 and 16, SDR2x
// 4 and 10), whether northing or easting comes first and the angle unit; X and Y follow the
// axis setting. Observations become points from their station; traverse-sdr33.sdr's three
// (a face pair among them) were computed by hand. A last line without a line end is cut off
// short of its last value's end, not of its code's.
TEST(ConversionPass, SdrRecordsByTheirHeader) {
    const std::string sdr33 = slurp(QUORVEL_TEST_DATA "/bridge01-sdr33.sdr");
    const std::string sdr20 = slurp(QUORVEL_TEST_DATA "/road-sdr20.sdr");
    const std::size_t header = sdr33.find("00NM"), third = sdr20.find("08KI   3");
    const std::string traverse = slurp(QUORVEL_TEST_DATA "/traverse-sdr33.sdr");
    const std::string road = "1,2000.000,5000.000,100.000,CP" + b(14) +
                             ",1\r\n2,2003.872,5024.447,104.973,EDGE" + b(12) +
                             ",4\r\n3,2004.341,5024.620,99.572,EDGE" + b(12) + ",2\r\n";
    // clang-format off
    const struct { std::string text; Axes axes; std::string out, last; } cases[] = {
        {sdr33, Axes::XEastYNorth,
         "1,2000.000,5000.000,100.000,TRIG" + b(12) + ",1000\r\n2,2008.020,5009.189,101.808,PEG" +
         b(13) + ",1003\r\n3,2008.729,5008.733,99.861,PEG " + b(12) + ",1001\r\n4,-4.347,-6.794,"
         "0.432,TREE" + b(12) + ",101\r\n6,2010.250,5020.001,101.000,FENCE" + b(11) + ",FENCE7\r\n",
         "Not written:  1: 1 point without Z: 102"},
        {sdr33.substr(0, sdr33.find("09F1")), Axes::XNorthYEast,
         "1,5000.000,2000.000,100.000,TRIG" + b(12) + ",1000\r\n", "Output Format: Autocogo 3"},
        {sdr20, Axes::XEastYNorth, road + "4,2010.100,5030.000,-0.001,EDGE" + b(12) + ",3\r\n",
         "Reduced from observations: 1"},
        {sdr20.substr(0, third + 33), Axes::XEastYNorth, road, "Not written:  1: 1 point cut off: 3"},
        {sdr20.substr(0, third + 40), Axes::XEastYNorth, road + "4,2010.100,5030.000,-0.001,ED,3\r\n",
         "Reduced from observations: 1"},
        {traverse, Axes::XNorthYEast,
         "1,1000.000,2000.000,50.000,STN" + b(13) + ",STN1\r\n2,1000.000,2100.000,50.200,FENCE" +
         b(11) + ",101\r\n3,1043.301,2000.000,75.200,TREE" + b(12) + ",102\r\n4,944.291,1944.291,"
         "36.308,GATE" + b(12) + ",103\r\n", "Not written:  1: 1 point with angles only: BS1"},
        // An observation cut off in its circle reading.
        {traverse.substr(0, traverse.rfind("15.0000")), Axes::XNorthYEast,
         "1,1000.000,2000.000,50.000,STN" + b(13) + ",STN1\r\n2,1000.000,2100.000,50.200,FENCE" +
         b(11) + ",101\r\n3,1043.301,2000.000,75.200,TREE" + b(12) + ",102\r\n4,944.291,1944.291,"
         "36.308,GATE" + b(12) + ",103\r\n", "Not written:  1: 1 point cut off: BS1"},
        // Without a header the widths are not known: 16 and 16, and the message says so. Any
        // capital or digit derives a record.
        {"10NMJOB             121111\r\n08KA" + b(13) + "101-6.794" + b(10) + "-4.347" + b(10) +
         "0.432\r\n", Axes::XEastYNorth, "1,-4.347,-6.794,0.432,,101\r\n",
         "SDR field widths not stated in the file: read as 16 characters"},
        // Lines that are no SDR record keep their own rules, before the header and after it.
        {r4("9", "1", "2", "3") + "\r\n" + sdr33.substr(header, sdr33.find("10NM") - header) +
         r4("8", "1", "2", "3") + "\r\n08ki   1\r\n08KI" + b(15) + "xnorth" + b(10) + "2" +
         b(15) + "3\r\n", Axes::XEastYNorth, "1,1.000,2.000,3.000,TR ,9   \r\n2,1.000,2.000,3.000,"
         "TR ,8   \r\n", "Not written:  1: 1 point with a northing or easting that is not a number: x"}};
    // clang-format on
    for (const auto& c : cases) {
        std::string message;
        EXPECT_EQ(convert(c.text, {.outputFormat = Autocogo3, .axes = c.axes}, &message), c.out);
        EXPECT_TRUE(message.ends_with("|" + c.last)) << message;
    }
}
