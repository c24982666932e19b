// SPDX-License-Identifier: GPL-3.0-or-later
#include "conversion.h"

#include <cerrno>
#include <cstdio>

#include "fileio.h"
#include "formats.h"
#include "layouts.h"
#include "observation.h"
#include "observation_reader.h"
#include "safe_output.h"
#include "text.h"

namespace quorvel {

namespace {

// Output gathers here and goes out in large writes.
constexpr std::size_t kFlushSize = 64 * 1024;
// Point numbers the closing message names for each reason a line was not written.
constexpr std::size_t kNamedPoints = NotWrittenLines::kNamed;

constexpr const char* kReasonTexts[kNotWrittenReasons] = {
    "without Z",
    "with a second value that is not a number",
    "with a northing or easting that is not a number",
    "with a Z that is not a number",
    "cut off",
    "with angles only",
    "whose station has no 02 record",
    "with a field that is not a number",
    "where ",  // then what the file's header says of its angles
};

std::string countText(std::int64_t n) {
    return " " + std::to_string(n);
}

// A value that runs on past the cut of a long line reaches the line's cut end
// through the third value's field: the third value shows it.
bool runsOnPastTheCut(std::string_view line, const ObservationLayout& layout) {
    const std::string_view third = valueField(line, layout.ThirdIdColumn + 1, layout.ValueWidth);
    return !third.empty() && third.data() + third.size() == line.data() + line.size();
}

void noteNotWritten(ConversionCounts& counts, NotWrittenReason reason, std::string_view point,
                    std::int64_t lineNumber) {
    NotWrittenLines& lines = counts.notWritten[static_cast<std::size_t>(reason)];
    if (lines.points.size() >= kNamedPoints) {
        ++lines.count;
        return;
    }
    lines.add(pointName(point, lineNumber));
}

NotWrittenReason reasonOf(ObservationFault fault) {
    switch (fault) {
        case ObservationFault::AnglesOnly:
            return NotWrittenReason::AnglesOnly;
        case ObservationFault::NoStation:
            return NotWrittenReason::NoStation;
        case ObservationFault::NotANumber:
            return NotWrittenReason::ObservationNotNumber;
        case ObservationFault::CutOff:
            return NotWrittenReason::CutOff;
        case ObservationFault::AnglesNotRead:
            break;
    }
    return NotWrittenReason::AnglesNotRead;
}

// The fields of a line whose position was not read are left empty.
void tellUnread(CoordinateObserver& observer, std::int64_t lineNumber, CoordinateLine& coordinate,
                NotWrittenReason reason, std::string_view station = {}) {
    coordinate.X.clear();
    coordinate.Y.clear();
    coordinate.Z.clear();
    observer.seen(lineNumber, coordinate, reason, station);
}

std::int64_t notWrittenTotal(const ConversionCounts& counts) {
    std::int64_t total = 0;
    for (const NotWrittenLines& lines : counts.notWritten) total += lines.count;
    return total;
}

}  // namespace

std::string listedLines(std::string_view title, const LineGroups& groups) {
    std::int64_t total = 0;
    for (const auto& [lines, why] : groups) total += lines->count;
    std::string text = std::string(title) + ": " + countText(total) + ":";
    const char* separator = " ";
    for (const auto& [lines, why] : groups) {
        if (lines->count == 0) continue;
        text += separator + std::to_string(lines->count) +
                (lines->count == 1 ? " point " : " points ") + std::string(why) + ": ";
        for (std::size_t i = 0; i < lines->points.size(); ++i)
            text += (i == 0 ? "" : ", ") + lines->points[i];
        if (lines->count > static_cast<std::int64_t>(lines->points.size())) text += ", ...";
        separator = "; ";
    }
    return text;
}

std::string notWrittenSummary(const ConversionCounts& counts, std::string_view title) {
    std::array<std::string, kNotWrittenReasons> texts;
    LineGroups groups;
    for (std::size_t r = 0; r < kNotWrittenReasons; ++r) {
        texts[r] = notWrittenText(static_cast<NotWrittenReason>(r), counts);
        groups.emplace_back(&counts.notWritten[r], texts[r]);
    }
    return listedLines(title, groups);
}

std::string notWrittenText(NotWrittenReason reason, const ConversionCounts& counts) {
    std::string text = kReasonTexts[static_cast<std::size_t>(reason)];
    if (reason == NotWrittenReason::AnglesNotRead) text += counts.anglesNotRead;
    return text;
}

namespace {

// One pass over the lines: each coordinate line, read or reduced, goes to the layout
// or format writer as soon as it is decided.
class Pass {
public:
    Pass(ByteWriter& out, const ConversionOptions& options, ConversionCounts& counts)
        : m_out(out),
          m_options(options),
          m_counts(counts),
          m_writer(makePointWriter(options.outputFormat, options.axes)) {
        m_pending.reserve(kFlushSize + 1024);
    }

