#include "layouts.h"

#include <charconv>

namespace quorvel {

namespace {

constexpr std::string_view kNameLines[] = {"Output Format: Autocogo 1", "Output Format: Autocogo 2",
                                           "Output Format: Autocogo 3"};

void appendNumber(std::string& out, std::int64_t number) {
    char buf[24];
    const auto r = std::to_chars(buf, buf + sizeof buf, number);
    out.append(buf, r.ptr);
}

// Fixed columns: the field starts at `column` (from 1). A line already past that
// column is ended and the field starts at that column of the next line.
void placeField(std::string& out, std::size_t& lineStart, std::size_t column,
                std::string_view field) {
    const std::size_t k = out.size() - lineStart;
    if (k + 1 < column) {
        out.append(column - 1 - k, ' ');
    } else if (k + 1 > column) {
        out += "\r\n";
        lineStart = out.size();
        out.append(column - 1, ' ');
    }
    out += field;
}

}  // namespace

bool lacksZ(const CoordinateLine& line) {
    return line.Z.find_first_not_of(' ') == std::string::npos;
}

std::optional<std::string_view> appendCoordinateLine(std::string& out, int outputFormat,
                                                     const CoordinateLine& line,
                                                     std::int64_t number) {
    if (outputFormat < 1 || outputFormat > 3) return std::nullopt;
    const std::string_view name = kNameLines[outputFormat - 1];
    if (lacksZ(line)) return name;

    if (outputFormat == 3) {
        appendNumber(out, number);
        for (const std::string* field : {&line.X, &line.Y, &line.Z, &line.Code, &line.Point}) {
            out += ',';
            out += *field;
        }
        out += "\r\n";
        return name;
    }

    std::size_t lineStart = out.size();
    if (outputFormat == 1) {
        appendNumber(out, number);
    } else {
        // Trailing blanks would push X past its column onto a line of its own.
        const std::string_view point = line.Point;
        out += point.substr(0, point.find_last_not_of(' ') + 1);
    }
    placeField(out, lineStart, 8, line.X);
    placeField(out, lineStart, 23, line.Y);
    placeField(out, lineStart, 37, line.Z);
    placeField(out, lineStart, 50, line.Code);
    // Layout 1 joins code and point number; a point number of exactly "0" is none.
    if (outputFormat == 1 && line.Point != "0") out += line.Point;
    out += "\r\n";
    return name;
}

}  // namespace quorvel
