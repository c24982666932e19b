// SPDX-License-Identifier: GPL-3.0-or-later
// quorvel-station-sim: plays a file to a serial device the way a total station sends
// a download (STX, the file's bytes, ETX), so Quorvel can be tried and tested
// without an instrument. With --pty it makes the serial line itself. With --receive it
// takes points sent to the instrument instead, records them and checks their records.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

constexpr char kStx = 2;
constexpr char kEtx = 3;

constexpr char kXon = 0x11;
constexpr char kXoff = 0x13;

const char* const kUsage =
    "Usage: quorvel-station-sim [OPTION]... FILE\n"
    "       quorvel-station-sim --receive [OPTION]...\n"
    "Sends FILE on a serial line the way a 3300/3600(DR) total station sends a\n"
    "download: STX, the file's bytes unchanged, ETX. FILE \"-\" is standard input.\n"
    "With --receive it takes what is sent to the instrument instead, until ETX, and\n"
    "checks it: STX first, ETX last, lines ended by CR LF, a 00NM header of version\n"
    "SDR33, a 10NM job record, then 08KI coordinate records. It prints one line,\n"
    "\"received bytes=N points=N framing=ok|bad layout=ok|bad\" (with \"xoff=N held=N\"\n"
    "after --xoff-after), the faults on standard error, and exits 0 only when the\n"
    "framing and the layout were right.\n"
    "\n"
    "  --device PATH       send (or receive) on this serial device (set to raw 8N1 at\n"
    "                      the baud rate)\n"
    "  --pty               make a pseudo-terminal pair, print the device for Quorvel to\n"
    "                      open, wait until it is opened, then send\n"
    "  --wait SECONDS      wait this long before sending instead (with --pty, instead of\n"
    "                      waiting for the device to be opened)\n"
    "  --baud N            line speed in bits per second (default 38400); each byte takes\n"
    "                      10 bits on the line (8N1)\n"
    "  --no-pace           send as fast as the line takes it\n"
    "  --chunk N           bytes per write (default 64)\n"
    "  --no-etx            stop before the ETX, as a transfer that breaks off\n"
    "  --close-after N     close the line after N bytes (STX counted) have been sent or\n"
    "                      received, as a pulled cable\n"
    "  --wrong-baud N      the station sends at N baud while the line is read at --baud:\n"
    "                      send the bytes a receiver at --baud makes of it (garbage)\n"
    "  --linger SECONDS    with --pty, keep the line at most this long after sending (or\n"
    "                      after the ETX received) for the other side to close it\n"
    "                      (default: until it does)\n"
    "\n"
    "Receiving:\n"
    "  --receive           take what arrives instead of sending a FILE\n"
    "  --record FILE       write the bytes received, up to the ETX, into FILE\n"
    "  --xoff-after BYTES  send XOFF once BYTES have arrived, and XON after --hold;\n"
    "                      may be given several times\n"
    "  --hold MS           how long each XOFF holds the line (default 500)\n"
    "  --grace MS          bytes arriving this soon after an XOFF were on their way\n"
    "                      (default 100); what arrives later while held is counted\n"
    "                      as held=N\n"
    "  --read-rate N       read at most N bytes a second, as a slow instrument\n"
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
    bool receive = false;
    std::string record;
    std::vector<unsigned long long> xoffAfter;
    long long holdMs = 500;
    long long graceMs = 100;
    std::optional<unsigned long long> readRate;
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
        } else if (a == "--receive") {
            o.receive = true;
        } else if (a == "--record") {
            o.record = value();
        } else if (a == "--xoff-after") {
            o.xoffAfter.push_back(number(a, value(), 1));
        } else if (a == "--hold") {
            o.holdMs = static_cast<long long>(number(a, value(), 1));
        } else if (a == "--grace") {
            o.graceMs = static_cast<long long>(number(a, value(), 0));
        } else if (a == "--read-rate") {
            o.readRate = number(a, value(), 1);
        } else if (a.size() > 1 && a[0] == '-') {
            usageError("unknown option " + a);
        } else if (o.file.empty()) {
            o.file = a;
        } else {
            usageError("only one FILE can be sent");
        }
    }
    if (o.receive && !o.file.empty())
        usageError("--receive takes no FILE; --record FILE keeps what arrives");
    if (!o.receive && o.file.empty()) usageError("no FILE to send");
    if (!o.receive && (!o.record.empty() || !o.xoffAfter.empty() || o.readRate))
        usageError("--record, --xoff-after and --read-rate go with --receive");
    if (o.pty == !o.device.empty()) usageError("give either --device PATH or --pty");
    std::sort(o.xoffAfter.begin(), o.xoffAfter.end());
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

