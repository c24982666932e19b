#include "conversion.h"

#include <cstdio>

#include "fileio.h"
#include "layouts.h"
#include "observation.h"
#include "observation_reader.h"
#include "safe_output.h"

namespace quorvel {

namespace {

// Output gathers here and goes out in large writes.
constexpr std::size_t kFlushSize = 64 * 1024;

std::string countText(std::int64_t n) {
    return " " + std::to_string(n);
}

}  // namespace

PassResult convertObservations(ByteReader& in, ByteWriter& out, int outputFormat,
                               ConversionCounts& counts) {
    counts = ConversionCounts{};
    ObservationLineReader lines(in);
    CoordinateLine coordinate;
    std::string pending;
    pending.reserve(kFlushSize + 1024);
    std::string_view line;
    while (lines.next(line)) {
        ++counts.LineCount;
        const ObservationLayout& layout = classify(line);
        if (!isCoordinateLine(line, layout)) continue;
        ++counts.CoordinateCount;
        if (readCoordinateLine(line, layout, coordinate) != LineOutcome::Complete) continue;
        if (const auto name =
                appendCoordinateLine(pending, outputFormat, coordinate, counts.CoordinateCount))
            counts.nameLine.assign(*name);
        if (pending.size() >= kFlushSize) {
            if (!out.write(pending)) return PassResult::WriteFailed;
            pending.clear();
        }
    }
    if (lines.failed()) return PassResult::ReadFailed;
    if (!pending.empty() && !out.write(pending)) return PassResult::WriteFailed;
    return PassResult::Ok;
}

std::array<std::string, 4> closingMessageParts(const ConversionCounts& counts) {
    return {"Conversion was Finshed Successfully!", "Lines read: " + countText(counts.LineCount),
            "Coordinates Lines: " + countText(counts.CoordinateCount), counts.nameLine};
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
    switch (convertObservations(in, out, request.outputFormat, outcome.counts)) {
        case PassResult::ReadFailed:
            out.discard();
            return fail(ConversionFailure::Kind::Observation, in.error());
        case PassResult::WriteFailed:
            out.discard();
            return fail(ConversionFailure::Kind::Output, out.error());
        case PassResult::Ok:
            break;
    }
    if (!out.commit()) return fail(ConversionFailure::Kind::Output, out.error());
    return outcome;
}

}  // namespace quorvel
