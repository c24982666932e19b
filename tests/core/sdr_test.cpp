// SPDX-License-Identifier: GPL-3.0-or-later
// SDR observations reduced to coordinates: jobs computed backwards from known points come
// back to them, and what cannot be reduced is named with its reason.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <map>
#include <numbers>
#include <sstream>

#include "convert_text.h"
#include "core/sdr.h"
#include "temp_dir.h"

using namespace quorvel;

namespace {

struct Point {
    std::string id;
    double east, north, z;
};

// How a job is written: its angle unit, circle, order, field widths, scale and faces.
struct Job {
    const char* name;
    bool gons = false;
    bool clockwise = true;
    bool eastingFirst = false;
    bool narrow = false;  // SDR2x widths: 4-character ids, 10-character values
    double scale = 1;
    bool faces = false;  // each target sighted in both faces, with collimation and index errors
    Axes axes = Axes::XEastYNorth;
};

// SDR text of one job: records of the widths the job's header states.
class Writer {
public:
    explicit Writer(const Job& job) : m_job(job), m_full(job.gons ? 400 : 360) {
        m_text = std::string("00NM") + (job.narrow ? "SDR20V03-05     " : "SDR33 V04-04.02 ") +
                 "    06-Dec-26 09:12 " + (job.gons ? '2' : '1') + "111" +
                 (job.eastingFirst ? '2' : '1') + (job.clockwise ? '1' : '2') + "\r\n" +
                 "10NMROUNDTRIP       121111\r\n";
        record("06NM", {}, {job.scale});
    }

    void station(const Point& s, double instrument, const Point& backsight, double orientation) {
        const double first = m_job.eastingFirst ? s.east : s.north;
        const double second = m_job.eastingFirst ? s.north : s.east;
        record("02TP", {s.id}, {first, second, s.z, instrument}, "STN");
        m_at = s;
        m_instrument = instrument;
        m_orientation = orientation;
        const double azimuth = azimuthTo(backsight);
        record("07TP", {s.id, backsight.id}, {azimuth, reading(azimuth - orientation)});
    }
    void targetHeight(double h) {
        m_target = h;
        record("03NM", {}, {h});
    }
    // Sights `p` from the station; with faces, a collimation error c and an index error i
    // that only the mean of both faces cancels.
    void sight(const Point& p, const char* code) {
        const double east = p.east - m_at.east, north = p.north - m_at.north;
        const double rise = p.z - (m_at.z + m_instrument - m_target);
        const double horizontal = std::hypot(east, north) / m_job.scale;
        const double slope = std::hypot(horizontal, rise);
        const double zenith = unit(std::atan2(horizontal, rise));
        const double hz = azimuthTo(p) - m_orientation;
        if (!m_job.faces) {
            record("09F1", {m_at.id, p.id}, {slope, zenith, reading(hz)}, code);
            return;
        }
        const double c = m_full / 36000, i = -m_full / 50000;
        record("09F1", {m_at.id, p.id}, {slope, zenith + i, reading(hz + c)}, code);
        record("09F2", {m_at.id, p.id}, {slope, m_full - zenith + i, reading(hz + m_full / 2 - c)},
               code);
    }
    const std::string& text() const { return m_text; }

private:
    double unit(double radians) const { return radians * m_full / (2 * std::numbers::pi); }
    double azimuthTo(const Point& p) const {
        return normal(unit(std::atan2(p.east - m_at.east, p.north - m_at.north)));
    }
    double normal(double a) const { return std::fmod(std::fmod(a, m_full) + m_full, m_full); }
    // What the circle shows for a clockwise direction.
    double reading(double clockwise) const {
        return normal(m_job.clockwise ? clockwise : m_full - clockwise);
    }
    // The most decimals that fit the field.
    std::string value(double v) const {
        const int width = m_job.narrow ? 10 : 16;
        char buf[64];
        for (int decimals = 8; decimals >= 0; --decimals) {
            std::snprintf(buf, sizeof buf, "%.*f", decimals, v);
            if (static_cast<int>(std::string(buf).size()) <= width) break;
        }
        return std::string(buf) + std::string(width - std::string(buf).size(), ' ');
    }
    void record(const char* tag, std::initializer_list<std::string> ids,
                std::initializer_list<double> values, const char* code = "") {
        const std::size_t width = m_job.narrow ? 4 : 16;
        m_text += tag;
        for (const std::string& id : ids) m_text += std::string(width - id.size(), ' ') + id;
        for (double v : values) m_text += value(v);
        m_text += std::string(code) + "\r\n";
    }

    const Job& m_job;
    const double m_full;
    std::string m_text;
    Point m_at{};
    double m_instrument = 0, m_orientation = 0, m_target = 0;
};

// Points by id from layout 3 (number,X,Y,Z,code,point).
std::map<std::string, Point> pointsOf(const std::string& layout3, Axes axes) {
    std::map<std::string, Point> points;
    std::istringstream in(layout3);
    for (std::string row; std::getline(in, row);) {
        std::vector<std::string> f(1);
        for (char ch : row.substr(0, row.size() - 1)) ch == ',' ? f.emplace_back() : f.back() += ch;
        const double x = std::stod(f[1]), y = std::stod(f[2]);
        const bool east = axes == Axes::XEastYNorth;
        points[f[5]] = {f[5], east ? x : y, east ? y : x, std::stod(f[3])};
    }
    return points;
}

}  // namespace

