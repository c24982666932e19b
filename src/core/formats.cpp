// SPDX-License-Identifier: GPL-3.0-or-later
#include "formats.h"

#include <charconv>
#include <cmath>
#include <cstdio>

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

// The fixed columns' padding is no part of a name or code: a GIS filters by "TRIG".
std::string_view withoutTrailingBlanks(std::string_view text) {
    return text.substr(0, text.find_last_not_of(' ') + 1);
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

// Length of the valid UTF-8 sequence at s[i] (no overlong forms, no surrogates), 0 if none.
std::size_t utf8Length(std::string_view s, std::size_t i) {
    const auto at = [&](std::size_t k) { return static_cast<unsigned char>(s[k]); };
    const unsigned char lead = at(i);
    if (lead < 0x80) return 1;
    std::size_t len = 0;
    unsigned char low = 0x80, high = 0xBF;  // range of the second byte
    if (lead >= 0xC2 && lead <= 0xDF) {
        len = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        len = 3;
        if (lead == 0xE0) low = 0xA0;
        if (lead == 0xED) high = 0x9F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        len = 4;
        if (lead == 0xF0) low = 0x90;
        if (lead == 0xF4) high = 0x8F;
    } else {
        return 0;
    }
    if (i + len > s.size() || at(i + 1) < low || at(i + 1) > high) return 0;
    for (std::size_t k = 2; k < len; ++k)
        if ((at(i + k) & 0xC0) != 0x80) return 0;
    return len;
}

}  // namespace

std::string_view formatName(int format) {
    return format >= 1 && format <= kFormatCount ? kNames[format - 1] : std::string_view{};
}

std::unique_ptr<PointWriter> makePointWriter(int format, [[maybe_unused]] Axes axes) {
    switch (format) {
        case kFormatCsv:
            return std::make_unique<CsvWriter>();
#ifdef QUORVEL_LIBRARY_FORMATS
        case kFormatDxf:
            return makeDxfWriter(axes);
        case kFormatLandXml:
            return makeLandXmlWriter(axes);
#endif
        default:
            return nullptr;
    }
}

std::string dxfLayerName(std::string_view code) {
    code = code.substr(0, code.find_last_not_of(' ') + 1);
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

bool toDouble(std::string_view text, double& value) {
    const std::size_t first = text.find_first_not_of(' ');
    if (first == std::string_view::npos) return false;
    text = text.substr(first, text.find_last_not_of(' ') + 1 - first);
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    const auto r = std::from_chars(text.data(), text.data() + text.size(), value);
    return r.ec == std::errc() && r.ptr == text.data() + text.size() && std::isfinite(value);
}

std::string cleanText(std::string_view text) {
    text = text.substr(0, text.find_last_not_of(' ') + 1);
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
