// SPDX-License-Identifier: GPL-3.0-or-later
// quorvel-send as a user runs it: what it would send, what it refuses, and what the
// instrument side (the simulator on a pseudo-terminal) gets.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <regex>
#include <sstream>
#include <tuple>

#include "../core/temp_dir.h"
#include "core/version.h"

namespace {

// 40 points in Quorvel's own CSV: X north, Y east, three decimals, as Convert writes them.
std::string sourceCsv() {
    std::string csv = "Point,X,Y,Z,Code\r\n";
    for (int i = 1; i <= 40; ++i)
        csv += "P" + std::to_string(i) + "," + std::to_string(5000 + i) + ".125," +
               std::to_string(i - 20) + ".500,100.250," + (i % 7 ? "PEG" : "") + "\r\n";
    return csv;
}

// The record's date and time vary with the clock.
std::string withoutDate(const std::string& text) {
    static const std::regex date("\\d\\d-[A-Z][a-z]{2}-\\d\\d \\d\\d:\\d\\d");
    return std::regex_replace(text, date, "DD-Mon-YY hh:mm");
}

struct Ran {
    int status;
    std::string out, err;
};

// `args` is a shell command tail; the streams land in .out and .err of the folder.
Ran run(const TempDir& dir, const std::string& command) {
    const int st = std::system(("cd '" + dir.str() + "' && " + command + " >.out 2>.err").c_str());
    return {WIFEXITED(st) ? WEXITSTATUS(st) : -1, slurp(dir / ".out"), slurp(dir / ".err")};
}

const std::string kSend = "timeout 20 '" QUORVEL_SEND "' </dev/null ";

}  // namespace

// Each run in turn, on the files the runs before it left: status, standard output (dates
// masked) and standard error (a usage error, status 2: its line without a line end, then
// the help).
TEST(CliSend, RunsOneAfterAnother) {
    TempDir dir;
    spit(dir / "job.csv", "Pt;E;N;Z;Code\n7;2000.5;5000.25;12;PEG\n8;2001;5001;13;\n");
    spit(dir / "long.csv", "Point,X,Y,Z\n1,1,2,3\nP2,12345678901234.567,2,3\n");
    spit(dir / "none.csv", "Point,X,Y,Z\n");
    spit(dir / "J-sent.sdr", slurp(QUORVEL_TEST_DATA "/road-sdr20.sdr"));
    spit(dir / "taken-sent.sdr", "keep");
    const auto [helped, usage, helpErr] = run(dir, kSend + "--help");
    EXPECT_TRUE(helped == 0 && helpErr.empty() && usage.starts_with("Usage: quorvel-send FILE"));
    const std::string header =
        "\x02"
        "00NMSDR33               DD-Mon-YY hh:mm 111111\r\n";
    const std::string points =
        "08KI               75000.250        2000.500        12.000          PEG             \r\n"
        "08KI               85001.000        2001.000        13.000                          \r\n"
        "\x03";
    // clang-format off
    const struct {
        std::string args;
        int status;
        std::string out, err;
    } runs[] = {
        // E and N columns become X north, Y east (or X east with --axes xeast, which the
        // header says); the job is the file's name.
        {"--dry-run job.csv", 0, header + "10NMjob             121111\r\n" + points, ""},
        {"--dry-run --axes xeast --job 'STAKE OUT 12' job.csv", 0,
         "\x02" "00NMSDR33               DD-Mon-YY hh:mm 111121\r\n10NMSTAKE OUT 12    121111\r\n"
         "08KI               72000.500        5000.250        12.000          PEG             \r\n"
         "08KI               82001.000        5001.000        13.000                          \r\n\x03", ""},
        {"--dry-run '" QUORVEL_TEST_DATA "/bridge01-sdr33.sdr'", 0, "*",
         "Not sent:  1: 1 point without Z: 102\n"},
        {"--dry-run long.csv", 1, "", "quorvel-send: long.csv: point P2 has a coordinate longer "
         "than 16 characters; nothing was sent\n"},
        {"--dry-run none.csv", 1, "", "quorvel-send: none.csv: no point to send\n"},
        {"--dry-run missing.csv", 1, "", "quorvel-send: missing.csv: No such file or directory\n"},
        // The port opens before the record is written: a failed open leaves none.
        {"--port /nonexistent job.csv", 1, "", "quorvel-send: /nonexistent: no such device.\n"},
        {"--port /nonexistent --job taken job.csv", 1, "",
         "quorvel-send: taken-sent.sdr: File Exists! use --force to replace it\n"},
        {"--port /nonexistent --job taken --force job.csv", 1, "",
         "quorvel-send: /nonexistent: no such device.\n"},
        {"--port /nonexistent --job J --force J-sent.sdr", 1, "",
         "quorvel-send: J-sent.sdr: is the file being sent; give another --job\n"},
        {"--version", 0, quorvel::versionText("quorvel-send"), ""},
        {"", 2, "", "no FILE to send"},
        {"job.csv", 2, "", "--port is needed to send (or --dry-run to see what would be sent)"},
        {"--port '' job.csv", 2, "", "--port: empty port name"},
        {"--dry-run -", 2, "", "FILE is a file, not standard input: JOB-sent.sdr goes beside it"},
        {"--dry-run --line-delay 1001 job.csv", 2, "", "--line-delay: Value 1001 not in range 0 to 1000"},
        {"--dry-run --job ABCDEFGHIJKLMNOPQ job.csv", 2, "",
         "--job ABCDEFGHIJKLMNOPQ: a job name has at most 16 characters"},
        {"--dry-run --job '' job.csv", 2, "", "--job: the job name is empty"},
        {"--dry-run --job ../x job.csv", 2, "", "--job ../x: the job name also names JOB-sent.sdr: no / or \\"},
        {"--dry-run --job \"$(printf 'A\\tB')\" job.csv", 2, "", "--job: the job name holds a control character"},
        {"--flow rts --port x job.csv", 2, "", "--flow: rts not in {none,xonxoff,rtscts}"},
        {"--dry-run job.csv job.csv", 2, "", "The following argument was not expected: job.csv"}};
    // clang-format on
    for (const auto& r : runs) {
        const auto [status, out, err] = run(dir, kSend + r.args);
        EXPECT_EQ(status, r.status) << r.args;
        if (r.out != "*") {
            EXPECT_EQ(withoutDate(out), r.out) << r.args;
        }
        const bool usageError = r.status == 2 && !r.err.ends_with("\n");  // its line alone
        EXPECT_EQ(err, usageError ? "quorvel-send: " + r.err + "\n" + usage : r.err) << r.args;
    }
    EXPECT_EQ(dir.listing(), ".err .out J-sent.sdr job.csv long.csv none.csv taken-sent.sdr ");
    EXPECT_EQ(slurp(dir / "taken-sent.sdr"), "keep");
}

