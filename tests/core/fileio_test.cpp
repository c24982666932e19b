// SPDX-License-Identifier: GPL-3.0-or-later
// A file written in pieces: every piece, however small, and nothing after a failure.
#include <gtest/gtest.h>
#include <sys/resource.h>

#include <csignal>

#include "core/fileio.h"
#include "temp_dir.h"

TEST(OutFile, EveryPieceAndNothingAfterAFailure) {
    TempDir dir;
    quorvel::OutFile out;
    ASSERT_TRUE(out.create(dir / "a"));
    EXPECT_TRUE(out.write("a", 1) && out.write("", 0) && out.write("bc", 2) && out.close());
    EXPECT_EQ(slurp(dir / "a"), "abc");
    // A full disk: the write that fails, each one after it and the close say so.
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit old{};
    getrlimit(RLIMIT_FSIZE, &old);
    const rlimit full{4, old.rlim_max};
    setrlimit(RLIMIT_FSIZE, &full);
    ASSERT_TRUE(out.create(dir / "b"));
    const std::string block(1 << 16, 'x');
    const bool wrote[] = {out.write(block.data(), block.size()), out.write("y", 1), out.close()};
    setrlimit(RLIMIT_FSIZE, &old);
    EXPECT_TRUE(!wrote[0] && !wrote[1] && !wrote[2] && out.error().code == EFBIG);
}