    // A coordinate line whose position could not be read: counted, not written.
    void unread(std::int64_t lineNumber, CoordinateLine& coordinate, NotWrittenReason reason,
                std::string_view station = {}) {
        noteNotWritten(m_counts, reason, coordinate.Point, lineNumber);
        if (m_options.observer)
            tellUnread(*m_options.observer, lineNumber, coordinate, reason, station);
    }
    // A fixed-column coordinate line whose second value is not a number.
    void unread(std::int64_t lineNumber, std::string_view line, const ObservationLayout& layout) {
        noteNotWritten(m_counts, NotWrittenReason::SecondNotNumber, pointOf(line, layout),
                       lineNumber);
        if (!m_options.observer) return;
        CoordinateLine coordinate;
        coordinate.Point.assign(pointOf(line, layout));
        coordinate.Code.assign(codeOf(line, layout));
        tellUnread(*m_options.observer, lineNumber, coordinate, NotWrittenReason::SecondNotNumber);
    }

    // A coordinate line with its position: to the writer. False when a write failed.
    bool place(std::int64_t lineNumber, const CoordinateLine& coordinate,
               std::string_view station = {}) {
        bool placed = true;
        std::optional<std::string_view> name;
        if (m_writer) {
            name = m_writer->nameLine();
            placed = lacksZ(coordinate) ||
                     m_writer->append(m_pending, coordinate, m_counts.CoordinateCount, lineNumber);
        } else {
            name = appendCoordinateLine(m_pending, m_options.outputFormat, coordinate,
                                        m_counts.CoordinateCount);
        }
        if (!name) return true;
        if (m_counts.nameLine.empty()) m_counts.nameLine = *name;  // the same for every line
        std::optional<NotWrittenReason> reason;
        if (lacksZ(coordinate))
            reason = NotWrittenReason::NoZ;
        else if (!placed)
            reason = NotWrittenReason::ZNotNumber;
        if (reason)
            noteNotWritten(m_counts, *reason, coordinate.Point, lineNumber);
        else
            ++m_counts.written;
        if (m_options.observer) m_options.observer->seen(lineNumber, coordinate, reason, station);
        if (m_pending.size() < kFlushSize) return true;
        if (!m_out.write(m_pending)) return false;
        m_pending.clear();
        return true;
    }

    // The points reduced from observations so far. False when a write failed.
    bool placeReduced(SdrRecords& sdr) {
        while (sdr.take(m_reduced)) {
            ++m_counts.CoordinateCount;
            if (m_reduced.fault) {
                m_counts.anglesNotRead = sdr.anglesNotRead();
                unread(m_reduced.lineNumber, m_reduced.coordinate, reasonOf(*m_reduced.fault),
                       m_reduced.station);
                continue;
            }
            ++m_counts.reduced;
            if (!place(m_reduced.lineNumber, m_reduced.coordinate, m_reduced.station)) return false;
        }
        return true;
    }

