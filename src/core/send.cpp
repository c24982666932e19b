// SPDX-License-Identifier: GPL-3.0-or-later
#include "send.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <optional>

#include "numbers.h"
#include "observation_reader.h"
#include "points.h"
#include "text.h"

namespace quorvel {

namespace {

// The bytes of the first read, given out again before the rest.
class Replay final : public ByteReader {
public:
    Replay(std::string head, ByteReader& rest) : m_head(std::move(head)), m_rest(rest) {}
    std::size_t read(char* buf, std::size_t n) override {
        if (m_at < m_head.size()) {
            const std::size_t k = m_head.copy(buf, n, m_at);
            m_at += k;
            return k;
        }
        return m_rest.read(buf, n);
    }
    bool failed() const override { return m_rest.failed(); }

private:
    std::string m_head;
    std::size_t m_at = 0;
    ByteReader& m_rest;
};

enum class Column { Point, X, Y, East, North, Z, Code, Other };

Column columnNamed(std::string_view name) {
    std::string n(withoutBlanks(name));
    for (char& c : n) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    const auto is = [&](std::initializer_list<std::string_view> names) {
        return std::find(names.begin(), names.end(), n) != names.end();
    };
    if (is({"point", "pt", "id", "name", "point id", "point number", "number"}))
        return Column::Point;
    if (is({"x"})) return Column::X;
    if (is({"y"})) return Column::Y;
    if (is({"e", "east", "easting"})) return Column::East;
    if (is({"n", "north", "northing"})) return Column::North;
    if (is({"z", "h", "height", "elevation", "elev"})) return Column::Z;
    if (is({"code", "description", "desc"})) return Column::Code;
    return Column::Other;
}

// The fields of one CSV line, quotes undone (RFC 4180).
std::vector<std::string> fieldsOf(std::string_view line, char separator) {
    std::vector<std::string> fields(1);
    bool quoted = false;
    for (std::size_t i = 0; i < line.size(); ++i) {
        const char c = line[i];
        if (quoted && c == '"' && i + 1 < line.size() && line[i + 1] == '"')
            fields.back() += line[++i];
        else if (c == '"')
            quoted = !quoted;
        else if (c == separator && !quoted)
            fields.emplace_back();
        else
            fields.back() += c;
    }
    return fields;
}

// Where each column is in a CSV header; nothing when the line is none.
struct Header {
    char separator = ',';
    std::array<int, 7> at{};  // by Column, -1 when missing
};

std::optional<Header> headerOf(std::string_view line) {
    if (line.substr(0, 3) == "\xEF\xBB\xBF") line.remove_prefix(3);  // a spreadsheet's BOM
    for (const char separator : {',', ';'}) {
        Header h;
        h.separator = separator;
        h.at.fill(-1);
        const std::vector<std::string> names = fieldsOf(line, separator);
        for (std::size_t i = 0; i < names.size(); ++i) {
            const Column c = columnNamed(names[i]);
            if (c != Column::Other && h.at[static_cast<std::size_t>(c)] < 0)
                h.at[static_cast<std::size_t>(c)] = static_cast<int>(i);
        }
        const auto has = [&](Column c) { return h.at[static_cast<std::size_t>(c)] >= 0; };
        if (has(Column::Point) && (has(Column::X) || has(Column::East)) &&
            (has(Column::Y) || has(Column::North)))
            return h;
    }
    return std::nullopt;
}

// Text for a record: a control character (STX, ETX, XON, XOFF among them) would end or
// hold the transfer at the instrument, so it goes as a blank; a cut to the width keeps
// whole characters.
std::string recordText(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) c = ' ';
    if (out.size() > kSendWidth) {
        std::size_t n = kSendWidth;
        while (n > 0 && (static_cast<unsigned char>(out[n]) & 0xc0) == 0x80) --n;
        out.resize(n);
    }
    return out;
}

void addPoint(SendList& list, std::string_view id, std::string x, std::string y, std::string z,
              std::string_view code, std::int64_t line) {
    const std::string_view name = withoutBlanks(id);
    if (name.empty()) {
        list.noIds.push_back(pointName({}, line));
        return;
    }
    if (name.size() > kSendWidth) {
        list.longIds.emplace_back(name);
        return;
    }
    code = withoutBlanks(code);
    if (code.size() > kSendWidth) list.cutCodes.emplace_back(name);
    if (list.tooLong.empty() &&
        (x.size() > kSendWidth || y.size() > kSendWidth || z.size() > kSendWidth))
        list.tooLong = name;
    list.points.push_back(
        {recordText(name), std::move(x), std::move(y), std::move(z), recordText(code)});
}

void notSent(SendList& list, NotWrittenReason reason, std::string_view id, std::int64_t line) {
    NotWrittenLines& lines = list.counts.notWritten[static_cast<std::size_t>(reason)];
    lines.add(pointName(withoutBlanks(id), line));
}

bool readCsv(ByteReader& in, const Header& h, Axes axes, SendList& list) {
    ObservationLineReader lines(in);
    std::string_view line;
    std::int64_t number = 0;
    const auto field = [&](const std::vector<std::string>& f, Column c) {
        const int i = h.at[static_cast<std::size_t>(c)];
        return i >= 0 && static_cast<std::size_t>(i) < f.size() ? f[static_cast<std::size_t>(i)]
                                                                : std::string();
    };
    const bool eastNorth = h.at[static_cast<std::size_t>(Column::X)] < 0 ||
                           h.at[static_cast<std::size_t>(Column::Y)] < 0;
    while (lines.next(line)) {
        if (++number == 1 || blank(line)) continue;  // the header, empty lines
        list.counts.LineCount = number;
        ++list.counts.CoordinateCount;
        const std::vector<std::string> f = fieldsOf(line, h.separator);
        const std::string id = field(f, Column::Point);
        std::string first, second;
        if (eastNorth) {
            const XY<std::string> xy = xyOf(field(f, Column::East), field(f, Column::North), axes);
            first = xy.x;
            second = xy.y;
        } else {
            first = field(f, Column::X);
            second = field(f, Column::Y);
        }
        std::string x, y, z;
        if (!appendStrictNumber(first, x) || !appendStrictNumber(second, y)) {
            notSent(list, NotWrittenReason::PositionNotNumbers, id, number);
            continue;
        }
        const std::string height = field(f, Column::Z);
        if (blank(height)) {
            notSent(list, NotWrittenReason::NoZ, id, number);
            continue;
        }
        if (!appendStrictNumber(height, z)) {
            notSent(list, NotWrittenReason::ZNotNumber, id, number);
            continue;
        }
        addPoint(list, id, x, y, z, field(f, Column::Code), number);
    }
    list.counts.LineCount = number;
    return !lines.failed();
}

std::string padRight(std::string_view s) {
    std::string out(s);
    if (out.size() < kSendWidth) out.append(kSendWidth - out.size(), ' ');
    return out;
}

std::string padLeft(std::string_view s) {
    return std::string(s.size() < kSendWidth ? kSendWidth - s.size() : 0, ' ') + std::string(s);
}

}  // namespace

