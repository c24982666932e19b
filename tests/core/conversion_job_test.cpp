// SPDX-License-Identifier: GPL-3.0-or-later
// A conversion from file to file: what is written or replaced, and what a failure leaves alone.
#include <grp.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include "convert_text.h"
#include "core/conversion.h"
#include "core/fileio.h"
#include "core/safe_output.h"
#include "records.h"
#include "temp_dir.h"

using namespace quorvel;
using enum quorvel::OutputFormat;
namespace fs = std::filesystem;
using Kind = ConversionFailure::Kind;

namespace {

bool failed(const ConversionOutcome& r, Kind kind, std::string_view path, std::string_view reason) {
    return r.failure && r.failure->kind == kind && r.failure->path == path &&
           r.failure->reason == reason;
}

}  // namespace

class ConversionJob : public ::testing::Test {
protected:
    TempDir dir;
    std::string obs = dir / "job.sdr";
    std::string text = r4("11", "1", "2", "3") + "\r\n" + r4("12", "4", "5", "6") + "\r\n";
    void SetUp() override { spit(obs, text); }
};

// A new or longer old output, one reached through a link (which stays), a device.
TEST_F(ConversionJob, WritesOrReplacesTheOutput) {
    const auto perms = fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read;
    spit(dir / "old.dat", std::string(100000, 'o'));
    fs::permissions(dir.path / "old.dat", perms);
    fs::create_symlink(dir.path / "old.dat", dir.path / "link.dat");
    fs::create_symlink(dir.path / "gone.dat", dir.path / "dangling.dat");
    for (const auto& [format, out, written] : {std::tuple{Autocogo2, "new.dat", "new.dat"},
                                               {Autocogo1, "old.dat", "old.dat"},
                                               {Autocogo3, "link.dat", "old.dat"},
                                               {Autocogo1, "dangling.dat", "gone.dat"}}) {
        EXPECT_FALSE(convertFile({obs, dir / out, format}).failure) << out;
        EXPECT_EQ(slurp(dir / written), convert(text, {.outputFormat = format})) << out;
    }
    EXPECT_TRUE(fs::is_symlink(dir.path / "link.dat") &&
                fs::is_symlink(dir.path / "dangling.dat") &&
                (fs::status(dir.path / "old.dat").permissions() & fs::perms::all) == perms);
    // A file appears whole or not at all; a device or an open stream is written where it is.
    std::FILE* held = std::fopen((dir / "held").c_str(), "w");
    for (const auto& [out, direct] : {std::pair{dir / "fresh.dat", false},
                                      {dir / "link.dat", false},
                                      {std::string("/dev/null"), true},
                                      {"/proc/self/fd/" + std::to_string(fileno(held)), true}}) {
        SafeOutFile file;
        EXPECT_TRUE(file.open(out) && file.direct() == direct) << out;
    }
    std::fclose(held);
    EXPECT_EQ(dir.listing(), "dangling.dat gone.dat held job.sdr link.dat new.dat old.dat ");
    EXPECT_TRUE(!convertFile({obs, "/dev/null", Autocogo1}).failure &&
                fs::is_character_file("/dev/null"));
}

// The same file, however named, is refused first; nothing to write leaves a good file alone.
TEST_F(ConversionJob, FailuresTouchNothing) {
    const std::string out = dir / "out.dat", noZ = dir / "noz.sdr", big = dir / "big.sdr";
    spit(out, "old");
    spit(noZ, r4("1", "1", "2", ""));
    std::string many;
    while (many.size() < 200'000) many += text;  // fails in the pass, the others when closed
    spit(big, many);
    fs::create_symlink(obs, dir.path / "link.sdr");
    // clang-format off
    const std::tuple<std::string, std::string, Kind, std::string> cases[] = {
        {dir / "missing.sdr", out, Kind::ObservationNotFound, "No such file or directory"},
        {obs, dir / "no/out.dat", Kind::Output, "No such file or directory"},
        {dir.str(), out, Kind::Observation, "Is a directory"},
        {obs, dir.str(), Kind::Output, "Is a directory"},
        {obs, obs + "/out.dat", Kind::Output, "Not a directory"},
        {obs, "/dev/full", Kind::Output, "No space left on device"},
        {big, "/dev/full", Kind::Output, "No space left on device"},
        {noZ, out, Kind::NothingWritten, ""}, {"/dev/null", out, Kind::NothingWritten, ""},
        {obs, dir / "link.sdr", Kind::SameFile, ""}, {obs, dir / ".//job.sdr", Kind::SameFile, ""}};
    // clang-format on
    for (const auto& [observation, output, kind, reason] : cases) {
        const ConversionOutcome r = convertFile({observation, output, Autocogo1});
        const bool onOutput = kind == Kind::Output || kind == Kind::NothingWritten;
        EXPECT_TRUE(failed(r, kind, onOutput ? output : observation, reason)) << output;
        EXPECT_EQ(r.ran, kind == Kind::NothingWritten || output == "/dev/full") << output;
    }
    EXPECT_EQ(slurp(out), "old");
    EXPECT_EQ(dir.listing(), "big.sdr job.sdr link.sdr noz.sdr out.dat ");
    EXPECT_TRUE(regularFileExists(noZ) && !regularFileExists(dir.str()) && !regularFileExists(""));
    EXPECT_FALSE(removeFile(noZ));
    EXPECT_TRUE(!regularFileExists(noZ) && removeFile(noZ).notFound());
}

// In a child, as an ordinary user (root may write anywhere): a file in a folder that is not
// writable, and a read-only file, are refused and stay as they were; so is another's file in a
// shared folder (sticky, as /tmp), which may be written but not replaced.
TEST_F(ConversionJob, NoPermissionToWrite) {
    using fs::perms;
    fs::permissions(obs, perms::others_read, fs::perm_options::add);
    for (const auto& [file, mode] : {std::pair{"locked/out.dat", perms::all},
                                     {"open/out.dat", perms::owner_read},
                                     {"shared/out.dat", perms::all}}) {
        fs::create_directories((dir.path / file).parent_path());
        spit(dir / file, "old");
        fs::permissions(dir / file, mode);
    }
    fs::permissions(dir.path / "locked", perms::owner_write, fs::perm_options::remove);
    fs::permissions(dir.path / "open", perms::all);
    fs::permissions(dir.path / "shared", perms::all | perms::sticky_bit);
    const bool root = geteuid() == 0;
    fs::permissions(dir.path, perms::others_exec, fs::perm_options::add);
    const pid_t pid = fork();
    if (pid == 0) {
        bool ok = geteuid() != 0 ||
                  (setgroups(0, nullptr) == 0 && setgid(65534) == 0 && setuid(65534) == 0);
        for (const char* out : {"locked/out.dat", "open/out.dat"})
            ok &= failed(convertFile({obs, dir / out, Autocogo1}), Kind::Output, dir / out,
                         "Permission denied");
        ok &= !root || failed(convertFile({obs, dir / "shared/out.dat", Autocogo1}), Kind::Output,
                              dir / "shared/out.dat", "Operation not permitted");
        _exit(ok ? 0 : 1);
    }
    int status = 0;
    ASSERT_TRUE(pid > 0 && waitpid(pid, &status, 0) == pid);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    EXPECT_EQ(
        slurp(dir / "locked/out.dat") + slurp(dir / "open/out.dat") + slurp(dir / "shared/out.dat"),
        "oldoldold");
    fs::permissions(dir.path / "locked", perms::owner_all);  // to be removed afterwards
}
