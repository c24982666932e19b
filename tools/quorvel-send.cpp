// SPDX-License-Identifier: GPL-3.0-or-later
// quorvel-send: sends the points of a file to the instrument over a serial line for
// stake-out, with the same records, the same sender and the same record of what was
// sent as the window, for scripts.
#include <CLI/CLI.hpp>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <csignal>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <string>
#include <vector>
#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#else
#include <unistd.h>
#endif

#include "core/fileio.h"
#include "core/safe_output.h"
#include "core/send.h"
#include "core/settings.h"
#include "core/version.h"
#include "platform/QtSerialPort.h"
#include "send/Sender.h"

namespace {

constexpr const char* kUsage =
    "Usage: quorvel-send FILE --port PORT [--baud N] [--parity none|even|odd]\n"
    "                   [--data-bits 7|8] [--stop-bits 1|2] [--flow none|xonxoff|rtscts]\n"
    "                   [--line-delay MS] [--job NAME] [--axes xnorth|xeast] [--force]\n"
    "       quorvel-send FILE --dry-run [--job NAME] [--axes xnorth|xeast]\n"
    "Sends the points of FILE to the instrument as SDR33 coordinate records, for\n"
    "stake-out. FILE is any file Convert reads, or CSV with a header naming the point,\n"
    "X (or E, Easting), Y (or N, Northing), Z and code columns.\n"
    "\n"
    "  --port PORT      COM1, COM2, ... as the window names them, or a device such as\n"
    "                   /dev/ttyUSB0\n"
    "  --baud N         1200, 2400, 4800, 9600, 19200, 38400 (default), 57600, 115200\n"
    "  --parity P       none (default), even, odd\n"
    "  --data-bits N    7 or 8 (default)\n"
    "  --stop-bits N    1 (default) or 2\n"
    "  --flow F         none (default), xonxoff: the instrument holds the line with\n"
    "                   XOFF and XON, rtscts: with the RTS and CTS lines\n"
    "  --line-delay MS  pause after each line, 0 to 1000 milliseconds (default 50)\n"
    "  --job NAME       the job name, at most 16 characters (default: FILE's name\n"
    "                   without its extension, cut to 16)\n"
    "  --axes A         xnorth: X north, Y east (default); xeast: X east, Y north\n"
    "  -f, --force      replace an existing JOB-sent.sdr\n"
    "  --dry-run        print the exact bytes that would be sent and send nothing\n"
    "  -h, --help       show this help and exit\n"
    "  --version        show the version and exit\n"
    "\n"
    "Before sending, the text sent is written to JOB-sent.sdr beside FILE. Progress\n"
    "goes to standard error; Ctrl+C stops at once and says how many points were sent\n"
    "in full. Points that cannot be sent are named on standard error; a coordinate\n"
    "longer than 16 characters stops the send before it starts. Exit status: 0 when\n"
    "every point was sent, 1 on a failure or a stop, 2 for a wrong command line.\n";

constexpr int kLineDelayMax = 1000;

int usageError(const std::string& what) {
    std::fprintf(stderr, "quorvel-send: %s\n%s", what.c_str(), kUsage);
    return 2;
}

void report(const std::string& what) {
    std::fprintf(stderr, "quorvel-send: %s\n", what.c_str());
}

bool isTerminal(std::FILE* stream) {
#ifdef _WIN32
    return _isatty(_fileno(stream)) != 0;
#else
    return isatty(fileno(stream)) != 0;
#endif
}

volatile std::sig_atomic_t g_stop = 0;
extern "C" void onStopSignal(int) {
    g_stop = 1;
}

/// The progress on standard error: on a terminal one line, written over a few times a
/// second; in a log a line every ten seconds.
class Progress {
public:
    Progress() : m_terminal(isTerminal(stderr)) { m_last.start(); }
    void show(const QString& text) {
        if (m_last.elapsed() < (m_terminal ? 100 : 10000)) return;
        m_last.restart();
        if (!m_terminal) {
            std::fprintf(stderr, "%s\n", text.toUtf8().constData());
            return;
        }
        // Written over: blanks cover what a longer line before left.
        const qsizetype blanks = std::max<qsizetype>(0, m_width - text.size());
        m_width = text.size();
        std::fprintf(stderr, "\r%s%s", text.toUtf8().constData(),
                     std::string(std::size_t(blanks), ' ').c_str());
        std::fflush(stderr);
    }
    /// Clears the line for the closing message.
    void end() {
        if (m_terminal && m_width > 0)
            std::fprintf(stderr, "\r%s\r", std::string(std::size_t(m_width), ' ').c_str());
        m_width = 0;
    }

private:
    bool m_terminal;
    QElapsedTimer m_last;
    qsizetype m_width = 0;
};

struct Options {
    std::string file;
    std::string port;
    quorvel::LineSettings line;
    int delay = 50;
    std::string job;
    bool hasJob = false;
    quorvel::Axes axes = quorvel::Axes::XNorthYEast;
    bool force = false;
    bool dryRun = false;
};

/// Why `job` cannot name the job and its record file; empty when it can.
std::string jobProblem(const std::string& job) {
    if (job.empty()) return "--job: the job name is empty";
    if (job.size() > quorvel::kSendWidth)
        return "--job " + job + ": a job name has at most 16 characters";
    for (const char c : job) {
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f)
            return "--job: the job name holds a control character";
        if (c == '/' || c == '\\')
            return "--job " + job + ": the job name also names JOB-sent.sdr: no / or \\";
    }
    return {};
}

