// SPDX-License-Identifier: GPL-3.0-or-later
// The conversion and its parts: numbers, records, layouts, the pass, the job, the samples.
#include <dl_creationadapter.h>
#include <dl_dxf.h>
#include <grp.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <tinyxml2.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <map>
#include <sstream>

#include "convert_text.h"
#include "core/conversion.h"
#include "core/fileio.h"
#include "core/formats.h"
#include "core/incoming.h"
#include "core/layouts.h"
#include "core/numbers.h"
#include "core/observation_reader.h"
#include "core/output_name.h"
#include "core/points.h"
#include "core/reduction.h"
#include "piecewise_io.h"
#include "temp_dir.h"

using namespace quorvel;
using enum quorvel::OutputFormat;
namespace fs = std::filesystem;
using Kind = ConversionFailure::Kind;

namespace {

const auto b = [](std::size_t n) { return std::string(n, ' '); };

// `n` blanks, each text placed from its column (from 1), or ending there when it is negative.
std::string line(std::initializer_list<std::pair<int, std::string_view>> at, std::size_t n = 90) {
    std::string s(n, ' ');
    for (const auto& [column, text] : at) {
        const std::size_t from = column > 0 ? column - 1 : -column - text.size();
        s.replace(from, text.size(), text);
    }
    return s;
}

// An R4 record, its third value's field closed by '|' as the instruments write it.
std::string r4(std::string_view point, std::string_view x, std::string_view y, std::string_view z) {
    return line(
        {{5, "R4"}, {11, "TR"}, {14, point}, {19, "X"}, {-31, x}, {-51, y}, {-71, z}, {78, "|"}},
        78);
}

// What a line reads as: marker, X, Y, Z, code and point, or why it has no coordinate.
std::string fields(std::string_view l) {
    CoordinateLine c;
    const LineOutcome r = readCoordinateLine(l, classify(l), c);
    if (r != LineOutcome::Complete) return r == LineOutcome::NotCoordinate ? "none" : "2nd?";
    return c.Marker + ("|" + c.X + "|" + c.Y + "|" + c.Z + "|" + c.Code + "|" + c.Point);
}

bool failed(const ConversionOutcome& r, Kind kind, std::string_view path, std::string_view reason) {
    return r.failure && r.failure->kind == kind && r.failure->path == path &&
           r.failure->reason == reason;
}

}  // namespace

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

// In the file name, a dot and three characters (UTF-8, a stray byte counting as one) give way
// to .dat (.out for .dat); other extensions are replaced, none is added. Folders never count.
TEST(OutputName, AnExtensionOfThreeGivesWayToDatOrOutOthersAreReplacedOrAdded) {
    // clang-format off
    const std::pair<std::string, std::string> cases[] = {
        {"/job/A1.tmp", "/job/A1.dat"}, {"/job/A1.dat", "/job/A1.out"},
        {"/job/A1.DAT", "/job/A1.dat"}, {".dat", ".out"}, {"", ""}, {"/data/", ""}, {"A", "A.dat"},
        {"/data/JOB", "/data/JOB.dat"}, {"job.survey", "job.dat"}, {"/d.x/JOB", "/d.x/JOB.dat"},
        {"a.b", "a.dat"}, {"x.d.t", "x.dat"}, {"/Ü/x.däs", "/Ü/x.dat"}, {"x.é.t", "x.dat"},
        {"x.€.t", "x.dat"}, {"x.\xf0\x9f\x98\x80.t", "x.dat"}, {"x.\377.t", "x.dat"},
        {"x.\xc3.t", "x.dat"}, {"x.\xe2\x82.t", "x.\xe2\x82.dat"}, {"abcde.f.h", "abcde.dat"}, {"Süd", "Süd.dat"}};
    // clang-format on
    for (const auto& [name, out] : cases) EXPECT_EQ(outputNameFor(name), out) << name;
    // CSV, DXF and LandXML: the extension, if any, gives way.
    EXPECT_EQ(outputNameFor("/j.b/A1.dat", Csv) + outputNameFor("/j.b/A1", Dxf) +
                  outputNameFor(".sdr", LandXml) + outputNameFor("/d/", Csv) +
                  outputNameFor("y.sdr", static_cast<OutputFormat>(7)),
              "/j.b/A1.csv/j.b/A1.dxf.xmly.dat");
}

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