// Sends to the simulator on a pseudo-terminal, each run with the simulator's options, the
// sender's, and how many milliseconds after writing its record the sender gets SIGTERM
// (0: never). The
// simulator's summary and the sender's standard error are patterns; a count in both, in
// parentheses, must be the same number.
TEST(CliSend, SendsToTheInstrument) {
    TempDir dir;
    const std::string source = sourceCsv();
    spit(dir / "job.csv", source);
    // clang-format off
    const struct {
        std::string sim, send;
        int termAfterMs;
        int status;
        std::string summary, err;
    } runs[] = {
        {"", "--line-delay 0", 0, 0, "received bytes=3518 points=40 framing=ok layout=ok", ""},
        // A pulled device: one message, no ETX at the other end.
        {"--close-after 1000", "--line-delay 10", 0, 1,
         "received bytes=1000 points=10 framing=bad layout=ok",
         "quorvel-send: /dev/pts/[0-9]+ was unplugged or stopped answering\\. [0-9]+ of 40 points "
         "were sent in full\n"},
        // Stopped part way: the count said is what arrived in full.
        {"", "--line-delay 20", 200, 1, "received bytes=[0-9]+ points=([1-9][0-9]?) framing=bad layout=ok",
         "quorvel-send: stopped: ([0-9]+) of 40 points were sent in full\n"}};
    // clang-format on
    for (const auto& r : runs) {
        SCOPED_TRACE(r.sim + " | " + r.send);
        std::remove((dir / "rec.sdr").c_str());
        std::remove((dir / "job-sent.sdr").c_str());
        std::FILE* sim = popen(
            ("cd '" + dir.str() +
             "' && exec timeout 20 '" QUORVEL_STATION_SIM "' --receive --pty --record rec.sdr " +
             r.sim + " 2>/dev/null")
                .c_str(),
            "r");
        ASSERT_NE(sim, nullptr);
        char line[256] = {};
        ASSERT_NE(std::fgets(line, sizeof line, sim), nullptr);
        const std::string device = std::string(line).substr(0, std::string(line).find('\n'));
        const std::string send = kSend + "--force --port " + device + " " + r.send + " job.csv";
        const auto [status, out, err] =
            run(dir, r.termAfterMs == 0 ? send
                                        : "{ " + send +
                                              " & p=$!; until [ -e job-sent.sdr ]; do sleep "
                                              "0.01; done; sleep " +
                                              std::to_string(r.termAfterMs / 1000.0) +
                                              "; kill -TERM $p; wait $p; }");
        std::string summary;
        while (std::fgets(line, sizeof line, sim) != nullptr) summary += line;
        const int simStatus = pclose(sim);
        EXPECT_EQ(status, r.status) << err;
        std::smatch got, said;
        EXPECT_TRUE(std::regex_match(summary, got, std::regex(r.summary + "\n"))) << summary;
        EXPECT_TRUE(std::regex_match(err, said, std::regex(r.err))) << err;
        if (got.size() > 1 && said.size() > 1) {
            EXPECT_EQ(got[1], said[1]);
        }
        if (r.status != 0) continue;
        // Every point as in the file: the bytes sent are the record's and the dry run's,
        // and they convert back into the same points, digit for digit.
        EXPECT_EQ(WEXITSTATUS(simStatus), 0);
        EXPECT_EQ(out, "40 of 40 points sent to " + device +
                           " as job job; the text sent is in job-sent.sdr\n");
        const std::string record = slurp(dir / "job-sent.sdr");
        EXPECT_EQ(slurp(dir / "rec.sdr"), record);
        EXPECT_EQ(withoutDate(run(dir, kSend + "--dry-run job.csv").out), withoutDate(record));
        EXPECT_EQ(run(dir, "'" QUORVEL_CONVERT "' --format csv -o - rec.sdr").out, source);
    }
}
