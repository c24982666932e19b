// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Coordinates are decimal text and stay decimal text: they are read and rounded
// digit by digit, never through binary floating point, so 1.0005 becomes 1.001.

#include <optional>
#include <string>
#include <string_view>

namespace quorvel {

/// Integer parts longer than this are not taken as numbers.
inline constexpr int kMaxIntegerDigits = 300;

/// The leading number of `text`, written with the pattern "#######0.##0". Blanks,
/// tabs and line feeds anywhere in the text are ignored; then an optional sign,
/// digits with an optional point and an optional exponent are taken up to the first
/// character that does not fit. No number (or one too long to write) gives "0.000".
/// The result is appended to `out`.
void appendLeadingNumber(std::string_view text, std::string& out);

/// When `text`, blanks before and after it ignored, is a decimal number (sign,
/// digits, one point, exponent), appends it written with "#######0.##0" to `out`
/// and returns true; otherwise leaves `out` alone and returns false.
bool appendStrictNumber(std::string_view text, std::string& out);

/// A decimal text, blanks around it ignored, as a double (for drawing and reducing;
/// written values keep their digits). False when it is not one, or not finite.
bool toDouble(std::string_view text, double& value);

/// Convenience forms of the two readers.
std::string leadingNumber(std::string_view text);
std::optional<std::string> strictNumber(std::string_view text);

}  // namespace quorvel
