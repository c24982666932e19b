#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <fstream>

#include "core/fileio.h"

namespace fs = std::filesystem;
using namespace quorvel;

namespace {

struct TempDir {
    fs::path path;
    TempDir() {
        path = fs::temp_directory_path() /
               ("quorvel-fileio-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
                "-" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(path);
        fs::create_directories(path);
    }
    ~TempDir() { fs::remove_all(path); }
};

std::string slurp(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

}  // namespace

TEST(FileIo, ReadsAndWritesEveryByteValue) {
    TempDir dir;
    std::string all;
    for (int i = 0; i < 256; ++i) all.push_back(static_cast<char>(i));
    const std::string path = (dir.path / "bytes").string();
    OutFile out;
    ASSERT_TRUE(out.create(path));
    ASSERT_TRUE(out.write(all));
    ASSERT_TRUE(out.close());
    EXPECT_EQ(slurp(path), all);

    InFile in;
    ASSERT_TRUE(in.open(path));
    char buf[300];
    EXPECT_EQ(in.read(buf, sizeof buf), 256u);
    EXPECT_EQ(std::string(buf, 256), all);
    EXPECT_EQ(in.read(buf, sizeof buf), 0u);
    EXPECT_FALSE(in.failed());
}

TEST(FileIo, FailuresNameTheFileAndTheReason) {
    TempDir dir;
    InFile in;
    EXPECT_FALSE(in.open((dir.path / "missing").string()));
    EXPECT_TRUE(in.error().notFound());
    EXPECT_EQ(in.error().path, (dir.path / "missing").string());
    EXPECT_EQ(in.error().reason(), std::generic_category().message(ENOENT));

    EXPECT_FALSE(in.open(dir.path.string()));  // a folder is not a file to read
    EXPECT_EQ(in.error().code, EISDIR);
    EXPECT_FALSE(in.error().notFound());

    OutFile out;
    EXPECT_FALSE(out.create((dir.path / "no" / "such" / "folder.dat").string()));
    EXPECT_TRUE(out.error().notFound());
    EXPECT_FALSE(out.create(dir.path.string()));
    EXPECT_EQ(out.error().code, EISDIR);
}

TEST(FileIo, AFullDiskIsReportedAtTheLatestOnClose) {
    if (!fs::exists("/dev/full")) GTEST_SKIP() << "no /dev/full here";
    OutFile out;
    ASSERT_TRUE(out.create("/dev/full"));
    out.write(std::string(100, 'x'));  // may sit in the buffer
    EXPECT_FALSE(out.close());
    EXPECT_EQ(out.error().code, ENOSPC);
}

TEST(FileIo, SameFileSeesThroughSpellingsAndLinks) {
    TempDir dir;
    const fs::path a = dir.path / "a.obs";
    std::ofstream(a) << "x";
    fs::create_directories(dir.path / "sub");
    EXPECT_TRUE(sameFile(a.string(), (dir.path / "sub" / ".." / "a.obs").string()));
    fs::create_symlink(a, dir.path / "link.obs");
    EXPECT_TRUE(sameFile(a.string(), (dir.path / "link.obs").string()));
    fs::create_hard_link(a, dir.path / "hard.obs");
    EXPECT_TRUE(sameFile(a.string(), (dir.path / "hard.obs").string()));
    EXPECT_FALSE(sameFile(a.string(), (dir.path / "other.obs").string()));  // missing

    EXPECT_TRUE(regularFileExists(a.string()));
    EXPECT_FALSE(regularFileExists(dir.path.string()));
    EXPECT_FALSE(regularFileExists(""));
    EXPECT_FALSE(removeFile(a.string()));
    EXPECT_FALSE(regularFileExists(a.string()));
    EXPECT_TRUE(removeFile(a.string()).notFound());
}
