// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What a reception shows while it runs: the incoming bytes as readable text, the
// counts in one line, and whether the bytes look like survey data at all.

#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

namespace quorvel {

/// Survey data is printable ASCII with CR, LF, STX and ETX (and the odd TAB).
inline bool isSurveyByte(unsigned char c) {
    return (c >= 32 && c <= 126) || c == '\r' || c == '\n' || c == 2 || c == 3 || c == '\t';
}

/// Tells bytes received at the wrong baud rate, parity or word length: among the first
/// kWindow bytes, once at least kMinimum have come, more than a fifth are no survey
/// bytes. A clean transfer never trips it; it trips at most once.
class GarbleCheck {
public:
    static constexpr std::uint64_t kMinimum = 64;
    static constexpr std::uint64_t kWindow = 4096;
    /// True exactly once: on the chunk that shows the data garbled.
    bool feed(std::string_view chunk);
    bool garbled() const { return m_garbled; }

private:
    std::uint64_t m_counted = 0;
    std::uint64_t m_foreign = 0;
    bool m_garbled = false;
};

/// Appends `bytes` as text to `out`: CR (and an LF right after it, also in the next
/// chunk) as a line feed, printable ASCII as it is, other bytes as tokens such as
/// <STX>, <ETX>, <LF> or <0x8F>. `afterCr` carries the state from chunk to chunk.
void appendVisible(std::string& out, std::string_view bytes, bool& afterCr);

/// The rate of a reception while it runs: the bytes that arrived in the last
/// kSpanMs before the latest chunk, over that time (over the time since the first
/// chunk while it is shorter, and at least a second). A stall does not lower it:
/// its time is not one of arriving bytes.
class RateMeter {
public:
    static constexpr std::int64_t kSpanMs = 5000;
    /// `bytes` arrived at `atMs` (a clock that never goes back).
    void add(std::int64_t atMs, std::uint64_t bytes);
    /// Bytes per second.
    std::uint64_t rate() const;

private:
    std::deque<std::pair<std::int64_t, std::uint64_t>> m_chunks;  // within the span
    std::uint64_t m_bytes = 0;                                    // of m_chunks
    std::optional<std::int64_t> m_first;
};

/// `bytes` over `ms` (at least a second), per second: the mean rate of a reception.
std::uint64_t meanRate(std::uint64_t bytes, std::int64_t ms);

/// "6,320 bytes · 142 lines · 0:41 · 154 B/s" (UTF-8), with " · last byte 12 s ago"
/// when `quietSeconds` is given.
std::string progressText(std::uint64_t bytes, std::uint64_t lines, std::int64_t elapsedMs,
                         std::uint64_t rate,
                         std::optional<std::int64_t> quietSeconds = std::nullopt);

/// 6320 -> "6,320".
std::string groupedNumber(std::uint64_t n);

}  // namespace quorvel
