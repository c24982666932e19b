// SPDX-License-Identifier: GPL-3.0-or-later
#include "formats.h"

#include <charconv>
#include <cmath>
#include <cstdio>

#include "text.h"

namespace quorvel {

namespace {

constexpr std::string_view kNames[] = {"Autocogo 1", "Autocogo 2", "Autocogo 3",
                                       "CSV",        "DXF",        "LandXML"};

// RFC 4180: a field is quoted when a reader would otherwise split or trim it.
void appendCsvField(std::string& out, std::string_view field) {
    const bool quote = field.find_first_of(",\"\r\n") != std::string_view::npos ||
                       (!field.empty() && (field.front() == ' ' || field.back() == ' '));
    if (!quote) {
        out += field;
        return;
    }
    out += '"';
    for (const char c : field) {
        if (c == '"') out += '"';
        out += c;
    }
    out += '"';
}

class CsvWriter final : public PointWriter {
public:
    std::string_view nameLine() const override { return "Output Format: CSV"; }
    bool append(std::string& out, const CoordinateLine& line, std::int64_t, std::int64_t) override {
        if (!m_started) out += "Point,X,Y,Z,Code\r\n";
        m_started = true;
        appendCsvField(out, withoutTrailingBlanks(line.Point));
        for (const std::string_view field :
             {std::string_view(line.X), std::string_view(line.Y), std::string_view(line.Z),
              withoutTrailingBlanks(line.Code)}) {
            out += ',';
            appendCsvField(out, field);
        }
        out += "\r\n";
        return true;
    }
    bool finish(std::string&, ByteWriter&) override { return true; }

private:
    bool m_started = false;
};

}  // namespace

std::string_view formatName(OutputFormat format) {
    const int n = numberOf(format);
    return n >= 1 && n <= static_cast<int>(kOutputFormats.size()) ? kNames[n - 1]
                                                                  : std::string_view{};
}

std::string_view formatExtension(OutputFormat format) {
    switch (format) {
        case OutputFormat::Csv:
            return ".csv";
        case OutputFormat::Dxf:
            return ".dxf";
        case OutputFormat::LandXml:
            return ".xml";
        default:
            return {};
    }
}

std::unique_ptr<PointWriter> makePointWriter(OutputFormat format, [[maybe_unused]] Axes axes) {
    switch (format) {
        case OutputFormat::Csv:
            return std::make_unique<CsvWriter>();
#ifdef QUORVEL_LIBRARY_FORMATS
        case OutputFormat::Dxf:
            return makeDxfWriter(axes);
        case OutputFormat::LandXml:
            return makeLandXmlWriter(axes);
#endif
        default:
            return nullptr;
    }
}

std::string dxfLayerName(std::string_view code) {
    code = withoutTrailingBlanks(code);
    if (code.empty()) return "0";
    std::string name;
    bool valid = code.size() <= 28;
    for (char c : code) {
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
        const bool ok =
            (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '$' || c == '-' || c == '_';
        valid = valid && ok;
        name += ok ? c : '_';
    }
    if (valid) return name;
    // FNV-1a of the code in capitals: the same code always gives the same layer.
    std::uint32_t hash = 2166136261u;
    for (char c : code) {
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
        hash = (hash ^ static_cast<unsigned char>(c)) * 16777619u;
    }
    char tail[8];
    std::snprintf(tail, sizeof tail, "$%04X",
                  static_cast<unsigned>((hash ^ (hash >> 16)) & 0xFFFF));
    return name.substr(0, 23) + tail;
}

std::string cleanText(std::string_view text) {
    text = withoutTrailingBlanks(text);
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t len = utf8Length(text, i);
        const auto c = static_cast<unsigned char>(text[i]);
        if (len == 0 || (c < 0x20 && c != '\t') || c == 0x7F) {
            out += "\xEF\xBF\xBD";
            ++i;
            continue;
        }
        out.append(text, i, len);
        i += len;
    }
    return out;
}

}  // namespace quorvel
