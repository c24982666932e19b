// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Convert and View Points, without a widget: the checks, the question before an
// output file is replaced, the conversion and its closing message; the points of a
// file as Convert reads them. The main window puts the focus where an outcome asks.

#include <QString>
#include <optional>

#include "core/conversion.h"
#include "core/points.h"
#include "core/settings.h"

namespace platform {
class Prompts;
}

class ConvertCommand {
public:
    enum class Outcome {
        NoObservation,   // the observation field is empty
        NoOutput,        // the output field is empty
        Kept,            // No to the replace question: nothing touched
        Failed,          // a problem was told; the output is as it was
        NothingWritten,  // no coordinate line could be written: told as a problem
        Converted,
    };

    explicit ConvertCommand(platform::Prompts& prompts) : m_prompts(prompts) {}

    /// Converts `observation` into `output` in the format and axes of `settings`.
    Outcome convert(const QString& observation, const QString& output,
                    const quorvel::RunSettings& settings);
    /// The counts of the latest Convert (lines read, coordinate lines) when it read its
    /// file; nothing when it ended before.
    const std::optional<quorvel::ConversionCounts>& counts() const { return m_counts; }

    /// The points of `observation` as Convert reads it; nothing, with the problem told,
    /// when it cannot be read.
    std::optional<quorvel::PointList> points(const QString& observation,
                                             const quorvel::RunSettings& settings);

private:
    platform::Prompts& m_prompts;
    std::optional<quorvel::ConversionCounts> m_counts;
};