/// JOB-sent.sdr in the folder of `file`.
std::string recordPathFor(const std::string& file, const std::string& job) {
    const std::size_t slash = file.find_last_of(
#ifdef _WIN32
        "/\\"
#else
        "/"
#endif
    );
    return (slash == std::string::npos ? std::string() : file.substr(0, slash + 1)) + job +
           "-sent.sdr";
}

/// Sends `lines` on the port and waits until it is over; the exit status.
int send(const Options& opt, const std::vector<std::string>& lines, const std::string& text,
         const std::string& recordPath, int argc, char* argv[]) {
    // Ctrl+C and SIGTERM stop the send from the event loop, so the port closes cleanly;
    // one that comes before the send has started stops it as it starts.
    std::signal(SIGINT, onStopSignal);
    std::signal(SIGTERM, onStopSignal);
    // The toolkit's own notes (a lock file, a notifier) are no concern of the user's.
    qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& message) {
        if (type == QtCriticalMsg || type == QtFatalMsg)
            std::fprintf(stderr, "quorvel-send: %s\n", qPrintable(message));
    });
    QCoreApplication app(argc, argv);
    // COMn is resolved as the window resolves it; anything else is the device itself.
    const QString name = QString::fromLocal8Bit(opt.port.c_str());
    const bool com = name.size() > 3 && name.left(3).compare(u"COM", Qt::CaseInsensitive) == 0 &&
                     name.mid(3).toInt() > 0;
    quorvel::LineSettings line = opt.line;
    platform::QtSerialPort port(com ? platform::PortResolver(platform::resolveComPort)
                                    : [name](const QString&) { return name; });
    if (com)
        line.port = name.mid(3).toInt();
    else
        port.setCandidates([name](const QString&) { return QStringList{name}; });
    port.setLine(line);
    // The port first: a port that does not open leaves no record of a send.
    if (!port.open()) {
        report(port.errorString().toStdString());
        return 1;
    }
    quorvel::SafeOutFile record;
    if (!record.open(recordPath) || !record.write(text.data(), text.size()) || !record.commit()) {
        const quorvel::FileError e = record.error();
        report(e.path + ": " + e.reason() + "; nothing was sent");
        port.close();
        return 1;
    }

    Sender sender(port, nullptr);
    Progress progress;
    int status = 1;
    QObject::connect(&port, &platform::SerialPort::lineLost, &sender, &Sender::lineLost);
    QObject::connect(&sender, &Sender::progressChanged, &app,
                     [&](const QString& t) { progress.show(t); });
    const std::string device = port.device().toStdString();
    QObject::connect(
        &sender, &Sender::finished, &app, [&](Sender::Ending ending, const QString& reason) {
            progress.end();
            const std::string count =
                std::to_string(sender.sent()) + " of " + std::to_string(sender.total()) + " points";
            if (ending == Sender::Ending::Sent) {
                std::printf("%s sent to %s as job %s; the text sent is in %s\n", count.c_str(),
                            device.c_str(), opt.job.c_str(), recordPath.c_str());
                status = 0;
            } else if (ending == Sender::Ending::Stopped) {
                report("stopped: " + count + " were sent in full");
            } else {
                report((reason.isEmpty() ? device + ": the line was lost." : reason.toStdString()) +
                       " " + count + " were sent in full");
            }
            std::fflush(stdout);
            app.quit();
        });
    QTimer stopWatch;
    QObject::connect(&stopWatch, &QTimer::timeout, &sender, [&] {
        if (g_stop) sender.stop();
    });
    stopWatch.start(20);
    QString error;
    if (!sender.start(lines, 2, line, opt.delay, &error)) {
        report(error.toStdString());
        return 1;
    }
    // A send that ended as it started has said so already.
    if (sender.state() == Sender::State::Sending) app.exec();
    return status;
}

}  // namespace

