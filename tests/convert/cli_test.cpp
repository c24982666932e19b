// quorvel-convert as a user runs it: exit codes, messages, and the library's bytes.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>

#include "../core/temp_dir.h"
#include "core/conversion.h"

namespace {

const std::string kMessage =
    "Conversion was Finshed Successfully!\nLines read:  31\nCoordinates Lines:  30\n"
    "Output Format: Autocogo ";

struct Cli : ::testing::Test {
    TempDir dir;
    std::string text;
    int status = -1;
    std::string out, err;

    void SetUp() override {
        for (int i = 101; i <= 130; ++i)
            text += "    R4    TR " + std::to_string(i) + "  X       21.259              59.620" +
                    "              11.256\n";
        spit(dir / "A1.sdr", text += "END\n");
    }
    // Runs the tool in the test folder with `args` (a shell command line tail).
    void run(const std::string& args, const std::string& input = "/dev/null") {
        const std::string cmd = "cd '" + dir.str() + "' && '" QUORVEL_CONVERT "' " + args + " <" +
                                input + " >.out 2>.err";
        const int st = std::system(cmd.c_str());
        status = WIFEXITED(st) ? WEXITSTATUS(st) : -1;
        out = slurp(dir / ".out");
        err = slurp(dir / ".err");
        std::filesystem::remove(dir / ".out");
        std::filesystem::remove(dir / ".err");
    }
    std::string library(int layout) {
        std::string result;
        quorvel::StringWriter writer(result);
        quorvel::MemoryReader in(text);
        quorvel::ConversionCounts counts;
        quorvel::convertObservations(in, writer, layout, counts);
        return result;
    }
};

}  // namespace

TEST_F(Cli, ConvertsToTheProposedNameOrTheGivenOneWithTheLibrarysBytes) {
    run("A1.sdr");
    EXPECT_TRUE(status == 0 && out == kMessage + "1\n" && err == "") << status << out << err;
    EXPECT_EQ(slurp(dir / "A1.dat"), library(1));
    run("--layout=2 A1.dat");  // A1.dat in its turn gives A1.out: nothing to write in it
    EXPECT_TRUE(status == 1 && out == "") << status << out << err;
    EXPECT_EQ(err, "Nothing was written to A1.out!\nLines read:  30\nCoordinates Lines:  0\n");
    EXPECT_FALSE(std::filesystem::exists(dir / "A1.out"));
    for (const std::string l : {"1", "2", "3"}) {
        run("--force --layout=" + l + " -o out" + l + ".txt A1.sdr");
        EXPECT_TRUE(status == 0 && out == kMessage + l + "\n") << status << out << err;
        EXPECT_EQ(slurp(dir / ("out" + l + ".txt")), library(std::stoi(l)));
    }
}

TEST_F(Cli, StandardStreams) {
    // SDR raw data with X north: the station's northing comes first.
    run("--layout=3 --axes=xnorth -o - '" QUORVEL_TEST_DATA "/road-sdr20.sdr'");
    EXPECT_EQ(out.substr(0, out.find('\r')), "1,5000.000,2000.000,100.000,CP              ,1");
    run("--layout=3 -o - A1.sdr");
    EXPECT_TRUE(status == 0 && out == library(3));
    EXPECT_EQ(err, kMessage + "3\n");  // messages keep out of the data
    run("-", "A1.sdr");
    EXPECT_TRUE(status == 0 && out == library(1));
    run("-o from-stdin.dat -", "A1.sdr");
    EXPECT_EQ(status, 0) << err;
    EXPECT_EQ(slurp(dir / "from-stdin.dat"), library(1));
    run("-o /dev/null A1.sdr");
    EXPECT_EQ(status, 0) << err;
}

TEST_F(Cli, FailuresNameTheFileAndTheReason) {
    spit(dir / "A1.dat", "old");
    run("A1.sdr");
    EXPECT_TRUE(status == 1 && out == "");
    EXPECT_EQ(err, "quorvel-convert: A1.dat: File Exists!\n");
    EXPECT_EQ(slurp(dir / "A1.dat"), "old");
    run("--force A1.sdr");
    EXPECT_TRUE(status == 0 && slurp(dir / "A1.dat") == library(1));
    for (const auto& [args, message] :
         {std::pair{"missing.sdr", "missing.sdr: No such file or directory"},
          {"-o no/such/folder.dat A1.sdr", "no/such/folder.dat: No such file or directory"},
          {"--force -o ./A1.sdr A1.sdr", "./A1.sdr: is the observation file itself"}}) {
        run(args);
        EXPECT_EQ(status, 1) << args;
        EXPECT_EQ(err, "quorvel-convert: " + std::string(message) + "\n");
    }
    EXPECT_EQ(slurp(dir / "A1.sdr"), text);
    spit(dir / "B.sdr", text);  // the other files are still converted
    run("missing.sdr B.sdr");
    EXPECT_TRUE(status == 1 && out == kMessage + "1\n");
    EXPECT_EQ(slurp(dir / "B.dat"), library(1));
}

TEST_F(Cli, UsageHelpAndVersion) {
    for (const char* args :
         {"", "--layout=4 A1.sdr", "--layout= A1.sdr", "-o", "-o x A1.sdr A1.sdr",
          "--frobnicate A1.sdr", "-o x -o y A1.sdr", "--axes=up A1.sdr"}) {
        run(args);
        EXPECT_TRUE(status == 2 && out == "") << args;
        EXPECT_NE(err.find("Usage: quorvel-convert"), std::string::npos) << args;
    }
    run("--help");
    EXPECT_EQ(status, 0);
    EXPECT_EQ(
        out.rfind("Usage: quorvel-convert [--layout=1|2|3] [--axes=xeast|xnorth] [--force]", 0),
        0u);
    run("--version");
    EXPECT_TRUE(status == 0 && out == "quorvel-convert " QUORVEL_VERSION "\n") << out;
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path), {}), 1);
}
