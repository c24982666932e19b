// SPDX-License-Identifier: GPL-3.0-or-later
#include "io.h"

#include <algorithm>
#include <cstring>

namespace quorvel {

std::size_t MemoryReader::read(char* buf, std::size_t n) {
    const std::size_t k = std::min(n, m_data.size());
    if (k > 0) std::memcpy(buf, m_data.data(), k);
    m_data.remove_prefix(k);
    return k;
}

}  // namespace quorvel
