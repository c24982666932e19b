// SPDX-License-Identifier: GPL-3.0-or-later
#include "incoming.h"

#include <algorithm>
#include <cstdio>

namespace quorvel {

bool GarbleCheck::feed(std::string_view chunk) {
    if (m_garbled || m_counted >= kWindow) return false;
    const std::size_t take =
        static_cast<std::size_t>(std::min<std::uint64_t>(chunk.size(), kWindow - m_counted));
    for (std::size_t i = 0; i < take; ++i)
        if (!isSurveyByte(static_cast<unsigned char>(chunk[i]))) ++m_foreign;
    m_counted += take;
    m_garbled = m_counted >= kMinimum && m_foreign * 5 > m_counted;
    return m_garbled;
}

void appendVisible(std::string& out, std::string_view bytes, bool& afterCr) {
    static const char* const names[32] = {"NUL", "SOH", "STX", "ETX", "EOT", "ENQ", "ACK", "BEL",
                                          "BS",  "TAB", "LF",  "VT",  "FF",  "CR",  "SO",  "SI",
                                          "DLE", "DC1", "DC2", "DC3", "DC4", "NAK", "SYN", "ETB",
                                          "CAN", "EM",  "SUB", "ESC", "FS",  "GS",  "RS",  "US"};
    out.reserve(out.size() + bytes.size());
    for (const char ch : bytes) {
        const auto c = static_cast<unsigned char>(ch);
        const bool lfOfCrLf = afterCr && c == '\n';
        afterCr = c == '\r';
        if (lfOfCrLf) continue;
        if (c == '\r') {
            out += '\n';
        } else if (c >= 32 && c <= 126) {
            out += ch;
        } else if (c < 32) {
            out += '<';
            out += names[c];
            out += '>';
        } else {
            char token[8];
            std::snprintf(token, sizeof token, "<0x%02X>", c);
            out += token;
        }
    }
}

std::string groupedNumber(std::uint64_t n) {
    std::string digits = std::to_string(n);
    for (int at = static_cast<int>(digits.size()) - 3; at > 0; at -= 3)
        digits.insert(static_cast<std::size_t>(at), 1, ',');
    return digits;
}

void RateMeter::add(std::int64_t atMs, std::uint64_t bytes) {
    if (!m_first) m_first = atMs;
    m_chunks.emplace_back(atMs, bytes);
    m_bytes += bytes;
    while (m_chunks.front().first <= atMs - kSpanMs) {
        m_bytes -= m_chunks.front().second;
        m_chunks.pop_front();
    }
}

std::uint64_t RateMeter::rate() const {
    if (m_chunks.empty()) return 0;
    return meanRate(m_bytes, std::min(m_chunks.back().first - *m_first, kSpanMs));
}

std::uint64_t meanRate(std::uint64_t bytes, std::int64_t ms) {
    const double span = static_cast<double>(std::max<std::int64_t>(ms, 1000)) / 1000.0;
    return static_cast<std::uint64_t>(static_cast<double>(bytes) / span);
}

std::string progressText(std::uint64_t bytes, std::uint64_t lines, std::int64_t elapsedMs,
                         std::uint64_t rate, std::optional<std::int64_t> quietSeconds) {
    const std::int64_t seconds = std::max<std::int64_t>(elapsedMs, 0) / 1000;
    char clock[32];
    if (seconds >= 3600)
        std::snprintf(
            clock, sizeof clock, "%lld:%02lld:%02lld", static_cast<long long>(seconds / 3600),
            static_cast<long long>(seconds / 60 % 60), static_cast<long long>(seconds % 60));
    else
        std::snprintf(clock, sizeof clock, "%lld:%02lld", static_cast<long long>(seconds / 60),
                      static_cast<long long>(seconds % 60));
    const char* const dot = " \u00b7 ";
    std::string text = groupedNumber(bytes) + (bytes == 1 ? " byte" : " bytes") + dot +
                       groupedNumber(lines) + (lines == 1 ? " line" : " lines") + dot + clock +
                       dot + groupedNumber(rate) + " B/s";
    if (quietSeconds)
        text += dot + std::string("last byte ") + std::to_string(*quietSeconds) + " s ago";
    return text;
}

}  // namespace quorvel
