// quorvel-convert as a user runs it: exit codes, messages, and the same bytes as
// the library writes.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <string>

#include "../core/temp_dir.h"
#include "core/conversion.h"

namespace {

struct Result {
    int status = -1;
    std::string out;
    std::string err;
};

class Cli : public ::testing::Test {
protected:
    TempDir dir;
    std::string obs = dir / "A1.sdr";
    std::string text;

    void SetUp() override {
        for (int i = 1; i <= 30; ++i) {
            std::string s(72, ' ');
            s.replace(4, 2, "R4");
            s.replace(10, 3, "TR ");
            const std::string p = std::to_string(100 + i);
            s.replace(13, p.size(), p);
            s[18] = 'X';
            s.replace(26, 6, "21.259");
            s.replace(46, 6, "59.620");
            s.replace(66, 6, "11.256");
            text += s + "\n";
        }
        text += "END\n";
        spit(obs, text);
    }

    // Runs the tool in the test folder with `args` (a shell command line tail).
    Result run(const std::string& args, const std::string& input = "/dev/null") {
        const std::string cmd = "cd '" + dir.path.string() + "' && '" QUORVEL_CONVERT "' " + args +
                                " <" + input + " >.out 2>.err";
        Result r;
        const int st = std::system(cmd.c_str());
        r.status = WIFEXITED(st) ? WEXITSTATUS(st) : -1;
        r.out = slurp(dir / ".out");
        r.err = slurp(dir / ".err");
        std::filesystem::remove(dir / ".out");
        std::filesystem::remove(dir / ".err");
        return r;
    }

    std::string library(int layout) {
        std::string out;
        quorvel::StringWriter writer(out);
        quorvel::MemoryReader in(text);
        quorvel::ConversionCounts counts;
        quorvel::convertObservations(in, writer, layout, counts);
        return out;
    }
};

const char* kMessage =
    "Conversion was Finshed Successfully!\nLines read:  31\nCoordinates Lines:  30\n"
    "Output Format: Autocogo ";

}  // namespace

TEST_F(Cli, ConvertsToTheProposedName) {
    Result r = run("A1.sdr");
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, kMessage + std::string("1\n"));
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(slurp(dir / "A1.dat"), library(1));

    // A1.dat in its turn gives A1.out.
    r = run("--layout=2 A1.dat");
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(slurp(dir / "A1.out"), "");  // a coordinate file holds no observations
}

TEST_F(Cli, EveryLayoutGivesTheLibrarysBytes) {
    for (int layout : {1, 2, 3}) {
        const std::string l = std::to_string(layout);
        Result r = run("--force --layout=" + l + " -o out" + l + ".txt A1.sdr");
        EXPECT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(r.out, kMessage + l + "\n");
        EXPECT_EQ(slurp(dir / ("out" + l + ".txt")), library(layout));
    }
}

TEST_F(Cli, StandardStreams) {
    Result r = run("--layout=3 -o - A1.sdr");
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, library(3));
    EXPECT_EQ(r.err, kMessage + std::string("3\n"));  // messages keep out of the data

    r = run("-", "A1.sdr");
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, library(1));

    r = run("-o from-stdin.dat -", "A1.sdr");
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(slurp(dir / "from-stdin.dat"), library(1));

    r = run("-o /dev/null A1.sdr");
    EXPECT_EQ(r.status, 0) << r.err;
}

TEST_F(Cli, AnExistingOutputNeedsForce) {
    spit(dir / "A1.dat", "old");
    Result r = run("A1.sdr");
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err, "quorvel-convert: A1.dat: File Exists!\n");
    EXPECT_EQ(slurp(dir / "A1.dat"), "old");

    r = run("--force A1.sdr");
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(slurp(dir / "A1.dat"), library(1));
}

TEST_F(Cli, FailuresNameTheFileAndTheReason) {
    Result r = run("missing.sdr");
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "quorvel-convert: missing.sdr: No such file or directory\n");

    r = run("-o no/such/folder.dat A1.sdr");
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "quorvel-convert: no/such/folder.dat: No such file or directory\n");

    r = run("--force -o ./A1.sdr A1.sdr");
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "quorvel-convert: ./A1.sdr: is the observation file itself\n");
    EXPECT_EQ(slurp(obs), text);

    // The other files are still converted.
    spit(dir / "B.sdr", text);
    r = run("missing.sdr B.sdr");
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(slurp(dir / "B.dat"), library(1));
    EXPECT_EQ(r.out, kMessage + std::string("1\n"));
}

TEST_F(Cli, UsageHelpAndVersion) {
    for (const char* args : {"", "--layout=4 A1.sdr", "--layout= A1.sdr", "-o",
                             "-o x A1.sdr A1.sdr", "--frobnicate A1.sdr", "-o x -o y A1.sdr"}) {
        Result r = run(args);
        EXPECT_EQ(r.status, 2) << args;
        EXPECT_NE(r.err.find("Usage: quorvel-convert"), std::string::npos) << args;
        EXPECT_EQ(r.out, "");
    }
    Result r = run("--help");
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out.rfind("Usage: quorvel-convert [--layout=1|2|3] [--force] [-o OUTPUT] "
                          "OBSERVATION...\n",
                          0),
              0u);
    r = run("--version");
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "quorvel-convert " QUORVEL_VERSION "\n");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path), {}), 1);
}
