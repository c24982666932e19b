// SPDX-License-Identifier: GPL-3.0-or-later
#include "numbers.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>

#include "text.h"

namespace quorvel {

namespace {

// Digits beyond these cannot change the written value: the integer part is at most
// kMaxIntegerDigits long, then three decimals and one digit that decides the rounding.
constexpr int kKeptDigits = kMaxIntegerDigits + 8;
// Exponents are clamped here: anything larger is far past every limit already.
constexpr std::int64_t kExponentLimit = 1'000'000'000;

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// A number as 0.d1d2d3... x 10^point, d1 not zero. Only the first digits are kept.
struct Decimal {
    bool negative = false;
    char digits[kKeptDigits];
    int kept = 0;
    bool nonZero = false;
    std::int64_t point = 0;

    void addIntegerDigit(char c) {
        if (c != '0') nonZero = true;
        if (!nonZero) return;  // leading zeros
        keep(c);
        ++point;
    }
    void addFractionDigit(char c) {
        if (c != '0') nonZero = true;
        if (!nonZero) {
            --point;  // zeros right after the point
            return;
        }
        keep(c);
    }
    void keep(char c) {
        if (kept < kKeptDigits) digits[kept++] = c;
    }
    void scale(std::int64_t exponent) { point += exponent; }

    // The digit at position i of 0.d1d2..., 0 beyond what was kept.
    char at(std::int64_t i) const { return i >= 0 && i < kept ? digits[i] : '0'; }

    bool write(std::string& out) const;
};

bool Decimal::write(std::string& out) const {
    // Below 0.0005 everything rounds to zero; above 300 integer digits nothing is written.
    if (!nonZero || point < -3) {
        out += "0.000";
        return true;
    }
    if (point > kMaxIntegerDigits) return false;
    // Digits of the integer part and the three decimals, most significant first.
    const int intLen = point > 0 ? static_cast<int>(point) : 0;
    const int len = intLen + 3;
    char buf[kMaxIntegerDigits + 4];
    // Output position j weighs 10^(intLen-1-j), as does digit j - offset of 0.d1d2...
    // buf[0] takes a carry out of the rounding.
    const std::int64_t offset = intLen - point;
    buf[0] = '0';
    for (int j = 0; j < len; ++j) buf[j + 1] = at(j - offset);
    // Half away from zero: the magnitude goes up when the next digit is 5 or more.
    if (at(len - offset) >= '5') {
        int j = len;
        while (buf[j] == '9') buf[j--] = '0';
        ++buf[j];
    }
    int first = 0;
    while (first < intLen && buf[first] == '0') ++first;  // leading zeros, one digit kept
    const int intDigits = intLen + 1 - first;
    if (intDigits > kMaxIntegerDigits) return false;
    bool zero = true;
    for (int j = first; j <= len; ++j) zero = zero && buf[j] == '0';
    if (negative && !zero) out += '-';
    out.append(buf + first, static_cast<std::size_t>(intDigits));
    out += '.';
    out.append(buf + intLen + 1, 3);
    return true;
}

bool ignorable(char c) {
    return c == ' ' || c == '\t' || c == '\n';
}

// The characters of a number: peek() gives the current one ('\0' at the end),
// advance() steps past it. The leading reader skips blanks, tabs and line feeds.
struct Cursor {
    std::string_view text;
    bool skipIgnorable;
    std::size_t i = 0;