// Jobs written from known coordinates, three stations each with a backsight and targets all
// round (one where the circle reads 0, so face means cross it) from 3 m to 900 m, target heights
// that change: every point comes back within 3 mm, once, in every unit, circle, order and width.
TEST(SdrObservations, JobsComputedFromKnownPointsGiveThemBack) {
    const Job jobs[] = {
        {"degrees"},
        {"gons", true},
        {"counter-clockwise, easting first, scale", false, false, true, false, 0.9996},
        {"gons, counter-clockwise, SDR2x, scale", true, false, true, true, 1.0002},
        {"faces, SDR2x, X north", false, true, true, true, 1, true, Axes::XNorthYEast},
        {"gons, faces, counter-clockwise, scale", true, false, false, false, 0.9995, true},
        {"faces, counter-clockwise, SDR2x", false, false, false, true, 1, true},
    };
    const Point stations[] = {{"S1", 1000.123, 2000.456, 50.789},
                              {"S2", 1245.5, 1817.25, 61.2},
                              {"S3", 812.04, 2399.99, 44.01}};
    for (const Job& job : jobs) {
        Writer sdr(job);
        std::map<std::string, Point> truth;
        int n = 0;
        const double full = job.gons ? 400 : 360;
        for (int s = 0; s < 3; ++s) {
            const Point& at = stations[s];
            const double orientation = 37.1234 + 101.5 * s;
            sdr.station(at, 1.2 + 0.11 * s, stations[(s + 1) % 3], orientation);
            // The last target lies where the circle reads 0.
            const double zero = orientation / full * 2 * std::numbers::pi;
            for (double distance : {3.0, 48.7, 230.0, 899.9}) {
                for (double bearing : {0.0, 0.9, 2.2, 3.7, 5.1, zero}) {
                    if (bearing == zero && distance != 230.0) continue;
                    const Point p{std::to_string(1000 + n), at.east + distance * std::sin(bearing),
                                  at.north + distance * std::cos(bearing),
                                  at.z + distance * 0.01 * (n % 7 - 3)};
                    if (n % 6 == 0) sdr.targetHeight(0.05 * (n % 40));
                    sdr.sight(p, "PEG");
                    truth[p.id] = p;
                    ++n;
                }
            }
        }
        std::string message;
        const auto got = pointsOf(
            convert(sdr.text(),
                    {.outputFormat = quorvel::OutputFormat::Autocogo3, .axes = job.axes}, &message),
            job.axes);
        EXPECT_NE(message.find("|Reduced from observations: 63"), std::string::npos)
            << job.name << ": " << message;
        EXPECT_EQ(message.find("Not written"), std::string::npos) << job.name << ": " << message;
        EXPECT_EQ(got.size(), truth.size() + 3) << job.name;  // and the three stations
        for (const auto& [id, p] : truth) {
            const auto it = got.find(id);
            ASSERT_NE(it, got.end()) << job.name << ": " << id;
            const Point& q = it->second;
            EXPECT_LE(std::max({std::abs(q.east - p.east), std::abs(q.north - p.north),
                                std::abs(q.z - p.z)}),
                      0.003)
                << job.name << ": " << id << " " << q.east << " " << q.north << " " << q.z;
        }
    }
}

// SDR33 text of one record: ids right-aligned in 16 columns, values left-aligned in 16.
std::string rec(std::string_view tag, std::initializer_list<std::string_view> ids,
                std::initializer_list<std::string_view> values, std::string_view code = "") {
    std::string s(tag);
    for (std::string_view id : ids) s += std::string(16 - id.size(), ' ') + std::string(id);
    for (std::string_view v : values) s += std::string(v) + std::string(16 - v.size(), ' ');
    return s + std::string(code) + "\r\n";
}

