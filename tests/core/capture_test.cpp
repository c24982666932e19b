// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>

#include "core/capture.h"
#include "core/incoming.h"
#include "piecewise_io.h"
#include "temp_dir.h"

using namespace quorvel;
using namespace std::string_literals;
using Lines = std::vector<std::string>;

TEST(CaptureLines, CrEndsALineWhereverTheReadsSplitThemALoneLfIsACharacter) {
    // clang-format off
    const std::pair<std::string, Lines> cases[] = {
        {"", {}}, {"a", {"a"}}, {"a\r\nb", {"a", "b"}}, {"a\rb\r", {"a", "b"}}, {"a\r\n", {"a"}},
        {"a\nb\r\n", {"a\nb"}}, {"\n", {"\n"}}, {"a\r\n\nb", {"a", "\nb"}}, {"\r\n\r\n", {"", ""}},
        {"a\n\rb", {"a\n", "b"}}, {"\r\r\n\r", {"", "", ""}}, {"a\r\r\nb", {"a", "", "b"}},
        {"\x02\x03\r\n\x7f\xff"s, {"\x02\x03"s, "\x7f\xff"s}}, {"a\0bcd\r\n"s, {"a\0bcd"s}}};
    // clang-format on
    for (const auto& [data, lines] : cases)
        for (std::size_t step : {0u, 1u, 2u, 3u, 64u})  // 0: all in one read
            for (std::size_t buffer : {1u, 2u, 5u, 4096u}) {
                PiecewiseReader pieces(data, step);
                MemoryReader whole(data);
                CaptureLineReader reader(step ? static_cast<ByteReader&>(pieces) : whole, buffer);
                const std::size_t keep = step == 2 ? 3 : SIZE_MAX;  // the start of longer lines
                Lines got, want;
                for (std::string line; reader.next(line, keep);) got.push_back(line);
                for (const std::string& line : lines) want.push_back(line.substr(0, keep));
                EXPECT_EQ(got, want) << testing::PrintToString(data) << step << " " << buffer;
            }
}

TEST(JobRecord, NameFromColumnsFiveToTwentyOfTheFirstJobRecord) {
    // Only trailing blanks go; STX before the record is set aside, a lone LF starts no line.
    // clang-format off
    const std::pair<std::string, std::optional<std::string>> cases[] = {
        {"\x02\r\n00NMSDR33 V04-04.02\r\n10NMSURVEY01        121111\r\n", "SURVEY01"},
        {"10NM  NORTH\r\n", "  NORTH"}, {"10NMABCDEFGHIJKLMNOPQRSTU\r\n", "ABCDEFGHIJKLMNOP"},
        {"10NM\r\n", ""}, {"10NM   \r\n", ""}, {"10NMA\tB\t \r\n", "A\tB\t"}, {"", std::nullopt},
        {"10nmLOWER\r\n10NMUPPER\r\n", "UPPER"}, {"10NMFIRST\r\n10NMSECOND\r\n", "FIRST"},
        {"\x02\x02" "10NMTWO\r\n", "TWO"}, {"\x03" "10NMETX\r\n", std::nullopt},
        {"\x02\r\n10NMAFTER\x03", "AFTER\x03"}, {"x\n10NMLF\r\n", std::nullopt},
        {std::string(300000, 'D') + "\r\n10NMFAR\r\n", "FAR"}};
    // clang-format on
    for (const auto& [capture, name] : cases) {
        PiecewiseReader in(capture, capture.size() > 1000 ? 4096 : 3);
        EXPECT_EQ(findJobName(in), name) << testing::PrintToString(capture.substr(0, 40));
    }
    for (const std::string& bad : {"."s, ".."s, "a/b"s, "/"s, "..\\x"s, "\\"s, "a\0b"s})
        EXPECT_FALSE(jobNameIsSafe(bad)) << testing::PrintToString(bad);
    for (const std::string good : {"", "SURVEY01", "  NORTH", "...", ".job", "a..b", "é"})
        EXPECT_TRUE(jobNameIsSafe(good)) << good;
}

// Lines starting with a printable byte are copied whole without a leading STX; others are not.
TEST(RawDataCopy, KeepsLinesStartingWithAPrintableByte) {
    const std::string capture =
        "\x02"s + "00NMSDR33\r\n\x02\x02\r\n10NMJOB      \r\n blank first\r\r\n\n" +
        "lf first\r\n\x7f"s + "del\r\n\xc3\xa9t\xc3\xa9\r\n~\t\x7f\xff\n\r\n\x03"s +
        "0000\r\nafter etx";
    MemoryReader in(capture);
    std::string out;
    StringWriter w(out);
    std::uint64_t calls = 0;  // each with the lines read so far
    const CopyResult r = copyRawData(in, w, [&](std::uint64_t n) { calls += n == calls + 1; });
    EXPECT_EQ(out, "00NMSDR33\r\n10NMJOB      \r\n blank first\r\n~\t\x7f\xff\n\r\nafter etx\r\n");
    EXPECT_TRUE(r.ok() && r.linesRead == 11 && r.linesWritten == 5 && calls == 11);
    EXPECT_TRUE(r.jobs == 1 && r.jobNames == Lines{"JOB"});
    // Every job record is counted, the first five named, also where reads split them.
    std::string jobs;
    for (const char* job : {"A", "  B", "C", "D", "E", "F", "GHIJKLMNOPQRSTUVW"})
        jobs += "10NM" + std::string(job) + "\r\n08KI\r\n";
    PiecewiseReader pieces(jobs, 3);
    std::string ignored;
    StringWriter all(ignored);
    const CopyResult several = copyRawData(pieces, all);
    EXPECT_TRUE(several.jobs == 7 && several.jobNames == (Lines{"A", "  B", "C", "D", "E"}));
    // Failures stop the copy after the first line.
    using Status = CopyResult::Status;
    for (const auto& [room, failAt, status] :
         {std::tuple{7u, 100u, Status::WriteFailed}, {100u, 7u, Status::ReadFailed}}) {
        PiecewiseReader pieces("first\r\nsecond\r\nthird\r\n", 4, failAt);
        LimitedWriter limited(room);
        const CopyResult f = copyRawData(pieces, limited);
        EXPECT_TRUE(f.status == status && f.linesWritten == 1 && limited.out == "first\r\n");
    }
}

