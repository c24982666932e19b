// SPDX-License-Identifier: GPL-3.0-or-later
// Points to send: read from CSV with a header or as Convert reads a file, what is left out
// and why, the SDR33 text the instrument takes, and that text downloaded again.
#include <gtest/gtest.h>

#include "convert_text.h"
#include "core/capture.h"
#include "core/send.h"
#include "temp_dir.h"

using namespace quorvel;

namespace {

// The points of `text` as "id x y z code" lines, then the notes.
std::string sent(const std::string& text, Axes axes = Axes::XNorthYEast) {
    MemoryReader in(text);
    SendList list;
    EXPECT_TRUE(readSendPoints(in, axes, list));
    std::string out = list.csv ? "csv|" : "";
    for (const SendPoint& p : list.points)
        out += p.id + " " + p.x + " " + p.y + " " + p.z + " " + p.code + "|";
    for (const std::string& note : sendNotes(list)) out += note + "|";
    if (!list.tooLong.empty()) out += "too long: " + list.tooLong;
    return out;
}

const std::tm kWhen = [] {
    std::tm t{};
    t.tm_year = 126, t.tm_mon = 11, t.tm_mday = 7, t.tm_hour = 9, t.tm_min = 5;
    return t;
}();

}  // namespace

// CSV by its header's names, in any order, split by commas or semicolons, quotes undone;
// east and north become X and Y by the axes; values as every value is written; what is not
// sent is named with its reason, and long codes are cut.
TEST(SendPoints, FromCsvOrAsConvertReadsThem) {
    const std::string r4 =
        "    R4    TR 101  X       21.259              59.620              11.256";
    // clang-format off
    const std::pair<std::string, std::string> cases[] = {
        {"Point,X,Y,Z,Code\r\n1,1000.0005,2000,50.2,\"PEG, OLD\"\r\n2,1,2,3,\r\n",
         "csv|1 1000.001 2000.000 50.200 PEG, OLD|2 1.000 2.000 3.000 |"},
        {"code;Easting;ELEVATION;Northing;Pt\n K ;5;3;4;7\n", "csv|7 4.000 5.000 3.000 K|"},
        {"\xEF\xBB\xBF" "name,e,n,h\n9,10,20,30\n\n", "csv|9 20.000 10.000 30.000 |"},
        {"Point,X,Y,Z,Code\n1,a,2,3,\n2,1,2,,\n3,1,2,x,\n,1,2,3,\n" + std::string(17, 'L') +
         ",1,2,3,\n5,1,2,3," + std::string(20, 'C') + "\n",
         "csv|5 1.000 2.000 3.000 CCCCCCCCCCCCCCCC|Not sent:  5: 1 point without Z: 2; 1 point with "
         "a northing or easting that is not a number: 1; 1 point with a Z that is not a number: 3; "
         "1 point with an id longer than 16 characters: LLLLLLLLLLLLLLLLL; 1 point without a point "
         "id: line 5|Codes cut to 16 characters:  1: 1 point with a longer code: 5|"},
        {"Point,X,Y,Z\n1,12345678901234.5,2,3\n", "csv|1 12345678901234.500 2.000 3.000 |too long: 1"},
        // Not CSV: as Convert reads it, with its reasons.
        {r4 + "\r\n" + "    R4    TR 102  X       21.259              59.620\r\n",
         "101 21.259 59.620 11.256 TR|Not sent:  1: 1 point without Z: 102|"},
        {"Point,Code\n1,A\n", ""},
        {"X,Y,Z\n1,2,3\n", ""},
        // A control character would end or hold the transfer: a blank; a cut keeps whole
        // characters.
        {"Point,X,Y,Z,Code\n1,1,2,3,\x13" "ÄÄÄÄÄÄÄÄ\n",
         "csv|1 1.000 2.000 3.000  ÄÄÄÄÄÄÄ|Codes cut to 16 characters:  1: 1 point with a longer "
         "code: 1|"}};
    // clang-format on
    for (const auto& [text, expected] : cases) EXPECT_EQ(sent(text), expected) << text;
    EXPECT_EQ(sent("E,N,Z,Point\n1,2,3,P\n", Axes::XEastYNorth), "csv|P 1.000 2.000 3.000 |");
    EXPECT_EQ(jobNameFor("/d/x.y/TRAVERSE1.sdr") + "|" + jobNameFor("C:\\jobs\\A") + "|" +
                  jobNameFor(std::string(20, 'J') + ".csv") + "|" + jobNameFor("/j/A\nB.csv"),
              "TRAVERSE1|A|" + std::string(16, 'J') + "|A B");
}

// The text the instrument takes, column by column; downloaded and converted again it gives
// the same points, digit for digit, by either axes.
TEST(SendPoints, TheRecordsAndTheirWayBack) {
    const std::string csv = "Point,X,Y,Z,Code\n101,1000.5,2000.25,50.125,FENCE\nSTN1,-1,2,-0.5,\n";
    MemoryReader in(csv);
    SendList list;
    ASSERT_TRUE(readSendPoints(in, Axes::XNorthYEast, list));
    const std::string b16(16, ' ');
    EXPECT_EQ(
        framedText(sdrRecords(list, "ROAD-A12", Axes::XNorthYEast, kWhen)),
        "\x02"
        "00NMSDR33               07-Dec-26 09:05 111111\r\n"
        "10NMROAD-A12        121111\r\n"
        "08KI             1011000.500        2000.250        50.125          FENCE           \r\n"
        "08KI            STN1-1.000          2.000           -0.500          " +
            b16 +
            "\r\n"
            "\x03");
    EXPECT_EQ(sdrRecords(list, "J", Axes::XEastYNorth, kWhen)[0].substr(40), "111121");
    for (const Axes axes : {Axes::XNorthYEast, Axes::XEastYNorth}) {
        MemoryReader source(csv);
        ASSERT_TRUE(readSendPoints(source, axes, list));
        // As the instrument would send it back: the raw data file of a download.
        const std::string text = framedText(sdrRecords(list, "ROAD-A12", axes, kWhen));
        MemoryReader capture(text);
        std::string raw;
        StringWriter rawOut(raw);
        ASSERT_TRUE(copyRawData(capture, rawOut, [](std::uint64_t) {}).ok());
        EXPECT_EQ(convert(raw, {.outputFormat = OutputFormat::Csv, .axes = axes}),
                  "Point,X,Y,Z,Code\r\n101,1000.500,2000.250,50.125,FENCE\r\nSTN1,-1.000,2.000,"
                  "-0.500,\r\n");
    }
}
