#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/capture.h"
#include "piecewise_io.h"

using namespace quorvel;
using namespace std::string_literals;
using Lines = std::vector<std::string>;

TEST(CaptureLines, CrEndsALineWhereverTheReadsSplitThemALoneLfIsACharacter) {
    // clang-format off
    const std::pair<std::string, Lines> cases[] = {
        {"", {}}, {"a", {"a"}}, {"a\r\nb", {"a", "b"}}, {"a\rb\r", {"a", "b"}}, {"a\r\n", {"a"}},
        {"a\nb\r\n", {"a\nb"}}, {"\n", {"\n"}}, {"a\r\n\nb", {"a", "\nb"}}, {"a\n\rb", {"a\n", "b"}},
        {"\r\n\r\n", {"", ""}}, {"\r\r\n\r", {"", "", ""}}, {"a\r\r\nb", {"a", "", "b"}},
        {"\x02\x03\r\n\x7f\xff"s, {"\x02\x03"s, "\x7f\xff"s}}, {"a\0b\r\n"s, {"a\0b"s}}};
    // clang-format on
    for (const auto& [data, lines] : cases)
        for (std::size_t step : {1u, 2u, 3u, 64u})
            for (std::size_t buffer : {1u, 2u, 5u, 4096u}) {
                PiecewiseReader in(data, step);
                CaptureLineReader reader(in, buffer);
                Lines got;
                for (std::string line; reader.next(line);) got.push_back(line);
                EXPECT_EQ(got, lines) << testing::PrintToString(data) << step << " " << buffer;
            }
}

TEST(CaptureLines, LongLinesComeInPiecesAndCanBeCutOrSkipped) {
    const std::string data = std::string(100000, 'x') + "\r\nshort\r\nfirst line\r\nsecond";
    MemoryReader in(data);
    CaptureLineReader reader(in, 1000);
    ASSERT_TRUE(reader.nextLine());
    std::size_t total = 0, pieces = 0;
    for (auto p = reader.piece(); !p.empty(); p = reader.piece(), ++pieces) {
        EXPECT_LE(p.size(), 1000u);
        total += p.size();
    }
    EXPECT_TRUE(total == 100000 && pieces >= 100) << total << " " << pieces;
    std::string line;
    ASSERT_TRUE(reader.next(line, 3));
    EXPECT_EQ(line, "sho");
    ASSERT_TRUE(reader.nextLine());
    EXPECT_EQ(reader.piece().substr(0, 4), "firs");
    ASSERT_TRUE(reader.next(line));  // skips the rest of the half-read line
    EXPECT_EQ(line, "second");
    EXPECT_FALSE(reader.next(line));
}

TEST(JobRecord, NameFromColumnsFiveToTwentyOfTheFirstJobRecord) {
    // Leading blanks stay, only trailing blanks are trimmed; STX before the record is
    // set aside, a lone LF starts no line; found also after a line longer than the buffer.
    // clang-format off
    const std::pair<std::string, std::optional<std::string>> cases[] = {
        {"\x02\r\n00NMSDR33 V04-04.02\r\n10NMSURVEY01        121111\r\n", "SURVEY01"},
        {"10NM  NORTH\r\n", "  NORTH"}, {"10NMABCDEFGHIJKLMNOPQRSTU\r\n", "ABCDEFGHIJKLMNOP"},
        {"10NMAB \r\n", "AB"}, {"10NM\r\n", ""}, {"10NM   \r\n", ""}, {"10NMA\tB\t \r\n", "A\tB\t"},
        {"10nmLOWER\r\n10NMUPPER\r\n", "UPPER"}, {"10NMFIRST\r\n10NMSECOND\r\n", "FIRST"},
        {"\x02" "10NMSTX\r\n", "STX"}, {"\x02\x02" "10NMTWO\r\n", "TWO"},
        {"\x03" "10NMETX\r\n", std::nullopt}, {"\x02\r\n10NMAFTER\x03", "AFTER\x03"},
        {"x\n10NMLF\r\n", std::nullopt}, {"10N\r\nM\r\n", std::nullopt}, {"", std::nullopt},
        {std::string(300000, 'D') + "\r\n10NMFAR\r\n", "FAR"}};
    // clang-format on
    for (const auto& [capture, name] : cases) {
        PiecewiseReader in(capture, capture.size() > 1000 ? 4096 : 3);
        EXPECT_EQ(findJobName(in), name) << testing::PrintToString(capture.substr(0, 40));
    }
}

TEST(JobRecord, NamesThatWouldLeaveTheFolderAreUnsafe) {
    for (const std::string& bad : {"."s, ".."s, "a/b"s, "/"s, "..\\x"s, "\\"s, "a\0b"s})
        EXPECT_FALSE(jobNameIsSafe(bad)) << testing::PrintToString(bad);
    for (const std::string good : {"", "SURVEY01", "  NORTH", "...", ".job", "a..b", "é"})
        EXPECT_TRUE(jobNameIsSafe(good)) << good;
}

TEST(RawDataCopy, KeepsLinesStartingWithAPrintableByteAndSkipsEmptyOnes) {
    const std::string capture =
        "\x02"
        "00NMSDR33\r\n"  // STX first: set aside, the record stays
        "\x02\x02\r\n"   // nothing but STX: left out
        "10NMJOB      \r\n"
        " blank first\r"
        "\r\n"  // empty: left out, the copy goes on
        "\nlf first\r\n"
        "\x7f"
        "del\r\n"
        "\xc3\xa9t\xc3\xa9\r\n"
        "~tilde\r\n"
        "\x03"
        "0000\r\n"  // ETX and its checksum: left out
        "after etx";
    MemoryReader in(capture);
    std::string out;
    StringWriter w(out);
    std::vector<std::uint64_t> progress;
    const CopyResult r = copyRawData(in, w, [&](std::uint64_t n) { progress.push_back(n); });
    EXPECT_EQ(out, "00NMSDR33\r\n10NMJOB      \r\n blank first\r\n~tilde\r\nafter etx\r\n");
    EXPECT_TRUE(r.ok() && r.linesRead == 11 && r.linesWritten == 5);
    EXPECT_EQ(progress, (std::vector<std::uint64_t>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11}));
    // Every byte after a printable first is kept.
    std::string line = "A";
    for (int b = 0; b < 256; ++b)
        if (b != '\r') line += static_cast<char>(b);
    for (const std::string& end : {""s, "\r\n"s}) {
        const std::string data = line + end;
        MemoryReader all(data);
        out.clear();
        EXPECT_TRUE(copyRawData(all, w).ok());
        EXPECT_EQ(out, line + "\r\n");
    }
}

TEST(RawDataCopy, WriteAndReadFailuresStopTheCopy) {
    const std::string capture = "first\r\nsecond\r\nthird\r\n";
    MemoryReader in(capture);
    LimitedWriter full(10);  // room for the first line only
    CopyResult r = copyRawData(in, full);
    EXPECT_EQ(r.status, CopyResult::Status::WriteFailed);
    EXPECT_EQ(full.out, "first\r\n");
    EXPECT_EQ(r.linesWritten, 1u);
    PiecewiseReader broken(capture, 4, 9);
    LimitedWriter w(1000);
    r = copyRawData(broken, w);
    EXPECT_EQ(r.status, CopyResult::Status::ReadFailed);
    EXPECT_EQ(w.out.substr(0, 7), "first\r\n");
}
