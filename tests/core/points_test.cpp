// SPDX-License-Identifier: GPL-3.0-or-later
// The checks of the points window: warnings, the lines they name, the scale bar.
#include <gtest/gtest.h>

#include "core/points.h"
#include "records.h"

using namespace quorvel;
using enum quorvel::OutputFormat;

// The warnings of a file (joined by '|'), then each coordinate line's warning bits, then the
// unit of its coordinates; the lines a check names are those the conversion writes or leaves out.
TEST(PointChecks, WarningsAndTheLinesTheyName) {
    // Five points within a metre of 10/10; six at 0/0; six each at two places among them.
    std::string near, zeros, again;
    for (int i = 1; i <= 5; ++i)
        near += r4("P" + std::to_string(i), "10." + std::to_string(i), "10", "1") + "\n";
    for (int i = 1; i <= 6; ++i) {
        zeros += r4("Z" + std::to_string(i), "0", "0", "1") + "\n";
        again += r4("Z" + std::to_string(i), "10.5", "10", "1") + "\n" +
                 r4("Z" + std::to_string(i), "10.9", "10", "1") + "\n";
    }
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
        {near + again, Axes::XEastYNorth, "Point numbers used at two or more positions: 6 (Z1, Z2, "
         "Z3, Z4, Z5, ...)/00000111111111111/"},
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
