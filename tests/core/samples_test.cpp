// SPDX-License-Identifier: GPL-3.0-or-later
// Real files from instruments: every digit kept, and the plan agreeing with the directions
// the instruments measured.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>

#include "convert_text.h"
#include "core/conversion.h"
#include "core/incoming.h"
#include "core/observation_reader.h"
#include "core/points.h"
#include "records.h"
#include "temp_dir.h"

using namespace quorvel;
using enum quorvel::OutputFormat;
namespace fs = std::filesystem;

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
