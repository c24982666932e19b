// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The conversion of a text in memory, for the core tests.
#include <gtest/gtest.h>

#include <string>

#include "core/conversion.h"

/// The coordinate file made from `text`; `message` gets the closing message, joined by '|'.
inline std::string convert(const std::string& text, quorvel::ConversionOptions options,
                           std::string* message = {}) {
    std::string out;
    quorvel::StringWriter writer(out);
    quorvel::MemoryReader in(text);
    quorvel::ConversionCounts counts;
    EXPECT_EQ(quorvel::convertObservations(in, writer, options, counts), quorvel::PassResult::Ok);
    for (const std::string& said : quorvel::closingMessageParts(counts, "out.dat"))
        if (message) *message += (message->empty() ? "" : "|") + said;
    return out;
}
