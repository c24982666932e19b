// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Fixed-column text as the records hold it: columns counted from 1, blanks around
// fields, UTF-8 where names leave the program.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace quorvel {

// Defined here: every line of every file goes through them.

/// `width` characters from `column` (counted from 1), cut short by the line's end.
inline std::string_view columns(std::string_view line, std::size_t column, std::size_t width) {
    if (column == 0 || column > line.size()) return {};
    return line.substr(column - 1, width);
}

inline std::string_view withoutLeadingBlanks(std::string_view text) {
    const std::size_t i = text.find_first_not_of(' ');
    return i == std::string_view::npos ? std::string_view() : text.substr(i);
}

inline std::string_view withoutTrailingBlanks(std::string_view text) {
    return text.substr(0, text.find_last_not_of(' ') + 1);
}

/// Without the blanks at either end.
inline std::string_view withoutBlanks(std::string_view text) {
    return withoutTrailingBlanks(withoutLeadingBlanks(text));
}

inline bool blank(std::string_view text) {
    return text.find_first_not_of(' ') == std::string_view::npos;
}

/// Length of the valid UTF-8 sequence at text[i] (no overlong forms, no surrogates), 0
/// if none starts there.
std::size_t utf8Length(std::string_view text, std::size_t i);

/// A coordinate line as messages name it: its point number without trailing blanks,
/// or "line N" (its place in the file) when it has none.
std::string pointName(std::string_view point, std::int64_t line);

}  // namespace quorvel
