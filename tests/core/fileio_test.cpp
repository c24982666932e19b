#include "core/fileio.h"
#include "core/output_name.h"
#include "temp_dir.h"

using namespace quorvel;
namespace fs = std::filesystem;

TEST(FileIo, EveryByteValueRoundTrips) {
    TempDir dir;
    std::string all;
    for (int i = 0; i < 256; ++i) all.push_back(static_cast<char>(i));
    OutFile out;
    ASSERT_TRUE(out.create(dir / "bytes") && out.write(all) && out.close());
    EXPECT_EQ(slurp(dir / "bytes"), all);
    InFile in;
    ASSERT_TRUE(in.open(dir / "bytes"));
    char buf[300];
    EXPECT_EQ(std::string(buf, in.read(buf, sizeof buf)), all);
    EXPECT_EQ(in.read(buf, sizeof buf), 0u);
    EXPECT_FALSE(in.failed());
}

TEST(FileIo, SameFileSeesThroughSpellingsAndLinks) {
    TempDir dir;
    const std::string a = dir / "a.obs";
    spit(a, "x");
    fs::create_directories(dir.path / "sub");
    fs::create_symlink(a, dir.path / "link.obs");
    fs::create_hard_link(a, dir.path / "hard.obs");
    for (const char* other : {"sub/../a.obs", "link.obs", "hard.obs"})
        EXPECT_TRUE(sameFile(a, dir / other)) << other;
    EXPECT_FALSE(sameFile(a, dir / "other.obs"));  // missing
    EXPECT_TRUE(regularFileExists(a));
    EXPECT_FALSE(regularFileExists(dir.str()));
    EXPECT_FALSE(regularFileExists(""));
    EXPECT_FALSE(removeFile(a));
    EXPECT_FALSE(regularFileExists(a));
    EXPECT_TRUE(removeFile(a).notFound());
}

// Within the file name: a dot and three characters (counted as characters, a stray
// byte that is not UTF-8 as one) give way to .dat, or .out for exactly .dat; any other
// extension is replaced and a name without one is extended. Folders never count.
TEST(OutputName, AnExtensionOfThreeGivesWayToDatOrOutOthersAreReplacedOrAdded) {
    // clang-format off
    const std::pair<std::string, std::string> cases[] = {
        {"/job/A1.tmp", "/job/A1.dat"}, {"/job/A1.sdr", "/job/A1.dat"}, {"/job/A1.dat", "/job/A1.out"},
        {"/job/A1.DAT", "/job/A1.dat"}, {".dat", ".out"}, {"", ""}, {"/data/", ""}, {"A", "A.dat"},
        {"/data/JOB", "/data/JOB.dat"}, {"job.survey", "job.dat"}, {"/d.x/JOB", "/d.x/JOB.dat"},
        {"a.b", "a.dat"}, {"x.d.t", "x.dat"}, {"/Ü/x.däs", "/Ü/x.dat"}, {"x.é.t", "x.dat"},
        {"x.€.t", "x.dat"}, {"x.\xf0\x9f\x98\x80.t", "x.dat"}, {"x.\377.t", "x.dat"},
        {"x.\xc3.t", "x.dat"}, {"x.\xe2\x82.t", "x.\xe2\x82.dat"}, {"Süd", "Süd.dat"}};
    // clang-format on
    for (const auto& [name, out] : cases) EXPECT_EQ(outputNameFor(name), out) << name;
}
