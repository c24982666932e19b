// SPDX-License-Identifier: GPL-3.0-or-later
// DXF R12 (AC1009), the version every CAD program opens, written by dxflib. The
// layer table comes before the entities, so the points are gathered first.
#include <dl_dxf.h>

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <map>
#include <vector>

#include "formats.h"

namespace quorvel {

namespace {

constexpr double kTextHeight = 0.2;  // metres in the drawing

// Text for a DXF string: ASCII as it is, other characters as \U+XXXX.
std::string dxfText(std::string_view text) {
    const std::string clean = cleanText(text);
    std::string out;
    for (std::size_t i = 0; i < clean.size();) {
        const auto c = static_cast<unsigned char>(clean[i]);
        if (c < 0x80) {
            out += static_cast<char>(c);
            ++i;
            continue;
        }
        const std::size_t len = c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : 2;
        std::uint32_t cp = c & (0xFF >> (len + 1));
        for (std::size_t k = 1; k < len; ++k) cp = (cp << 6) | (clean[i + k] & 0x3F);
        char buf[16];
        std::snprintf(buf, sizeof buf, "\\U+%04X", static_cast<unsigned>(cp));
        out += buf;
        i += len;
    }
    return out;
}

// dxflib's ASCII writer formats each value and hands it to dxfString(); this one
// gathers the lines and writes them in large pieces, where the file writer flushes
// a file after each value (five times slower).
class BufferedDxfWriter final : public DL_WriterA {
public:
    BufferedDxfWriter(std::string& out, ByteWriter& sink, DL_Codes::version version)
        : DL_WriterA("", version), m_out(out), m_sink(sink) {}
    bool failed() const { return m_failed; }
    // The shortest text that reads back as the same value: 23.926 where the library
    // writes 23.9259999999999984, and three times faster.
    void dxfReal(int gc, double value) const override {
        char text[512];
        const auto r = std::to_chars(text, text + sizeof text - 3, value, std::chars_format::fixed);
        char* end = r.ec == std::errc() ? r.ptr : text;
        if (std::find(text, end, '.') == end) end = std::copy_n(".0", 2, end);
        *end = '\0';
        dxfString(gc, text);
    }
    void dxfInt(int gc, int value) const override { dxfString(gc, std::to_string(value)); }
    void dxfString(int gc, const std::string& value) const override {
        dxfString(gc, value.c_str());
    }
    void dxfString(int gc, const char* value) const override {
        m_out.append(gc < 10 ? "  " : gc < 100 ? " " : "");
        m_out.append(std::to_string(gc)).append("\n").append(value ? value : "").append("\n");
        if (m_out.size() < 64 * 1024) return;
        m_failed = m_failed || !m_sink.write(m_out);
        m_out.clear();
    }

private:
    std::string& m_out;
    ByteWriter& m_sink;
    mutable bool m_failed = false;
};

class DxfWriter final : public PointWriter {
public:
    explicit DxfWriter(Axes axes) : m_axes(axes) {}
    std::string_view nameLine() const override { return "Output Format: DXF"; }

    bool append(std::string&, const CoordinateLine& line, std::int64_t number) override {
        Point p;
        double x = 0, y = 0;
        if (!toDouble(line.X, x) || !toDouble(line.Y, y) || !toDouble(line.Z, p.z)) return false;
        p.east = m_axes == Axes::XEastYNorth ? x : y;
        p.north = m_axes == Axes::XEastYNorth ? y : x;
        const std::string point = dxfText(line.Point);
        p.label = point.empty() ? std::to_string(number) : point;
        p.zText = dxfText(line.Z);
        auto [it, added] = m_layers.try_emplace(std::string(line.Code));
        if (added) it->second = dxfLayerName(line.Code);
        p.layer = &it->second;
        m_points.push_back(std::move(p));
        return true;
    }

    bool finish(std::string& out, ByteWriter& sink) override {
        return m_points.empty() || write(out, sink);
    }

private:
    struct Point {
        double east = 0, north = 0, z = 0;
        std::string label, zText;
        const std::string* layer = nullptr;
    };

