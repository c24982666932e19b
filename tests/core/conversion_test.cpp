#include <grp.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <string>

#include "core/conversion.h"
#include "core/safe_output.h"
#include "piecewise_io.h"
#include "temp_dir.h"

using namespace quorvel;
namespace fs = std::filesystem;

namespace {

// An R4 coordinate line with point `point`, values as given.
std::string r4(const std::string& point, const std::string& x, const std::string& y,
               const std::string& z, char marker = 'X') {
    std::string s(72, ' ');
    s.replace(4, 2, "R4");
    s.replace(10, 3, "TR ");
    s.replace(13, point.size(), point);
    s[18] = marker;
    s.replace(31 - x.size(), x.size(), x);
    s.replace(51 - y.size(), y.size(), y);
    s.replace(71 - z.size(), z.size(), z);
    return s;
}

std::string convert(const std::string& text, int format, ConversionCounts& counts) {
    std::string out;
    StringWriter writer(out);
    MemoryReader in(text);
    EXPECT_EQ(convertObservations(in, writer, format, counts), PassResult::Ok);
    return out;
}

// Runs `body` in a child process (for limits and users that must not touch the test
// itself); the child's exit status 0 means its checks held.
template <class Body>
void inChild(Body body) {
    const pid_t pid = fork();
    ASSERT_NE(pid, -1);
    if (pid == 0) _exit(body() ? 0 : 1);
    int status = 0;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
}

bool failed(const ConversionOutcome& r, ConversionFailure::Kind kind, const std::string& path,
            const std::string& reason) {
    return r.failure && r.failure->kind == kind && r.failure->path == path &&
           r.failure->reason == reason;
}

}  // namespace

TEST(ConversionPass, CountsLinesAndCoordinateLines) {
    ConversionCounts counts;
    EXPECT_EQ(convert("", 1, counts), "");
    EXPECT_TRUE(counts.LineCount == 0 && counts.CoordinateCount == 0 && counts.nameLine == "");
    EXPECT_EQ(convert("header\r\nFor R4|TR POLAR\r\n\r\n", 1, counts), "");
    EXPECT_TRUE(counts.LineCount == 3 && counts.CoordinateCount == 0 && counts.nameLine == "");
    // The fourth of ten has no Z: its number is used up.
    std::string text;
    for (int i = 1; i <= 10; ++i)
        text += r4(std::to_string(i), "1", "2", i == 4 ? "" : "3") + "\r\n";
    const std::string out = convert(text, 3, counts);
    EXPECT_TRUE(counts.LineCount == 10 && counts.CoordinateCount == 10);
    EXPECT_EQ(counts.nameLine, "Output Format: Autocogo 3");
    std::string numbers;
    for (std::size_t at = 0; at < out.size(); at = out.find("\r\n", at) + 2)
        numbers += out.substr(at, out.find(',', at) - at) + " ";
    EXPECT_EQ(numbers, "1 2 3 5 6 7 8 9 10 ");
    // A second value that is not a number counts, writes nothing, names no layout.
    EXPECT_EQ(convert(r4("1", "1", "abc", "3"), 2, counts), "");
    EXPECT_TRUE(counts.CoordinateCount == 1 && counts.nameLine == "");
    EXPECT_EQ(convert(r4("1", "1", "2", ""), 2, counts), "");
    EXPECT_EQ(counts.nameLine, "Output Format: Autocogo 2");
    EXPECT_EQ(convert(r4("1", "1", "2", "3"), 7, counts), "");  // no such layout
    EXPECT_TRUE(counts.CoordinateCount == 1 && counts.nameLine == "");

    // Lines counted but not written are named: five points a reason, a line number
    // for a line without one; nothing written at all says so and names the output.
    const std::pair<std::string, std::string> skipped[] = {
        {text, "Not written:  1: 1 without Z (4)"},
        {r4("7", "1", "x", "3") + "\n" + r4("", "1", "2", "") + "\n" + r4("9", "1", "2", "3"),
         "Not written:  2: 1 without Z (line 2); 1 with a second value that is not a number (7)"},
        {[] {
             std::string t;
             for (int i = 1; i <= 6; ++i) t += r4(std::to_string(i), "1", "2", "") + "\n";
             return t;
         }(),
         "Not written:  6: 6 without Z (1, 2, 3, 4, 5, ...)"}};
    for (const auto& [input, line] : skipped) {
        convert(input, 1, counts);
        const auto parts = closingMessageParts(counts, "out.dat");
        EXPECT_EQ(parts.back(), line);
        EXPECT_EQ(parts.front(), counts.written > 0 ? "Conversion was Finshed Successfully!"
                                                    : "Nothing was written to out.dat!");
    }

    counts = {};
    counts.LineCount = 25;
    counts.CoordinateCount = counts.written = 3;
    counts.nameLine = "Output Format: Autocogo 1";
    EXPECT_EQ(closingMessageParts(counts),
              (std::vector<std::string>{"Conversion was Finshed Successfully!", "Lines read:  25",
                                        "Coordinates Lines:  3", "Output Format: Autocogo 1"}));
}

