// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The program-wide variables of one run. main() makes the one instance and every
// window works on it by reference; tests make their own.

#include <QString>
#include <cstdint>

#include "core/sdr.h"

/// The serial line of the settings; its initial values are the start-up defaults.
struct SerialSettings {
    QString PortName = QStringLiteral("COM1");  // "COM1".."COM4"
    std::int32_t BaudRate = 38400;              // 1200, 9600, 19200, 38400
    QString Parity = QStringLiteral("N");       // "N", "E", "O"
    std::int16_t DataBits = 8;                  // 7, 8
    std::int16_t StopBits = 1;                  // 1, 2
};

struct RunSettingsRecord : SerialSettings {
    static constexpr std::int16_t kDefaultOutputFormat = 1;
    std::int16_t OutputFormat =
        kDefaultOutputFormat;  // 1..3: "Autocogo 1".."Autocogo 3"; 4..6 CSV, DXF, LandXML
    QString DefaultPath;       // folder for downloads
    bool DownloadIdle = true;  // false while a reception waits for the instrument
    // X and Y of northings and eastings; remembered between runs.
    quorvel::Axes AxisOrder = quorvel::Axes::XNorthYEast;

    SerialSettings& serial() { return *this; }
    const SerialSettings& serial() const { return *this; }
    /// The serial line and the output layout as every start sets them.
    void resetChoices() {
        serial() = SerialSettings{};
        OutputFormat = kDefaultOutputFormat;
    }
};

struct Module1 {
    RunSettingsRecord RunSettings;
    QString CaptureFilePath;           // capture file of the current or last reception
    std::int64_t LineCount = 0;        // port events of receptions, or lines of the last conversion
    std::int64_t CoordinateCount = 0;  // coordinate lines of the last conversion
};
