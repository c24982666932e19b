#include "output_name.h"

namespace quorvel {

namespace {

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

std::string outputNameFor(std::string_view name) {
    if (name.empty()) return {};
    // Byte offsets where each character starts.
    std::size_t starts[5] = {};  // ring of the last four character starts
    std::size_t count = 0;
    for (std::size_t i = 0; i < name.size(); i += sequenceLength(name, i)) starts[count++ % 5] = i;
    if (count < 4) return std::string(name) + ".dat";
    const std::size_t tailStart = starts[(count - 4) % 5];
    const std::string_view base = name.substr(0, tailStart);
    const std::string_view tail = name.substr(tailStart);
    return std::string(base) + (tail == ".dat" ? ".out" : ".dat");
}

}  // namespace quorvel
