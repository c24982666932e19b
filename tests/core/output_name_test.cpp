// SPDX-License-Identifier: GPL-3.0-or-later
// The output name proposed for an observation file.
#include <gtest/gtest.h>

#include "core/output_name.h"

using namespace quorvel;
using enum quorvel::OutputFormat;

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
