// SPDX-License-Identifier: GPL-3.0-or-later
// CSV, DXF and LandXML: layer names and clean texts, and every real file read back with the
// parser or library that reads it.
#include <dl_creationadapter.h>
#include <dl_dxf.h>
#include <gtest/gtest.h>
#include <tinyxml2.h>

#include <algorithm>
#include <map>
#include <set>
#include <sstream>

#include "convert_text.h"
#include "core/conversion.h"
#include "core/formats.h"
#include "records.h"
#include "temp_dir.h"

using namespace quorvel;
using enum quorvel::OutputFormat;
namespace fs = std::filesystem;

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
    for (const char* at : {" 10\n0.0\n 20\n0.0\n", " 10\n20.0\n 20\n800.0\n"})  // round numbers
        EXPECT_NE(job.find(std::string("POINT\n  8\nTR\n  6\nBYLAYER\n") + at), job.npos) << at;
    const std::string mapped[] = {dxfLayerName("TR  "),
                                  dxfLayerName("trz"),
                                  dxfLayerName(""),
                                  dxfLayerName("A Z"),
                                  dxfLayerName("a z"),
                                  dxfLayerName("A.B"),
                                  dxfLayerName(std::string(29, 'K')),
                                  dxfLayerName("Süd"),
                                  dxfLayerName("P$-_9"),
                                  dxfLayerName(std::string(28, 'K'))};
    EXPECT_EQ(mapped[0] + " " + mapped[1] + " " + mapped[2] + " " + mapped[8] + " " + mapped[9],
              "TR TRZ 0 P$-_9 " + std::string(28, 'K'));
    EXPECT_TRUE(mapped[3] == mapped[4] && mapped[3] != mapped[5] && mapped[3].starts_with("A_Z$"));
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
