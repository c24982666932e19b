// SPDX-License-Identifier: GPL-3.0-or-later
// quorvel-station-sim: plays a file to a serial device the way a total station sends
// a download (STX, the file's bytes, ETX), so Quorvel can be tried and tested
// without an instrument. With --pty it makes the serial line itself.
#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

constexpr char kStx = 2;
constexpr char kEtx = 3;

const char* const kUsage =
    "Usage: quorvel-station-sim [OPTION]... FILE\n"
    "Sends FILE on a serial line the way a 3300/3600(DR) total station sends a\n"
    "download: STX, the file's bytes unchanged, ETX. FILE \"-\" is standard input.\n"
    "\n"
    "  --device PATH       send on this serial device (set to raw 8N1 at the baud rate)\n"
    "  --pty               make a pseudo-terminal pair, print the device for Quorvel to\n"
    "                      open, wait until it is opened, then send\n"
    "  --wait SECONDS      wait this long before sending instead (with --pty, instead of\n"
    "                      waiting for the device to be opened)\n"
    "  --baud N            line speed in bits per second (default 38400); each byte takes\n"
    "                      10 bits on the line (8N1)\n"
    "  --no-pace           send as fast as the line takes it\n"
    "  --chunk N           bytes per write (default 64)\n"
    "  --no-etx            stop before the ETX, as a transfer that breaks off\n"
    "  --close-after N     close the line after N bytes (STX counted), as a pulled cable\n"
    "  --wrong-baud N      the station sends at N baud while the line is read at --baud:\n"
    "                      send the bytes a receiver at --baud makes of it (garbage)\n"
    "  --linger SECONDS    with --pty, keep the line at most this long after sending for\n"
    "                      the other side to read and close it (default: until it does)\n"
    "  --help              show this help and exit\n"
    "  --version           show the version and exit\n";

struct Options {
    std::string file;
    std::string device;
    bool pty = false;
    std::optional<double> wait;
    long baud = 38400;
    bool pace = true;
    std::size_t chunk = 64;
    bool etx = true;
    std::optional<unsigned long long> closeAfter;
    std::optional<double> linger;
    std::optional<long> wrongBaud;
};

[[noreturn]] void usageError(const std::string& what) {
    std::fprintf(stderr, "quorvel-station-sim: %s\nTry 'quorvel-station-sim --help'.\n",
                 what.c_str());
    std::exit(2);
}

[[noreturn]] void fail(const std::string& what) {
    std::fprintf(stderr, "quorvel-station-sim: %s\n", what.c_str());
    std::exit(1);
}

std::string sysError(const std::string& what) {
    return what + ": " + std::strerror(errno);
}

unsigned long long number(const std::string& option, const char* text, unsigned long long min) {
    char* end = nullptr;
    errno = 0;
    const unsigned long long v = std::strtoull(text, &end, 10);
    if (errno != 0 || end == text || *end != '\0' || text[0] == '-' || v < min)
        usageError(option + " needs a whole number of at least " + std::to_string(min));
    return v;
}

double seconds(const std::string& option, const char* text) {
    char* end = nullptr;
    const double v = std::strtod(text, &end);
    if (end == text || *end != '\0' || !(v >= 0)) usageError(option + " needs seconds, e.g. 1.5");
    return v;
}

Options parse(int argc, char** argv) {
    Options o;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        auto value = [&]() -> const char* {
            if (i + 1 >= argc) usageError(a + " needs a value");
            return argv[++i];
        };
        if (a == "--help") {
            std::fputs(kUsage, stdout);
            std::exit(0);
        } else if (a == "--version") {
            std::printf("quorvel-station-sim %s\n", QUORVEL_VERSION);
            std::exit(0);
        } else if (a == "--device") {
            o.device = value();
        } else if (a == "--pty") {
            o.pty = true;
        } else if (a == "--wait") {
            o.wait = seconds(a, value());
        } else if (a == "--baud") {
            o.baud = static_cast<long>(number(a, value(), 1));
        } else if (a == "--no-pace") {
            o.pace = false;
        } else if (a == "--chunk") {
            o.chunk = number(a, value(), 1);
        } else if (a == "--no-etx") {
            o.etx = false;
        } else if (a == "--close-after") {
            o.closeAfter = number(a, value(), 0);
        } else if (a == "--wrong-baud") {
            o.wrongBaud = static_cast<long>(number(a, value(), 1));
        } else if (a == "--linger") {
            o.linger = seconds(a, value());
        } else if (a.size() > 1 && a[0] == '-') {
            usageError("unknown option " + a);
        } else if (o.file.empty()) {
            o.file = a;
        } else {
            usageError("only one FILE can be sent");
        }
    }
    if (o.file.empty()) usageError("no FILE to send");
    if (o.pty == !o.device.empty()) usageError("give either --device PATH or --pty");
    return o;
}

