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

// Case counts, a name without extension is cut all the same, and the last four are
// characters (a stray byte that is not UTF-8 counts as one), not bytes.
TEST(OutputName, TheLastFourCharactersGiveWayToDatOrOut) {
    // clang-format off
    const std::pair<std::string, std::string> cases[] = {
        {"/job/A1.tmp", "/job/A1.dat"}, {"/job/A1.sdr", "/job/A1.dat"}, {"/job/A1.dat", "/job/A1.out"},
        {"/job/A1.DAT", "/job/A1.dat"}, {"OBSERVE", "OBS.dat"}, {"ABCD", ".dat"}, {".dat", ".out"},
        {"", ""}, {"A", "A.dat"}, {"ABC", "ABC.dat"}, {"Süd", "Süd.dat"}, {"/Ü/x.däs", "/Ü/x.dat"},
        {"/x/abcé", "/x/.dat"}, {"ab\377cdef", "ab\377.dat"}};
    // clang-format on
    for (const auto& [name, out] : cases) EXPECT_EQ(outputNameFor(name), out) << name;
}