/// Bytes waiting to be read.
unsigned long long waiting(int fd) {
    int n = 0;
    return ioctl(fd, FIONREAD, &n) == 0 && n > 0 ? static_cast<unsigned long long>(n) : 0;
}

/// Opens the line: the pseudo-terminal's master once the other side has opened it (its
/// name printed first), or the device; then waits --wait.
int openLine(const Options& o, Pty& pty) {
    int fd = -1;
    if (o.pty) {
        pty = makePty(o.baud);
        fd = pty.master;
        std::printf("%s\n", pty.slave.c_str());
        std::fflush(stdout);
        if (!o.wait) {
            // The line is raw from the start, so the first byte may follow the opening at
            // once: what arrives before the opener's own settings waits unchanged.
            // A quick sender may have opened, sent and closed it in between: what it sent
            // is waiting.
            while (!slaveOpenElsewhere(fd) && !(o.receive && waiting(fd) > 0))
                std::this_thread::sleep_for(10ms);
        }
    } else {
        fd = open(o.device.c_str(), O_RDWR | O_NOCTTY);
        if (fd < 0) fail(sysError("cannot open " + o.device));
        makeRaw(fd, o.baud);
    }
    if (o.wait) std::this_thread::sleep_for(std::chrono::duration<double>(*o.wait));
    return fd;
}

volatile std::sig_atomic_t g_interrupted = 0;
extern "C" void onInterrupt(int) {
    g_interrupted = 1;
}

/// What the instrument side made of a transmission.
struct Verdict {
    int points = 0;  // coordinate records that arrived with their line end
    bool framing = true;
    bool layout = true;
    std::vector<std::string> faults;
    void framingFault(std::string what) {
        framing = false;
        faults.push_back(std::move(what));
    }
    void layoutFault(std::size_t line, std::string what) {
        layout = false;
        faults.push_back("line " + std::to_string(line) + ": " + what);
    }
};

bool isNumber(std::string_view s) {
    if (!s.empty() && (s[0] == '-' || s[0] == '+')) s.remove_prefix(1);
    bool digits = false, point = false;
    for (const char c : s) {
        if (c >= '0' && c <= '9')
            digits = true;
        else if (c == '.' && !point)
            point = true;
        else
            return false;
    }
    return digits;
}

bool allDigits(std::string_view s) {
    return !s.empty() &&
           std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
}

/// Whether `s` has the shape of `shape`: 9 a digit, A or a a letter, any other character
/// itself.
bool shaped(std::string_view s, std::string_view shape) {
    if (s.size() != shape.size()) return false;
    for (std::size_t i = 0; i < s.size(); ++i) {
        const char c = s[i];
        const bool letter = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
        if (shape[i] == '9'                      ? !(c >= '0' && c <= '9')
            : shape[i] == 'A' || shape[i] == 'a' ? !letter
                                                 : c != shape[i])
            return false;
    }
    return true;
}

std::string quoted(std::string_view s) {
    std::string out = "\"";
    for (const char c : s) {
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02x", static_cast<unsigned char>(c));
            out += hex;
        } else {
            out += c;
        }
    }
    return out + "\"";
}

