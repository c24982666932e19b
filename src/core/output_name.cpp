// SPDX-License-Identifier: GPL-3.0-or-later
#include "output_name.h"

#include <algorithm>

#include "text.h"

namespace quorvel {

namespace {

#ifdef _WIN32
constexpr std::string_view kSeparators = "\\/";
#else
constexpr std::string_view kSeparators = "/";
#endif

}  // namespace

std::string outputNameFor(std::string_view name, OutputFormat format) {
    const std::size_t sep = name.find_last_of(kSeparators);
    const std::size_t fileStart = sep == std::string_view::npos ? 0 : sep + 1;
    if (fileStart == name.size()) return {};
    if (const std::string_view extension = formatExtension(format); !extension.empty()) {
        const std::size_t dot = name.rfind('.');
        const std::size_t end =
            dot == std::string_view::npos || dot < fileStart ? name.size() : dot;
        return std::string(name.substr(0, end)) + std::string(extension);
    }
    // Where the last four characters of the file name start, if it has four.
    std::size_t starts[4] = {};
    std::size_t count = 0;
    // A byte that is no valid UTF-8 counts as a character of its own.
    for (std::size_t i = fileStart; i < name.size();
         i += std::max<std::size_t>(1, utf8Length(name, i)))
        starts[count++ % 4] = i;
    const std::size_t tail = starts[count % 4];
    if (count >= 4 && name[tail] == '.')  // a dot and three characters
        return std::string(name.substr(0, tail)) + (name.substr(tail) == ".dat" ? ".out" : ".dat");
    const std::size_t dot = name.rfind('.');
    if (dot == std::string_view::npos || dot < fileStart) return std::string(name) + ".dat";
    return std::string(name.substr(0, dot)) + ".dat";
}

}  // namespace quorvel
