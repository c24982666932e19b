// SPDX-License-Identifier: GPL-3.0-or-later
// The whole pass over an input: the first byte picks the layout and the reader's
// buffer size; the rest is the observation file. Lines cut at the shortest line
// limit convert exactly as lines held whole. The points window's reading of it
// has a row for each coordinate line, marked as the conversion decides. The points
// to send from it make records of the instrument's widths, with no control character
// that would end or hold the transfer.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "core/conversion.h"
#include "core/observation_reader.h"
#include "core/points.h"
#include "core/send.h"
#include "piecewise_io.h"

namespace {

void check(bool ok) {
    if (!ok) std::abort();
}

// Lines by the plain rule, for comparison: CR, CR LF or LF ends one.
std::int64_t countLines(std::string_view s) {
    std::int64_t n = 0;
    for (std::size_t i = 0; i < s.size(); ++n) {
        while (i < s.size() && s[i] != '\r' && s[i] != '\n') ++i;
        if (i < s.size() && s[i] == '\r' && i + 1 < s.size() && s[i + 1] == '\n') ++i;
        if (i < s.size()) ++i;
    }
    return n;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    // 1-3 the layouts, 4-6 CSV, DXF and LandXML; 7 is no format: nothing is written.
    const int format = data[0] % 7 + 1;
    const auto writes = static_cast<quorvel::OutputFormat>(format);
    const std::string_view text(reinterpret_cast<const char*>(data + 1), size - 1);

    std::string out;
    quorvel::StringWriter writer(out);
    quorvel::MemoryReader in(text);
    quorvel::ConversionCounts counts;
    check(quorvel::convertObservations(in, writer, writes, counts) == quorvel::PassResult::Ok);

    check(counts.LineCount == countLines(text));
    check(counts.CoordinateCount <= counts.LineCount);
    std::int64_t notWritten = 0;
    for (const quorvel::NotWrittenLines& lines : counts.notWritten) notWritten += lines.count;
    check(counts.written + notWritten <= counts.CoordinateCount);
    check(counts.reduced <= counts.CoordinateCount);
    check(format == 7 || counts.written + notWritten == counts.CoordinateCount);
    check(counts.nameLine.empty() || format <= 6);
    if (format == 7) check(out.empty());
    // Layouts and CSV: only whole lines, each ended by CR LF; no other CR or LF.
    check(format > 4 || out.empty() || out.compare(out.size() - 2, 2, "\r\n") == 0);
    for (std::size_t i = 0; format <= 4 && i < out.size(); ++i) {
        if (out[i] == '\r') check(i + 1 < out.size() && out[i + 1] == '\n');
        if (out[i] == '\n') check(i > 0 && out[i - 1] == '\r');
    }

    // Reads of any size, and lines cut at the shortest limit, give the same result.
    std::string again;
    quorvel::StringWriter writer2(again);
    PiecewiseReader pieces(text, data[0] % 7 + 1);
    quorvel::ConversionCounts counts2;
    quorvel::convertObservations(pieces, writer2, {.outputFormat = writes, .lineLimit = 0},
                                 counts2);
    // LandXML states the time it was written.
    check((format == 6 || again == out) &&
          quorvel::closingMessageParts(counts2) == quorvel::closingMessageParts(counts));

    quorvel::MemoryReader in3(text);
    quorvel::PointList points;
    check(quorvel::readPoints(in3, {.outputFormat = writes}, points) == quorvel::PassResult::Ok);
    check(format == 7 || static_cast<std::int64_t>(points.rows.size()) == counts.CoordinateCount);
    std::int64_t unwritten = 0;
    for (const quorvel::PointRow& row : points.rows) unwritten += row.notWritten ? 1 : 0;
    check(format == 7 || unwritten == notWritten);

    quorvel::MemoryReader in4(text);
    quorvel::SendList send;
    check(quorvel::readSendPoints(in4, quorvel::Axes::XNorthYEast, send));
    if (!send.tooLong.empty()) return 0;
    const std::vector<std::string> lines =
        quorvel::sdrRecords(send, quorvel::jobNameFor(text), quorvel::Axes::XNorthYEast, {});
    check(lines.size() == send.points.size() + 2 && lines[1].size() == 26);
    for (std::size_t i = 2; i < lines.size(); ++i) check(lines[i].size() == 84);
    for (const std::string& line : lines)
        check(std::none_of(line.begin(), line.end(),
                           [](char c) { return static_cast<unsigned char>(c) < 0x20; }));
    return 0;
}
