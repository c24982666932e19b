// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings.h"

namespace quorvel {

namespace {

// A number as the status text writes it: the place of the sign, then the digits.
std::string signedNumber(long long n) {
    return n < 0 ? std::to_string(n) : " " + std::to_string(n);
}

}  // namespace

std::string portName(int port) {
    return "COM" + std::to_string(port);
}

char parityLetter(Parity parity) {
    return parity == Parity::Even ? 'E' : parity == Parity::Odd ? 'O' : 'N';
}

std::string lineText(const LineSettings& line) {
    return std::to_string(line.baudRate) + ',' + parityLetter(line.parity) + ',' +
           std::to_string(line.dataBits) + ',' + std::to_string(line.stopBits);
}

std::string statusText(const LineSettings& line) {
    return portName(line.port) + signedNumber(line.baudRate) + ' ' + signedNumber(line.dataBits) +
           ' ' + signedNumber(line.stopBits) + ' ' + parityLetter(line.parity) + "   ";
}

std::string garbledWarning(const LineSettings& line) {
    const char* parity = line.parity == Parity::Even  ? "even parity"
                         : line.parity == Parity::Odd ? "odd parity"
                                                      : "no parity";
    return "The data looks garbled: check the baud rate, parity and word length in Settings "
           "(now " +
           std::to_string(line.baudRate) + " baud, " + parity + ", " +
           std::to_string(line.dataBits) + " data bits).";
}

}  // namespace quorvel
