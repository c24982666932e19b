// SPDX-License-Identifier: GPL-3.0-or-later
// Writes a large observation file for the benchmark: every record type (R4, R5,
// M5, fixed columns without a type), coordinate lines and the lines around them,
// with CR LF, LF and CR line ends. With "long", one line of SIZE_MB digits and one
// coordinate line instead: the memory a single long line costs. With "sdr", an SDR33
// raw data file: coordinate records, station records and observations between them.
// With "m5", SIZE_MB is a count of M5 coordinate lines instead: an instrument's
// addresses run to 99999, so 99999 lines is the largest real job (about 12 MB).
// With "sdrobs", an SDR33 file of observations: a station with its backsight every 200
// observations, a target height every 10, face pairs and single sightings.
//   quorvel-bench-gen SIZE_MB FILE [long|sdr|m5|sdrobs]
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

std::string value(long v) {  // v thousandths, right-aligned past the field like real files
    char buf[32];
    std::snprintf(buf, sizeof buf, "%ld.%03ld", v / 1000, std::labs(v % 1000));
    if (v < 0 && v > -1000) return "-" + std::string(buf);
    return buf;
}

std::string pad(const std::string& s, std::size_t width) {
    return s.size() >= width ? s : std::string(width - s.size(), ' ') + s;
}

}  // namespace

