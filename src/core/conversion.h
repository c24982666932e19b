#pragma once
// The conversion of an observation file into a coordinate file: the pass over the
// lines, and the job around it that the window and the command-line tool share.

#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "io.h"

namespace quorvel {

struct ConversionCounts {
    std::int64_t LineCount = 0;        // lines read
    std::int64_t CoordinateCount = 0;  // coordinate lines, written or not
    std::string nameLine;              // of the last line that reached a layout
};

enum class PassResult { Ok, ReadFailed, WriteFailed };

/// Reads every line of `in`, writes the coordinate lines to `out` in layout
/// `outputFormat`. `counts` starts from zero and holds the totals so far.
PassResult convertObservations(ByteReader& in, ByteWriter& out, int outputFormat,
                               ConversionCounts& counts);

/// The four parts of the closing message: the success text, the two counts (each
/// with one leading blank) and the name line (possibly empty).
std::array<std::string, 4> closingMessageParts(const ConversionCounts& counts);

struct ConversionFailure {
    enum class Kind {
        SameFile,             // observation and output are one file: nothing touched
        ObservationNotFound,  // the file or a folder on its path does not exist
        Observation,          // the observation file cannot be opened or read
        Output,               // the output cannot be created or written
    };
    Kind kind;
    std::string path;
    std::string reason;  // the system's wording
};

struct ConversionRequest {
    std::string observation;
    std::string output;
    int outputFormat = 1;
    /// "-" names standard input (observation) or standard output (output).
    bool dashIsStandardStream = false;
};

struct ConversionOutcome {
    bool ran = false;  // the pass over the lines took place; counts are its totals
    ConversionCounts counts;
    std::optional<ConversionFailure> failure;
};

/// Converts one file. A regular output file is written beside the target and put
/// in its place only when complete, so a failure leaves an earlier file as it was;
/// devices, pipes and standard output are written directly.
ConversionOutcome convertFile(const ConversionRequest& request);

}  // namespace quorvel