/// Checks one line of the records (without its CR LF), the `n`th.
void checkRecord(std::string_view line, std::size_t n, Verdict& v) {
    if (std::any_of(line.begin(), line.end(),
                    [](char c) { return static_cast<unsigned char>(c) < 0x20 || c == 0x7f; })) {
        v.layoutFault(n, "a control character in " + quoted(line));
        return;
    }
    const std::string_view type = line.substr(0, 4);
    if (n == 1) {
        // 00NM, the version in 5-20, the date and time in 25-39, six flags in 41-46.
        if (type != "00NM" || line.substr(4, 5) != "SDR33")
            v.layoutFault(n, "not a 00NM header of version SDR33: " + quoted(line));
        else if (line.size() != 46 || !shaped(line.substr(24, 16), "99-Aaa-99 99:99 ") ||
                 !allDigits(line.substr(40, 6)))
            v.layoutFault(n,
                          "the header is not 46 characters with the date in 25-39 and six "
                          "flags in 41-46: " +
                              quoted(line));
        return;
    }
    if (n == 2) {
        // 10NM, the job name in 5-20, six flags in 21-26.
        if (type != "10NM")
            v.layoutFault(n, "not a 10NM job record: " + quoted(line));
        else if (line.size() != 26 || !allDigits(line.substr(20, 6)))
            v.layoutFault(
                n, "the job record is not 26 characters ending in six flags: " + quoted(line));
        else if (line.substr(4, 16).find_first_not_of(' ') == std::string_view::npos)
            v.layoutFault(n, "the job record names no job");
        return;
    }
    if (type != "08KI") {
        v.layoutFault(n, "a " + quoted(type) + " record where 08KI records are expected");
        return;
    }
    if (line.size() < 68 || line.size() > 84) {
        v.layoutFault(n, "an 08KI record of " + std::to_string(line.size()) +
                             " characters (68 to 84 expected)");
        return;
    }
    // The point id right-aligned in 5-20.
    const std::string_view id = line.substr(4, 16);
    if (id.back() == ' ') v.layoutFault(n, "the point id " + quoted(id) + " is not right-aligned");
    // Three values left-aligned in 21-36, 37-52, 53-68, each a number.
    static const char* const kNames[] = {"first", "second", "third"};
    for (int i = 0; i < 3; ++i) {
        const std::string_view field = line.substr(20 + 16 * std::size_t(i), 16);
        const std::string_view value = field.substr(0, field.find_last_not_of(' ') + 1);
        if (field.front() == ' ' || !isNumber(value))
            v.layoutFault(n, std::string("the ") + kNames[i] + " value " + quoted(field) +
                                 " is not a left-aligned number");
    }
}

/// Checks the bytes received up to the ETX (`etx`: it came), and `after` bytes that
/// followed it.
Verdict check(const std::string& bytes, bool etx, unsigned long long after) {
    Verdict v;
    if (bytes.empty()) {
        v.framingFault("nothing arrived");
        return v;
    }
    if (bytes[0] != kStx) v.framingFault("the first byte is not STX");
    if (!etx)
        v.framingFault("no ETX: the line ended after " + std::to_string(bytes.size()) + " bytes");
    if (after > 0) v.framingFault(std::to_string(after) + " bytes followed the ETX");
    std::string_view body(bytes);
    if (body[0] == kStx) body.remove_prefix(1);
    if (etx) body.remove_suffix(1);
    std::size_t n = 0;
    while (!body.empty()) {
        const std::size_t end = body.find("\r\n");
        if (end == std::string_view::npos) {
            // Only a transmission that ended properly must end its last line.
            if (etx) v.framingFault("line " + std::to_string(n + 1) + " does not end in CR LF");
            break;
        }
        const std::string_view line = body.substr(0, end);
        body.remove_prefix(end + 2);
        ++n;
        if (line.find_first_of("\r\n") != std::string_view::npos) {
            v.framingFault("line " + std::to_string(n) + " has a CR or LF of its own");
            continue;
        }
        if (line.find_first_of(std::string_view("\x02\x03", 2)) != std::string_view::npos) {
            v.framingFault("line " + std::to_string(n) + " holds an STX or ETX");
            continue;
        }
        checkRecord(line, n, v);
        v.points += line.substr(0, 4) == "08KI";
    }
    if (etx && n < 2) v.layoutFault(n + 1, "the header or the job record is missing");
    return v;
}

