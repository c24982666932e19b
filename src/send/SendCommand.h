// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Send Points, before the first byte goes: the points of the observation file read as
// Convert reads them (or from CSV), what is left out told, the user's confirmation, and
// the record of the exact text sent, JOB-sent.sdr beside the file.

#include <QString>
#include <ctime>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/safe_output.h"
#include "core/settings.h"

namespace platform {
class Prompts;
}

class SendCommand {
public:
    struct Ready {
        std::vector<std::string> lines;  // to send, STX and ETX around them
        int headerLines = 0;             // before the points
        QString job;
        QString record;  // JOB-sent.sdr
        // Written, and kept only once the port is open: a port that cannot be opened leaves
        // no record of a sending that never was, and an earlier record as it was.
        std::unique_ptr<quorvel::SafeOutFile> recordFile;
    };

    explicit SendCommand(platform::Prompts& prompts) : m_prompts(prompts) {}

    /// The lines to send from `source` with `settings`, confirmed by the user and
    /// with the record written but not yet kept; nothing when the user said no or a
    /// problem was told.
    std::optional<Ready> prepare(const QString& source, const quorvel::RunSettings& settings,
                                 const std::tm& now);
    /// Keeps the record of `ready` in place of any earlier one; false once the problem is told.
    bool keepRecord(Ready& ready);

private:
    platform::Prompts& m_prompts;
};
