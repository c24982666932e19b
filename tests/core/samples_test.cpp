// Every coordinate of the real observation files (QUORVEL_SAMPLES) comes out with all
// its digits.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <map>

#include "core/conversion.h"
#include "core/observation.h"
#include "core/observation_reader.h"
#include "temp_dir.h"

using namespace quorvel;
namespace fs = std::filesystem;

namespace {

fs::path folder() {
    const char* env = std::getenv("QUORVEL_SAMPLES");
    return env != nullptr && *env != '\0' ? env : QUORVEL_SAMPLES;
}

// The values the line shows after its axis letters ("|X   21.259 m"): X, Y or Z after a
// bar or blank, blanks, then a number with exactly three decimals.
std::map<char, std::string> shownValues(const std::string& line) {
    auto digitsEnd = [&](std::size_t j) {
        while (j < line.size() && line[j] >= '0' && line[j] <= '9') ++j;
        return j;
    };
    std::map<char, std::string> found;
    for (std::size_t i = 0; i + 1 < line.size(); ++i) {
        const char axis = line[i];
        if ((axis != 'X' && axis != 'Y' && axis != 'Z') || line[i + 1] != ' ' ||
            (i > 0 && line[i - 1] != '|' && line[i - 1] != ' '))
            continue;
        const std::size_t from = line.find_first_not_of(' ', i + 1);
        const std::size_t first = from + (from < line.size() && line[from] == '-');
        const std::size_t point = digitsEnd(first);
        if (from == std::string::npos || point == first || point >= line.size() ||
            line[point] != '.' || digitsEnd(point + 1) != point + 4)
            continue;
        found[axis] = line.substr(from, point + 4 - from);
    }
    return found;
}

}  // namespace

class RealSamples : public ::testing::Test {
protected:
    std::vector<fs::path> files;
    void SetUp() override {
        std::error_code ec;
        for (const auto& e : fs::directory_iterator(folder(), ec))
            if (e.path().extension() == ".obs") files.push_back(e.path());
        std::sort(files.begin(), files.end());
        if (!files.empty()) return;
        if (std::getenv("QUORVEL_REQUIRE_SAMPLES")) FAIL() << "no samples in " << folder();
        GTEST_SKIP() << "no samples in " << folder();
    }
};

TEST_F(RealSamples, EveryCoordinateKeepsAllItsDigits) {
    int checked = 0;
    for (const auto& file : files) {
        SCOPED_TRACE(file.filename().string());
        const std::string text = slurp(file);
        MemoryReader in(text);
        ObservationLineReader lines(in);
        std::string_view line;
        CoordinateLine c;
        int coordinates = 0;
        while (lines.next(line)) {
            const std::string s(line);
            const auto shown = shownValues(s);
            const bool hasXY = shown.count('X') && shown.count('Y');
            const LineOutcome outcome = readCoordinateLine(line, classify(line), c);
            EXPECT_EQ(outcome == LineOutcome::Complete, hasXY) << s;
            if (outcome != LineOutcome::Complete || !hasXY) continue;
            ++coordinates;
            EXPECT_EQ(c.X, shown.at('X')) << s;
            EXPECT_EQ(c.Y, shown.at('Y')) << s;
            EXPECT_EQ(c.Z, shown.count('Z') ? shown.at('Z') : std::string(c.Z.size(), ' ')) << s;
        }
        EXPECT_GT(coordinates, 10);
        checked += coordinates;
    }
    EXPECT_GT(checked, 500);
}

// Point 1100 keeps its number and code in every record type and layout (the older M5
// variant puts them where the table does not), and every coordinate line is either
// written or named in the closing message.
TEST_F(RealSamples, EveryPointIsWrittenOrNamedWithItsNumberAndCode) {
    const std::map<std::string, std::string> code = {
        {"r4-survey.obs", "NTR"}, {"r5-survey.obs", "NTR"}, {"m5-survey-older.obs", "CONTR   "}};
    for (const auto& file : files) {
        const std::string text = slurp(file), name = file.filename().string();
        for (int layout : {1, 2, 3}) {
            SCOPED_TRACE(name + " in layout " + std::to_string(layout));
            std::string out;
            StringWriter writer(out);
            MemoryReader in(text);
            ConversionCounts counts;
            ASSERT_EQ(convertObservations(in, writer, layout, counts), PassResult::Ok);
            std::int64_t named = 0;
            for (const NotWrittenLines& lines : counts.notWritten) {
                EXPECT_EQ(lines.count, static_cast<std::int64_t>(lines.points.size()));
                named += lines.count;
            }
            EXPECT_EQ(counts.written + named, counts.CoordinateCount);
            if (layout == 3) {
                EXPECT_EQ(std::count(out.begin(), out.end(), '\n'), counts.written);
            }
            if (!code.count(name)) continue;
            const std::string c = code.at(name);
            const std::string expected[] = {
                "      21.259         59.620        11.256       " + c + "1100\r\n",
                "\n1100   21.259         59.620        11.256       " + c + "\r\n",
                ",21.259,59.620,11.256," + c + ",1100\r\n"};
            EXPECT_NE(out.find(expected[layout - 1]), std::string::npos);
            EXPECT_EQ(counts.LineCount, 151);
        }
    }
}