speed_t speedFor(long baud) {
    switch (baud) {
        case 1200:
            return B1200;
        case 2400:
            return B2400;
        case 4800:
            return B4800;
        case 9600:
            return B9600;
        case 19200:
            return B19200;
        case 38400:
            return B38400;
        case 57600:
            return B57600;
        case 115200:
            return B115200;
        default:
            return B0;
    }
}

void makeRaw(int fd, long baud) {
    termios t{};
    if (tcgetattr(fd, &t) != 0) return;  // not a terminal: a plain file or pipe
    cfmakeraw(&t);
    t.c_cflag |= CLOCAL | CREAD;
    if (const speed_t s = speedFor(baud); s != B0) {
        cfsetispeed(&t, s);
        cfsetospeed(&t, s);
    }
    if (tcsetattr(fd, TCSANOW, &t) != 0) fail(sysError("cannot set the line to raw mode"));
}

bool slaveOpenElsewhere(int master) {
    // The master reports a hang-up while nobody holds the other end open.
    pollfd p{master, 0, 0};
    return poll(&p, 1, 0) >= 0 && (p.revents & POLLHUP) == 0;
}

struct Pty {
    int master = -1;
    std::string slave;
};

Pty makePty(long baud) {
    Pty p;
    p.master = posix_openpt(O_RDWR | O_NOCTTY);
    if (p.master < 0 || grantpt(p.master) != 0 || unlockpt(p.master) != 0)
        fail(sysError("cannot make a pseudo-terminal"));
    const char* name = ptsname(p.master);
    if (name == nullptr) fail(sysError("cannot name the pseudo-terminal"));
    p.slave = name;
    // Raw before anyone opens it: the line discipline would otherwise take 0x03 for an
    // interrupt and turn CR into LF. Opening and closing the slave once makes the
    // master report a hang-up until the other side opens it.
    makeRaw(p.master, baud);
    const int s = open(name, O_RDWR | O_NOCTTY);
    if (s < 0) fail(sysError(std::string("cannot open ") + name));
    close(s);
    return p;
}

void writeAll(int fd, const char* data, std::size_t n) {
    while (n > 0) {
        const ssize_t k = write(fd, data, n);
        if (k < 0 && errno == EINTR) continue;
        if (k < 0) fail(sysError(errno == EIO ? "the other side closed the line" : "write failed"));
        data += k;
        n -= static_cast<std::size_t>(k);
    }
}

/// Waits until the other end has read everything sent, so closing loses nothing.
/// Bytes reach the other end's queue a moment after the write, so the queue must
/// stay empty for a while before the line counts as drained.
void waitForDelivery(const std::string& slave) {
    const int s = open(slave.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (s < 0) {
        std::this_thread::sleep_for(500ms);  // held exclusively: give it time
        return;
    }
    const auto deadline = Clock::now() + 5s;
    auto emptySince = Clock::now();
    int waiting = 0;
    while (Clock::now() < deadline && ioctl(s, FIONREAD, &waiting) == 0) {
        if (waiting > 0) emptySince = Clock::now();
        if (Clock::now() - emptySince >= 150ms) break;
        std::this_thread::sleep_for(5ms);
    }
    close(s);
}

/// The bytes a station sends: STX, the file, ETX.
class Download {
public:
    Download(std::FILE* in, bool etx) : m_in(in), m_etx(etx) {}
    std::size_t fill(char* buf, std::size_t n) {
        std::size_t got = 0;
        while (got < n && m_stage != Stage::Done) {
            switch (m_stage) {
                case Stage::Stx:
                    buf[got++] = kStx;
                    m_stage = Stage::File;
                    break;
                case Stage::File: {
                    const std::size_t k = std::fread(buf + got, 1, n - got, m_in);
                    got += k;
                    if (k == 0) {
                        m_failed = std::ferror(m_in) != 0;
                        m_stage = m_etx && !m_failed ? Stage::Etx : Stage::Done;
                    }
                    break;
                }
                case Stage::Etx:
                    buf[got++] = kEtx;
                    m_stage = Stage::Done;
                    break;
                case Stage::Done:
                    break;
            }
        }
        return got;
    }
    bool failed() const { return m_failed; }

private:
    enum class Stage { Stx, File, Etx, Done };
    std::FILE* m_in;
    bool m_etx;
    Stage m_stage = Stage::Stx;
    bool m_failed = false;
};

/// What a receiver at `readBaud` (8N1) makes of `sent` transmitted at `sendBaud` (8N1,
/// back to back): it waits for a start bit, samples each bit in its own middle, and
/// delivers whatever it got, framing errors included, as a UART does.
std::vector<char> misread(const std::vector<char>& sent, long sendBaud, long readBaud) {
    const double sendBit = 1.0 / double(sendBaud), readBit = 1.0 / double(readBaud);
    const double end = double(sent.size()) * 10 * sendBit;
    auto level = [&](double t) {
        const auto k = static_cast<std::size_t>(t / sendBit);
        if (t < 0 || k / 10 >= sent.size()) return 1;  // the idle line
        const std::size_t pos = k % 10;
        if (pos == 0) return 0;  // start bit
        if (pos == 9) return 1;  // stop bit
        return (static_cast<unsigned char>(sent[k / 10]) >> (pos - 1)) & 1;
    };
    std::vector<char> got;
    for (double t = 0; t < end;) {
        if (level(t) != 0) {
            t += readBit / 16;  // looking for the falling edge
            continue;
        }
        unsigned char byte = 0;
        for (int i = 0; i < 8; ++i)
            byte = static_cast<unsigned char>(byte | (level(t + (1.5 + i) * readBit) << i));
        got.push_back(static_cast<char>(byte));
        t += 9.5 * readBit;  // the middle of the stop bit
    }
    return got;
}

}  // namespace