// The warnings of a file (joined by '|'), then each coordinate line's warning bits, then the
// unit of its coordinates; the lines a check names are those the conversion writes or leaves out.
TEST(PointChecks, WarningsAndTheLinesTheyName) {
    std::string near, zeros;  // five points within a metre of 10/10; six at 0/0
    for (int i = 1; i <= 5; ++i)
        near += r4("P" + std::to_string(i), "10." + std::to_string(i), "10", "1") + "\n";
    for (int i = 1; i <= 6; ++i) zeros += r4("Z" + std::to_string(i), "0", "0", "1") + "\n";
    // An SDR33 header stating the distance unit `u` (1 metres, 2 feet), and a point.
    const auto sdr = [](char u) {
        return "00NMSDR33 V04-04.02 000006-Dec-26 09:12 2" + std::string(1, u) +
               "1111\r\n08KI1001" + b(12) + "5000.000" + b(8) + "2000.000" + b(8) + "100.000\r\n";
    };
    // clang-format off
    const std::tuple<std::string, Axes, std::string> cases[] = {
        {near + r4("P1", "10.14", "10.01", "9"), Axes::XEastYNorth, "/000000/"},  // measured again
        {near + r4("P1", "12", "10", "1") + "\n" + r4("0", "0", "0", "0") + "\n" + r4("P2", "0", "0", ""),
         Axes::XEastYNorth, "Point numbers used at two or more positions: 1 (P1)|Points at 0/0/0 or "
         "with X and Y both 0: 2 (0, P2)|Not written:  1: 1 point without Z: P2/100001210/"},
        {near + r4("F", "10", "300", "1") + "\n" + r4("G", "10", "x", "1"), Axes::XNorthYEast,
         "Points far from the rest of the job: 1 (F)|Not written:  1: 1 point with a second value "
         "that is not a number: G/0000048/"},
        // A station at 0/0 among its points (a local grid) is no placeholder, nor with two.
        {near.substr(0, 79) + r4("A", "-8", "3", "1") + "\n" + r4("B", "2", "-9", "1") + "\n" +
         r4("C", "-4", "-6", "1") + "\n" + r4("D", "7", "-2", "1") + "\n" + r4("S", "0", "0", "0"),
         Axes::XNorthYEast, "/000000/"},
        {near.substr(0, 79) + r4("P9", "900", "900", "1") + "\n" + r4("S", "0", "0", "0"),
         Axes::XNorthYEast, "/000/"},
        {near + zeros, Axes::XEastYNorth, "Points at 0/0/0 or with X and Y both 0: 6 (Z1, Z2, Z3, "
         "Z4, Z5, ...)/00000222222/"},
        {"R4 no coordinates\n", Axes::XEastYNorth, "The file holds no coordinate lines//"},
        // The unit a header states, after a download's STX too; none where two disagree or
        // the header's digit means no unit known.
        {sdr('1'), Axes::XEastYNorth, "/0/m"}, {"\x02" + sdr('2'), Axes::XEastYNorth, "/0/ft"},
        {sdr('1') + sdr('2'), Axes::XEastYNorth, "/00/"}, {sdr('7'), Axes::XEastYNorth, "/0/"}};
    // clang-format on
    for (const auto& [text, axes, expected] : cases) {
        PointList list;
        MemoryReader in(text);
        ASSERT_EQ(readPoints(in, {.outputFormat = Autocogo1, .axes = axes}, list), PassResult::Ok);
        std::string got;
        for (const WarningSummary& w : list.warnings) got += (got.empty() ? "" : "|") + w.text;
        got += "/";
        for (const PointRow& row : list.rows) got += std::to_string(row.warnings);
        EXPECT_EQ(got + "/" + list.counts.distanceUnit, expected) << text;
        if (list.rows.empty() || !list.rows[0].placed || text.find("00NM") != text.npos) continue;
        const bool xEast = axes == Axes::XEastYNorth;
        EXPECT_TRUE(list.rows[0].east == (xEast ? 10.1 : 10) &&
                    list.rows[0].north == (xEast ? 10 : 10.1))
            << text;
        EXPECT_EQ(list.rows[0].line, 1);
    }
    // The scale bar: 1, 2 or 5 times a power of ten, at most the room given.
    EXPECT_EQ((std::vector{scaleBarLength(0), scaleBarLength(7), scaleBarLength(250),
                           scaleBarLength(0.03)}),
              (std::vector{0.0, 5.0, 200.0, 0.02}));
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
        // Without a header the widths are not known: 16 and 16, and the message says so.
        {"10NMJOB             121111\r\n08KI" + b(13) + "101-6.794" + b(10) + "-4.347" + b(10) +
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

class ConversionJob : public ::testing::Test {
protected:
    TempDir dir;
    std::string obs = dir / "job.sdr";
    std::string text = r4("11", "1", "2", "3") + "\r\n" + r4("12", "4", "5", "6") + "\r\n";
    void SetUp() override { spit(obs, text); }
};

// A new or longer old output, one reached through a link (which stays), a device.
TEST_F(ConversionJob, WritesOrReplacesTheOutput) {
    const auto perms = fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read;
    spit(dir / "old.dat", std::string(100000, 'o'));
    fs::permissions(dir.path / "old.dat", perms);
    fs::create_symlink(dir.path / "old.dat", dir.path / "link.dat");
    fs::create_symlink(dir.path / "gone.dat", dir.path / "dangling.dat");
    for (const auto& [format, out, written] : {std::tuple{Autocogo2, "new.dat", "new.dat"},
                                               {Autocogo1, "old.dat", "old.dat"},
                                               {Autocogo3, "link.dat", "old.dat"},
                                               {Autocogo1, "dangling.dat", "gone.dat"}}) {
        EXPECT_FALSE(convertFile({obs, dir / out, format}).failure) << out;
        EXPECT_EQ(slurp(dir / written), convert(text, {.outputFormat = format})) << out;
    }
    EXPECT_TRUE(fs::is_symlink(dir.path / "link.dat") &&
                fs::is_symlink(dir.path / "dangling.dat") &&
                (fs::status(dir.path / "old.dat").permissions() & fs::perms::all) == perms);
    EXPECT_EQ(dir.listing(), "dangling.dat gone.dat job.sdr link.dat new.dat old.dat ");
    EXPECT_TRUE(!convertFile({obs, "/dev/null", Autocogo1}).failure &&
                fs::is_character_file("/dev/null"));
}

// The same file, however named, is refused first; nothing to write leaves a good file alone.
TEST_F(ConversionJob, FailuresTouchNothing) {
    const std::string out = dir / "out.dat", noZ = dir / "noz.sdr", big = dir / "big.sdr";
    spit(out, "old");
    spit(noZ, r4("1", "1", "2", ""));
    std::string many;
    while (many.size() < 200'000) many += text;  // fails in the pass, the others when closed
    spit(big, many);
    fs::create_symlink(obs, dir.path / "link.sdr");
    // clang-format off
    const std::tuple<std::string, std::string, Kind, std::string> cases[] = {
        {dir / "missing.sdr", out, Kind::ObservationNotFound, "No such file or directory"},
        {obs, dir / "no/out.dat", Kind::Output, "No such file or directory"},
        {dir.str(), out, Kind::Observation, "Is a directory"},
        {obs, dir.str(), Kind::Output, "Is a directory"},
        {obs, obs + "/out.dat", Kind::Output, "Not a directory"},
        {obs, "/dev/full", Kind::Output, "No space left on device"},
        {big, "/dev/full", Kind::Output, "No space left on device"},
        {noZ, out, Kind::NothingWritten, ""}, {"/dev/null", out, Kind::NothingWritten, ""},
        {obs, dir / "link.sdr", Kind::SameFile, ""}, {obs, dir / ".//job.sdr", Kind::SameFile, ""}};
    // clang-format on
    for (const auto& [observation, output, kind, reason] : cases) {
        const ConversionOutcome r = convertFile({observation, output, Autocogo1});
        const bool onOutput = kind == Kind::Output || kind == Kind::NothingWritten;
        EXPECT_TRUE(failed(r, kind, onOutput ? output : observation, reason)) << output;
        EXPECT_EQ(r.ran, kind == Kind::NothingWritten || output == "/dev/full") << output;
    }
    EXPECT_EQ(slurp(out), "old");
    EXPECT_EQ(dir.listing(), "big.sdr job.sdr link.sdr noz.sdr out.dat ");
    EXPECT_TRUE(regularFileExists(noZ) && !regularFileExists(dir.str()) && !regularFileExists(""));
    EXPECT_FALSE(removeFile(noZ));
    EXPECT_TRUE(!regularFileExists(noZ) && removeFile(noZ).notFound());
}

// In a child, as an ordinary user (root may write anywhere): a file in a folder that is not
// writable, and a read-only file, are refused and stay as they were; so is another's file in a
// shared folder (sticky, as /tmp), which may be written but not replaced.
TEST_F(ConversionJob, NoPermissionToWrite) {
    using fs::perms;
    fs::permissions(obs, perms::others_read, fs::perm_options::add);
    for (const auto& [file, mode] : {std::pair{"locked/out.dat", perms::all},
                                     {"open/out.dat", perms::owner_read},
                                     {"shared/out.dat", perms::all}}) {
        fs::create_directories((dir.path / file).parent_path());
        spit(dir / file, "old");
        fs::permissions(dir / file, mode);
    }
    fs::permissions(dir.path / "locked", perms::owner_write, fs::perm_options::remove);
    fs::permissions(dir.path / "open", perms::all);
    fs::permissions(dir.path / "shared", perms::all | perms::sticky_bit);
    const bool root = geteuid() == 0;
    fs::permissions(dir.path, perms::others_exec, fs::perm_options::add);
    const pid_t pid = fork();
    if (pid == 0) {
        bool ok = geteuid() != 0 ||
                  (setgroups(0, nullptr) == 0 && setgid(65534) == 0 && setuid(65534) == 0);
        for (const char* out : {"locked/out.dat", "open/out.dat"})
            ok &= failed(convertFile({obs, dir / out, Autocogo1}), Kind::Output, dir / out,
                         "Permission denied");
        ok &= !root || failed(convertFile({obs, dir / "shared/out.dat", Autocogo1}), Kind::Output,
                              dir / "shared/out.dat", "Operation not permitted");
        _exit(ok ? 0 : 1);
    }
    int status = 0;
    ASSERT_TRUE(pid > 0 && waitpid(pid, &status, 0) == pid);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    EXPECT_EQ(
        slurp(dir / "locked/out.dat") + slurp(dir / "open/out.dat") + slurp(dir / "shared/out.dat"),
        "oldoldold");
    fs::permissions(dir.path / "locked", perms::owner_all);  // to be removed afterwards
}

// Real files (QUORVEL_SAMPLES): each coordinate keeps the digits shown after its axis letter
// ("|X   21.259 m"); point 1100 keeps its code (the older M5 variant puts both elsewhere).
TEST(RealSamples, EveryCoordinateKeepsAllItsDigits) {
    const char* env = std::getenv("QUORVEL_SAMPLES");
    const fs::path folder = env != nullptr && *env != '\0' ? env : QUORVEL_SAMPLES;
    int files = 0, checked = 0, found1100 = 0;
    std::error_code ec;
    for (const auto& e : fs::directory_iterator(folder, ec)) {
        if (e.path().extension() != ".obs") continue;
        const std::string text = slurp(e.path()), name = e.path().filename().string();
        ++files;
        MemoryReader in(text);
        ObservationLineReader lines(in);
        CoordinateLine c;
        for (std::string_view l; lines.next(l);) {
            std::map<char, std::string> v;
            // After a bar or blank: X, Y or Z, blanks, then a number with exactly three decimals.
            for (std::size_t i = 0; i + 1 < l.size(); ++i) {
                if ((l[i] != 'X' && l[i] != 'Y' && l[i] != 'Z') || l[i + 1] != ' ' ||
                    (i > 0 && l[i - 1] != '|' && l[i - 1] != ' '))
                    continue;
                std::string_view n = l.substr(std::min(l.find_first_not_of(' ', i + 1), l.size()));
                n = n.substr(0, n.find_first_not_of("-0123456789."));
                if (n.size() > 4 && n[n.size() - 4] == '.') v[l[i]] = n;
            }
            const bool read = readCoordinateLine(l, classify(l), c) == LineOutcome::Complete;
            EXPECT_EQ(read, v.count('X') && v.count('Y')) << name << ": " << l;
            if (!read || !v.count('X') || !v.count('Y')) continue;
            ++checked;
            const std::string z = v.count('Z') ? v['Z'] : b(c.Z.size());
            EXPECT_EQ(c.X + " " + c.Y + " " + c.Z, v['X'] + " " + v['Y'] + " " + z) << name << l;
            found1100 += c.Point == "1100" && c.Code == (name[0] == 'm' ? "CONTR   " : "NTR");
        }
        // Every coordinate line is written or named among those not written; 1100 keeps
        // its number and code in every layout.
        for (OutputFormat layout : {Autocogo1, Autocogo2, Autocogo3}) {
            std::string said;
            const std::string out = convert(text, {layout}, &said);
            const std::string code = name[0] == 'm' ? "CONTR   " : "NTR";
            const std::string p1100[] = {
                "11.256       " + code + "1100\r\n",
                "1100   21.259         59.620        11.256       " + code + "\r\n",
                ",21.259,59.620,11.256," + code + ",1100\r\n"};
            const bool has1100 =
                name == "r4-survey.obs" || name == "r5-survey.obs" || name == "m5-survey-older.obs";
            const int n = numberOf(layout);
            EXPECT_EQ(out.find(p1100[n - 1]) != std::string::npos, has1100) << name << n;
            const std::size_t lines = std::count(out.begin(), out.end(), '\n');
            const std::size_t counted = std::stoul(said.substr(said.find("Lines:  ") + 8));
            const std::size_t named =
                said.find("Not written:  ") == std::string::npos
                    ? 0
                    : std::stoul(said.substr(said.find("Not written:  ") + 14));
            EXPECT_TRUE(n < 3 || lines + named == counted) << name << said;
            EXPECT_EQ(said.find(", ..."), std::string::npos) << name;  // every one named
            // After a job record, as a download of such records holds them: the same.
            EXPECT_EQ(convert("10NMJOB             121111\r\n" + text, {layout}), out) << name;
        }
        // Downloaded as it is, no file looks garbled.
        EXPECT_FALSE(GarbleCheck().feed("\x02" + text + "\x03")) << name;
        // No number at two positions, nothing far, no 0/0 placeholder (the stations at 0/0
        // are among their points); a point measured again 100 km off is the first two.
        for (const std::string& added : {std::string(), "\n" + r4("", "99999", "99999", "1")}) {
            PointList list;
            const std::string edited = text + added;
            MemoryReader in(edited);
            ASSERT_EQ(readPoints(in, {}, list), PassResult::Ok);
            if (!added.empty()) list.rows.back().point = list.rows[list.rows.size() / 2].point;
            checkPoints(list);
            std::uint8_t all = 0;
            for (const PointRow& row : list.rows) all |= row.warnings;
            EXPECT_EQ(all & 7, added.empty() ? 0 : 5) << name;
        }
    }
    if (files == 0 && std::getenv("QUORVEL_REQUIRE_SAMPLES")) FAIL() << "no samples in " << folder;
    if (files == 0) GTEST_SKIP() << "no samples in " << folder;
    EXPECT_EQ(found1100, 3);  // in r4-, r5- and m5-survey-older.obs
    EXPECT_GT(checked, 500);
}

// Valid codes name their layer (in capitals); others get valid characters and a tail of their
// own, the same whatever else the file holds. Texts for DXF and XML are valid UTF-8 without
// controls: U+FFFD for each byte that is not.
TEST(FormatTexts, LayerNamesAndCleanText) {
    const std::string r = "\xEF\xBF\xBD";
    // clang-format off
    const std::pair<std::string, std::string> texts[] = {
        {"S\xC3\xBC" "d\xF0\x9F\x98\x80\t  ", "S\xC3\xBC" "d\xF0\x9F\x98\x80\t"}, {"a\x01\x7F", "a" + r + r},
        {"\xC3", r}, {"\xC1\xBF", r + r}, {"\xE0\x80\x80", r + r + r}, {"\xED\xA0\x80", r + r + r},
        {"\xED\x9F\xBF\xEF\xBF\xBF\xDF\xBF", "\xED\x9F\xBF\xEF\xBF\xBF\xDF\xBF"}, {"\xF4\x90\x80\x80", r + r + r + r},
        {"\xF0\x90\x80\x80\xF4\x8F\xBF\xBF", "\xF0\x90\x80\x80\xF4\x8F\xBF\xBF"}, {"\xE2\x82" "A", r + r + "A"}};
    // clang-format on
    for (const auto& [text, clean] : texts) EXPECT_EQ(cleanText(text), clean) << text;
    // DXF writes other characters as \U+XXXX, numbers in their shortest form with a point.
    const std::string dxf = convert(r4("\xE2\x82\xAC"
                                       "1",
                                       "1", "2.5", "3"),
                                    {Dxf});
    EXPECT_NE(dxf.find("POINT\n  8\nTR\n  6\nBYLAYER\n 10\n2.5\n 20\n1.0\n 30\n3.0\n"), dxf.npos);
    EXPECT_NE(dxf.find("\n  1\n\\U+20AC1\n"), dxf.npos) << dxf;
    // LandXML names each point once, in the order of the file, and says which it renamed.
    std::string said;
    std::string landXml = convert(r4("5", "1", "2", "3") + "\n" + r4("5", "1", "2", "3") + "\n" +
                                      r4("", "1", "2", "3") + "\n" + r4("5-2", "1", "2", "3") +
                                      "\n" + r4("5", "1", "2", "3"),
                                  {LandXml}, &said);
    std::string names;
    for (std::size_t at = 0; (at = landXml.find("name=\"", at)) != landXml.npos; at += 6)
        names += landXml.substr(at + 6, landXml.find('"', at + 6) - at - 6) + "|";
    EXPECT_EQ(names, "Quorvel|5|5-2|line 3 (no point number)|5-2-2|5-3|");
    EXPECT_TRUE(
        said.ends_with("|Renamed:  4: 3 points with a number used before: 5-2, 5-2-2, "
                       "5-3; 1 point without a number: line 3 (no point number)"))
        << said;
    // Its texts are about 1/400 of the job's larger side high, never below 0.05: the height
    // of a 5 m, an 800 m, a 5 km job, one point, and one wider than a double holds.
    std::string heights;
    for (const auto& [wide, high] :
         {std::pair{5.0, 3.0}, {800.0, 20.0}, {1234.5, 5000.0}, {0.0, 0.0}, {1e308 * 10, 1.0}})
        heights += std::to_string(dxfTextHeight(wide, high)) + " ";
    EXPECT_EQ(heights, "0.050000 2.000000 13.000000 0.050000 0.050000 ");
    const std::string job =
        convert(r4("1", "0", "0", "3") + "\n" + r4("2", "800", "20", "3"), {Dxf});
    EXPECT_NE(job.find("TEXT\n  8\nTR_NO\n  6\nBYLAYER\n 10\n2.0\n 20\n1.0\n 30\n3.0\n 40\n2.0\n"),
              job.npos)
        << job;
    const std::string mapped[] = {dxfLayerName("TR  "),
                                  dxfLayerName("tr"),
                                  dxfLayerName(""),
                                  dxfLayerName("A B"),
                                  dxfLayerName("a b"),
                                  dxfLayerName("A.B"),
                                  dxfLayerName(std::string(29, 'K')),
                                  dxfLayerName("Süd"),
                                  dxfLayerName("P$-_9")};
    EXPECT_EQ(mapped[0] + " " + mapped[1] + " " + mapped[2] + " " + mapped[8], "TR TR 0 P$-_9");
    EXPECT_TRUE(mapped[3] == mapped[4] && mapped[3] != mapped[5] && mapped[3].starts_with("A_B$"));
    for (const std::string& name : mapped)
        EXPECT_TRUE(name.size() <= 28 && name.find_first_not_of("ABCDEFGHIJKLMNOPQRSTUVWXYZ"
                                                                "0123456789$-_") == name.npos)
            << name;
}

namespace {

// What dxflib reads back: layers, points, texts with their layer.
struct DxfContent : DL_CreationAdapter {
    std::set<std::string> layers;
    std::vector<std::string> points, texts;
    DL_PointData last;
    bool placed = true;  // texts upright and left-aligned, right of their point: number above Z
    void addLayer(const DL_LayerData& d) override { layers.insert(d.name); }
    void addPoint(const DL_PointData& d) override {
        last = d;
        char b[96];
        std::snprintf(b, sizeof b, "%.3f %.3f %.3f", d.x, d.y, d.z);
        points.push_back(b + (" " + attributes.getLayer()));
    }
    void addText(const DL_TextData& d) override {
        placed = placed && d.textGenerationFlags + d.hJustification + d.vJustification == 0 &&
                 d.ipx > last.x && (d.ipy > last.y) == (texts.size() % 2 == 0);
        texts.push_back(attributes.getLayer() + " " + d.text);
    }
};

// The fields of one line of a CSV file, quotes undone.
std::vector<std::string> csvFields(std::string_view row) {
    std::vector<std::string> fields(1);
    bool quoted = false;
    for (std::size_t i = 0; i < row.size(); ++i) {
        if (quoted && row[i] == '"' && i + 1 < row.size() && row[i + 1] == '"')
            fields.back() += row[++i];
        else if (row[i] == '"')
            quoted = !quoted;
        else if (row[i] == ',' && !quoted)
            fields.emplace_back();
        else
            fields.back() += row[i];
    }
    return fields;
}

std::string trim(std::string_view s) {
    s.remove_suffix(s.size() - s.find_last_not_of(' ') - 1);
    return std::string(s.substr(std::min(s.find_first_not_of(' '), s.size())));
}

}  // namespace

// Each real file in CSV, DXF and LandXML, read back with the parser or library that wrote it,
// holds each point of layout 3 (number,X,Y,Z,code,point) with the same values, by both axes,
// names and codes without the blanks that pad them in the fixed columns.
// So do all of them one after another, thrice: a drawing large enough to pass through a
// temporary file.
TEST(RealSamples, EveryFormatReadsBackAsWritten) {
    const char* env = std::getenv("QUORVEL_SAMPLES");
    const fs::path folder = env != nullptr && *env != '\0' ? env : QUORVEL_SAMPLES;
    std::error_code ec;
    int points = 0;
    std::vector<std::pair<std::string, std::string>> files;  // name, text
    for (const auto& e : fs::directory_iterator(folder, ec))
        if (e.path().extension() == ".obs")
            files.emplace_back(e.path().filename().string(), slurp(e.path()));
    std::string all;
    for (const auto& [name, text] : files) all += text + "\n";
    files.emplace_back("all", all + all + all);
    for (const auto& [name, text] : files) {
        std::vector<std::vector<std::string>> rows;
        std::istringstream layout3(convert(text, {Autocogo3}));
        for (std::string l; std::getline(layout3, l);)
            rows.push_back(csvFields(l.substr(0, l.size() - 1)));
        std::istringstream csv(convert(text, {Csv}));
        std::string row;
        std::getline(csv, row);
        EXPECT_TRUE(rows.empty() || row == "Point,X,Y,Z,Code\r") << name;
        for (const auto& r : rows) {
            std::getline(csv, row);
            const auto bare = [](std::string s) { return s.erase(s.find_last_not_of(' ') + 1); };
            EXPECT_EQ(csvFields(row.substr(0, row.size() - 1)),
                      (std::vector<std::string>{bare(r[5]), r[1], r[2], r[3], bare(r[4])}))
                << name;
        }
        for (const Axes axes : {Axes::XEastYNorth, Axes::XNorthYEast}) {
            const bool east = axes == Axes::XEastYNorth;
            DxfContent dxf;
            std::istringstream drawing(convert(text, {.outputFormat = Dxf, .axes = axes}));
            EXPECT_EQ(DL_Dxf().in(drawing, &dxf), !rows.empty()) << name;
            tinyxml2::XMLDocument xml;
            const std::string landXml = convert(text, {.outputFormat = LandXml, .axes = axes});
            EXPECT_EQ(xml.Parse(landXml.c_str()),
                      rows.empty() ? tinyxml2::XML_ERROR_EMPTY_DOCUMENT : tinyxml2::XML_SUCCESS)
                << name;
            const tinyxml2::XMLElement* root = xml.FirstChildElement("LandXML");
            const tinyxml2::XMLElement* cg =
                root ? root->FirstChildElement("CgPoints")->FirstChildElement("CgPoint") : nullptr;
            EXPECT_TRUE(rows.empty() ||
                        (root->FirstChildElement("Units")->FirstChildElement("Metric")->Attribute(
                             "linearUnit", "meter") &&
                         root->FirstChildElement("Application")->Attribute("name", "Quorvel")));
            ASSERT_EQ(dxf.points.size(), rows.size()) << name;
            std::set<std::string> cgNames;
            EXPECT_TRUE(dxf.placed);
            for (std::size_t i = 0; i < rows.size(); ++i, ++points) {
                const auto& r = rows[i];
                const std::string layer = dxfLayerName(r[4]), label = trim(r[5]);
                const std::string& x = east ? r[1] : r[2];
                const std::string& y = east ? r[2] : r[1];
                EXPECT_EQ(dxf.points[i], x + " " + y + " " + r[3] + " " + layer) << name;
                EXPECT_EQ(
                    dxf.texts[2 * i] + "|" + dxf.texts[2 * i + 1],
                    layer + "_NO " + (label.empty() ? r[0] : label) + "|" + layer + "_Z " + r[3]);
                EXPECT_TRUE(dxf.layers.count(layer) && dxf.layers.count(layer + "_NO") &&
                            dxf.layers.count(layer + "_Z"));
                ASSERT_NE(cg, nullptr) << name;
                // Each name once: the number, or for a number used before the number and "-k".
                const std::string cgName = cg->Attribute("name");
                EXPECT_TRUE(cgNames.insert(cgName).second) << cgName;
                EXPECT_TRUE(label.empty() ? cgName.ends_with(" (no point number)")
                                          : cgName == label || cgName.starts_with(label + "-"));
                EXPECT_EQ((cg->Attribute("code") ? cg->Attribute("code") : "") + std::string("|") +
                              cg->GetText(),
                          trim(r[4]) + "|" + y + " " + x + " " + r[3]);
                cg = cg->NextSiblingElement("CgPoint");
            }
            EXPECT_EQ(cg, nullptr) << name;
        }
    }
    if (points == 0 && std::getenv("QUORVEL_REQUIRE_SAMPLES")) FAIL() << "no samples in " << folder;
    EXPECT_GT(points, 1000);
}

// With the default axes the plan (each point's east and north) agrees with the directions the
// instruments measured, where a file has them: an M5 station at 0/0 measures each point's Hz
// (degrees, minutes, seconds) as its bearing; an SDR33 backsight record holds the bearing from
// its station to its backsight.
TEST(RealSamples, ThePlanAgreesWithTheMeasuredDirections) {
    const char* env = std::getenv("QUORVEL_SAMPLES");
    const fs::path folder = env != nullptr && *env != '\0' ? env : QUORVEL_SAMPLES;
    const auto agree = [](double east, double north, double bearing) {
        const double degrees = std::atan2(east, north) * 180 / M_PI;
        return std::abs(std::remainder(degrees - bearing, 360.0)) < 0.02;
    };
    int checked = 0;
    std::error_code ec;
    for (const auto& e : fs::directory_iterator(folder, ec)) {
        const std::string text = slurp(e.path()), name = e.path().filename().string();
        PointList list;
        MemoryReader in(text);
        ASSERT_EQ(readPoints(in, {}, list), PassResult::Ok);
        std::map<std::string, const PointRow*> byPoint;
        for (const PointRow& row : list.rows)
            if (row.placed) byPoint.emplace(trim(row.point), &row);  // not a sighting of it
        std::istringstream lines(text);
        std::int64_t number = 0;
        for (std::string l; std::getline(lines, l); ++number) {
            if (l.starts_with("07TP")) {  // station, backsight, bearing
                const PointRow* from = byPoint[trim(l.substr(4, 16))];
                const PointRow* to = byPoint[trim(l.substr(20, 16))];
                ASSERT_TRUE(from && to) << l;
                EXPECT_TRUE(agree(to->east - from->east, to->north - from->north,
                                  std::stod(l.substr(36, 16))))
                    << name << l;
                ++checked;
            }
            const std::size_t hz = l.find("|Hz ");
            if (l.find("|SD ") == l.npos || hz == l.npos) continue;
            // The point's coordinate line comes next.
            const auto row = std::find_if(list.rows.begin(), list.rows.end(),
                                          [&](const PointRow& r) { return r.line > number + 1; });
            ASSERT_TRUE(row != list.rows.end() && trim(row->point) == trim(l.substr(21, 27))) << l;
            const double dms = std::stod(l.substr(hz + 4)), degrees = std::floor(dms);
            const double minutes = std::floor((dms - degrees) * 100 + 1e-9);
            const double bearing = degrees + minutes / 60 + ((dms - degrees) * 100 - minutes) / 36;
            EXPECT_TRUE(agree(row->east, row->north, bearing)) << name << l;
            ++checked;
        }
    }
    if (checked == 0 && std::getenv("QUORVEL_REQUIRE_SAMPLES"))
        FAIL() << "no samples in " << folder;
    EXPECT_GT(checked, 70);
}
