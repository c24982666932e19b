// SPDX-License-Identifier: GPL-3.0-or-later
// Capture to raw data file: the streamed copy and job-record search must agree with
// a plain whole-buffer reading of the same bytes, whatever the reads' sizes.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/capture.h"
#include "piecewise_io.h"

namespace {

std::vector<std::string_view> referenceLines(std::string_view s) {
    std::vector<std::string_view> lines;
    std::size_t i = 0;
    while (i < s.size()) {
        const std::size_t cr = s.find('\r', i);
        if (cr == std::string_view::npos) {
            lines.push_back(s.substr(i));
            break;
        }
        lines.push_back(s.substr(i, cr - i));
        i = cr + 1;
        if (i < s.size() && s[i] == '\n') ++i;
    }
    return lines;
}

void check(bool ok) {
    if (!ok) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const std::uint8_t seed = data[0];
    const std::string_view capture(reinterpret_cast<const char*>(data) + 1, size - 1);
    const std::vector<std::string_view> lines = referenceLines(capture);

    std::string expected;
    std::optional<std::string> expectedName;
    for (std::string_view line : lines) {
        line.remove_prefix(std::min(line.size(), line.find_first_not_of('\x02')));
        if (!line.empty() && quorvel::keepsLine(static_cast<unsigned char>(line[0]))) {
            expected.append(line);
            expected.append("\r\n");
        }
        if (!expectedName && line.substr(0, 4) == quorvel::kJobRecordTag) {
            std::string name(line.substr(4, 16));
            name.erase(std::min(name.size(), name.find_last_not_of(' ') + 1));
            expectedName = name;
        }
    }

    {
        PiecewiseReader in(capture, 9, std::string::npos, seed | 1u);
        std::string out;
        quorvel::StringWriter w(out);
        std::uint64_t progress = 0;
        const quorvel::CopyResult r = quorvel::copyRawData(in, w, [&](std::uint64_t n) {
            check(n == progress + 1);
            progress = n;
        });
        check(r.ok());
        check(out == expected);
        check(r.linesRead == lines.size() && progress == lines.size());
        check(out.size() <= capture.size() + r.linesRead + 1);
        // Every line written starts with a printable byte, never STX, and ends in CR LF.
        for (std::string_view rest = out; !rest.empty();) {
            const std::size_t end = rest.find("\r\n");
            check(end != std::string_view::npos && end > 0);
            check(quorvel::keepsLine(static_cast<unsigned char>(rest[0])));
            rest.remove_prefix(end + 2);
        }
    }
    {
        PiecewiseReader in(capture, 9, std::string::npos, seed + 2u);
        const std::optional<std::string> name = quorvel::findJobName(in);
        check(name == expectedName);
        if (name) {
            check(name->size() <= 16);
            check(name->empty() || name->back() != ' ');
            const bool leaves =
                *name == "." || *name == ".." ||
                name->find_first_of(std::string_view("/\\\0", 3)) != std::string::npos;
            check(quorvel::jobNameIsSafe(*name) == !leaves);
        }
    }
    {
        // A disk that fills up part way keeps a clean prefix of the copy.
        PiecewiseReader in(capture, 9, std::string::npos, seed | 1u);
        LimitedWriter w(seed * 3u);
        const quorvel::CopyResult r = quorvel::copyRawData(in, w);
        check(expected.compare(0, w.out.size(), w.out) == 0);
        check(r.ok() == (w.out.size() == expected.size()));
    }
    return 0;
}