int main(int argc, char** argv) {
    const Options o = parse(argc, argv);

    std::FILE* in = o.file == "-" ? stdin : std::fopen(o.file.c_str(), "rb");
    if (in == nullptr) fail(sysError("cannot open " + o.file));

    int fd = -1;
    Pty pty;
    if (o.pty) {
        pty = makePty(o.baud);
        fd = pty.master;
        std::printf("%s\n", pty.slave.c_str());
        std::fflush(stdout);
        if (!o.wait) {
            // The line is raw from the start, so the first byte may follow the opening at
            // once: what arrives before the opener's own settings waits unchanged.
            while (!slaveOpenElsewhere(fd)) std::this_thread::sleep_for(10ms);
        }
    } else {
        fd = open(o.device.c_str(), O_RDWR | O_NOCTTY);
        if (fd < 0) fail(sysError("cannot open " + o.device));
        makeRaw(fd, o.baud);
    }
    if (o.wait) std::this_thread::sleep_for(std::chrono::duration<double>(*o.wait));

    const unsigned long long limit = o.closeAfter.value_or(~0ULL);
    unsigned long long sent = 0;
    Download download(in, o.etx);
    std::vector<char> buf(o.chunk);
    // At the wrong speed the whole download is misread first, then sent as it came out.
    std::vector<char> garbage;
    std::size_t garbageAt = 0;
    if (o.wrongBaud) {
        for (std::size_t n; (n = download.fill(buf.data(), buf.size())) > 0;)
            garbage.insert(garbage.end(), buf.data(), buf.data() + n);
        garbage = misread(garbage, *o.wrongBaud, o.baud);
    }
    const auto start = Clock::now();
    while (sent < limit) {
        const std::size_t want =
            static_cast<std::size_t>(std::min<unsigned long long>(buf.size(), limit - sent));
        std::size_t n = 0;
        if (o.wrongBaud) {
            n = std::min(want, garbage.size() - garbageAt);
            std::copy_n(garbage.data() + garbageAt, n, buf.data());
            garbageAt += n;
        } else {
            n = download.fill(buf.data(), want);
        }
        if (n == 0) break;
        writeAll(fd, buf.data(), n);
        sent += n;
        if (o.pace) {
            // Where the line would be by now: 10 bits a byte.
            const std::chrono::duration<double> due(double(sent) * 10.0 / double(o.baud));
            std::this_thread::sleep_until(start + std::chrono::duration_cast<Clock::duration>(due));
        }
    }
    if (download.failed()) fail(sysError("cannot read " + o.file));
    if (in != stdin) std::fclose(in);

    if (o.pty) {
        if (o.closeAfter) {
            waitForDelivery(pty.slave);
        } else {
            // Keep the line until the other side has read everything and closed it.
            const auto deadline = o.linger
                                      ? Clock::now() + std::chrono::duration_cast<Clock::duration>(
                                                           std::chrono::duration<double>(*o.linger))
                                      : Clock::time_point::max();
            while (slaveOpenElsewhere(fd) && Clock::now() < deadline)
                std::this_thread::sleep_for(10ms);
        }
    } else {
        tcdrain(fd);
    }
    close(fd);
    std::fprintf(stderr, "quorvel-station-sim: sent %llu bytes\n", sent);
    return 0;
}
