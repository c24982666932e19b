// SPDX-License-Identifier: GPL-3.0-or-later
// DXF R12 (AC1009), the version every CAD program opens, written by dxflib. The
// layer table comes before the entities, so the points are kept as short records,
// in an unnamed temporary file once there are many, and drawn after the tables:
// memory stays the same whatever the size of the file.
#include <dl_dxf.h>

#include <algorithm>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <map>
#include <memory>
#include <vector>

#include "fileio.h"
#include "formats.h"
#include "numbers.h"
#include "text.h"

namespace quorvel {

namespace {

constexpr std::size_t kBufferSize = 64 * 1024;  // written out when a buffer reaches it

// Text for a DXF string: ASCII as it is, other characters as \U+XXXX.
std::string dxfText(std::string_view text) {
    // Printable ASCII, nearly every point name and Z, is kept as it is.
    text = withoutTrailingBlanks(text);
    if (std::all_of(text.begin(), text.end(),
                    [](char c) { return (c >= 0x20 && c < 0x7F) || c == '\t'; }))
        return std::string(text);
    std::string clean = cleanText(text);
    if (std::all_of(clean.begin(), clean.end(), [](char c) { return c >= 0; })) return clean;
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

// Writes `value` with the fewest decimals that read back as the same double, the
// text std::to_chars gives, but several times faster for the few decimals of survey
// values; returns nullptr for the others (up to 17 digits, huge, not finite).
// With value * 10^k below 2^40 a double's spacing there is under 2^-12, so only the
// integer nearest to it can read back as `value` with k decimals; the first k that
// works, from 3 up (millimetres, the usual case), has the shortest text followed by
// zeros. An integer that is that near but does not read back also rules out the
// next three k: their nearest integers are it times 10, 100, 1000.
char* writeShortFixed(char* p, double value) {
    if (std::signbit(value)) {
        *p++ = '-';
        value = -value;
    }
    double scale = 1000;  // 10^k, exact
    for (int k = 3; k <= 6; ++k, scale *= 10) {
        const double scaled = value * scale;
        if (!(scaled < 0x1p40)) return nullptr;  // NaN too
        auto n = static_cast<std::uint64_t>(scaled + 0.5);
        const double off = scaled - static_cast<double>(n);  // exact
        if (off > 0x1p-12 || off < -0x1p-12) continue;
        if (static_cast<double>(n) / scale != value) return nullptr;
        for (; k > 0 && n % 10 == 0; --k) n /= 10;
        char digits[24];  // backwards, at least k + 1 of them
        int count = 0;
        for (std::uint64_t u = n; u > 0 || count <= k; u /= 10)
            digits[count++] = static_cast<char>('0' + u % 10);
        while (count > k) *p++ = digits[--count];
        *p++ = '.';
        if (k == 0) *p++ = '0';
        while (count > 0) *p++ = digits[--count];
        return p;
    }
    return nullptr;
}

// The group code line of each code below 1000, right-aligned in three columns:
// dxflib formats them one by one.
struct GroupCodes {
    char text[1000][4];
    constexpr GroupCodes() : text() {
        for (int gc = 0; gc < 1000; ++gc) {
            text[gc][0] = gc < 100 ? ' ' : static_cast<char>('0' + gc / 100);
            text[gc][1] = gc < 10 ? ' ' : static_cast<char>('0' + gc / 10 % 10);
            text[gc][2] = static_cast<char>('0' + gc % 10);
            text[gc][3] = '\n';
        }
    }
};
constexpr GroupCodes kGroupCodes;

// dxflib's ASCII writer formats each value and hands it to dxfString(); this one
// gathers the lines in a buffer and writes them in large pieces, where the file
// writer flushes a file after each value (five times slower).
class BufferedDxfWriter final : public DL_WriterA {
public:
    explicit BufferedDxfWriter(ByteWriter& sink)
        : DL_WriterA("", DL_Codes::AC1009),
          m_sink(sink),
          m_buffer(new char[kBufferSize + kSlack]),
          m_reals(new Real[kRealCount]) {}
    bool failed() const { return m_failed; }
    /// Writes what the buffer holds; false once any write failed.
    bool flush() const {
        if (m_used > 0) m_failed = m_failed || !m_sink.write(m_buffer.get(), m_used);
        m_used = 0;
        return !m_failed;
    }
    // The shortest text that reads back as the same value: 23.926 where the library
    // writes 23.9259999999999984. Each point's X and Z come three times and the text
    // sizes and angles are the same for all, so recent texts are kept by value.
    void dxfReal(int gc, double value) const override {
        const auto bits = std::bit_cast<std::uint64_t>(value);
        Real& real = m_reals[(bits * 0x9E3779B97F4A7C15) >> (64 - kRealBits)];
        if (real.size == 0 || real.bits != bits) {
            char text[512];
            char* end = writeShortFixed(text, value);
            if (end == nullptr) {
                const auto r =
                    std::to_chars(text, text + sizeof text - 3, value, std::chars_format::fixed);
                end = r.ec == std::errc() ? r.ptr : text;
                if (std::find(text, end, '.') == end) end = std::copy_n(".0", 2, end);
            }
            const auto size = static_cast<std::size_t>(end - text);
            if (size > sizeof real.text) return put(gc, {text, size});  // too long to keep
            std::copy_n(text, size, real.text);
            real.bits = bits;
            real.size = static_cast<unsigned char>(size);
        }
        putShort(gc, real.text, real.size);
    }
    void dxfInt(int gc, int value) const override {
        char text[kShort];
        putShort(gc, text,
                 static_cast<std::size_t>(std::to_chars(text, text + 16, value).ptr - text));
    }
    void dxfString(int gc, const std::string& value) const override { put(gc, value); }
    void dxfString(int gc, const char* value) const override { put(gc, value ? value : ""); }

private:
    static constexpr std::size_t kShort = 32;  // a number's text at most, mostly
    static constexpr std::size_t kSlack = 64;  // room past the buffer for copying kShort
    static constexpr int kRealBits = 6;
    static constexpr std::size_t kRealCount = std::size_t{1} << kRealBits;
    struct Real {
        std::uint64_t bits = 0;
        unsigned char size = 0;  // 0: empty
        char text[kShort] = {};
    };

    // The group code line of `gc`.
    static std::string_view groupCode(int gc, char (&other)[16]) {
        if (gc >= 0 && gc < 1000) return {kGroupCodes.text[gc], 4};
        char* end = std::copy_n("  ", gc < 10 ? 2 : gc < 100 ? 1 : 0, other);
        end = std::to_chars(end, other + sizeof other - 1, gc).ptr;
        *end++ = '\n';
        return {other, static_cast<std::size_t>(end - other)};
    }

    // The group code line, then the value line.
    void put(int gc, std::string_view value) const {
        char other[16];
        const std::string_view code = groupCode(gc, other);
        const std::size_t size = code.size() + value.size() + 1;
        if (m_used + size > kBufferSize) flush();
        if (size > kBufferSize) {  // a text longer than the buffer goes straight through
            m_failed =
                m_failed || !m_sink.write(code) || !m_sink.write(value) || !m_sink.write("\n", 1);
            return;
        }
        char* p = copyShort(m_buffer.get() + m_used, code);
        p = copyShort(p, value);
        *p++ = '\n';
        m_used = static_cast<std::size_t>(p - m_buffer.get());
    }
    // Most values are a few bytes, where a call to memcpy costs more than the copy:
    // two overlapping moves of 8 or 4 bytes copy 4 to 16.
    static char* copyShort(char* to, std::string_view from) {
        const std::size_t n = from.size();
        if (n > 16) return std::copy(from.begin(), from.end(), to);
        if (n >= 8) {
            std::memcpy(to, from.data(), 8);
            std::memcpy(to + n - 8, from.data() + n - 8, 8);
        } else if (n >= 4) {
            std::memcpy(to, from.data(), 4);
            std::memcpy(to + n - 4, from.data() + n - 4, 4);
        } else {
            for (std::size_t i = 0; i < n; ++i) to[i] = from[i];
        }
        return to + n;
    }
    // As put() for `size` bytes at `text` where kShort can be read: copies of a fixed
    // size are a few moves, where a call to memcpy costs more than the copy.
    void putShort(int gc, const char* text, std::size_t size) const {
        if (gc < 0 || gc >= 1000 || size > kShort) return put(gc, {text, size});
        if (m_used + 4 + size + 1 > kBufferSize) flush();
        char* p = m_buffer.get() + m_used;
        std::memcpy(p, kGroupCodes.text[gc], 4);
        std::memcpy(p + 4, text, kShort);  // the buffer has kSlack bytes more
        p[4 + size] = '\n';
        m_used += 4 + size + 1;
    }

    ByteWriter& m_sink;
    std::unique_ptr<char[]> m_buffer;
    mutable std::size_t m_used = 0;
    mutable bool m_failed = false;
    std::unique_ptr<Real[]> m_reals;  // by a hash of the value
};

// Reads back the records DxfWriter keeps, in large blocks.
class RecordReader {
public:
    explicit RecordReader(ByteReader& in) : m_in(in), m_block(new char[kBufferSize]) {}
    /// No more bytes (or a failed read: the caller asks the ByteReader).
    bool atEnd() { return m_at == m_size && !refill(); }
    /// Copies the next `n` bytes to `to`; false when the input ends first.
    bool take(void* to, std::size_t n) {
        auto* p = static_cast<char*>(to);
        while (n > 0) {
            if (m_at == m_size && !refill()) return false;
            const std::size_t k = std::min(n, m_size - m_at);
            p = std::copy_n(m_block.get() + m_at, k, p);
            m_at += k;
            n -= k;
        }
        return true;
    }
    bool take(std::string& text, std::size_t n) {
        text.resize(n);
        return take(text.data(), n);
    }

private:
    bool refill() {
        m_at = 0;
        m_size = m_in.read(m_block.get(), kBufferSize);
        return m_size > 0;
    }

    ByteReader& m_in;
    std::unique_ptr<char[]> m_block;
    std::size_t m_at = 0, m_size = 0;
};

class DxfWriter final : public PointWriter {
public:
    explicit DxfWriter(Axes axes) : m_axes(axes) {}
    std::string_view nameLine() const override { return "Output Format: DXF"; }

    bool append(std::string&, const CoordinateLine& line, std::int64_t number,
                std::int64_t) override {
        double x = 0, y = 0;
        Record r;
        if (!toDouble(line.X, x) || !toDouble(line.Y, y) || !toDouble(line.Z, r.z)) return false;
        const EastNorth<double> at = eastNorth(x, y, m_axes);
        r.east = at.east;
        r.north = at.north;
        if (m_count++ == 0) m_low = m_high = {r.east, r.north, r.z};
        m_low = {std::min(m_low.x, r.east), std::min(m_low.y, r.north), std::min(m_low.z, r.z)};
        m_high = {std::max(m_high.x, r.east), std::max(m_high.y, r.north), std::max(m_high.z, r.z)};

        auto it = m_layers.find(line.Code);
        if (it == m_layers.end()) {
            it = m_layers.emplace(line.Code, Layer(dxfLayerName(line.Code), m_layerOrder.size()))
                     .first;
            m_layerOrder.push_back(&it->second);
        }
        r.layer = it->second.index;
        std::string label = dxfText(line.Point);
        if (label.empty()) label = std::to_string(number);
        const std::string zText = dxfText(line.Z);
        r.labelSize = label.size();
        r.zSize = zText.size();
        m_records.append(reinterpret_cast<const char*>(&r), sizeof r).append(label).append(zText);
        if (m_records.size() >= kBufferSize) spill();
        return true;
    }

    bool finish(std::string& out, ByteWriter& sink) override {
        return m_count == 0 || write(out, sink);
    }

private:
    // A code's layer and the attributes of what goes on it and its _NO and _Z layers.
    struct Layer {
        Layer(const std::string& name, std::size_t index)
            : name(name),
              index(index),
              point(name, 256, 0, "BYLAYER", 1.0),
              number(name + "_NO", 256, 0, "BYLAYER", 1.0),
              z(name + "_Z", 256, 0, "BYLAYER", 1.0) {}
        std::string name;
        std::size_t index;  // in m_layerOrder
        DL_Attributes point, number, z;
    };
    // A point as kept, followed by the texts of its number and Z.
    struct Record {
        double east = 0, north = 0, z = 0;
        std::size_t layer = 0;  // in m_layerOrder
        std::size_t labelSize = 0, zSize = 0;
    };

    // Moves the records to the temporary file, created at the first time.
    void spill() {
        if (!m_temp && !m_tempFailed) {
            m_temp.reset(std::tmpfile());
            m_tempFailed = !m_temp;
            if (m_temp) m_tempOut.adopt(m_temp.get(), "temporary file");
        }
        m_tempFailed = m_tempFailed || !m_tempOut.write(m_records);
        m_records.clear();
    }

    bool write(std::string& out, ByteWriter& sink) {
        // Every layer a point or text is on, each once.
        std::map<std::string, int> layers{{"0", 0}};
        for (const auto& [code, layer] : m_layers)
            for (const char* suffix : {"", "_NO", "_Z"}) layers.emplace(layer.name + suffix, 0);

        if (!out.empty() && !sink.write(out)) return false;
        out.clear();
        DL_Dxf dxf;
        // out() opens no file without a name, but sets the version the entities follow.
        delete dxf.out("", DL_Codes::AC1009);
        BufferedDxfWriter dw(sink);
        dxf.writeHeader(dw);
        // The extents, so that a drawing opens on its points.
        for (const auto& [name, corner] : {std::pair{"$EXTMIN", m_low}, {"$EXTMAX", m_high}}) {
            dw.dxfString(9, name);
            dw.dxfReal(10, corner.x);
            dw.dxfReal(20, corner.y);
            dw.dxfReal(30, corner.z);
        }
        dw.sectionEnd();
        dw.sectionTables();
        dxf.writeVPort(dw);
        dw.tableLinetypes(1);
        dxf.writeLinetype(dw, DL_LinetypeData("CONTINUOUS", "Solid line", 0, 0, 0.0));
        dw.tableEnd();
        dw.tableLayers(static_cast<int>(layers.size()));
        for (const auto& [name, unused] : layers)
            dxf.writeLayer(dw, DL_LayerData(name, 0),
                           DL_Attributes("",
                                         name.ends_with("_NO")  ? DL_Codes::yellow
                                         : name.ends_with("_Z") ? DL_Codes::cyan
                                                                : DL_Codes::white,
                                         0, "CONTINUOUS", 1.0));
        dw.tableEnd();
        dw.tableStyle(1);
        const double height = dxfTextHeight(m_high.x - m_low.x, m_high.y - m_low.y);
        dxf.writeStyle(dw, DL_StyleData("STANDARD", 0, 0.0, 1.0, 0.0, 0, height, "txt", ""));
        dw.tableEnd();
        dxf.writeView(dw);
        dxf.writeUcs(dw);
        dw.tableAppid(1);
        dxf.writeAppid(dw, "ACAD");
        dw.tableEnd();
        dw.sectionEnd();
        dw.sectionBlocks();
        dw.sectionEnd();
        dw.sectionEntities();
        if (!writeEntities(dxf, dw, height)) return false;
        dw.sectionEnd();
        dw.dxfEOF();
        return dw.flush();
    }

    // The entities of the records, from memory or from the temporary file; false when
    // a record could not be kept or read back whole.
    bool writeEntities(DL_Dxf& dxf, BufferedDxfWriter& dw, double height) {
        MemoryReader memory(m_records);
        InFile file;
        ByteReader* in = &memory;
        if (m_temp || m_tempFailed) {
            spill();
            if (m_tempFailed || !m_tempOut.flush() || std::fseek(m_temp.get(), 0, SEEK_SET) != 0)
                return false;
            file.adopt(m_temp.get(), "temporary file");
            in = &file;
        }
        RecordReader records(*in);
        // Each text's attributes but its place and words.
        DL_TextData text(0, 0, 0, 0, 0, 0, height, 1.0, 0, 0, 0, "", "STANDARD", 0.0);
        std::string zText;
        std::int64_t count = 0;
        Record r;
        while (!records.atEnd()) {
            if (!records.take(&r, sizeof r) || r.layer >= m_layerOrder.size() ||
                !records.take(text.text, r.labelSize) || !records.take(zText, r.zSize))
                return false;
            const Layer& layer = *m_layerOrder[r.layer];
            dxf.writePoint(dw, DL_PointData(r.east, r.north, r.z), layer.point);
            // The number up and right of the point, its Z below the number.
            text.ipx = r.east + height;
            text.ipy = r.north + height / 2;
            text.ipz = r.z;
            dxf.writeText(dw, text, layer.number);
            text.ipy -= 1.5 * height;
            text.text = zText;
            dxf.writeText(dw, text, layer.z);
            ++count;
        }
        file.close();
        m_tempOut.close();
        m_temp.reset();  // frees its space now
        return !in->failed() && count == m_count && !dw.failed();
    }

    struct CloseFile {
        void operator()(std::FILE* file) const { std::fclose(file); }
    };

    Axes m_axes;
    std::map<std::string, Layer, std::less<>> m_layers;  // by code
    std::vector<const Layer*> m_layerOrder;              // as they came
    std::int64_t m_count = 0;                            // of points
    DL_PointData m_low, m_high;                          // the extents so far
    std::string m_records;                               // not yet in m_temp
    std::unique_ptr<std::FILE, CloseFile> m_temp;        // removed when closed
    OutFile m_tempOut;
    bool m_tempFailed = false;
};

}  // namespace

double dxfTextHeight(double width, double height) {
    const double side = std::max(width, height) / 400;
    if (!(side > kLeastTextHeight) || !std::isfinite(side)) return kLeastTextHeight;
    // Two significant digits: 12 on a 5 km job, not 12.3456.
    const double step = std::pow(10.0, std::floor(std::log10(side)) - 1);
    return std::max(kLeastTextHeight, std::round(side / step) * step);
}

std::unique_ptr<PointWriter> makeDxfWriter(Axes axes) {
    return std::make_unique<DxfWriter>(axes);
}

}  // namespace quorvel