int main(int argc, char* argv[]) {
    const std::string kind = argc == 4 ? argv[3] : "";
    if (argc != 3 &&
        !(argc == 4 && (kind == "long" || kind == "sdr" || kind == "m5" || kind == "sdrobs"))) {
        std::fprintf(stderr, "usage: %s SIZE_MB FILE [long|sdr|m5|sdrobs]\n", argv[0]);
        return 2;
    }
    const long long target = std::atoll(argv[1]) * 1000000LL;
    std::FILE* f = std::fopen(argv[2], "wb");
    if (f == nullptr) {
        std::perror(argv[2]);
        return 1;
    }
    if (kind == "long") {
        const std::string digits(1000000, '7');
        for (long long i = 0; i < target / 1000000; ++i)
            std::fwrite(digits.data(), 1, digits.size(), f);
        const std::string point =
            "\r\nFor R4|KR NTR1100|X       21.259 m   |Y       59.620 m   |Z       11.256 m   "
            "|\r\n";
        std::fwrite(point.data(), 1, point.size(), f);
        return std::ferror(f) || std::fclose(f) != 0 ? 1 : 0;
    }
    if (kind == "m5") {
        for (long n = 1; n <= std::atol(argv[1]); ++n) {
            const long x = 20000 + (n * 7919) % 900000, y = -50000 + (n * 104729) % 800000,
                       z = 11000 + (n * 31) % 5000;
            const std::string line = "For M5|Adr " + pad(std::to_string(n % 100000), 5) + "|PI1" +
                                     pad(std::to_string(n), 28) + "|Y" + pad(value(y), 16) +
                                     " m   |X" + pad(value(x), 16) + " m   |Z" + pad(value(z), 16) +
                                     " m   | \r\n";
            if (std::fwrite(line.data(), 1, line.size(), f) != line.size()) {
                std::perror(argv[2]);
                return 1;
            }
        }
        return std::fclose(f) == 0 ? 0 : 1;
    }
    static const char* ends[] = {"\r\n", "\n", "\r\n", "\r"};
    long long written = 0;
    long n = 0;
    auto left = [](const std::string& t) { return t + std::string(16 - t.size(), ' '); };
    if (kind == "sdrobs") {
        std::string text = "00NMSDR33 V04-04.02     06-Dec-26 09:12 111111\r\n10NMBENCH" +
                           std::string(11, ' ') + "121111\r\n";
        while (written < target) {
            ++n;
            const std::string station = pad("S" + std::to_string((n - 1) / 200 % 5000), 16);
            if (n % 200 == 1) {
                text += "02TP" + station + left(value(5000000 + n % 90000)) +
                        left(value(2000000 + n % 70000)) + left("100.000") + left("1.550") +
                        left("STN") + "\r\n";
                text += "07TP" + station + pad("BS", 16) + left("123.45670000") +
                        left("10.00000000") + "\r\n";
            }
            if (n % 10 == 0) text += "03NM" + left(value(1000 + n % 1000)) + "\r\n";
            const std::string target = pad(std::to_string(1000 + n % 90000), 16);
            const std::string hz = std::to_string(n * 7 % 360) + ".12345678";
            text += "09F1" + station + target + left(value(2000 + n * 31 % 500000)) +
                    left("91.23456789") + left(hz) + left("PEG") + "\r\n";
            if (n % 3 == 0)  // the other face of the same target
                text += "09F2" + station + target + left(value(2000 + n * 31 % 500000)) +
                        left("268.76543211") + left(std::to_string((n * 7 + 180) % 360) + ".1234") +
                        left("PEG") + "\r\n";
            if (text.size() < 65536) continue;
            if (std::fwrite(text.data(), 1, text.size(), f) != text.size()) {
                std::perror(argv[2]);
                return 1;
            }
            written += static_cast<long long>(text.size());
            text.clear();
        }
        return std::fwrite(text.data(), 1, text.size(), f) != text.size() || std::fclose(f) != 0;
    }
    if (kind == "sdr") {
        std::string header = "00NMSDR33 V04-04.02     06-Dec-26 09:12 211111\r\n10NMBENCH" +
                             std::string(11, ' ') + "121111\r\n";
        std::fwrite(header.data(), 1, header.size(), f);
        written = static_cast<long long>(header.size());
        while (written < target) {
            ++n;
            const long x = 20000 + (n * 7919) % 900000, y = -50000 + (n * 104729) % 800000,
                       z = 11000 + (n * 31) % 5000;
            const std::string id = pad(std::to_string(1000 + n % 90000), 16);
            std::string line;
            switch (n % 4) {
                case 0:
                    line = "09F1" + pad("1", 16) + id + left("12.345") + left("90.1234") +
                           left("45.6789") + left("PEG");
                    break;
                case 1:
                    line = "02TP" + id + left(value(y)) + left(value(x)) + left(value(z)) +
                           left("1.500") + left("STN");
                    break;
                default:
                    line = "08KI" + id + left(value(y)) + left(value(x)) + left(value(z)) +
                           left("PEG");
                    break;
            }
            line += "\r\n";
            if (std::fwrite(line.data(), 1, line.size(), f) != line.size()) {
                std::perror(argv[2]);
                return 1;
            }
            written += static_cast<long long>(line.size());
        }
        return std::fclose(f) == 0 ? 0 : 1;
    }
    while (written < target) {
        ++n;
        const long x = 20000 + (n * 7919) % 900000, y = -50000 + (n * 104729) % 800000,
                   z = 11000 + (n * 31) % 5000;
        const std::string p = std::to_string(1000 + n % 9000);
        std::string line;
        switch (n % 8) {
            case 0:
                line = "For R4|KR NTR" + p + "|X" + pad(value(x), 13) + " m   |Y" +
                       pad(value(y), 13) + " m   |Z" + pad(value(z), 13) + " m   |";
                break;
            case 1:
                line = "For R5|Adr " + pad(std::to_string(n % 10000), 4) + "|KR 67R" + p + "|X" +
                       pad(value(x), 13) + " m   |Y" + pad(value(y), 13) + " m   |Z" +
                       pad(value(z), 13) + " m   |";
                break;
            case 2:
                line = "For M5|Adr " + pad(std::to_string(n % 100000), 5) +
                       "|PI1                       " + pad(p, 5) + "|Y" + pad(value(y), 16) +
                       " m   |X" + pad(value(x), 16) + " m   |Z" + pad(value(z), 16) + " m   | ";
                break;
            case 3:
                line = "   " + pad(std::to_string(n % 10000), 4) + "                 " + p +
                       " 0863   X" + pad(value(x), 13) + " Y" + pad(value(y), 14) + " Z" +
                       pad(value(z), 10) + " ";
                break;
            case 4:
                line =
                    "For R4|TR INPUT  |th       1.500 m   |ih       1.486 m   |                   "
                    "|";
                break;
            case 5:
                line =
                    "For M5|Adr 00012|PI1                           3|SD          6.654 m   "
                    "|Hz        13.3541 DMS |V1        91.1618 DMS | ";
                break;
            case 6:
                line =
                    "For R5|Adr 0002|KR A     0|X        0.000 m   |Y        0.000 m   |"
                    "                   |";
                break;
            default:
                line = "For R4|KR S     1|                   |                   |Z" +
                       pad(value(z), 13) + " m   |";
                break;
        }
        line += ends[n % 4];
        if (std::fwrite(line.data(), 1, line.size(), f) != line.size()) {
            std::perror(argv[2]);
            return 1;
        }
        written += static_cast<long long>(line.size());
    }
    return std::fclose(f) == 0 ? 0 : 1;
}