    bool write(std::string& out, ByteWriter& sink) {
        // Every layer a point or text is on, each once.
        std::map<std::string, int> layers{{"0", 0}};
        for (const auto& [code, name] : m_layers)
            for (const char* suffix : {"", "_NO", "_Z"}) layers.emplace(name + suffix, 0);

        DL_Dxf dxf;
        // out() opens no file without a name, but sets the version the entities follow.
        delete dxf.out("", DL_Codes::AC1009);
        const auto dw = std::make_unique<BufferedDxfWriter>(out, sink, DL_Codes::AC1009);
        dxf.writeHeader(*dw);
        // The extents, so that a drawing opens on its points.
        DL_PointData low = {m_points[0].east, m_points[0].north, m_points[0].z}, high = low;
        for (const Point& p : m_points) {
            low = {std::min(low.x, p.east), std::min(low.y, p.north), std::min(low.z, p.z)};
            high = {std::max(high.x, p.east), std::max(high.y, p.north), std::max(high.z, p.z)};
        }
        for (const auto& [name, corner] : {std::pair{"$EXTMIN", low}, {"$EXTMAX", high}}) {
            dw->dxfString(9, name);
            dw->dxfReal(10, corner.x);
            dw->dxfReal(20, corner.y);
            dw->dxfReal(30, corner.z);
        }
        dw->sectionEnd();
        dw->sectionTables();
        dxf.writeVPort(*dw);
        dw->tableLinetypes(1);
        dxf.writeLinetype(*dw, DL_LinetypeData("CONTINUOUS", "Solid line", 0, 0, 0.0));
        dw->tableEnd();
        dw->tableLayers(static_cast<int>(layers.size()));
        for (const auto& [name, unused] : layers)
            dxf.writeLayer(*dw, DL_LayerData(name, 0),
                           DL_Attributes("",
                                         name.ends_with("_NO")  ? DL_Codes::yellow
                                         : name.ends_with("_Z") ? DL_Codes::cyan
                                                                : DL_Codes::white,
                                         0, "CONTINUOUS", 1.0));
        dw->tableEnd();
        dw->tableStyle(1);
        dxf.writeStyle(*dw, DL_StyleData("STANDARD", 0, 0.0, 1.0, 0.0, 0, kTextHeight, "txt", ""));
        dw->tableEnd();
        dxf.writeView(*dw);
        dxf.writeUcs(*dw);
        dw->tableAppid(1);
        dxf.writeAppid(*dw, "ACAD");
        dw->tableEnd();
        dw->sectionEnd();
        dw->sectionBlocks();
        dw->sectionEnd();
        dw->sectionEntities();
        for (const Point& p : m_points) {
            const std::string& layer = *p.layer;
            dxf.writePoint(*dw, DL_PointData(p.east, p.north, p.z),
                           DL_Attributes(layer, 256, 0, "BYLAYER", 1.0));
            // The number up and right of the point, its Z below the number.
            const double x = p.east + kTextHeight, y = p.north + kTextHeight / 2;
            dxf.writeText(*dw,
                          DL_TextData(x, y, p.z, 0, 0, 0, kTextHeight, 1.0, 0, 0, 0, p.label,
                                      "STANDARD", 0.0),
                          DL_Attributes(layer + "_NO", 256, 0, "BYLAYER", 1.0));
            dxf.writeText(*dw,
                          DL_TextData(x, y - 1.5 * kTextHeight, p.z, 0, 0, 0, kTextHeight, 1.0, 0,
                                      0, 0, p.zText, "STANDARD", 0.0),
                          DL_Attributes(layer + "_Z", 256, 0, "BYLAYER", 1.0));
        }
        dw->sectionEnd();
        dw->dxfEOF();
        return !dw->failed();
    }

    Axes m_axes;
    std::map<std::string, std::string> m_layers;  // code -> layer
    std::vector<Point> m_points;
};

}  // namespace

std::unique_ptr<PointWriter> makeDxfWriter(Axes axes) {
    return std::make_unique<DxfWriter>(axes);
}

}  // namespace quorvel
