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

void noteNotWritten(ConversionCounts& counts, NotWrittenReason reason, std::string_view point) {
    NotWrittenLines& lines = counts.notWritten[static_cast<std::size_t>(reason)];
    ++lines.count;
    if (lines.points.size() >= kNamedPoints) return;
    point = point.substr(0, point.find_last_not_of(' ') + 1);
    // A line without a point number is named by its place in the file.
    lines.points.emplace_back(point.empty() ? "line " + std::to_string(counts.LineCount)
                                            : std::string(point));
}

// The fields of a line whose position was not read are left empty.
void tellUnread(CoordinateObserver& observer, std::int64_t lineNumber, CoordinateLine& coordinate,
                NotWrittenReason reason) {
    coordinate.X.clear();
    coordinate.Y.clear();
    coordinate.Z.clear();
    observer.seen(lineNumber, coordinate, reason);
}

// A last line that ends mid-record would give wrong values (99 for 99.328): none are taken.
void noteCutOff(ConversionCounts& counts, const ConversionOptions& options,
                CoordinateLine& coordinate) {
    noteNotWritten(counts, NotWrittenReason::CutOff, coordinate.Point);
    if (options.observer)
        tellUnread(*options.observer, counts.LineCount, coordinate, NotWrittenReason::CutOff);
}

std::int64_t notWrittenTotal(const ConversionCounts& counts) {
    std::int64_t total = 0;
    for (const NotWrittenLines& lines : counts.notWritten) total += lines.count;
    return total;
}

// "Title:  7: 6 points why: 1, 2, 3, 4, 5, ...; 1 point why: 9", the groups that have lines.
using LineGroups = std::vector<std::pair<const NotWrittenLines*, std::string_view>>;
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

}  // namespace

std::string notWrittenSummary(const ConversionCounts& counts) {
    LineGroups groups;
    for (std::size_t r = 0; r < kNotWrittenReasons; ++r)
        groups.emplace_back(&counts.notWritten[r], kReasonTexts[r]);
    return listedLines("Not written", groups);
}

std::string_view notWrittenText(NotWrittenReason reason) {
    return kReasonTexts[static_cast<std::size_t>(reason)];
}

PassResult convertObservations(ByteReader& in, ByteWriter& out, const ConversionOptions& options,
                               ConversionCounts& counts) {
    counts = ConversionCounts{};
    ObservationLineReader lines(in, 256 * 1024, options.lineLimit);
    CoordinateLine coordinate;
    std::string pending;
    pending.reserve(kFlushSize + 1024);
    SdrRecords sdr;
    // CSV, DXF and LandXML; the layouts take the direct way below.
    const std::unique_ptr<PointWriter> writer = makePointWriter(options.outputFormat, options.axes);
    std::string_view line;
    while (lines.next(line)) {
        ++counts.LineCount;
        const SdrRecords::Kind kind = sdr.next(line);
        if (kind == SdrRecords::Kind::Passed) continue;
        if (kind == SdrRecords::Kind::Coordinate) {
            ++counts.CoordinateCount;
            if (lines.unended() && !sdr.complete(line)) {
                coordinate.Code.clear();
                sdr.read(line, options.axes, coordinate);  // for its point number
                noteCutOff(counts, options, coordinate);
                continue;
            }
            if (!sdr.read(line, options.axes, coordinate)) {
                noteNotWritten(counts, NotWrittenReason::PositionNotNumbers, coordinate.Point);
                if (options.observer)
                    tellUnread(*options.observer, counts.LineCount, coordinate,
                               NotWrittenReason::PositionNotNumbers);
                continue;
            }
        } else {
            const ObservationLayout& layout = classify(line);
            if (!isCoordinateLine(line, layout)) continue;
            ++counts.CoordinateCount;
            if (lines.unended() && !reachesRecordEnd(line, layout)) {
                coordinate.Point.assign(pointOf(line, layout));
                coordinate.Code.assign(codeOf(line, layout));
                noteCutOff(counts, options, coordinate);
                continue;
            }
            if (lines.cut() && runsOnPastTheCut(line, layout)) line = lines.extendRun();
            if (readCoordinateLine(line, layout, coordinate) != LineOutcome::Complete) {
                noteNotWritten(counts, NotWrittenReason::SecondNotNumber, pointOf(line, layout));
                if (options.observer) {
                    coordinate.Point.assign(pointOf(line, layout));
                    coordinate.Code.assign(codeOf(line, layout));
                    tellUnread(*options.observer, counts.LineCount, coordinate,
                               NotWrittenReason::SecondNotNumber);
                }
                continue;
            }
        }
        bool placed = true;
        std::optional<std::string_view> name;
        if (writer) {
            name = writer->nameLine();
            placed = lacksZ(coordinate) ||
                     writer->append(pending, coordinate, counts.CoordinateCount, counts.LineCount);
        } else {
            name = appendCoordinateLine(pending, options.outputFormat, coordinate,
                                        counts.CoordinateCount);
        }
        if (!name) continue;
        if (counts.nameLine.empty()) counts.nameLine = *name;  // the same for every line
        std::optional<NotWrittenReason> reason;
        if (lacksZ(coordinate))
            reason = NotWrittenReason::NoZ;
        else if (!placed)
            reason = NotWrittenReason::ZNotNumber;
        if (reason)
            noteNotWritten(counts, *reason, coordinate.Point);
        else
            ++counts.written;
        if (options.observer) options.observer->seen(counts.LineCount, coordinate, reason);
        if (pending.size() >= kFlushSize) {
            if (!out.write(pending)) return PassResult::WriteFailed;
            pending.clear();
        }
    }
    counts.sdrWidthsAssumed = sdr.widthsAssumed();
    if (writer) counts.renamed = writer->renamed();
    if (lines.failed()) return PassResult::ReadFailed;
    if (writer && counts.written > 0 && !writer->finish(pending, out))
        return PassResult::WriteFailed;
    if (!pending.empty() && !out.write(pending)) return PassResult::WriteFailed;
    return PassResult::Ok;
}

std::vector<std::string> closingMessageParts(const ConversionCounts& counts,
                                             std::string_view output) {
    std::vector<std::string> parts{
        counts.written > 0 ? std::string("Conversion was Finshed Successfully!")
                           : "Nothing was written to " + std::string(output) + "!",
        "Lines read: " + countText(counts.LineCount),
        "Coordinates Lines: " + countText(counts.CoordinateCount), counts.nameLine};
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