TEST(ConversionPass, LineEndsDoNotChangeTheResultAndAWriteFailureStopsIt) {
    const std::string a = r4("1", "1.5", "2.25", "3"), b = r4("2", "4", "5", "6", 'y');
    ConversionCounts counts;
    const std::string expected = convert(a + "\r\n" + b + "\r\n", 1, counts);
    EXPECT_EQ(expected,
              "1      1.500          2.250         3.000        TR 1   \r\n"
              "2      5.000          4.000         6.000        TR 2   \r\n");
    for (const char* end : {"\r", "\n"}) {
        EXPECT_EQ(convert(a + end + b, 1, counts), expected);  // last line without an end
        EXPECT_EQ(counts.LineCount, 2);
    }
    std::string text;
    for (int i = 0; i < 5000; ++i) text += a + "\n";
    MemoryReader in(text);
    LimitedWriter out(1000);
    EXPECT_EQ(convertObservations(in, out, 1, counts), PassResult::WriteFailed);
}

// Only the start of a long line is kept; a value that runs on past it is followed to
// its end. Either way the result is that of the whole line.
TEST(ConversionPass, LongLinesConvertAsIfHeldWhole) {
    const std::string digits(300000, '7');
    std::string runOn = r4("1", "1", "2", "3");
    runOn.resize(71);
    const std::string cases[] = {
        digits,                                           // no record at all
        r4("2", "1", "2", "3") + " " + digits,            // a coordinate line, then more
        runOn + digits,                                   // the third value runs on: a number
        runOn + digits + ".5.5",                          // ... not a number: its text
        r4("3", "1", "2", "3").substr(0, 31) + digits,    // the first runs on, through all three
        std::string(200, ' ') + "\r" + digits + "\r\n"};  // line ends in the skipped part
    for (const std::string& line : cases) {
        const std::string text = line + "\n" + r4("4", "5", "6", "7") + "\n";
        std::string out[2];
        ConversionCounts counts[2];
        for (std::size_t limit : {0, 1}) {
            MemoryReader in(text);
            StringWriter writer(out[limit]);
            EXPECT_EQ(convertObservations(in, writer,
                                          {.outputFormat = 3, .lineLimit = limit ? 128 : SIZE_MAX},
                                          counts[limit]),
                      PassResult::Ok);
        }
        EXPECT_EQ(out[1], out[0]);
        EXPECT_EQ(closingMessageParts(counts[1]), closingMessageParts(counts[0]));
        const std::string& whole = out[0];
        EXPECT_NE(whole.find(",5.000,6.000,7.000,TR ,4   \r\n"), std::string::npos);
    }
}

// SDR raw data files, written for these tests in the shapes the instruments'
// documentation gives: their header decides the widths (SDR33 16 and 16, SDR2x 4 and
// 10) and the order of northing and easting; X and Y follow the axis setting.
TEST(ConversionPass, SdrRecordsByTheirHeader) {
    const std::string sdr33 = slurp(QUORVEL_TEST_DATA "/bridge01-sdr33.sdr");
    const std::string sdr20 = slurp(QUORVEL_TEST_DATA "/road-sdr20.sdr");
    const std::string b16(16, ' '), b12(12, ' ');
    const std::string job = "10NMJOB             121111\r\n";
    const std::string header =
        sdr33.substr(sdr33.find("00NM"), sdr33.find("10NM") - sdr33.find("00NM"));
    // clang-format off
    const struct { std::string text; Axes axes; std::string out, last; } cases[] = {
        {sdr33, Axes::XEastYNorth,
         "1,2000.000,5000.000,100.000,TRIG" + b12 + ",1000\r\n2,2008.729,5008.733,99.861,PEG " + b12 +
         ",1001\r\n3,-4.347,-6.794,0.432,TREE" + b12 + ",101\r\n5,2010.250,5020.001,101.000,FENCE" +
         std::string(11, ' ') + ",FENCE7\r\n", "Not written:  1: 1 without Z (102)"},
        {sdr33.substr(0, 400), Axes::XNorthYEast,
         "1,5000.000,2000.000,100.000,TRIG" + b12 + ",1000\r\n", "Output Format: Autocogo 3"},
        {sdr20, Axes::XEastYNorth,
         "1,2000.000,5000.000,100.000,CP" + std::string(14, ' ') + ",1\r\n2,2004.341,5024.620,99.572,EDGE" +
         b12 + ",2\r\n3,2010.100,5030.000,-0.001,EDGE" + b12 + ",3\r\n", "Output Format: Autocogo 3"},
        // Without a header the widths are not known: 16 and 16, and the message says so.
        {job + "08KI" + std::string(13, ' ') + "101-6.794          -4.347          0.432\r\n",
         Axes::XEastYNorth, "1,-4.347,-6.794,0.432,,101\r\n",
         "SDR field widths not stated in the file: read as 16 characters"},
        // Lines before the header are read as before; SDR lines that are no coordinate,
        // or have no SDR shape, are passed over.
        {r4("9", "1", "2", "3") + "\r\n" + header + r4("8", "1", "2", "3") + "\r\n08ki   1\r\n09F1\r\n" +
         "08KI" + std::string(15, ' ') + "xnorth" + b16.substr(6) + "2" + b16.substr(1) + "3\r\n",
         Axes::XEastYNorth,
         "1,1.000,2.000,3.000,TR ,9   \r\n",
         "Not written:  1: 1 with a northing or easting that is not a number (x)"}};
    // clang-format on
    for (const auto& c : cases) {
        ConversionCounts counts;
        std::string out;
        StringWriter writer(out);
        MemoryReader in(c.text);
        ASSERT_EQ(convertObservations(in, writer, {.outputFormat = 3, .axes = c.axes}, counts),
                  PassResult::Ok);
        EXPECT_EQ(out, c.out);
        EXPECT_EQ(closingMessageParts(counts).back(), c.last);
    }
}