// Each observation that gives no point is counted and named with its reason; the others go on.
TEST(SdrObservations, WhatIsNotReducedIsNamedWithItsReason) {
    const std::string head = "00NMSDR33 V04-04.02     06-Dec-26 09:12 111111\r\n";
    const std::string s1 = rec("02TP", {"S1"}, {"100", "200", "10", "1.5"}, "STN");
    const std::string s1Out = "1,200.000,100.000,10.000,STN,S1\r\n";
    auto obs = [](std::string_view tag, std::string_view to, std::string_view slope,
                  std::string_view zenith = "90", std::string_view circle = "90",
                  std::string_view from = "S1") {
        return rec(tag, {from, to}, {slope, zenith, circle}, "CODE");
    };
    // clang-format off
    const struct { std::string text, out, said; } cases[] = {
        // 1 due east at 10 m; 2 on face 2 alone, due south; a face pair of 3 at 20 m due west,
        // whose collimation and index errors cancel.
        {head + s1 + obs("09F1", "1", "10") + obs("09F2", "2", "10", "270", "0") +
         obs("09F1", "3", "20.002", "89.99", "270.01") + obs("09F2", "3", "19.998", "269.99", "89.99"),
         s1Out + "2,210.000,100.000,11.500,CODE,1\r\n3,200.000,90.000,11.500,CODE,2\r\n"
         "4,180.000,100.000,11.500,CODE,3\r\n", "|Reduced from observations: 3"},
        // A face-2 sighting of another target, or after a note, is no pair.
        {head + s1 + obs("09F1", "1", "10") + obs("09F2", "9", "10", "270", "270") +
         obs("09F1", "4", "10") + "13NMnote\r\n" + obs("09F2", "4", "10", "270", "270"),
         s1Out + "2,210.000,100.000,11.500,CODE,1\r\n3,210.000,100.000,11.500,CODE,9\r\n"
         "4,210.000,100.000,11.500,CODE,4\r\n5,210.000,100.000,11.500,CODE,4\r\n",
         "|Reduced from observations: 4"},
        // Other derivations of 09 are passed over.
        {head + s1 + obs("09F1", "A", "") + obs("09F1", "B", "5", "90", "90", "S2") +
         obs("09F1", "C", "5x") + obs("09F1", "D", "5", "") + obs("09MC", "E", "5") + obs("09F1", "F", "10"),
         s1Out + "6,210.000,100.000,11.500,CODE,F\r\n",
         "|Reduced from observations: 1|Not written:  4: 1 point with angles only: A; 1 point whose "
         "station has no 02 record: B; 2 points with a field that is not a number: C, D"},
        // The backsight, scale or target height a point needs is not a number or not given.
        {head + s1 + rec("07TP", {"S1", "B1"}, {"x", "0"}) + obs("09F1", "G", "5") +
         rec("02TP", {"S1"}, {"100", "200", "10"}) + obs("09F1", "H", "10") + "06NMx\r\n" +
         obs("09F1", "I", "5") + "06NM1\r\n03NM?\r\n" + obs("09F1", "J", "5", "90", "90", ""),
         s1Out + "3,200.000,100.000,10.000,,S1\r\n",
         "|Reduced from observations: 2|Not written:  4: 2 points without Z: H, J; 2 points with a "
         "field that is not a number: G, I"},
        {"00NMSDR33 V04-04.02     06-Dec-26 09:12 311111\r\n" + s1 + obs("09F1", "K", "5"), s1Out,
         "|Not written:  1: 1 point where angle unit 3 is not read: K"},
        {"00NMSDR33 V04-04.02     06-Dec-26 09:12 111113\r\n" + s1 + obs("09F1", "K", "5"), s1Out,
         "|Not written:  1: 1 point where circle direction 3 is not read: K"},
        {"10NMJOB\r\n" + s1 + obs("09F1", "L", "5"), s1Out,
         "|Not written:  1: 1 point where the file states no angle unit: L|SDR field widths"},
    };
    // clang-format on
    for (const auto& c : cases) {
        std::string message;
        EXPECT_EQ(
            convert(c.text,
                    {.outputFormat = quorvel::OutputFormat::Autocogo3, .axes = Axes::XEastYNorth},
                    &message),
            c.out)
            << message;
        EXPECT_NE(message.find(c.said), std::string::npos) << message;
    }
}

// The real raw data file: its backsight record's azimuth is the bearing between its station's
// and backsight's coordinates (east first, clockwise from north, degrees), and its 20
// observations with a distance become points; 1002 and 1000 checked by hand.
TEST(SdrObservations, RealRawDataFile) {
    const char* env = std::getenv("QUORVEL_SAMPLES");
    const std::string text =
        slurp((env != nullptr && *env != '\0' ? std::string(env) : std::string(QUORVEL_SAMPLES)) +
              "/sdr33_20151130.sdr");
    if (text.empty() && std::getenv("QUORVEL_REQUIRE_SAMPLES")) FAIL() << "no SDR sample";
    if (text.empty()) GTEST_SKIP() << "no SDR sample";
    std::string message;
    const auto points =
        pointsOf(convert(text, {.outputFormat = quorvel::OutputFormat::Autocogo3}, &message),
                 Axes::XNorthYEast);
    const Point &station = points.at("STLEV"), &backsight = points.at("KRYSHA");
    const double bearing =
        std::atan2(backsight.east - station.east, backsight.north - station.north);
    EXPECT_NEAR(bearing * 180 / std::numbers::pi + 360, 202.31844673, 1e-6);
    EXPECT_TRUE(
        message.ends_with("|Reduced from observations: 20|Not written:  1: 1 point with "
                          "angles only: KRYSHA"))
        << message;
    const Point& p1002 = points.at("1002");
    const Point& p1000 = points.at("1000");
    EXPECT_EQ(std::to_string(p1002.east) + " " + std::to_string(p1002.north) + " " +
                  std::to_string(p1002.z) + " " + std::to_string(p1000.z),
              "6588.964000 15092.935000 158.575000 123.998000");
}