int main(int argc, char* argv[]) {
    Options opt;
    CLI::App app("Sends the points of a file to the instrument.", "quorvel-send");
    app.set_help_flag("-h,--help");
    app.set_version_flag("--version", quorvel::versionText("quorvel-send"));
    std::string baud = "38400", parity = "none", dataBits = "8", stopBits = "1", flow = "none",
                axes = "xnorth";
    app.add_option("FILE", opt.file);
    CLI::Option* portOption = app.add_option("--port", opt.port);
    app.add_option("--baud", baud)
        ->check(
            CLI::IsMember({"1200", "2400", "4800", "9600", "19200", "38400", "57600", "115200"}));
    app.add_option("--parity", parity)->check(CLI::IsMember({"none", "even", "odd"}));
    app.add_option("--data-bits", dataBits)->check(CLI::IsMember({"7", "8"}));
    app.add_option("--stop-bits", stopBits)->check(CLI::IsMember({"1", "2"}));
    app.add_option("--flow", flow)->check(CLI::IsMember({"none", "xonxoff", "rtscts"}));
    app.add_option("--line-delay", opt.delay)->check(CLI::Range(0, kLineDelayMax));
    CLI::Option* jobOption = app.add_option("--job", opt.job);
    app.add_option("--axes", axes)->check(CLI::IsMember({"xeast", "xnorth"}));
    app.add_flag("-f,--force", opt.force);
    app.add_flag("--dry-run", opt.dryRun);
    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp&) {
        std::fputs(kUsage, stdout);
        return 0;
    } catch (const CLI::CallForVersion& e) {
        std::fputs(e.what(), stdout);
        return 0;
    } catch (const CLI::ParseError& e) {
        return usageError(e.what());
    }
    if (opt.file.empty()) return usageError("no FILE to send");
    if (opt.file == "-")
        return usageError("FILE is a file, not standard input: JOB-sent.sdr goes beside it");
    if (!opt.dryRun && portOption->count() == 0)
        return usageError("--port is needed to send (or --dry-run to see what would be sent)");
    if (!opt.dryRun && opt.port.empty()) return usageError("--port: empty port name");
    opt.hasJob = jobOption->count() > 0;
    if (opt.hasJob)
        if (const std::string problem = jobProblem(opt.job); !problem.empty())
            return usageError(problem);
    opt.line.baudRate = std::stoi(baud);
    opt.line.parity = parity == "even"  ? quorvel::Parity::Even
                      : parity == "odd" ? quorvel::Parity::Odd
                                        : quorvel::Parity::None;
    opt.line.dataBits = std::stoi(dataBits);
    opt.line.stopBits = std::stoi(stopBits);
    opt.line.flow = flow == "xonxoff"  ? quorvel::FlowControl::XonXoff
                    : flow == "rtscts" ? quorvel::FlowControl::RtsCts
                                       : quorvel::FlowControl::None;
    if (axes == "xeast") opt.axes = quorvel::Axes::XEastYNorth;

    quorvel::InFile in;
    quorvel::SendList list;
    if (!in.open(opt.file) || !quorvel::readSendPoints(in, opt.axes, list)) {
        report(opt.file + ": " + in.error().reason());
        return 1;
    }
    in.close();
    for (const std::string& note : quorvel::sendNotes(list))
        std::fprintf(stderr, "%s\n", note.c_str());
    // A value that does not fit its 16 columns would reach the instrument changed.
    if (!list.tooLong.empty()) {
        report(opt.file + ": point " + list.tooLong +
               " has a coordinate longer than 16 characters; nothing was sent");
        return 1;
    }
    if (list.points.empty()) {
        report(opt.file + ": no point to send");
        return 1;
    }
    if (!opt.hasJob) opt.job = quorvel::jobNameFor(opt.file);
    const std::time_t now = std::time(nullptr);
    const std::vector<std::string> lines =
        quorvel::sdrRecords(list, opt.job, opt.axes, *std::localtime(&now));
    const std::string text = quorvel::framedText(lines);
    if (opt.dryRun) {
#ifdef _WIN32
        _setmode(_fileno(stdout), _O_BINARY);  // CR LF as it goes on the line
#endif
        const bool written = std::fwrite(text.data(), 1, text.size(), stdout) == text.size();
        return written && std::fflush(stdout) == 0 ? 0 : 1;
    }
    const std::string recordPath = recordPathFor(opt.file, opt.job);
    const quorvel::OutputTarget target = quorvel::outputTarget(recordPath, {opt.file});
    if (target.source) {
        report(recordPath + ": is the file being sent; give another --job");
        return 1;
    }
    if (target.taken && !opt.force) {
        report(recordPath + ": File Exists! use --force to replace it");
        return 1;
    }
    return send(opt, lines, text, recordPath, argc, argv);
}