    char peek() {
        while (skipIgnorable && i < text.size() && ignorable(text[i])) ++i;
        return i < text.size() ? text[i] : '\0';
    }
    void advance() { ++i; }
};

struct Scanned {
    bool digits = false;     // at least one digit before any exponent
    bool exponentOk = true;  // false when an E has no digits after it
};

// An optional sign, digits with at most one point, and an exponent (E, optional sign,
// digits) taken only after digits; stops at the first character that does not fit.
// A huge exponent is clamped so that it costs neither time nor memory.
Scanned scanNumber(Cursor& in, Decimal& d) {
    Scanned s;
    char c = in.peek();
    if (c == '+' || c == '-') {
        d.negative = c == '-';
        in.advance();
        c = in.peek();
    }
    bool point = false;
    for (;; in.advance(), c = in.peek()) {
        if (isDigit(c)) {
            s.digits = true;
            point ? d.addFractionDigit(c) : d.addIntegerDigit(c);
        } else if (c == '.' && !point) {
            point = true;
        } else {
            break;
        }
    }
    if (!s.digits || (c != 'E' && c != 'e')) return s;
    in.advance();
    c = in.peek();
    bool minus = false;
    if (c == '+' || c == '-') {
        minus = c == '-';
        in.advance();
        c = in.peek();
    }
    if (!isDigit(c)) {
        s.exponentOk = false;
        return s;
    }
    std::int64_t value = 0;
    for (; isDigit(c); in.advance(), c = in.peek())
        if (value < kExponentLimit) value = value * 10 + (c - '0');
    if (value > kExponentLimit) value = kExponentLimit;
    d.scale(minus ? -value : value);
    return s;
}

// Most values in real files are plain decimals with at most three decimals, such as
// "-12.34": they are written by copying their digits, without the digit-by-digit
// reading and rounding. Reads an optional sign, digits and an optional point with at
// most three digits after it from the start of `text` and returns the characters
// used; 0 (and nothing appended) when `text` does not start with such a number.
std::size_t appendPlainNumber(std::string_view text, std::string& out) {
    const char* p = text.data();
    const char* const end = p + text.size();
    // Written here as it is read, then appended at once: "-", digits, ".", 3 decimals.
    char buf[1 + kMaxIntegerDigits + 4];
    char* w = buf;
    const bool negative = p != end && *p == '-';
    if (p != end && (*p == '-' || *p == '+')) ++p;
    *w++ = '-';  // left out below for a positive number or a zero
    const char* const intStart = p;
    while (p != end && *p == '0') ++p;  // leading zeros are dropped
    const char* const digits = w;
    for (; p != end && isDigit(*p); ++p) {
        if (w == buf + 1 + kMaxIntegerDigits) return 0;  // left to the digit-by-digit reading
        *w++ = *p;
    }
    bool zero = w == digits;
    const bool integerPart = p != intStart;
    if (zero) *w++ = '0';
    *w++ = '.';
    if (p != end && *p == '.') ++p;
    std::size_t decimals = 0;
    for (; p != end && isDigit(*p); ++p, ++decimals) {
        if (decimals == 3) return 0;  // needs rounding
        zero = zero && *p == '0';
        *w++ = *p;
    }
    if (!integerPart && decimals == 0) return 0;
    for (; decimals < 3; ++decimals) *w++ = '0';
    out.append(negative && !zero ? buf : buf + 1, w);
    return static_cast<std::size_t>(p - text.data());
}

// A character that the digit-by-digit reading would still take into a number.
bool continuesNumber(char c) {
    return isDigit(c) || c == '.' || c == 'E' || c == 'e';
}

}  // namespace

void appendLeadingNumber(std::string_view text, std::string& out) {
    std::size_t start = 0;
    while (start < text.size() && ignorable(text[start])) ++start;
    const std::size_t before = out.size();
    if (const std::size_t used = appendPlainNumber(text.substr(start), out)) {
        // Blanks, tabs and line feeds are ignored: what comes after them could still
        // join the number.
        std::size_t next = start + used;
        while (next < text.size() && ignorable(text[next])) ++next;
        if (next == text.size() || !continuesNumber(text[next])) return;
        out.resize(before);
    }
    Cursor in{text, true};
    Decimal d;
    // An E without digits is not part of the number: what came before it counts.
    if (!scanNumber(in, d).digits || !d.write(out)) out += "0.000";
}

bool appendStrictNumber(std::string_view text, std::string& out) {
    std::size_t b = 0;
    std::size_t e = text.size();
    while (b < e && text[b] == ' ') ++b;
    while (e > b && text[e - 1] == ' ') --e;
    const std::size_t before = out.size();
    const std::size_t used = appendPlainNumber(text.substr(b, e - b), out);
    if (used == e - b && used > 0) return true;
    out.resize(before);
    Cursor in{text.substr(b, e - b), false};
    Decimal d;
    const Scanned s = scanNumber(in, d);
    if (!s.digits || !s.exponentOk || in.i != in.text.size()) return false;
    if (d.write(out)) return true;
    out.resize(before);
    return false;
}

bool toDouble(std::string_view text, double& value) {
    text = withoutBlanks(text);
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    const auto r = std::from_chars(text.data(), text.data() + text.size(), value);
    return r.ec == std::errc() && r.ptr == text.data() + text.size() && std::isfinite(value);
}

std::string leadingNumber(std::string_view text) {
    std::string out;
    appendLeadingNumber(text, out);
    return out;
}

std::optional<std::string> strictNumber(std::string_view text) {
    std::string out;
    if (!appendStrictNumber(text, out)) return std::nullopt;
    return out;
}

}  // namespace quorvel