/// Takes what the other side sends until the ETX (with --pty, then until it closes the
/// line), answering XOFF and XON and reading as slowly as asked; records and checks it.
int receive(const Options& o) {
    Pty pty;
    const int fd = openLine(o, pty);
    // From here on Ctrl+C and SIGTERM end the reception with its summary; before the
    // other side has opened the line they end the program as usual.
    struct sigaction sa {};
    sa.sa_handler = onInterrupt;
    sigaction(SIGINT, &sa, nullptr);
    sigaction(SIGTERM, &sa, nullptr);
    const unsigned long long limit = o.closeAfter.value_or(~0ULL);
    const auto hold = std::chrono::milliseconds(o.holdMs);
    const auto grace = std::chrono::milliseconds(o.graceMs);
    std::string bytes;
    bool etx = false;
    unsigned long long received = 0, after = 0, held = 0;
    std::size_t nextXoff = 0;
    std::optional<Clock::time_point> holding;  // since the XOFF
    bool graceOver = false;
    unsigned long long heldFrom = 0;  // arrived by the end of the grace
    std::optional<Clock::time_point> lingerEnd;
    const auto start = Clock::now();
    std::vector<char> buf(4096);
    while (!g_interrupted && received < limit) {
        const auto now = Clock::now();
        if (!holding && nextXoff < o.xoffAfter.size() && received >= o.xoffAfter[nextXoff]) {
            writeAll(fd, &kXoff, 1);
            holding = now;
            graceOver = false;
            ++nextXoff;
        }
        // What arrives while held counts whether or not it has been read yet.
        if (holding && !graceOver && now >= *holding + grace) {
            heldFrom = received + waiting(fd);
            graceOver = true;
        }
        if (holding && now >= *holding + hold) {
            if (graceOver) held += received + waiting(fd) - heldFrom;
            writeAll(fd, &kXon, 1);
            holding.reset();
        }
        if (etx && !o.pty) break;
        if (lingerEnd && now >= *lingerEnd) break;
        std::size_t want =
            static_cast<std::size_t>(std::min<unsigned long long>(buf.size(), limit - received));
        if (o.readRate) {
            const double due =
                std::chrono::duration<double>(now - start).count() * double(*o.readRate);
            const double allowed = due - double(received);
            if (allowed < 1) {
                std::this_thread::sleep_for(1ms);
                continue;
            }
            want = std::min(want, static_cast<std::size_t>(allowed));
        }
        pollfd p{fd, POLLIN, 0};
        if (poll(&p, 1, 5) <= 0) continue;
        const ssize_t k = (p.revents & POLLIN) != 0 ? read(fd, buf.data(), want) : 0;
        if (k < 0 && (errno == EINTR || errno == EAGAIN)) continue;
        if (k <= 0) break;  // the other side closed the line (EIO on a pseudo-terminal)
        received += static_cast<unsigned long long>(k);
        for (ssize_t i = 0; i < k; ++i) {
            if (etx) {
                ++after;
            } else {
                bytes += buf[std::size_t(i)];
                etx = buf[std::size_t(i)] == kEtx;
                if (etx && o.linger)
                    lingerEnd = Clock::now() + std::chrono::duration_cast<Clock::duration>(
                                                   std::chrono::duration<double>(*o.linger));
            }
        }
    }
    if (holding && graceOver) held += received + waiting(fd) - heldFrom;
    close(fd);

    if (!o.record.empty()) {
        std::FILE* out = std::fopen(o.record.c_str(), "wb");
        if (out == nullptr || std::fwrite(bytes.data(), 1, bytes.size(), out) != bytes.size() ||
            std::fclose(out) != 0)
            fail(sysError("cannot write " + o.record));
    }
    const Verdict v = check(bytes, etx, after);
    constexpr std::size_t kShown = 10;
    for (std::size_t i = 0; i < v.faults.size() && i < kShown; ++i)
        std::fprintf(stderr, "quorvel-station-sim: %s\n", v.faults[i].c_str());
    if (v.faults.size() > kShown)
        std::fprintf(stderr, "quorvel-station-sim: and %zu more\n", v.faults.size() - kShown);
    std::printf("received bytes=%llu points=%d framing=%s layout=%s", received, v.points,
                v.framing ? "ok" : "bad", v.layout ? "ok" : "bad");
    if (!o.xoffAfter.empty()) std::printf(" xoff=%zu held=%llu", nextXoff, held);
    std::printf("\n");
    std::fflush(stdout);
    return v.framing && v.layout ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    const Options o = parse(argc, argv);
    if (o.receive) return receive(o);

    std::FILE* in = o.file == "-" ? stdin : std::fopen(o.file.c_str(), "rb");
    if (in == nullptr) fail(sysError("cannot open " + o.file));

    Pty pty;
    const int fd = openLine(o, pty);

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