TEST(Incoming, VisibleTextCountsAndTheGarbledVerdict) {
    // A CR LF split between two chunks is one line break; control bytes become tokens.
    std::string shown;
    bool afterCr = false;
    for (const std::string& chunk : {"\x02"
                                     "10NM J1\r"s,
                                     "\nA\tB\n\x8f\x03\0"s})
        appendVisible(shown, chunk, afterCr);
    EXPECT_EQ(shown, "<STX>10NM J1\nA<TAB>B<LF><0x8F><ETX><NUL>");
    EXPECT_EQ(progressText(6320, 142, 41'000, 154),
              "6,320 bytes \u00b7 142 lines \u00b7 0:41 \u00b7 154 B/s");
    EXPECT_EQ(progressText(1, 1, 200, 1, 12),
              "1 byte \u00b7 1 line \u00b7 0:00 \u00b7 1 B/s \u00b7 last byte 12 s ago");
    EXPECT_EQ(progressText(0, 0, 3'600'000, 0),
              "0 bytes \u00b7 0 lines \u00b7 1:00:00 \u00b7 0 B/s");
    // The rate of the last five seconds of arriving bytes (at least one), which a stall keeps;
    // the mean over the whole time at the end: a burst, then nothing for 30 s.
    using Chunks = std::vector<std::pair<std::int64_t, std::uint64_t>>;
    Chunks steady;
    for (std::int64_t t = 0; t <= 10'000; t += 1000) steady.emplace_back(t, 1000);
    for (const auto& [chunks, rate] :
         std::vector<std::pair<Chunks, std::uint64_t>>{{{}, 0},
                                                       {{{0, 3001}}, 3001},
                                                       {steady, 1000},
                                                       {{{0, 500}, {500, 500}}, 1000},
                                                       {{{0, 100'000}, {6000, 500}}, 100},
                                                       {{{2000, 10}, {5000, 10}, {6000, 10}}, 7}}) {
        RateMeter meter;
        for (const auto& [at, bytes] : chunks) meter.add(at, bytes);
        EXPECT_EQ(meter.rate(), rate) << chunks.size();
    }
    EXPECT_EQ(meanRate(3001, 30'000), 100u);
    EXPECT_EQ(meanRate(3001, 200), 3001u);
    // More than a fifth of at least 64 bytes, once; clean text never; later bytes do not count.
    for (const auto& [chunks, trips] : std::vector<std::pair<std::vector<std::string>, int>>{
             {{std::string(51, 'a') + std::string(12, '\xff')}, 0},  // 63 bytes
             {{std::string(51, 'a'), std::string(13, '\xff'), std::string(99, '\xff')}, 1},
             {{std::string(52, 'a') + std::string(13, '\xff')}, 0},  // exactly a fifth
             {{std::string(4096, 'a'), std::string(4096, '\xff')}, 0},
             {{std::string(8192, ' ') + "\r\n\x02\x03\t~"}, 0}}) {
        GarbleCheck check;
        int tripped = 0;
        for (const std::string& c : chunks) tripped += check.feed(c);
        EXPECT_EQ(tripped, trips) << chunks[0].size();
    }
}

// Before the next reception empties the capture file, what it holds goes to a name of its
// own beside it, after its modification time; names taken, links included, are passed over.
TEST(KeptTransfer, MovedToANameOfItsOwnNeverThroughALink) {
    TempDir dir;
    const std::string capture = dir / "$R55.tmp";
    namespace fs = std::filesystem;
    setenv("TZ", "UTC", 1);
    tzset();
    const auto stamp = [&] {  // 2026-12-06 09:12:00 UTC
        fs::last_write_time(capture, std::chrono::file_clock::from_sys(std::chrono::sys_seconds(
                                         std::chrono::seconds(1796548320))));
    };
    EXPECT_TRUE(keepTransfer(capture).path.empty());  // none
    spit(capture, "");
    EXPECT_TRUE(keepTransfer(capture).path.empty());  // empty: nothing to keep
    spit(capture, "first");
    stamp();
    const KeptTransfer first = keepTransfer(capture);
    EXPECT_TRUE(first.path == dir / "transfer-20261206-091200.tmp" && !first.error);
    fs::create_symlink(dir / "theirs", dir / "transfer-20261206-091200-2.tmp");  // to nothing
    spit(capture, "second");
    stamp();
    EXPECT_EQ(keepTransfer(capture).path, dir / "transfer-20261206-091200-3.tmp");
    fs::create_symlink(dir / "theirs", capture);
    EXPECT_TRUE(keepTransfer(capture).path.empty());  // a link is no capture: left alone
    EXPECT_EQ(dir.listing(),
              "$R55.tmp transfer-20261206-091200-2.tmp transfer-20261206-091200-3.tmp "
              "transfer-20261206-091200.tmp ");
    EXPECT_EQ(
        slurp(dir / "transfer-20261206-091200.tmp") + slurp(dir / "transfer-20261206-091200-3.tmp"),
        "firstsecond");
    EXPECT_FALSE(fs::exists(dir / "theirs"));
}