class ConversionJob : public ::testing::Test {
protected:
    TempDir dir;
    std::string obs = dir / "job.sdr";
    std::string text = r4("11", "1", "2", "3") + "\r\n" + r4("12", "4", "5", "6") + "\r\n";
    using Kind = ConversionFailure::Kind;

    void SetUp() override { spit(obs, text); }
    std::string expected(int format) {
        ConversionCounts counts;
        return convert(text, format, counts);
    }
};

TEST_F(ConversionJob, WritesAndReplacesTheOutput) {
    const std::string out = dir / "job.dat";
    ConversionOutcome r = convertFile({obs, out, 2});
    ASSERT_FALSE(r.failure);
    EXPECT_TRUE(r.ran && r.counts.LineCount == 2);
    EXPECT_EQ(slurp(out), expected(2));
    spit(out, std::string(100000, 'o'));  // a longer old file is replaced entirely
    const auto perms = fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read;
    fs::permissions(out, perms);
    ASSERT_FALSE(convertFile({obs, out, 1}).failure);
    EXPECT_EQ(slurp(out), expected(1));
    EXPECT_EQ(fs::status(out).permissions() & fs::perms::all, perms);
    EXPECT_EQ(dir.listing(), "job.dat job.sdr ");
    // Through a link the file it leads to is replaced; the link stays.
    fs::create_directories(dir.path / "real");
    spit(dir / "real/target.dat", "old");
    fs::create_symlink(dir.path / "real/target.dat", dir.path / "link.dat");
    ASSERT_FALSE(convertFile({obs, dir / "link.dat", 3}).failure);
    EXPECT_TRUE(fs::is_symlink(dir.path / "link.dat"));
    EXPECT_EQ(slurp(dir / "real/target.dat"), expected(3));
    // Every byte value in codes, points and third values passes through.
    std::string line = r4("1", "1", "2", "3");
    line.replace(10, 7, "\x80\t\x01\xff\x7f\x1b\xe9");
    line.replace(59, 12, "\xa0\x02\t\x90        ");
    spit(obs, line);
    ASSERT_FALSE(convertFile({obs, out, 3}).failure);
    EXPECT_EQ(slurp(out), "1,1.000,2.000,\xa0\x02\t\x90        ,\x80\t\x01,\xff\x7f\x1b\xe9\r\n");
}

