// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Send Points, before the first byte goes: the points of the observation file read as
// Convert reads them (or from CSV), what is left out told, the user's confirmation, and
// the record of the exact text sent, JOB-sent.sdr beside the file.

#include <QString>
#include <ctime>
#include <optional>
#include <string>
#include <vector>

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
    };

    explicit SendCommand(platform::Prompts& prompts) : m_prompts(prompts) {}

    /// The lines to send from `source` with `settings`, confirmed by the user and
    /// recorded; nothing when the user said no or a problem was told (nothing recorded).
    std::optional<Ready> prepare(const QString& source, const quorvel::RunSettings& settings,
                                 const std::tm& now);

private:
    platform::Prompts& m_prompts;
};