bool readSendPoints(ByteReader& in, Axes axes, SendList& list) {
    list = SendList{};
    // The first line decides: a CSV header, or a file Convert reads.
    std::string head;
    char buf[4096];
    while (head.find_first_of("\r\n") == std::string::npos && head.size() < 64 * 1024) {
        const std::size_t n = in.read(buf, sizeof buf);
        if (n == 0) break;
        head.append(buf, n);
    }
    if (in.failed()) return false;
    Replay whole(head, in);
    const std::optional<Header> header = headerOf(head.substr(0, head.find_first_of("\r\n")));
    if (header) {
        list.csv = true;
        return readCsv(whole, *header, axes, list);
    }
    PointList points;
    if (readPoints(whole, {OutputFormat::Autocogo1, axes}, points) != PassResult::Ok) return false;
    list.counts = points.counts;
    for (const PointRow& row : points.rows) {
        if (row.notWritten) continue;  // counted, with its reason
        double z = 0;
        if (!toDouble(row.z, z)) {
            notSent(list, NotWrittenReason::ZNotNumber, row.point, row.line);
            continue;
        }
        addPoint(list, row.point, row.x, row.y, row.z, row.code, row.line);
    }
    return true;
}

std::vector<std::string> sendNotes(const SendList& list) {
    const auto named = [](const std::vector<std::string>& names) {
        NotWrittenLines lines;
        for (const std::string& name : names) lines.add(name);
        return lines;
    };
    std::array<std::string, kNotWrittenReasons> reasons;
    LineGroups groups;
    for (std::size_t r = 0; r < kNotWrittenReasons; ++r) {
        reasons[r] = notWrittenText(static_cast<NotWrittenReason>(r), list.counts);
        groups.emplace_back(&list.counts.notWritten[r], reasons[r]);
    }
    const NotWrittenLines longIds = named(list.longIds), noIds = named(list.noIds);
    groups.emplace_back(&longIds, "with an id longer than 16 characters");
    groups.emplace_back(&noIds, "without a point id");
    std::vector<std::string> notes;
    std::int64_t total = 0;
    for (const auto& [lines, why] : groups) total += lines->count;
    if (total > 0) notes.push_back(listedLines("Not sent", groups));
    const NotWrittenLines cut = named(list.cutCodes);
    if (cut.count > 0)
        notes.push_back(listedLines("Codes cut to 16 characters", {{&cut, "with a longer code"}}));
    return notes;
}

std::vector<std::string> sdrRecords(const SendList& list, std::string_view job, Axes axes,
                                    const std::tm& when) {
    static const char* const kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                          "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    char date[32];
    std::snprintf(date, sizeof date, "%02d-%s-%02d %02d:%02d", when.tm_mday,
                  kMonths[std::clamp(when.tm_mon, 0, 11)], (when.tm_year + 1900) % 100,
                  when.tm_hour, when.tm_min);
    // Column 45 says which coordinate comes first: 1 the northing, 2 the easting. X goes
    // first, so it says which X is.
    const char* const flags = axes == Axes::XEastYNorth ? "111121" : "111111";
    std::vector<std::string> lines;
    lines.reserve(list.points.size() + 2);
    lines.push_back("00NM" + padRight("SDR33") + "    " + date + " " + flags);
    lines.push_back("10NM" + padRight(recordText(job)) + "121111");
    for (const SendPoint& p : list.points)
        lines.push_back("08KI" + padLeft(p.id) + padRight(p.x) + padRight(p.y) + padRight(p.z) +
                        padRight(p.code));
    return lines;
}

std::string framedText(const std::vector<std::string>& lines) {
    std::string text(1, kStx);
    for (const std::string& line : lines) text += line + "\r\n";
    return text + kEtx;
}

std::string jobNameFor(std::string_view path) {
    const std::size_t slash = path.find_last_of("/\\");
    std::string_view name = path.substr(slash == std::string_view::npos ? 0 : slash + 1);
    const std::size_t dot = name.rfind('.');
    if (dot != std::string_view::npos && dot > 0) name = name.substr(0, dot);
    return recordText(name);
}

}  // namespace quorvel