TEST_F(ConversionJob, FailuresTouchNothing) {
    const std::string out = dir / "out.dat";
    spit(out, "old");
    ConversionOutcome r = convertFile({dir / "missing.sdr", out, 1});
    EXPECT_TRUE(
        failed(r, Kind::ObservationNotFound, dir / "missing.sdr", "No such file or directory"));
    EXPECT_FALSE(r.ran);
    r = convertFile({dir / "no/such/folder.sdr", out, 1});
    EXPECT_TRUE(failed(r, Kind::ObservationNotFound, dir / "no/such/folder.sdr",
                       "No such file or directory"));
    EXPECT_TRUE(
        failed(convertFile({dir.str(), out, 1}), Kind::Observation, dir.str(), "Is a directory"));
    EXPECT_TRUE(failed(convertFile({obs, dir / "no/folder/out.dat", 1}), Kind::Output,
                       dir / "no/folder/out.dat", "No such file or directory"));
    EXPECT_TRUE(
        failed(convertFile({obs, dir.str(), 1}), Kind::Output, dir.str(), "Is a directory"));
    EXPECT_TRUE(failed(convertFile({obs, obs + "/out.dat", 1}), Kind::Output, obs + "/out.dat",
                       "Not a directory"));  // a file where a folder should be
    // Nothing to write: no empty file takes the place of a good one.
    const std::string noZ = dir / "noz.sdr", empty = dir / "empty.sdr";
    spit(noZ, r4("1", "1", "2", ""));
    spit(empty, "");
    for (const std::string& nothing : {noZ, empty}) {
        r = convertFile({nothing, out, 1});
        EXPECT_TRUE(r.ran && failed(r, Kind::NothingWritten, out, "")) << nothing;
    }
    if (fs::exists("/dev/full")) {
        EXPECT_TRUE(failed(convertFile({obs, "/dev/full", 1}), Kind::Output, "/dev/full",
                           "No space left on device"));
    }
    // The same file, whatever the spelling or link: refused before anything is opened.
    fs::create_symlink(obs, dir.path / "link.sdr");
    fs::create_hard_link(obs, dir.path / "hard.sdr");
    for (const std::string& same :
         {obs, dir / "link.sdr", dir / "hard.sdr", dir / "././/job.sdr"}) {
        r = convertFile({obs, same, 1});
        EXPECT_TRUE(r.failure && r.failure->kind == Kind::SameFile && !r.ran) << same;
    }
    EXPECT_EQ(slurp(obs), text);
    EXPECT_EQ(slurp(out), "old");
    EXPECT_EQ(dir.listing(), "empty.sdr hard.sdr job.sdr link.sdr noz.sdr out.dat ");
}

TEST_F(ConversionJob, AWriteFailurePartWayLeavesTheOldFileAsItWas) {
    std::string big;
    for (int i = 0; i < 20000; ++i) big += r4(std::to_string(i % 1000), "1", "2", "3") + "\n";
    spit(obs, big);
    const std::string out = dir / "out.dat";
    spit(out, "old content");
    inChild([&] {
        // Files may not grow past 64 KiB in the child: the write fails part way.
        signal(SIGXFSZ, SIG_IGN);
        rlimit limit{64 * 1024, 64 * 1024};
        setrlimit(RLIMIT_FSIZE, &limit);
        const ConversionOutcome r = convertFile({obs, out, 1});
        return r.ran && failed(r, Kind::Output, out, "File too large");
    });
    EXPECT_EQ(slurp(out), "old content");
    EXPECT_EQ(dir.listing(), "job.sdr out.dat ");
}

// A writable file in a folder that is not writable, and a read-only file in a writable one.
TEST_F(ConversionJob, NoPermissionToWrite) {
    using fs::perms;
    const perms readable = perms::owner_read | perms::group_read | perms::others_read;
    const std::string inLocked = dir / "locked/out.dat", readOnly = dir / "open/out.dat";
    for (const char* sub : {"locked", "open"}) {
        fs::create_directories(dir.path / sub);
        spit(dir / sub + "/out.dat", "old");
    }
    fs::permissions(inLocked, perms::all);
    fs::permissions(readOnly, readable);
    fs::permissions(dir.path / "locked",
                    readable | perms::owner_exec | perms::group_exec | perms::others_exec);
    fs::permissions(dir.path / "open", perms::all);
    fs::permissions(obs, readable);
    fs::permissions(dir.path, perms::others_exec, fs::perm_options::add);
    inChild([&] {
        // Root may write anywhere: check as an ordinary user.
        if (geteuid() == 0 &&
            (setgroups(0, nullptr) != 0 || setgid(65534) != 0 || setuid(65534) != 0))
            return false;
        bool ok = true;
        for (const std::string& out : {inLocked, readOnly})
            ok = ok && failed(convertFile({obs, out, 1}), Kind::Output, out, "Permission denied");
        return ok;
    });
    for (const char* sub : {"locked", "open"}) {
        EXPECT_EQ(slurp(dir / sub + "/out.dat"), "old") << sub;
        EXPECT_EQ(std::distance(fs::directory_iterator(dir.path / sub), {}), 1) << sub;
    }
}

TEST_F(ConversionJob, DevicesAreWrittenDirectlyNeverReplaced) {
    ASSERT_FALSE(convertFile({obs, "/dev/null", 1}).failure);
    EXPECT_TRUE(fs::is_character_file("/dev/null"));
    SafeOutFile out;
    EXPECT_TRUE(out.open("/dev/stdout") && out.direct());
}