    bool finish() {
        if (m_writer) m_counts.renamed = m_writer->renamed();
        if (m_writer && m_counts.written > 0 && !m_writer->finish(m_pending, m_out)) return false;
        return m_pending.empty() || m_out.write(m_pending);
    }

private:
    ByteWriter& m_out;
    const ConversionOptions& m_options;
    ConversionCounts& m_counts;
    // CSV, DXF and LandXML; the layouts take the direct way.
    const std::unique_ptr<PointWriter> m_writer;
    std::string m_pending;  // output gathered for one large write
    ReducedPoint m_reduced;
};

}  // namespace

PassResult convertObservations(ByteReader& in, ByteWriter& out, const ConversionOptions& options,
                               ConversionCounts& counts) {
    counts = ConversionCounts{};
    ObservationLineReader lines(in, 256 * 1024, options.lineLimit);
    CoordinateLine coordinate;
    SdrRecords sdr(options.axes);
    Pass pass(out, options, counts);
    std::string_view line;
    while (lines.next(line)) {
        const std::int64_t lineNumber = ++counts.LineCount;
        // The last line, without a line end, may stop mid-record. Every record ends within
        // the shortest line limit, so a line that long was not cut off (and one held only
        // in part is judged as if held whole).
        const bool unended = lines.unended() && line.size() < ObservationLineReader::kMinLineLimit;
        const SdrRecords::Kind kind = sdr.next(line, lineNumber, unended);
        if (sdr.ready() && !pass.placeReduced(sdr)) return PassResult::WriteFailed;
        if (kind == SdrRecords::Kind::Passed || kind == SdrRecords::Kind::Observation) continue;
        if (kind == SdrRecords::Kind::Coordinate) {
            ++counts.CoordinateCount;
            if (unended && !sdr.complete(line)) {
                coordinate.Code.clear();
                sdr.read(line, coordinate);  // for its point number
                pass.unread(lineNumber, coordinate, NotWrittenReason::CutOff);
                continue;
            }
            if (!sdr.read(line, coordinate)) {
                pass.unread(lineNumber, coordinate, NotWrittenReason::PositionNotNumbers);
                continue;
            }
        } else {
            const ObservationLayout& layout = classify(line);
            if (!isCoordinateLine(line, layout)) continue;
            ++counts.CoordinateCount;
            if (unended && !reachesRecordEnd(line, layout)) {
                // A last line that ends mid-record would give wrong values (99 for 99.328).
                coordinate.Point.assign(pointOf(line, layout));
                coordinate.Code.assign(codeOf(line, layout));
                pass.unread(lineNumber, coordinate, NotWrittenReason::CutOff);
                continue;
            }
            if (lines.cut() && runsOnPastTheCut(line, layout)) line = lines.extendRun();
            if (readCoordinateLine(line, layout, coordinate) != LineOutcome::Complete) {
                pass.unread(lineNumber, line, layout);
                continue;
            }
        }
        if (!pass.place(lineNumber, coordinate)) return PassResult::WriteFailed;
    }
    counts.sdrWidthsAssumed = sdr.widthsAssumed();
    counts.distanceUnit = sdr.distanceUnit();
    if (lines.failed()) return PassResult::ReadFailed;
    sdr.finish();
    if (!pass.placeReduced(sdr) || !pass.finish()) return PassResult::WriteFailed;
    return PassResult::Ok;
}

std::vector<std::string> closingMessageParts(const ConversionCounts& counts,
                                             std::string_view output) {
    std::vector<std::string> parts{
        counts.written > 0 ? std::string("Conversion was Finshed Successfully!")
                           : "Nothing was written to " + std::string(output) + "!",
        "Lines read: " + countText(counts.LineCount),
        "Coordinates Lines: " + countText(counts.CoordinateCount), counts.nameLine};
    for (std::string& detail : closingMessageDetails(counts)) parts.push_back(std::move(detail));
    return parts;
}

std::vector<std::string> closingMessageDetails(const ConversionCounts& counts) {
    std::vector<std::string> parts;
    if (counts.reduced > 0)
        parts.push_back("Reduced from observations: " + std::to_string(counts.reduced));
    if (notWrittenTotal(counts) > 0) parts.push_back(notWrittenSummary(counts));
    const RenamedPoints& renamed = counts.renamed;
    if (renamed.repeated.count + renamed.unnumbered.count > 0)
        parts.push_back(listedLines("Renamed", {{&renamed.repeated, "with a number used before"},
                                                {&renamed.unnumbered, "without a number"}}));
    if (counts.sdrWidthsAssumed)
        parts.emplace_back("SDR field widths not stated in the file: read as 16 characters");
    return parts;
}

ConversionOutcome convertFile(const ConversionRequest& request) {
    ConversionOutcome outcome;
    auto fail = [&](ConversionFailure::Kind kind, const FileError& error) {
        outcome.failure = ConversionFailure{kind, error.path, error.reason()};
        return outcome;
    };
    const bool standardIn = request.dashIsStandardStream && request.observation == "-";
    const bool standardOut = request.dashIsStandardStream && request.output == "-";
    // Creating the output would empty the observation file.
    if (!standardIn && !standardOut && sameFile(request.observation, request.output))
        return fail(ConversionFailure::Kind::SameFile, FileError{request.observation, 0});

    InFile in;
    if (standardIn) {
        in.adopt(stdin, "-");
    } else if (!in.open(request.observation)) {
        return fail(in.error().notFound() ? ConversionFailure::Kind::ObservationNotFound
                                          : ConversionFailure::Kind::Observation,
                    in.error());
    }
    SafeOutFile out;
    if (standardOut) {
        out.openStandardOutput();
    } else if (!out.open(request.output)) {
        return fail(ConversionFailure::Kind::Output, out.error());
    }
    outcome.ran = true;
    const ConversionOptions options{request.outputFormat, request.axes};
    switch (convertObservations(in, out, options, outcome.counts)) {
        case PassResult::ReadFailed:
            out.discard();
            return fail(ConversionFailure::Kind::Observation, in.error());
        case PassResult::WriteFailed: {
            // A writer's own temporary file may fail where the output did not: still a reason.
            FileError error = out.error();
            if (!error) error.code = EIO;
            out.discard();
            return fail(ConversionFailure::Kind::Output, error);
        }
        case PassResult::Ok:
            break;
    }
    // An empty result never takes the place of an earlier file.
    if (outcome.counts.written == 0) {
        out.discard();
        return fail(ConversionFailure::Kind::NothingWritten, FileError{request.output, 0});
    }
    if (!out.commit()) return fail(ConversionFailure::Kind::Output, out.error());
    return outcome;
}

}  // namespace quorvel
