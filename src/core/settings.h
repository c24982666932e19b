// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The settings the program runs with: the serial line, the output format, the axes
// and the download folder. One value, its defaults written here once; the settings
// window edits a copy of it, and the download and Convert take it as it stands when
// they start.

#include <cstdint>
#include <string>

#include "axes.h"
#include "output_format.h"

namespace quorvel {

enum class Parity { None, Even, Odd };

/// How the two ends hold each other back: not at all, with XON/XOFF bytes, or with the
/// RTS and CTS lines.
enum class FlowControl { None, XonXoff, RtsCts };

/// The serial line: port COM1..COM4 as its number, and how the bytes are framed.
struct LineSettings {
    int port = 1;
    std::int32_t baudRate = 38400;  // 1200, 9600, 19200, 38400
    Parity parity = Parity::None;
    int dataBits = 8;  // 7, 8
    int stopBits = 1;  // 1, 2
    FlowControl flow = FlowControl::None;
    bool operator==(const LineSettings&) const = default;
};

/// "COM1".."COM4".
std::string portName(int port);
/// 'N', 'E' or 'O'.
char parityLetter(Parity parity);
/// As the communications control takes it: "38400,N,8,1".
std::string lineText(const LineSettings& line);
/// The status bar's summary after O.K.: the port, then the baud rate, data bits and
/// stop bits each with the place of a sign before and a blank after, the parity
/// letter and three blanks ("COM1 38400  8  1 N   ").
std::string statusText(const LineSettings& line);
/// What to check when the data a port brings looks garbled, naming the line it runs on.
std::string garbledWarning(const LineSettings& line);

struct RunSettings {
    LineSettings Line;
    quorvel::OutputFormat OutputFormat = quorvel::OutputFormat::Autocogo1;
    /// How SDR northings and eastings become X and Y; which of X and Y is the easting.
    Axes AxisOrder = Axes::XNorthYEast;
    /// The download folder as the settings give it (bytes of a local path); a blank
    /// or a folder without a closing separator is made whole when a reception starts.
    std::string DefaultPath;
    /// The pause after each line sent to the instrument, in milliseconds (0..1000):
    /// instruments without flow control drop lines that come too fast.
    int LineDelay = 50;
    bool operator==(const RunSettings&) const = default;
};

/// The program's one instance of the settings in force, held by the main window.
struct Module1 {
    quorvel::RunSettings RunSettings;
};

}  // namespace quorvel
