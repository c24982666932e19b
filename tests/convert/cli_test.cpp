// SPDX-License-Identifier: GPL-3.0-or-later
// quorvel-convert as a user runs it: exit codes, messages, and where the data goes.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <tuple>

#include "../core/temp_dir.h"
#include "core/version.h"

// Each run in turn, on the files the runs before it left: status, standard output ("=": the
// bytes of A1.dat as it then is) and standard error (a usage error, status 2: its line without
// a line end, then the help).
TEST(Cli, RunsOneAfterAnother) {
    TempDir dir;
    std::string text;
    for (int i = 101; i <= 130; ++i)
        text += "    R4    TR " + std::to_string(i) +
                "  X       21.259              59.620              11.256\n";
    spit(dir / "A1.sdr", text + "END\n");
    std::filesystem::create_symlink("A1.dat", dir.path / "B.dat");  // B.sdr's output is A1.dat
    // `args` is a shell command line tail, which may redirect the input. The streams land in
    // .out and .err of the folder.
    auto run = [&](const std::string& args) {
        const int st = std::system(
            ("cd '" + dir.str() + "' && '" QUORVEL_CONVERT "' </dev/null " + args + " >.out 2>.err")
                .c_str());
        return std::tuple{WIFEXITED(st) ? WEXITSTATUS(st) : -1, slurp(dir / ".out"),
                          slurp(dir / ".err")};
    };
    const auto [helped, usage, helpErr] = run("--help");
    EXPECT_TRUE(
        helped == 0 && helpErr.empty() &&
        usage.starts_with("Usage: quorvel-convert [--layout=1|2|3 | --format=csv|dxf|landxml]"));
    const std::string done =
        "Conversion was Finshed Successfully!\nLines read:  31\nCoordinates Lines:  30\nOutput "
        "Format: Autocogo ";
    // clang-format off
    const struct {
        std::string args;
        int status;
        std::string out, err;
    } runs[] = {
        {"A1.sdr", 0, done + "1\n", ""},  // writes A1.dat, the proposed name
        {"- <A1.sdr", 0, "=", done + "1\n"},  // messages keep out of the data
        {"A1.sdr", 1, "", "quorvel-convert: A1.dat: File Exists! use --force to replace it\n"},
        {"--force --layout 2 A1.sdr", 0, done + "2\n", ""},
        {"--layout=2 -o- A1.sdr", 0, "=", done + "2\n"},
        {"-f --format dxf A1.sdr", 0, "Conversion was Finshed Successfully!\nLines read:  31\n"
         "Coordinates Lines:  30\nOutput Format: DXF\n", ""},  // writes A1.dxf
        // In a batch each message names its file; a second one into the same output (links
        // resolved) would replace the first's points.
        {"--force --layout=3 A1.sdr ./A1.sdr B.sdr", 1, "A1.sdr: 30 coordinate lines written to A1.dat, "
         "layout Autocogo 3\n", "quorvel-convert: ./A1.sdr: ./A1.dat: also the output of A1.sdr; use -o "
         "to give it another name\nquorvel-convert: B.sdr: B.dat: also the output of A1.sdr; use -o to "
         "give it another name\n"},
        {"A1.dat", 1, "", "Nothing was written to A1.out!\nLines read:  30\nCoordinates Lines:  0\n"},
        {"--layout=1 -o /dev/null A1.sdr", 0, done + "1\n", ""},
        {"missing.sdr A1.sdr", 1, "", "quorvel-convert: missing.sdr: No such file or directory\n"
                                      "quorvel-convert: A1.sdr: A1.dat: File Exists! use --force to replace it\n"},
        {"-o no/such/folder.dat A1.sdr", 1, "", "quorvel-convert: no/such/folder.dat: No such file or directory\n"},
        {"--output=. A1.sdr", 1, "", "quorvel-convert: .: Is a directory: give a file name\n"},
        {"-o ./A1.sdr A1.sdr", 1, "", "quorvel-convert: ./A1.sdr: is the observation file itself\n"},
        {"./", 1, "", "quorvel-convert: ./: no output name for a folder\n"},
        {"-- -o", 1, "", "quorvel-convert: -o: No such file or directory\n"},  // after --, names only
        {"--layout=3 -o - '" QUORVEL_TEST_DATA "/road-sdr20.sdr'", 0,  // X north, Y east
         "1,5000.000,2000.000,100.000,CP              ,1\r\n2,5024.447,2003.872,104.973,EDGE            ,4\r\n"
         "3,5024.620,2004.341,99.572,EDGE            ,2\r\n4,5030.000,2010.100,-0.001,EDGE            ,3\r\n",
         "Conversion was Finshed Successfully!\nLines read:  6\nCoordinates Lines:  4\nOutput Format: Autocogo 3\n"
         "Reduced from observations: 1\n"},
        {"--axes xeast --format=csv -o - '" QUORVEL_TEST_DATA "/road-sdr20.sdr'", 0,
         "Point,X,Y,Z,Code\r\n1,2000.000,5000.000,100.000,CP\r\n4,2003.872,5024.447,104.973,EDGE\r\n"
         "2,2004.341,5024.620,99.572,EDGE\r\n3,2010.100,5030.000,-0.001,EDGE\r\n",
         "Conversion was Finshed Successfully!\nLines read:  6\nCoordinates Lines:  4\nOutput Format: CSV\n"
         "Reduced from observations: 1\n"},
        // Checks write nothing, and exit 0 for no warning, 1 for warnings, 2 for a file not
        // read; a plan goes beside the conversion, never over its files.
        {"--check A1.sdr '" QUORVEL_TEST_DATA "/road-sdr20.sdr'", 0, "", ""},
        {"--check '" QUORVEL_TEST_DATA "/bridge01-sdr33.sdr'", 1, QUORVEL_TEST_DATA "/bridge01-sdr33.sdr: "
         "Points far from the rest of the job: 1 (101)\n" QUORVEL_TEST_DATA "/bridge01-sdr33.sdr: Not "
         "written:  1: 1 point without Z: 102\n", ""},
        {"--check missing.sdr '" QUORVEL_TEST_DATA "/bridge01-sdr33.sdr'", 2, QUORVEL_TEST_DATA
         "/bridge01-sdr33.sdr: Points far from the rest of the job: 1 (101)\n" QUORVEL_TEST_DATA
         "/bridge01-sdr33.sdr: Not written:  1: 1 point without Z: 102\n",
         "quorvel-convert: missing.sdr: No such file or directory\n"},
        {"-f --plot ./A1.dat A1.sdr", 1, "", "quorvel-convert: ./A1.dat: is the observation or output file\n"},
        {"-f --plot A1.svg A1.sdr", 0, done + "1\n", ""},
        {"-f --plot A1.PNG A1.sdr", 0, done + "1\n", ""},  // a PNG image, by its extension
        {"-f --plot A1.sdr A1.sdr", 1, "", "quorvel-convert: A1.sdr: is the observation or output file\n"},
        {"--version", 0, quorvel::versionText("quorvel-convert"), ""},
        {"", 2, "", "no observation file"},
        {"--layout=4 A1.sdr", 2, "", "--layout: 4 not in {1,2,3}"},
        {"--format xls A1.sdr", 2, "", "--format: xls not in {csv,dxf,landxml}"},
        {"--layout=1 --format=csv A1.sdr", 2, "", "--layout excludes --format"},
        {"--axes=up A1.sdr", 2, "", "--axes: up not in {xeast,xnorth}"},
        {"-o", 2, "", "--output: 1 required OUTPUT missing"},
        {"-o x A1.sdr A1.sdr", 2, "", "-o takes exactly one observation file"},
        {"-o x -o y A1.sdr", 2, "", "--output: At Most 1 required but received 2"},
        {"-o '' A1.sdr", 2, "", "empty output file name"},
        {"--check -o x A1.sdr", 2, "", "--check writes no output"},
        {"--plot x.svg A1.sdr A1.sdr", 2, "", "--plot takes exactly one observation file, not 2"},
        {"--plot x.svg - <A1.sdr", 2, "", "--plot takes exactly one observation file, not standard input"},
        {"--plot x.pdf A1.sdr", 2, "", "--plot x.pdf: the plan's name ends in .png or .svg"},
        {"--plot x_png A1.sdr", 2, "", "--plot x_png: the plan's name ends in .png or .svg"},
        {"--frobnicate A1.sdr", 2, "", "The following argument was not expected: --frobnicate"}};
    // clang-format on
    for (const auto& r : runs) {
        const auto [status, out, err] = run(r.args);
        EXPECT_EQ(status, r.status) << r.args;
        EXPECT_EQ(out, r.out == "=" ? slurp(dir / "A1.dat") : r.out) << r.args;
        const bool usageError = r.status == 2 && !r.err.ends_with("\n");  // its line alone
        EXPECT_EQ(err, usageError ? "quorvel-convert: " + r.err + "\n" + usage : r.err) << r.args;
    }
    EXPECT_EQ(dir.listing(), ".err .out A1.PNG A1.dat A1.dxf A1.sdr A1.svg B.dat ");
    EXPECT_NE(slurp(dir / "A1.svg").find(">101<"), std::string::npos);
    EXPECT_TRUE(slurp(dir / "A1.PNG").starts_with("\x89PNG\r\n"));
}
