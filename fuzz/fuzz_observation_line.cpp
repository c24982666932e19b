// SPDX-License-Identifier: GPL-3.0-or-later
// One line of an observation file: classified, cut, and written in every layout.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "core/layouts.h"
#include "core/numbers.h"
#include "core/observation.h"

namespace {

// "#######0.##0": optional minus, 1..300 integer digits without leading zeros, three
// decimals, never a negative zero.
bool writtenNumber(std::string_view s) {
    if (!s.empty() && s[0] == '-') {
        s.remove_prefix(1);
        if (s.find_first_not_of("0.") == std::string_view::npos) return false;
    }
    const std::size_t point = s.find('.');
    if (point == std::string_view::npos || point == 0 || point > 300 || s.size() != point + 4)
        return false;
    if (point > 1 && s[0] == '0') return false;
    for (std::size_t i = 0; i < s.size(); ++i)
        if (i != point && (s[i] < '0' || s[i] > '9')) return false;
    return true;
}

void check(bool ok) {
    if (!ok) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view line(reinterpret_cast<const char*>(data), size);
    check(writtenNumber(quorvel::leadingNumber(line)));
    if (const auto n = quorvel::strictNumber(line)) check(writtenNumber(*n));

    const quorvel::ObservationLayout& layout = quorvel::classify(line);
    quorvel::CoordinateLine c;
    const quorvel::LineOutcome outcome = quorvel::readCoordinateLine(line, layout, c);
    check((outcome != quorvel::LineOutcome::NotCoordinate) ==
          quorvel::isCoordinateLine(line, layout));
    if (outcome != quorvel::LineOutcome::Complete) return 0;
    check(writtenNumber(c.X) && writtenNumber(c.Y));
    if (const auto z = quorvel::strictNumber(c.Z)) check(*z == c.Z);  // written once only
    for (int format = 0; format <= 4; ++format) {
        std::string out;
        const auto name =
            quorvel::appendCoordinateLine(out, static_cast<quorvel::OutputFormat>(format), c, 1);
        check(name.has_value() == (format >= 1 && format <= 3));
        check(out.empty() || (out.size() >= 2 && out.compare(out.size() - 2, 2, "\r\n") == 0));
    }
    return 0;
}
