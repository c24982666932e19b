// SPDX-License-Identifier: GPL-3.0-or-later
#include "output_name.h"

namespace quorvel {

namespace {

#ifdef _WIN32
constexpr std::string_view kSeparators = "\\/";
#else
constexpr std::string_view kSeparators = "/";
#endif

// Length in bytes of the UTF-8 sequence starting at s[i], 1 for an invalid byte.
std::size_t sequenceLength(std::string_view s, std::size_t i) {
    const auto lead = static_cast<unsigned char>(s[i]);
    std::size_t len = lead < 0x80           ? 1
                      : (lead >> 5) == 0x6  ? 2
                      : (lead >> 4) == 0xE  ? 3
                      : (lead >> 3) == 0x1E ? 4
                                            : 1;
    if (i + len > s.size()) return 1;
    for (std::size_t k = 1; k < len; ++k)
        if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80) return 1;
    return len;
}

}  // namespace

std::string outputNameFor(std::string_view name, int outputFormat) {
    const std::size_t sep = name.find_last_of(kSeparators);
    const std::size_t fileStart = sep == std::string_view::npos ? 0 : sep + 1;
    if (fileStart == name.size()) return {};
    if (outputFormat >= 4 && outputFormat <= 6) {
        const std::string_view extension = outputFormat == 4   ? ".csv"
                                           : outputFormat == 5 ? ".dxf"
                                                               : ".xml";
        const std::size_t dot = name.rfind('.');
        const std::size_t end =
            dot == std::string_view::npos || dot < fileStart ? name.size() : dot;
        return std::string(name.substr(0, end)) + std::string(extension);
    }
    // Where the last four characters of the file name start, if it has four.
    std::size_t starts[4] = {};
    std::size_t count = 0;
    for (std::size_t i = fileStart; i < name.size(); i += sequenceLength(name, i))
        starts[count++ % 4] = i;
    const std::size_t tail = starts[count % 4];
    if (count >= 4 && name[tail] == '.')  // a dot and three characters
        return std::string(name.substr(0, tail)) + (name.substr(tail) == ".dat" ? ".out" : ".dat");
    const std::size_t dot = name.rfind('.');
    if (dot == std::string_view::npos || dot < fileStart) return std::string(name) + ".dat";
    return std::string(name.substr(0, dot)) + ".dat";
}

}  // namespace quorvel
